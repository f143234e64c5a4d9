#include "state/SendJournal.h"

#include "state/JournalFlusher.h"

#include "support/RunProcess.h"
#include "support/TempAppDir.h"

#include <QFile>

#include <gtest/gtest.h>

using tervalo::state::JournalDocument;
using tervalo::state::JournalRecord;
using tervalo::state::SendJournal;
using tervalo::state::SendResult;
using tervalo::test::TempAppDir;

namespace {

JournalRecord reminder(const QString& recipient, const QDateTime& time, bool test = false) {
    JournalRecord record;
    record.time = time;
    record.recipient = recipient;
    record.copy = QStringLiteral("kopie@horak.cz");
    record.debtorName = QStringLiteral("Řeháček a syn");
    record.debtorId = 42;
    record.route = QStringLiteral("smtp");
    record.messageId = QStringLiteral("<1@horak.cz>");
    record.documents = {{QStringLiteral("FV1"), 1500.5, QStringLiteral("CZK")},
                        {QStringLiteral("FV2"), 20, QStringLiteral("EUR")}};
    record.subject = QStringLiteral("Upomínka – Řeháček");
    record.runId = QStringLiteral("run-1");
    record.test = test;
    return record;
}

const QDateTime kMorning(QDate(2026, 12, 10), QTime(9, 5, 7, 120));

TEST(SendJournal, keepsEachRecordAsWrittenAndCompletedAcrossOpenings) {
    TempAppDir dir;
    const QString path = SendJournal::pathIn(dir.path());
    JournalRecord written = reminder(QStringLiteral("Dluznik@Firma.cz"), kMorning);
    {
        SendJournal journal(path);
        written.id = journal.begin(written);
        EXPECT_GT(written.id, 0);
        // Stored before the outcome is known: a kill here leaves it unsure.
        ASSERT_EQ(journal.records().size(), 1u);
        EXPECT_EQ(journal.records()[0].result, SendResult::Unsure);
        journal.finish(written.id, SendResult::Accepted, QStringLiteral("250 2.0.0 queued as X"),
                       QStringLiteral("<2@horak.cz>"));
    }
    const SendJournal journal(path);
    const std::vector<JournalRecord> read = journal.records(QStringLiteral("dluznik@firma.CZ"));
    ASSERT_EQ(read.size(), 1u);
    const JournalRecord& r = read[0];
    EXPECT_EQ(r.id, written.id);
    EXPECT_EQ(r.time, kMorning);
    EXPECT_EQ(r.recipient, written.recipient);
    EXPECT_EQ(r.copy, written.copy);
    EXPECT_EQ(r.debtorName, written.debtorName);
    EXPECT_EQ(r.debtorId, 42);
    EXPECT_EQ(r.route, QStringLiteral("smtp"));
    EXPECT_EQ(r.messageId, QStringLiteral("<2@horak.cz>"));
    EXPECT_EQ(r.reply, QStringLiteral("250 2.0.0 queued as X"));
    EXPECT_EQ(r.documents, written.documents);
    EXPECT_EQ(r.subject, written.subject);
    EXPECT_EQ(r.result, SendResult::Accepted);
    EXPECT_EQ(r.runId, QStringLiteral("run-1"));
    EXPECT_FALSE(r.test);
    // The copy address finds it too; another address does not.
    EXPECT_EQ(journal.records(QStringLiteral("KOPIE@horak.cz")).size(), 1u);
    EXPECT_TRUE(journal.records(QStringLiteral("jiny@firma.cz")).empty());

    // An independent reader sees the same row, in a journal kept with a write-ahead log.
    const QByteArray independent = tervalo::test::runPython(
        {QStringLiteral("-c"),
         QStringLiteral(
             "import sqlite3, sys\n"
             "db = sqlite3.connect(sys.argv[1])\n"
             "print(db.execute('PRAGMA journal_mode').fetchone()[0])\n"
             "print(db.execute('SELECT recipient, result, documents FROM reminders').fetchone())\n"),
         path});
    EXPECT_EQ(QString::fromUtf8(independent),
              QStringLiteral("wal\n('Dluznik@Firma.cz', 'accepted', "
                             "'[{\"currency\":\"CZK\",\"number\":\"FV1\",\"remaining\":1500.5},"
                             "{\"currency\":\"EUR\",\"number\":\"FV2\",\"remaining\":20}]')\n"));
}

TEST(SendJournal, answersWhatTodaysRemindersToAnAddressCameTo) {
    TempAppDir dir;
    SendJournal journal(SendJournal::pathIn(dir.path()));
    const QDate today = kMorning.date();
    auto add = [&](const QString& address, const QDateTime& time, SendResult result, bool test = false) {
        const qint64 id = journal.begin(reminder(address, time, test));
        if (result != SendResult::Unsure) {
            journal.finish(id, result, QStringLiteral("reply"));
        }
    };
    add(QStringLiteral("prijato@firma.cz"), kMorning, SendResult::Accepted);
    add(QStringLiteral("prijato@firma.cz"), kMorning.addSecs(60), SendResult::Refused);
    add(QStringLiteral("nejiste@firma.cz"), kMorning, SendResult::Refused);
    add(QStringLiteral("nejiste@firma.cz"), kMorning.addSecs(60), SendResult::Unsure);
    add(QStringLiteral("odmitnuto@firma.cz"), kMorning, SendResult::Refused);
    add(QStringLiteral("vcera@firma.cz"), kMorning.addDays(-1), SendResult::Accepted);
    add(QStringLiteral("test@firma.cz"), kMorning, SendResult::Accepted, true);

    EXPECT_EQ(journal.resultOn(QStringLiteral("PRIJATO@firma.cz"), today), SendResult::Accepted);
    EXPECT_EQ(journal.resultOn(QStringLiteral("nejiste@firma.cz"), today), SendResult::Unsure);
    EXPECT_EQ(journal.resultOn(QStringLiteral("odmitnuto@firma.cz"), today), SendResult::Refused);
    EXPECT_EQ(journal.resultOn(QStringLiteral("vcera@firma.cz"), today), std::nullopt);
    EXPECT_EQ(journal.resultOn(QStringLiteral("test@firma.cz"), today), std::nullopt);
    EXPECT_EQ(journal.resultOn(QStringLiteral("nikdo@firma.cz"), today), std::nullopt);

    // Newest first; `since` leaves out the days before it.
    const std::vector<JournalRecord> all = journal.records();
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all.front().time, kMorning.addSecs(60));
    EXPECT_EQ(all.back().recipient, QStringLiteral("vcera@firma.cz"));
    EXPECT_EQ(journal.records({}, today).size(), 6u);
    // A debtor's history: its address, and the test reminders made for it.
    const std::vector<JournalRecord> debtor =
        journal.debtorRecords(QStringLiteral("prijato@firma.cz"), 42, QStringLiteral("Řeháček a syn"));
    ASSERT_EQ(debtor.size(), 3u);
    EXPECT_TRUE(debtor[0].test || debtor[1].test || debtor[2].test);
    EXPECT_EQ(journal.debtorRecords(QString(), 7, QStringLiteral("Řeháček a syn")).size(), 0u);
}

// What the bulk run does: a record stored while its flush runs, then completed, or taken back when its
// message was withdrawn. Another program on the folder sees each write at once: it reached the
// operating system, so a kill loses none of it.
TEST(SendJournal, aStoredRecordIsSeenAtOnceAndAWithdrawnOneIsTakenBack) {
    TempAppDir dir;
    const QString path = SendJournal::pathIn(dir.path());
    SendJournal journal(path);
    const SendJournal other(path);
    const SendJournal::Pending sent = journal.store(reminder(QStringLiteral("a@firma.cz"), kMorning));
    const SendJournal::Pending withdrawn = journal.store(reminder(QStringLiteral("b@firma.cz"), kMorning));
    ASSERT_EQ(other.records().size(), 2u);
    EXPECT_EQ(other.records()[0].result, SendResult::Unsure);
    journal.awaitDurable(withdrawn);
    journal.awaitDurable(sent);
    journal.finish(sent.id, SendResult::Accepted, QStringLiteral("250 OK"));
    journal.discard(withdrawn.id);

    const std::vector<JournalRecord> left = other.records();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].id, sent.id);
    EXPECT_EQ(left[0].result, SendResult::Accepted);
}

// A flush that fails fails every later wait as well: the data it could not write may be gone.
TEST(JournalFlusher, aFailedFlushFailsEveryWaitAfterIt) {
    TempAppDir dir;
    dir.write(QStringLiteral("log"), "frame");
    tervalo::state::JournalFlusher flusher(dir.file(QStringLiteral("log")));
    EXPECT_TRUE(flusher.await(flusher.request()));
    EXPECT_TRUE(flusher.await(flusher.request()));
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("log"))));
    EXPECT_FALSE(flusher.await(flusher.request()));
    dir.write(QStringLiteral("log"), "frame");
    EXPECT_FALSE(flusher.await(flusher.request()));
}

TEST(SendJournal, aFolderThatCannotHoldItIsToldInCzech) {
    TempAppDir dir;
    try {
        SendJournal journal(dir.path() + QStringLiteral("chybi/Upominky.db"));
        FAIL() << "opened";
    } catch (const tervalo::state::JournalError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Deník odeslaných upomínek ")))
            << e.what();
    }
}

}  // namespace

// The last accepted reminder of each address decides the next level: tests, refusals, unsure ones
// and empty messages (level 0) do not count, and the newest counts whatever order the records came in.
TEST(SendJournal, knowsTheLastAcceptedReminderOfEachAddress) {
    TempAppDir dir;
    SendJournal journal(SendJournal::pathIn(dir.path()));
    const auto add = [&](const QString& address, const QDateTime& time, int level, SendResult result,
                         bool test = false) {
        JournalRecord record = reminder(address, time, test);
        record.level = level;
        journal.finish(journal.begin(record), result, QStringLiteral("250 OK"));
    };
    const QString alfa = QStringLiteral("alfa@alfa.cz");
    add(alfa, kMorning.addDays(-20), 2, SendResult::Accepted);
    add(alfa, kMorning.addDays(-30), 1, SendResult::Accepted);
    add(alfa, kMorning.addDays(-2), 3, SendResult::Accepted, true);
    add(alfa, kMorning.addDays(-1), 3, SendResult::Refused);
    add(alfa, kMorning, 3, SendResult::Unsure);
    add(alfa, kMorning.addSecs(60), 0, SendResult::Accepted);
    add(QStringLiteral("Beta@Beta.cz"), kMorning, 1, SendResult::Accepted);

    const auto last = journal.lastAccepted();
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last.at(SendJournal::addressKey(QStringLiteral(" ALFA@alfa.cz "))),
              (tervalo::state::LastReminder{2, kMorning.addDays(-20)}));
    EXPECT_EQ(last.at(SendJournal::addressKey(QStringLiteral("beta@beta.cz"))).level, 1);
    EXPECT_EQ(journal.records(alfa).front().level, 0);
}

// The message as it went out is kept with its record, whether it was known when the record was
// stored (SMTP) or only when it was handed over (the mail client); the lists only say it is there.
TEST(SendJournal, keepsTheExactMessageStoredOrHandedOver) {
    TempAppDir dir;
    const QString path = SendJournal::pathIn(dir.path());
    const QByteArray smtp =
        QByteArray("Subject: =?UTF-8?Q?Upom=C3=ADnka?=\r\n\r\n") + QByteArray(1, '\0') + "\xff any byte\r\n";
    const QByteArray handed("Subject: handed\r\n\r\ntext\r\n");
    qint64 stored = 0;
    qint64 finished = 0;
    qint64 none = 0;
    {
        SendJournal journal(path);
        JournalRecord record = reminder(QStringLiteral("a@a.cz"), kMorning);
        record.message = smtp;
        stored = journal.begin(record);
        journal.finish(stored, SendResult::Accepted, QStringLiteral("250 OK"));
        finished = journal.begin(reminder(QStringLiteral("b@b.cz"), kMorning));
        journal.finish(finished, SendResult::Accepted, QStringLiteral("odesláno"), {}, handed);
        none = journal.begin(reminder(QStringLiteral("c@c.cz"), kMorning));
        journal.finish(none, SendResult::Refused, QStringLiteral("neodesláno"));
    }
    const SendJournal journal(path);
    EXPECT_EQ(journal.message(stored), smtp);
    EXPECT_EQ(journal.message(finished), handed);
    EXPECT_EQ(journal.message(none), std::nullopt);
    EXPECT_EQ(journal.message(none + 1), std::nullopt);
    EXPECT_TRUE(journal.records(QStringLiteral("a@a.cz")).front().messageKept);
    EXPECT_TRUE(journal.records(QStringLiteral("a@a.cz")).front().message.isEmpty());
    EXPECT_FALSE(journal.records(QStringLiteral("c@c.cz")).front().messageKept);
}

// A journal written before reminders had levels or kept messages opens, keeps its records, and
// counts them as first reminders without a message; new records keep their level and message.
TEST(SendJournal, aJournalWithoutLevelsOpensWithItsRecordsAsFirstReminders) {
    TempAppDir dir;
    const QString path = SendJournal::pathIn(dir.path());
    const QString script = QStringLiteral(
        "import sqlite3, sys\n"
        "db = sqlite3.connect(sys.argv[1])\n"
        "db.execute('CREATE TABLE reminders (id INTEGER PRIMARY KEY, time TEXT NOT NULL, day TEXT NOT NULL,"
        " recipient TEXT NOT NULL, recipient_key TEXT NOT NULL, copy TEXT NOT NULL, copy_key TEXT NOT NULL,"
        " debtor_name TEXT NOT NULL, debtor_id INTEGER NOT NULL, route TEXT NOT NULL, message_id TEXT NOT"
        " NULL, reply TEXT NOT NULL, documents TEXT NOT NULL, subject TEXT NOT NULL, result TEXT NOT NULL,"
        " run_id TEXT NOT NULL, test INTEGER NOT NULL)')\n"
        "db.execute(\"INSERT INTO reminders VALUES (1, '2026-11-02T09:00:00.000', '2026-11-02', 'a@a.cz',"
        " 'A@A.CZ', '', '', 'Alfa', 1, 'smtp', '<1@x>', '250 OK', '[]', 'Upominka', 'accepted', '', 0)\")\n"
        "db.commit()\n");
    const auto result = tervalo::test::runProcess(
        {.program = QStringLiteral(TERVALO_PYTHON), .arguments = {QStringLiteral("-c"), script, path}});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    {
        SendJournal journal(path);
        ASSERT_EQ(journal.records().size(), 1u);
        EXPECT_EQ(journal.records()[0].level, 1);
        EXPECT_EQ(journal.lastAccepted().at(QStringLiteral("A@A.CZ")).level, 1);
        EXPECT_FALSE(journal.records()[0].messageKept);
        JournalRecord record = reminder(QStringLiteral("a@a.cz"), kMorning);
        record.level = 3;
        record.message = "Subject: x\r\n\r\n";
        journal.finish(journal.begin(record), SendResult::Accepted, QStringLiteral("250 OK"));
    }
    const SendJournal reopened(path);
    EXPECT_EQ(reopened.records().front().level, 3);
    EXPECT_EQ(reopened.message(reopened.records().front().id), QByteArray("Subject: x\r\n\r\n"));
    EXPECT_EQ(reopened.lastAccepted().at(QStringLiteral("A@A.CZ")).level, 3);
}
