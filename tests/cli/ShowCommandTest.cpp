#include "CliRunner.h"
#include "support/DemoData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

TEST(CliShow, printsTitleValuesAndBothTablesInTheirOrder) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    dir.write(QStringLiteral("e.csv"), test::cp1250().encode(QStringLiteral(
                                           "TITUL;HLAVICKA;901;903\nTITUL;RADEK;1.12.2026;Dodavatel\n"
                                           "ODBERATEL;HLAVICKA;101;110;112\nFAKTURA;HLAVICKA;201;203;207\n"
                                           "FAKTURA;RADEK;F0;1.12.2026;5\n"
                                           "ODBERATEL;RADEK;Žluťák;z@x.cz;10,5\nFAKTURA;RADEK;F1;1.12.2026;1,"
                                           "25\nFAKTURA;RADEK;F2;2.12.2026;2\n"
                                           "ODBERATEL;RADEK;Adam;;3\nFAKTURA;RADEK;F3;3.12.2026;3\n")));
    auto result = test::runCli(
        {QStringLiteral("--app-dir"), dir.path(), QStringLiteral("show"), dir.file(QStringLiteral("e.csv"))});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QJsonObject json = QJsonDocument::fromJson(result.out.toUtf8()).object();
    EXPECT_EQ(json.value(QStringLiteral("AsOfDate")).toString(), QStringLiteral("1.12.2026"));
    EXPECT_EQ(json.value(QStringLiteral("ToleranceDays")).toString(), QString());
    EXPECT_EQ(json.value(QStringLiteral("SupplierName")).toString(), QStringLiteral("Dodavatel"));
    EXPECT_FALSE(json.value(QStringLiteral("NoDocuments")).toBool());

    QJsonArray firmy = json.value(QStringLiteral("mtFirmy")).toArray();
    ASSERT_EQ(firmy.size(), 2);
    QJsonObject adam = firmy[0].toObject();
    EXPECT_EQ(adam.value(QStringLiteral("OdbNazev")).toString(), QStringLiteral("Adam"));
    EXPECT_EQ(adam.value(QStringLiteral("ID")).toInt(), 2);
    EXPECT_FALSE(adam.value(QStringLiteral("JeEmail")).toBool());
    EXPECT_EQ(adam.value(QStringLiteral("ZbyvaUh")).toDouble(), 3.0);
    EXPECT_EQ(firmy[1].toObject().value(QStringLiteral("OdbNazev")).toString(), QStringLiteral("Žluťák"));
    EXPECT_EQ(adam.keys().size(), 23);

    QStringList numbers;
    for (const auto& document : json.value(QStringLiteral("mtDoklady")).toArray()) {
        numbers << document.toObject().value(QStringLiteral("CisloDokl")).toString();
        EXPECT_EQ(document.toObject().keys().size(), 15);
    }
    EXPECT_EQ(numbers, (QStringList{QStringLiteral("F0"), QStringLiteral("F1"), QStringLiteral("F2"),
                                    QStringLiteral("F3")}));
}

}  // namespace
