#include "StateTestSupport.h"

#include "state/StateTables.h"

#include "support/TempAppDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using tervalo::platform::SystemLocale;
using tervalo::state::StateError;
using tervalo::state::StateTables;
using tervalo::test::TempAppDir;

namespace {

using StateTablesTest = tervalo::test::OpenStateTablesTest;

TEST_F(StateTablesTest, firstStartCreatesSixFilesAndEverythingReadsAsIncluded) {
    for (const char* name :
         {"EArchiv.dat", "EArchiv.dbt", "EArchiv.mdx", "EDoklady.dat", "EDoklady.dbt", "EDoklady.mdx"}) {
        EXPECT_TRUE(QFile::exists(dir.file(QString::fromLatin1(name)))) << name;
    }
    EXPECT_TRUE(tables.GetAddressExport(QStringLiteral("a@b.cz")));
    EXPECT_TRUE(tables.GetDocumentExport(QStringLiteral("FV1")));
    EXPECT_FALSE(tables.DocumentHasNote(QStringLiteral("FV1")));
    EXPECT_FALSE(tables.readAddressNote(QStringLiteral("a@b.cz")).exists);
}

TEST_F(StateTablesTest, addressesDifferingInLetterCaseShareOneUpperCaseRecord) {
    tables.SetAddressExport(QStringLiteral("žluťoučký@kůň.cz"), false);
    EXPECT_FALSE(tables.GetAddressExport(QStringLiteral("ŽLUŤOUČKÝ@KŮŇ.CZ")));
    tables.SetAddressExport(QStringLiteral("Žluťoučký@Kůň.cz"), false);
    EXPECT_EQ(tables.dtEarchiv().recordCount(), 1u);
    EXPECT_EQ(tables.readAddressNote(QStringLiteral("žluťoučký@kůň.cz")).email,
              QStringLiteral("ŽLUŤOUČKÝ@KŮŇ.CZ"));
    tables.SetAddressExport(QStringLiteral("žluťoučký@kůň.cz"), true);
    EXPECT_TRUE(tables.GetAddressExport(QStringLiteral("žluťoučký@kůň.cz")));
    EXPECT_EQ(tables.dtEarchiv().recordCount(), 1u);
}

TEST_F(StateTablesTest, recordingASendKeepsTheFlagOfAnExistingRecordAndIncludesANewOne) {
    tables.SetAddressExport(QStringLiteral("excluded@x.cz"), false);
    tables.MarkAddressSent(QStringLiteral("excluded@x.cz"));
    tables.MarkAddressSent(QStringLiteral("new@x.cz"));
    auto excluded = tables.readAddressNote(QStringLiteral("excluded@x.cz"));
    auto fresh = tables.readAddressNote(QStringLiteral("new@x.cz"));
    EXPECT_FALSE(excluded.exportFlag);
    EXPECT_EQ(excluded.lastSend, QDate::currentDate());
    EXPECT_TRUE(fresh.exists);
    EXPECT_TRUE(fresh.exportFlag);
    EXPECT_EQ(fresh.lastSend, QDate::currentDate());
    EXPECT_EQ(tables.dtEarchiv().recordCount(), 2u);
}

TEST_F(StateTablesTest, notesKeepFlagsAndDatesAndAnEmptyNoteIsNoNote) {
    tables.SetAddressExport(QStringLiteral("a@x.cz"), false);
    tables.MarkAddressSent(QStringLiteral("a@x.cz"));
    tables.writeAddressNote(QStringLiteral("a@x.cz"), QStringLiteral("první řádek\ndruhý řádek"));
    auto address = tables.readAddressNote(QStringLiteral("A@X.CZ"));
    EXPECT_FALSE(address.exportFlag);
    EXPECT_EQ(address.lastSend, QDate::currentDate());
    EXPECT_EQ(address.note, QStringLiteral("první řádek\ndruhý řádek"));

    tables.writeDocumentNote(QStringLiteral("fv1"), QStringLiteral("pozor"));
    EXPECT_TRUE(tables.DocumentHasNote(QStringLiteral("FV1")));
    EXPECT_TRUE(tables.GetDocumentExport(QStringLiteral("FV1")));
    tables.writeDocumentNote(QStringLiteral("FV1"), QString());
    EXPECT_FALSE(tables.DocumentHasNote(QStringLiteral("fv1")));
    EXPECT_EQ(tables.dtEDoklady().recordCount(), 1u);
}

TEST_F(StateTablesTest, emptyKeysReadAsIncludedAndStoreNothing) {
    tables.SetDocumentExport(QString(), false);
    tables.SetAddressExport(QString(), false);
    tables.MarkAddressSent(QString());
    EXPECT_TRUE(tables.GetDocumentExport(QString()));
    EXPECT_FALSE(tables.DocumentHasNote(QString()));
    EXPECT_TRUE(tables.GetAddressExport(QString()));
    EXPECT_EQ(tables.dtEDoklady().recordCount(), 0u);
    EXPECT_EQ(tables.dtEarchiv().recordCount(), 0u);
}

TEST_F(StateTablesTest, keysLongerThanTheFieldAreCutAndFoundWithTheirFullText) {
    tables.SetDocumentExport(QStringLiteral("ABCDEFGHIJKL"), false);
    EXPECT_FALSE(tables.GetDocumentExport(QStringLiteral("ABCDEFGHIJKL")));
    EXPECT_FALSE(tables.GetDocumentExport(QStringLiteral("ABCDEFGHIJ")));
    EXPECT_EQ(tables.readDocumentNote(QStringLiteral("ABCDEFGHIJ")).doklad, QStringLiteral("ABCDEFGHIJ"));
    const QString longAddress = QString(60, QLatin1Char('a')) + QStringLiteral("@x.cz");
    tables.SetAddressExport(longAddress, false);
    EXPECT_FALSE(tables.GetAddressExport(longAddress));
    EXPECT_EQ(tables.readAddressNote(longAddress).email, QString(50, QLatin1Char('A')));
}

TEST_F(StateTablesTest, stateSurvivesReopening) {
    tables.SetAddressExport(QStringLiteral("a@x.cz"), false);
    tables.SetDocumentExport(QStringLiteral("FV1"), false);
    tables.close();
    StateTables again(dir.path(), czech);
    again.OpenStateTables();
    EXPECT_FALSE(again.GetAddressExport(QStringLiteral("a@x.cz")));
    EXPECT_FALSE(again.GetDocumentExport(QStringLiteral("FV1")));
    EXPECT_TRUE(again.GetDocumentExport(QStringLiteral("FV2")));
}

}  // namespace

namespace {

using tervalo::test::oldDocumentRows;
using tervalo::test::writeOldDocumentTable;

TEST(UpgradeDocumentTable, replacesAnOldTableKeepingEveryFlagButTheDeletedRecords) {
    TempAppDir dir;
    writeOldDocumentTable(dir.path(), oldDocumentRows(30), 5);
    SystemLocale czech;
    StateTables tables(dir.path(), czech);
    tables.OpenStateTables();
    EXPECT_TRUE(tables.dtEDoklady().hasField(QStringLiteral("Pozn")));
    EXPECT_EQ(tables.dtEDoklady().recordCount(), 29u);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(tables.GetDocumentExport(QStringLiteral("OLD%1").arg(i)), i == 4 || i % 3 == 0) << i;
    }
    tables.writeDocumentNote(QStringLiteral("OLD1"), QStringLiteral("nová poznámka"));
    EXPECT_TRUE(tables.DocumentHasNote(QStringLiteral("OLD1")));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("EDoklady.upgrade"))));
}

TEST(UpgradeDocumentTable, aFailureWhileBuildingTheNewTableKeepsTheOldOne) {
    TempAppDir dir;
    writeOldDocumentTable(dir.path(), oldDocumentRows(10));
    const QByteArray old = tervalo::test::fileBytes(dir.file(QStringLiteral("EDoklady.dat")));
    dir.write(QStringLiteral("EDoklady.upgrade"), "in the way");  // the new table's folder cannot be made
    SystemLocale czech;
    StateTables tables(dir.path(), czech);
    EXPECT_THROW(tables.OpenStateTables(), StateError);
    EXPECT_EQ(tervalo::test::fileBytes(dir.file(QStringLiteral("EDoklady.dat"))), old);

    QFile::remove(dir.file(QStringLiteral("EDoklady.upgrade")));
    tables.OpenStateTables();
    EXPECT_FALSE(tables.GetDocumentExport(QStringLiteral("OLD1")));
    EXPECT_TRUE(tables.GetDocumentExport(QStringLiteral("OLD3")));
}

struct SchemaCase {
    const char* name;
    const char* file;
    std::vector<tervalo::state::dbf::FieldDef> fields;
    QString message;  // the table's path follows
};

class StateTableSchemaTest : public ::testing::TestWithParam<SchemaCase> {};

// A table written by another program with a field missing or of another type is refused when it is
// opened, naming the field and the file, before a load reads its records.
TEST_P(StateTableSchemaTest, refusesATableWithoutAFieldItReads) {
    TempAppDir dir;
    const QString path = dir.file(QString::fromLatin1(GetParam().file));
    SystemLocale czech;
    {
        tervalo::state::dbf::DbfTable table(czech);
        table.setFileName(path);
        table.setFieldDefs(GetParam().fields);
        table.open();
    }
    StateTables tables(dir.path(), czech);
    try {
        tables.OpenStateTables();
        FAIL() << "opened";
    } catch (const StateError& e) {
        EXPECT_EQ(e.text(), GetParam().message.arg(path));
        EXPECT_EQ(e.path(), path);
    }
}

const QString kExport = QStringLiteral("EXPORT");

INSTANTIATE_TEST_SUITE_P(
    Tables, StateTableSchemaTest,
    ::testing::Values(SchemaCase{"address_table_without_export",
                                 "EArchiv.dat",
                                 {{QStringLiteral("EMAIL"), 'C', 50},
                                  {QStringLiteral("LASTSEND"), 'D', 8},
                                  {QStringLiteral("NOTE"), 'M', 10}},
                                 QStringLiteral("Field 'EXPORT' not found in table \"%1\".")},
                      SchemaCase{"document_table_without_export",
                                 "EDoklady.dat",
                                 {{QStringLiteral("DOKLAD"), 'C', 10}, {QStringLiteral("POZN"), 'M', 10}},
                                 QStringLiteral("Field 'EXPORT' not found in table \"%1\".")},
                      SchemaCase{"document_table_with_a_text_note",
                                 "EDoklady.dat",
                                 {{QStringLiteral("DOKLAD"), 'C', 10},
                                  {kExport, 'L', 1},
                                  {QStringLiteral("POZN"), 'C', 10}},
                                 QStringLiteral("Field 'POZN' of table \"%1\" has type C instead of M.")}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
