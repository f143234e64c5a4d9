#include "StateTestSupport.h"

#include "state/FixedKeyTable.h"
#include "state/StateSchema.h"
#include "state/StateTables.h"
#include "state/StoredKey.h"

#include "support/TempAppDir.h"

#include <QFile>

#include <gtest/gtest.h>

using tervalo::platform::LocaleSettings;
using tervalo::platform::SystemLocale;
using tervalo::state::DocumentState;
using tervalo::state::StateError;
using tervalo::state::StateTables;
using tervalo::state::StoredKey;
using tervalo::test::TempAppDir;
namespace Schema = tervalo::state::Schema;

namespace {

// Appends a record without looking its key up first, as another program may have: keys can repeat.
void appendRaw(tervalo::state::dbf::DbfTable& table, const QString& keyField, const QString& key, bool flag,
               const QString& memoField = {}, const QString& memo = {}) {
    table.append();
    table.setFieldText(keyField, key);
    table.setFieldFlag(Schema::exportFlag, flag);
    if (!memo.isEmpty()) {
        table.setMemoText(memoField, memo);
    }
    table.post();
}

void patchRecord(const tervalo::state::dbf::DbfTable& table, quint32 record, int offset,
                 const QByteArray& bytes) {
    QFile file(table.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(table.layout().headerLength + qint64(record - 1) * table.layout().recordLength + offset);
    file.write(bytes);
}

using StateSnapshotTest = tervalo::test::OpenStateTablesTest;

TEST_F(StateSnapshotTest, answersAsTheLookupsOfTheIndex) {
    tables.SetDocumentExport(QStringLiteral("FV1"), false);
    tables.SetDocumentExport(QStringLiteral("fv2"), true);
    tables.SetDocumentExport(QStringLiteral("čř-ž1"), false);
    tables.writeDocumentNote(QStringLiteral("NOTE1"), QStringLiteral("pozor\nplatí"));
    tables.writeDocumentNote(QStringLiteral("NOTE0"), QStringLiteral("x"));
    tables.writeDocumentNote(QStringLiteral("NOTE0"), QString());
    tables.SetDocumentExport(QStringLiteral("DOC-0123456789XYZ"), false);
    tables.SetDocumentExport(QStringLiteral("GONE"), false);  // record 7, deleted below
    auto& doklady = tables.dtEDoklady();
    appendRaw(doklady, Schema::doklad, QStringLiteral("DUP"), false);
    appendRaw(doklady, Schema::doklad, QStringLiteral("DUP"), true, Schema::pozn, QStringLiteral("n"));
    appendRaw(doklady, Schema::doklad, QStringLiteral("DUPDEL"), false);  // record 10, deleted below
    appendRaw(doklady, Schema::doklad, QStringLiteral("DUPDEL"), true, Schema::pozn, QStringLiteral("n"));

    const QString longAddress =
        QStringLiteral("velmi.dlouha.adresa.ktera.se.do.pole.nevejde@example-firma.cz");
    tables.SetAddressExport(QStringLiteral("žluťoučký@kůň.cz"), false);
    tables.SetAddressExport(QStringLiteral("Ann@X.cz"), true);
    tables.SetAddressExport(longAddress, false);
    tables.SetAddressExport(QStringLiteral("gone@x.cz"), false);  // record 4, deleted below
    auto& archiv = tables.dtEarchiv();
    appendRaw(archiv, Schema::email, QStringLiteral("DUP@X.CZ"), false);
    appendRaw(archiv, Schema::email, QStringLiteral("DUP@X.CZ"), true);

    patchRecord(doklady, 7, 0, "*");
    patchRecord(doklady, 10, 0, "*");
    patchRecord(archiv, 4, 0, "*");
    tables.OpenStateTables();  // the index drops the deleted records

    const tervalo::state::StateSnapshot snapshot = tables.snapshot();
    const char* documents[] = {"",           "FV1",      "fv1",   "FV1 ",  " FV1",  "Fv2",
                               "čř-ž1",      "ČŘ-Ž1",    "cr-z1", "note1", "NOTE0", "doc-0123456789",
                               "DOC-012345", "DOC-0123", "GONE",  "DUP",   "dup",   "DUPDEL",
                               "missing"};
    for (const char* text : documents) {
        const QString number = QString::fromUtf8(text);
        const DocumentState stored = tables.documentState(number);
        const DocumentState snapped = snapshot.documentState(number);
        EXPECT_EQ(snapped.exportFlag, stored.exportFlag) << text;
        EXPECT_EQ(snapped.hasNote, stored.hasNote) << text;
    }
    const char* addresses[] = {"",         "ŽLUŤOUČKÝ@KŮŇ.CZ", "žluťoučký@kůň.cz", "zlutoucky@kun.cz",
                               "ann@x.cz", "gone@x.cz",        "dup@x.cz",         "nobody@x.cz"};
    for (const char* text : addresses) {
        const QString address = QString::fromUtf8(text);
        EXPECT_EQ(snapshot.addressExport(address), tables.GetAddressExport(address)) << text;
    }
    EXPECT_FALSE(snapshot.addressExport(longAddress.toUpper()));
    EXPECT_FALSE(snapshot.addressExport(longAddress.left(50) + QStringLiteral("jinak")));

    // The fixture reaches each case: the first of equal keys, a deleted first, a cut key, a note.
    EXPECT_FALSE(snapshot.documentState(QStringLiteral("dup")).exportFlag);
    EXPECT_FALSE(snapshot.documentState(QStringLiteral("dup")).hasNote);
    EXPECT_TRUE(snapshot.documentState(QStringLiteral("DUPDEL")).hasNote);
    EXPECT_TRUE(snapshot.documentState(QStringLiteral("GONE")).exportFlag);
    EXPECT_FALSE(snapshot.documentState(QStringLiteral("doc-0123456789")).exportFlag);
    EXPECT_TRUE(snapshot.documentState(QStringLiteral("note1")).hasNote);
    EXPECT_FALSE(snapshot.documentState(QStringLiteral("note0")).hasNote);
    EXPECT_FALSE(snapshot.addressExport(QStringLiteral("dup@x.cz")));
    EXPECT_TRUE(snapshot.addressExport(QStringLiteral("gone@x.cz")));
}

TEST_F(StateSnapshotTest, anUnreadableNoteFailsOnlyTheDocumentThatHasIt) {
    tables.SetDocumentExport(QStringLiteral("FV1"), false);
    tables.writeDocumentNote(QStringLiteral("BAD"), QStringLiteral("text"));
    const auto& pozn = tables.dtEDoklady()
                           .layout()
                           .fields[std::size_t(tables.dtEDoklady().layout().fieldIndex(Schema::pozn))];
    patchRecord(tables.dtEDoklady(), 2, pozn.offset, "0000009999");  // past the end of the memo file

    QString expected;
    try {
        tables.documentState(QStringLiteral("BAD"));
        FAIL() << "read a note past the end of the memo file";
    } catch (const StateError& error) {
        expected = error.text();
    }
    const tervalo::state::StateSnapshot snapshot = tables.snapshot();
    EXPECT_FALSE(snapshot.documentState(QStringLiteral("fv1")).exportFlag);
    try {
        snapshot.documentState(QStringLiteral("bad"));
        FAIL() << "the snapshot hid the unreadable note";
    } catch (const StateError& error) {
        EXPECT_EQ(error.text(), expected);
    }
}

// The per-character path must give the bytes of upper-casing the whole text, then encoding and cutting.
TEST(StoredKey, givesTheBytesOfTheLocaleUpperCaseCutToTheWidth) {
    LocaleSettings turkish;
    turkish.ansiCodePage = 1254;
    turkish.localeId = 0x041F;
    turkish.languageTag = QStringLiteral("tr_TR");
    const SystemLocale locales[] = {SystemLocale(), SystemLocale(turkish)};
    const char* texts[] = {"",
                           "abc-12/x",
                           "příliš žluťoučký kůň",
                           "úpěl ďábelské ódy",
                           "ÄÖÜäöü łódź",
                           "straße",
                           "ßßßßßßßßßßß",
                           "abcdefghijß",
                           "ŉ",
                           "ÿ µ ı i İ",
                           "i\u0307x",
                           "άλφα",
                           "x\u0301y",
                           "ǆ ﬀ",
                           "a\tb\u0001",
                           "\U0001F600 smile"};
    for (const SystemLocale& locale : locales) {
        for (int width : {1, 10, 50}) {
            const StoredKey key(locale, locale.codec(), width);
            for (const char* text : texts) {
                const QString t = QString::fromUtf8(text);
                const QByteArray expected =
                    locale.codec().encode(locale.toUpper(t)).left(width).leftJustified(width, ' ');
                EXPECT_EQ(key.encode(t), expected)
                    << locale.settings().languageTag.toStdString() << " " << width << " " << text;
            }
        }
    }
}

}  // namespace

TEST(FixedKeyTable, keepsTheFirstValueOfAKeyAndGrowsPastItsExpectedSize) {
    tervalo::state::FixedKeyTable table(6, 4);  // far more keys than expected: it grows many times
    auto key = [](int n) { return QByteArray::number(n).rightJustified(6, ' '); };
    for (int n = 0; n < 5000; ++n) {
        EXPECT_TRUE(table.insert(key(n).constData(), quint8(n % 8)));
    }
    EXPECT_FALSE(table.insert(key(7).constData(), 0));  // present: the first value stays
    EXPECT_EQ(table.size(), 5000u);
    for (int n = 0; n < 5000; ++n) {
        ASSERT_EQ(table.find(key(n).constData()), std::optional<quint8>(quint8(n % 8))) << n;
    }
    EXPECT_EQ(table.find(key(5000).constData()), std::nullopt);
    EXPECT_EQ(table.find("      "), std::nullopt);
    EXPECT_THROW(table.insert(key(6000).constData(), 0x80), std::invalid_argument);
}
