#include "CliRunner.h"
#include "support/CaseName.h"
#include "support/DemoData.h"
#include "support/PermissiveUmask.h"

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

// The debtors' lists and archives are for the user alone, whatever the umask: their folders 0700, the
// files 0600, also when an earlier version left them readable and they are written over in place.
TEST(CliDocumentList, debtorsFilesArePrivateEvenUnderAPermissiveUmask) {
    const test::PermissiveUmask umask;
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    const QStringList args{QStringLiteral("--app-dir"),     dir.path(),
                           QStringLiteral("document-list"), test::demoExportPath(),
                           QStringLiteral("--debtor"),      QStringLiteral("1")};
    const auto bits = [&](const char* name) {
        return test::permissionBits(QFile::encodeName(dir.file(QString::fromLatin1(name))).constData());
    };
    const char* files[] = {"Temp/1/Doklady.txt", "Temp/1/Doklady.zip"};

    ASSERT_EQ(test::runCli(args).exitCode, 0);
    EXPECT_EQ(bits("Temp"), 0700);
    EXPECT_EQ(bits("Temp/1"), 0700);
    for (const char* file : files) {
        EXPECT_EQ(bits(file), 0600) << file;
    }

    for (const char* name : {"Temp", "Temp/1", files[0], files[1]}) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.file(QString::fromLatin1(name))).constData(), 0755), 0);
    }
    ASSERT_EQ(test::runCli(args).exitCode, 0);
    EXPECT_EQ(bits("Temp"), 0700);
    EXPECT_EQ(bits("Temp/1"), 0700);
    for (const char* file : files) {
        EXPECT_EQ(bits(file), 0600) << file;
    }
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
