#include "transport/TSMTPSend.h"

#include "transport/SmtpError.h"

#include <QMessageAuthenticationCode>
#include <QSysInfo>

namespace tervalo::transport {

namespace {

constexpr qsizetype kDataBufferSize = 1500;
// A reply longer than this is no SMTP reply: the greeting or an EHLO list runs to a few dozen lines.
constexpr qsizetype kMaxReplyLines = 1000;
constexpr qsizetype kMaxReplyBytes = 1024 * 1024;

bool isSuccessOfHello(int code) {
    return code >= 250 && code <= 259;
}

}  // namespace

TSMTPSend::TSMTPSend(const SmtpSessionOptions& options)
    : ReplyTimeout(options.replyTimeoutMs),
      LocalHostName(options.localHostName),
      m_textCharset(options.textCharset) {
    if (LocalHostName.isEmpty()) {
        LocalHostName = QSysInfo::machineHostName();
    }
    if (LocalHostName.isEmpty()) {
        LocalHostName = QStringLiteral("127.0.0.1");
    }
}

void TSMTPSend::ReadSmtpReply() {
    ReplyLines.clear();
    qsizetype replyBytes = 0;
    for (;;) {
        QByteArray line = Sock.RecvString(ReplyTimeout);
        if (Sock.LastError() == TTCPBlockSocket::kLineTooLong) {
            throw SmtpError(QStringLiteral("Server SMTP poslal řádek odpovědi delší než %1 bajtů.")
                                .arg(TTCPBlockSocket::kMaxLineLength));
        }
        if (Sock.LastError() != 0) {
            break;
        }
        replyBytes += line.size();
        if (ReplyLines.size() == kMaxReplyLines || replyBytes > kMaxReplyBytes) {
            throw SmtpError(QStringLiteral("Odpověď serveru SMTP je delší než %1 řádků nebo %2 bajtů.")
                                .arg(kMaxReplyLines)
                                .arg(kMaxReplyBytes));
        }
        ReplyLines.append(line);
        // "250-..." continues the reply, "250 ..." ends it.
        if (line.indexOf('-') != 3) {
            break;
        }
    }
    LastReplyLine = ReplyLines.isEmpty() ? QByteArray() : ReplyLines.back();
    ReplyCode = 0;
    if (!ReplyLines.isEmpty() && ReplyLines.front().size() >= 3) {
        const QByteArray digits = ReplyLines.front().left(3);
        if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            ReplyCode = digits.toInt();
        }
    }
}

int TSMTPSend::command(const QByteArray& line) {
    if (!Sock.SendString(line + "\r\n")) {
        ReplyLines.clear();
        LastReplyLine.clear();
        ReplyCode = 0;
        return 0;
    }
    ReadSmtpReply();
    return ReplyCode;
}

QByteArray TSMTPSend::FindCapability(const QByteArray& prefix) const {
    const QByteArray wanted = prefix.toUpper();
    for (const QByteArray& capability : Capabilities) {
        if (capability.toUpper().startsWith(wanted)) {
            return capability;
        }
    }
    return {};
}

bool TSMTPSend::OpenSmtpSession() {
    if (!Sock.Connect(ServerHost, ServerPort)) {
        return false;
    }
    ReadSmtpReply();
    if (ReplyCode != 220) {
        return false;
    }
    if (isSuccessOfHello(command("EHLO " + bytes(LocalHostName)))) {
        ExtendedMode = true;
        Capabilities.clear();
        for (qsizetype i = 1; i < ReplyLines.size(); ++i) {
            Capabilities.append(ReplyLines[i].mid(4));
        }
    } else if (!isSuccessOfHello(command("HELO " + bytes(LocalHostName)))) {
        return false;
    }

    if ((!AuthUser.isEmpty() || !AuthPassword.isEmpty()) && ExtendedMode) {
        QByteArray mechanisms = FindCapability("AUTH ");
        if (mechanisms.isEmpty()) {
            mechanisms = FindCapability("AUTH=");
        }
        mechanisms = mechanisms.toUpper();
        if (mechanisms.contains("CRAM-MD5")) {
            AuthDone = AuthenticateCramMd5();
        }
        if (!AuthDone && mechanisms.contains("LOGIN")) {
            AuthDone = AuthenticateLogin();
        }
    }
    SizeAdvertised = !FindCapability("SIZE").isEmpty();
    return true;
}

bool TSMTPSend::AuthenticateCramMd5() {
    if (command("AUTH CRAM-MD5") != 334) {
        return false;
    }
    const QByteArray challenge = QByteArray::fromBase64(LastReplyLine.mid(4));
    const QByteArray digest =
        QMessageAuthenticationCode::hash(challenge, bytes(AuthPassword), QCryptographicHash::Md5).toHex();
    return command((bytes(AuthUser) + ' ' + digest).toBase64()) == 235;
}

bool TSMTPSend::AuthenticateLogin() {
    return command("AUTH LOGIN") == 334 && command(bytes(AuthUser).toBase64()) == 334 &&
           command(bytes(AuthPassword).toBase64()) == 235;
}

bool TSMTPSend::SendEnvelopeSender(const QString& address, qint64 messageSize) {
    QByteArray line = "MAIL FROM:<" + bytes(address) + '>';
    if (SizeAdvertised && messageSize > 0) {
        line += " SIZE=" + QByteArray::number(messageSize);
    }
    return command(line) == 250;
}

bool TSMTPSend::SendEnvelopeRecipient(const QString& address) {
    return command("RCPT TO:<" + bytes(address) + '>') == 250;
}

bool TSMTPSend::SendMessageData(const QList<QByteArray>& messageLines) {
    if (command("DATA") != 354) {
        return false;
    }
    QByteArray buffer;
    buffer.reserve(kDataBufferSize + 80);
    for (const QByteArray& line : messageLines) {
        const bool stuffed = line.startsWith('.');
        if (buffer.size() + line.size() + (stuffed ? 1 : 0) >= kDataBufferSize) {
            if (!Sock.SendString(buffer)) {
                return false;
            }
            buffer.clear();
        }
        if (stuffed) {
            buffer.append('.');
        }
        buffer.append(line).append("\r\n");
    }
    if (!buffer.isEmpty() && !Sock.SendString(buffer)) {
        return false;
    }
    return command(".") == 250;
}

void TSMTPSend::CloseSmtpSession() {
    command("QUIT");
    Sock.CloseSocket();
}

}  // namespace tervalo::transport
