#pragma once

#include "settings/AppSettings.h"
#include "state/SendJournal.h"

#include <QDate>
#include <QString>

#include <optional>

namespace tervalo::sending {

// The reminder level a debtor gets now, or none with the first day one will be due.
struct LevelChoice {
    int level = 0;       // 1 the first; 0 when no level's conditions hold
    QDate nextPossible;  // with no level: the first day a level's conditions hold; invalid when never
    QString reason;      // why, in a few words for the user

    bool operator==(const LevelChoice&) const = default;
};

// The level for a debtor whose last accepted reminder was `last` (none: never reminded) and whose
// oldest included document fell due on `oldestDue` (none: no readable due date, counted as not past
// due), among the settings' levels in use. A level holds when the days since the last reminder
// reach its DniOdPredchozi (a debtor never reminded needs none) and the days past due reach its
// DniPoSplatnosti. The debtor gets the level after his last one when it holds, otherwise the highest
// lower one that holds; never reminded, the first. `forced` (1 the first) overrides all that.
LevelChoice ChooseReminderLevel(const app::AppSettings& settings,
                                const std::optional<state::LastReminder>& last,
                                const std::optional<QDate>& oldestDue, const QDate& today,
                                std::optional<int> forced = std::nullopt);

// The protocol's and the user's words for a debtor without a level: "další upomínka až 22.12.2026",
// or "žádná úroveň upomínky nepřichází v úvahu" when none ever will.
QString NoLevelText(const LevelChoice& choice);

}  // namespace tervalo::sending
