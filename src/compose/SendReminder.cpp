#include "compose/SendReminder.h"

#include "compose/MakeMessageId.h"
#include "platform/Error.h"
#include "platform/FileWrite.h"
#include "transport/mailclient/MailClientErrors.h"
#include "transport/mailclient/TJclEmail.h"
#include "transport/mime/AddressText.h"
#include "transport/mime/BuildReminderMime.h"
#include "transport/mime/MimeEnvironment.h"

#include <QFileInfo>

#include <cerrno>

namespace tervalo::compose {

namespace {

ReminderResult sendBySmtp(const ReminderRequest& request, ReminderContext& context) {
    const std::unique_ptr<transport::TMimeMess> message = RenderSmtpReminder(request, context);
    if (!message) {
        return ReminderResult::NotSent;
    }
    return DeliverSmtpReminder(*message, request, context.settings, context.ui, context.smtpOptions);
}

// ClientType 1, 2 and 3 of the settings; any other value leaves the automatic choice.

transport::TJclSimpleMapi::TJclMapiClientConnect clientChoiceFor(int clientType) {
    switch (clientType) {
        case 2:
            return transport::TJclSimpleMapi::ccDefaultMapi;
        case 3:
            return transport::TJclSimpleMapi::ccDirect;
        default:
            return transport::TJclSimpleMapi::ccAutomatic;
    }
}

// A compose window takes files only: the images are written beside the archive and attached.
void addPaymentImages(transport::TJclEmail& email, const ReminderPayments& payments,
                      const ReminderRequest& request) {
    if (request.route != ReminderRoute::MailClientWindow) {
        for (const transport::InlineImage& image : payments.images) {
            email.AddInlineImage(image);
        }
        return;
    }
    if (request.attachmentPath.isEmpty()) {
        return;  // no debtor folder to write them to; every debtor reminder has its archive
    }
    const QString folder = QFileInfo(request.attachmentPath).absolutePath();
    for (const transport::InlineImage& image : payments.images) {
        const QString path = folder + QLatin1Char('/') + image.name;
        if (!platform::FileWrite::replaceDurably(path, image.png)) {
            throw QrPlatbaError(QStringLiteral("Obrázek QR platby nelze zapsat do souboru ") + path +
                                QStringLiteral(": ") + qt_error_string(errno));
        }
        email.AddAttachmentPath(path);
    }
}

ReminderResult sendThroughMailClient(const ReminderRequest& request, ReminderContext& context) {
    const bool showDialog = request.route == ReminderRoute::MailClientWindow;
    const app::AppSettings& settings = context.settings;
    transport::TJclEmail email(context.mailClients);
    email.SetClientChoice(clientChoiceFor(settings.ClientType));
    if (const int row = context.mtEmailKlient.locateClient(settings.ClientDirectName); row >= 0) {
        context.mtEmailKlient.current = row;
    }
    // No current row: nothing was chosen, and the desktop's default client serves.
    if (context.mtEmailKlient.current >= 0) {
        email.SelectMailClient(context.mtEmailKlient.current);
    }
    // No desktop mail client can show the reminder: the user is told what to install or choose.
    if (showDialog && email.ComposeClientPos() < 0) {
        transport::RaiseNoDesktopMailClient();
    }

    const auto payments =
        request.withBody ? ReminderPaymentsFor(context.tables, settings, context.ui, context.paymentNotes)
                         : std::nullopt;
    const TemplateValues debtorValues = WithLevelValues(CurrentDebtorValues(context.tables), request);
    const TemplateValues values = payments ? WithPaymentDetails(debtorValues, *payments) : debtorValues;
    email.Clear();
    // Each address of a field is a recipient of its own: a client's address field takes one each.
    for (const QString& address : transport::addressList(request.recipient)) {
        email.AddMailRecipient(address, QString(), transport::rcTo);
    }
    for (const QString& address : transport::addressList(request.copy)) {
        email.AddMailRecipient(address, address, transport::rcCc);
    }
    email.SetMailSubject(ReplaceTemplateVariables(request.subjectTemplate, values));
    if (request.withBody) {
        email.SetMailBody(
            ReplaceTemplateVariables(settings.levelBody(request.level), values, DocumentsVariable::Replaced));
    }
    if (request.attach && !request.attachmentPath.isEmpty()) {
        email.AddAttachmentPath(request.attachmentPath);
    }
    if (payments) {
        addPaymentImages(email, *payments, request);
    }
    transport::MailClientContext mailContext{
        context.ui, transport::MimeEnvironment::forSystem(context.locale), settings.SMTPFromName,
        settings.SMTPFromAddress, [out = context.handedMessage](const QString& sender) {
            QString identifier = MakeMessageId(sender);
            if (out != nullptr) {
                out->messageId = identifier;
            }
            return identifier;
        }};
    mailContext.clientErrorOutput = context.mailClientErrors;
    if (context.handedMessage != nullptr) {
        mailContext.keepMessage = [out = context.handedMessage](const QByteArray& text) { out->text = text; };
    }
    return email.SendThroughMailClient(showDialog, mailContext) ? ReminderResult::Accepted
                                                                : ReminderResult::NotSent;
}

}  // namespace

std::unique_ptr<transport::TMimeMess> RenderSmtpReminder(const ReminderRequest& request,
                                                         ReminderContext& context) {
    return RenderEditedSmtpReminder(request, context, [](transport::OutgoingMail&) { return true; });
}

std::unique_ptr<transport::TMimeMess> RenderEditedSmtpReminder(
    const ReminderRequest& request, ReminderContext& context,
    const std::function<bool(transport::OutgoingMail&)>& edit) {
    try {
        const auto payments = request.withBody ? ReminderPaymentsFor(context.tables, context.settings,
                                                                     context.ui, context.paymentNotes)
                                               : std::nullopt;
        transport::OutgoingMail mail =
            ComposeReminderMail(request, CurrentDebtorValues(context.tables), context.settings, payments);
        if (!edit(mail)) {
            return nullptr;
        }
        return transport::BuildReminderMime(mail, transport::MimeEnvironment::forSystem(context.locale));
    } catch (const platform::Error& e) {
        // An archive that cannot be read or unusable payment accounts fail this reminder like a
        // failed send, with both messages.
        transport::SmtpOutcome failed;
        failed.reply = e.text();
        failed.sessionError = true;
        ReportSmtpOutcome(failed, request, context.ui);
        return nullptr;
    }
}

ReminderRequest DebtorReminderRequest(const QString& recipient, const QString& archivePath,
                                      const app::AppSettings& settings, int level, const QDate& today) {
    ReminderRequest request;
    request.recipient = recipient;
    request.level = qBound(1, level, app::kMaxReminderLevels);
    request.subjectTemplate = settings.levelSubject(request.level);
    const app::ReminderLevel& levelSettings = settings.Urovne[request.level - 1];
    request.levelValues = LevelValues{
        levelSettings.Nazev, today.addDays(levelSettings.Lhuta).toString(QStringLiteral("dd.MM.yyyy"))};
    request.attachmentPath = archivePath;
    request.withBody = true;
    request.attach = settings.E_PripojitPrilohu;
    request.copy = settings.E_KopieEmailu;
    return request;
}

ReminderRequest EmptyMessageRequest(const QString& recipient, const app::AppSettings& settings) {
    ReminderRequest request;
    request.recipient = recipient;
    request.withBody = false;
    request.attach = false;
    request.level = 0;
    request.copy = settings.E_KopieEmailu;
    request.route = ReminderRoute::MailClientWindow;
    return request;
}

ReminderResult SendReminder(const ReminderRequest& request, ReminderContext& context) {
    return request.route == ReminderRoute::Smtp ? sendBySmtp(request, context)
                                                : sendThroughMailClient(request, context);
}

}  // namespace tervalo::compose
