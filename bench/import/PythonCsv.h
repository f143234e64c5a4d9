#pragma once

#include <QString>

namespace tervalo::bench {

// Best of three runs of Python's csv module merely reading the export (Windows-1250, ';'), in
// seconds; negative when Python fails. The yardstick the export benchmarks compare with.
double pythonCsvSeconds(const QString& path);

}  // namespace tervalo::bench
