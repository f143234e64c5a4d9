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
