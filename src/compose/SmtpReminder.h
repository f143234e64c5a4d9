#pragma once

#include "app/AppSettings.h"
#include "compose/QrPlatbaReminder.h"
#include "compose/TemplateVariables.h"
#include "platform/UserInterface.h"
#include "transport/BuildReminderMime.h"
#include "transport/MimeEnvironment.h"
#include "transport/SmtpSender.h"
#include "transport/TMimeMess.h"
#include "transport/TSMTPSend.h"

#include <QString>

#include <memory>

namespace tervalo::compose {

// What the caller decides about one reminder.
// The address fields may hold several addresses separated by "," or ";".
struct ReminderRequest {
    QString recipient;
    QString subjectTemplate;
    QString attachmentPath;  // not empty when `attach` is set
    bool withBody = true;
    bool attach = true;
    QString copy;             // empty or blanks alone: no copy
    bool showDialog = false;  // the mail client shows its compose window first
    bool smtp = true;         // by SMTP; otherwise through the mail client
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

// 0 when the server accepted the reminder; -2 after telling the user why it did not.
int ReportSmtpOutcome(const transport::SmtpOutcome& outcome, const ReminderRequest& request,
                      UserInterface& ui);

// Transmits a composed reminder in a session of its own, as SmtpSenderFor makes it, and reports the
// outcome.
int DeliverSmtpReminder(const transport::TMimeMess& message, const ReminderRequest& request,
                        const app::AppSettings& settings, UserInterface& ui,
                        const transport::SmtpSessionOptions& options = {});

}  // namespace tervalo::compose
