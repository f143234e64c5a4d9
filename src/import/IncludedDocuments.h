#pragma once

#include "import/ExportTables.h"

#include <vector>

namespace tervalo::import {

// Which of the current debtor's included documents a reminder takes.
enum class DueDocuments {
    AsTablesSay,  // only those past due when the tables remind only overdue documents
    All,          // every document the user left included
};

// The rows of the current debtor's documents that go into its reminder, in the document table's
// order; rows, so the document grid's current row never moves. Those the user left included and,
// when `tables.OverdueOnlyOn` is set, only those whose due date plus the export's tolerance days lies
// before that day. A document without a readable due date stays: nothing shows it is not yet due.
std::vector<memtable::RowId> IncludedDocumentRows(const ExportTables& tables,
                                                  DueDocuments due = DueDocuments::AsTablesSay);

}  // namespace tervalo::import
