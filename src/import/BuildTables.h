#pragma once

#include "import/CellMatrix.h"
#include "import/ExportTables.h"
#include "platform/UserInterface.h"

#include <QDate>

namespace tervalo::state {
class StateSnapshot;
}

namespace tervalo::import {

struct BuildInput {
    const CellMatrix& matrix;
    QString defFilePath;
    QChar decimalSeparator;  // of the export's amounts
    QDate today;             // days past due count from here
    // The matrix itself, when it is to give each row's memory back once built and be left empty:
    // the load then holds no copy of the export beside its tables.
    CellMatrix* releasedAsBuilt = nullptr;
};

// Walks the cell matrix once and fills mtFirmy and mtDoklady, the variable maps and the title
// values; every row takes its stored exclusion and note mark from the state tables' snapshot. A number or
// date that cannot be converted ends the building with an error message naming the text and the
// row, and returns false.
bool BuildTables(ExportTables& tables, const BuildInput& input, const state::StateSnapshot& stored,
                 UserInterface& ui);

}  // namespace tervalo::import
