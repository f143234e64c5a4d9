#pragma once

#include "import/ExportTables.h"

namespace tervalo::compose {

// True when the current debtor is excluded, has no documents, or has all of them excluded. The
// current mtDoklady row stays where it was.
bool DebtorHasNothingToSend(const import::ExportTables& tables);

// True when the current debtor's reminder would have documents, but none of them is past due while
// reminders list only overdue documents.
bool DebtorHasNothingOverdue(const import::ExportTables& tables);

}  // namespace tervalo::compose
