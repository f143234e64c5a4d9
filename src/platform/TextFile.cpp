#include "platform/TextFile.h"

#include "platform/FileWrite.h"

#include <QFile>

namespace tervalo::platform::TextFile {

std::optional<QByteArray> readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<QString> readAnsi(const QString& path, const AnsiCodec& codec) {
    auto bytes = readBytes(path);
    if (!bytes) {
        return std::nullopt;
    }
    return codec.decode(*bytes);
}

bool writeAnsiAtomically(const QString& path, const QString& text, const AnsiCodec& codec) {
    return FileWrite::replaceDurably(path, codec.encode(text));
}

}  // namespace tervalo::platform::TextFile
