// Two programs on one program folder at the same time, as a desktop program and a scheduled
// tervalo-cli would be: state written by both is all kept, a bulk run loses no send date to notes
// being edited beside it, and settings saved by both leave a whole file (the last writer's values).
// scripts/stress runs these with many rounds (TERVALO_STRESS_ROUNDS).
#include "ProgramFolder.h"

#include "support/RealSmtpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

#include <cstdio>

#include <gtest/gtest.h>

using namespace tervalo;
using test::StoredState;
using transport::testing::RealSmtpServer;

namespace {

const QString kCli = QStringLiteral(TERVALO_APP_DIR "/tervalo-cli");

// A shell running tervalo-cli once for each of `commands` (argument lists) in turn; it stops at the
// first that fails and prints it. The script is kept as `name` in the folder: as an argument, a long
// one would pass the system's limit.
test::ChildProcess cliLoop(const test::TempAppDir& dir, const QString& name,
                           const std::vector<QStringList>& commands) {
    const QString appDir = dir.path();
    auto quoted = [](QString text) {
        return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
               QLatin1Char('\'');
    };
    QString script;
    for (const QStringList& command : commands) {
        QString line = quoted(kCli) + QStringLiteral(" --app-dir ") + quoted(appDir);
        for (const QString& argument : command) {
            line += QLatin1Char(' ') + quoted(argument);
        }
        script += line + QStringLiteral(" </dev/null >/dev/null || { echo failed: ") +
                  quoted(command.join(u' ')) + QStringLiteral(" >&2; exit 1; }\n");
    }
    dir.write(name, script.toUtf8());
    return test::ChildProcess(
        {.program = QStringLiteral("bash"), .arguments = {dir.file(name)}, .timeoutMs = 3600000});
}

QStringList state(const char* kind, const QString& key, const QStringList& options) {
    return QStringList{QStringLiteral("state"), QString::fromLatin1(kind), key} + options;
}

TEST(TwoInstances, stateWrittenByTwoProgramsAtOnceIsAllKept) {
    const int rounds = test::stressRounds(8);
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    std::map<QString, std::vector<QStringList>> commands;
    for (const QString& id : {QStringLiteral("a"), QStringLiteral("b")}) {
        for (int i = 0; i < rounds; ++i) {
            const QString own = QStringLiteral("%1%2").arg(id).arg(i);
            commands[id].push_back(state("document", own,
                                         {QStringLiteral("--export"), QStringLiteral("0"),
                                          QStringLiteral("--note"), QStringLiteral("doklad ") + own}));
            commands[id].push_back(
                state("address", own + QStringLiteral("@x.cz"),
                      {QStringLiteral("--note"), QString(300 + i, QLatin1Char('x')) + own}));
            // Both write the same few records: exclusions, notes and send dates.
            commands[id].push_back(
                state("address", QStringLiteral("spolecna%1@x.cz").arg(i % 3),
                      {QStringLiteral("--export"), QString::number(i % 2), QStringLiteral("--note"),
                       QStringLiteral("%1 %2").arg(id).arg(i), QStringLiteral("--mark-sent")}));
        }
    }
    test::ChildProcess a = cliLoop(dir, QStringLiteral("a.sh"), commands[QStringLiteral("a")]);
    test::ChildProcess b = cliLoop(dir, QStringLiteral("b.sh"), commands[QStringLiteral("b")]);
    const test::ProcessResult aResult = a.finish();
    const test::ProcessResult bResult = b.finish();
    ASSERT_EQ(aResult.exitCode, 0) << aResult.err.toStdString();
    ASSERT_EQ(bResult.exitCode, 0) << bResult.err.toStdString();

    const StoredState stored = test::readCheckedState(dir.path());
    test::expectDbfreadAgrees(dir.path(), stored);
    EXPECT_EQ(stored.documents.size(), std::size_t(2 * rounds));
    EXPECT_EQ(stored.addresses.size(), std::size_t(2 * rounds + std::min(rounds, 3)));
    for (const QString& id : {QStringLiteral("a"), QStringLiteral("b")}) {
        for (int i = 0; i < rounds; ++i) {
            const QString own = QStringLiteral("%1%2").arg(id).arg(i).toUpper();
            ASSERT_TRUE(stored.documents.count(own)) << own.toStdString();
            EXPECT_FALSE(stored.documents.at(own).exportFlag);
            EXPECT_EQ(stored.documents.at(own).note, QStringLiteral("doklad %1%2").arg(id).arg(i));
            const QString address = own + QStringLiteral("@X.CZ");
            ASSERT_TRUE(stored.addresses.count(address)) << address.toStdString();
            EXPECT_EQ(stored.addresses.at(address).note, QString(300 + i, QLatin1Char('x')) + own.toLower());
        }
    }
    // A shared record holds one program's last write of it, whole.
    for (int k = 0; k < std::min(rounds, 3); ++k) {
        const QString key = QStringLiteral("SPOLECNA%1@X.CZ").arg(k);
        ASSERT_TRUE(stored.addresses.count(key));
        const state::AddressRecord& record = stored.addresses.at(key);
        EXPECT_EQ(record.lastSend, QDate::currentDate());
        int last = k;
        while (last + 3 < rounds) {
            last += 3;
        }
        EXPECT_TRUE(record.note == QStringLiteral("a %1").arg(last) ||
                    record.note == QStringLiteral("b %1").arg(last))
            << record.note.toStdString();
        EXPECT_EQ(record.exportFlag, last % 2 == 1);
    }
    std::printf("two programs: %d rounds of 3 state commands each\n", rounds);
}

constexpr int kDebtors = 16;

TEST(TwoInstances, aBulkRunWhileAnotherProgramEditsNotesLosesNothing) {
    const int rounds = test::stressRounds(1);
    RealSmtpServer server({QStringLiteral("--lifetime"), QStringLiteral("86400")});
    ASSERT_TRUE(server.isRunning());
    const QStringList recipients = test::reliabilityRecipients(kDebtors);
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        test::TempAppDir dir;
        const QString sender = QStringLiteral("kolo%1@horak.cz").arg(round);
        test::prepareSmtpFolder(dir, server.port(), sender);
        dir.write(QStringLiteral("Pohledavky.csv"), test::reliabilityExport(kDebtors));
        // The other program writes notes on the very addresses and documents the run sends to and
        // dates, each twice.
        std::vector<QStringList> notes;
        std::map<QString, QString> lastAddressNote;
        std::map<QString, QString> lastDocumentNote;
        for (int pass = 0; pass < 2; ++pass) {
            for (int firm = 0; firm < kDebtors; ++firm) {
                const QString address = recipients[firm % recipients.size()];
                const QString document = QStringLiteral("FV%1").arg(firm, 6, 10, QLatin1Char('0'));
                const QString text = QStringLiteral("průchod %1 firma %2").arg(pass).arg(firm);
                notes.push_back(state("address", address.toLower(), {QStringLiteral("--note"), text}));
                notes.push_back(state("document", document, {QStringLiteral("--note"), text}));
                lastAddressNote[address] = text;
                lastDocumentNote[document] = text;
            }
        }
        test::ChildProcess bulk(
            {.program = kCli,
             .arguments = {QStringLiteral("--app-dir"), dir.path(), QStringLiteral("--yes"),
                           QStringLiteral("bulk"), dir.file(QStringLiteral("Pohledavky.csv"))},
             .timeoutMs = 600000});
        test::ChildProcess editor = cliLoop(dir, QStringLiteral("notes.sh"), notes);
        const test::ProcessResult bulkResult = bulk.finish();
        const test::ProcessResult editorResult = editor.finish();
        ASSERT_EQ(bulkResult.exitCode, 0) << bulkResult.err.toStdString();
        ASSERT_EQ(editorResult.exitCode, 0) << editorResult.err.toStdString();

        QStringList accepted;
        for (const QString& file : server.messageFiles()) {
            const QJsonObject envelope = server.envelope(file);
            if (envelope.value(QStringLiteral("mail_from")).toString() == sender) {
                accepted << envelope.value(QStringLiteral("rcpt_tos")).toArray().first().toString().toUpper();
            }
        }
        EXPECT_EQ(QSet<QString>(accepted.begin(), accepted.end()),
                  QSet<QString>(recipients.begin(), recipients.end()));
        const StoredState stored = test::readCheckedState(dir.path());
        test::expectDbfreadAgrees(dir.path(), stored);
        EXPECT_EQ(stored.addresses.size(), std::size_t(recipients.size()));
        for (const QString& address : recipients) {
            ASSERT_TRUE(stored.addresses.count(address)) << address.toStdString();
            const state::AddressRecord& record = stored.addresses.at(address);
            EXPECT_EQ(record.lastSend, QDate::currentDate()) << address.toStdString();
            EXPECT_TRUE(record.exportFlag) << address.toStdString();
            EXPECT_EQ(record.note, lastAddressNote[address]) << address.toStdString();
        }
        EXPECT_EQ(stored.documents.size(), lastDocumentNote.size());
        for (const auto& [document, note] : lastDocumentNote) {
            ASSERT_TRUE(stored.documents.count(document)) << document.toStdString();
            EXPECT_EQ(stored.documents.at(document).note, note);
        }
        if (HasFailure()) {
            return;
        }
    }
    std::printf("bulk run beside a note editor: %d rounds of %d debtors and %d notes\n", rounds, kDebtors,
                2 * 2 * kDebtors);
}

// Two test runs on one folder at once both keep every reminder in the send journal: a write that
// meets the other's waits for it.
TEST(TwoInstances, twoBulkRunsAtOnceBothWriteTheJournal) {
    RealSmtpServer server({QStringLiteral("--lifetime"), QStringLiteral("86400")});
    ASSERT_TRUE(server.isRunning());
    test::TempAppDir dir;
    const QString sender = QStringLiteral("denik@horak.cz");
    test::prepareSmtpFolder(dir, server.port(), sender);
    dir.write(QStringLiteral("Pohledavky.csv"), test::reliabilityExport(kDebtors));
    auto testRun = [&](const QString& address) {
        return test::ChildProcess(
            {.program = kCli,
             .arguments = {QStringLiteral("--app-dir"), dir.path(), QStringLiteral("--yes"),
                           QStringLiteral("bulk"), dir.file(QStringLiteral("Pohledavky.csv")),
                           QStringLiteral("--test"), address, QStringLiteral("--count"),
                           QString::number(kDebtors)},
             .timeoutMs = 600000});
    };
    test::ChildProcess a = testRun(QStringLiteral("a@horak.cz"));
    test::ChildProcess b = testRun(QStringLiteral("b@horak.cz"));
    const test::ProcessResult aResult = a.finish();
    const test::ProcessResult bResult = b.finish();
    ASSERT_EQ(aResult.exitCode, 0) << aResult.err.toStdString();
    ASSERT_EQ(bResult.exitCode, 0) << bResult.err.toStdString();

    std::map<QString, int> received;
    for (const QString& file : server.messageFiles()) {
        const QJsonObject envelope = server.envelope(file);
        if (envelope.value(QStringLiteral("mail_from")).toString() == sender) {
            ++received[envelope.value(QStringLiteral("rcpt_tos")).toArray().first().toString()];
        }
    }
    ASSERT_GT(received[QStringLiteral("a@horak.cz")], 1);
    EXPECT_EQ(received[QStringLiteral("a@horak.cz")], received[QStringLiteral("b@horak.cz")]);
    // Python's sqlite3 reads the journal: one accepted test record per message, none other.
    const QByteArray counted = test::runPython(
        {QStringLiteral("-c"),
         QStringLiteral(
             "import sqlite3, sys\n"
             "for row in sqlite3.connect(sys.argv[1]).execute('SELECT recipient, result, test, COUNT(*)"
             " FROM reminders GROUP BY 1, 2, 3 ORDER BY 1'):\n"
             "    print(*row)\n"),
         dir.file(QStringLiteral("Upominky.db"))});
    EXPECT_EQ(QString::fromUtf8(counted),
              QStringLiteral("a@horak.cz accepted 1 %1\nb@horak.cz accepted 1 %2\n")
                  .arg(received[QStringLiteral("a@horak.cz")])
                  .arg(received[QStringLiteral("b@horak.cz")]));
}

// Every key the close writes, and the foreign ones, each on one whole line.
void expectWholeIni(const QByteArray& ini) {
    const QString text = test::cp1250().decode(ini);
    for (const char* line : {"RunSetup=0\r\n", "[CIZI]\r\nKlic=hodnota\r\n", "\r\nSMTPHost=host",
                             "\r\nSMTPFromName=", "\r\nClientDirectName=\r\n"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << " missing from:\n"
                                                            << text.toStdString();
    }
}

TEST(TwoInstances, settingsSavedByTwoProgramsAtOnceStayWhole) {
    const int rounds = test::stressRounds(10);
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    dir.write(QStringLiteral("Vorbel.ini"),
              "[MAIN]\r\nRunSetup=0\r\n[SEND]\r\nSMTPHost=host-puvodni\r\n[CIZI]\r\nKlic=hodnota\r\n");
    ASSERT_EQ(test::cliIn(dir.path(), {QStringLiteral("settings"), QStringLiteral("set"),
                                       QStringLiteral("SMTPPassword"), QStringLiteral("heslo")})
                  .exitCode,
              0);
    std::vector<QStringList> hosts;
    std::vector<QStringList> names;
    for (int i = 0; i < rounds; ++i) {
        hosts.push_back({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("SMTPHost"),
                         QStringLiteral("host-a%1").arg(i)});
        names.push_back({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("SMTPFromName"),
                         QStringLiteral("Jméno b%1").arg(i)});
    }
    test::ChildProcess a = cliLoop(dir, QStringLiteral("a.sh"), hosts);
    test::ChildProcess b = cliLoop(dir, QStringLiteral("b.sh"), names);
    // Whoever reads the folder meanwhile, as a third program starting up would, finds whole files.
    bool aEnded = false;
    bool bEnded = false;
    int reads = 0;
    while (!(aEnded && bEnded) && !testing::Test::HasFailure()) {
        aEnded = aEnded || a.endsWithin(2);
        bEnded = bEnded || b.endsWithin(2);
        QFile ini(dir.file(QStringLiteral("Vorbel.ini")));
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
        expectWholeIni(ini.readAll());
        EXPECT_EQ(QFileInfo(dir.file(QStringLiteral("rdata1.dti"))).size(), 528);
        ++reads;
    }
    const test::ProcessResult aResult = a.finish();
    const test::ProcessResult bResult = b.finish();
    ASSERT_EQ(aResult.exitCode, 0) << aResult.err.toStdString();
    ASSERT_EQ(bResult.exitCode, 0) << bResult.err.toStdString();

    QFile ini(dir.file(QStringLiteral("Vorbel.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = test::cp1250().decode(ini.readAll());
    // The last program to close wins each key, with the value it last knew.
    EXPECT_TRUE(
        text.contains(QRegularExpression(QStringLiteral("\\r\\nSMTPHost=(host-puvodni|host-a\\d+)\\r\\n"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\r\\nSMTPFromName=(Jméno b\\d+)?\\r\\n"))))
        << text.toStdString();
    EXPECT_EQ(test::cliIn(dir.path(), {QStringLiteral("settings")}).exitCode, 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")),
              QStringList());
    std::printf("settings: %d saves by each of two programs, the file read whole %d times meanwhile\n",
                rounds, reads);
}

}  // namespace
