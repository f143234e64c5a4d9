#include "MemTableFixture.h"

#include <gtest/gtest.h>

using namespace tervalo::memtable;
using tervalo::memtable::test::appendRow;
using tervalo::memtable::test::makeTable;
using tervalo::memtable::test::viewNames;
using tervalo::memtable::test::walkNames;

namespace {

QStringList names(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* name : list) {
        result.append(QString::fromUtf8(name));
    }
    return result;
}

// Debtors and their documents, linked by ID as the main window links them.
struct MasterDetail {
    std::unique_ptr<MemTable> firmy = makeTable(QStringLiteral("mtFirmy"));
    std::unique_ptr<MemTable> doklady = makeTable(QStringLiteral("mtDoklady"));

    MasterDetail() {
        doklady->setCurrentIndex(u"ID");
        doklady->setMasterLink(firmy.get(), u"ID", u"ID");
        appendRow(*firmy, QStringLiteral("Zeman"), 1);
        appendRow(*doklady, QStringLiteral("Z-1"), 1, 30.0);
        appendRow(*firmy, QStringLiteral("Adam"), 2);
        appendRow(*doklady, QStringLiteral("A-1"), 2, 20.0);
        appendRow(*doklady, QStringLiteral("A-2"), 2, 10.0);
        appendRow(*doklady, QStringLiteral("Z-2"), 1, 5.0);
        appendRow(*firmy, QStringLiteral("Bárta"), 3);  // no documents
        appendRow(*doklady, QStringLiteral("A-3"), 2, 20.0);
        firmy->setCurrentIndex(u"NAME");
        firmy->first();
    }
};

}  // namespace

TEST(MemTableView, walkSetsEofAndBofAsDatasetsDo) {
    auto table = makeTable();
    EXPECT_TRUE(table->bof() && table->eof()) << "empty";
    table->first();
    EXPECT_TRUE(table->bof() && table->eof());
    appendRow(*table, QStringLiteral("a"));
    appendRow(*table, QStringLiteral("b"));
    table->first();
    EXPECT_TRUE(table->bof());
    EXPECT_FALSE(table->eof());
    table->next();
    EXPECT_FALSE(table->bof() || table->eof());
    EXPECT_EQ(table->recNo(), 2);
    table->next();
    EXPECT_TRUE(table->eof());
    EXPECT_EQ(table->recNo(), 2) << "next on the last row stays";
    table->prior();
    table->prior();
    EXPECT_TRUE(table->bof());
    EXPECT_EQ(table->recNo(), 1);
    EXPECT_FALSE(table->moveTo(2));
    EXPECT_TRUE(table->moveTo(1));
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("b"));
}

TEST(MemTableView, currentRowAndBookmarkFollowTheRowThroughOrderAndFilter) {
    auto table = makeTable();
    appendRow(*table, QStringLiteral("Nováková"), 1, 500.0);
    appendRow(*table, QStringLiteral("Adámek"), 2, 100.0);
    appendRow(*table, QStringLiteral("Černý"), 3, 300.0);
    appendRow(*table, QStringLiteral("Beneš"), 4, 200.0);
    table->edit();
    table->setBool(u"Flag", true);  // Beneš
    table->post();
    table->first();
    table->edit();
    table->setBool(u"Flag", true);  // Nováková
    table->post();

    table->setCurrentIndex(u"NAME");
    ASSERT_TRUE(table->findKey(QStringLiteral("Černý")));
    const auto cerny = table->bookmark();
    EXPECT_EQ(table->recNo(), 3);

    table->setCurrentIndex(u"AMOUNT");
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("Černý")) << "a new order keeps the current row";
    EXPECT_EQ(table->recNo(), 3);
    EXPECT_EQ(viewNames(*table), names({"Adámek", "Beneš", "Černý", "Nováková"}));

    table->setFilter(u"Flag", true);
    table->setFiltered(true);
    EXPECT_EQ(viewNames(*table), names({"Beneš", "Nováková"}));
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("Beneš")) << "a row filtered out gives way to the first";
    EXPECT_FALSE(table->gotoBookmark(cerny)) << "not in view";
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("Beneš"));
    table->last();
    const auto novakova = table->bookmark();

    table->setFiltered(false);
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("Nováková")) << "still in view, still current";
    table->setCurrentIndex(u"");
    EXPECT_EQ(viewNames(*table), names({"Nováková", "Adámek", "Černý", "Beneš"}));
    ASSERT_TRUE(table->gotoBookmark(cerny));
    EXPECT_EQ(table->recNo(), 3);
    ASSERT_TRUE(table->gotoBookmark(novakova));
    EXPECT_EQ(table->recNo(), 1);
}

TEST(MemTableView, editingTheFilteredFieldMovesTheRowOutOfView) {
    auto table = makeTable();
    for (const char* name : {"a", "b", "c"}) {
        appendRow(*table, QString::fromUtf8(name));
        table->edit();
        table->setBool(u"Flag", true);
        table->post();
    }
    table->setFilter(u"Flag", QStringLiteral("True"));
    table->setFiltered(true);
    table->moveTo(1);
    table->edit();
    table->setBool(u"Flag", false);
    table->post();
    EXPECT_EQ(viewNames(*table), names({"a", "c"}));
    EXPECT_EQ(table->recordCount(), 2);
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("a"));
}

TEST(MemTableMasterDetail, detailShowsCountsAndWalksOnlyTheMastersRows) {
    MasterDetail t;
    struct Case {
        const char* debtor;
        QStringList documents;
    };
    const Case cases[] = {
        {"Adam", names({"A-1", "A-2", "A-3"})},
        {"Bárta", {}},
        {"Zeman", names({"Z-1", "Z-2"})},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(t.firmy->findKey(QString::fromUtf8(c.debtor)));
        EXPECT_EQ(t.doklady->recordCount(), c.documents.size()) << c.debtor;
        EXPECT_EQ(walkNames(*t.doklady), c.documents) << c.debtor;
        EXPECT_EQ(viewNames(*t.doklady), c.documents) << c.debtor;
    }
    EXPECT_EQ(t.doklady->rowCount(), 5);
}

TEST(MemTableMasterDetail, detailFollowsTheMasterToItsFirstRowAndKeepsItsOwnOrder) {
    MasterDetail t;
    ASSERT_TRUE(t.firmy->findKey(QStringLiteral("Adam")));
    t.doklady->last();
    EXPECT_EQ(t.doklady->text(u"Name"), QStringLiteral("A-3"));
    t.firmy->next();  // Bárta
    EXPECT_TRUE(t.doklady->isEmpty());
    EXPECT_TRUE(t.doklady->eof());
    t.firmy->next();  // Zeman
    EXPECT_EQ(t.doklady->recNo(), 1);
    EXPECT_EQ(t.doklady->text(u"Name"), QStringLiteral("Z-1"));

    t.doklady->setCurrentIndex(u"AMOUNT");
    t.firmy->first();
    EXPECT_EQ(viewNames(*t.doklady), names({"A-2", "A-1", "A-3"}))
        << "by amount, equal amounts in load order";

    t.firmy->setFilter(u"Name", QStringLiteral("nobody"));
    t.firmy->setFiltered(true);
    EXPECT_TRUE(t.doklady->isEmpty()) << "no master row, no detail rows";
    t.firmy->setFiltered(false);
    EXPECT_EQ(t.doklady->recordCount(), 3);
}

TEST(MemTableMasterDetail, rowsAppendedOrEditedWhileLinkedJoinTheirMaster) {
    MasterDetail t;
    ASSERT_TRUE(t.firmy->findKey(QStringLiteral("Zeman")));
    appendRow(*t.doklady, QStringLiteral("Z-3"), 1);
    EXPECT_EQ(t.doklady->text(u"Name"), QStringLiteral("Z-3"));
    appendRow(*t.doklady, QStringLiteral("B-1"), 3);  // another debtor's: not in view
    EXPECT_EQ(viewNames(*t.doklady), names({"Z-1", "Z-2", "Z-3"}));
    EXPECT_EQ(t.doklady->text(u"Name"), QStringLiteral("Z-1"));

    t.doklady->first();
    t.doklady->edit();
    t.doklady->setInt(u"ID", 3);
    t.doklady->post();
    EXPECT_EQ(viewNames(*t.doklady), names({"Z-2", "Z-3"}));
    ASSERT_TRUE(t.firmy->findKey(QStringLiteral("Bárta")));
    EXPECT_EQ(viewNames(*t.doklady), names({"Z-1", "B-1"}));

    t.firmy->edit();  // the master's key changes under the detail
    t.firmy->setInt(u"ID", 2);
    t.firmy->post();
    EXPECT_EQ(viewNames(*t.doklady), names({"A-1", "A-2", "A-3"}));
}

TEST(MemTableMasterDetail, destroyingTheMasterUnlinksTheDetail) {
    MasterDetail t;
    t.firmy.reset();
    EXPECT_EQ(t.doklady->recordCount(), 5);
}
