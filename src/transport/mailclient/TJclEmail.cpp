#include "transport/mailclient/TJclEmail.h"

#include "platform/ChildProcess.h"
#include "transport/mailclient/CheckMapiResult.h"
#include "transport/mailclient/ComposeCommand.h"
#include "transport/mailclient/MailClientErrors.h"
#include "transport/mailclient/SubmitToSendmail.h"
#include "transport/mailclient/SystemMailAddress.h"
#include "transport/mime/AddressText.h"
#include "transport/mime/AttachmentOpenError.h"
#include "transport/mime/BuildReminderMime.h"

#include <QFileInfo>

#include <algorithm>

namespace tervalo::transport {

namespace {

// Control characters would let an address break a header or a command line; "," ";" "<" ">"
// would make one address several in a client's address field.
bool isSafeAddressText(const QString& address) {
    return !controlCharacterProblem(address) && std::none_of(address.begin(), address.end(), [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('<') ||
               c == QLatin1Char('>');
    });
}

QStringList addressesOf(const QList<TJclEmailRecip>& recipients, TJclEmailRecipKind kind) {
    QStringList addresses;
    for (const TJclEmailRecip& recipient : recipients) {
        if (recipient.RecipKind == kind) {
            // A recipient known by name alone goes to the compose window as its name, for the
            // client to resolve or the user to correct.
            addresses.append(recipient.RecipAddress.isEmpty() ? recipient.RecipName : recipient.RecipAddress);
        }
    }
    return addresses;
}

QString sentQuestion(const QStringList& to, bool attachmentsPassed, const QStringList& attachments) {
    QString text = to.isEmpty() ? QStringLiteral("E-mail byl předán e-mailovému klientovi.")
                                : QStringLiteral("E-mail na adresu ") + to.join(QStringLiteral(", ")) +
                                      QStringLiteral(" byl předán e-mailovému klientovi.");
    if (!attachmentsPassed) {
        text += QStringLiteral(" Tento klient neumí převzít přílohu, připojte ji v něm ručně: ") +
                attachments.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
    return text + QStringLiteral(" Odeslali jste ho? (Ano – odeslán, Ne – neodeslán)");
}

}  // namespace

int TJclEmail::AddMailRecipient(const QString& address, const QString& name, TJclEmailRecipKind kind,
                                const QString& addressType) {
    m_recipients.append({address.trimmed(), name, addressType, kind});
    return int(m_recipients.size()) - 1;
}

void TJclEmail::SetMailBody(const QString& body) {
    m_body = body;
    if (!m_body.isEmpty() && !m_body.endsWith(QStringLiteral("\r\n"))) {
        m_body += QStringLiteral("\r\n");
    }
}

void TJclEmail::Clear() {
    m_recipients.clear();
    m_subject.clear();
    m_body.clear();
    m_attachments.clear();
    m_images.clear();
}

bool TJclEmail::SendThroughMailClient(bool showDialog, const MailClientContext& context) {
    const int client = showDialog ? ComposeClientPos() : SystemMailPos();
    if (client < 0) {
        showDialog ? RaiseNoDesktopMailClient() : RaiseNoMailSubmission();
    }
    QStringList attachments;
    for (const QString& path : m_attachments) {
        const QFileInfo file(path);
        if (!file.isFile()) {
            RaiseMapiError(MAPI_E_ATTACHMENT_NOT_FOUND);
        }
        attachments.append(file.absoluteFilePath());
    }
    if (m_recipients.isEmpty() && !showDialog) {
        RaiseMapiError(MAPI_E_INVALID_RECIPS);
    }
    for (const TJclEmailRecip& recipient : m_recipients) {
        if ((recipient.RecipAddress.isEmpty() && recipient.RecipName.isEmpty()) ||
            !isSafeAddressText(recipient.RecipAddress) ||
            (recipient.RecipAddress.isEmpty() && !isSafeAddressText(recipient.RecipName))) {
            RaiseMapiError(MAPI_E_INVALID_RECIPS);
        }
    }
    if (!isSafeAddressText(context.senderAddress)) {
        RaiseMapiError(MAPI_E_INVALID_RECIPS);
    }
    return showDialog ? sendWithComposeWindow(client, attachments, context)
                      : sendWithoutWindow(client, attachments, context);
}

bool TJclEmail::sendWithComposeWindow(int client, const QStringList& attachments,
                                      const MailClientContext& context) const {
    ComposeFields fields;
    fields.to = addressesOf(m_recipients, rcTo);
    fields.cc = addressesOf(m_recipients, rcCc);
    fields.bcc = addressesOf(m_recipients, rcBcc);
    fields.subject = m_subject;
    fields.body = withCrLf(m_body);
    fields.attachments = attachments;
    const ComposeCommand command = ComposeCommandFor(ClientList()[client], ClientCommand(client), fields);
    // The client keeps running after the compose window opens (it may be the whole client), so it
    // is never waited for.
    StartDetachedProgram(command.program, command.arguments, context.clientErrorOutput);
    const bool sent = context.ui.confirm(sentQuestion(fields.to, command.attachmentsPassed, attachments));
    if (context.keepMessage) {
        OutgoingMail mail = renderedMail(command.attachmentsPassed ? attachments : QStringList(), context);
        mail.images.clear();
        try {
            context.keepMessage(BuildReminderMime(mail, context.mimeEnvironment)->messageText());
        } catch (const AttachmentOpenError&) {
            // An attachment gone since the client took it: the record keeps no message.
        }
    }
    return sent;
}

OutgoingMail TJclEmail::renderedMail(const QStringList& attachments, const MailClientContext& context) const {
    OutgoingMail mail;
    mail.senderName = context.senderName;
    mail.senderAddress = context.senderAddress.isEmpty() ? SystemMailAddress() : context.senderAddress;
    mail.to = addressesOf(m_recipients, rcTo);
    mail.cc = addressesOf(m_recipients, rcCc);
    mail.subject = m_subject;
    // A multipart needs at least one part: a message without attachments keeps its (empty) text.
    if (!m_body.isEmpty() || attachments.isEmpty()) {
        mail.body = m_body;
    }
    mail.images = m_images;
    mail.attachments = attachments;
    return mail;
}

bool TJclEmail::sendWithoutWindow(int client, const QStringList& attachments,
                                  const MailClientContext& context) const {
    QStringList envelope;
    for (const TJclEmailRecip& recipient : m_recipients) {
        if (recipient.RecipKind == rcOriginator) {
            continue;
        }
        // Nothing here can look a name up.
        if (recipient.RecipAddress.isEmpty()) {
            RaiseMapiError(MAPI_E_UNKNOWN_RECIPIENT);
        }
        envelope.append(recipient.RecipAddress);
    }
    OutgoingMail mail = renderedMail(attachments, context);
    if (context.makeMessageIdentifier) {
        mail.messageIdentifier = context.makeMessageIdentifier(mail.senderAddress);
    }
    QByteArray message;
    try {
        const auto rendered = BuildReminderMime(mail, context.mimeEnvironment);
        message = rendered->MessageLines.join('\n') + '\n';
        if (context.keepMessage) {
            context.keepMessage(rendered->messageText());
        }
    } catch (const AttachmentOpenError&) {
        RaiseMapiError(MAPI_E_ATTACHMENT_OPEN_FAILURE);
    }
    return CheckMapiResult(SubmitToSendmail(ClientList()[client].ClientLibraryPath, context.senderAddress,
                                            envelope, message, context.submissionTimeout));
}

}  // namespace tervalo::transport
