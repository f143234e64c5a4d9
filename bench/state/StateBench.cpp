// Builds a document state table by appends and measures point lookups of GetDocumentExport beside
// SQLite doing the same lookups on an indexed table of the same keys.
//
//   state_bench [KEYS] [LOOKUPS] [FOLDER]     defaults: 1000000 200000, a temporary folder
#include "state/StateTables.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using tervalo::platform::SystemLocale;
using tervalo::state::StateTables;

namespace {

QString documentKey(int i) {
    return QStringLiteral("D%1").arg(i, 9, 10, QLatin1Char('0'));
}
QString missingKey(int i) {
    return QStringLiteral("X%1").arg(i, 9, 10, QLatin1Char('0'));
}

double perSecond(qint64 count, qint64 nanoseconds) {
    return double(count) * 1e9 / double(std::max<qint64>(nanoseconds, 1));
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite %s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

struct SqliteFigures {
    double insertsPerSecond;
    double existingPerSecond;
    double missingPerSecond;
};

SqliteFigures runSqlite(const QString& path, const std::vector<int>& order, const std::vector<int>& probes) {
    sqlite3* db = nullptr;
    check(sqlite3_open(path.toLocal8Bit().constData(), &db), db, "open");
    check(sqlite3_exec(
              db, "CREATE TABLE docs(doklad TEXT, export INTEGER); CREATE INDEX docs_doklad ON docs(doklad);",
              nullptr, nullptr, nullptr),
          db, "create");
    QElapsedTimer timer;
    timer.start();
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO docs VALUES(?, 1)", -1, &insert, nullptr), db, "prepare");
    for (int i : order) {
        const std::string key = documentKey(i).toStdString();
        sqlite3_bind_text(insert, 1, key.c_str(), int(key.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(insert), db, "insert");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    const qint64 insertNs = timer.nsecsElapsed();

    sqlite3_stmt* select = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT export FROM docs WHERE doklad = ?", -1, &select, nullptr), db,
          "prepare");
    auto lookups = [&](QString (*key)(int)) {
        QElapsedTimer t;
        t.start();
        long found = 0;
        for (int i : probes) {
            const std::string k = key(i).toStdString();
            sqlite3_bind_text(select, 1, k.c_str(), int(k.size()), SQLITE_TRANSIENT);
            found += sqlite3_step(select) == SQLITE_ROW;
            sqlite3_reset(select);
        }
        const qint64 ns = t.nsecsElapsed();
        std::printf("  (sqlite found %ld)\n", found);
        return perSecond(qint64(probes.size()), ns);
    };
    SqliteFigures figures{perSecond(qint64(order.size()), insertNs), lookups(documentKey),
                          lookups(missingKey)};
    sqlite3_finalize(select);
    sqlite3_close(db);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int keys = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int lookups = argc > 2 ? std::atoi(argv[2]) : 200000;
    QTemporaryDir temporary;
    const QString folder =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) + QLatin1Char('/') : temporary.path() + QLatin1Char('/');

    std::mt19937 random(42);
    std::vector<int> order(static_cast<std::size_t>(keys));
    for (int i = 0; i < keys; ++i) {
        order[std::size_t(i)] = i;
    }
    std::shuffle(order.begin(), order.end(), random);
    std::vector<int> probes(static_cast<std::size_t>(lookups));
    std::uniform_int_distribution<int> pick(0, keys - 1);
    for (int& p : probes) {
        p = pick(random);
    }

    SystemLocale czech;
    std::printf("state table, %d document keys in random order, %d lookups each kind\n", keys, lookups);
    {
        StateTables tables(folder, czech);
        tables.OpenStateTables();
        QElapsedTimer timer;
        timer.start();
        for (int i : order) {
            tables.SetDocumentExport(documentKey(i), i % 2 == 0);
        }
        const qint64 ns = timer.nsecsElapsed();
        std::printf("build by appends (SetDocumentExport): %.0f appends/s (%.1f s)\n", perSecond(keys, ns),
                    double(ns) / 1e9);
    }
    StateTables tables(folder, czech);
    QElapsedTimer openTimer;
    openTimer.start();
    tables.OpenStateTables();
    std::printf("open with index check: %.2f s\n", double(openTimer.nsecsElapsed()) / 1e9);

    auto measure = [&](QString (*key)(int), const char* label) {
        QElapsedTimer timer;
        timer.start();
        long excluded = 0;
        for (int i : probes) {
            excluded += !tables.GetDocumentExport(key(i));
        }
        const qint64 ns = timer.nsecsElapsed();
        const double rate = perSecond(qint64(probes.size()), ns);
        std::printf("GetDocumentExport %s: %.0f lookups/s (%ld excluded)\n", label, rate, excluded);
        return rate;
    };
    measure(documentKey, "existing (first pass)");
    const double existing = measure(documentKey, "existing");
    const double missing = measure(missingKey, "missing");

    const SqliteFigures sqlite = runSqlite(folder + QStringLiteral("bench.sqlite"), order, probes);
    std::printf("sqlite %s, indexed table: %.0f inserts/s in one transaction\n", sqlite3_libversion(),
                sqlite.insertsPerSecond);
    std::printf("sqlite point lookups existing: %.0f lookups/s\n", sqlite.existingPerSecond);
    std::printf("sqlite point lookups missing: %.0f lookups/s\n", sqlite.missingPerSecond);
    std::printf("ratio state/sqlite: existing %.2f, missing %.2f\n", existing / sqlite.existingPerSecond,
                missing / sqlite.missingPerSecond);
    return 0;
}
