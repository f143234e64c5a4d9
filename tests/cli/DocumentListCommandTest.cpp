#include "CliRunner.h"
#include "support/CaseName.h"
#include "support/DemoData.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(CliDocumentList, printsTheListItLeavesInTheDebtorsTemporaryFolder) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);

    auto result = test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("document-list"),
                                test::demoExportPath(), QStringLiteral("--debtor"), QStringLiteral("1")});

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QByteArray list = fileBytes(dir.file(QStringLiteral("Temp/1/Doklady.txt")));
    EXPECT_EQ(result.out, test::cp1250().decode(list));
    EXPECT_TRUE(result.out.startsWith(QStringLiteral("=")));
    EXPECT_TRUE(result.out.contains(
        QStringLiteral("\r\nDB260007  20.10.2026  3.11.2026    -2420,00      -2420,00 CZK  \r\n")))
        << result.out.toStdString();
    EXPECT_TRUE(result.out.endsWith(QStringLiteral("\r\n")));
    EXPECT_FALSE(fileBytes(dir.file(QStringLiteral("Temp/1/Doklady.zip"))).isEmpty());
}

struct FailureCase {
    std::string name;
    QStringList args;
    int exitCode;
    QString message;
};

class CliDocumentListFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CliDocumentListFailure, endsWithItsStatusAndMessage) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    auto result =
        test::runCli(QStringList{QStringLiteral("--app-dir"), dir.path(), QStringLiteral("document-list")} +
                     GetParam().args);
    EXPECT_EQ(result.exitCode, GetParam().exitCode);
    EXPECT_TRUE(result.err.contains(GetParam().message)) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CliDocumentListFailure,
    ::testing::Values(FailureCase{"no_debtor", {test::demoExportPath()}, 2, QStringLiteral("usage: ")},
                      FailureCase{"debtor_not_a_number",
                                  {test::demoExportPath(), QStringLiteral("--debtor"), QStringLiteral("x")},
                                  2,
                                  QStringLiteral("usage: ")},
                      FailureCase{"unknown_debtor",
                                  {test::demoExportPath(), QStringLiteral("--debtor"), QStringLiteral("999")},
                                  1,
                                  QStringLiteral("error: Odběratel s ID 999 v exportu není.")}),
    test::CaseName());

}  // namespace
