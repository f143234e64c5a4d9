#pragma once

#include "transport/SmtpOutcome.h"
#include "transport/TSMTPSend.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tervalo::transport {

// Delivers one rendered message in one SMTP session of its own, as DeliverBySmtp does, and says how
// far it came. Never throws: what DeliverBySmtp raises is an outcome with `sessionError` set. When an
// account was given but not accepted, a later refusal is reported as the authentication's failure.
SmtpOutcome SendBySmtp(const QString& sender, const QString& recipients, const QString& server,
                       const QList<QByteArray>& messageLines, const QString& user, const QString& password,
                       const SmtpSessionOptions& options = {});

// Delivers one rendered message in one SMTP session of its own. `sender` and each entry of
// `recipients` (comma-separated; commas inside double quotes do not separate) may be
// "Name <address>" or a bare address. `server` is "host" or "host:port" (port 25 when absent).
// Authentication is tried when `user` or `password` is not empty. True only when the server
// accepted the message. Raises SmtpError, before connecting, when the sender or the recipients hold
// a control character, and during the session for a reply beyond any sane size or when the chosen
// encryption cannot be had (its reason in Czech).
bool DeliverBySmtp(const QString& sender, const QString& recipients, const QString& server,
                   const QList<QByteArray>& messageLines, const QString& user, const QString& password,
                   const SmtpSessionOptions& options = {});

}  // namespace tervalo::transport
