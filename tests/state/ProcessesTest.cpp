// Several processes on one folder: concurrent appends and edits, and a process killed at each write.
#include "StateTestSupport.h"

#include "state/StateTables.h"
#include "state/dbf/DbfTable.h"

#include "support/TempAppDir.h"

#include <QDir>
#include <QProcessEnvironment>

#include <cstdio>
#include <map>

#include <gtest/gtest.h>

using tervalo::platform::AnsiCodec;
using tervalo::platform::SystemLocale;
using tervalo::state::StateTables;
using tervalo::state::dbf::DbfTable;
using tervalo::state::dbf::OpenMode;
using tervalo::test::ChildProcess;
using tervalo::test::ProcessResult;
using tervalo::test::runProcess;
using tervalo::test::TempAppDir;

namespace {

const QString kWorker = QStringLiteral(STATE_WORKER);

// The key field of every record, read in record order without the index.
QStringList keysInRecordOrder(const QString& path, const QString& field) {
    SystemLocale czech;
    DbfTable table(czech);
    table.setFileName(path);
    table.open(OpenMode::Shared, false);
    QStringList keys;
    for (bool more = table.first(); more; more = table.next()) {
        keys << table.fieldText(field);
    }
    return keys;
}

// index_dump's walk of the tag must list every record once, under the record's own key.
void expectIndexMatchesTable(const QString& folder, const char* table, const char* tag, const char* field) {
    const QString base = folder + QString::fromLatin1(table);
    const QStringList keys = keysInRecordOrder(base + QStringLiteral(".dat"), QString::fromLatin1(field));
    auto dumped =
        runProcess({QStringLiteral("index_dump"),
                    {QStringLiteral("--tag"), QString::fromLatin1(tag), base + QStringLiteral(".mdx")}});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err.toStdString();
    AnsiCodec codec(1250);
    std::map<int, QString> indexed;
    for (const QByteArray& line : dumped.out.split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        const int space = line.lastIndexOf(' ');
        const int record = line.mid(space + 1).toInt();
        EXPECT_TRUE(indexed.emplace(record, codec.decode(line.left(space)).trimmed()).second)
            << "twice: " << record;
    }
    ASSERT_EQ(indexed.size(), std::size_t(keys.size())) << table;
    for (int r = 1; r <= keys.size(); ++r) {
        EXPECT_EQ(indexed[r], keys[r - 1]) << table << " record " << r;
    }
}

TEST(StateProcesses, twoProcessesAppendingAndEditingLoseNothing) {
    TempAppDir dir;
    const int count = 3000;
    const auto worker = [&](const char* id) {
        return ChildProcess({.program = kWorker,
                             .arguments = {dir.path(), QStringLiteral("stress"), QString::fromLatin1(id),
                                           QString::number(count)},
                             .timeoutMs = 600000});
    };
    ChildProcess first = worker("1");
    ChildProcess second = worker("2");
    const ProcessResult firstResult = first.finish();
    const ProcessResult secondResult = second.finish();
    ASSERT_EQ(firstResult.exitCode, 0) << firstResult.err.toStdString();
    ASSERT_EQ(secondResult.exitCode, 0) << secondResult.err.toStdString();

    expectIndexMatchesTable(dir.path(), "EDoklady", "EDOKLADY", "DOKLAD");
    expectIndexMatchesTable(dir.path(), "EArchiv", "EARCHIV", "EMAIL");

    SystemLocale czech;
    StateTables tables(dir.path(), czech);
    tables.OpenStateTables();
    EXPECT_EQ(tables.dtEDoklady().recordCount(), quint32(2 * count));
    // 5 shared addresses, 7 sent to by both, and a note address every 10th step of each process.
    EXPECT_EQ(tables.dtEarchiv().recordCount(), quint32(5 + 7 + 2 * count / 10));
    for (const char* id : {"1", "2"}) {
        for (int i = 0; i < count; ++i) {
            const QString document =
                QStringLiteral("P%1-%2").arg(QLatin1String(id)).arg(i, 7, 10, QLatin1Char('0'));
            ASSERT_EQ(tables.GetDocumentExport(document), i % 2 == 0) << document.toStdString();
            if (i % 10 == 0) {
                const QString address = QStringLiteral("w%1-%2@x.cz").arg(QLatin1String(id)).arg(i);
                ASSERT_EQ(tables.readAddressNote(address).note,
                          QStringLiteral("note %1 %2").arg(QLatin1String(id)).arg(i));
            }
        }
    }
    EXPECT_EQ(tables.readAddressNote(QStringLiteral("both3@x.cz")).lastSend, QDate::currentDate());
}

TEST(StateProcesses, anEditMeetsAnotherOpensRecordLock) {
    TempAppDir dir;
    SystemLocale czech;
    StateTables one(dir.path(), czech);
    StateTables two(dir.path(), czech);
    one.OpenStateTables();
    two.OpenStateTables();
    one.SetDocumentExport(QStringLiteral("FV1"), false);
    ASSERT_TRUE(one.dtEDoklady().locate(QStringLiteral("DOKLAD"), QStringLiteral("FV1")));
    one.dtEDoklady().edit();
    try {
        two.SetDocumentExport(QStringLiteral("FV1"), true);
        FAIL() << "edited a locked record";
    } catch (const tervalo::state::StateError& error) {
        EXPECT_EQ(error.text(), QStringLiteral("Record locked."));
    }
    one.dtEDoklady().cancel();
    two.SetDocumentExport(QStringLiteral("FV1"), true);
    EXPECT_TRUE(one.GetDocumentExport(QStringLiteral("FV1")));
}

TEST(StateProcesses, aWriteWaitsForARecordAnotherProcessIsWriting) {
    TempAppDir dir;
    SystemLocale czech;
    StateTables tables(dir.path(), czech);
    tables.OpenStateTables();
    tables.SetDocumentExport(QStringLiteral("FV1"), true);
    ChildProcess holder(
        {.program = kWorker,
         .arguments = {dir.path(), QStringLiteral("hold"), QStringLiteral("FV1"), QStringLiteral("300")}});
    ASSERT_EQ(holder.readLine(60000), QByteArray("held"));
    // Held for a moment, as another program's write holds it: this write waits instead of failing.
    tables.SetDocumentExport(QStringLiteral("FV1"), false);
    EXPECT_FALSE(tables.GetDocumentExport(QStringLiteral("FV1")));
    EXPECT_EQ(holder.finish().exitCode, 0);
}

enum class Outcome { Killed, Finished, Failed };

// Runs the worker, killed as it enters its n-th call of `syscall` (counting from 1).
Outcome runKilledAt(const QString& syscall, int n, const QStringList& args) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       QStringLiteral("detect_leaks=0"));  // no leak check under ptrace
    const ProcessResult strace = runProcess(
        {.program = QStringLiteral("strace"),
         .arguments =
             QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"),
                         QStringLiteral("/dev/null"), QStringLiteral("-e"),
                         QStringLiteral("trace=") + syscall, QStringLiteral("-e"),
                         QStringLiteral("inject=%1:signal=KILL:when=%2").arg(syscall).arg(n), kWorker} +
             args,
         .environment = environment,
         .timeoutMs = 600000,
         .mayBeKilled = true});
    // strace ends the way the worker did: by the signal itself, or with 128 + its number.
    if (strace.killed || strace.exitCode == 128 + 9) {
        return Outcome::Killed;
    }
    if (strace.exitCode == 0) {
        return Outcome::Finished;
    }
    ADD_FAILURE() << "worker failed with " << strace.exitCode << ": " << strace.err.toStdString();
    return Outcome::Failed;
}

void copyFolder(const QString& from, const QString& to) {
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile::copy(from + name, to + name);
    }
}

struct CrashCase {
    const char* name;
    // The call the worker is killed at: pwrite64 writes records, headers, memos and index nodes in
    // place; write and rename replace whole files (a table being created, an index rebuilt).
    QString syscall;
    QStringList args;  // after the folder
    std::function<void(StateTables&)> prepare;
    // The state after a killed or finished run, opened again: what must hold.
    std::function<void(StateTables&, bool finished)> verify;
};

TEST(StateProcesses, aProcessKilledAtAnyWriteLeavesTablesThatOpenReadAndRepair) {
    const QString longNote(1100, QLatin1Char('n'));
    // The old document table, killed or not during its upgrade, is the new one with every flag kept.
    const auto oldDocumentTableUpgraded = [](StateTables& tables, bool) {
        EXPECT_TRUE(tables.dtEDoklady().hasField(QStringLiteral("POZN")));
        EXPECT_EQ(tables.dtEDoklady().recordCount(), 12u);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(tables.GetDocumentExport(QStringLiteral("OLD%1").arg(i)), i % 3 == 0) << i;
        }
    };
    auto prepareDocuments = [](StateTables& tables) {
        for (int i = 0; i < 200; ++i) {
            tables.SetDocumentExport(QStringLiteral("D%1").arg(i, 3, 10, QLatin1Char('0')), false);
        }
        tables.writeAddressNote(QStringLiteral("old@x.cz"), QStringLiteral("short"));
        tables.SetAddressExport(QStringLiteral("old@x.cz"), false);
    };
    auto documentsIntact = [](StateTables& tables) {
        for (int i = 0; i < 200; ++i) {
            ASSERT_FALSE(tables.GetDocumentExport(QStringLiteral("D%1").arg(i, 3, 10, QLatin1Char('0'))))
                << i;
        }
        ASSERT_FALSE(tables.GetAddressExport(QStringLiteral("old@x.cz")));
    };
    const std::vector<CrashCase> cases = {
        {"create_in_empty_folder",
         QStringLiteral("write"),
         {QStringLiteral("open")},
         [](StateTables&) {},
         [](StateTables& tables, bool) { EXPECT_EQ(tables.dtEarchiv().recordCount(), 0u); }},
        {"create_in_empty_folder_at_rename",
         QStringLiteral("rename"),
         {QStringLiteral("open")},
         [](StateTables&) {},
         [](StateTables& tables, bool) { EXPECT_EQ(tables.dtEDoklady().recordCount(), 0u); }},
        {"upgrade_old_document_table",
         QStringLiteral("pwrite64"),
         {QStringLiteral("open")},
         [](StateTables&) {},
         oldDocumentTableUpgraded},
        {"upgrade_old_document_table_at_rename",
         QStringLiteral("rename"),
         {QStringLiteral("open")},
         [](StateTables&) {},
         oldDocumentTableUpgraded},
        {"append_with_memo",
         QStringLiteral("pwrite64"),
         {QStringLiteral("state"), QStringLiteral("address"), QStringLiteral("new@x.cz"),
          QStringLiteral("--note"), longNote},
         prepareDocuments,
         [&](StateTables& tables, bool finished) {
             documentsIntact(tables);
             auto record = tables.readAddressNote(QStringLiteral("new@x.cz"));
             EXPECT_TRUE(!record.exists || record.note == longNote);
             EXPECT_TRUE(!finished || record.exists);
         }},
        {"edit_moving_memo",
         QStringLiteral("pwrite64"),
         {QStringLiteral("state"), QStringLiteral("address"), QStringLiteral("old@x.cz"),
          QStringLiteral("--note"), longNote},
         prepareDocuments,
         [&](StateTables& tables, bool finished) {
             documentsIntact(tables);
             const QString note = tables.readAddressNote(QStringLiteral("old@x.cz")).note;
             EXPECT_TRUE(note == QStringLiteral("short") || note == longNote);
             EXPECT_TRUE(!finished || note == longNote);
         }},
        {"append_splitting_a_node",
         QStringLiteral("pwrite64"),
         {QStringLiteral("state"), QStringLiteral("document"), QStringLiteral("D0005"),
          QStringLiteral("--export"), QStringLiteral("0")},
         prepareDocuments,
         [&](StateTables& tables, bool finished) {
             documentsIntact(tables);
             EXPECT_TRUE(!finished || !tables.GetDocumentExport(QStringLiteral("D0005")));
         }},
    };
    SystemLocale czech;
    for (const auto& c : cases) {
        TempAppDir prepared;
        if (QLatin1String(c.name).startsWith(QLatin1String("upgrade_old_document_table"))) {
            tervalo::test::writeOldDocumentTable(prepared.path(), tervalo::test::oldDocumentRows(12));
        }
        {
            StateTables tables(prepared.path(), czech);
            if (c.args.front() != QLatin1String("open")) {
                tables.OpenStateTables();
            }
            c.prepare(tables);
        }
        bool finished = false;
        int steps = 0;
        for (int n = 1; !finished; ++n) {
            ASSERT_LT(n, 1000) << c.name << " never finished";
            TempAppDir dir;
            copyFolder(prepared.path(), dir.path());
            const Outcome outcome = runKilledAt(c.syscall, n, QStringList{dir.path()} + c.args);
            ASSERT_NE(outcome, Outcome::Failed) << c.name;
            finished = outcome == Outcome::Finished;
            steps = n;
            StateTables tables(dir.path(), czech);
            tables.OpenStateTables();
            SCOPED_TRACE(std::string(c.name) + " killed at write " + std::to_string(n));
            c.verify(tables, finished);
            tables.close();
            expectIndexMatchesTable(dir.path(), "EDoklady", "EDOKLADY", "DOKLAD");
            expectIndexMatchesTable(dir.path(), "EArchiv", "EARCHIV", "EMAIL");
        }
        EXPECT_GT(steps, 2) << c.name;
        std::printf("%s: killed at each of %d calls of %s\n", c.name, steps - 1, qPrintable(c.syscall));
    }
}

}  // namespace
