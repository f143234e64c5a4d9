// Reads synthetic exports of 10k, 100k and 1M document rows with the export reader and prints rows/s,
// MB/s, the cell matrix's size against the file's, the process's peak memory, and the time Python's
// csv module takes merely to read the same file, measured in the same run.
//   bench_import [WORKDIR]
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
    std::printf("%-10s %10s %12s %9s %12s %10s %12s %10s\n", "doc rows", "file MB", "rows/s", "MB/s",
                "matrix/file", "peak MB", "python s", "speed-up");
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
        std::size_t matrixBytes = 0;
        int rows = 0;
        for (int run = 0; run < 3; ++run) {
            import::CellMatrix matrix;
            QElapsedTimer timer;
            timer.start();
            import::ExportReader::ReadFile(path, matrix);
            best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
            matrixBytes = matrix.memoryBytes();
            rows = matrix.rowCount();
        }
        const double python = bench::pythonCsvSeconds(path);
        std::printf("%-10d %10.1f %12.0f %9.0f %12.2f %10.0f %12.3f %9.1fx\n", documents, fileMb, rows / best,
                    fileMb / best, double(matrixBytes) / double(fileSize), peakRssMb(), python,
                    python > 0 ? python / best : 0.0);
        QFile::remove(path);
    }
    return 0;
}
