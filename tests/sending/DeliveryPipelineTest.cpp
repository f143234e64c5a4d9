#include "sending/DeliveryPipeline.h"

#include "support/TempAppDir.h"

#include <QFile>

#include <condition_variable>
#include <mutex>

#include <gtest/gtest.h>

using namespace tervalo;
using sending::DeliveredReminder;
using sending::DeliveryPipeline;
using sending::PreparedReminder;
using state::SendResult;

namespace {

const QDateTime kTime(QDate(2026, 12, 11), QTime(9, 30));

// A transport that goes through each message's steps only as far as the test lets it, writing down
// what happened: "A text" (everything before the end mark sent), "A commit" or "A withdrawn" (what
// mayCommit answered), "A reply" (the server's answer read). A message is answered once the test
// calls `answer` for it, with a refusal when the test scripted one. At each step it looks at the
// journal through a connection of its own, as a program started after a kill at that moment would.
class GatedTransport {
public:
    explicit GatedTransport(const QString& journalPath) : m_journal(journalPath) {}

    transport::SmtpOutcome operator()(const PreparedReminder& reminder,
                                      const std::function<bool()>& mayCommit) {
        const QString name = reminder.record.recipient;
        note(name + QStringLiteral(" text"));
        transport::SmtpOutcome outcome;
        outcome.stage = transport::SmtpStage::Data;
        if (!mayCommit()) {
            note(name + QStringLiteral(" withdrawn"));
            outcome.withdrawn = true;
            return outcome;
        }
        note(name + QStringLiteral(" commit"));
        // The end mark is out: its record is stored, and no other is unsure.
        const std::vector<state::JournalRecord> records = m_journal.records();
        int unsure = 0;
        bool recorded = false;
        for (const state::JournalRecord& record : records) {
            unsure += record.result == SendResult::Unsure;
            recorded = recorded || (record.recipient == name && record.result == SendResult::Unsure);
        }
        EXPECT_TRUE(recorded) << name.toStdString() << " committed without its record";
        EXPECT_EQ(unsure, 1) << name.toStdString();
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_answered.contains(name); });
        m_events << name + QStringLiteral(" reply");
        outcome.delivered = !m_refused.contains(name);
        outcome.reply =
            outcome.delivered ? QStringLiteral("250 2.0.0 Ok") : QStringLiteral("550 5.1.1 No such user");
        return outcome;
    }

    // Lets `name` be answered, refused when `refuse`.
    void answer(const QString& name, bool refuse = false) {
        {
            const std::lock_guard lock(m_mutex);
            m_answered << name;
            if (refuse) {
                m_refused << name;
            }
        }
        m_changed.notify_all();
    }
    // Waits until `event` happened.
    void awaitEvent(const QString& event) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_events.contains(event); });
    }
    QStringList events() {
        const std::lock_guard lock(m_mutex);
        return m_events;
    }

private:
    void note(const QString& event) {
        {
            const std::lock_guard lock(m_mutex);
            m_events << event;
        }
        m_changed.notify_all();
    }

    state::SendJournal m_journal;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QStringList m_events;
    QStringList m_answered;
    QStringList m_refused;
};

PreparedReminder reminderTo(const QString& name) {
    PreparedReminder reminder;
    reminder.record.recipient = name;
    reminder.record.route = QStringLiteral("smtp");
    return reminder;
}

struct JournalledPipeline : ::testing::Test {
    // What the journal says of each recipient, oldest first.
    QStringList journalled() {
        QStringList results;
        for (const state::JournalRecord& record : journal.records()) {
            results.prepend(record.recipient + QLatin1Char(' ') + state::resultName(record.result));
        }
        return results;
    }

    test::TempAppDir dir;
    state::SendJournal journal{state::SendJournal::pathIn(dir.path())};
    GatedTransport transport{state::SendJournal::pathIn(dir.path())};
    std::optional<DeliveryPipeline> pipeline{
        std::in_place,
        [this](const PreparedReminder& r, const std::function<bool()>& mayCommit) {
            return transport(r, mayCommit);
        },
        &journal, [] { return kTime; }};
};

// The next reminder goes to the server while the one before is with it, but its end mark waits
// until the run has concluded the one before and released it.
TEST_F(JournalledPipeline, aHeldReminderCommitsOnlyOnceReleased) {
    pipeline->deliver(0, QStringLiteral("a@x.cz"), reminderTo(QStringLiteral("A")));
    pipeline->deliver(1, QStringLiteral("b@x.cz"), reminderTo(QStringLiteral("B")));
    transport.answer(QStringLiteral("A"));
    transport.answer(QStringLiteral("B"));
    const std::optional<DeliveredReminder> a = pipeline->conclude([] {});
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->outcome.delivered);
    EXPECT_EQ(a->position, 0);
    EXPECT_EQ(a->address, QStringLiteral("a@x.cz"));
    EXPECT_FALSE(a->journalError);
    transport.awaitEvent(QStringLiteral("B text"));
    EXPECT_EQ(transport.events(), (QStringList{QStringLiteral("A text"), QStringLiteral("A commit"),
                                               QStringLiteral("A reply"), QStringLiteral("B text")}));
    // Concluded, A is complete in the journal and B, on its way, is the one unsure record.
    EXPECT_EQ(journalled(), (QStringList{QStringLiteral("A accepted"), QStringLiteral("B unsure")}));

    pipeline->release();
    const std::optional<DeliveredReminder> b = pipeline->conclude([] {});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->position, 1);
    EXPECT_TRUE(b->outcome.delivered);
    EXPECT_FALSE(pipeline->conclude([] {}));
    EXPECT_EQ(transport.events().mid(4),
              (QStringList{QStringLiteral("B commit"), QStringLiteral("B reply")}));
    const std::vector<state::JournalRecord> records = journal.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].time, kTime);
    EXPECT_EQ(records[0].reply, QStringLiteral("250 2.0.0 Ok"));
    EXPECT_EQ(journalled(), (QStringList{QStringLiteral("A accepted"), QStringLiteral("B accepted")}));
}

// A refusal of the reminder in flight, and the run ending there (the user's No, or a stop): the held
// reminder is withdrawn before its end mark and given back, and leaves no record.
TEST_F(JournalledPipeline, aFailureInFlightLetsTheRunWithdrawTheHeldReminder) {
    pipeline->deliver(0, QStringLiteral("a@x.cz"), reminderTo(QStringLiteral("A")));
    pipeline->deliver(1, QStringLiteral("b@x.cz"), reminderTo(QStringLiteral("B")));
    transport.answer(QStringLiteral("A"), true);
    const std::optional<DeliveredReminder> a = pipeline->conclude([] {});
    ASSERT_TRUE(a);
    EXPECT_FALSE(a->outcome.delivered);

    const std::optional<PreparedReminder> b = pipeline->withdraw();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->record.recipient, QStringLiteral("B"));
    EXPECT_FALSE(pipeline->conclude([] {}));
    EXPECT_EQ(transport.events(),
              (QStringList{QStringLiteral("A text"), QStringLiteral("A commit"), QStringLiteral("A reply"),
                           QStringLiteral("B text"), QStringLiteral("B withdrawn")}));
    EXPECT_EQ(journalled(), QStringList{QStringLiteral("A refused")});
}

// A run that ends with a reminder in flight and the next one held (the user's stop, an error): the
// held one is withdrawn, the one in flight concluded with the server before the pipeline goes.
TEST_F(JournalledPipeline, endingWithdrawsTheHeldReminderAndWaitsForTheOneInFlight) {
    pipeline->deliver(0, QStringLiteral("a@x.cz"), reminderTo(QStringLiteral("A")));
    pipeline->deliver(1, QStringLiteral("b@x.cz"), reminderTo(QStringLiteral("B")));
    transport.awaitEvent(QStringLiteral("A commit"));
    transport.answer(QStringLiteral("A"));
    pipeline.reset();

    EXPECT_EQ(transport.events(),
              (QStringList{QStringLiteral("A text"), QStringLiteral("A commit"), QStringLiteral("A reply"),
                           QStringLiteral("B text"), QStringLiteral("B withdrawn")}));
    EXPECT_EQ(journalled(), QStringList{QStringLiteral("A accepted")});
}

// A record that cannot reach the disk (its log is gone from the folder) holds its message back for
// good: it is withdrawn before its end mark, and the run learns why.
TEST_F(JournalledPipeline, aRecordThatCannotBeFlushedWithdrawsItsMessage) {
    ASSERT_TRUE(QFile::remove(state::SendJournal::pathIn(dir.path()) + QStringLiteral("-wal")));
    pipeline->deliver(0, QStringLiteral("a@x.cz"), reminderTo(QStringLiteral("A")));
    const std::optional<DeliveredReminder> a = pipeline->conclude([] {});
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->outcome.withdrawn);
    EXPECT_FALSE(a->outcome.delivered);
    EXPECT_TRUE(a->journalError);
    EXPECT_EQ(transport.events(), (QStringList{QStringLiteral("A text"), QStringLiteral("A withdrawn")}));
}

// Without a journal nothing is recorded, and the order is the same.
TEST(DeliveryPipeline, deliversInOrderWithoutAJournal) {
    QStringList order;
    DeliveryPipeline pipeline(
        [&](const PreparedReminder& r, const std::function<bool()>& mayCommit) {
            const bool go = !mayCommit || mayCommit();
            order << r.record.recipient + (go ? QStringLiteral(" sent") : QStringLiteral(" withdrawn"));
            transport::SmtpOutcome outcome;
            outcome.delivered = go;
            outcome.withdrawn = !go;
            return outcome;
        },
        nullptr, [] { return kTime; });
    pipeline.deliver(0, QStringLiteral("a@x.cz"), reminderTo(QStringLiteral("A")));
    pipeline.deliver(1, QStringLiteral("b@x.cz"), reminderTo(QStringLiteral("B")));
    ASSERT_TRUE(pipeline.conclude([] {}));
    pipeline.release();
    ASSERT_TRUE(pipeline.conclude([] {}));
    EXPECT_EQ(order, (QStringList{QStringLiteral("A sent"), QStringLiteral("B sent")}));
}

}  // namespace
