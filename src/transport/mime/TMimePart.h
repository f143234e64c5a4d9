#pragma once

#include "transport/charset/Charset.h"
#include "transport/mime/MimeCharsets.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

namespace tervalo::transport {

enum class MimePartKind { pkText, pkMultipart, pkMessage, pkBinary };
enum class MimeTransferKind { tk7Bit, tk8Bit, tkQuotedPrintable, tkBase64 };

// One part of a message. Its header and body lines are fixed by `ComposeHeaderLines` and
// `EncodeBody` when it is added; rendering only assembles them.
class TMimePart {
public:
    QString MediaType;
    QString MediaSubtype;
    MimeTransferKind TransferKind = MimeTransferKind::tk7Bit;
    Charset TextCharset = Charset::ISO_8859_1;
    Charset SourceCharset = Charset::CP1250;
    QString PartDescription;
    QString PartDisposition;
    QString BoundaryText;
    QString AttachmentName;
    QByteArray PartContent;  // before transfer encoding; text in SourceCharset
    QList<QByteArray> PartHeaderLines;
    QList<QByteArray> PartBodyLines;
    std::vector<std::unique_ptr<TMimePart>> ChildParts;
    bool RecodeText = true;

    // By case-insensitive prefix of MediaType.
    MimePartKind PartKind() const;

    // Content-type, Content-Transfer-Encoding, Content-Disposition and Content-Description, each
    // where it applies. An empty subtype first becomes the default of the kind.
    void ComposeHeaderLines(const MimeCharsets& charsets);
    void EncodeBody(const MimeCharsets& charsets);

    TMimePart& addChild();

    // Folded header lines, an empty line, then the children between boundary lines or the body.
    void compose(QList<QByteArray>& out) const;
};

}  // namespace tervalo::transport
