#include "MeasureLoad.h"

#include "ProcessMemory.h"
#include "ProcessUsage.h"

#include "BenchUserInterface.h"
#include "app/AppSession.h"
#include "app/LoadExport.h"
#include "export/ExportDebtorList.h"

#if TERVALO_BENCH_GRIDS
#include "GridViews.h"
#endif

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tervalo::bench {

namespace {

double seconds(qint64 nanoseconds) {
    return double(nanoseconds) / 1e9;
}

double megabytes(std::size_t bytes) {
    return double(bytes) / (1024.0 * 1024.0);
}

#if TERVALO_BENCH_GRIDS
template <typename Step>
double medianOfFive(Step step) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        times.push_back(step());
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

void measureGrids(GridViews& views, QJsonObject& figures) {
    // The first sort by the amount builds its order; later ones switch between kept orders.
    figures[QStringLiteral("sortColdMs")] = views.sortMs(u"ZbyvaUh");
    figures[QStringLiteral("sortMs")] = medianOfFive([&] {
        views.sortMs(u"OdbNazev");
        return views.sortMs(u"ZbyvaUh");
    });
    figures[QStringLiteral("filterOnMs")] = medianOfFive([&] {
        const double on = views.emailFilterMs(true);
        views.emailFilterMs(false);
        return on;
    });
    figures[QStringLiteral("filterOffMs")] = medianOfFive([&] {
        views.emailFilterMs(true);
        return views.emailFilterMs(false);
    });
}
#endif

// The export's port, keeping the error the workbook export shows.
class ExportUserInterface : public BenchUserInterface {
public:
    void error(const QString& text) override { lastError = text; }
    QString lastError;
};

// The debtor list as the browser leaves it, exported through the shipped template: first the whole
// list (far beyond the 65,536 rows of a worksheet, so it must be refused without a file), then the
// view filtered to the current debtor, which fits.
void measureExcelExport(import::ExportTables& tables, QJsonObject& figures) {
    const QString templatePath = QStringLiteral(TERVALO_SOURCE_DIR "/data/files/TERVALO.XL");
    QTemporaryDir folder;
    const auto exportView = [&](const char* prefix) {
        ExportUserInterface ui;
        const QString output = folder.filePath(QString::fromLatin1(prefix) + QStringLiteral(".xls"));
        QElapsedTimer timer;
        timer.start();
        const bool written =
            exporting::WriteDebtorList(tables, templatePath, output, ui, QDate(2026, 12, 10));
        const QString key = QString::fromLatin1(prefix);
        figures[key + QStringLiteral("S")] = seconds(timer.nsecsElapsed());
        figures[key + QStringLiteral("Debtors")] = tables.mtFirmy.recordCount();
        figures[key + QStringLiteral("Written")] = written;
        figures[key + QStringLiteral("FileKb")] = double(QFileInfo(output).size()) / 1024.0;
        figures[key + QStringLiteral("Message")] = ui.lastError;
    };
    exportView("exportAll");
    memtable::MemTable& firmy = tables.mtFirmy;
    firmy.setFilter(u"ID", firmy.intValue(u"ID"));
    firmy.setFiltered(true);
    exportView("exportOne");
    firmy.setFiltered(false);
    figures[QStringLiteral("exportPeakMb")] = processMemoryMb("VmHWM");
}

}  // namespace

QJsonObject measureLoad(const LoadFixture& fixture) {
    app::AppSession session{platform::SystemLocale()};
    session.DefFilePath = fixture.defFilePath();
    session.ExportDecimalSeparator = session.locale.decimalSeparator();
    QJsonObject figures;

    QElapsedTimer timer;
    timer.start();
    session.stateTables = std::make_unique<state::StateTables>(fixture.stateFolder(), session.locale);
    session.stateTables->OpenStateTables();
    figures[QStringLiteral("openStateS")] = seconds(timer.nsecsElapsed());

    BenchUserInterface ui;
#if TERVALO_BENCH_GRIDS
    GridViews views(session.tables, session.locale.decimalSeparator());
    views.showProgressOf(ui);
#endif
    // As after start-up: the grids stay still until the load has built the tables.
    session.tables.mtFirmy.disableControls();
    session.tables.mtDoklady.disableControls();
    figures[QStringLiteral("baseMb")] = processMemoryMb("VmRSS");

    const ProcessUsage before = ProcessUsage::now();
    ui.startClock();
    timer.start();
    if (!app::LoadExport(session, fixture.exportPath(), ui)) {
        throw std::runtime_error("the export does not load");
    }
#if TERVALO_BENCH_GRIDS
    views.settle();
#endif
    figures[QStringLiteral("loadS")] = seconds(timer.nsecsElapsed());
    const ProcessUsage load = ProcessUsage::now() - before;
    figures[QStringLiteral("pageFaults")] = double(load.pageFaults);
    figures[QStringLiteral("systemS")] = load.systemSeconds;
    figures[QStringLiteral("readS")] = seconds(ui.readNanoseconds());
    figures[QStringLiteral("peakMb")] = processMemoryMb("VmHWM");
    figures[QStringLiteral("rows")] = ui.rowsRead();
    figures[QStringLiteral("debtors")] = session.tables.mtFirmy.rowCount();
    figures[QStringLiteral("documents")] = session.tables.mtDoklady.rowCount();
    figures[QStringLiteral("matrixMb")] = megabytes(session.sgrCSV.memoryBytes());  // given back by now
    figures[QStringLiteral("tablesMb")] =
        megabytes(session.tables.mtFirmy.memoryBytes() + session.tables.mtDoklady.memoryBytes());
#if TERVALO_BENCH_GRIDS
    measureGrids(views, figures);
#endif
    measureExcelExport(session.tables, figures);
    return figures;
}

}  // namespace tervalo::bench
