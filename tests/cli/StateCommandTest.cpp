#include "CliRunner.h"
#include "support/DemoData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// What the state command stores, a later load of an export shows.
TEST(CliState, storedExclusionReachesTheNextLoad) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    const QString appDir = dir.path();
    auto stored = test::runCli({QStringLiteral("--app-dir"), appDir, QStringLiteral("state"),
                                QStringLiteral("address"), QStringLiteral("Uctarna@AlfaStavby.cz"),
                                QStringLiteral("--export"), QStringLiteral("0")});
    ASSERT_EQ(stored.exitCode, 0) << stored.err.toStdString();
    QJsonObject record = QJsonDocument::fromJson(stored.out.toUtf8()).object();
    EXPECT_EQ(record.value(QStringLiteral("EMAIL")).toString(), QStringLiteral("UCTARNA@ALFASTAVBY.CZ"));
    EXPECT_FALSE(record.value(QStringLiteral("EXPORT")).toBool());
    EXPECT_TRUE(record.value(QStringLiteral("exists")).toBool());

    auto shown =
        test::runCli({QStringLiteral("--app-dir"), appDir, QStringLiteral("show"), test::demoExportPath()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    QJsonObject alfa = QJsonDocument::fromJson(shown.out.toUtf8())
                           .object()
                           .value(QStringLiteral("mtFirmy"))
                           .toArray()[0]
                           .toObject();
    EXPECT_EQ(alfa.value(QStringLiteral("OdbNazev")).toString(), QStringLiteral("Alfa Stavby s.r.o."));
    EXPECT_FALSE(alfa.value(QStringLiteral("Exportovat")).toBool());

    EXPECT_EQ(
        test::runCli({QStringLiteral("--app-dir"), appDir, QStringLiteral("state"), QStringLiteral("bogus")})
            .exitCode,
        2);
}

}  // namespace
