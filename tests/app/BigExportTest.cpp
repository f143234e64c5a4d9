#include "AppFixture.h"
#include "app/LoadExport.h"
#include "app/StartUp.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <functional>

// Exports no accounting system writes, made at test time: each is read or refused with the
// program's message, never a crash or a hang.
using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

const QByteArray kHeader =
    "TITUL;HLAVICKA;901;902;903\r\n"
    "TITUL;RADEK;10.12.2026;14;Firma\r\n"
    "ODBERATEL;HLAVICKA;101;102;103;104;105;106;107;108;109;110;111;112;113;114\r\n"
    "FAKTURA;HLAVICKA;201;202;203;204;205;206;207;208\r\n"
    "DOBROPIS;HLAVICKA;301;302;303;304;305;306;307;308\r\n";
const QByteArray kDebtor = "ODBERATEL;RADEK;Alfa;;;;;;;;;alfa@alfa.cz;300,00;300,00;0,00;0,00\r\n";
const QByteArray kInvoice = "FAKTURA;RADEK;FV1;1.9.2026;15.9.2026;1.9.2026;1;300,00;300,00;CZK\r\n";

const Message kWrongFormat{
    QStringLiteral("warning"),
    QStringLiteral(
        "Chybný formát načteného souboru - při exportu z Ekvan je nutné vybrat \"formát CSV\" a dále "
        "zaškrtnout políčko \"názvy polí se budou udávat číselně\". Ukončete tento program a "
        "proveďte znovu export z Ekvan!")};

const QByteArray kLongText = QByteArray("Dlouhy text ").repeated(834).left(10000);

struct BigCase {
    std::string name;
    std::function<QByteArray()> contents;
    bool loads;
    std::vector<Message> messages;
    // Checked on a loaded export: the debtor's name as the table holds it.
    QString debtorName = QStringLiteral("Alfa");
};

class BigExportTest : public ::testing::TestWithParam<BigCase> {};

TEST_P(BigExportTest, loadsOrSaysWhy) {
    const BigCase& c = GetParam();
    test::AppFixture f;
    ASSERT_EQ(app::StartUp(f.session, f.dir.path(), f.ui), app::StartResult::Continue);
    f.ui.clearMessages();
    f.dir.write(QStringLiteral("export.csv"), c.contents());

    EXPECT_EQ(app::LoadExport(f.session, f.dir.file(QStringLiteral("export.csv")), f.ui), c.loads);

    EXPECT_EQ(f.ui.messages(), c.messages);
    if (c.loads) {
        ASSERT_EQ(f.session.tables.mtFirmy.recordCount(), 1);
        f.session.tables.mtFirmy.first();
        EXPECT_EQ(f.session.tables.mtFirmy.text(u"OdbNazev"), c.debtorName);
        EXPECT_EQ(f.session.tables.mtDoklady.recordCount(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exports, BigExportTest,
    ::testing::Values(BigCase{"ten_thousand_character_cells",
                              [] {
                                  QByteArray debtor = "ODBERATEL;RADEK;" + kLongText;
                                  for (int i = 0; i < 8; ++i) {
                                      debtor += ';' + kLongText;
                                  }
                                  return kHeader + debtor + ";alfa@alfa.cz;300,00;300,00;0,00;0,00\r\n" +
                                         kInvoice;
                              },
                              true,
                              {},
                              QString::fromLatin1(kLongText.left(50))},
                      BigCase{"thousand_columns",
                              [] {
                                  const QByteArray extra = QByteArray(";navic").repeated(1000);
                                  QByteArray rows = kHeader;
                                  for (const QByteArray& line : {kDebtor, kInvoice}) {
                                      rows += line.chopped(2) + extra + "\r\n";
                                  }
                                  return rows;
                              },
                              true,
                              {}},
                      BigCase{"only_quotes",
                              [] { return (QByteArray(10000, '"') + "\r\n").repeated(100); },
                              false,
                              {kWrongFormat}},
                      BigCase{
                          "single_line_of_a_hundred_megabytes",
                          [] { return QByteArray("TITUL;HLAVICKA;") + QByteArray(100 * 1024 * 1024, 'x'); },
                          false,
                          {kWrongFormat}}),
    test::CaseName());

}  // namespace
