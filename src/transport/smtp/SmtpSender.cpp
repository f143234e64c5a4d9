#include "transport/smtp/SmtpSender.h"

#include "transport/mime/AddressText.h"
#include "transport/smtp/SmtpError.h"

namespace tervalo::transport {

namespace {

// The entries of a recipient text, trimmed; a comma inside double quotes does not separate.
QStringList splitRecipients(const QString& recipients) {
    QStringList entries;
    QString current;
    bool quoted = false;
    for (QChar ch : recipients) {
        if (ch == u'"') {
            quoted = !quoted;
        }
        if (ch == u',' && !quoted) {
            entries.append(trimControl(current));
            current.clear();
        } else {
            current.append(ch);
        }
    }
    entries.append(trimControl(current));
    return entries;
}

// The addresses of the recipient entries; later entries without one are skipped, but none at all when
// the first entry has none.
QStringList recipientAddresses(const QString& recipients) {
    QStringList addresses;
    for (const QString& entry : splitRecipients(recipients)) {
        const QString address = extractAddress(entry);
        if (address.isEmpty() && addresses.isEmpty()) {
            return {};
        }
        if (!address.isEmpty()) {
            addresses.append(address);
        }
    }
    return addresses;
}

bool isTemporaryRefusal(int replyCode) {
    return replyCode >= 400 && replyCode <= 499;
}

}  // namespace

SmtpSender::SmtpSender(const QString& server, const QString& user, const QString& password,
                       const SmtpSessionOptions& options)
    : m_user(user), m_password(password), m_options(options) {
    const qsizetype colon = server.indexOf(u':');
    m_host = trimControl(colon < 0 ? server : server.left(colon));
    if (colon >= 0) {
        m_port = trimControl(server.mid(colon + 1));
    }
}

SmtpSender::~SmtpSender() {
    close();
}

void SmtpSender::close() {
    if (m_session) {
        m_session->CloseSmtpSession();
        m_session.reset();
    }
}

SmtpOutcome SmtpSender::send(const QString& sender, const QString& recipients,
                             const QList<QByteArray>& messageLines, const std::function<bool()>& mayCommit) {
    for (const auto& [addresses, stage] :
         {std::pair{&sender, SmtpStage::Sender}, {&recipients, SmtpStage::Recipient}}) {
        if (const auto problem = controlCharacterProblem(*addresses)) {
            SmtpOutcome outcome;
            outcome.stage = stage;
            outcome.reply = QStringLiteral("E-mailová adresa „") + controlCharactersAsSpaces(*addresses) +
                            QStringLiteral("“ ") + *problem + QLatin1Char('.');
            outcome.sessionError = true;
            return outcome;
        }
    }
    bool retry = false;
    const SmtpOutcome outcome = transact(sender, recipients, messageLines, mayCommit, retry);
    return retry ? transact(sender, recipients, messageLines, mayCommit, retry) : outcome;
}

bool SmtpSender::open(SmtpOutcome& outcome) {
    m_session = std::make_unique<TSMTPSend>(m_options);
    TSMTPSend& smtp = *m_session;
    smtp.setServerHost(m_host);
    if (!m_port.isEmpty()) {
        smtp.setServerPort(m_port);
    }
    smtp.setAccount(m_user, m_password);
    if (smtp.OpenSmtpSession()) {
        return true;
    }
    outcome.stage = smtp.Stage();
    outcome.reply = smtp.FailureReply();
    outcome.sessionError = smtp.Stage() == SmtpStage::Tls;
    m_session.reset();
    return false;
}

SmtpOutcome SmtpSender::transact(const QString& sender, const QString& recipients,
                                 const QList<QByteArray>& messageLines,
                                 const std::function<bool()>& mayCommit, bool& retry) {
    SmtpOutcome outcome;
    const bool kept = m_session != nullptr;
    retry = false;
    if (!kept && mayCommit && !mayCommit()) {
        outcome.withdrawn = true;
        return outcome;
    }
    try {
        if (kept) {
            m_session->RestartMessageDeadline();
        } else if (!open(outcome)) {
            return outcome;
        }
        TSMTPSend& smtp = *m_session;
        qint64 messageSize = 0;
        for (const QByteArray& line : messageLines) {
            messageSize += line.size() + 2;
        }
        const QString senderAddress = extractAddress(sender);
        const QStringList addresses = recipientAddresses(recipients);
        bool delivered = false;
        if (addresses.isEmpty()) {
            if (smtp.SendEnvelopeSender(senderAddress, messageSize)) {
                outcome.reply = QStringLiteral("chybí adresa příjemce.");
            }
        } else {
            delivered = smtp.SendEnvelope(senderAddress, messageSize, addresses) &&
                        smtp.SendMessageText(messageLines, mayCommit);
        }
        outcome.delivered = delivered;
        outcome.stage = smtp.Stage();
        if (outcome.reply.isEmpty()) {
            outcome.reply = smtp.FailureReply();
        }
        if (!delivered && !smtp.AuthFailure().isEmpty()) {
            outcome.stage = SmtpStage::Authentication;
            outcome.reply = smtp.AuthFailure();
        }
        if (smtp.MessageWithdrawn()) {
            // Inside the message text a QUIT would be taken as text: the connection is just dropped,
            // and the server discards the unfinished message.
            outcome.withdrawn = true;
            m_session.reset();
            return outcome;
        }
        if (!delivered) {
            retry = kept && !smtp.MessageTextStarted() &&
                    (smtp.ConnectionLost() || isTemporaryRefusal(smtp.ReplyCode()));
            close();
        }
    } catch (const SmtpError& e) {
        outcome.delivered = false;
        outcome.stage = m_session->Stage();
        outcome.reply = QString::fromUtf8(e.what());
        outcome.sessionError = true;
        m_session.reset();  // a session that broke its own rules gets no QUIT
    }
    return outcome;
}

SmtpOutcome SendBySmtp(const QString& sender, const QString& recipients, const QString& server,
                       const QList<QByteArray>& messageLines, const QString& user, const QString& password,
                       const SmtpSessionOptions& options) {
    return SmtpSender(server, user, password, options).send(sender, recipients, messageLines);
}

}  // namespace tervalo::transport
