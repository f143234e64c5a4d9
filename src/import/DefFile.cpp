#include "import/DefFile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <array>

namespace tervalo::import::DefFile {

namespace {

bool readExactly(QFile& file, char* buffer, qint64 size) {
    return file.read(buffer, size) == size;
}

qint32 readInt32(const char* bytes) {
    return qFromLittleEndian<qint32>(bytes);
}

}  // namespace

int CheckDefFile(const QString& path, const QString& expectedSection, const platform::AnsiCodec& codec) {
    if (!QFileInfo::exists(path)) {
        return Missing;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Unreadable;
    }
    std::array<char, kHeaderSize + kRecordSize> header{};
    if (!readExactly(file, header.data(), qint64(header.size()))) {
        return Unreadable;
    }
    if (QByteArray(header.data(), kMagicSize) != QByteArray(kMagic, kMagicSize)) {
        return BadMagic;
    }
    if (readInt32(header.data() + kMagicSize) < 0) {
        return NegativeCount;
    }
    if (!expectedSection.isEmpty()) {
        const char* name = header.data() + 34;
        int length = std::min<int>(static_cast<unsigned char>(name[0]), 8);
        QString section = codec.decode(name + 1, std::size_t(length));
        if (section.compare(expectedSection, Qt::CaseInsensitive) != 0) {
            return WrongSection;
        }
    }
    return Usable;
}

QString ReadDefRecord(int n, const QString& path, const platform::AnsiCodec& codec) {
    QFile file(path);
    if (n < 1 || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    std::array<char, kMagicSize + 4> start{};
    if (!readExactly(file, start.data(), qint64(start.size()))) {
        return {};
    }
    if (n > readInt32(start.data() + kMagicSize)) {
        return {};
    }
    std::array<char, kRecordSize> record{};
    if (!file.seek(qint64(kHeaderSize) + qint64(kRecordSize) * n) ||
        !readExactly(file, record.data(), kRecordSize)) {
        return {};
    }
    auto length = static_cast<unsigned char>(record[0]);
    return codec.decode(record.data() + 1, length);
}

QString GetTagValue(const QString& text, const QString& tagName) {
    const QString pattern = QLatin1Char('#') + tagName + QLatin1Char('_');
    qsizetype at = text.indexOf(pattern, 0, Qt::CaseInsensitive);
    if (at < 0) {
        return {};
    }
    QString rest = text.mid(at + pattern.size(), 255);
    qsizetype end = rest.indexOf(QLatin1Char('#'));
    return end < 0 ? QString() : rest.left(end);
}

QString DefVar(int n, const QString& path, const platform::AnsiCodec& codec) {
    return GetTagValue(ReadDefRecord(n, path, codec), QStringLiteral("VAR"));
}

}  // namespace tervalo::import::DefFile
