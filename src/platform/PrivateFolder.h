#pragma once

#include <QString>

namespace tervalo::platform {

// Makes sure the folder at `path` exists and only its owner can enter it (0700): created so (missing
// parents with the usual permissions), or, when it is there already, this user's and allowing others
// more, tightened. For the folders that hold the debtors' lists. False when it cannot be created or
// is no folder.
bool makePrivateFolder(const QString& path);

}  // namespace tervalo::platform
