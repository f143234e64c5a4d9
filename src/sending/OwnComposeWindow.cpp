#include "sending/OwnComposeWindow.h"

#include "sending/ReminderJournal.h"
#include "sending/ShownWaitMessage.h"
#include "transport/mailclient/ComposeFields.h"
#include "transport/mailclient/TJclSimpleMapi.h"
#include "transport/mime/AddressText.h"

#include <QFileInfo>

#include <algorithm>

namespace tervalo::sending {

namespace {

const QString kSending = QStringLiteral("Odesílání e-mailu, čekejte prosím...");

ReminderDraft draftOf(const transport::OutgoingMail& mail, const compose::ReminderRequest& request) {
    ReminderDraft draft;
    draft.sender = mail.senderName + QStringLiteral(" <") + mail.senderAddress + QLatin1Char('>');
    draft.to = request.recipient;
    draft.copy = request.copy;
    draft.subject = mail.subject;
    draft.body = mail.body.value_or(QString());
    for (const QString& path : mail.attachments) {
        draft.attachments.append(QFileInfo(path).fileName());
    }
    for (const transport::InlineImage& image : mail.images) {
        draft.paymentCodes.append(image.name);
    }
    return draft;
}

}  // namespace

bool NoDesktopMailClient(const compose::EmailKlientTable& clients) {
    return std::all_of(clients.rows.begin(), clients.rows.end(), [](const compose::EmailKlientRow& row) {
        return row.Client == transport::TJclSimpleMapi::sendmailTitle();
    });
}

bool SmtpConfigured(const app::AppSettings& settings) {
    return !settings.SMTPHost.trimmed().isEmpty() && !settings.SMTPFromAddress.trimmed().isEmpty();
}

bool AcceptReminderDraft(ReminderDraft& draft, UserInterface& ui) {
    draft.to = draft.to.trimmed();
    draft.copy = draft.copy.trimmed();
    std::optional<QString> warning = transport::invalidAddressWarning(draft.to);
    if (!warning && !transport::addressList(draft.copy).isEmpty()) {
        warning = transport::invalidAddressWarning(draft.copy);
    }
    if (warning) {
        ui.warning(*warning);
        return false;
    }
    return true;
}

compose::ReminderResult SendOwnComposedReminder(const compose::ReminderRequest& request,
                                                compose::ReminderContext& context, bool showWindow,
                                                state::SendJournal* journal) {
    compose::ReminderRequest sent = request;
    sent.route = compose::ReminderRoute::Smtp;
    // What the journal keeps of the message as it goes out, the user's edits included.
    QString subject;
    QString messageId;
    const auto edit = [&](transport::OutgoingMail& mail) {
        messageId = mail.messageIdentifier;
        subject = mail.subject;
        if (!showWindow) {
            return true;
        }
        UserInterface& ui = context.ui;
        const std::optional<ReminderDraft> edited = ui.composeReminder(
            draftOf(mail, sent), [&ui](ReminderDraft& draft) { return AcceptReminderDraft(draft, ui); });
        if (!edited) {
            return false;
        }
        sent.recipient = edited->to;
        sent.copy = edited->copy;
        mail.to = transport::addressList(edited->to);
        mail.cc = transport::addressList(edited->copy);
        mail.subject = edited->subject;
        subject = edited->subject;
        if (mail.body || !edited->body.isEmpty()) {
            mail.body = transport::withCrLf(edited->body);
        }
        return true;
    };
    const std::unique_ptr<transport::TMimeMess> message =
        compose::RenderEditedSmtpReminder(sent, context, edit);
    if (!message) {
        return compose::ReminderResult::NotSent;
    }
    const ShownWaitMessage wait(context.ui, kSending);
    if (journal == nullptr) {
        return compose::DeliverSmtpReminder(*message, sent, context.settings, context.ui,
                                            context.smtpOptions);
    }
    state::JournalRecord record = JournalRecordOf(context.tables, sent);
    record.subject = subject;
    record.message = message->messageText();
    record.time = QDateTime::currentDateTime();
    // Stored before the message goes out, so that a kill leaves it unsure rather than unrecorded.
    const qint64 id = journal->begin(record);
    transport::SmtpSender session = compose::SmtpSenderFor(context.settings, context.smtpOptions);
    const transport::SmtpOutcome outcome =
        compose::TransmitSmtpReminder(*message, sent, session, context.settings);
    journal->finish(id, JournalResultOf(outcome), outcome.reply, messageId);
    return compose::ReportSmtpOutcome(outcome, sent, context.ui);
}

}  // namespace tervalo::sending
