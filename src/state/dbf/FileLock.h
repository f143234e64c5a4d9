#pragma once

#include <QtGlobal>

namespace tervalo::state::dbf {

// Byte-range locks far beyond the data, at the positions dBASE IV uses, so that every copy of the
// program serialises on the same bytes. They are open-file-description locks: two opens in one process
// conflict like two processes do, and closing an unrelated handle of the same file keeps them.
namespace LockOffset {
// Record n is locked at header - n; the header counts as record 0.
constexpr qint64 header = 0xEFFFFFFE;
constexpr qint64 append = 0xEFFFFFFF;
constexpr qint64 record(quint32 n) {
    return header - qint64(n);
}
// Held shared by every open of a table and exclusively while the table is created or its index
// rebuilt, so nothing replaces a file that another open still uses.
constexpr qint64 open = 0xF0000000;
// The .mdx: readers of the index hold it shared, writers exclusively.
constexpr qint64 index = 0xEFFFFFFE;
}  // namespace LockOffset

enum class LockMode { Shared, Exclusive };

namespace FileLock {
// False when another open file description holds a conflicting lock; errno-carrying failures
// other than a conflict return false as well and leave errno set.
bool tryLock(int fd, qint64 offset, qint64 length, LockMode mode);
// Retries every `retryMs` milliseconds for as long as the failure is a conflict. Returns false on any
// other failure.
bool waitLock(int fd, qint64 offset, qint64 length, LockMode mode, int retryMs = 10);
void unlock(int fd, qint64 offset, qint64 length);
// Whether the failure of the last tryLock was a conflict with another holder.
bool lastFailureWasConflict();
}  // namespace FileLock

}  // namespace tervalo::state::dbf
