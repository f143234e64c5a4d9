#pragma once

#include "state/dbf/SharedFile.h"

#include <QByteArray>
#include <QString>

namespace tervalo::state::dbf {

// Memo file (.dbt, dBASE IV form), made of blocks of 512 bytes; block n starts at n * 512:
//
//   | Off | Size | Header block (block 0)                  | Memo at the start of a block          |
//   |   0 |    4 | number of the next free block (new: 1)  | FF FF 08 00                           |
//   |   4 |    4 | zero                                    | total length: 8 + text length         |
//   |   8 |    - |                                         | the text, no terminator               |
//   |  20 |    2 | block length, 512                       |                                       |
//   A memo runs on through consecutive blocks; the rest of its last block holds spaces.
//   Read only: dBASE III memos (text up to 0x1A 0x1A) and FoxPro .fpt files (big-endian header with the
//   next free block at 0 and the block length at 6; each memo a big-endian type and length, then text).
class MemoFile {
public:
    static constexpr int blockLength = 512;

    // Throws "Open: file not found" when the file is missing. A dBASE block length of 0 or one not a
    // multiple of 128 is replaced by 512 and written back.
    static MemoFile open(const QString& path, bool foxPro);
    static QByteArray newFileBytes();

    QByteArray read(quint32 block) const;
    // Writes the memo of a record whose memo now starts at `oldBlock` (0: none) and returns the block
    // the record must point to (0 for empty text). Blocks are reused only when the old text had enough
    // of them; otherwise the memo goes to the end of the file and the old blocks stay unused.
    quint32 write(const QByteArray& text, quint32 oldBlock);

    const SharedFile& file() const { return m_file; }

private:
    MemoFile(SharedFile file, int length, bool foxPro)
        : m_file(std::move(file)), m_blockLength(length), m_foxPro(foxPro) {}
    qint64 oldTextLength(quint32 block) const;
    void writeAt(quint32 block, const QByteArray& text);

    SharedFile m_file;
    int m_blockLength;
    bool m_foxPro;
};

}  // namespace tervalo::state::dbf
