#pragma once

#include "import/ExportTables.h"
#include "platform/ShellOpen.h"
#include "platform/UserInterface.h"
#include "settings/AppSettings.h"

#include <QDate>
#include <QString>

namespace tervalo::exporting {

// The template shipped in the program folder.
inline const QString TemplateFileName = QStringLiteral("TERVALO.XL");

// Writes the debtor list in its current view (filter and order as the browser set them) to
// `outputPath` from the template at `templatePath`: checks the template, deletes an existing output
// file, shows the waiting message and suspends the grids while the report engine walks the tables,
// then puts the current debtor back. Every failure has shown its error message; returns whether the
// workbook was written. `today` is the value of the template's "#.Today"; `paymentSettings` give
// the payment-code fields their values.
bool WriteDebtorList(import::ExportTables& tables, const QString& templatePath, const QString& outputPath,
                     UserInterface& ui, QDate today = QDate::currentDate(),
                     const app::AppSettings* paymentSettings = nullptr);

// The "Do Excelu" command: asks for the output file, writes the debtor list from the template in
// the program folder `appDir` and opens the workbook with the program associated with .xls files.
void ExportDebtorList(import::ExportTables& tables, const QString& appDir, UserInterface& ui,
                      const platform::OpenWithAssociatedProgramFunction& openWithAssociatedProgram =
                          platform::OpenWithAssociatedProgram,
                      const app::AppSettings* paymentSettings = nullptr);

}  // namespace tervalo::exporting
