#pragma once

#include "app/AppSession.h"
#include "import/LateInterestRates.h"
#include "platform/UserInterface.h"

#include <functional>
#include <optional>
#include <vector>

namespace tervalo::app {

// Loads the export named in the input row: checks the name, reads the file into the cell matrix,
// checks its format and builds the debtor and document tables. `tablesReady` runs once the tables
// are built, before their display resumes (the window shows its legend there). A failure has shown
// its message; the caller then shuts the program down.
bool LoadExport(AppSession& session, const QString& inputText, UserInterface& ui,
                const std::function<void()>& tablesReady = {});

// What of the settings and the program folder changes what the loaded debtors owe in a reminder.
struct DebtSettings {
    bool compensation = false;
    bool onlyOverdue = false;
    std::vector<import::HalfYearRate> rates;

    bool operator==(const DebtSettings&) const = default;
};
DebtSettings DebtSettingsOf(const AppSession& session);

// Applies those to the loaded tables afresh: reminders list only the overdue documents or all, and
// the late-payment interest is computed from the rate files and the settings, naming the half-years
// without a rate once (not when the folder has no rates at all).
void ApplyDebtSettings(AppSession& session, UserInterface& ui);

// The browse command's dialog. Returns the chosen path (and remembers its folder as OpenDir), or
// nothing when the user cancels.
std::optional<QString> BrowseForExport(AppSession& session, UserInterface& ui);

}  // namespace tervalo::app
