#include "MemTableFixture.h"

#include <gtest/gtest.h>

using namespace tervalo::memtable;
using tervalo::memtable::test::appendRow;
using tervalo::memtable::test::makeTable;
using tervalo::memtable::test::RecordingObserver;

namespace {

QStringList lines(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* line : list) {
        result.append(QString::fromUtf8(line));
    }
    return result;
}

// Checks, at every "about to" call, that the table still shows the old state, and at the second
// call of each pair that it shows the new one.
class ConsistencyObserver : public RecordingObserver {
public:
    explicit ConsistencyObserver(const MemTable& table) : m_table(table), m_count(table.recordCount()) {}

    void rowAboutToBeInserted(int position) override {
        EXPECT_EQ(m_table.recordCount(), m_count);
        RecordingObserver::rowAboutToBeInserted(position);
    }
    void rowInserted(int position) override {
        EXPECT_EQ(m_table.recordCount(), ++m_count);
        RecordingObserver::rowInserted(position);
    }
    void viewReset() override {
        m_count = m_table.recordCount();
        RecordingObserver::viewReset();
    }

private:
    const MemTable& m_table;
    int m_count;
};

}  // namespace

TEST(MemTableNotifications, insertsArriveInPairsAtTheirViewPosition) {
    auto table = makeTable();
    table->setCurrentIndex(u"NAME");
    appendRow(*table, QStringLiteral("b"));
    appendRow(*table, QStringLiteral("d"));
    ConsistencyObserver observer(*table);
    table->addObserver(&observer);

    appendRow(*table, QStringLiteral("c"));
    appendRow(*table, QStringLiteral("a"));
    EXPECT_EQ(observer.log, lines({"about-insert 1", "inserted 1", "current 1",  //
                                   "about-insert 0", "inserted 0", "current 0"}));
}

TEST(MemTableNotifications, editsReportTheRowOrResetWhenTheOrderMayChange) {
    auto table = makeTable();
    table->setCurrentIndex(u"NAME");
    appendRow(*table, QStringLiteral("a"), 1);
    appendRow(*table, QStringLiteral("b"), 2);
    RecordingObserver observer;
    table->addObserver(&observer);

    table->edit();
    table->setInt(u"ID", 5);
    table->post();
    EXPECT_EQ(observer.log, lines({"changed 1"}));

    observer.log.clear();
    table->edit();
    table->setText(u"Name", QStringLiteral("0"));  // now sorts first
    table->post();
    EXPECT_EQ(observer.log, lines({"about-reset", "reset", "current 0"}));

    observer.log.clear();
    table->next();
    table->setFilter(u"ID", 5);  // filter not on: nothing to tell
    table->setFiltered(true);
    EXPECT_EQ(observer.log, lines({"current 1", "about-reset", "reset", "current 0"}));
}

TEST(MemTableNotifications, suspendedViewsGetOneResetAtTheOutermostResume) {
    auto table = makeTable();
    table->setCurrentIndex(u"NAME");
    ConsistencyObserver observer(*table);
    table->addObserver(&observer);

    table->disableControls();
    table->disableControls();
    for (int i = 0; i < 100; ++i) {
        appendRow(*table, QStringLiteral("r%1").arg(99 - i));
    }
    table->setFilter(u"Name", QStringLiteral("r5"));
    table->setFiltered(true);
    table->setFiltered(false);
    table->enableControls();
    EXPECT_EQ(observer.log, lines({"about-reset"})) << "announced at the first change, nothing else yet";
    table->enableControls();
    EXPECT_EQ(observer.log, lines({"about-reset", "reset", "current 0"}));
    EXPECT_EQ(table->recordCount(), 100);

    observer.log.clear();
    table->disableControls();
    table->enableControls();
    EXPECT_TRUE(observer.log.isEmpty()) << "nothing changed, nothing to tell";

    table->disableControls();
    table->last();
    table->first();
    table->last();
    table->enableControls();
    EXPECT_EQ(observer.log, lines({"current 99"})) << "moves only: the rows stand as they were";
}

TEST(MemTableNotifications, detailViewsFollowTheMastersCurrentRow) {
    auto firmy = makeTable(QStringLiteral("mtFirmy"));
    auto doklady = makeTable(QStringLiteral("mtDoklady"));
    doklady->setMasterLink(firmy.get(), u"ID", u"ID");
    appendRow(*firmy, QStringLiteral("a"), 1);
    appendRow(*firmy, QStringLiteral("b"), 2);
    appendRow(*doklady, QStringLiteral("a-1"), 1);
    appendRow(*doklady, QStringLiteral("b-1"), 2);
    appendRow(*doklady, QStringLiteral("b-2"), 2);
    ConsistencyObserver observer(*doklady);
    doklady->addObserver(&observer);

    firmy->first();
    EXPECT_EQ(observer.log, lines({"about-reset", "reset", "current 0"}));
    EXPECT_EQ(doklady->recordCount(), 1);

    observer.log.clear();
    doklady->disableControls();
    firmy->last();
    firmy->first();
    firmy->last();
    doklady->enableControls();
    EXPECT_EQ(observer.log, lines({"about-reset", "reset", "current 0"}));
    EXPECT_EQ(doklady->recordCount(), 2);
}

TEST(MemTableNotifications, closeAndOpenResetTheView) {
    auto table = makeTable();
    appendRow(*table, QStringLiteral("a"));
    RecordingObserver observer;
    table->addObserver(&observer);
    table->close();
    table->open();
    EXPECT_EQ(observer.log,
              lines({"about-reset", "reset", "current -1", "about-reset", "reset", "current -1"}));
}
