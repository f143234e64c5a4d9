#pragma once

#include "import/ExportTables.h"
#include "sending/ReminderLevelChoice.h"
#include "settings/AppSettings.h"
#include "state/SendJournal.h"

#include <QDate>

#include <map>
#include <optional>

namespace tervalo::sending {

// The due date of the current debtor's oldest included document; none when no included document
// has a readable one.
std::optional<QDate> OldestDueDate(const import::ExportTables& tables);

// The reminder levels of the debtors of one loaded export on one day: the journal read once, the
// levels chosen per debtor as they stand, with the levels the user set for this run.
class DebtorLevels {
public:
    // `journal` may be absent: every debtor counts as never reminded. `chosen` maps a debtor's ID to
    // the level set for it for this run; `forAll`, when given, is the level of every debtor.
    DebtorLevels(const app::AppSettings& settings, const state::SendJournal* journal, const QDate& today,
                 std::map<int, int> chosen = {}, std::optional<int> forAll = std::nullopt);

    // The level of the debtor of the current mtFirmy row.
    LevelChoice current(const import::ExportTables& tables) const;
    // The last accepted reminder to an address, if any.
    std::optional<state::LastReminder> lastReminder(const QString& address) const;
    const QDate& today() const { return m_today; }
    // The name of a level (1 the first) as the settings give it.
    const QString& levelName(int level) const;

private:
    const app::AppSettings& m_settings;
    QDate m_today;
    std::map<QString, state::LastReminder> m_last;
    std::map<int, int> m_chosen;
    std::optional<int> m_forAll;
};

// Writes into every row of mtFirmy, whatever its view, the level the debtor gets ("Uroven": the
// level's name, or "další až DD.MM.YYYY" without one) and his last accepted reminder
// ("PosledniUpominka": "DD.MM.YYYY, the level's name", empty when none). The view's current row stays.
void FillDebtorLevels(import::ExportTables& tables, const DebtorLevels& levels);

}  // namespace tervalo::sending
