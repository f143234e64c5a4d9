#pragma once

#include <QString>
#include <QStringView>

namespace tervalo::transport {

struct MimeType {
    QString type;
    QString subtype;
    bool operator==(const MimeType&) const = default;
};

// The media type of a file by its extension; "application" / "octet-stream" for any other.
MimeType MimeTypeForFile(QStringView fileName);

}  // namespace tervalo::transport
