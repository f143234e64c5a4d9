#pragma once

#include "transport/Charset.h"
#include "transport/TTCPBlockSocket.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tervalo::transport {

// What a session takes besides the server and the account.
struct SmtpSessionOptions {
    int replyTimeoutMs = 60000;             // for each wait for reply data
    QString localHostName;                  // for EHLO/HELO; empty: the computer's host name
    Charset textCharset = Charset::CP1250;  // of addresses and credentials on the wire (LocalCharset)
};

// One plain SMTP session (no TLS, STARTTLS never sent). Every step reports success as a flag.
class TSMTPSend {
public:
    explicit TSMTPSend(const SmtpSessionOptions& options = {});

    QString ServerHost;
    QString ServerPort = QStringLiteral("smtp");
    int ReplyTimeout = 60000;
    QString LocalHostName;
    QString AuthUser;
    QString AuthPassword;
    int ReplyCode = 0;
    QList<QByteArray> ReplyLines;
    QByteArray LastReplyLine;
    QList<QByteArray> Capabilities;
    bool ExtendedMode = false;
    bool AuthDone = false;
    bool SizeAdvertised = false;
    TTCPBlockSocket Sock;

    // Connect, greeting 220, EHLO (HELO as fallback), authentication when an account is given and
    // the server offers CRAM-MD5 or LOGIN. A failed authentication does not fail the session.
    bool OpenSmtpSession();
    // Throws SmtpError for a line beyond TTCPBlockSocket::kMaxLineLength or a reply of more than
    // 1,000 lines or 1 MiB: a peer that never ends its reply must not fill the memory.
    void ReadSmtpReply();
    QByteArray FindCapability(const QByteArray& prefix) const;
    bool AuthenticateCramMd5();
    bool AuthenticateLogin();
    bool SendEnvelopeSender(const QString& address, qint64 messageSize);
    bool SendEnvelopeRecipient(const QString& address);
    // Dot-stuffed, in buffers of about 1500 bytes, then the final ".".
    bool SendMessageData(const QList<QByteArray>& messageLines);
    // QUIT, its reply, close.
    void CloseSmtpSession();

private:
    // Sends the line with CR LF and reads the reply; the reply code.
    int command(const QByteArray& line);
    QByteArray bytes(const QString& text) const { return encodeText(text, m_textCharset); }

    Charset m_textCharset;
};

}  // namespace tervalo::transport
