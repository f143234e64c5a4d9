#pragma once

#include "transport/mime/MimeEnvironment.h"
#include "transport/mime/TMimeMess.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tervalo::transport {

// An image shown in the message, as a base64 image/png part with an inline disposition.
struct InlineImage {
    QString name;
    QByteArray png;
};

// One reminder as both delivery routes (SMTP and the system's mail submission) send it.
struct OutgoingMail {
    QString senderName;
    QString senderAddress;
    QStringList to;  // bare addresses
    QStringList cc;
    QString subject;
    std::optional<QString> body;  // no text part without one
    QList<InlineImage> images;    // after the text part, before the file parts
    QStringList attachments;      // file parts after the text part, in order
    QString messageIdentifier;
};

// The rendered message: From "name <address>", Return-Path, To, CC, Message-ID, the mailer name and
// the subject; multipart/mixed with the text part, the images and the file parts. Throws AttachmentOpenError
// when an attachment cannot be read.
std::unique_ptr<TMimeMess> BuildReminderMime(const OutgoingMail& mail, MimeEnvironment environment);

}  // namespace tervalo::transport
