#include "compose/MailRoutesNote.h"

#include "transport/mailclient/MailSubmissionProgram.h"

namespace tervalo::compose {

QString MailRoutesNote(const EmailKlientTable& mtEmailKlient) {
    QString note = mtEmailKlient.defaultClient.isEmpty()
                       ? QStringLiteral(
                             "Výchozí poštovní klient pracovní plochy nebyl nalezen: jednotlivé upomínky "
                             "odešlete ve vlastním okně programu pomocí SMTP serveru. ")
                       : QStringLiteral(
                             "Jednotlivé upomínky se otevírají v poštovním klientovi pracovní plochy (%1), "
                             "případně ve vlastním okně programu. ")
                             .arg(mtEmailKlient.defaultClient);
    const transport::MailSubmissionProgram program =
        transport::DescribeMailSubmission(mtEmailKlient.submissionProgram);
    if (program.found()) {
        note += QStringLiteral(
                    "Hromadný e-mailing \"pomocí poštovního klienta\" předává zprávy systémovému "
                    "programu pro odesílání pošty (%1). Ten musí být nastaven tak, aby zprávy "
                    "doručil na poštovní server vaší kanceláře; není-li tak nastaven, je "
                    "jednodušší zvolit odesílání pomocí SMTP (hodnoty získáte u svého správce "
                    "sítě).")
                    .arg(program.name);
    } else {
        note += QStringLiteral(
            "Hromadný e-mailing \"pomocí poštovního klienta\" potřebuje systémový program "
            "pro odesílání pošty (sendmail, např. z balíčku msmtp-mta nebo postfix), "
            "který zde nebyl nalezen; jednodušší je zvolit odesílání pomocí SMTP "
            "(hodnoty získáte u svého správce sítě).");
    }
    return note;
}

}  // namespace tervalo::compose
