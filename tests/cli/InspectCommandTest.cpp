#include "CliRunner.h"
#include "support/DemoData.h"
#include "support/TempAppDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

struct CliFixture {
    CliFixture() { test::writeDemoDefFile(dir); }
    test::CliResult inspect(const QString& exportName) {
        return test::runCli(
            {QStringLiteral("--app-dir"), dir.path(), QStringLiteral("inspect"), dir.file(exportName)});
    }
    test::TempAppDir dir;
};

TEST(CliInspect, printsSeparatorBoundsAndCellsAsJson) {
    CliFixture f;
    f.dir.write(
        QStringLiteral("e.csv"),
        test::cp1250().encode(QStringLiteral("TITUL|HLAVICKA|901\r\nODBERATEL|RADEK|\"Kůň | syn\"|x\r\n")));
    auto result = f.inspect(QStringLiteral("e.csv"));
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    // A debtor without any document: the export lacked the document list.
    EXPECT_EQ(result.err,
              QStringLiteral("information: Při exportu z Ekvan nebyla aktivní volba \"Tisknout i seznam "
                             "dokladů\" - zasílání e-mailů dlužníkům proto není možné. Chcete-li plně "
                             "využít všechny funkce doplňku, ukončete tento program a proveďte znovu "
                             "export z Ekvan i s tiskem dokladů.\n"));
    QJsonObject json = QJsonDocument::fromJson(result.out.toUtf8()).object();
    EXPECT_EQ(json.value(QStringLiteral("separator")).toString(), QStringLiteral("|"));
    EXPECT_EQ(json.value(QStringLiteral("LastRow")).toInt(), 1);
    EXPECT_EQ(json.value(QStringLiteral("LastCol")).toInt(), 3);
    QJsonArray rows = json.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].toArray(), (QJsonArray{QStringLiteral("ODBERATEL"), QStringLiteral("RADEK"),
                                             QStringLiteral("Kůň | syn"), QStringLiteral("x")}));
}

TEST(CliInspect, messagesGoToStderrAndEndWithStatusOne) {
    struct Case {
        const char* name;
        QByteArray content;  // null: the file is not written
        QString expectedErr;
    };
    const Case cases[] = {
        {"wrong_format", QByteArray("a;b;c\nd;e;f\n"),
         QStringLiteral(
             "warning: Chybný formát načteného souboru - při exportu z Ekvan je nutné vybrat \"formát CSV\" "
             "a dále zaškrtnout políčko \"názvy polí se budou udávat číselně\". Ukončete tento program a "
             "proveďte znovu export z Ekvan!\n")},
        {"missing_file", QByteArray(), QString()},
    };
    for (const auto& c : cases) {
        CliFixture f;
        if (!c.content.isNull()) {
            f.dir.write(QStringLiteral("e.csv"), c.content);
        }
        auto result = f.inspect(QStringLiteral("e.csv"));
        EXPECT_EQ(result.exitCode, 1) << c.name;
        EXPECT_EQ(result.out, QString()) << c.name;
        QString expected = c.expectedErr.isEmpty()
                               ? QStringLiteral("warning: Vstupní soubor ") +
                                     f.dir.file(QStringLiteral("e.csv")) + QStringLiteral(" neexistuje.\n")
                               : c.expectedErr;
        EXPECT_EQ(result.err, expected) << c.name;
    }
}

TEST(CliInspect, startUpFailureEndsBeforeTheCommand) {
    CliFixture f;
    f.dir.write(QStringLiteral("uhterv.def"), QByteArray(10, 'x'));
    f.dir.write(QStringLiteral("e.csv"), "a;b;1\n");
    auto result = f.inspect(QStringLiteral("e.csv"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              QStringLiteral("error: Definiční soubor ") + f.dir.file(QStringLiteral("uhterv.def")) +
                  QStringLiteral(" je poškozený [Error -1]. Je třeba provést reinstalaci programu!\n"));
}

TEST(CliInspect, wrongUsageIsStatusTwo) {
    EXPECT_EQ(test::runCli({QStringLiteral("inspect")}).exitCode, 2);
    EXPECT_EQ(test::runCli({QStringLiteral("no-such-command")}).exitCode, 2);
}

}  // namespace
