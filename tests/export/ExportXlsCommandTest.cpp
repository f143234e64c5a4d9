#include "ExportTestSupport.h"
#include "cli/CliRunner.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// The staged program folder holds the shipped template; each test works in a folder of its own
// with the demo definition file, pointing --template at the template when it needs one.
struct CliExport {
    CliExport() { test::writeDemoDefFile(dir); }
    test::CliResult run(QStringList args) {
        args.prepend(QStringLiteral("export-xls"));
        args.prepend(dir.path());
        args.prepend(QStringLiteral("--app-dir"));
        return test::runCli(args);
    }
    test::TempAppDir dir;
    QString output = dir.file(QStringLiteral("dlužníci.xls"));
    const QString shippedTemplate = QStringLiteral(TERVALO_APP_DIR "/TERVALO.XL");
};

QStringList debtorNames(const test::XlsSheet& sheet) {
    QStringList names;
    for (const auto& [row, cells] : sheet.rows) {
        // A debtor's name row holds the "IČO:" label in column F.
        if (sheet.text(row, 5) == QStringLiteral("IČO:")) {
            names << sheet.text(row, 0);
        }
    }
    return names;
}

TEST(CliExportXls, writesTheDemoDebtorListAndFiltersToDebtorsWithEmail) {
    CliExport f;
    auto all = f.run({test::demoExportPath(), f.output, QStringLiteral("--template"), f.shippedTemplate});
    ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(all.err, QString());
    EXPECT_EQ(all.out, QString());
    const QStringList everyone = debtorNames(test::readWithXlrd(f.output));
    EXPECT_EQ(everyone.size(), 12);
    EXPECT_EQ(everyone.first(), QStringLiteral("Alfa Stavby s.r.o."));

    // Options may come in any place; an existing output is replaced.
    auto filtered = f.run({QStringLiteral("--only-with-email"), test::demoExportPath(),
                           QStringLiteral("--template"), f.shippedTemplate, f.output});
    ASSERT_EQ(filtered.exitCode, 0) << filtered.err.toStdString();
    QStringList withEmail = everyone;
    for (const char* name :
         {"Čermák & Dvořák, v.o.s.", "Farma Úhlava", "Jednota Ústí, spotřební družstvo", "Ostatní"}) {
        EXPECT_TRUE(withEmail.removeOne(QString::fromUtf8(name))) << name;
    }
    EXPECT_EQ(debtorNames(test::readWithXlrd(f.output)), withEmail);
}

TEST(CliExportXls, defaultTemplateIsTheProgramFoldersAndFailuresEndWithStatusOne) {
    CliExport f;
    auto missing = f.run({test::demoExportPath(), f.output});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, QStringLiteral("error: Převodní šablona  ") +
                               f.dir.file(QStringLiteral("TERVALO.XL")) +
                               QStringLiteral(" neexistuje. Zkontrolujte nastavení exportu.\n"));
    EXPECT_FALSE(QFile::exists(f.output));

    auto noExport = f.run(
        {f.dir.file(QStringLiteral("chybí.csv")), f.output, QStringLiteral("--template"), f.shippedTemplate});
    EXPECT_EQ(noExport.exitCode, 1);
    EXPECT_EQ(noExport.err, QStringLiteral("warning: Vstupní soubor ") +
                                f.dir.file(QStringLiteral("chybí.csv")) + QStringLiteral(" neexistuje.\n"));

    QFile::copy(f.shippedTemplate, f.dir.file(QStringLiteral("TERVALO.XL")));
    auto byDefault = f.run({test::demoExportPath(), f.output});
    EXPECT_EQ(byDefault.exitCode, 0) << byDefault.err.toStdString();
    EXPECT_TRUE(QFile::exists(f.output));
}

TEST(CliExportXls, wrongUsageIsStatusTwo) {
    CliExport f;
    const QString usage = QStringLiteral(
        "error: usage: tervalo-cli [--app-dir DIR] export-xls EXPORT OUTPUT.xls [--template PATH] "
        "[--only-with-email]\n");
    const std::vector<QStringList> wrong = {
        {test::demoExportPath()},
        {test::demoExportPath(), f.output, QStringLiteral("extra.xls")},
        {test::demoExportPath(), f.output, QStringLiteral("--template")},
        {test::demoExportPath(), f.output, QStringLiteral("--unknown")},
    };
    for (const QStringList& args : wrong) {
        auto result = f.run(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_EQ(result.err, usage);
    }
}

}  // namespace
