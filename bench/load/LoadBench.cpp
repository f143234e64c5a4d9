// Loads synthetic exports of 10k, 100k and 1M documents over state tables that hold a record for
// every document number and e-mail address, so that every lookup finds its key, and prints the load
// time beside Python's csv module merely reading the same file (page faults and system time beside
// both), the peak memory beside twice the file plus the state tables, and the time of sorting the debtors by
// the amount left to pay and of the e-mail filter through the grids, and the export of the sorted debtor list
// to .xls (refused when beyond a worksheet's rows) with its time and peak memory.
//
//   bench_load [CACHEDIR [DOCUMENTS...]]
//
// CACHEDIR keeps the exports and the state tables for the next run (building the state tables for
// 1M documents takes about a minute); without it a temporary folder is used. Each load runs in a
// child process (bench_load --measure FOLDER DOCUMENTS) so that its peak memory is its own.
#include "LoadFixture.h"
#include "MeasureLoad.h"
#include "PythonCsv.h"

#if TERVALO_BENCH_GRIDS
#include <QApplication>
#endif
#include <QCoreApplication>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

using namespace tervalo::bench;

namespace {

struct Result {
    LoadFixture fixture;
    double fileMb = 0;
    double stateMb = 0;
    PythonCsvRun python;
    QJsonObject figures;
};

double number(const Result& result, const char* key) {
    return result.figures.value(QLatin1String(key)).toDouble(-1);
}

int measureInChild(const QString& folder, int documents) {
    const QJsonObject figures = measureLoad(LoadFixture{folder, documents});
    std::fputs(QJsonDocument(figures).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}

QJsonObject runChild(const LoadFixture& fixture) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"), fixture.folder, QString::number(fixture.documents)});
    if (!child.waitForFinished(3600 * 1000) || child.exitCode() != 0) {
        std::fprintf(stderr, "the load of %d documents failed\n", fixture.documents);
        return {};
    }
    return QJsonDocument::fromJson(child.readAllStandardOutput()).object();
}

const char* verdict(bool met) {
    return met ? "yes" : "NO";
}

// The load's speed and memory targets are set for the export of a million documents; smaller exports
// show their figures without a verdict (a fixed 30 MB of Qt and the grids' painting dominate them).
constexpr int kTargetDocuments = 1000000;

const char* loadVerdict(const Result& result, bool met) {
    return result.fixture.documents == kTargetDocuments ? verdict(met) : "-";
}

void printTables(const std::vector<Result>& results) {
    std::printf(
        "\nload (open s: the state tables at start-up, not part of the load; read, check, build with "
        "lookups%s; targets for 1M documents: twice as fast as Python, rows/s within 20%% of 100k)\n",
        TERVALO_BENCH_GRIDS ? ", grids painted" : "");
    std::printf("%-9s %8s %8s %7s %8s %8s %8s %8s %7s %10s %9s %9s %8s %8s %5s\n", "docs", "debtors",
                "file MB", "open s", "read s", "build s", "load s", "faults", "sys s", "rows/s", "python s",
                "py faults", "py sys s", "py/load", "met");
    double rateAt100k = 0;
    for (const Result& r : results) {
        const double load = number(r, "loadS");
        const double read = number(r, "readS");
        const double rate = number(r, "rows") / load;
        if (r.fixture.documents == 100000) {
            rateAt100k = rate;
        }
        const bool rateKept = rateAt100k <= 0 || rate >= 0.8 * rateAt100k;
        std::printf(
            "%-9d %8.0f %8.1f %7.2f %8.3f %8.3f %8.3f %8.0f %7.3f %10.0f %9.3f %9ld %8.3f %7.2fx %5s\n",
            r.fixture.documents, number(r, "debtors"), r.fileMb, number(r, "openStateS"), read, load - read,
            load, number(r, "pageFaults"), number(r, "systemS"), rate, r.python.seconds, r.python.pageFaults,
            r.python.systemSeconds, r.python.seconds / load,
            loadVerdict(r, r.python.seconds > 0 && 2 * load <= r.python.seconds && rateKept));
    }
    std::printf(
        "\nmemory (MB; limit for 1M documents = 2 x file + state tables; base = before the load; matrix = "
        "what the cell matrix still holds after it)\n");
    std::printf("%-9s %8s %8s %8s %8s %8s %9s %8s %8s %5s\n", "docs", "file", "state", "limit", "base",
                "peak", "peak-base", "matrix", "tables", "met");
    for (const Result& r : results) {
        const double limit = 2 * r.fileMb + r.stateMb;
        const double peak = number(r, "peakMb");
        std::printf("%-9d %8.1f %8.1f %8.1f %8.1f %8.1f %9.1f %8.1f %8.1f %5s\n", r.fixture.documents,
                    r.fileMb, r.stateMb, limit, number(r, "baseMb"), peak, peak - number(r, "baseMb"),
                    number(r, "matrixMb"), number(r, "tablesMb"), loadVerdict(r, peak < limit));
    }
#if TERVALO_BENCH_GRIDS
    std::printf("\ngrids (ms; medians of five; targets: sort < 100, filter < 50)\n");
    std::printf("%-9s %8s %10s %8s %10s %10s %5s\n", "docs", "debtors", "sort cold", "sort", "filter on",
                "filter off", "met");
    for (const Result& r : results) {
        const double worstSort = std::max(number(r, "sortColdMs"), number(r, "sortMs"));
        const double worstFilter = std::max(number(r, "filterOnMs"), number(r, "filterOffMs"));
        std::printf("%-9d %8.0f %10.1f %8.1f %10.1f %10.1f %5s\n", r.fixture.documents, number(r, "debtors"),
                    number(r, "sortColdMs"), number(r, "sortMs"), number(r, "filterOnMs"),
                    number(r, "filterOffMs"), verdict(worstSort < 100 && worstFilter < 50));
    }
#endif
    std::printf(
        "\nexport to .xls through the shipped template (the whole sorted list, refused when beyond the "
        "65,536 "
        "rows of a worksheet; then one debtor)\n");
    std::printf("%-9s %-6s %8s %8s %8s %9s %10s  %s\n", "docs", "view", "debtors", "s", "written", "file KB",
                "peak MB", "message");
    for (const Result& r : results) {
        for (const char* view : {"All", "One"}) {
            const auto figure = [&](const char* key) {
                return r.figures.value(QStringLiteral("export") + QLatin1String(view) + QLatin1String(key));
            };
            std::printf("%-9d %-6s %8.0f %8.3f %8s %9.1f %10.1f  %s\n", r.fixture.documents, view,
                        figure("Debtors").toDouble(), figure("S").toDouble(),
                        figure("Written").toBool() ? "yes" : "no", figure("FileKb").toDouble(),
                        number(r, "exportPeakMb"), qPrintable(figure("Message").toString()));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool child = argc == 4 && QByteArrayView(argv[1]) == "--measure";
#if TERVALO_BENCH_GRIDS
    if (child && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::unique_ptr<QCoreApplication> app =
        child ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
#else
    auto app = std::make_unique<QCoreApplication>(argc, argv);
#endif
    try {
        if (child) {
            return measureInChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
        }
        QTemporaryDir temporary;
        const QString cache = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
        std::vector<int> sizes;
        for (int i = 2; i < argc; ++i) {
            sizes.push_back(std::atoi(argv[i]));
        }
        if (sizes.empty()) {
            sizes = {10000, 100000, 1000000};
        }
        std::vector<Result> results;
        for (int documents : sizes) {
            Result result;
            result.fixture = LoadFixture{cache + QStringLiteral("/load-%1/").arg(documents), documents};
            const FixtureReport prepared = prepareFixture(result.fixture);
            if (prepared.stateRecords > 0) {
                std::printf("%d documents: state tables built in %.1f s (%d records, %.0f appends/s)\n",
                            documents, prepared.stateSeconds, prepared.stateRecords,
                            prepared.stateRecords / prepared.stateSeconds);
            } else {
                std::printf("%d documents: state tables reused from %s\n", documents,
                            qPrintable(result.fixture.stateFolder()));
            }
            std::fflush(stdout);
            result.fileMb = double(fileSize(result.fixture.exportPath())) / (1024.0 * 1024.0);
            result.stateMb = double(stateTablesSize(result.fixture)) / (1024.0 * 1024.0);
            result.python = pythonCsvRun(result.fixture.exportPath());
            result.figures = runChild(result.fixture);
            results.push_back(result);
        }
        printTables(results);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_load: %s\n", e.what());
        return 1;
    }
    return 0;
}
