#pragma once

#include <QString>

namespace tervalo::bench {

// The files one load needs, kept in a folder of their own so that a later run reuses them: the
// synthetic export, the definition file, and state tables that already hold a record for every
// document number and e-mail address of the export.
struct LoadFixture {
    QString folder;  // ends with '/'
    int documents = 0;

    QString exportPath() const { return folder + QStringLiteral("export.csv"); }
    QString defFilePath() const { return folder + QStringLiteral("uhterv.def"); }
    QString stateFolder() const { return folder + QStringLiteral("state/"); }
};

struct FixtureReport {
    double stateSeconds = 0;  // building the state tables; 0 when they were there already
    int stateRecords = 0;     // appended in this run
};

// Writes what is missing. The state tables are built in a side folder renamed into place when
// complete, so an interrupted build is never taken for a cache.
FixtureReport prepareFixture(const LoadFixture& fixture);

qint64 fileSize(const QString& path);
// The state tables' files (.dat, .dbt, .mdx) together.
qint64 stateTablesSize(const LoadFixture& fixture);

}  // namespace tervalo::bench
