#pragma once

#include "platform/UserInterface.h"

#include <QString>

namespace tervalo::compose {

// Deletes the file so it can be written afresh. False, after telling the user, when a file of that
// name is still there; a file that did not exist is success.
bool PrepareFileForWrite(const QString& path, UserInterface& ui);

}  // namespace tervalo::compose
