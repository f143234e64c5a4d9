#include "LoadFixture.h"

#include "BenchUserInterface.h"
#include "SyntheticExport.h"
#include "app/AppSession.h"
#include "app/LoadExport.h"
#include "defgen/DefFileBuilder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <stdexcept>

namespace tervalo::bench {

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

void writeDefFile(const QString& path) {
    QFile source(QStringLiteral(TERVALO_SOURCE_DIR "/data/uhterv.def.src"));
    if (!source.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read the definition source");
    }
    writeFile(path, tools::buildDefFile(tools::parseDefSource(QString::fromUtf8(source.readAll()))));
}

// Loads the export over empty state tables to learn its keys, then stores a record for each
// document number and each e-mail address; every third document and every fifth address excluded,
// so both flag values are read back.
int buildStateTables(const LoadFixture& fixture, const QString& folder) {
    app::AppSession session{platform::SystemLocale()};
    session.DefFilePath = fixture.defFilePath();
    session.ExportDecimalSeparator = session.locale.decimalSeparator();
    session.stateTables = std::make_unique<state::StateTables>(folder, session.locale);
    session.stateTables->OpenStateTables();
    BenchUserInterface ui;
    if (!app::LoadExport(session, fixture.exportPath(), ui)) {
        throw std::runtime_error("the synthetic export does not load");
    }
    state::StateTables& stateTables = *session.stateTables;
    memtable::MemTable& doklady = session.tables.mtDoklady;
    const int number = doklady.field(u"CisloDokl");
    for (memtable::RowId row = 0; row < doklady.rowCount(); ++row) {
        stateTables.SetDocumentExport(doklady.text(row, number), row % 3 != 0);
    }
    memtable::MemTable& firmy = session.tables.mtFirmy;
    const int email = firmy.field(u"OdbEmail");
    for (memtable::RowId row = 0; row < firmy.rowCount(); ++row) {
        stateTables.SetAddressExport(firmy.text(row, email), row % 5 != 0);
    }
    return doklady.rowCount() + firmy.rowCount();
}

}  // namespace

FixtureReport prepareFixture(const LoadFixture& fixture) {
    QDir().mkpath(fixture.folder);
    if (!QFileInfo::exists(fixture.exportPath())) {
        writeFile(fixture.exportPath(), syntheticExport(fixture.documents));
    }
    if (!QFileInfo::exists(fixture.defFilePath())) {
        writeDefFile(fixture.defFilePath());
    }
    FixtureReport report;
    if (QFileInfo::exists(fixture.stateFolder())) {
        return report;
    }
    const QString partial = fixture.folder + QStringLiteral("state.partial/");
    QDir(partial).removeRecursively();
    QDir().mkpath(partial);
    std::fprintf(stderr, "building state tables for %d documents in %s ...\n", fixture.documents,
                 qPrintable(partial));
    QElapsedTimer timer;
    timer.start();
    report.stateRecords = buildStateTables(fixture, partial);
    report.stateSeconds = double(timer.nsecsElapsed()) / 1e9;
    if (!QDir().rename(partial, fixture.stateFolder())) {
        throw std::runtime_error("cannot rename " + partial.toStdString());
    }
    return report;
}

qint64 fileSize(const QString& path) {
    return QFileInfo(path).size();
}

qint64 stateTablesSize(const LoadFixture& fixture) {
    qint64 total = 0;
    for (const QFileInfo& file : QDir(fixture.stateFolder()).entryInfoList(QDir::Files)) {
        total += file.size();
    }
    return total;
}

}  // namespace tervalo::bench
