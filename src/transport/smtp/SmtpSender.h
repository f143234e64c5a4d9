#pragma once

#include "transport/smtp/SmtpOutcome.h"
#include "transport/smtp/TSMTPSend.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace tervalo::transport {

// Delivers messages to one server with one account, keeping the session open between them, so a
// whole bulk run needs one connection, one TLS handshake and one login rather than one of each per
// message (servers also count logins, and some turn away an account that logs in too often).
// A session that a failure touched is closed, so the next message starts on a new one and a user
// pondering the failure leaves no idle connection behind. A kept session that the server gave up
// meanwhile (it closed the connection, went silent, or turned the next message away with a temporary
// reply, as servers do at their limit of messages per connection) is replaced by a new one and the
// message tried once more there, but only while none of its text had gone out: past that point the
// server may have taken it, and a second try could deliver it twice.
class SmtpSender {
public:
    // `server` is "host" or "host:port" (port 25 when absent). Authentication is tried when `user`
    // or `password` is not empty.
    SmtpSender(const QString& server, const QString& user, const QString& password,
               const SmtpSessionOptions& options = {});
    ~SmtpSender();
    SmtpSender(const SmtpSender&) = delete;
    SmtpSender& operator=(const SmtpSender&) = delete;

    // Delivers one rendered message and says how far it came; never throws. `sender` and each entry
    // of `recipients` (comma-separated; commas inside double quotes do not separate) may be
    // "Name <address>" or a bare address. Addresses holding a control character are refused before
    // anything is sent, as a session error. When an account was given but not accepted, a later
    // refusal is reported as the authentication's failure.
    // `mayCommit`, when given, holds the message back until it returns, and withdraws it when it
    // returns false: it is asked before the message's end mark goes out on a kept session, so the
    // exchange before it overlaps the caller's wait, and before anything is sent on a new one, since a
    // session opened only to wait could sit idle for as long as the caller takes (a user's answer).
    SmtpOutcome send(const QString& sender, const QString& recipients, const QList<QByteArray>& messageLines,
                     const std::function<bool()>& mayCommit = {});
    // QUIT on the kept session, if any.
    void close();

private:
    SmtpOutcome transact(const QString& sender, const QString& recipients,
                         const QList<QByteArray>& messageLines, const std::function<bool()>& mayCommit,
                         bool& retry);
    bool open(SmtpOutcome& outcome);

    QString m_host;
    QString m_port;
    QString m_user;
    QString m_password;
    SmtpSessionOptions m_options;
    std::unique_ptr<TSMTPSend> m_session;
};

// Delivers one rendered message in one SMTP session of its own and says how far it came. Never throws.
SmtpOutcome SendBySmtp(const QString& sender, const QString& recipients, const QString& server,
                       const QList<QByteArray>& messageLines, const QString& user, const QString& password,
                       const SmtpSessionOptions& options = {});

}  // namespace tervalo::transport
