#include "compose/SendReminder.h"

#include "transport/EJclMapiError.h"
#include "transport/MimeEnvironment.h"

namespace tervalo::compose {

namespace {

int sendBySmtp(const ReminderRequest& request, ReminderContext& context) {
    std::unique_ptr<transport::TMimeMess> message;
    try {
        message = ComposeSmtpReminder(request, CurrentDebtorValues(context.tables), context.settings,
                                      transport::MimeEnvironment::forSystem(context.locale));
    } catch (const std::exception& e) {
        // An archive that cannot be read fails this reminder like a failed send, with both messages.
        context.ui.error(QStringLiteral("Při odesílání e-mailu ") + request.recipient +
                         QStringLiteral(" došlo k chybě: ") + QString::fromUtf8(e.what()));
        context.ui.showWaitMessage(QString(), false);
        context.ui.error(QStringLiteral("Odeslání e-mailu na adresu ") + request.recipient +
                         QStringLiteral(" se nezdařilo."));
        context.ui.showWaitMessage(QString(), false);
        return -2;
    }
    return DeliverSmtpReminder(*message, request, context.settings, context.ui, context.smtpOptions);
}

int sendThroughMailClient(const ReminderRequest& /*request*/, ReminderContext& /*context*/) {
    throw transport::EJclMapiError(QStringLiteral("MAPI Error: (26) \"Not supported\""));
}

}  // namespace

ReminderRequest DebtorReminderRequest(const QString& recipient, const QString& archivePath,
                                      const app::AppSettings& settings) {
    ReminderRequest request;
    request.recipient = recipient;
    request.subjectTemplate = settings.E_Predmet;
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
    request.copy = settings.E_KopieEmailu;
    request.showDialog = true;
    request.smtp = false;
    return request;
}

int SendReminder(const ReminderRequest& request, ReminderContext& context) {
    return request.smtp ? sendBySmtp(request, context) : sendThroughMailClient(request, context);
}

}  // namespace tervalo::compose
