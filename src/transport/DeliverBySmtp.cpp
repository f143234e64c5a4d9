#include "transport/DeliverBySmtp.h"

#include "transport/AddressText.h"
#include "transport/SmtpError.h"

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

}  // namespace

bool DeliverBySmtp(const QString& sender, const QString& recipients, const QString& server,
                   const QList<QByteArray>& messageLines, const QString& user, const QString& password,
                   const SmtpSessionOptions& options) {
    for (const QString* addresses : {&sender, &recipients}) {
        if (const auto problem = controlCharacterProblem(*addresses)) {
            throw SmtpError(QStringLiteral("E-mailová adresa „") + controlCharactersAsSpaces(*addresses) +
                            QStringLiteral("“ ") + *problem + QLatin1Char('.'));
        }
    }
    TSMTPSend smtp(options);
    const qsizetype colon = server.indexOf(u':');
    smtp.ServerHost = trimControl(colon < 0 ? server : server.left(colon));
    if (colon >= 0) {
        if (const QString port = trimControl(server.mid(colon + 1)); !port.isEmpty()) {
            smtp.ServerPort = port;
        }
    }
    smtp.AuthUser = user;
    smtp.AuthPassword = password;

    if (!smtp.OpenSmtpSession()) {
        smtp.Sock.CloseSocket();
        return false;
    }

    qint64 messageSize = 0;
    for (const QByteArray& line : messageLines) {
        messageSize += line.size() + 2;
    }
    bool delivered = smtp.SendEnvelopeSender(extractAddress(sender), messageSize);
    if (delivered) {
        const QStringList entries = splitRecipients(recipients);
        for (qsizetype i = 0; i < entries.size() && delivered; ++i) {
            const QString address = extractAddress(entries[i]);
            if (address.isEmpty()) {
                delivered = i > 0;  // later empty entries are skipped
            } else {
                delivered = smtp.SendEnvelopeRecipient(address);
            }
        }
        if (delivered) {
            delivered = smtp.SendMessageData(messageLines);
        }
    }
    smtp.CloseSmtpSession();
    return delivered;
}

}  // namespace tervalo::transport
