#include "transport/mime/TMimePart.h"

#include "transport/mime/AddressText.h"
#include "transport/mime/BodyEncoding.h"
#include "transport/mime/HeaderEncoding.h"

namespace tervalo::transport {

namespace {

QByteArray transferName(MimeTransferKind kind) {
    switch (kind) {
        case MimeTransferKind::tk7Bit:
            return "7bit";
        case MimeTransferKind::tk8Bit:
            return "8bit";
        case MimeTransferKind::tkQuotedPrintable:
            return "Quoted-printable";
        case MimeTransferKind::tkBase64:
            return "Base64";
    }
    return {};
}

QString defaultSubtype(MimePartKind kind) {
    switch (kind) {
        case MimePartKind::pkText:
            return QStringLiteral("plain");
        case MimePartKind::pkMultipart:
            return QStringLiteral("mixed");
        case MimePartKind::pkMessage:
            return QStringLiteral("rfc822");
        case MimePartKind::pkBinary:
            return QStringLiteral("octet-stream");
    }
    return {};
}

}  // namespace

MimePartKind TMimePart::PartKind() const {
    if (MediaType.startsWith(QLatin1String("TEXT"), Qt::CaseInsensitive)) {
        return MimePartKind::pkText;
    }
    if (MediaType.startsWith(QLatin1String("MULTIPART"), Qt::CaseInsensitive)) {
        return MimePartKind::pkMultipart;
    }
    if (MediaType.startsWith(QLatin1String("MESSAGE"), Qt::CaseInsensitive)) {
        return MimePartKind::pkMessage;
    }
    return MimePartKind::pkBinary;
}

void TMimePart::ComposeHeaderLines(const MimeCharsets& charsets) {
    const MimePartKind kind = PartKind();
    if (MediaSubtype.isEmpty()) {
        MediaSubtype = defaultSubtype(kind);
    }
    const QByteArray quotedName =
        AttachmentName.isEmpty() ? QByteArray() : '"' + EncodeHeaderText(AttachmentName, charsets) + '"';

    PartHeaderLines.clear();
    QByteArray contentType =
        "Content-type: " + charsets.toLocal(MediaType) + '/' + charsets.toLocal(MediaSubtype);
    if (kind == MimePartKind::pkText) {
        contentType += "; charset=" + charsetLabel(TextCharset).toLatin1();
    }
    if (kind == MimePartKind::pkMultipart) {
        contentType += "; boundary=\"" + BoundaryText.toLatin1() + '"';
    }
    if (!quotedName.isEmpty()) {
        contentType += "; name=" + quotedName;
    }
    PartHeaderLines.append(contentType);
    if (kind == MimePartKind::pkText || kind == MimePartKind::pkBinary) {
        PartHeaderLines.append("Content-Transfer-Encoding: " + transferName(TransferKind));
    }
    if (!PartDisposition.isEmpty()) {
        QByteArray disposition = "Content-Disposition: " + charsets.toLocal(PartDisposition.toLower());
        if (!quotedName.isEmpty()) {
            disposition += "; FileName=" + quotedName;
        }
        PartHeaderLines.append(disposition);
    }
    if (!PartDescription.isEmpty()) {
        // The description holds the file name as it stands, and a file name may hold a line break.
        PartHeaderLines.append("Content-Description: " +
                               charsets.toLocal(controlCharactersAsSpaces(PartDescription)));
    }
}

void TMimePart::EncodeBody(const MimeCharsets& charsets) {
    PartBodyLines.clear();
    if (PartKind() == MimePartKind::pkMultipart) {
        return;
    }
    if (TransferKind == MimeTransferKind::tkBase64) {
        PartBodyLines = base64Lines(PartContent);
        return;
    }
    QByteArray content = PartContent;
    if (PartKind() == MimePartKind::pkText && RecodeText && TransferKind != MimeTransferKind::tk7Bit) {
        content = charsets.converter.ConvertCharset(content, SourceCharset, TextCharset);
    }
    for (const QByteArray& line : splitTextLines(content)) {
        if (TransferKind == MimeTransferKind::tkQuotedPrintable) {
            PartBodyLines.append(QuotePrintableLine(line));
        } else {
            PartBodyLines.append(line);
        }
    }
}

TMimePart& TMimePart::addChild() {
    auto child = std::make_unique<TMimePart>();
    child->SourceCharset = SourceCharset;
    ChildParts.push_back(std::move(child));
    return *ChildParts.back();
}

void TMimePart::compose(QList<QByteArray>& out) const {
    for (const QByteArray& line : PartHeaderLines) {
        out.append(FoldHeaderLine(line));
    }
    out.append(QByteArray());
    if (PartKind() != MimePartKind::pkMultipart) {
        out.append(PartBodyLines);
        return;
    }
    const QByteArray boundary = "--" + BoundaryText.toLatin1();
    for (const auto& child : ChildParts) {
        out.append(boundary);
        child->compose(out);
    }
    out.append(boundary + "--");
}

}  // namespace tervalo::transport
