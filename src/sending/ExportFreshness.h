#pragma once

#include "import/ExportTables.h"
#include "platform/UserInterface.h"
#include "settings/AppSettings.h"
#include "state/SendJournal.h"

#include <QDate>
#include <QStringList>

namespace tervalo::sending {

// Asks before reminders go out from an export that may no longer be true: when its AsOfDate lies
// more than StaryExportDni days before `today`, or the journal (when given) holds a reminder to
// one of `addresses` that was accepted on a day after that date, documents paid meanwhile would be
// reminded. True when there is no reason to ask or the user answers Yes. StaryExportDni 0 turns
// the question off; an export without a readable date is not judged.
bool ConfirmFreshExport(const import::ExportTables& tables, const QStringList& addresses,
                        const app::AppSettings& settings, const QDate& today,
                        const state::SendJournal* journal, UserInterface& ui);

// The same for a bulk run: the addresses of the debtors in mtFirmy's current view that have one and
// are included.
bool ConfirmFreshExportForRun(const import::ExportTables& tables, const app::AppSettings& settings,
                              const QDate& today, const state::SendJournal* journal, UserInterface& ui);

}  // namespace tervalo::sending
