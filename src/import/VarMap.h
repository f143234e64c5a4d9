#pragma once

#include "import/CellMatrix.h"
#include "memtable/MemTable.h"

#include <optional>

namespace tervalo::import {

// A variable map: which column of the export holds each field code of one section. Fields VarName
// (text 50, the upper-cased code) and VarCol (integer, 0-based column), index VARNAME.
void DefineVarMap(memtable::MemTable& map);

// Empties the map and fills it from the header row: cells from the third on, up to the first empty
// one, each upper-cased by the locale.
void BuildVarMap(memtable::MemTable& map, const CellMatrix& matrix, int row,
                 const platform::SystemLocale& locale);

// The column of an upper-cased field code; codes compare on their first 50 characters, exactly.
std::optional<int> FindVarCol(memtable::MemTable& map, const QString& code);

}  // namespace tervalo::import
