#pragma once

#include "compose/EmailKlientTable.h"
#include "compose/SmtpReminder.h"
#include "import/ExportTables.h"
#include "platform/ChildProcess.h"
#include "platform/SystemLocale.h"
#include "platform/UserInterface.h"
#include "settings/AppSettings.h"
#include "transport/mailclient/MailClientEnvironment.h"
#include "transport/smtp/TSMTPSend.h"

#include <QStringList>

namespace tervalo::compose {

// The reminder to a debtor as the single reminder and the bulk run send it: the subject and body
// templates of the reminder level `level` (1 is the first), its name and deadline counted from
// `today`, the copy address and the attach switch from the settings, and the debtor's archive. The
// caller sets the route (`route`).
ReminderRequest DebtorReminderRequest(const QString& recipient, const QString& archivePath,
                                      const app::AppSettings& settings, int level = 1,
                                      const QDate& today = QDate::currentDate());

// The empty message offered for an excluded debtor: no subject, body or attachment; the copy
// address from the settings; through the mail client with its compose window.
ReminderRequest EmptyMessageRequest(const QString& recipient, const app::AppSettings& settings);

// A reminder as the mail-client route handed it over: the message (what the mail program was given,
// or the same fields rendered as a message for a compose window) and the Message-ID of a message
// this program rendered itself (a compose window's client makes its own).
struct HandedMessage {
    QString messageId;
    QByteArray text;
};

// What sending a reminder draws on besides the request. The template values come from the current
// mtFirmy row; the mail client is chosen in `mtEmailKlient` by the settings.
struct ReminderContext {
    import::ExportTables& tables;
    const app::AppSettings& settings;
    EmailKlientTable& mtEmailKlient;
    const platform::SystemLocale& locale;
    UserInterface& ui;
    transport::SmtpSessionOptions smtpOptions = {};
    transport::MailClientEnvironment mailClients = transport::MailClientEnvironment::fromEnvironment();
    // Where the reasons a payment code was not made go instead of information boxes: a bulk run
    // writes them into its protocol rather than stopping at a box for every debtor.
    QStringList* paymentNotes = nullptr;
    // Where a mail client started for its compose window writes its errors.
    transport::DetachedErrorOutput mailClientErrors = transport::DetachedErrorOutput::Ours;
    // Where the mail-client route puts what it handed over, for the send journal.
    HandedMessage* handedMessage = nullptr;
};

// The SMTP route's first half: the reminder to the debtor of the current mtFirmy row rendered, or
// nothing after telling the user why it could not be (an archive that cannot be read, unusable
// payment accounts). TransmitSmtpReminder and ReportSmtpOutcome are the rest.
std::unique_ptr<transport::TMimeMess> RenderSmtpReminder(const ReminderRequest& request,
                                                         ReminderContext& context);

// RenderSmtpReminder with `edit` given the composed mail before it is rendered; nothing is rendered
// when `edit` answers false (the user has nothing to be told).
std::unique_ptr<transport::TMimeMess> RenderEditedSmtpReminder(
    const ReminderRequest& request, ReminderContext& context,
    const std::function<bool(transport::OutgoingMail&)>& edit);

// Composes and delivers one reminder to the debtor of the current mtFirmy row, by SMTP or through
// the mail client as the request says. Accepted when the message was accepted for delivery, NotSent otherwise
// (the user has been told of an SMTP failure; a cancel in the mail client is silent). Errors of the
// mail-client interface (transport::EJclMapiError) are not caught: they reach the caller. A reminder
// for a compose window never goes to the system's mail submission, and one without a window always
// does (TJclSimpleMapi::ComposeClientPos).
ReminderResult SendReminder(const ReminderRequest& request, ReminderContext& context);

}  // namespace tervalo::compose
