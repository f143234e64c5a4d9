#pragma once

#include "transport/mime/MimeEnvironment.h"
#include "transport/mime/TMessHeader.h"
#include "transport/mime/TMimePart.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

namespace tervalo::transport {

// One message for SMTP delivery: multipart/mixed with an optional quoted-printable text part and
// an optional base64 file part. The caller sets `Header`, calls `StartMultipart`, adds the parts
// and renders; `MessageLines` then holds the lines to send, without line terminators.
class TMimeMess {
public:
    explicit TMimeMess(MimeEnvironment environment);

    TMessHeader Header;
    std::unique_ptr<TMimePart> RootPart;
    QList<QByteArray> MessageLines;

    // Makes the root part an empty multipart of the subtype and returns it.
    TMimePart& StartMultipart(const QString& subtype);
    // The text as it stands (its line breaks are CR LF, CR or LF), in the charset that carries it.
    TMimePart& AppendTextPart(const QString& text, TMimePart& parent);
    // A PNG image shown in the message: image/png, base64, Content-Disposition inline with its name.
    TMimePart& AppendImagePart(const QString& name, const QByteArray& png, TMimePart& parent);
    // Throws AttachmentOpenError when the file cannot be read.
    TMimePart& AppendFilePart(const QString& filePath, TMimePart& parent);

    void RenderMessage();

    // The rendered lines, each ending in CR LF: the message as it travels.
    QByteArray messageText() const;

    const MimeEnvironment& environment() const { return m_environment; }

private:
    MimeEnvironment m_environment;
};

}  // namespace tervalo::transport
