#include "app/LoadExport.h"

#include "import/ReadExportFile.h"

#include <QFileInfo>

namespace tervalo::app {

bool LoadExport(AppSession& session, const QString& inputText, UserInterface& ui) {
    const QString path = inputText.trimmed();
    if (path.isEmpty()) {
        ui.information(QStringLiteral("Musíte zadat vstupní CSV soubor."));
        return false;
    }
    session.ExportFilePath = path;
    if (!QFileInfo(path).isFile()) {
        ui.warning(QStringLiteral("Vstupní soubor ") + path + QStringLiteral(" neexistuje."));
        return false;
    }
    ui.showWaitMessage(QStringLiteral("Načtení vstupního souboru, čekejte prosím..."), true);
    auto read = import::ReadExportFile(path, session.sgrCSV, session.locale.codec(), ui);
    if (!read.ok) {
        return false;
    }
    session.exportSeparator = read.separator.value_or(0);
    // The tables are built from the matrix by the debtor-table feature; this load ends with the
    // matrix read and checked.
    ui.showWaitMessage(QString(), false);
    return true;
}

std::optional<QString> BrowseForExport(AppSession& session, UserInterface& ui) {
    FileDialogRequest request;
    request.title = QStringLiteral("Vyberte zdrojový CSV soubor");
    request.filter = QStringLiteral("Soubory exportu z Ekvan (*.CSV)|*.CSV|Všechny soubory (*.*)|*.*");
    request.defaultExtension = QStringLiteral("CSV");
    request.initialFolder = session.settings.OpenDir;
    auto chosen = ui.chooseOpenFile(request);
    if (chosen) {
        session.settings.OpenDir = QFileInfo(*chosen).absolutePath() + QLatin1Char('/');
    }
    return chosen;
}

}  // namespace tervalo::app
