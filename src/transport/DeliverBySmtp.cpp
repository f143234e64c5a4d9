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

SmtpOutcome SendBySmtp(const QString& sender, const QString& recipients, const QString& server,
                       const QList<QByteArray>& messageLines, const QString& user, const QString& password,
                       const SmtpSessionOptions& options) {
    SmtpOutcome outcome;
    for (const auto& [addresses, stage] :
         {std::pair{&sender, SmtpStage::Sender}, {&recipients, SmtpStage::Recipient}}) {
        if (const auto problem = controlCharacterProblem(*addresses)) {
            outcome.stage = stage;
            outcome.reply = QStringLiteral("E-mailová adresa „") + controlCharactersAsSpaces(*addresses) +
                            QStringLiteral("“ ") + *problem + QLatin1Char('.');
            outcome.sessionError = true;
            return outcome;
        }
    }
    TSMTPSend smtp(options);
    const qsizetype colon = server.indexOf(u':');
    smtp.setServerHost(trimControl(colon < 0 ? server : server.left(colon)));
    if (colon >= 0) {
        if (const QString port = trimControl(server.mid(colon + 1)); !port.isEmpty()) {
            smtp.setServerPort(port);
        }
    }
    smtp.setAccount(user, password);

    try {
        if (!smtp.OpenSmtpSession()) {
            outcome.stage = smtp.Stage();
            outcome.reply = smtp.FailureReply();
            outcome.sessionError = smtp.Stage() == SmtpStage::Tls;
            return outcome;
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
                    if (!delivered) {
                        outcome.reply = QStringLiteral("chybí adresa příjemce.");
                    }
                } else {
                    delivered = smtp.SendEnvelopeRecipient(address);
                }
            }
            if (delivered) {
                delivered = smtp.SendMessageData(messageLines);
            }
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
        smtp.CloseSmtpSession();
    } catch (const SmtpError& e) {
        outcome.delivered = false;
        outcome.stage = smtp.Stage();
        outcome.reply = QString::fromUtf8(e.what());
        outcome.sessionError = true;
    }
    return outcome;
}

bool DeliverBySmtp(const QString& sender, const QString& recipients, const QString& server,
                   const QList<QByteArray>& messageLines, const QString& user, const QString& password,
                   const SmtpSessionOptions& options) {
    const SmtpOutcome outcome = SendBySmtp(sender, recipients, server, messageLines, user, password, options);
    if (outcome.sessionError) {
        throw SmtpError(outcome.reply);
    }
    return outcome.delivered;
}

}  // namespace tervalo::transport
