#include "MemTableFixture.h"

#include "platform/SystemLocale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tervalo::memtable;
using tervalo::memtable::test::appendRow;
using tervalo::memtable::test::makeTable;
using tervalo::memtable::test::RecordingObserver;
using tervalo::memtable::test::viewNames;
using tervalo::memtable::test::walkNames;

namespace {

// How the rows reach the index: all before it is chosen, after it one by one with a view watching
// (positions computed as rows arrive), or in two lazily merged batches.
enum class Filling { BeforeIndex, WatchedOneByOne, TwoBatches };

void fill(MemTable& table, const QStringList& names, Filling filling, const QString& index) {
    RecordingObserver observer;
    if (filling == Filling::WatchedOneByOne) {
        table.setCurrentIndex(index);
        table.addObserver(&observer);
    }
    for (int i = 0; i < names.size(); ++i) {
        if (filling == Filling::TwoBatches && i == names.size() / 2) {
            table.setCurrentIndex(index);
            table.first();  // sorts the first batch; the second is merged in later
        }
        appendRow(table, names[i], i, double(names[i].size() % 3));
    }
    table.setCurrentIndex(index);
    table.removeObserver(&observer);
}

QStringList repeated(const QStringList& names, int times) {
    QStringList all;
    for (int t = 0; t < times; ++t) {
        for (const QString& name : names) {
            all.append(name + QString::number(t % 2));
        }
    }
    return all;
}

}  // namespace

class IndexFilling : public testing::TestWithParam<Filling> {};

TEST_P(IndexFilling, czechCollationWithLetterCaseSignificant) {
    auto table = makeTable();
    const QStringList appended{
        QStringLiteral("chata"), QStringLiteral("Hrad"), QStringLiteral("cukr"),  QStringLiteral("čaj"),
        QStringLiteral("hrad"),  QStringLiteral("Čaj"),  QStringLiteral("zebra"), QStringLiteral("Žába"),
        QStringLiteral("ABC"),   QStringLiteral("abc"),  QStringLiteral("řeka"),  QStringLiteral("rak"),
    };
    fill(*table, appended, GetParam(), QStringLiteral("NAME"));
    // Letters first (c < č < h < ch < r < ř < z < ž), letter case only between otherwise equal words.
    const QStringList expected{
        QStringLiteral("abc"), QStringLiteral("ABC"),  QStringLiteral("cukr"),  QStringLiteral("čaj"),
        QStringLiteral("Čaj"), QStringLiteral("hrad"), QStringLiteral("Hrad"),  QStringLiteral("chata"),
        QStringLiteral("rak"), QStringLiteral("řeka"), QStringLiteral("zebra"), QStringLiteral("Žába"),
    };
    EXPECT_EQ(walkNames(*table), expected);
    EXPECT_EQ(viewNames(*table), expected);
}

TEST_P(IndexFilling, equalKeysKeepAppendOrder) {
    auto table = makeTable();
    // 60 rows, so the lazy batches are large enough to be sorted and merged rather than inserted.
    const QStringList names = repeated({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}, 20);
    fill(*table, names, GetParam(), QStringLiteral("AMOUNT"));
    // Amount = length % 3 = 2 for all: one key, so the order is the append order (ID 0, 1, 2, ...).
    table->first();
    for (int expectedId = 0; !table->eof(); ++expectedId, table->next()) {
        ASSERT_EQ(table->intValue(u"ID"), expectedId);
    }
    table->setCurrentIndex(u"NAME");
    QStringList got = walkNames(*table);
    QStringList expected = names;
    std::stable_sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);
    table->first();
    EXPECT_EQ(table->intValue(u"ID"), 0) << "first of the equal keys is the first appended";
}

INSTANTIATE_TEST_SUITE_P(, IndexFilling,
                         testing::Values(Filling::BeforeIndex, Filling::WatchedOneByOne, Filling::TwoBatches),
                         [](const testing::TestParamInfo<Filling>& param) {
                             switch (param.param) {
                                 case Filling::BeforeIndex:
                                     return "before_index";
                                 case Filling::WatchedOneByOne:
                                     return "watched_one_by_one";
                                 case Filling::TwoBatches:
                                     return "two_batches";
                             }
                             return "";
                         });

TEST(MemTableFindKey, findsTheExactTextOnly) {
    auto table = makeTable(QStringLiteral("mtVarItems"));
    table->setCurrentIndex(u"NAME");
    // Variable-map style rows: a code and the column it stands in.
    const QString decomposed = QStringLiteral("e\u0301");  // collates equal to the precomposed é
    const QStringList codes{QStringLiteral("101"),        QStringLiteral(" 101"),   QStringLiteral("abc"),
                            QStringLiteral("ABC"),        QStringLiteral("\u00e9"), decomposed,
                            QStringLiteral("0123456789"), QStringLiteral("101")};
    for (int column = 0; column < codes.size(); ++column) {
        appendRow(*table, codes[column], column + 2);
    }
    struct Case {
        const char* name;
        QString key;
        int expectedColumn;  // -1: not found
    };
    const Case cases[] = {
        {"plain", QStringLiteral("101"), 2},  // the first of two equal codes
        {"leading_blank_differs", QStringLiteral(" 101"), 3},
        {"trailing_blank_differs", QStringLiteral("101 "), -1},
        {"lower_case", QStringLiteral("abc"), 4},
        {"upper_case", QStringLiteral("ABC"), 5},
        {"mixed_case_absent", QStringLiteral("Abc"), -1},
        {"precomposed", QStringLiteral("\u00e9"), 6},
        {"decomposed", decomposed, 7},
        {"longer_key_cut_to_width", QStringLiteral("0123456789-tail"), 8},
        {"empty_absent", QString(), -1},
    };
    for (const auto& c : cases) {
        table->last();
        const RowId before = table->currentRow();
        const bool found = table->findKey(c.key);
        EXPECT_EQ(found, c.expectedColumn >= 0) << c.name;
        if (found) {
            EXPECT_EQ(table->intValue(u"ID"), c.expectedColumn) << c.name;
            EXPECT_EQ(table->text(u"Name"), c.key.left(10)) << c.name;
        } else {
            EXPECT_EQ(table->currentRow(), before) << c.name << ": not found stays";
        }
    }
}

TEST(MemTableFindKey, numbersAndBooleansOnTheirIndexesWithinTheView) {
    auto table = makeTable();
    table->addIndex(QStringLiteral("FLAG"), u"Flag");
    for (int i = 0; i < 30; ++i) {
        table->append();
        table->setText(u"Name", QStringLiteral("r%1").arg(i));
        table->setInt(u"ID", i % 10);
        table->setBool(u"Flag", i >= 20);
        table->post();
    }
    table->setCurrentIndex(u"ID");
    ASSERT_TRUE(table->findKey(7));
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("r7"));
    EXPECT_EQ(table->recNo(), 22);  // after three rows each of 0..6
    EXPECT_FALSE(table->findKey(10));

    table->setFilter(u"Flag", true);
    table->setFiltered(true);
    ASSERT_TRUE(table->findKey(7));
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("r27"));
    EXPECT_EQ(table->recNo(), 8);

    table->setFiltered(false);
    table->setCurrentIndex(u"FLAG");
    ASSERT_TRUE(table->findKey(true));
    EXPECT_EQ(table->text(u"Name"), QStringLiteral("r20"));
    EXPECT_EQ(table->recNo(), 21);
}

// Random appends, key edits, index switches and filter toggles, with and without a watching view,
// compared after each step with the order computed the plain way.
TEST(MemTableOrder, randomOperationsMatchAStableSortOfTheRows) {
    const tervalo::platform::SystemLocale czech;
    auto table = makeTable();
    RecordingObserver observer;
    std::mt19937 random(20240611);
    const QStringList words{QStringLiteral("Nováková"), QStringLiteral("novák"), QStringLiteral("Čech"),
                            QStringLiteral("cech"),     QStringLiteral("Chlup"), QStringLiteral("hora"),
                            QStringLiteral(" 101"),     QStringLiteral("101"),   QString()};
    struct Row {
        QString name;
        double amount;
        bool flag;
    };
    std::vector<Row> rows;
    const QString indexes[] = {QStringLiteral("NAME"), QStringLiteral("AMOUNT"), QString()};
    QString index;
    bool filtered = false;
    table->setFilter(u"Flag", true);
    for (int step = 0; step < 600; ++step) {
        const int action = int(random() % 20);
        if (action < 12) {
            Row row{words[qsizetype(random() % words.size())], double(random() % 5), random() % 2 == 0};
            table->append();
            table->setText(u"Name", row.name);
            table->setFloat(u"Amount", row.amount);
            table->setBool(u"Flag", row.flag);
            table->post();
            rows.push_back(row);
        } else if (action < 15 && !table->isEmpty()) {
            table->moveTo(int(random() % unsigned(table->recordCount())));
            const RowId id = table->currentRow();
            rows[std::size_t(id)].name = words[qsizetype(random() % words.size())];
            rows[std::size_t(id)].amount = double(random() % 5);
            table->edit();
            table->setText(u"Name", rows[std::size_t(id)].name);
            table->setFloat(u"Amount", rows[std::size_t(id)].amount);
            table->post();
        } else if (action < 17) {
            index = indexes[random() % 3];
            table->setCurrentIndex(index);
        } else if (action < 18) {
            filtered = !filtered;
            table->setFiltered(filtered);
        } else if (action < 19) {
            table->addObserver(&observer);
        } else {
            table->removeObserver(&observer);
        }

        std::vector<RowId> expected;
        for (RowId id = 0; id < RowId(rows.size()); ++id) {
            if (!filtered || rows[std::size_t(id)].flag) {
                expected.push_back(id);
            }
        }
        std::stable_sort(expected.begin(), expected.end(), [&](RowId a, RowId b) {
            const Row& x = rows[std::size_t(a)];
            const Row& y = rows[std::size_t(b)];
            if (index == QStringLiteral("AMOUNT")) {
                return x.amount < y.amount;
            }
            if (index == QStringLiteral("NAME")) {
                int c = czech.compare(x.name, y.name);
                return c < 0 || (c == 0 && x.name.compare(y.name) < 0);
            }
            return false;
        });
        std::vector<RowId> got;
        for (int position = 0; position < table->recordCount(); ++position) {
            got.push_back(table->rowAt(position));
            ASSERT_EQ(table->positionOf(got.back()), position) << "step " << step;
        }
        ASSERT_EQ(got, expected) << "step " << step << " index " << index.toStdString();
        if (!expected.empty()) {
            ASSERT_EQ(table->rowAt(table->currentPosition()), table->currentRow()) << "step " << step;
        }
    }
}
