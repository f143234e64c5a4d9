#include "compose/SmtpTestEmail.h"

#include "compose/MakeMessageId.h"
#include "compose/SmtpReminder.h"
#include "transport/mime/BuildReminderMime.h"
#include "transport/smtp/SmtpSender.h"

namespace tervalo::compose {

QString SmtpTestRecipient(const app::AppSettings& settings, const QString& to) {
    return to.isEmpty() ? settings.SMTPFromAddress.trimmed() : to;
}

transport::SmtpOutcome SendSmtpTestEmail(const app::AppSettings& settings, const QString& to,
                                         transport::MimeEnvironment environment,
                                         const transport::SmtpSessionOptions& options) {
    const QString recipient = SmtpTestRecipient(settings, to);
    transport::OutgoingMail mail;
    mail.senderName = settings.SMTPFromName;
    mail.senderAddress = settings.SMTPFromAddress;
    mail.to = {recipient};
    mail.subject = QStringLiteral("Tervalo: zkušební e-mail");
    mail.body = QStringLiteral(
        "Dobrý den,\r\n"
        "\r\n"
        "tento zkušební e-mail odeslal program Tervalo, aby ověřil nastavení odesílání pomocí SMTP "
        "serveru. Dorazil-li, jsou server, zabezpečení i účet nastaveny správně a upomínky lze odesílat.\r\n"
        "\r\n"
        "Na tento e-mail neodpovídejte.\r\n");
    mail.messageIdentifier = MakeMessageId(settings.SMTPFromAddress);
    const auto message = transport::BuildReminderMime(mail, std::move(environment));
    const QString user = settings.SMTPAuth ? settings.SMTPUserID : QString();
    const QString password = settings.SMTPAuth ? settings.SMTPPassword : QString();
    return transport::SendBySmtp(settings.SMTPFromAddress, recipient, SmtpServerAddress(settings),
                                 message->MessageLines, user, password,
                                 SecuredSessionOptions(settings, options));
}

QString SmtpTestEmailReport(const transport::SmtpOutcome& outcome, const QString& to) {
    if (outcome.delivered) {
        return QStringLiteral("Zkušební e-mail byl odeslán na adresu ") + to +
               QStringLiteral(". Server odpověděl: ") + outcome.reply;
    }
    return QStringLiteral("Zkušební e-mail se nepodařilo odeslat.\n\nKrok, který selhal: ") +
           transport::stageCaption(outcome.stage) + QStringLiteral("\nOdpověď serveru: ") + outcome.reply;
}

}  // namespace tervalo::compose
