#include "import/ApplyLateInterest.h"
#include "import/BuildTables.h"
#include "import/DebtorInterest.h"
#include "import/ExportReader.h"
#include "import/LateInterest.h"
#include "state/StateTables.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"
#include "support/RunProcess.h"
#include "support/TempAppDir.h"

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

const QString kShippedRates = QStringLiteral(TERVALO_SOURCE_DIR "/data/files/") + import::ShippedRatesFile;

import::LateInterestRates shippedRates(){
    return import::LateInterestRates(import::ParseRates(test::fileBytes(kShippedRates)), {});
}  // namespace

struct InterestCase {
    const char* name;
    QDate due;
    const char* remaining;
    QDate asOf;
    int days;
    const char* rate;  // "-": none
    const char* interest;
};

// Across half-year boundaries, a leap year, a missing half-year and the rounding.
const InterestCase kCases[] = {
    {"first half-year 2022, 183 days", {2022, 6, 15}, "10000", {2022, 12, 15}, 183, "11.75", "589.11"},
    {"due 29.6.: delay begins 30.6.", {2024, 6, 29}, "10000", {2024, 9, 30}, 93, "14.75", "375.82"},
    {"due 30.6.: delay begins 1.7.", {2024, 6, 30}, "10000", {2024, 9, 30}, 92, "12.75", "321.37"},
    {"due 31.12.: delay begins in the next year",
     {2024, 12, 31},
     "10000",
     {2025, 1, 31},
     31,
     "12.00",
     "101.92"},
    {"leap year counts 29 February", {2024, 1, 31}, "1000", {2024, 3, 1}, 30, "14.75", "12.12"},
    {"half a cent rounds up", {2023, 1, 10}, "1.25", {2023, 6, 5}, 146, "15.00", "0.08"},
    {"the rate stays for the whole delay",
     {2022, 12, 31},
     "2500.50",
     {2025, 12, 31},
     1096,
     "15.00",
     "1126.25"},
    {"half-year without a rate", {2026, 6, 30}, "500", {2026, 12, 10}, 163, "-", "0.00"},
    {"due on the as-of date", {2026, 12, 10}, "500", {2026, 12, 10}, 0, "-", "0.00"},
    {"not yet due", {2026, 12, 20}, "500", {2026, 12, 10}, 0, "-", "0.00"},
    {"nothing remaining", {2025, 3, 1}, "0", {2026, 12, 10}, 649, "-", "0.00"},
};

QString resultLine(int days, const std::optional<int>& rate, qint64 cents) {
    return QStringLiteral("%1;%2;%3")
        .arg(days)
        .arg(rate ? import::FormatRate(*rate) : QStringLiteral("-"))
        .arg(import::FormatRate(int(cents)));
}

TEST(LateInterest, casesMatchTheirValuesAndAnIndependentDecimalComputation) {
    const import::LateInterestRates rates = shippedRates();
    QByteArray input;
    QStringList computed;
    QStringList expected;
    for (const InterestCase& c : kCases) {
        const import::LateInterest interest =
            import::ComputeLateInterest(c.due, QString::fromLatin1(c.remaining).toDouble(), c.asOf, rates);
        computed << resultLine(interest.days, interest.rate, interest.cents);
        expected
            << QStringLiteral("%1;%2;%3").arg(c.days).arg(QLatin1String(c.rate), QLatin1String(c.interest));
        input += c.due.toString(Qt::ISODate).toLatin1() + ';' + c.remaining + ';' +
                 c.asOf.toString(Qt::ISODate).toLatin1() + '\n';
    }
    const test::ProcessResult python = test::runProcess(
        {.program = QStringLiteral(TERVALO_PYTHON),
         .arguments = {QStringLiteral(TERVALO_SOURCE_DIR "/tests/import/late_interest_check.py"),
                       kShippedRates},
         .input = input});
    ASSERT_EQ(python.exitCode, 0) << python.err.toStdString();
    const QStringList independent =
        QString::fromUtf8(python.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        EXPECT_EQ(computed[qsizetype(i)], expected[qsizetype(i)]) << kCases[i].name;
        EXPECT_EQ(computed[qsizetype(i)], independent.value(qsizetype(i))) << kCases[i].name;
    }
    EXPECT_EQ(import::ComputeLateInterest({2026, 6, 30}, 500, {2026, 12, 10}, rates).missingHalfYear,
              QDate(2026, 7, 1));
}

TEST(LateInterestRates, userRowsWinAndOnlyRowsDifferingFromTheShippedOnesAreKept) {
    test::TempAppDir dir;
    dir.write(import::ShippedRatesFile,
              "# comment\n2025-07-01;3.50;11.50\n2026-01-01;3.50;11.50\n"
              "2026-02-01;1;9\nnot a row\n2026-07-01;x;1\n");
    dir.write(import::UserRatesFile, "2026-01-01;3,25;11,25\n2026-07-01;3.5;11.5\n");
    import::LateInterestRates rates = import::LateInterestRates::load(dir.path());
    EXPECT_EQ(rates.rows(),
              (std::vector<import::HalfYearRate>{
                  {{2025, 7, 1}, 350, 1150}, {{2026, 1, 1}, 325, 1125}, {{2026, 7, 1}, 350, 1150}}));

    // Back to the shipped value for 1.1.2026, a new row for 1.1.2027.
    ASSERT_TRUE(import::SaveUserRates(dir.path(), rates,
                                      {{{2025, 7, 1}, 350, 1150},
                                       {{2026, 1, 1}, 350, 1150},
                                       {{2026, 7, 1}, 350, 1150},
                                       {{2027, 1, 1}, 300, 1100}}));
    EXPECT_EQ(import::ParseRates(dir.read(import::UserRatesFile)),
              (std::vector<import::HalfYearRate>{{{2026, 7, 1}, 350, 1150}, {{2027, 1, 1}, 300, 1100}}));
    EXPECT_EQ(import::LateInterestRates::load(dir.path()).forHalfYear({2026, 1, 1})->statutory, 1150);
}

// An export as of 10.12.2026 in a program folder with the shipped rates.
struct InterestFixture {
    InterestFixture() {
        test::writeDemoDefFile(dir);
        stateTables.OpenStateTables();
    }

    void build(const QString& rows, bool compensation) {
        const QString text =
            QStringLiteral(
                "TITUL;HLAVICKA;901;902;903\n"
                "ODBERATEL;HLAVICKA;101;102;103;104;105;106;107;108;109;110;111;112;113;114\n"
                "FAKTURA;HLAVICKA;201;202;203;204;205;206;207;208\n"
                "DOBROPIS;HLAVICKA;301;302;303;304;305;306;307;308\n"
                "TITUL;RADEK;10.12.2026;14;Dodavatel s.r.o.\n") +
            rows;
        import::ExportReader::ParseExport(test::cp1250().encode(text), matrix);
        ASSERT_TRUE(import::BuildTables(
            tables, {matrix, dir.file(QStringLiteral("uhterv.def")), QLatin1Char(','), QDate(2026, 12, 10)},
            stateTables.snapshot(), ui));
        import::ShowMissingRatesMessage(import::ApplyLateInterest(tables, shippedRates(), compensation), ui);
    }

    QStringList documentColumn(const char16_t* field) {
        QStringList values;
        for (int position = 0; position < tables.mtDoklady.recordCount(); ++position) {
            values << tables.mtDoklady.value(tables.mtDoklady.rowAt(position), tables.mtDoklady.field(field))
                          .toString();
        }
        return values;
    }

    test::TempAppDir dir;
    platform::SystemLocale locale;
    state::StateTables stateTables{dir.path(), locale};
    import::CellMatrix matrix;
    import::ExportTables tables{locale};
    test::FakeUserInterface ui;
};

const QString kTwoDebtors = QStringLiteral(
    "ODBERATEL;RADEK;Alfa;;;;;;;;;alfa@a.cz;0;0;0;0\n"
    "FAKTURA;RADEK;FV1;;15.6.2026;;;12000;10000;CZK\n"
    "FAKTURA;RADEK;FV2;;30.6.2026;;;900;500;\n"
    "FAKTURA;RADEK;FV3;;1.3.2026;;;2000;1000;EUR\n"
    "FAKTURA;RADEK;FV4;;20.12.2026;;;800;800;CZK\n"
    "DOBROPIS;RADEK;DB1;;1.3.2026;;;-300;-300;CZK\n"
    "ODBERATEL;RADEK;Beta;;;;;;;;;beta@b.cz;0;0;0;0\n"
    "FAKTURA;RADEK;FV5;;10.9.2026;;;100;100;CZK\n");

TEST(ApplyLateInterest, fillsDocumentsAndDebtorsAndNamesAMissingHalfYearOnce) {
    InterestFixture f;
    f.build(kTwoDebtors, true);
    // One message for two documents whose delay began in the second half of 2026.
    EXPECT_EQ(
        f.ui.messages(),
        (std::vector<Message>{
            {QStringLiteral("warning"),
             QStringLiteral("Chybí sazba úroku z prodlení pro pololetí začínající 1.7.2026. Doklady, "
                            "jejichž prodlení začalo v tomto pololetí, jsou bez úroku z prodlení. Sazbu "
                            "doplníte v Nastavení na záložce \"Úroky z prodlení\".")}}));
    auto& firmy = f.tables.mtFirmy;
    ASSERT_TRUE(firmy.findKey(QStringLiteral("Alfa")));
    // 10 000 at 11.50 % for 178 days; 1 000 EUR for 284 days; the rest: no rate, not due, credit note.
    EXPECT_EQ(
        f.documentColumn(u"UrokZProdleni"),
        (QStringList{QStringLiteral("560.82"), QString(), QStringLiteral("89.48"), QString(), QString()}));
    EXPECT_EQ(f.documentColumn(u"SazbaUroku"),
              (QStringList{QStringLiteral("11.5"), QString(), QStringLiteral("11.5"), QString(), QString()}));
    EXPECT_DOUBLE_EQ(firmy.floatValue(u"UrokCelkem"), 560.82);
    EXPECT_EQ(firmy.text(u"UrokCelkemMeny"), QStringLiteral("EUR 89,48"));
    // FV1 and FV2 are CZK invoices past due (FV2 names no currency); FV3 is in EUR, FV4 not due.
    EXPECT_DOUBLE_EQ(firmy.floatValue(u"Naklady"), 2400);
    ASSERT_TRUE(firmy.findKey(QStringLiteral("Beta")));
    EXPECT_DOUBLE_EQ(firmy.floatValue(u"UrokCelkem"), 0);
    EXPECT_EQ(firmy.text(u"UrokCelkemMeny"), QString());
}

TEST(ApplyLateInterest, compensationOffAndExcludedDocumentsClaimNothing) {
    InterestFixture f;
    f.stateTables.SetDocumentExport(QStringLiteral("FV1"), false);
    f.build(kTwoDebtors, false);
    ASSERT_TRUE(f.tables.mtFirmy.findKey(QStringLiteral("Alfa")));
    EXPECT_DOUBLE_EQ(f.tables.mtFirmy.floatValue(u"Naklady"), 0);
    EXPECT_DOUBLE_EQ(f.tables.mtFirmy.floatValue(u"UrokCelkem"), 0);  // FV1 is excluded

    const import::DebtorInterest owed = import::CurrentDebtorInterest(f.tables);
    QStringList numbers;
    for (const auto& document : owed.documents) {
        numbers << document.number;
    }
    EXPECT_EQ(numbers, (QStringList{QStringLiteral("FV2"), QStringLiteral("FV3")}));
    EXPECT_EQ(owed.totals, (std::map<QString, double>{{QStringLiteral("EUR"), 89.48}}));
    EXPECT_EQ(owed.compensation, 0);

    // Including FV1 again, as the browser's command does, counts it in the debtor's totals.
    f.tables.CompensationClaimed = true;
    auto& doklady = f.tables.mtDoklady;
    doklady.first();
    doklady.edit();
    doklady.setBool(u"Exportovat", true);
    doklady.post();
    import::StoreDebtorInterest(f.tables);
    EXPECT_DOUBLE_EQ(f.tables.mtFirmy.floatValue(u"UrokCelkem"), 560.82);
    EXPECT_EQ(f.tables.mtFirmy.text(u"UrokCelkemMeny"), QStringLiteral("EUR 89,48"));
    EXPECT_DOUBLE_EQ(f.tables.mtFirmy.floatValue(u"Naklady"), 2400);
}

}  // namespace
