// Independent readers read what the table layer writes: Perl's XBase (dbf_dump, index_dump) and
// python3-dbfread.
#include "StateTestSupport.h"

#include "state/StateTables.h"

#include "support/TempAppDir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

using tervalo::platform::AnsiCodec;
using tervalo::platform::SystemLocale;
using tervalo::state::StateTables;
using tervalo::test::runProcess;
using tervalo::test::TempAppDir;

namespace {

// Keys whose Czech order differs from their byte order (ch after h, č after c, ř after r...).
QStringList czechWords() {
    return {
        QStringLiteral("chata"), QStringLiteral("hrad"),  QStringLiteral("cukr"),  QStringLiteral("čaj"),
        QStringLiteral("řeka"),  QStringLiteral("ryba"),  QStringLiteral("šňůra"), QStringLiteral("sova"),
        QStringLiteral("žába"),  QStringLiteral("zima"),  QStringLiteral("íbis"),  QStringLiteral("ibis"),
        QStringLiteral("hrubá"), QStringLiteral("hruby"), QStringLiteral("hrubý"), QStringLiteral("ďábel")};
}

class CrossReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables.OpenStateTables();
        QStringList words = czechWords();
        for (int i = 0; i < 700; ++i) {
            addresses << QStringLiteral("%1.%2@firma.cz").arg(words[i % words.size()]).arg(i / words.size());
        }
        std::shuffle(addresses.begin(), addresses.end(), std::mt19937(7));
        for (int i = 0; i < addresses.size(); ++i) {
            tables.SetAddressExport(addresses[i], i % 3 != 0);
            if (i % 50 == 0) {
                tables.writeAddressNote(addresses[i], QStringLiteral("Poznámka č. %1\nřádek 2").arg(i));
            }
        }
    }

    // Our own walk of the index: "KEY RECNO" lines with the raw key bytes, as index_dump prints them.
    QByteArray ourWalk() {
        QByteArray lines;
        auto& table = tables.dtEarchiv();
        for (bool more = table.first(); more; more = table.next()) {
            QByteArray key = codec.encode(table.fieldText(QStringLiteral("EMAIL"))).leftJustified(50, ' ');
            lines += key + ' ' + QByteArray::number(table.recNo()) + '\n';
        }
        return lines;
    }

    TempAppDir dir;
    SystemLocale czech;
    AnsiCodec codec{1250};
    StateTables tables{dir.path(), czech};
    QStringList addresses;
};

TEST_F(CrossReadTest, indexDumpWalksOurIndexInOurCzechOrder) {
    auto dumped = runProcess(
        {QStringLiteral("index_dump"),
         {QStringLiteral("--tag"), QStringLiteral("EARCHIV"), dir.file(QStringLiteral("EArchiv.mdx"))}});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err.toStdString();
    const QByteArray ours = ourWalk();
    EXPECT_EQ(dumped.out, ours);
    EXPECT_EQ(ours.count('\n'), addresses.size());

    QStringList order;
    auto& table = tables.dtEarchiv();
    for (bool more = table.first(); more; more = table.next()) {
        order << table.fieldText(QStringLiteral("EMAIL"));
    }
    for (int i = 1; i < order.size(); ++i) {
        EXPECT_LE(czech.compare(order[i - 1], order[i]), 0)
            << order[i - 1].toStdString() << " / " << order[i].toStdString();
    }
    EXPECT_LT(order.indexOf(QStringLiteral("HRUBY.0@FIRMA.CZ")),
              order.indexOf(QStringLiteral("CHATA.0@FIRMA.CZ")));
    EXPECT_LT(order.indexOf(QStringLiteral("CUKR.0@FIRMA.CZ")),
              order.indexOf(QStringLiteral("ČAJ.0@FIRMA.CZ")));
}

TEST_F(CrossReadTest, dbfDumpReadsRecordsAndMemos) {
    auto dumped =
        runProcess({QStringLiteral("dbf_dump"),
                    {QStringLiteral("--fs"), QStringLiteral("|"), QStringLiteral("--memofile"),
                     dir.file(QStringLiteral("EArchiv.dbt")), dir.file(QStringLiteral("EArchiv.dat"))}});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err.toStdString();
    const QStringList lines = codec.decode(dumped.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), addresses.size() + 14);  // each of the 14 notes spans two lines
    for (int i = 0; i < addresses.size(); i += 50) {
        const QString expected = QStringLiteral("%1|%2|%3|Poznámka č. %4\r")
                                     .arg(czech.toUpper(addresses[i]),
                                          i % 3 != 0 ? QStringLiteral("1") : QStringLiteral("0"), QString())
                                     .arg(i);
        EXPECT_TRUE(lines.contains(expected)) << expected.toStdString();
    }
    EXPECT_TRUE(lines.contains(QStringLiteral("%1|1||").arg(czech.toUpper(addresses[1]))));
}

TEST_F(CrossReadTest, dbfreadReadsRecordsAndMemos) {
    const QString script = QStringLiteral(
        "import dbfread, json, sys\n"
        "t = dbfread.DBF(sys.argv[1], encoding='cp1250', char_decode_errors='strict')\n"
        "rows = [{'EMAIL': r['EMAIL'], 'EXPORT': r['EXPORT'], 'NOTE': r['NOTE']} for r in t]\n"
        "print(json.dumps({'codepage': t.encoding, 'rows': rows}))\n");
    auto result = runProcess({QStringLiteral(TERVALO_PYTHON),
                              {QStringLiteral("-c"), script, dir.file(QStringLiteral("EArchiv.dat"))}});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(result.out).object();
    const QJsonArray rows = json[QStringLiteral("rows")].toArray();
    ASSERT_EQ(rows.size(), addresses.size());
    for (int i = 0; i < addresses.size(); ++i) {
        const QJsonObject row = rows[i].toObject();
        EXPECT_EQ(row[QStringLiteral("EMAIL")].toString(), czech.toUpper(addresses[i]));
        EXPECT_EQ(row[QStringLiteral("EXPORT")].toBool(), i % 3 != 0);
        if (i % 50 == 0) {
            // dbfread returns the 8 bytes of the memo prefix as extra text at the end of a dBASE IV memo.
            EXPECT_TRUE(row[QStringLiteral("NOTE")].toString().startsWith(
                QStringLiteral("Poznámka č. %1\r\nřádek 2").arg(i)));
        }
    }
}

}  // namespace
