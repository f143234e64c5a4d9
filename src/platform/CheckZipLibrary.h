#pragma once

#include "platform/UserInterface.h"
#include "platform/ZipLibrary.h"

namespace tervalo::compose {

// The start-up check that the compression library is there. False after telling the user.
bool CheckZipLibrary(UserInterface& ui, const ZipLibrary* library = ZipLibrary::shared());

}  // namespace tervalo::compose
