#pragma once

#include "import/CellMatrix.h"
#include "platform/UserInterface.h"

#include <QString>

#include <optional>

namespace tervalo::import {

struct ExportReadResult {
    bool ok = false;
    std::optional<char> separator;
};

// Reads the export into the matrix and checks that it is a CSV export with numeric field codes.
// Shows the warning the user needs when the file cannot be read or has the wrong format.
ExportReadResult ReadExportFile(const QString& path, CellMatrix& matrix, const platform::AnsiCodec& codec,
                                UserInterface& ui);

// The wrong-format test: the first cell contains "XML" in any letter case, or the third cell of the
// first row is not an integer.
bool HasWrongFormat(const CellMatrix& matrix, const platform::AnsiCodec& codec);

}  // namespace tervalo::import
