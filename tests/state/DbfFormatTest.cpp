#include "StateTestSupport.h"

#include "state/StateTables.h"
#include "state/dbf/DbfTable.h"
#include "state/dbf/LanguageDriver.h"

#include "support/TempAppDir.h"

#include <QFile>

#include <gtest/gtest.h>

using tervalo::platform::LocaleSettings;
using tervalo::platform::SystemLocale;
using tervalo::state::StateError;
using tervalo::state::StateTables;
using tervalo::state::dbf::chooseLanguageDriver;
using tervalo::state::dbf::DbfTable;
using tervalo::test::fileBytes;
using tervalo::test::le16;
using tervalo::test::le32;
using tervalo::test::TempAppDir;

namespace {

class DbfFormatTest : public ::testing::Test {
protected:
    void SetUp() override { tables.OpenStateTables(); }
    QByteArray bytes(const char* name) const { return fileBytes(dir.file(QString::fromLatin1(name))); }
    void reopen() {
        tables.close();
        tables.OpenStateTables();
    }

    TempAppDir dir;
    SystemLocale czech;
    StateTables tables{dir.path(), czech};
};

QByteArray descriptor(const char* name, char type, int width) {
    QByteArray d(32, '\0');
    d.replace(0, int(strlen(name)), name);
    d[11] = type;
    d[16] = char(width);
    return d;
}

TEST_F(DbfFormatTest, freshTablesAreByteExact) {
    const QDate today = QDate::currentDate();
    QByteArray header(32, '\0');
    header[0] = char(0x8B);
    header[1] = char(today.year() - 1900);
    header[2] = char(today.month());
    header[3] = char(today.day());
    header[8] = char(161);
    header[10] = 70;
    header[28] = 1;
    header[29] = char(0xC8);
    QByteArray earchiv = header + descriptor("EMAIL", 'C', 50) + descriptor("EXPORT", 'L', 1) +
                         descriptor("LASTSEND", 'D', 8) + descriptor("NOTE", 'M', 10) + "\x0D\x1A";
    EXPECT_EQ(bytes("EArchiv.dat"), earchiv);
    EXPECT_EQ(earchiv.size(), 162);

    header[8] = char(129);
    header[10] = 22;
    QByteArray edoklady = header + descriptor("DOKLAD", 'C', 10) + descriptor("EXPORT", 'L', 1) +
                          descriptor("POZN", 'M', 10) + "\x0D\x1A";
    EXPECT_EQ(bytes("EDoklady.dat"), edoklady);
    EXPECT_EQ(edoklady.size(), 130);

    QByteArray memo(512, '\0');
    memo[0] = 1;
    memo[21] = 2;  // block length 512
    EXPECT_EQ(bytes("EArchiv.dbt"), memo);

    const QByteArray mdx = bytes("EArchiv.mdx");
    ASSERT_EQ(mdx.size(), 4096);
    EXPECT_EQ(mdx[0], 2);
    EXPECT_EQ(mdx.mid(4, 16), QByteArray("EArchiv").leftJustified(16, '\0'));
    EXPECT_EQ(le16(mdx, 20), 2);
    EXPECT_EQ(le16(mdx, 22), 1024);
    EXPECT_EQ(mdx[24], 1);
    EXPECT_EQ(mdx[25], 48);
    EXPECT_EQ(mdx[26], 32);
    EXPECT_EQ(le16(mdx, 28), 1);
    EXPECT_EQ(quint8(mdx[31]), 0xC8);
    EXPECT_EQ(le32(mdx, 32), 8u);
    EXPECT_EQ(mdx[529], 1);
    EXPECT_EQ(le32(mdx, 544), 4u);
    EXPECT_EQ(mdx.mid(548, 11), QByteArray("EARCHIV").leftJustified(11, '\0'));
    EXPECT_EQ(mdx[559], 0x10);
    EXPECT_EQ(mdx[563], 2);
    EXPECT_EQ(mdx[564], 'C');
    const int tag = 4 * 512;
    EXPECT_EQ(le32(mdx, tag), 6u);  // root
    EXPECT_EQ(mdx[tag + 8], 0x10);
    EXPECT_EQ(mdx[tag + 9], 'C');
    EXPECT_EQ(le16(mdx, tag + 12), 50);
    EXPECT_EQ(le16(mdx, tag + 14), 18);
    EXPECT_EQ(le16(mdx, tag + 18), 56);
    EXPECT_EQ(mdx.mid(tag + 24, 6), QByteArray("EMAIL\0", 6));
    EXPECT_EQ(le16(bytes("EDoklady.mdx"), tag + 18), 16);
}

TEST_F(DbfFormatTest, appendedRecordHasSpacesInFieldsNeverSet) {
    tables.SetAddressExport(QStringLiteral("a@b.cz"), false);
    const QByteArray file = bytes("EArchiv.dat");
    EXPECT_EQ(le32(file, 4), 1u);
    ASSERT_EQ(file.size(), 161 + 70 + 1);
    EXPECT_EQ(file.mid(161, 70), QByteArray(" ") + QByteArray("A@B.CZ").leftJustified(50, ' ') + "F" +
                                     QByteArray(8, ' ') + QByteArray(10, ' '));
    EXPECT_EQ(file.back(), '\x1A');
}

TEST_F(DbfFormatTest, memoBlocksAreReusedOnlyWhenTheOldTextHadEnough) {
    const QString address = QStringLiteral("a@b.cz");
    auto memoField = [&] { return bytes("EArchiv.dat").mid(161 + 60, 10); };
    tables.writeAddressNote(address, QString(600, QLatin1Char('x')));
    QByteArray memo = bytes("EArchiv.dbt");
    EXPECT_EQ(memoField(), "0000000001");
    EXPECT_EQ(memo.mid(512, 4), QByteArray("\xFF\xFF\x08\x00", 4));
    EXPECT_EQ(le32(memo, 516), 608u);
    EXPECT_EQ(le32(memo, 0), 3u);
    EXPECT_EQ(memo.size(), 3 * 512);
    EXPECT_EQ(memo.mid(512 + 608), QByteArray(1024 - 608, ' '));

    tables.writeAddressNote(address, QString(100, QLatin1Char('y')));
    memo = bytes("EArchiv.dbt");
    EXPECT_EQ(memoField(), "0000000001");
    EXPECT_EQ(le32(memo, 516), 108u);
    EXPECT_EQ(le32(memo, 0), 3u);

    tables.writeAddressNote(address, QString(1100, QLatin1Char('z')));
    memo = bytes("EArchiv.dbt");
    EXPECT_EQ(memoField(), "0000000003");
    EXPECT_EQ(le32(memo, 0), 6u);
    EXPECT_EQ(le32(memo, 3 * 512 + 4), 1108u);
    EXPECT_EQ(tables.readAddressNote(address).note, QString(1100, QLatin1Char('z')));

    tables.writeAddressNote(address, QString());
    EXPECT_EQ(memoField(), "0000000000");
    EXPECT_EQ(bytes("EArchiv.dbt").size(), 6 * 512);
}

TEST_F(DbfFormatTest, headerClaimingMoreRecordsThanTheFileHoldsIsCorrectedAtOpen) {
    for (int i = 0; i < 9; ++i) {
        tables.SetDocumentExport(QStringLiteral("FV%1").arg(i), false);
    }
    tables.close();
    QFile file(dir.file(QStringLiteral("EDoklady.dat")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(4);
    file.write(QByteArray("\x0A\0\0\0", 4));
    file.close();
    tables.OpenStateTables();
    EXPECT_EQ(le32(bytes("EDoklady.dat"), 4), 9u);
    EXPECT_EQ(tables.dtEDoklady().recordCount(), 9u);
    EXPECT_FALSE(tables.GetDocumentExport(QStringLiteral("FV8")));
}

TEST_F(DbfFormatTest, deletedIndexIsRebuiltAndDeletedMemoFileIsAnError) {
    for (int i = 0; i < 50; ++i) {
        tables.SetAddressExport(QStringLiteral("user%1@firma.cz").arg(i), i % 2 == 0);
    }
    tables.close();
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("EArchiv.mdx"))));
    tables.OpenStateTables();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(tables.GetAddressExport(QStringLiteral("user%1@firma.cz").arg(i)), i % 2 == 0) << i;
    }
    EXPECT_EQ(bytes("EArchiv.dat")[28], 1);

    tables.close();
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("EArchiv.dbt"))));
    try {
        tables.OpenStateTables();
        FAIL() << "opened without its memo file";
    } catch (const StateError& error) {
        EXPECT_EQ(
            error.text(),
            QStringLiteral("Open: file not found: \"%1\".").arg(dir.file(QStringLiteral("EArchiv.dbt"))));
    }
}

TEST_F(DbfFormatTest, damagedIndexIsRebuiltAtOpen) {
    for (int i = 0; i < 200; ++i) {
        tables.SetDocumentExport(QStringLiteral("D%1").arg(i), false);
    }
    tables.close();
    QFile file(dir.file(QStringLiteral("EDoklady.mdx")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(6 * 512 + 8 + 4);  // a key inside the first node
    file.write("ZZZZ");
    file.close();
    tables.OpenStateTables();
    for (int i = 0; i < 200; ++i) {
        EXPECT_FALSE(tables.GetDocumentExport(QStringLiteral("D%1").arg(i))) << i;
    }
}

struct InvalidCase {
    const char* name;
    QByteArray header;
    QString message;
};

QByteArray validHeader() {
    QByteArray h(32, '\0');
    h[0] = 0x03;
    h[8] = 65;
    h[10] = 11;
    return h + descriptor("DOKLAD", 'C', 10) + "\x0D\x1A";
}

TEST(DbfTableOpen, rejectsFilesThatAreNoTables) {
    const QString invalid = QStringLiteral("Invalid DBF file.");
    QByteArray badType = validHeader();
    badType[32 + 11] = 'X';
    QByteArray noName = validHeader();
    noName[32] = '\0';
    QByteArray badVersion = validHeader();
    badVersion[0] = 0x01;
    QByteArray noFields = validHeader();
    noFields[32] = 0x0D;
    const InvalidCase cases[] = {
        {"zeros", QByteArray(64, '\0'), invalid},
        {"version_low_bits_1", badVersion, invalid},
        {"unknown_type", badType, invalid},
        {"empty_name", noName, invalid},
        {"no_fields", noFields, QStringLiteral("Invalid field count: 0 (must be between 1 and 4095).")},
        {"short_file", QByteArray("\x03\x7C", 2), invalid},
    };
    SystemLocale czech;
    for (const auto& c : cases) {
        TempAppDir dir;
        dir.write(QStringLiteral("T.dat"), c.header);
        DbfTable table(czech);
        table.setFileName(dir.file(QStringLiteral("T.dat")));
        try {
            table.open(tervalo::state::dbf::OpenMode::Shared, false);
            ADD_FAILURE() << c.name << ": opened";
        } catch (const StateError& error) {
            EXPECT_EQ(error.text(), c.message) << c.name;
        }
    }
}

TEST(DbfTableOpen, readsTheDBase7AndFoxProVariants) {
    SystemLocale czech;
    TempAppDir dir;
    QByteArray seven(68, '\0');
    seven[0] = 0x04;
    seven[4] = 1;
    seven[8] = char(68 + 48 + 1);
    seven[10] = 6;
    QByteArray field(48, '\0');
    field.replace(0, 4, "NAME");
    field[32] = 'C';
    field[33] = 5;
    dir.write(QStringLiteral("Seven.dbf"), seven + field + "\x0D" + " Ahoj " + "\x1A");

    QByteArray fox(32, '\0');
    fox[0] = 0x02;
    fox[4] = 1;
    fox[8] = 97;
    fox[10] = 3;
    dir.write(QStringLiteral("Fox.dbf"),
              fox + descriptor("OK", 'L', 1) + descriptor("C", 'C', 1) + "\x0D" + " tX\x1A");

    DbfTable table(czech);
    table.setFileName(dir.file(QStringLiteral("Seven.dbf")));
    table.open(tervalo::state::dbf::OpenMode::Shared, false);
    EXPECT_EQ(table.recordCount(), 1u);
    EXPECT_EQ(table.fieldText(QStringLiteral("name")), QStringLiteral("Ahoj"));
    table.setFileName(dir.file(QStringLiteral("Fox.dbf")));
    table.open(tervalo::state::dbf::OpenMode::Shared, false);
    EXPECT_TRUE(table.fieldFlag(QStringLiteral("OK")));
    EXPECT_EQ(table.fieldText(QStringLiteral("C")), QStringLiteral("X"));
}

TEST(LanguageDriver, choosesByCodePageAndLocaleThenByLocaleAlone) {
    struct Case {
        const char* name;
        int codePage;
        unsigned localeId;
        int expected;
    };
    const Case cases[] = {
        {"czech_1250", 1250, 0x0405, 0xC8},
        {"czech_852_prefers_first_group", 852, 0x0405, 0x1F},
        {"czech_locale_other_page", 1252, 0x0405, 0x1F},
        {"slovak_852", 852, 0x041B, 0x87},
        {"german_1252", 1252, 0x0407, 0x61},
        {"russian_1251", 1251, 0x0419, 0xC9},
        {"unknown_locale", 1250, 0x0C0A, 0x00},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chooseLanguageDriver(c.codePage, c.localeId), c.expected) << c.name;
    }
}

TEST(DbfTableCodePage, textIsConvertedWhenTheTablesCodePageDiffersFromTheSystems) {
    TempAppDir dir;
    LocaleSettings settings;
    settings.ansiCodePage = 852;  // the table is created with driver 0x1F, code page 852
    SystemLocale dos(settings);
    {
        StateTables tables(dir.path(), dos);
        tables.OpenStateTables();
        tables.SetDocumentExport(QStringLiteral("ŘČ1"), false);
    }
    EXPECT_EQ(quint8(fileBytes(dir.file(QStringLiteral("EDoklady.dat")))[29]), 0x1F);
    EXPECT_EQ(fileBytes(dir.file(QStringLiteral("EDoklady.dat"))).mid(129 + 1, 3), QByteArray("\xFC\xAC"
                                                                                              "1"));
    SystemLocale windows;
    StateTables tables(dir.path(), windows);
    tables.OpenStateTables();
    EXPECT_FALSE(tables.GetDocumentExport(QStringLiteral("řč1")));
}

}  // namespace
