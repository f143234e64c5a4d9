#pragma once

#include "settings/AppSettings.h"
#include "transport/mime/MimeEnvironment.h"
#include "transport/smtp/SmtpOutcome.h"
#include "transport/smtp/TSMTPSend.h"

#include <QString>

namespace tervalo::compose {

// `to`, or the sender's own address when `to` is empty.
QString SmtpTestRecipient(const app::AppSettings& settings, const QString& to);

// Sends one short Czech test message through the SMTP server, account and encryption of `settings`
// (which may be values not yet stored) to SmtpTestRecipient.
transport::SmtpOutcome SendSmtpTestEmail(const app::AppSettings& settings, const QString& to,
                                         transport::MimeEnvironment environment,
                                         const transport::SmtpSessionOptions& options = {});

// What the user is told: the recipient `to` the message went to, or the stage that failed and the server's
// reply.
QString SmtpTestEmailReport(const transport::SmtpOutcome& outcome, const QString& to);

}  // namespace tervalo::compose
