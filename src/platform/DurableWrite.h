#pragma once

#include <QByteArray>
#include <QString>

namespace tervalo::platform {

// Who may read a file the program writes: whom the umask lets (0666 less the umask for a new file;
// a replaced one keeps its own mode), or its owner alone (0600 from its creation on, and a replaced
// file that allowed more is tightened to that): passwords and the debtors' lists.
enum class FileAccess { usual, ownerOnly };

// Replaces the file at `path` by `bytes` so that a crash, a kill or a power loss at any moment leaves
// either the old file or the new one, never a cut or empty one: the bytes go to a temporary file of
// a name no other process uses, in the same folder, which is flushed to the disk, renamed over
// `path`, and the folder flushed so that the rename itself lasts. The temporary file has its final
// permissions (`access`) before the rename. Temporary files of `path` that a process killed mid-way
// left behind are removed first. Returns false when any step before the rename fails (the old file
// is then untouched and the temporary file removed) or the folder cannot be flushed.
bool replaceFileDurably(const QString& path, const QByteArray& bytes, FileAccess access = FileAccess::usual);

// Flushes a file or a folder (its entries: creations, renames) to the disk. False on failure;
// file systems that cannot flush a folder count as success.
bool syncToDisk(const QString& path);

}  // namespace tervalo::platform
