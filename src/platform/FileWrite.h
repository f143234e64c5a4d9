#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace tervalo::platform {

// Who may read a file the program writes: whom the umask lets (0666 less the umask for a new file;
// a replaced one keeps its own mode), or its owner alone (0600 from its creation on, and a replaced
// file that allowed more is tightened to that): passwords and the debtors' lists.
enum class FileAccess { usual, ownerOnly };

// Every write of a whole file goes through here, by one of three policies: a durable replacement
// (for files whose old content must survive a failed write), an in-place rewrite of the program's
// own scratch file, and the exclusive creation of a file made afresh.
namespace FileWrite {

// Replaces the file at `path` by `bytes` so that a crash, a kill or a power loss at any moment leaves
// either the old file or the new one, never a cut or empty one: the bytes go to a temporary file of
// a name no other process uses, in the same folder, which is flushed to the disk, renamed over
// `path`, and the folder flushed so that the rename itself lasts. The temporary file has its final
// permissions (`access`) and, when given, its modification and access time `modified` before the
// rename. Temporary files of `path` that a process killed mid-way left behind are removed first.
// Returns false, errno telling why, when any step before the rename fails (the old file is then
// untouched and the temporary file removed) or the folder cannot be flushed.
bool replaceDurably(const QString& path, const QByteArray& bytes, FileAccess access = FileAccess::usual,
                    const std::optional<QDateTime>& modified = std::nullopt);

// As replaceDurably, for a file that must not exist yet: a file that took the name meanwhile is kept
// and the write fails with EEXIST.
bool createDurably(const QString& path, const QByteArray& bytes, FileAccess access = FileAccess::usual);

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

// Flushes a file or a folder (its entries: creations, renames) to the disk. False on failure;
// file systems that cannot flush a folder count as success.
bool syncToDisk(const QString& path);

}  // namespace FileWrite

}  // namespace tervalo::platform
