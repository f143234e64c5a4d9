#include "ExportTestSupport.h"

#include "export/ExportDebtorList.h"

#include "support/LibreOfficeCsv.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

QStringList convertToCsv(const QString& xls, const QString& workDir) {
    return test::libreOfficeCsvLines(xls, QStringLiteral("Dlužníci"), workDir);
}

QString lineStartingWith(const QStringList& lines, const QString& start) {
    for (const QString& line : lines) {
        if (line.startsWith(start)) {
            return line;
        }
    }
    return QString();
}

// LibreOffice reads the workbook as the program wrote it: the demo's debtors in their rows, one pair
// of total lines per currency (never CZK and EUR added together), and the count of debtors computed
// from its formula over the grown debtor band, also when the band is gone.
TEST(LibreOfficeRead, totalsPerCurrencyAndTheCountOverAllDebtorsAndOverNone) {
    test::DemoExport f;
    const QString demo = f.dir.file(QStringLiteral("demo.xls"));
    ASSERT_TRUE(exporting::WriteDebtorList(f.session.tables, f.templatePath(), demo, f.ui));

    const QStringList lines = convertToCsv(demo, f.dir.path());
    EXPECT_EQ(lines.value(5), QStringLiteral("Alfa Stavby s.r.o.,,,,,IČO:,25596641,,Úroveň upomínky:,,,,,"));
    EXPECT_EQ(lines.value(7), QStringLiteral("FV260101,260101,2.9.2026,16.9.2026,") +
                                  QString::number(QDate(2026, 9, 16).daysTo(QDate::currentDate())) +
                                  QStringLiteral(",CZK,48400,48400,,,,,,"));
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^(Faktury|Dobropisy) všech"))),
              (QStringList{QStringLiteral("Faktury všech dlužníků,,,,,CZK,317444,264593.75,,,,,,"),
                           QStringLiteral("Dobropisy všech dlužníků,,,,,CZK,-13310,-13310,,,,,,"),
                           QStringLiteral("Faktury všech dlužníků,,,,,EUR,1500,1500,,,,,,"),
                           QStringLiteral("Dobropisy všech dlužníků,,,,,EUR,0,0,,,,,,")}));
    EXPECT_EQ(lineStartingWith(lines, QStringLiteral("Počet")),
              QStringLiteral("Počet dlužníků:,,,") + QString::number(f.session.tables.mtFirmy.recordCount()) +
                  QStringLiteral(",,,,,,,,,,"));

    test::AppFixture empty;
    const QString none = f.dir.file(QStringLiteral("none.xls"));
    ASSERT_TRUE(exporting::WriteDebtorList(empty.session.tables, f.templatePath(), none, empty.ui));
    const QStringList emptyLines = convertToCsv(none, f.dir.path());
    EXPECT_EQ(lineStartingWith(emptyLines, QStringLiteral("Faktury všech")), QString());
    EXPECT_EQ(lineStartingWith(emptyLines, QStringLiteral("Počet")),
              QStringLiteral("Počet dlužníků:,,,0,,,,,,,,,,"));
}

}  // namespace
