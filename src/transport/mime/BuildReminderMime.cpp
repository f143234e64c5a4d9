#include "transport/mime/BuildReminderMime.h"

namespace tervalo::transport {

namespace {

QStringList angleAddresses(const QStringList& addresses) {
    QStringList entries;
    for (const QString& address : addresses) {
        entries.append(QLatin1Char('<') + address + QLatin1Char('>'));
    }
    return entries;
}

}  // namespace

std::unique_ptr<TMimeMess> BuildReminderMime(const OutgoingMail& mail, MimeEnvironment environment) {
    auto message = std::make_unique<TMimeMess>(std::move(environment));
    TMessHeader& header = message->Header;
    header.SenderField = mail.senderName + QStringLiteral(" <") + mail.senderAddress + QLatin1Char('>');
    header.ExtraHeaderLines.append(QStringLiteral("Return-Path: <") + mail.senderAddress + QLatin1Char('>'));
    header.RecipientList = angleAddresses(mail.to);
    header.CopyList = angleAddresses(mail.cc);
    header.MessageIdentifier = mail.messageIdentifier;
    header.MailerName = QStringLiteral("Microsoft Office Outlook 11");
    header.SubjectText = mail.subject;

    TMimePart& root = message->StartMultipart(QStringLiteral("Mixed"));
    if (mail.body) {
        message->AppendTextPart(*mail.body, root);
    }
    for (const InlineImage& image : mail.images) {
        message->AppendImagePart(image.name, image.png, root);
    }
    for (const QString& attachment : mail.attachments) {
        message->AppendFilePart(attachment, root);
    }
    message->RenderMessage();
    return message;
}

}  // namespace tervalo::transport
