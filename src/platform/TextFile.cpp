#include "platform/TextFile.h"

#include <QFile>
#include <QSaveFile>

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
    QSaveFile file(path);
    // Unbuffered, so a short write (disk full, quota) shows in write()'s count: a buffered QSaveFile
    // reports success for it and commits the cut file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool writeAnsiAtomically(const QString& path, const QString& text, const AnsiCodec& codec) {
    return writeBytesAtomically(path, codec.encode(text));
}

}  // namespace tervalo::platform::TextFile
