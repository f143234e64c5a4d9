#include "MemTableFixture.h"

#include <gtest/gtest.h>

using namespace tervalo::memtable;
using tervalo::memtable::test::appendRow;
using tervalo::memtable::test::makeTable;
using tervalo::memtable::test::walkNames;

TEST(MemTableFields, lookedUpByNameWithoutRegardToCaseAndByNumber) {
    auto table = makeTable();
    EXPECT_EQ(table->fieldIndex(u"name"), 0);
    EXPECT_EQ(table->fieldIndex(u"AMOUNT"), 1);
    EXPECT_EQ(table->fieldIndex(u"Missing"), -1);
    EXPECT_EQ(table->fieldDef(3).name, QStringLiteral("ID"));
    EXPECT_THROW(table->field(u"Missing"), MemTableError);
}

TEST(MemTableFields, textIsCutToItsWidthInCharacters) {
    struct Case {
        const char* name;
        QString stored;
        QString expected;
    };
    const Case cases[] = {
        {"shorter_kept", QStringLiteral("ab"), QStringLiteral("ab")},
        {"exact_width_kept", QStringLiteral("0123456789"), QStringLiteral("0123456789")},
        {"longer_cut", QStringLiteral("0123456789XYZ"), QStringLiteral("0123456789")},
        {"czech_letters_count_once", QStringLiteral("Příliš žluťoučký"), QStringLiteral("Příliš žlu")},
        {"blanks_kept", QStringLiteral(" 101 "), QStringLiteral(" 101 ")},
    };
    auto table = makeTable();
    for (const auto& c : cases) {
        appendRow(*table, c.stored);
        EXPECT_EQ(table->text(u"Name"), c.expected) << c.name;
        EXPECT_EQ(table->text(table->currentRow(), 0), c.expected) << c.name;
    }
}

TEST(MemTableFields, unsetFieldsAreNullAndReadAsEmptyZeroOrFalse) {
    auto table = makeTable();
    table->append();
    const QString memo = QStringLiteral("memo text of any length, well over ten characters");
    table->setText(u"Note", memo);
    table->post();
    for (const char16_t* name : {u"Name", u"Amount", u"Flag", u"ID"}) {
        EXPECT_TRUE(table->isNull(name)) << QString::fromUtf16(name).toStdString();
        EXPECT_FALSE(table->value(name).isValid());
    }
    EXPECT_EQ(table->text(u"Name"), QString());
    EXPECT_EQ(table->floatValue(u"Amount"), 0.0);
    EXPECT_FALSE(table->boolValue(u"Flag"));
    EXPECT_EQ(table->intValue(u"ID"), 0);
    EXPECT_EQ(table->text(u"Note"), memo);

    table->edit();
    table->setFloat(u"Amount", 0.0);
    table->setBool(u"Flag", false);
    table->setText(u"Note", QString());
    table->post();
    EXPECT_FALSE(table->isNull(u"Amount"));
    EXPECT_FALSE(table->isNull(u"Flag"));
    EXPECT_TRUE(table->isNull(u"Note"));  // an empty text is null
}

TEST(MemTableEditing, editPostsIntoTheSameRowAndCancelDiscards) {
    auto table = makeTable();
    appendRow(*table, QStringLiteral("first"), 1, 10.5);
    appendRow(*table, QStringLiteral("second"), 2, 20.0);
    table->first();
    const RowId row = table->currentRow();

    table->edit();
    table->setFloat(u"Amount", 11.25);
    EXPECT_EQ(table->floatValue(u"Amount"), 11.25);  // the buffer while editing
    EXPECT_EQ(table->floatValue(row, 1), 10.5);      // the stored row until post
    table->post();
    EXPECT_EQ(table->floatValue(row, 1), 11.25);

    table->edit();
    table->setText(u"Name", QStringLiteral("changed"));
    table->cancel();
    table->append();
    table->setText(u"Name", QStringLiteral("never"));
    table->cancel();
    EXPECT_EQ(walkNames(*table), (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_EQ(table->rowCount(), 2);
}

TEST(MemTableEditing, equalTextsAreIndependentCells) {
    // A column stores a repeated text once; editing one row must not reach the others. Past the
    // number of distinct values it shares, a column stores every text on its own.
    auto table = makeTable();
    const int name = table->field(u"Name");
    for (int i = 0; i < 80'000; ++i) {  // about 70,000 distinct values
        appendRow(*table, i % 8 == 1 ? QStringLiteral("1.1.2026") : QString::number(i));
    }
    appendRow(*table, QStringLiteral("0"));
    table->moveTo(1);
    table->edit();
    table->setText(u"Name", QStringLiteral("2.1.2026"));
    table->post();
    EXPECT_EQ(table->text(1, name), QStringLiteral("2.1.2026"));
    EXPECT_EQ(table->text(9, name), QStringLiteral("1.1.2026"));
    EXPECT_EQ(table->text(79'993, name), QStringLiteral("1.1.2026"));
    EXPECT_EQ(table->text(79'998, name), QStringLiteral("79998"));
    EXPECT_EQ(table->text(80'000, name), QStringLiteral("0"));
}

TEST(MemTableEditing, misuseThrowsNamingTheTable) {
    auto table = makeTable(QStringLiteral("mtFirmy"));
    appendRow(*table, QStringLiteral("a"), 1);
    try {
        table->setText(u"Name", QStringLiteral("x"));
        FAIL() << "set outside edit mode";
    } catch (const MemTableError& error) {
        EXPECT_EQ(error.table(), QStringLiteral("mtFirmy"));
    }
    table->edit();
    EXPECT_THROW(table->next(), MemTableError);  // no navigation with an unposted buffer
    EXPECT_THROW(table->append(), MemTableError);
    EXPECT_THROW(table->setValue(u"ID", QStringLiteral("not a number")), MemTableError);
    EXPECT_THROW(table->setValue(u"Flag", QStringLiteral("maybe")), MemTableError);
    table->setValue(u"Flag", QStringLiteral("True"));
    table->post();
    EXPECT_TRUE(table->boolValue(u"Flag"));
    EXPECT_THROW(table->floatValue(u"Name"), MemTableError);
    EXPECT_THROW(table->findKey(1), MemTableError);  // no current index
    EXPECT_THROW(table->addField(QStringLiteral("Late"), FieldType::Integer), MemTableError);
    table->close();
    EXPECT_THROW(table->append(), MemTableError);
}

TEST(MemTableLifecycle, closeAndReopenEmptiesButKeepsFieldsIndexesAndSettings) {
    auto table = makeTable();
    table->setCurrentIndex(u"NAME");
    for (int i = 0; i < 40; ++i) {
        appendRow(*table, QStringLiteral("row %1").arg(i), i);
    }
    auto bookmark = table->bookmark();
    table->close();
    EXPECT_EQ(table->recordCount(), 0);
    EXPECT_TRUE(table->eof());
    table->open();
    EXPECT_TRUE(table->isEmpty());
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(table->currentRow(), -1);
    EXPECT_EQ(table->recNo(), 0);
    EXPECT_EQ(table->fieldCount(), 5);
    EXPECT_EQ(table->currentIndex(), QStringLiteral("NAME"));

    appendRow(*table, QStringLiteral("b"), 1);
    appendRow(*table, QStringLiteral("a"), 2);
    EXPECT_EQ(walkNames(*table), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_FALSE(table->gotoBookmark(bookmark)) << "a bookmark does not survive close";
}

TEST(MemTableRowAppend, typedValuesGoStraightInAndPostOrCancelEndTheRow) {
    auto table = makeTable();
    table->setCurrentIndex(u"NAME");
    const int name = table->field(u"Name");
    const int amount = table->field(u"Amount");
    const int flag = table->field(u"Flag");
    const int id = table->field(u"ID");
    appendRow(*table, QStringLiteral("m"), 1);

    table->appendRow();
    table->putText(name, u"0123456789XYZ");
    table->putFloat(amount, 12.5);
    table->putBool(flag, false);
    table->putInt(id, 2);
    table->post();
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("0123456789"));  // current, cut to the width
    EXPECT_EQ(table->floatValue(u"Amount"), 12.5);
    EXPECT_FALSE(table->isNull(u"Flag"));  // false is a value, not null
    EXPECT_EQ(table->intValue(u"ID"), 2);

    table->appendRow();
    table->putText(name, u"");
    table->post();
    EXPECT_TRUE(table->isNull(u"Name"));  // an empty text is null, as with setText
    EXPECT_TRUE(table->isNull(u"Amount"));

    table->appendRow();
    table->putText(name, u"gone");
    table->cancel();
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(walkNames(*table), (QStringList{QString(), QStringLiteral("0123456789"), QStringLiteral("m")}));

    EXPECT_THROW(table->putText(name, u"no row"), MemTableError);
    table->appendRow();
    EXPECT_THROW(table->putFloat(name, 1.0), MemTableError);
    EXPECT_THROW(table->append(), MemTableError);
    table->cancel();
}

TEST(MemTableRowAppend, aColumnOfAFewThousandRepeatingValuesIsStoredOnce) {
    // Due dates: thousands of distinct values, each first seen early, then repeated. The column must
    // keep sharing them even though at first nearly every value is new.
    constexpr int kRows = 300'000;
    auto filled = [](auto value) {
        auto table = makeTable();
        const int name = table->field(u"Name");
        for (int i = 0; i < kRows; ++i) {
            table->appendRow();
            table->putText(name, value(i));
            table->post();
        }
        return table;
    };
    auto date = [](int row) {
        return QStringLiteral("d%1").arg(qint64(row) * 7919 % 3000, 9, 10, QLatin1Char('0'));
    };
    const auto dates = filled(date);
    const auto same = filled([](int) { return QStringLiteral("d000000000"); });
    EXPECT_EQ(dates->text(kRows - 1, 0), date(kRows - 1));
    // Stored per row, the texts alone would take 6.6 MB more than one value repeated.
    EXPECT_LT(dates->memoryBytes() - same->memoryBytes(), std::size_t(1) << 20);
}
