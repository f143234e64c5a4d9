#pragma once

#include "import/TemplateVariables.h"
#include "payment/QrPlatbaReminder.h"
#include "platform/UserInterface.h"
#include "settings/AppSettings.h"
#include "transport/mime/BuildReminderMime.h"
#include "transport/mime/MimeEnvironment.h"
#include "transport/mime/TMimeMess.h"
#include "transport/smtp/SmtpSender.h"
#include "transport/smtp/TSMTPSend.h"

#include <QString>

#include <memory>

namespace tervalo::compose {

// How a reminder reaches its recipient.
enum class ReminderRoute {
    Smtp,              // by the program's own SMTP session
    MailClientWindow,  // the desktop mail client shows its compose window, where the user sends it
    Sendmail,          // handed to the system's mail submission, without any window
};

// What came of a reminder handed over. The numbers are those tervalo-cli prints as "result".
enum class ReminderResult {
    Accepted = 0,  // accepted for delivery (by the server, the mail program or the user's client)
    NotSent = -2,  // not sent; the user has been told why, or cancelled it
};

// What the caller decides about one reminder.
// The address fields may hold several addresses separated by "," or ";".
struct ReminderRequest {
    QString recipient;
    QString subjectTemplate;
    QString attachmentPath;  // not empty when `attach` is set
    bool withBody = true;
    bool attach = true;
    QString copy;  // empty or blanks alone: no copy
    ReminderRoute route = ReminderRoute::Smtp;
    // The reminder level (1 the first; 0 for a message of none), whose body the settings give, and
    // what it puts into the texts.
    int level = 1;
    std::optional<LevelValues> levelValues = std::nullopt;
};

// The reminder for the SMTP route before it is rendered: sender from the SMTP settings, every
// address of the recipient and copy fields, the subject and the body from their templates with the
// values and the level's,
// the payment codes' images when there are payments, and the archive as its file.
transport::OutgoingMail ComposeReminderMail(const ReminderRequest& request, const TemplateValues& values,
                                            const app::AppSettings& settings,
                                            const std::optional<ReminderPayments>& payments = {});

// ComposeReminderMail rendered. Throws transport::AttachmentOpenError when the archive cannot be read.
std::unique_ptr<transport::TMimeMess> ComposeSmtpReminder(
    const ReminderRequest& request, const TemplateValues& values, const app::AppSettings& settings,
    transport::MimeEnvironment environment, const std::optional<ReminderPayments>& payments = {});

// `values` with those of the request's level.
TemplateValues WithLevelValues(TemplateValues values, const ReminderRequest& request);

// The envelope recipients: the addresses of the recipient and then of the copy, joined by commas.
QString EnvelopeRecipients(const ReminderRequest& request);

// `options` with the encryption, the CA file and the clear-text password permission the settings choose.
transport::SmtpSessionOptions SecuredSessionOptions(const app::AppSettings& settings,
                                                    transport::SmtpSessionOptions options = {});

// The "host:port" of the stored SMTP server.
QString SmtpServerAddress(const app::AppSettings& settings);

// The session for reminders with the stored SMTP server and account (none unless SMTPAuth is set)
// and the stored encryption.
transport::SmtpSender SmtpSenderFor(const app::AppSettings& settings,
                                    const transport::SmtpSessionOptions& options = {});

// Hands a composed reminder to the server on `session`. Touches neither the tables nor the user, so
// it may run on another thread while the caller's thread goes on; never throws. `mayCommit` holds the
// reminder back as SmtpSender::send says.
transport::SmtpOutcome TransmitSmtpReminder(const transport::TMimeMess& message,
                                            const ReminderRequest& request, transport::SmtpSender& session,
                                            const app::AppSettings& settings,
                                            const std::function<bool()>& mayCommit = {});

// Accepted when the server accepted the reminder; NotSent after telling the user why it did not.
ReminderResult ReportSmtpOutcome(const transport::SmtpOutcome& outcome, const ReminderRequest& request,
                                 UserInterface& ui);

// Transmits a composed reminder in a session of its own, as SmtpSenderFor makes it, and reports the
// outcome.
ReminderResult DeliverSmtpReminder(const transport::TMimeMess& message, const ReminderRequest& request,
                                   const app::AppSettings& settings, UserInterface& ui,
                                   const transport::SmtpSessionOptions& options = {});

}  // namespace tervalo::compose
