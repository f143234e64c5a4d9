#pragma once

#include "app/AppSession.h"
#include "platform/UserInterface.h"

#include <functional>
#include <optional>

namespace tervalo::app {

// Loads the export named in the input row: checks the name, reads the file into the cell matrix,
// checks its format and builds the debtor and document tables. `tablesReady` runs once the tables
// are built, before their display resumes (the window shows its legend there). A failure has shown
// its message; the caller then shuts the program down.
bool LoadExport(AppSession& session, const QString& inputText, UserInterface& ui,
                const std::function<void()>& tablesReady = {});

// Computes the late-payment interest of the loaded tables afresh from the rate files and the
// settings, and names the half-years without a rate once (not when the folder has no rates at all).
void ApplyLateInterestOf(AppSession& session, UserInterface& ui);

// The browse command's dialog. Returns the chosen path (and remembers its folder as OpenDir), or
// nothing when the user cancels.
std::optional<QString> BrowseForExport(AppSession& session, UserInterface& ui);

}  // namespace tervalo::app
