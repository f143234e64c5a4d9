#pragma once

#include "import/ExportTables.h"
#include "platform/UserInterface.h"
#include "platform/ZipLibrary.h"
#include "settings/AppSettings.h"

#include <QString>

namespace tervalo::compose {

// Writes the document list of the current mtFirmy row to TempDir/ID/Doklady.txt (ANSI code page,
// CR LF), keeps it in the row's TextNeuhrDokl and packs it into Doklady.zip beside it. Returns the
// archive's path, or empty when a step failed and the user has been told. `tempDir` ends with "/".
// Amounts use the system's decimal separator. The current mtDoklady row stays where it was.
// Throws DocumentListError when a file cannot be written.
QString BuildDocumentList(int ID, import::ExportTables& tables, const app::AppSettings& settings,
                          const QString& tempDir, UserInterface& ui,
                          const ZipLibrary* library = ZipLibrary::shared());

}  // namespace tervalo::compose
