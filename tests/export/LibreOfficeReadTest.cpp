#include "ExportTestSupport.h"

#include "export/ExportDebtorList.h"

#include "support/LibreOfficeCsv.h"

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

QStringList convertToCsv(const QString& xls, const QString& workDir) {
    return test::libreOfficeCsvLines(xls, QStringLiteral("Dlužníci"), workDir);
}

QString number(double value) {
    return QString::number(value, 'g', 15);
}

QString lineStartingWith(const QStringList& lines, const QString& start) {
    for (const QString& line : lines) {
        if (line.startsWith(start)) {
            return line;
        }
    }
    return QString();
}

// The totals at the end are formulas over the grown debtor band: LibreOffice must compute them from
// the debtors' own totals, also when the band is gone.
TEST(LibreOfficeRead, totalsAreRecalculatedOverAllDebtorsAndOverNone) {
    test::DemoExport f;
    const QString demo = f.dir.file(QStringLiteral("demo.xls"));
    ASSERT_TRUE(exporting::WriteDebtorList(f.session.tables, f.templatePath(), demo, f.ui));
    double celkem = 0, zbyva = 0, dobr = 0, zbyvaDobr = 0;
    auto& firmy = f.session.tables.mtFirmy;
    for (firmy.first(); !firmy.eof(); firmy.next()) {
        celkem += firmy.floatValue(u"Celkem");
        zbyva += firmy.floatValue(u"ZbyvaUh");
        dobr += firmy.floatValue(u"CelkemDobr");
        zbyvaDobr += firmy.floatValue(u"ZbyvaUhDobr");
    }

    const QStringList lines = convertToCsv(demo, f.dir.path());
    EXPECT_EQ(lines.value(5), QStringLiteral("Alfa Stavby s.r.o.,,,,,IČO:,25596641,"));
    EXPECT_EQ(lines.value(7), QStringLiteral("FV260101,260101,2.9.2026,16.9.2026,") +
                                  QString::number(QDate(2026, 9, 16).daysTo(QDate::currentDate())) +
                                  QStringLiteral(",CZK,48400,48400"));
    EXPECT_EQ(
        lineStartingWith(lines, QStringLiteral("Faktury všech")),
        QStringLiteral("Faktury všech dlužníků,,,,,,") + number(celkem) + QLatin1Char(',') + number(zbyva));
    EXPECT_EQ(lineStartingWith(lines, QStringLiteral("Dobropisy všech")),
              QStringLiteral("Dobropisy všech dlužníků,,,,,,") + number(dobr) + QLatin1Char(',') +
                  number(zbyvaDobr));
    EXPECT_EQ(
        lineStartingWith(lines, QStringLiteral("Počet")),
        QStringLiteral("Počet dlužníků:,,,") + QString::number(firmy.recordCount()) + QStringLiteral(",,,,"));

    test::AppFixture empty;
    const QString none = f.dir.file(QStringLiteral("none.xls"));
    ASSERT_TRUE(exporting::WriteDebtorList(empty.session.tables, f.templatePath(), none, empty.ui));
    const QStringList emptyLines = convertToCsv(none, f.dir.path());
    EXPECT_EQ(lineStartingWith(emptyLines, QStringLiteral("Faktury všech")),
              QStringLiteral("Faktury všech dlužníků,,,,,,0,0"));
    EXPECT_EQ(lineStartingWith(emptyLines, QStringLiteral("Počet")),
              QStringLiteral("Počet dlužníků:,,,0,,,,"));
}

}  // namespace
