#include "PythonCsv.h"

#include <QProcess>

namespace tervalo::bench {

double pythonCsvSeconds(const QString& path) {
    const QString script = QStringLiteral(
        "import csv, sys, time\n"
        "best = None\n"
        "for _ in range(3):\n"
        "    t = time.perf_counter()\n"
        "    with open(sys.argv[1], encoding='cp1250', newline='') as f:\n"
        "        for row in csv.reader(f, delimiter=';'):\n"
        "            pass\n"
        "    d = time.perf_counter() - t\n"
        "    best = d if best is None else min(best, d)\n"
        "print(best)\n");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    if (!python.waitForFinished(600000) || python.exitCode() != 0) {
        return -1;
    }
    return QString::fromLatin1(python.readAllStandardOutput()).trimmed().toDouble();
}

}  // namespace tervalo::bench
