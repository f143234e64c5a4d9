#pragma once

#include "transport/MimeEnvironment.h"
#include "transport/TMimeMess.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tervalo::transport {

// One reminder as both delivery routes (SMTP and the system's mail submission) send it.
struct OutgoingMail {
    QString senderName;
    QString senderAddress;
    QStringList to;  // bare addresses
    QStringList cc;
    QString subject;
    std::optional<QString> body;  // no text part without one
    QStringList attachments;      // file parts after the text part, in order
    QString messageIdentifier;
};

// The rendered message: From "name <address>", Return-Path, To, CC, Message-ID, the mailer name and
// the subject; multipart/mixed with the text part and the file parts. Throws AttachmentOpenError
// when an attachment cannot be read.
std::unique_ptr<TMimeMess> BuildReminderMime(const OutgoingMail& mail, MimeEnvironment environment);

}  // namespace tervalo::transport
