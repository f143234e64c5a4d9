// The program killed with SIGKILL at random points of its work, over many rounds: a bulk run by SMTP
// to a real server, and the state command storing exclusions and notes. Afterwards the state tables
// open and repair, an independent reader agrees with them, and nothing is lost or stored twice.
// scripts/stress runs these with many rounds (TERVALO_STRESS_ROUNDS); the seed each prints
// (TERVALO_STRESS_SEED) replays a run's random choices.
#include "ProgramFolder.h"

#include "support/RealSmtpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QSet>
#include <QThread>

#include <cstdio>
#include <random>

#include <gtest/gtest.h>

using namespace tervalo;
using test::StoredState;
using transport::testing::RealSmtpServer;

namespace {

// The files of `from` replace those of `to`; folders of `to` (Temp/ with what a killed run left in it)
// stay as they are.
void copyFiles(const QString& from, const QString& to) {
    for (const QString& name : QDir(to).entryList(QDir::Files)) {
        ASSERT_TRUE(QFile::remove(to + name)) << name.toStdString();
    }
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        ASSERT_TRUE(QFile::copy(from + name, to + name)) << name.toStdString();
    }
}

void replaceInFile(const QString& path, const QByteArray& before, const QByteArray& after) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.contains(before));
    bytes.replace(before, after);
    file.resize(0);
    file.seek(0);
    file.write(bytes);
}

// The recipients (upper-cased) of the messages the server accepted from `sender`, once the server has
// stored nothing new for a moment: a message whose last line left just before the kill may still be on
// its way in.
QStringList acceptedFrom(const RealSmtpServer& server, const QString& sender) {
    QStringList files = server.messageFiles();
    for (int quiet = 0; quiet < 3;) {
        QThread::msleep(100);
        const QStringList now = server.messageFiles();
        quiet = now.size() == files.size() ? quiet + 1 : 0;
        files = now;
    }
    QStringList recipients;
    for (const QString& file : files) {
        const QJsonObject envelope = server.envelope(file);
        if (envelope.value(QStringLiteral("mail_from")).toString() == sender) {
            recipients << envelope.value(QStringLiteral("rcpt_tos")).toArray().first().toString().toUpper();
        }
    }
    return recipients;
}

// The journal's records as an independent reader (Python's sqlite3) sees them: the upper-cased
// recipient and the result of each. A run killed at its start may have left no journal, or one
// without its table yet.
std::vector<std::pair<QString, QString>> journalRecords(const QString& appDir) {
    const QByteArray printed = test::runPython(
        {QStringLiteral("-c"),
         QStringLiteral(
             "import os, sqlite3, sys\n"
             "db = sqlite3.connect(sys.argv[1]) if os.path.exists(sys.argv[1]) else None\n"
             "if db and db.execute(\"SELECT 1 FROM sqlite_master WHERE name = 'reminders'\").fetchone():\n"
             "    for r, s in sqlite3.connect(sys.argv[1]).execute('SELECT "
             "recipient, result FROM reminders'):\n"
             "        print(r.upper(), s)\n"),
         appDir + QStringLiteral("Upominky.db")});
    std::vector<std::pair<QString, QString>> records;
    for (const QString& line : QString::fromUtf8(printed).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u' ');
        records.emplace_back(fields.value(0), fields.value(1));
    }
    return records;
}

// Every message the server accepted has exactly one record, accepted or unsure; no record claims
// an accepted message the server did not get; a run killed leaves at most one record unsure.
void expectJournalMatches(const QString& appDir, const QStringList& accepted, bool killed) {
    int unsure = 0;
    std::map<QString, int> claimed;   // accepted records per recipient
    std::map<QString, int> possible;  // accepted or unsure records per recipient
    for (const auto& [recipient, result] : journalRecords(appDir)) {
        EXPECT_NE(result, QStringLiteral("refused")) << recipient.toStdString();
        claimed[recipient] += result == QStringLiteral("accepted");
        unsure += result == QStringLiteral("unsure");
        ++possible[recipient];
    }
    EXPECT_LE(unsure, killed ? 1 : 0);
    // Two debtors share an address: counted per address, an unsure record may stand for a message
    // that never arrived.
    for (const auto& [recipient, count] : claimed) {
        EXPECT_LE(count, accepted.count(recipient)) << recipient.toStdString() << " recorded, not received";
    }
    for (const QString& recipient : accepted) {
        EXPECT_LE(accepted.count(recipient), possible[recipient])
            << recipient.toStdString() << " without a record";
    }
}

constexpr int kDebtors = 24;

TEST(KillDuringWork, aBulkRunKilledAtRandomLosesNoSendDateAndNoRecord) {
    const int rounds = test::stressRounds(6);
    RealSmtpServer server({QStringLiteral("--lifetime"), QStringLiteral("86400")});
    ASSERT_TRUE(server.isRunning());
    test::TempAppDir prepared;
    test::prepareSmtpFolder(prepared, server.port(), QStringLiteral("kolo@horak.cz"));
    prepared.write(QStringLiteral("Pohledavky.csv"), test::reliabilityExport(kDebtors));
    const QString exportPath = prepared.file(QStringLiteral("Pohledavky.csv"));
    // What the user decided earlier, which no killed run may touch.
    for (const QStringList& command :
         {QStringList{QStringLiteral("address"), QStringLiteral("firma3@dluznik.cz"),
                      QStringLiteral("--export"), QStringLiteral("0"), QStringLiteral("--note"),
                      QStringLiteral("nechce upomínky")},
          QStringList{QStringLiteral("address"), QStringLiteral("firma4@dluznik.cz"),
                      QStringLiteral("--note"), QString(700, QLatin1Char('p'))},
          QStringList{QStringLiteral("document"), QStringLiteral("FV000005"), QStringLiteral("--export"),
                      QStringLiteral("0"), QStringLiteral("--note"), QStringLiteral("sporný")}}) {
        ASSERT_EQ(test::cliIn(prepared.path(), QStringList{QStringLiteral("state")} + command).exitCode, 0);
    }
    const StoredState before = test::readCheckedState(prepared.path());
    // Firm 3 is excluded and firm 5 has its only document excluded: neither is sent to.
    QStringList everyone = test::reliabilityRecipients(kDebtors);
    everyone.removeAll(QStringLiteral("FIRMA3@DLUZNIK.CZ"));
    everyone.removeAll(QStringLiteral("FIRMA5@DLUZNIK.CZ"));

    const std::uint32_t seed = test::stressSeed();
    SCOPED_TRACE("TERVALO_STRESS_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    test::TempAppDir dir;
    qint64 fullRunMs = 0;
    QStringList fullRun;  // what a run to its end sends: two debtors share an address
    int killed = 0;
    int inFlight = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Each round starts from the same state tables and settings, and from the temporary files the
        // run before left.
        copyFiles(prepared.path(), dir.path());
        const QByteArray sender = "kolo" + QByteArray::number(round) + "@horak.cz";
        replaceInFile(dir.file(QStringLiteral("Vorbel.ini")), "kolo@horak.cz", sender);

        // The first round runs to its end and measures how long a run takes; the others are killed at a
        // random moment within that time (some then end by themselves first).
        const int delayMs = round == 0 ? 0 : int(random() % (fullRunMs + fullRunMs / 10 + 1));
        QElapsedTimer timer;
        timer.start();
        const QStringList bulk{QStringLiteral("--app-dir"), dir.path(), QStringLiteral("--yes"),
                               QStringLiteral("bulk"), exportPath};
        test::ChildProcess run({.program = QStringLiteral(TERVALO_APP_DIR "/tervalo-cli"),
                                .arguments = bulk,
                                .timeoutMs = 300000,
                                .mayBeKilled = true});
        if (round > 0 && !run.endsWithin(delayMs)) {
            run.kill();
        }
        const test::ProcessResult result = run.finish();
        if (round == 0) {
            fullRunMs = timer.elapsed();
        }
        ASSERT_TRUE(result.killed || result.exitCode == 0) << result.err.toStdString();
        killed += result.killed;

        const QStringList accepted = acceptedFrom(server, QString::fromLatin1(sender));
        if (round == 0) {
            fullRun = accepted;
        }
        const StoredState after = test::readCheckedState(dir.path());
        test::expectDbfreadAgrees(dir.path(), after);
        QStringList dated;
        for (const auto& [key, record] : after.addresses) {
            if (record.lastSend.isValid()) {
                dated << key;
            }
        }
        for (const QString& key : dated) {
            EXPECT_TRUE(accepted.contains(key)) << key.toStdString() << " has a send date but got no message";
        }
        QStringList undated;
        for (const QString& key : accepted) {
            if (!dated.contains(key)) {
                undated << key;
            }
        }
        EXPECT_LE(undated.size(), result.killed ? 1 : 0) << undated.join(u' ').toStdString();
        inFlight += int(undated.size());
        if (!result.killed) {
            EXPECT_EQ(QSet<QString>(accepted.begin(), accepted.end()),
                      QSet<QString>(everyone.begin(), everyone.end()));
        }
        expectJournalMatches(dir.path(), accepted, result.killed);
        // Every record of before is still there with its flag and note; a send date is all that changed.
        for (const auto& [key, record] : before.addresses) {
            ASSERT_TRUE(after.addresses.count(key)) << key.toStdString();
            EXPECT_EQ(after.addresses.at(key).exportFlag, record.exportFlag) << key.toStdString();
            EXPECT_EQ(after.addresses.at(key).note, record.note) << key.toStdString();
        }
        for (const auto& [key, record] : after.addresses) {
            EXPECT_TRUE(before.addresses.count(key) || dated.contains(key))
                << key.toStdString() << " appeared";
        }
        EXPECT_EQ(after.documents.size(), before.documents.size());
        if (result.killed) {
            // Run again the same day: nobody who got the reminder gets a second one; a debtor whose
            // reminder is unsure is skipped too, so only those are left without one.
            const test::ProcessResult rerun =
                test::runProcess({.program = QStringLiteral(TERVALO_APP_DIR "/tervalo-cli"),
                                  .arguments = bulk,
                                  .timeoutMs = 300000});
            ASSERT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
            const QStringList all = acceptedFrom(server, QString::fromLatin1(sender));
            expectJournalMatches(dir.path(), all, true);
            QStringList unsure;
            for (const auto& [recipient, outcome] : journalRecords(dir.path())) {
                if (outcome == QStringLiteral("unsure")) {
                    unsure << recipient;
                }
            }
            for (const QString& key : everyone) {
                EXPECT_TRUE(all.contains(key) || unsure.contains(key))
                    << key.toStdString() << " never reminded";
                EXPECT_LE(all.count(key), fullRun.count(key)) << key.toStdString() << " reminded again";
            }
        }
        if (HasFailure()) {
            return;
        }
    }
    std::printf(
        "bulk runs: %d rounds, %d killed during the run, %d killed with a message in flight "
        "(accepted, no send date yet), full run %lld ms\n",
        rounds, killed, inFlight, static_cast<long long>(fullRunMs));
}

}  // namespace

namespace {

// One state command: which record, and what it stores.
struct StateWrite {
    bool address = true;
    QString key;  // as typed: lower case, the stored key is its upper case
    std::optional<bool> exportFlag;
    std::optional<QString> note;
    bool markSent = false;

    QStringList arguments() const {
        QStringList args{QStringLiteral("state"),
                         address ? QStringLiteral("address") : QStringLiteral("document"), key};
        if (exportFlag) {
            args << QStringLiteral("--export") << (*exportFlag ? QStringLiteral("1") : QStringLiteral("0"));
        }
        if (note) {
            args << QStringLiteral("--note") << *note;
        }
        if (markSent) {
            args << QStringLiteral("--mark-sent");
        }
        return args;
    }
};

// What the test expects of one record; a field written by a killed command may hold its old or its
// new value, nothing else.
struct Expected {
    bool exists = false;
    bool exportFlag = true;
    QString note;
    QDate lastSend;
};

StateWrite randomWrite(std::mt19937& random, const QString& key, bool address) {
    static const QString kNotes[] = {QString(), QStringLiteral("krátká poznámka"),
                                     QStringLiteral("řádek 1\nřádek 2"), QString(600, QLatin1Char('m')),
                                     QString(1100, QLatin1Char('n'))};
    StateWrite write{address, key, {}, {}, false};
    if (random() % 3 != 0) {
        write.exportFlag = random() % 2 == 0;
    }
    if (random() % 3 != 0 || !write.exportFlag) {
        write.note = kNotes[random() % std::size(kNotes)];
    }
    write.markSent = address && random() % 4 == 0;
    return write;
}

Expected applied(Expected expected, const StateWrite& write) {
    expected.exists = true;
    expected.exportFlag = write.exportFlag.value_or(expected.exportFlag);
    expected.note = write.note.value_or(expected.note);
    if (write.markSent) {
        expected.lastSend = QDate::currentDate();
    }
    return expected;
}

Expected storedOf(const StoredState& state, const StateWrite& write) {
    const QString key = write.key.toUpper();
    if (write.address) {
        auto found = state.addresses.find(key);
        return found == state.addresses.end()
                   ? Expected{}
                   : Expected{true, found->second.exportFlag, found->second.note, found->second.lastSend};
    }
    auto found = state.documents.find(key);
    return found == state.documents.end()
               ? Expected{}
               : Expected{true, found->second.exportFlag, found->second.note, QDate()};
}

// Runs the command under strace, which kills it with SIGKILL as it enters its `n`-th pwrite (every
// write of the table layer is one). True when it was killed, false when it ended first.
bool runKilledAtWrite(const QString& appDir, const StateWrite& write, int n) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       QStringLiteral("detect_leaks=0"));  // no leak check under ptrace
    const test::ProcessResult traced = test::runProcess(
        {.program = QStringLiteral("strace"),
         .arguments =
             QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"),
                         QStringLiteral("/dev/null"), QStringLiteral("-e"), QStringLiteral("trace=pwrite64"),
                         QStringLiteral("-e"), QStringLiteral("inject=pwrite64:signal=KILL:when=%1").arg(n),
                         QStringLiteral(TERVALO_APP_DIR "/tervalo-cli"), QStringLiteral("--app-dir"),
                         appDir} +
             write.arguments(),
         .environment = environment,
         .timeoutMs = 300000,
         .mayBeKilled = true});
    // strace ends as the program did: by the signal itself, or with 128 + its number.
    const bool killed = traced.killed || traced.exitCode == 128 + 9;
    EXPECT_TRUE(killed || traced.exitCode == 0) << traced.err.toStdString();
    return killed;
}

TEST(KillDuringWork, stateWritesKilledAtRandomWritesLeaveEveryOtherDecisionWhole) {
    const int rounds = test::stressRounds(8);
    constexpr int kWritesPerRound = 4;
    constexpr int kLastKilledWrite = 6;  // a command makes 2 to 8 writes
    QStringList addresses;
    QStringList documents;
    for (int i = 0; i < 10; ++i) {
        addresses << QStringLiteral("adresa%1@firma.cz").arg(i)
                  << QStringLiteral("řeháček%1@firma.cz").arg(i);
        documents << QStringLiteral("fv%1").arg(i, 4, 10, QLatin1Char('0'));
    }
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    std::map<std::pair<bool, QString>, Expected> model;  // (address?, stored key)
    const std::uint32_t seed = test::stressSeed();
    SCOPED_TRACE("TERVALO_STRESS_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    int killed = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<StateWrite> writes;
        std::shuffle(addresses.begin(), addresses.end(), random);
        std::shuffle(documents.begin(), documents.end(), random);
        for (int i = 0; i < kWritesPerRound; ++i) {
            const bool address = i % 2 == 0;
            writes.push_back(randomWrite(random, address ? addresses[i] : documents[i], address));
        }
        // One write of the round is killed; the ones after it open the tables it left.
        const int victim = int(random() % kWritesPerRound);
        const int killedAt = 1 + int(random() % kLastKilledWrite);
        std::optional<StateWrite> interrupted;
        for (int i = 0; i < kWritesPerRound; ++i) {
            const StateWrite& write = writes[std::size_t(i)];
            Expected& expected = model[{write.address, write.key.toUpper()}];
            if (i == victim && runKilledAtWrite(dir.path(), write, killedAt)) {
                interrupted = write;
                ++killed;
                continue;
            }
            if (i != victim) {
                const test::CliResult result = test::cliIn(dir.path(), write.arguments());
                ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
            }
            expected = applied(expected, write);
        }
        const StoredState stored = test::readCheckedState(dir.path());
        test::expectDbfreadAgrees(dir.path(), stored);
        // Nothing is stored that no command wrote.
        for (const auto& [key, record] : stored.addresses) {
            EXPECT_TRUE(model.count({true, key})) << key.toStdString();
        }
        for (const auto& [key, record] : stored.documents) {
            EXPECT_TRUE(model.count({false, key})) << key.toStdString();
        }
        for (auto& [which, expected] : model) {
            const StateWrite probe{which.first, which.second, {}, {}, false};
            const Expected now = storedOf(stored, probe);
            if (interrupted && interrupted->address == which.first &&
                interrupted->key.toUpper() == which.second) {
                // Each field holds what it held before the killed command or what the command stored.
                const Expected done = applied(expected, *interrupted);
                EXPECT_TRUE(!now.exists || now.exportFlag == expected.exportFlag ||
                            now.exportFlag == done.exportFlag);
                EXPECT_TRUE(now.note == expected.note || now.note == done.note)
                    << "note of " << which.second.toStdString() << ": " << now.note.left(40).toStdString();
                EXPECT_TRUE(now.lastSend == expected.lastSend || now.lastSend == done.lastSend);
                expected = now;
                continue;
            }
            EXPECT_EQ(now.exists, expected.exists) << which.second.toStdString();
            EXPECT_EQ(now.exportFlag, expected.exportFlag) << which.second.toStdString();
            EXPECT_EQ(now.note, expected.note) << which.second.toStdString();
            EXPECT_EQ(now.lastSend, expected.lastSend) << which.second.toStdString();
        }
        if (HasFailure()) {
            return;
        }
    }
    std::printf("state writes: %d rounds of %d commands, %d killed at a write\n", rounds, kWritesPerRound,
                killed);
}

}  // namespace
