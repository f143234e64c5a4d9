#pragma once

#include "app/AppSession.h"
#include "platform/UserInterface.h"

#include <optional>

namespace tervalo::app {

// Loads the export named in the input row: checks the name, reads the file into the cell matrix and
// checks its format. A failure has shown its message; the caller then shuts the program down.
bool LoadExport(AppSession& session, const QString& inputText, UserInterface& ui);

// The browse command's dialog. Returns the chosen path (and remembers its folder as OpenDir), or
// nothing when the user cancels.
std::optional<QString> BrowseForExport(AppSession& session, UserInterface& ui);

}  // namespace tervalo::app
