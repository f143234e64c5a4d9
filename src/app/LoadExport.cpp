#include "app/LoadExport.h"

#include "import/ApplyLateInterest.h"
#include "import/BuildTables.h"
#include "import/ReadExportFile.h"
#include "import/ShowNoDocumentsMessage.h"
#include "state/StateSnapshot.h"
#include "state/StateTables.h"

#include <QFileInfo>

#include <future>

namespace tervalo::app {

bool LoadExport(AppSession& session, const QString& inputText, UserInterface& ui,
                const std::function<void()>& tablesReady) {
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
    // The state tables are read on a second thread while this one reads the export: two files, and
    // nothing else touches the state tables until the reading is done (no events are handled).
    std::future<state::StateSnapshot> stored =
        std::async(std::launch::async, [&tables = *session.stateTables] { return tables.snapshot(); });
    auto read = import::ReadExportFile(path, session.sgrCSV, session.locale.codec(), ui);
    if (!read.ok) {
        return false;  // the future waits for the snapshot, whose errors no longer matter
    }
    session.exportSeparator = read.separator.value_or(0);

    // Unless asked to keep them, the cells' memory goes back as the rows are built, so a large export
    // is not held twice: once as cells and once in the tables.
    import::BuildInput input{session.sgrCSV, session.DefFilePath, session.ExportDecimalSeparator,
                             QDate::currentDate(), session.keepExportCells ? nullptr : &session.sgrCSV};
    if (!import::BuildTables(session.tables, input, stored.get(), ui)) {
        return false;
    }
    ui.showWaitMessage(QString(), false);

    ui.processEvents();
    if (tablesReady) {
        tablesReady();
    }
    ui.processEvents();
    session.tables.mtFirmy.enableControls();
    session.tables.mtDoklady.enableControls();

    if (!session.tables.mtFirmy.isEmpty() && session.tables.NoDocuments) {
        import::ShowNoDocumentsMessage(ui);
    }
    ApplyDebtSettings(session, ui);
    return true;
}

DebtSettings DebtSettingsOf(const AppSession& session) {
    return {session.settings.NahradaNakladu, session.settings.JenPoSplatnosti,
            import::LateInterestRates::load(session.AppDir).rows()};
}

void ApplyDebtSettings(AppSession& session, UserInterface& ui) {
    session.tables.OverdueOnlyOn = session.settings.JenPoSplatnosti ? QDate::currentDate() : QDate();
    const import::LateInterestRates rates = import::LateInterestRates::load(session.AppDir);
    const std::set<QDate> missing =
        import::ApplyLateInterest(session.tables, rates, session.settings.NahradaNakladu);
    // A program folder without any rate table computes no interest and has nothing to name.
    if (!rates.rows().empty()) {
        import::ShowMissingRatesMessage(missing, ui);
    }
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
