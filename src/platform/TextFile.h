#pragma once

#include "platform/AnsiCodec.h"
#include "platform/DurableWrite.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tervalo::platform {

// Whole-file reads and writes of text in the ANSI code page.
namespace TextFile {

// The file's bytes, or empty when it cannot be opened or read.
std::optional<QByteArray> readBytes(const QString& path);
std::optional<QString> readAnsi(const QString& path, const AnsiCodec& codec);

// Writes through a temporary file in the same folder, flushed to the disk and renamed over `path`
// (replaceFileDurably), so a failure, a kill or a power loss leaves the old file whole. Returns false
// on failure.
bool writeBytesAtomically(const QString& path, const QByteArray& bytes,
                          FileAccess access = FileAccess::usual);
bool writeAnsiAtomically(const QString& path, const QString& text, const AnsiCodec& codec);

// Creates `path`, which must not exist yet, and writes `bytes` straight into it: for a file made
// afresh right after its old copy was removed, where there is no old content to keep whole and the
// wait for the disk of a replacing write would buy nothing. Created exclusively, so nothing that
// reappeared under the name (a planted link) is written through; a short write (disk full) removes
// the cut file. Returns false on failure.
bool writeNewFile(const QString& path, const QByteArray& bytes, FileAccess access = FileAccess::usual);

enum class Overwrite { notApplicable, written, failed };

// Writes `bytes` over the existing file at `path`, keeping the file itself, where deleting it and
// creating it afresh would come to the same: a regular file reached without following a link, with
// no second name (hard link), owned by this user, in a folder this user may change. Anything else is
// left untouched as notApplicable, for the caller to delete and create. Rewriting spares the file
// system an inode freed and another allocated for each file a bulk run replaces; ext4 without a
// journal passes over every inode freed in the last minute (six while its table is unwritten) when
// it allocates one, so a run replacing thousands of files slowed down as it went. A write that fails
// half-way (disk full) removes the cut file, as a failed creation does. With FileAccess::ownerOnly a
// file that allowed others more is tightened to 0600, as its new creation would have been.
Overwrite overwriteOwnFile(const QString& path, const QByteArray& bytes,
                           FileAccess access = FileAccess::usual);

}  // namespace TextFile

}  // namespace tervalo::platform
