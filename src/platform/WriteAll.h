#pragma once

#include <QByteArray>

namespace tervalo::platform {

// Writes all of `bytes` to the open file `fd` from its current offset, continuing after short writes
// and interruptions. False on an error (errno tells which).
bool writeAll(int fd, const QByteArray& bytes);

}  // namespace tervalo::platform
