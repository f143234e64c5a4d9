#include "compose/SmtpReminder.h"

#include "compose/MakeMessageId.h"
#include "transport/DeliverBySmtp.h"

namespace tervalo::compose {

std::unique_ptr<transport::TMimeMess> ComposeSmtpReminder(const ReminderRequest& request,
                                                          const TemplateValues& values,
                                                          const app::AppSettings& settings,
                                                          transport::MimeEnvironment environment) {
    auto message = std::make_unique<transport::TMimeMess>(std::move(environment));
    const QString& sender = settings.SMTPFromAddress;
    transport::TMessHeader& header = message->Header;
    header.SenderField = settings.SMTPFromName + QStringLiteral(" <") + sender + QLatin1Char('>');
    header.ExtraHeaderLines.append(QStringLiteral("Return-Path: <") + sender + QLatin1Char('>'));
    header.RecipientList.append(QLatin1Char('<') + request.recipient + QLatin1Char('>'));
    if (!request.copy.isEmpty()) {
        header.CopyList.append(QLatin1Char('<') + request.copy + QLatin1Char('>'));
    }
    header.MessageIdentifier = MakeMessageId(sender);
    header.MailerName = QStringLiteral("Microsoft Office Outlook 11");
    header.SubjectText = ReplaceTemplateVariables(request.subjectTemplate, values);

    transport::TMimePart& root = message->StartMultipart(QStringLiteral("Mixed"));
    if (request.withBody) {
        message->AppendTextPart(ReplaceTemplateVariables(settings.EText, values, DocumentsVariable::Replaced),
                                root);
    }
    if (request.attach) {
        message->AppendFilePart(request.attachmentPath, root);
    }
    message->RenderMessage();
    return message;
}

QString EnvelopeRecipients(const ReminderRequest& request) {
    return request.copy.isEmpty() ? request.recipient : request.recipient + QLatin1Char(',') + request.copy;
}

int DeliverSmtpReminder(const transport::TMimeMess& message, const ReminderRequest& request,
                        const app::AppSettings& settings, UserInterface& ui,
                        const transport::SmtpSessionOptions& options) {
    const QString server = settings.SMTPHost + QLatin1Char(':') + QString::number(settings.SMTPPort);
    const QString user = settings.SMTPAuth ? settings.SMTPUserID : QString();
    const QString password = settings.SMTPAuth ? settings.SMTPPassword : QString();
    bool delivered = false;
    try {
        delivered = transport::DeliverBySmtp(settings.SMTPFromAddress, EnvelopeRecipients(request), server,
                                             message.MessageLines, user, password, options);
    } catch (const std::exception& e) {
        ui.error(QStringLiteral("Při odesílání e-mailu ") + request.recipient +
                 QStringLiteral(" došlo k chybě: ") + QString::fromUtf8(e.what()));
        ui.showWaitMessage(QString(), false);
    }
    if (!delivered) {
        ui.error(QStringLiteral("Odeslání e-mailu na adresu ") + request.recipient +
                 QStringLiteral(" se nezdařilo."));
        ui.showWaitMessage(QString(), false);
        return -2;
    }
    return 0;
}

}  // namespace tervalo::compose
