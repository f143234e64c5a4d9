// Reads synthetic exports of 10k, 100k and 1M document rows with the export reader and prints rows/s,
// MB/s, the cell matrix's size against the file's, the process's peak memory, and the time Python's
// csv module takes merely to read the same file, measured in the same run; beside each time the page
// faults and the system time of that run, where the cost of fresh memory shows.
//   bench_import [WORKDIR]
#include "ProcessUsage.h"
#include "PythonCsv.h"
#include "SyntheticExport.h"
#include "import/ExportReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

using namespace tervalo;

namespace {

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const QString dir = app.arguments().size() > 1 ? app.arguments()[1] : temp.path();
    std::printf("%-10s %8s %10s %7s %8s %8s %7s %12s %8s %9s %8s %7s %9s\n", "doc rows", "file MB", "rows/s",
                "MB/s", "faults", "sys s", "peak MB", "matrix/file", "python s", "py faults", "py sys s",
                "speed-up", "rows/s %");
    double rateAt100k = 0;  // rows/s % compares each rate with it
    for (int documents : {10000, 100000, 1000000}) {
        const QString path = dir + QStringLiteral("/export-%1.csv").arg(documents);
        QByteArray bytes = bench::syntheticExport(documents);
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
        const double fileMb = double(bytes.size()) / 1e6;
        const qint64 fileSize = bytes.size();
        bytes = QByteArray();

        double best = 1e9;
        bench::ProcessUsage bestUsage;
        std::size_t matrixBytes = 0;
        int rows = 0;
        for (int run = 0; run < 3; ++run) {
            import::CellMatrix matrix;
            const bench::ProcessUsage before = bench::ProcessUsage::now();
            QElapsedTimer timer;
            timer.start();
            import::ExportReader::ReadFile(path, matrix);
            const double elapsed = double(timer.nsecsElapsed()) / 1e9;
            if (elapsed < best) {
                best = elapsed;
                bestUsage = bench::ProcessUsage::now() - before;
            }
            matrixBytes = matrix.memoryBytes();
            rows = matrix.rowCount();
        }
        const bench::PythonCsvRun python = bench::pythonCsvRun(path);
        const double rate = rows / best;
        if (documents == 100000) {
            rateAt100k = rate;
        }
        std::printf("%-10d %8.1f %10.0f %7.0f %8ld %8.3f %7.0f %12.2f %8.3f %9ld %8.3f %6.1fx %8.0f%%\n",
                    documents, fileMb, rate, fileMb / best, bestUsage.pageFaults, bestUsage.systemSeconds,
                    peakRssMb(), double(matrixBytes) / double(fileSize), python.seconds, python.pageFaults,
                    python.systemSeconds, python.seconds > 0 ? python.seconds / best : 0.0,
                    rateAt100k > 0 ? 100.0 * rate / rateAt100k : 100.0);
        QFile::remove(path);
    }
    return 0;
}
