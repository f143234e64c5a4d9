#include "compose/MailRoutesNote.h"
#include "sending/SubmissionStatusNote.h"
#include "support/TempAppDir.h"
#include "transport/mailclient/MailSubmissionProgram.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// A system's mail submission laid out as the mail systems install it: sbin/sendmail, a link to the
// program or the program itself, with the programs each system puts beside it.
struct SubmissionLayout {
    const char* name;
    const char* linkTarget;   // where sbin/sendmail points ("": sbin/sendmail is the program)
    const char* sibling;      // a program installed beside the target ("": none)
    const char* programName;  // as the notes name it; "PATH": the path of sbin/sendmail
    const char* statusEnd;    // what the finished status says after the program's name
};

QString makeProgram(const test::TempAppDir& root, const QString& name) {
    QDir().mkpath(QFileInfo(root.file(name)).path());
    root.write(name, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(root.file(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return root.file(name);
}

TEST(SubmissionNotes, nameTheSystemsMailProgramAndWhereItsQueueIsSeen) {
    const SubmissionLayout layouts[] = {
        {"msmtp", "bin/msmtp", "", "msmtp", ", který je hned odeslal na poštovní server."},
        {"msmtpq", "bin/msmtpq", "bin/msmtp", "msmtp (msmtpq)",
         "; ten je odešle sám, frontu zobrazíte příkazem msmtp-queue -d."},
        {"postfix", "", "sbin/postqueue", "Postfix", "; ten je odešle sám, frontu zobrazíte příkazem mailq."},
        {"exim", "sbin/exim4", "", "Exim", "; ten je odešle sám, frontu zobrazíte příkazem mailq."},
        {"sendmail", "lib/sm.bin/sendmail", "", "Sendmail",
         "; ten je odešle sám, frontu zobrazíte příkazem mailq."},
        {"unknown", "", "", "PATH",
         "; ten je odešle sám, pokud zprávy jen řadí do fronty, zobrazíte ji obvykle příkazem mailq."},
    };
    for (const SubmissionLayout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        test::TempAppDir root;
        QString sendmail;
        if (*layout.linkTarget) {
            const QString target = makeProgram(root, QString::fromLatin1(layout.linkTarget));
            QDir().mkpath(root.file(QStringLiteral("sbin")));
            sendmail = root.file(QStringLiteral("sbin/sendmail"));
            ASSERT_TRUE(QFile::link(target, sendmail));
        } else {
            sendmail = makeProgram(root, QStringLiteral("sbin/sendmail"));
        }
        if (*layout.sibling) {
            makeProgram(root, QString::fromLatin1(layout.sibling));
        }
        transport::MailClientEnvironment environment;
        environment.sendmailPaths = {root.file(QStringLiteral("usr/sbin/sendmail")), sendmail};
        const QString found = transport::FindMailSubmissionProgram(environment);
        ASSERT_EQ(found, sendmail);
        const QString name =
            QByteArray(layout.programName) == "PATH" ? sendmail : QString::fromUtf8(layout.programName);

        EXPECT_EQ(
            sending::SubmissionStatusNote(transport::DescribeMailSubmission(found)),
            QStringLiteral(" Poznámka: zprávy byly předány systémovému programu pro odesílání pošty (") +
                name + QLatin1Char(')') + QString::fromUtf8(layout.statusEnd));

        compose::EmailKlientTable clients;
        clients.defaultClient = QStringLiteral("Thunderbird");
        clients.submissionProgram = found;
        EXPECT_EQ(
            compose::MailRoutesNote(clients),
            QStringLiteral("Jednotlivé upomínky se otevírají v poštovním klientovi pracovní plochy "
                           "(Thunderbird), případně ve vlastním okně programu. Hromadný e-mailing "
                           "\"pomocí poštovního klienta\" předává zprávy systémovému programu pro "
                           "odesílání pošty (") +
                name +
                QStringLiteral("). Ten musí být nastaven tak, aby zprávy doručil na poštovní server vaší "
                               "kanceláře; není-li tak nastaven, je jednodušší zvolit odesílání pomocí "
                               "SMTP (hodnoty získáte u svého správce sítě)."));
    }
}

TEST(SubmissionNotes, sayWhatIsMissingOnADesktopWithoutClientOrSubmission) {
    transport::MailClientEnvironment environment;
    environment.sendmailPaths = {QStringLiteral("/nonexistent/sbin/sendmail")};
    environment.searchPath = {QStringLiteral("/nonexistent/bin")};
    const transport::MailSubmissionProgram none =
        transport::DescribeMailSubmission(transport::FindMailSubmissionProgram(environment));
    EXPECT_FALSE(none.found());

    EXPECT_EQ(sending::SubmissionStatusNote(none),
              QStringLiteral(" Poznámka: systémový program pro odesílání pošty (sendmail) nebyl nalezen; v "
                             "nastavení zvolte odesílání pomocí SMTP serveru."));
    EXPECT_EQ(compose::MailRoutesNote(compose::EmailKlientTable{}),
              QStringLiteral("Výchozí poštovní klient pracovní plochy nebyl nalezen: jednotlivé upomínky "
                             "odešlete ve vlastním okně programu pomocí SMTP serveru. Hromadný e-mailing "
                             "\"pomocí poštovního klienta\" potřebuje systémový program pro odesílání pošty "
                             "(sendmail, např. z balíčku msmtp-mta nebo postfix), který zde nebyl nalezen; "
                             "jednodušší je zvolit odesílání pomocí SMTP (hodnoty získáte u svého správce "
                             "sítě)."));
}

}  // namespace
