#include "PythonCsv.h"

#include <QProcess>
#include <QStringList>

namespace tervalo::bench {

PythonCsvRun pythonCsvRun(const QString& path) {
    const QString script = QStringLiteral(
        "import csv, resource, sys, time\n"
        "best = None\n"
        "for _ in range(3):\n"
        "    before = resource.getrusage(resource.RUSAGE_SELF)\n"
        "    t = time.perf_counter()\n"
        "    with open(sys.argv[1], encoding='cp1250', newline='') as f:\n"
        "        for row in csv.reader(f, delimiter=';'):\n"
        "            pass\n"
        "    d = time.perf_counter() - t\n"
        "    after = resource.getrusage(resource.RUSAGE_SELF)\n"
        "    run = (d, after.ru_minflt - before.ru_minflt, after.ru_stime - before.ru_stime)\n"
        "    best = run if best is None or run[0] < best[0] else best\n"
        "print(*best)\n");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    PythonCsvRun run;
    if (!python.waitForFinished(600000) || python.exitCode() != 0) {
        return run;
    }
    const QStringList figures =
        QString::fromLatin1(python.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    if (figures.size() == 3) {
        run.seconds = figures[0].toDouble();
        run.pageFaults = figures[1].toLong();
        run.systemSeconds = figures[2].toDouble();
    }
    return run;
}

}  // namespace tervalo::bench
