#include "transport/mime/TMimeMess.h"

#include "transport/mime/AttachmentOpenError.h"
#include "transport/mime/MimeTypeForFile.h"

#include <QFile>
#include <QFileInfo>

#include <array>

namespace tervalo::transport {

TMimeMess::TMimeMess(MimeEnvironment environment)
    : RootPart(std::make_unique<TMimePart>()), m_environment(std::move(environment)) {
    Header.HeaderCharset = m_environment.charsets.local;
    RootPart->SourceCharset = m_environment.charsets.local;
}

TMimePart& TMimeMess::StartMultipart(const QString& subtype) {
    RootPart = std::make_unique<TMimePart>();
    RootPart->SourceCharset = m_environment.charsets.local;
    RootPart->MediaType = QStringLiteral("Multipart");
    RootPart->MediaSubtype = subtype;
    RootPart->PartDescription = QStringLiteral("Multipart message");
    RootPart->BoundaryText = m_environment.makeBoundary();
    RootPart->ComposeHeaderLines(m_environment.charsets);
    return *RootPart;
}

TMimePart& TMimeMess::AppendTextPart(const QString& text, TMimePart& parent) {
    const MimeCharsets& charsets = m_environment.charsets;
    TMimePart& part = parent.addChild();
    part.MediaType = QStringLiteral("text");
    part.MediaSubtype = QStringLiteral("plain");
    part.PartDescription = QStringLiteral("Message text");
    part.PartDisposition = QStringLiteral("inline");
    part.PartContent = charsets.toLocal(text);
    part.TextCharset = charsets.converter.ChooseMimeCharset(part.PartContent, part.SourceCharset);
    part.TransferKind = MimeTransferKind::tkQuotedPrintable;
    part.EncodeBody(charsets);
    part.ComposeHeaderLines(charsets);
    return part;
}

TMimePart& TMimeMess::AppendImagePart(const QString& name, const QByteArray& png, TMimePart& parent) {
    TMimePart& part = parent.addChild();
    part.MediaType = QStringLiteral("image");
    part.MediaSubtype = QStringLiteral("png");
    part.AttachmentName = name;
    part.PartDescription = QStringLiteral("QR platba");
    part.PartDisposition = QStringLiteral("inline");
    part.PartContent = png;
    part.TransferKind = MimeTransferKind::tkBase64;
    part.EncodeBody(m_environment.charsets);
    part.ComposeHeaderLines(m_environment.charsets);
    return part;
}

TMimePart& TMimeMess::AppendFilePart(const QString& filePath, TMimePart& parent) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AttachmentOpenError(filePath, file.errorString());
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw AttachmentOpenError(filePath, file.errorString());
    }
    const QString name = QFileInfo(filePath).fileName();
    const MimeType type = MimeTypeForFile(name);

    TMimePart& part = parent.addChild();
    part.MediaType = type.type;
    part.MediaSubtype = type.subtype;
    part.AttachmentName = name;
    part.PartDescription = QStringLiteral("Attached file: ") + name;
    part.PartDisposition = QStringLiteral("attachment");
    part.PartContent = std::move(content);
    part.TransferKind = MimeTransferKind::tkBase64;
    part.EncodeBody(m_environment.charsets);
    part.ComposeHeaderLines(m_environment.charsets);
    return part;
}

void TMimeMess::RenderMessage() {
    QList<QByteArray> headerLines = Header.RenderHeaderLines(m_environment);
    // The root part's own content lines follow the message header in this order.
    static constexpr std::array<const char*, 5> kRootFields{"CONTENT-TYPE", "CONTENT-DESCRIPTION",
                                                            "CONTENT-DISPOSITION", "CONTENT-ID",
                                                            "CONTENT-TRANSFER-ENCODING"};
    for (const char* field : kRootFields) {
        for (const QByteArray& line : RootPart->PartHeaderLines) {
            if (line.toUpper().startsWith(field)) {
                headerLines.append(line);
                break;
            }
        }
    }
    RootPart->PartHeaderLines = headerLines;
    MessageLines.clear();
    RootPart->compose(MessageLines);
}

QByteArray TMimeMess::messageText() const {
    qsizetype size = 0;
    for (const QByteArray& line : MessageLines) {
        size += line.size() + 2;
    }
    QByteArray text;
    text.reserve(size);
    for (const QByteArray& line : MessageLines) {
        text.append(line).append("\r\n");
    }
    return text;
}

}  // namespace tervalo::transport
