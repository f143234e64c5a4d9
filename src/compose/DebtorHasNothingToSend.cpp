#include "compose/DebtorHasNothingToSend.h"

namespace tervalo::compose {

bool DebtorHasNothingToSend(const import::ExportTables& tables) {
    if (!tables.mtFirmy.boolValue(u"Exportovat")) {
        return true;
    }
    const memtable::MemTable& doklady = tables.mtDoklady;
    const int exportovat = doklady.field(u"Exportovat");
    for (int position = 0; position < doklady.recordCount(); ++position) {
        if (doklady.boolValue(doklady.rowAt(position), exportovat)) {
            return false;
        }
    }
    return true;
}

}  // namespace tervalo::compose
