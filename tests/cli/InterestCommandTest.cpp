#include "CliRunner.h"
#include "import/LateInterestRates.h"
#include "support/DemoData.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

class CliInterestTest : public ::testing::Test {
protected:
    CliInterestTest() {
        test::writeDemoDefFile(dir);
        dir.write(
            import::ShippedRatesFile,
            test::fileBytes(QStringLiteral(TERVALO_SOURCE_DIR "/data/files/") + import::ShippedRatesFile));
        dir.write(QStringLiteral("e.csv"),
                  test::cp1250().encode(QStringLiteral(
                      "TITUL;HLAVICKA;901;902;903\nTITUL;RADEK;15.12.2022;14;Dodavatel\n"
                      "ODBERATEL;HLAVICKA;101;102;103;104;105;106;107;108;109;110;111;112;113;114\n"
                      "FAKTURA;HLAVICKA;201;202;203;204;205;206;207;208\n"
                      "DOBROPIS;HLAVICKA;301;302;303;304;305;306;307;308\n"
                      "ODBERATEL;RADEK;Alfa;;;;;;;;;alfa@a.cz;0;0;0;0\n"
                      "FAKTURA;RADEK;FV1;;15.6.2022;;;12000;10000;CZK\n"
                      "FAKTURA;RADEK;FV2;;1.12.2022;;;500;400;EUR\n"
                      "FAKTURA;RADEK;FV3;;20.12.2022;;;800;800;CZK\n"
                      "DOBROPIS;RADEK;DB1;;1.6.2022;;;-300;-300;CZK\n")));
    }

    QJsonObject interest(int debtor) {
        const test::CliResult result = test::runCli(
            {QStringLiteral("--app-dir"), dir.path(), QStringLiteral("interest"),
             dir.file(QStringLiteral("e.csv")), QStringLiteral("--debtor"), QString::number(debtor)});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.err, QString());
        return QJsonDocument::fromJson(result.out.toUtf8()).object();
    }

    test::TempAppDir dir;
};

// Due 15.6.2022 with 10 000 CZK left, as of 15.12.2022: 183 days at the rate of the first half-year.
TEST_F(CliInterestTest, printsTheDocumentsPastDueWithTheirInterestAndTotalsPerCurrency) {
    const QJsonObject expected = QJsonDocument::fromJson(R"({"debtor": 1, "documents": [
        {"number": "FV1", "due": "2022-06-15", "days": 183, "remaining": 10000, "currency": "CZK",
         "rate": 11.75, "interest": 589.11},
        {"number": "FV2", "due": "2022-12-01", "days": 14, "remaining": 400, "currency": "EUR",
         "rate": 15, "interest": 2.3}],
        "totals": {"CZK": 589.11, "EUR": 2.3}, "compensation": 0})")
                                     .object();
    EXPECT_EQ(interest(1), expected);

    const test::CliResult set =
        test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("settings"),
                      QStringLiteral("set"), QStringLiteral("NahradaNakladu"), QStringLiteral("1")});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_EQ(interest(1).value(QStringLiteral("compensation")).toDouble(), 1200);  // FV1 only: CZK
}

TEST_F(CliInterestTest, anUnknownDebtorIsAnError) {
    const test::CliResult result =
        test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("interest"),
                      dir.file(QStringLiteral("e.csv")), QStringLiteral("--debtor"), QStringLiteral("9")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, QStringLiteral("error: Odběratel s ID 9 v exportu není.\n"));
}

}  // namespace
