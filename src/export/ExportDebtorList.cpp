#include "export/ExportDebtorList.h"

#include "export/DebtorListSource.h"
#include "platform/Error.h"
#include "report/TemplateReport.h"

#include <QFile>
#include <QFileInfo>

namespace tervalo::exporting {

namespace {

// Keeps the grids from painting the engine's walk through the tables and puts the current debtor
// back afterwards, however the walk ends.
class SuspendedGrids {
public:
    explicit SuspendedGrids(import::ExportTables& tables)
        : m_tables(tables), m_current(tables.mtFirmy.bookmark()) {
        m_tables.mtFirmy.disableControls();
        m_tables.mtDoklady.disableControls();
    }
    ~SuspendedGrids() {
        m_tables.mtFirmy.gotoBookmark(m_current);
        m_tables.mtDoklady.enableControls();
        m_tables.mtFirmy.enableControls();
    }
    SuspendedGrids(const SuspendedGrids&) = delete;
    SuspendedGrids& operator=(const SuspendedGrids&) = delete;

private:
    import::ExportTables& m_tables;
    memtable::MemTable::Bookmark m_current;
};

bool isSameFile(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

void showCannotOverwrite(UserInterface& ui, const QString& path) {
    ui.error(QStringLiteral("Nelze přepsat výstupní soubor  ") + path + QStringLiteral(" ") +
             QStringLiteral("Zkontrolujte, zda není používán jiným programem (např. zda není otevřen v "
                            "LibreOffice Calc, apod.)."));
}

}  // namespace

bool WriteDebtorList(import::ExportTables& tables, const QString& templatePath, const QString& outputPath,
                     UserInterface& ui, QDate today, const app::AppSettings* paymentSettings) {
    if (!QFileInfo(templatePath).isFile()) {
        ui.error(QStringLiteral("Převodní šablona  ") + templatePath + QStringLiteral(" ") +
                 QStringLiteral("neexistuje. Zkontrolujte nastavení exportu."));
        return false;
    }
    // Deleting the "old output" would destroy the template itself.
    if (isSameFile(outputPath, templatePath)) {
        showCannotOverwrite(ui, outputPath);
        return false;
    }
    // The engine refuses to write over a file; the user has agreed to replace it.
    QFile::remove(outputPath);
    if (QFileInfo::exists(outputPath)) {
        showCannotOverwrite(ui, outputPath);
        return false;
    }

    ui.showWaitMessage(QStringLiteral("Export dat - operace může trvat delší dobu, nepřerušujte ji") +
                           QLatin1Char('\n') + QStringLiteral("čekejte prosím..."),
                       true);
    QString failure;
    bool failed = false;
    {
        SuspendedGrids suspended(tables);
        try {
            DebtorListSource source(tables, today, paymentSettings);
            report::renderTemplate(templatePath, outputPath, source);
        } catch (const platform::Error& e) {
            failed = true;
            failure = e.text();
        }
    }
    ui.showWaitMessage(QString(), false);
    // Shown once the waiting window is gone, which would otherwise stay on top of the message.
    if (failed) {
        ui.error(QStringLiteral("Při převodu sestavy došlo k následující chybě: ") + QLatin1Char('"') +
                 failure + QLatin1Char('"'));
    }
    return !failed;
}

void ExportDebtorList(import::ExportTables& tables, const QString& appDir, UserInterface& ui,
                      const platform::OpenWithAssociatedProgramFunction& openWithAssociatedProgram,
                      const app::AppSettings* paymentSettings) {
    FileDialogRequest request;
    request.title = QStringLiteral("Exportovat do souboru");
    request.filter = QStringLiteral("Sešit Excel 97-2003 (*.xls)|*.xls");
    request.defaultExtension = QStringLiteral("xls");
    request.fileName = QStringLiteral("Seznam dlužníků");
    const std::optional<QString> output = ui.chooseSaveFile(request);
    if (!output) {
        return;
    }
    if (!WriteDebtorList(tables, appDir + TemplateFileName, *output, ui, QDate::currentDate(),
                         paymentSettings)) {
        return;
    }
    if (openWithAssociatedProgram(*output) == platform::ShellOpenNoAssociation) {
        ui.information(
            QStringLiteral("Se souborem ") + *output +
            QStringLiteral(" není asociován žádný program - pravděpodobně nemáte nainstalovaný program, "
                           "který dokáže *.XLS soubory zobrazit (např. LibreOffice Calc nebo Gnumeric). ") +
            QStringLiteral("Chcete-li si výsledný soubor prohlédnout, musíte mít takový program "
                           "nainstalovaný."));
    }
}

}  // namespace tervalo::exporting
