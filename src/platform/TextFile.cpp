#include "platform/TextFile.h"

#include "platform/DurableWrite.h"

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

bool writeBytesAtomically(const QString& path, const QByteArray& bytes) {
    return replaceFileDurably(path, bytes);
}

bool writeAnsiAtomically(const QString& path, const QString& text, const AnsiCodec& codec) {
    return writeBytesAtomically(path, codec.encode(text));
}

bool writeNewFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.remove();
        return false;
    }
    return true;
}

}  // namespace tervalo::platform::TextFile
