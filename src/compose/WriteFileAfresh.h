#pragma once

#include "platform/FileWrite.h"
#include "platform/UserInterface.h"

#include <QByteArray>
#include <QString>

namespace tervalo::compose {

enum class Afresh { written, blocked, failed };

// Puts `bytes` in the file at `path` in place of whatever it held, as PrepareFileForWrite followed
// by the write of a new file would. A file that could be deleted and made again is overwritten in
// place instead, to the same effect and without a new file being allocated; either way the file ends
// with the permissions `access` gives a new one. blocked when the name cannot be cleared (the user
// has been told), failed when the write itself failed (nobody has).
Afresh WriteFileAfresh(const QString& path, const QByteArray& bytes, UserInterface& ui,
                       platform::FileAccess access = platform::FileAccess::usual);

}  // namespace tervalo::compose
