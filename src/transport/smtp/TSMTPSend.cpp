#include "transport/smtp/TSMTPSend.h"

#include "transport/smtp/SmtpError.h"

#include <QLocale>
#include <QMessageAuthenticationCode>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <optional>

namespace tervalo::transport {

namespace {

// A reminder of a few kilobytes goes out in one send; a large attachment in pieces of this size.
constexpr qsizetype kDataBufferSize = 64 * 1024;
// A reply longer than this is no SMTP reply: the greeting or an EHLO list runs to a few dozen lines.
constexpr qsizetype kMaxReplyLines = 1000;
constexpr qsizetype kMaxReplyBytes = 1024 * 1024;
// A reply must be complete within this many reply timeouts, and the whole session up to the reply
// to the message within kSessionTimeouts: each wait for data is limited by the reply timeout, but a
// server that trickles a byte now and then never lets one run out. A working server answers in
// milliseconds; one that delays its greeting or checks the message for a while still fits.
constexpr int kReplyTimeouts = 2;
constexpr int kSessionTimeouts = 5;

// "2", "0,5": seconds for a message in Czech.
QString seconds(qint64 milliseconds) {
    return QLocale(QLocale::Czech).toString(double(milliseconds) / 1000.0);
}

bool isSuccessOfHello(int code) {
    return code >= 250 && code <= 259;
}

QString socketFailure(const TTCPBlockSocket& socket) {
    switch (socket.LastError()) {
        case TTCPBlockSocket::kLookupFailed:
            return QStringLiteral("adresu serveru nebo číslo portu nelze přeložit.");
        case TTCPBlockSocket::kConnectionClosed:
        case ECONNRESET:
        case EPIPE:
            return QStringLiteral("server ukončil spojení.");
        case TTCPBlockSocket::kTlsFailed:
            return socket.TlsFailure().isEmpty() ? QStringLiteral("šifrované spojení selhalo.")
                                                 : socket.TlsFailure();
        case ETIMEDOUT:
            return QStringLiteral("server neodpověděl včas.");
        case TTCPBlockSocket::kDeadlinePassed:
            return QStringLiteral("server nepřevzal odesílaná data včas.");
        case ECONNREFUSED:
            return QStringLiteral("server odmítl spojení (na zadaném portu nic neběží).");
        case 0:
            return QStringLiteral("server neodpověděl.");
        default:
            return QString::fromLocal8Bit(std::strerror(socket.LastError()));
    }
}

}  // namespace

TSMTPSend::TSMTPSend(const SmtpSessionOptions& options)
    : m_ReplyTimeout(options.replyTimeoutMs),
      m_LocalHostName(options.localHostName),
      m_textCharset(options.textCharset),
      m_security(options.security),
      m_caFile(options.caFile),
      m_plainAuthAllowed(options.plainAuthAllowed) {
    if (m_LocalHostName.isEmpty()) {
        m_LocalHostName = QSysInfo::machineHostName();
    }
    if (m_LocalHostName.isEmpty()) {
        m_LocalHostName = QStringLiteral("127.0.0.1");
    }
}

void TSMTPSend::setAccount(const QString& user, const QString& password) {
    m_AuthUser = user;
    m_AuthPassword = password;
}

QString TSMTPSend::FailureReply() const {
    if (!m_sessionFailure.isEmpty()) {
        return m_sessionFailure;
    }
    if (!m_ReplyLines.isEmpty()) {
        QStringList lines;
        for (const QByteArray& line : m_ReplyLines) {
            lines.append(QString::fromUtf8(line));
        }
        const QString reply = lines.join(QLatin1Char('\n'));
        return reply.trimmed().isEmpty() ? QStringLiteral("server poslal prázdnou odpověď.") : reply;
    }
    return socketFailure(m_Sock);
}

void TSMTPSend::ReadSmtpReply() {
    m_ReplyLines.clear();
    qsizetype replyBytes = 0;
    const QDeadlineTimer replyDeadline =
        std::min(m_sessionDeadline, QDeadlineTimer(qint64(kReplyTimeouts) * m_ReplyTimeout));
    for (;;) {
        QByteArray line = m_Sock.RecvString(m_ReplyTimeout, replyDeadline);
        if (m_Sock.LastError() == TTCPBlockSocket::kLineTooLong) {
            throw SmtpError(QStringLiteral("Server SMTP poslal řádek odpovědi delší než %1 bajtů.")
                                .arg(TTCPBlockSocket::kMaxLineLength));
        }
        if (m_Sock.LastError() == TTCPBlockSocket::kDeadlinePassed) {
            throw SmtpError(
                m_sessionDeadline.hasExpired()
                    ? QStringLiteral("Server SMTP odpovídá příliš pomalu: odeslání zprávy neskončilo ani za "
                                     "%1 s, spojení bylo ukončeno.")
                          .arg(seconds(qint64(kSessionTimeouts) * m_ReplyTimeout))
                    : QStringLiteral("Server SMTP posílá odpověď příliš pomalu: nepřišla celá ani za %1 s, "
                                     "spojení bylo ukončeno.")
                          .arg(seconds(qint64(kReplyTimeouts) * m_ReplyTimeout)));
        }
        if (m_Sock.LastError() != 0) {
            m_connectionLost = true;
            break;
        }
        replyBytes += line.size();
        if (m_ReplyLines.size() == kMaxReplyLines || replyBytes > kMaxReplyBytes) {
            throw SmtpError(QStringLiteral("Odpověď serveru SMTP je delší než %1 řádků nebo %2 bajtů.")
                                .arg(kMaxReplyLines)
                                .arg(kMaxReplyBytes));
        }
        m_ReplyLines.append(line);
        // "250-..." continues the reply, "250 ..." ends it.
        if (line.indexOf('-') != 3) {
            break;
        }
    }
    m_LastReplyLine = m_ReplyLines.isEmpty() ? QByteArray() : m_ReplyLines.back();
    m_ReplyCode = 0;
    if (!m_ReplyLines.isEmpty() && m_ReplyLines.front().size() >= 3) {
        const QByteArray digits = m_ReplyLines.front().left(3);
        if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            m_ReplyCode = digits.toInt();
        }
    }
}

int TSMTPSend::command(const QByteArray& line) {
    // A server that went silent or away would only make the user wait once more for each command.
    if (m_connectionLost || !send(line + "\r\n")) {
        return 0;
    }
    ReadSmtpReply();
    return m_ReplyCode;
}

bool TSMTPSend::send(const QByteArray& bytes) {
    if (m_Sock.SendString(bytes, m_ReplyTimeout, m_sessionDeadline)) {
        return true;
    }
    // The failure is the socket's, not the last reply's.
    m_connectionLost = true;
    m_ReplyLines.clear();
    m_LastReplyLine.clear();
    m_ReplyCode = 0;
    return false;
}

QByteArray TSMTPSend::FindCapability(const QByteArray& prefix) const {
    const QByteArray wanted = prefix.toUpper();
    for (const QByteArray& capability : m_Capabilities) {
        if (capability.toUpper().startsWith(wanted)) {
            return capability;
        }
    }
    return {};
}

bool TSMTPSend::OpenSmtpSession() {
    m_stage = SmtpStage::Connect;
    m_connectionLost = false;
    m_sessionFailure.clear();
    m_authFailure.clear();
    m_sessionDeadline.setRemainingTime(qint64(kSessionTimeouts) * m_ReplyTimeout);
    if (auto reason = unusableSecurityReason(int(m_security))) {
        m_stage = SmtpStage::Tls;
        m_sessionFailure = *reason;
        return false;
    }
    if (!m_Sock.Connect(m_ServerHost, m_ServerPort)) {
        return failOpen();
    }
    if (m_security == SmtpSecurity::Tls) {
        m_stage = SmtpStage::Tls;
        if (!m_Sock.StartTLS(m_ServerHost, m_caFile, m_ReplyTimeout, m_sessionDeadline)) {
            m_sessionFailure = m_Sock.TlsFailure();
            return failOpen();
        }
        m_stage = SmtpStage::Connect;
    }
    ReadSmtpReply();
    if (m_ReplyCode != 220 || !greet()) {
        return failOpen();
    }
    if (m_security == SmtpSecurity::StartTls && !startTls()) {
        return failOpen();
    }
    if (!m_AuthUser.isEmpty() || !m_AuthPassword.isEmpty()) {
        m_stage = SmtpStage::Authentication;
        authenticate();
    }
    m_SizeAdvertised = !FindCapability("SIZE").isEmpty();
    m_PipeliningOffered = m_ExtendedMode && !FindCapability("PIPELINING").isEmpty();
    return true;
}

bool TSMTPSend::failOpen() {
    m_Sock.CloseSocket();
    return false;
}

bool TSMTPSend::greet() {
    m_ExtendedMode = false;
    m_Capabilities.clear();
    if (isSuccessOfHello(command("EHLO " + bytes(m_LocalHostName)))) {
        m_ExtendedMode = true;
        for (qsizetype i = 1; i < m_ReplyLines.size(); ++i) {
            m_Capabilities.append(m_ReplyLines[i].mid(4));
        }
        return true;
    }
    return isSuccessOfHello(command("HELO " + bytes(m_LocalHostName)));
}

bool TSMTPSend::startTls() {
    m_stage = SmtpStage::Tls;
    if (!m_ExtendedMode || FindCapability("STARTTLS").isEmpty()) {
        m_sessionFailure = QStringLiteral(
                               "server %1 nenabízí šifrování STARTTLS. Nic nebylo odesláno; zvolte "
                               "zabezpečení, které server podporuje (zeptejte se poskytovatele).")
                               .arg(m_ServerHost);
        return false;
    }
    if (command("STARTTLS") != 220) {
        m_sessionFailure =
            QStringLiteral("server odmítl zahájit šifrování STARTTLS (%1). Nic nebylo odesláno.")
                .arg(FailureReply());
        return false;
    }
    // The server speaks next only inside the encryption: anything it sent after its "220" is no
    // reply of its own but text slipped into the plain connection, meant to be read as if it had come
    // encrypted. The session ends without another byte sent.
    if (m_Sock.HasUnreadData()) {
        m_sessionFailure = QStringLiteral(
            "server poslal hned za souhlasem se šifrováním STARTTLS další data, ještě než šifrované "
            "spojení vzniklo. Mohla je podstrčit cizí strana na cestě k serveru; spojení bylo proto "
            "ukončeno a nic dalšího nebylo odesláno.");
        return false;
    }
    if (!m_Sock.StartTLS(m_ServerHost, m_caFile, m_ReplyTimeout, m_sessionDeadline)) {
        m_sessionFailure = m_Sock.TlsFailure();
        return false;
    }
    // What the server offered before the encryption may not hold after it (RFC 3207): ask again.
    m_stage = SmtpStage::Connect;
    return greet();
}

void TSMTPSend::authenticate() {
    if (!m_ExtendedMode) {
        m_authFailure = QStringLiteral("server nepřijal EHLO, ověření účtu proto nelze provést.");
        return;
    }
    QByteArray offered = FindCapability("AUTH ");
    if (offered.isEmpty()) {
        offered = FindCapability("AUTH=");
    }
    const QByteArray mechanisms = offered.toUpper();
    bool tried = false;
    const auto attempt = [&](const char* mechanism, bool (TSMTPSend::*step)()) {
        if (!m_AuthDone && mechanisms.contains(mechanism)) {
            tried = true;
            m_AuthDone = (this->*step)();
            if (!m_AuthDone) {
                m_authFailure = FailureReply();
            }
        }
    };
    attempt("CRAM-MD5", &TSMTPSend::AuthenticateCramMd5);
    // LOGIN and PLAIN hand over the password itself (base64 is no protection): never over a
    // connection anyone on the way can read, unless the user allowed it for a trusted relay.
    const bool passwordMayTravel = m_Sock.Encrypted() || m_plainAuthAllowed;
    if (passwordMayTravel) {
        attempt("LOGIN", &TSMTPSend::AuthenticateLogin);
        attempt("PLAIN", &TSMTPSend::AuthenticatePlain);
    }
    if (m_AuthDone) {
        m_authFailure.clear();
    } else if (!tried && !passwordMayTravel &&
               (mechanisms.contains("LOGIN") || mechanisms.contains("PLAIN"))) {
        m_authFailure = QStringLiteral(
                            "server chce heslo v nešifrované podobě (%1), kterou by si mohl přečíst kdokoli "
                            "na cestě k serveru. Heslo nebylo odesláno; zvolte v nastavení zabezpečení "
                            "STARTTLS nebo TLS.")
                            .arg(QString::fromUtf8(offered));
    } else if (!tried) {
        m_authFailure =
            QStringLiteral("server nenabízí způsob ověření, který lze na tomto spojení použít (%1).")
                .arg(offered.isEmpty() ? QStringLiteral("žádný") : QString::fromUtf8(offered));
    }
}

bool TSMTPSend::AuthenticateCramMd5() {
    if (command("AUTH CRAM-MD5") != 334) {
        return false;
    }
    const QByteArray challenge = QByteArray::fromBase64(m_LastReplyLine.mid(4));
    const QByteArray digest =
        QMessageAuthenticationCode::hash(challenge, bytes(m_AuthPassword), QCryptographicHash::Md5).toHex();
    return command((bytes(m_AuthUser) + ' ' + digest).toBase64()) == 235;
}

bool TSMTPSend::AuthenticateLogin() {
    return command("AUTH LOGIN") == 334 && command(bytes(m_AuthUser).toBase64()) == 334 &&
           command(bytes(m_AuthPassword).toBase64()) == 235;
}

bool TSMTPSend::AuthenticatePlain() {
    // RFC 4616: no authorization identity, the user and the password, each after a NUL.
    const QByteArray response = '\0' + bytes(m_AuthUser) + '\0' + bytes(m_AuthPassword);
    return command("AUTH PLAIN " + response.toBase64()) == 235;
}

void TSMTPSend::RestartMessageDeadline() {
    m_sessionDeadline.setRemainingTime(qint64(kSessionTimeouts) * m_ReplyTimeout);
}

QByteArray TSMTPSend::mailCommand(const QString& address, qint64 messageSize) const {
    QByteArray line = "MAIL FROM:<" + bytes(address) + '>';
    if (m_SizeAdvertised && messageSize > 0) {
        line += " SIZE=" + QByteArray::number(messageSize);
    }
    return line;
}

QByteArray TSMTPSend::recipientCommand(const QString& address) const {
    return "RCPT TO:<" + bytes(address) + '>';
}

void TSMTPSend::beginMessage() {
    m_stage = SmtpStage::Sender;
    m_messageTextStarted = false;
    m_messageWithdrawn = false;
}

bool TSMTPSend::SendEnvelopeSender(const QString& address, qint64 messageSize) {
    beginMessage();
    return command(mailCommand(address, messageSize)) == 250;
}

bool TSMTPSend::SendEnvelope(const QString& sender, qint64 messageSize, const QStringList& recipients) {
    if (m_PipeliningOffered) {
        beginMessage();
        return sendPipelinedEnvelope(mailCommand(sender, messageSize), recipients);
    }
    if (!SendEnvelopeSender(sender, messageSize)) {
        return false;
    }
    m_stage = SmtpStage::Recipient;
    for (const QString& address : recipients) {
        if (command(recipientCommand(address)) != 250) {
            return false;
        }
    }
    m_stage = SmtpStage::Data;
    return command("DATA") == 354;
}

bool TSMTPSend::sendPipelinedEnvelope(const QByteArray& mailCommand, const QStringList& recipients) {
    QByteArray group = mailCommand + "\r\n";
    for (const QString& address : recipients) {
        group += recipientCommand(address) + "\r\n";
    }
    group += "DATA\r\n";
    if (m_connectionLost || !send(group)) {
        return false;
    }
    // Every reply is read and checked in order; the first refusal is the envelope's, as if the
    // commands had gone one by one. A lost connection ends the reading: a silent server would make
    // each further read wait in vain.
    struct Refusal {
        SmtpStage stage;
        int code;
        QList<QByteArray> lines;
    };
    std::optional<Refusal> refusal;
    const qsizetype replies = recipients.size() + 2;
    for (qsizetype i = 0; i < replies && !m_connectionLost; ++i) {
        const SmtpStage stage = i == 0             ? SmtpStage::Sender
                                : i == replies - 1 ? SmtpStage::Data
                                                   : SmtpStage::Recipient;
        m_stage = stage;
        ReadSmtpReply();
        const bool accepted = m_ReplyCode == (stage == SmtpStage::Data ? 354 : 250);
        if (!accepted && !refusal) {
            refusal = Refusal{stage, m_ReplyCode, m_ReplyLines};
        }
        if (refusal && stage == SmtpStage::Data && accepted) {
            // The server took DATA for the recipients it accepted. Even a lone "." would hand them an
            // empty message; leaving the text unfinished makes the server drop the transaction once
            // the connection closes.
            m_messageTextAwaited = true;
        }
    }
    if (!refusal) {
        return true;
    }
    m_stage = refusal->stage;
    m_ReplyCode = refusal->code;
    m_ReplyLines = refusal->lines;
    m_LastReplyLine = m_ReplyLines.isEmpty() ? QByteArray() : m_ReplyLines.back();
    return false;
}

bool TSMTPSend::SendMessageText(const QList<QByteArray>& messageLines,
                                const std::function<bool()>& mayCommit) {
    m_messageTextStarted = true;
    QByteArray buffer;
    buffer.reserve(kDataBufferSize + 80);
    for (const QByteArray& line : messageLines) {
        const bool stuffed = line.startsWith('.');
        if (buffer.size() + line.size() + (stuffed ? 1 : 0) >= kDataBufferSize) {
            if (!send(buffer)) {
                return false;
            }
            buffer.clear();
        }
        if (stuffed) {
            buffer.append('.');
        }
        buffer.append(line).append("\r\n");
    }
    // The end mark travels with the last piece of the text: one send, not a second small segment
    // the server wakes up for.
    buffer.append(".\r\n");
    if (mayCommit && !mayCommit()) {
        m_messageWithdrawn = true;
        return false;
    }
    if (!send(buffer)) {
        return false;
    }
    ReadSmtpReply();
    return m_ReplyCode == 250;
}

void TSMTPSend::CloseSmtpSession() {
    // Whatever the reply to QUIT is, it changes nothing about the message, accepted or not.
    if (!m_connectionLost && !m_messageTextAwaited) {
        try {
            command("QUIT");
        } catch (const SmtpError&) {
        }
    }
    m_Sock.CloseSocket();
}

}  // namespace tervalo::transport
