#pragma once

#include "report/ReportDataSource.h"

#include <QByteArray>
#include <QString>

namespace tervalo::report {

// Fills the Excel 97–2003 template at `templatePath` with data from `source` and writes the result to
// `outputPath`, which must not exist yet. The file appears only when complete (written under a
// temporary name and renamed). Throws ReportError with the text for the user on any failure.
void renderTemplate(const QString& templatePath, const QString& outputPath, ReportDataSource& source);

// The same on a Workbook stream in memory: returns the filled stream.
QByteArray renderWorkbook(const QByteArray& workbookStream, ReportDataSource& source);

}  // namespace tervalo::report
