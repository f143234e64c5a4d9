#include "import/IncludedDocuments.h"

namespace tervalo::import {

std::vector<memtable::RowId> IncludedDocumentRows(const ExportTables& tables, DueDocuments due) {
    const memtable::MemTable& doklady = tables.mtDoklady;
    const int included = doklady.field(u"Exportovat");
    const int datSplat = doklady.field(u"DatSplat");
    const bool onlyOverdue = due == DueDocuments::AsTablesSay && tables.OverdueOnlyOn.isValid();
    // An unreadable tolerance counts as none.
    const int tolerance = qMax(0, tables.ToleranceDays.trimmed().toInt());
    std::vector<memtable::RowId> rows;
    for (int position = 0; position < doklady.recordCount(); ++position) {
        const memtable::RowId row = doklady.rowAt(position);
        if (!doklady.boolValue(row, included)) {
            continue;
        }
        if (onlyOverdue) {
            const std::optional<QDate> dueDate =
                tables.locale.parseShortDate(doklady.text(row, datSplat).trimmed());
            if (dueDate && dueDate->addDays(tolerance) >= tables.OverdueOnlyOn) {
                continue;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace tervalo::import
