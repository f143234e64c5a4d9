#pragma once

#include <QString>
#include <QStringList>

namespace tervalo::test {

// One sheet of a workbook as LibreOffice computes it (formulas recalculated), one CSV line per row,
// converted headless with a profile and output folder under `workDir`. A failed conversion fails the
// test and gives no lines.
QStringList libreOfficeCsvLines(const QString& workbook, const QString& sheet, const QString& workDir);

}  // namespace tervalo::test
