#pragma once

#include "transport/charset/Charset.h"
#include "transport/smtp/SmtpOutcome.h"
#include "transport/smtp/TTCPBlockSocket.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tervalo::transport {

// What a session takes besides the server and the account.
struct SmtpSessionOptions {
    // For each wait for reply data and for each piece of data sent; a whole reply must arrive within
    // twice this, the session up to the message's acceptance within five times this.
    int replyTimeoutMs = 60000;
    QString localHostName;                  // for EHLO/HELO; empty: the computer's host name
    Charset textCharset = Charset::CP1250;  // of addresses and credentials on the wire (LocalCharset)
    SmtpSecurity security = SmtpSecurity::None;
    QString caFile;  // PEM certificates trusted beside the system's store; empty: the store alone
    // LOGIN and PLAIN, which hand over the password itself, also on an unencrypted connection (a
    // trusted relay on the local network); otherwise only CRAM-MD5 is used there.
    bool plainAuthAllowed = false;
};

// One SMTP session, plain or encrypted. Every step reports success as a flag; the stage it reached and
// why it failed stay readable afterwards. Once encryption is chosen nothing but the greeting, EHLO and
// STARTTLS travels in plain text: a server that does not offer or refuses STARTTLS ends the session.
class TSMTPSend {
public:
    explicit TSMTPSend(const SmtpSessionOptions& options = {});

    const QString& ServerHost() const { return m_ServerHost; }
    void setServerHost(const QString& host) { m_ServerHost = host; }
    // A port number or a service name; "smtp" (25) unless set.
    const QString& ServerPort() const { return m_ServerPort; }
    void setServerPort(const QString& port) { m_ServerPort = port; }
    int ReplyTimeout() const { return m_ReplyTimeout; }
    const QString& LocalHostName() const { return m_LocalHostName; }
    SmtpSecurity Security() const { return m_security; }
    const QString& AuthUser() const { return m_AuthUser; }
    // The password is only ever read by the authentication steps.
    void setAccount(const QString& user, const QString& password);

    int ReplyCode() const { return m_ReplyCode; }
    const QList<QByteArray>& ReplyLines() const { return m_ReplyLines; }
    const QByteArray& LastReplyLine() const { return m_LastReplyLine; }
    const QList<QByteArray>& Capabilities() const { return m_Capabilities; }
    bool ExtendedMode() const { return m_ExtendedMode; }
    bool AuthDone() const { return m_AuthDone; }
    bool SizeAdvertised() const { return m_SizeAdvertised; }
    // The server takes commands in groups (RFC 2920): the envelope goes in one write.
    bool PipeliningOffered() const { return m_PipeliningOffered; }
    bool Encrypted() const { return m_Sock.Encrypted(); }
    // A wait timed out or the connection failed: the session can carry nothing more.
    bool ConnectionLost() const { return m_connectionLost; }
    // Some of the message text has gone to the server since the last MAIL FROM: from here on the
    // server may have taken the message, whatever the reply says.
    bool MessageTextStarted() const { return m_messageTextStarted; }
    // The caller held the last message back before its end mark: the server has not taken it, and the
    // session, inside the message text, can carry nothing more.
    bool MessageWithdrawn() const { return m_messageWithdrawn; }

    // The stage the session is in, or failed in.
    SmtpStage Stage() const { return m_stage; }
    // Why the last step failed: the reason in Czech when the session itself gave up (encryption),
    // else the server's reply lines, else what the socket reported.
    QString FailureReply() const;
    // What the server answered to the authentication that failed, or why none was tried.
    const QString& AuthFailure() const { return m_authFailure; }

    // Connect (TLS right away when chosen), greeting 220, EHLO (HELO as fallback), STARTTLS and EHLO
    // again when chosen, authentication when an account is given: CRAM-MD5, which never reveals the
    // password, then LOGIN and PLAIN over an encrypted connection only (unless plainAuthAllowed). A
    // failed authentication does not fail the session. A security value other than the three known
    // ones fails it before anything is sent. On failure the connection is closed without QUIT.
    bool OpenSmtpSession();
    // Throws SmtpError for a line beyond TTCPBlockSocket::kMaxLineLength or a reply of more than
    // 1,000 lines or 1 MiB: a peer that never ends its reply must not fill the memory. Throws it too
    // for a reply still incomplete when its time or the session's is up (data arrived, but so slowly
    // that no single wait ran out).
    void ReadSmtpReply();
    QByteArray FindCapability(const QByteArray& prefix) const;
    bool AuthenticateCramMd5();
    bool AuthenticateLogin();
    bool AuthenticatePlain();
    // Gives a further message on an open session the time the first one had, counted from now.
    void RestartMessageDeadline();
    bool SendEnvelopeSender(const QString& address, qint64 messageSize);
    // MAIL FROM, RCPT TO for each of `recipients` and DATA; true when the server waits for the message
    // text. Where the server offers pipelining they go in one write and their replies are read in
    // order, otherwise each waits for its reply and a refusal sends nothing more. Either way the first
    // refusal is the step's failure: its stage and its reply.
    bool SendEnvelope(const QString& sender, qint64 messageSize, const QStringList& recipients);
    // After DATA's 354: the text dot-stuffed, in buffers of up to 64 KiB, the final "." with the last
    // one. `mayCommit`, when given, is asked (and may wait) before that last buffer goes; false
    // withdraws the message.
    bool SendMessageText(const QList<QByteArray>& messageLines, const std::function<bool()>& mayCommit = {});
    // QUIT and its reply unless the connection already failed (a timeout, a closed connection), then
    // close. Never throws. After such a failure no other command is sent either: HELO after an EHLO
    // that timed out, or the next authentication, would each wait once more for nothing.
    void CloseSmtpSession();

private:
    // Sends the line with CR LF and reads the reply; the reply code.
    int command(const QByteArray& line);
    // Within the reply timeout for each piece and the session's time; on failure no reply is kept.
    bool send(const QByteArray& bytes);
    QByteArray bytes(const QString& text) const { return encodeText(text, m_textCharset); }
    // EHLO, HELO when EHLO is refused; fills the capabilities.
    bool greet();
    // Stage and flags for a new message's MAIL FROM.
    void beginMessage();
    QByteArray mailCommand(const QString& address, qint64 messageSize) const;
    QByteArray recipientCommand(const QString& address) const;
    bool sendPipelinedEnvelope(const QByteArray& mailCommand, const QStringList& recipients);
    bool startTls();
    void authenticate();
    bool failOpen();

    QString m_ServerHost;
    QString m_ServerPort = QStringLiteral("smtp");
    int m_ReplyTimeout = 60000;
    QString m_LocalHostName;
    QString m_AuthUser;
    QString m_AuthPassword;
    int m_ReplyCode = 0;
    QList<QByteArray> m_ReplyLines;
    QByteArray m_LastReplyLine;
    QList<QByteArray> m_Capabilities;
    bool m_ExtendedMode = false;
    bool m_AuthDone = false;
    bool m_SizeAdvertised = false;
    bool m_PipeliningOffered = false;
    TTCPBlockSocket m_Sock;

    Charset m_textCharset;
    SmtpSecurity m_security;
    QString m_caFile;
    bool m_plainAuthAllowed;
    SmtpStage m_stage = SmtpStage::Connect;
    QDeadlineTimer m_sessionDeadline{QDeadlineTimer::Forever};
    // A wait timed out or the connection failed: no command is sent any more, QUIT neither.
    bool m_connectionLost = false;
    bool m_messageTextStarted = false;
    bool m_messageWithdrawn = false;
    // The server waits for message text that will not come (DATA accepted in a group whose recipient
    // was refused): anything sent now, QUIT too, would be read as the message's text.
    bool m_messageTextAwaited = false;
    QString m_sessionFailure;
    QString m_authFailure;
};

}  // namespace tervalo::transport
