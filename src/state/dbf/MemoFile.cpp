#include "state/dbf/MemoFile.h"

#include "state/dbf/DbfError.h"

#include <QtEndian>

namespace tervalo::state::dbf {

namespace {

constexpr int kMemoPrefix = 8;
const char kMemoSignature[4] = {char(0xFF), char(0xFF), 0x08, 0x00};
constexpr int kBlockLengthOffset = 20;

qint64 blocksFor(qint64 bytes, int length) {
    return (bytes + length - 1) / length;
}

}  // namespace

MemoFile MemoFile::open(const QString& path, bool foxPro) {
    std::optional<SharedFile> file = SharedFile::openExisting(path);
    if (!file) {
        throw DbfError::fileNotFound(path);
    }
    QByteArray header = file->readAt(0, 512);
    if (foxPro) {
        int length = header.size() >= 8 ? qFromBigEndian<quint16>(header.constData() + 6) : 0;
        return MemoFile(std::move(*file), length > 0 ? length : 64, true);
    }
    int length =
        header.size() >= 22 ? qFromLittleEndian<quint16>(header.constData() + kBlockLengthOffset) : 0;
    if (length == 0 || length % 128 != 0) {
        length = blockLength;
        QByteArray bytes(2, '\0');
        qToLittleEndian<quint16>(quint16(length), bytes.data());
        ByteLock headerLock(*file, 0, LockMode::Exclusive, blockLength);
        file->writeAt(kBlockLengthOffset, bytes);
    }
    return MemoFile(std::move(*file), length, false);
}

QByteArray MemoFile::newFileBytes() {
    QByteArray bytes(blockLength, '\0');
    qToLittleEndian<quint32>(1, bytes.data());
    qToLittleEndian<quint16>(quint16(blockLength), bytes.data() + kBlockLengthOffset);
    return bytes;
}

QByteArray MemoFile::read(quint32 block) const {
    const qint64 start = qint64(block) * m_blockLength;
    if (m_foxPro) {
        QByteArray prefix = m_file.readExactly(start, kMemoPrefix);
        return m_file.readExactly(start + kMemoPrefix, qFromBigEndian<quint32>(prefix.constData() + 4));
    }
    const qint64 fileSize = m_file.size();
    if (block == 0 || start >= fileSize) {
        throw DbfError::invalidFile(m_file.path(), start);
    }
    QByteArray first = m_file.readExactly(start, std::min<qint64>(m_blockLength, fileSize - start));
    if (first.startsWith(QByteArrayView(kMemoSignature, 4)) && first.size() >= kMemoPrefix) {
        const qint64 total = qFromLittleEndian<quint32>(first.constData() + 4);
        if (total < kMemoPrefix) {
            throw DbfError::invalidFile(m_file.path(), start + 4);
        }
        return m_file.readExactly(start + kMemoPrefix, total - kMemoPrefix);
    }
    // dBASE III: the text runs to the first 0x1A 0x1A.
    QByteArray text = first;
    qint64 next = start + first.size();
    for (;;) {
        int end = text.indexOf("\x1A\x1A");
        if (end >= 0) {
            text.truncate(end);
            return text;
        }
        QByteArray more = m_file.readAt(next, m_blockLength);
        if (more.isEmpty()) {
            return text;
        }
        text += more;
        next += more.size();
    }
}

qint64 MemoFile::oldTextLength(quint32 block) const {
    QByteArray prefix = m_file.readAt(qint64(block) * m_blockLength, kMemoPrefix);
    if (prefix.size() == kMemoPrefix && prefix.startsWith(QByteArrayView(kMemoSignature, 4))) {
        return qint64(qFromLittleEndian<quint32>(prefix.constData() + 4)) - kMemoPrefix;
    }
    return read(block).size();
}

void MemoFile::writeAt(quint32 block, const QByteArray& text) {
    const qint64 total = kMemoPrefix + text.size();
    QByteArray bytes(blocksFor(total, m_blockLength) * m_blockLength, ' ');
    memcpy(bytes.data(), kMemoSignature, 4);
    qToLittleEndian<quint32>(quint32(total), bytes.data() + 4);
    memcpy(bytes.data() + kMemoPrefix, text.constData(), std::size_t(text.size()));
    m_file.writeAt(qint64(block) * m_blockLength, bytes);
}

quint32 MemoFile::write(const QByteArray& text, quint32 oldBlock) {
    if (m_foxPro) {
        throw DbfError(
            QStringLiteral("Cannot write memo file \"%1\": FoxPro memos are read only.").arg(m_file.path()),
            m_file.path());
    }
    if (text.isEmpty()) {
        return 0;
    }
    const qint64 needed = blocksFor(kMemoPrefix + text.size(), m_blockLength);
    if (oldBlock != 0 && blocksFor(oldTextLength(oldBlock), m_blockLength) >= needed) {
        writeAt(oldBlock, text);
        return oldBlock;
    }
    // The blocks are written before the header that gives them away, and the record that points to them
    // is written after both: a process killed in between leaves unused blocks, never a broken memo.
    ByteLock headerLock(m_file, 0, LockMode::Exclusive, blockLength);
    QByteArray header = m_file.readExactly(0, 4);
    quint32 next = qFromLittleEndian<quint32>(header.constData());
    if (next == 0) {
        next = 1;
    }
    writeAt(next, text);
    QByteArray nextFree(4, '\0');
    qToLittleEndian<quint32>(quint32(next + needed), nextFree.data());
    m_file.writeAt(0, nextFree);
    return next;
}

}  // namespace tervalo::state::dbf
