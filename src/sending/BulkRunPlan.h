#pragma once

#include "import/ExportTables.h"
#include "sending/DebtorLevels.h"
#include "state/SendJournal.h"
#include "state/StateTables.h"

#include <QDate>
#include <QStringList>

#include <set>

namespace tervalo::sending {

// Who a bulk run would send a reminder to and whom it skips, and why, as the debtors of mtFirmy's
// current view stand. A debtor already reminded today (an accepted reminder in the journal, or
// LASTSEND today) counts among those skipped, as does one whose reminder of today is unsure: the
// run sends to them again only when the user asks for it.
struct BulkRunPlan {
    int toSend = 0;
    int noAddress = 0;
    int excluded = 0;             // the address excluded
    int nothingToSend = 0;        // every document excluded, or none past due when only those go
    int noLevel = 0;              // no reminder level's conditions hold yet
    std::set<int> remindedToday;  // positions in mtFirmy
    std::set<int> unsure;         // positions in mtFirmy whose reminder of today is unsure
    QStringList unsureDebtors;    // "Name (address)" of those

    // The debtors the run would skip unless the user asks to send again.
    int sentToday() const { return int(remindedToday.size() + unsure.size()); }
};

// Walks mtFirmy's current view, leaving its current row where it was. `journal` may be absent;
// without `levels` the reminder levels hold nobody back.
BulkRunPlan PlanBulkRun(import::ExportTables& tables, state::StateTables& stateTables,
                        const state::SendJournal* journal, const QDate& today,
                        const DebtorLevels* levels = nullptr);

// The plan in a sentence for the dialog, e.g. "Bude odesláno 5 upomínek. Vynecháno bude 4 dlužníků:
// bez e-mailové adresy 1, vyřazeno z e-mailingu 1, nic k odeslání 1, upomenuto již dnes 1.", with
// ", na další upomínku je ještě brzy N" when levels hold some back.
QString BulkRunPlanText(const BulkRunPlan& plan);

// The question whether to send again to the debtors reminded today, naming those whose reminder is
// unsure.
QString ResendQuestion(const BulkRunPlan& plan);

}  // namespace tervalo::sending
