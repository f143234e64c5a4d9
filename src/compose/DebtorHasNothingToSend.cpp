#include "compose/DebtorHasNothingToSend.h"

#include "import/IncludedDocuments.h"

namespace tervalo::compose {

bool DebtorHasNothingToSend(const import::ExportTables& tables) {
    if (!tables.mtFirmy.boolValue(u"Exportovat")) {
        return true;
    }
    return import::IncludedDocumentRows(tables).empty();
}

bool DebtorHasNothingOverdue(const import::ExportTables& tables) {
    return tables.OverdueOnlyOn.isValid() && tables.mtFirmy.boolValue(u"Exportovat") &&
           import::IncludedDocumentRows(tables).empty() &&
           !import::IncludedDocumentRows(tables, import::DueDocuments::All).empty();
}

}  // namespace tervalo::compose
