#pragma once

#include <QString>

namespace tervalo::bench {

// Python's csv module merely reading the export (Windows-1250, ';'): the best of three runs, with
// that run's minor page faults and system time. The yardstick the export benchmarks compare with.
struct PythonCsvRun {
    double seconds = -1;  // negative when Python fails
    long pageFaults = 0;
    double systemSeconds = 0;
};

PythonCsvRun pythonCsvRun(const QString& path);

}  // namespace tervalo::bench
