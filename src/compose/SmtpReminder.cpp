#include "compose/SmtpReminder.h"

#include "compose/MakeMessageId.h"
#include "transport/mime/AddressText.h"
#include "transport/mime/BuildReminderMime.h"

namespace tervalo::compose {

transport::OutgoingMail ComposeReminderMail(const ReminderRequest& request,
                                            const TemplateValues& debtorValues,
                                            const app::AppSettings& settings,
                                            const std::optional<ReminderPayments>& payments) {
    const TemplateValues values = WithLevelValues(debtorValues, request);
    transport::OutgoingMail mail;
    mail.senderName = settings.SMTPFromName;
    mail.senderAddress = settings.SMTPFromAddress;
    mail.to = transport::addressList(request.recipient);
    mail.cc = transport::addressList(request.copy);
    mail.subject = ReplaceTemplateVariables(request.subjectTemplate, values);
    if (request.withBody) {
        mail.body = ReplaceTemplateVariables(settings.levelBody(request.level),
                                             payments ? WithPaymentDetails(values, *payments) : values,
                                             DocumentsVariable::Replaced);
    }
    if (payments) {
        mail.images = payments->images;
    }
    if (request.attach) {
        mail.attachments = {request.attachmentPath};
    }
    mail.messageIdentifier = MakeMessageId(settings.SMTPFromAddress);
    return mail;
}

std::unique_ptr<transport::TMimeMess> ComposeSmtpReminder(const ReminderRequest& request,
                                                          const TemplateValues& values,
                                                          const app::AppSettings& settings,
                                                          transport::MimeEnvironment environment,
                                                          const std::optional<ReminderPayments>& payments) {
    return transport::BuildReminderMime(ComposeReminderMail(request, values, settings, payments),
                                        std::move(environment));
}

TemplateValues WithLevelValues(TemplateValues values, const ReminderRequest& request) {
    values.Level = request.levelValues;
    return values;
}

QString EnvelopeRecipients(const ReminderRequest& request) {
    return (transport::addressList(request.recipient) + transport::addressList(request.copy))
        .join(QLatin1Char(','));
}

transport::SmtpSessionOptions SecuredSessionOptions(const app::AppSettings& settings,
                                                    transport::SmtpSessionOptions options) {
    options.security = transport::SmtpSecurity(settings.SMTPSecurity);
    options.caFile = settings.SMTPCAFile.trimmed();
    options.plainAuthAllowed = settings.SMTPPlainAuth;
    return options;
}

QString SmtpServerAddress(const app::AppSettings& settings) {
    return settings.SMTPHost + QLatin1Char(':') + QString::number(settings.SMTPPort);
}

transport::SmtpSender SmtpSenderFor(const app::AppSettings& settings,
                                    const transport::SmtpSessionOptions& options) {
    return transport::SmtpSender(
        SmtpServerAddress(settings), settings.SMTPAuth ? settings.SMTPUserID : QString(),
        settings.SMTPAuth ? settings.SMTPPassword : QString(), SecuredSessionOptions(settings, options));
}

transport::SmtpOutcome TransmitSmtpReminder(const transport::TMimeMess& message,
                                            const ReminderRequest& request, transport::SmtpSender& session,
                                            const app::AppSettings& settings,
                                            const std::function<bool()>& mayCommit) {
    return session.send(settings.SMTPFromAddress, EnvelopeRecipients(request), message.MessageLines,
                        mayCommit);
}

ReminderResult ReportSmtpOutcome(const transport::SmtpOutcome& outcome, const ReminderRequest& request,
                                 UserInterface& ui) {
    if (outcome.sessionError) {
        ui.error(QStringLiteral("Při odesílání e-mailu ") + request.recipient +
                 QStringLiteral(" došlo k chybě: ") + outcome.reply);
        ui.showWaitMessage(QString(), false);
    }
    if (!outcome.delivered) {
        // The server's reply, or the reason there was none, ends the message; a session error has
        // just been told with its reason.
        const QString reply = outcome.reply.simplified();
        ui.error(QStringLiteral("Odeslání e-mailu na adresu ") + request.recipient +
                 (outcome.sessionError || reply.isEmpty()
                      ? QStringLiteral(" se nezdařilo.")
                      : QStringLiteral(" se nezdařilo (") + transport::stageCaption(outcome.stage) +
                            QStringLiteral("): ") + reply));
        ui.showWaitMessage(QString(), false);
        return ReminderResult::NotSent;
    }
    return ReminderResult::Accepted;
}

ReminderResult DeliverSmtpReminder(const transport::TMimeMess& message, const ReminderRequest& request,
                                   const app::AppSettings& settings, UserInterface& ui,
                                   const transport::SmtpSessionOptions& options) {
    transport::SmtpSender session = SmtpSenderFor(settings, options);
    return ReportSmtpOutcome(TransmitSmtpReminder(message, request, session, settings), request, ui);
}

}  // namespace tervalo::compose
