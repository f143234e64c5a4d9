#include "settings/IniFile.h"
#include "support/CaseName.h"
#include "support/DemoData.h"
#include "support/TempAppDir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using app::IniFile;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

struct ReadCase {
    std::string name;
    QString fileText;  // written in Windows-1250
    QString section;
    QString key;
    std::optional<QString> expected;
};

class IniFileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniFileRead, givesTheValueAsTheProgramReadsIt) {
    const ReadCase& c = GetParam();
    test::TempAppDir dir;
    dir.write(QStringLiteral("a.ini"), test::cp1250().encode(c.fileText));
    IniFile ini(dir.file(QStringLiteral("a.ini")), test::cp1250());
    EXPECT_EQ(ini.value(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniFileRead,
    ::testing::Values(ReadCase{"plain", QStringLiteral("[MAIN]\r\nOpenDir=/a/b/\r\n"), QStringLiteral("MAIN"),
                               QStringLiteral("OpenDir"), QStringLiteral("/a/b/")},
                      ReadCase{"names_in_other_letter_case", QStringLiteral("[main]\r\nopendir=x\r\n"),
                               QStringLiteral("MAIN"), QStringLiteral("OpenDir"), QStringLiteral("x")},
                      ReadCase{"blanks_around_names_and_value",
                               QStringLiteral("  [ Main ]  \n  OpenDir  =   x y  \n"), QStringLiteral("MAIN"),
                               QStringLiteral("OpenDir"), QStringLiteral("x y")},
                      ReadCase{"double_quotes_removed", QStringLiteral("[S]\nK= \" a b \" \n"),
                               QStringLiteral("S"), QStringLiteral("K"), QStringLiteral(" a b ")},
                      ReadCase{"single_quotes_removed", QStringLiteral("[S]\nK='a'\n"), QStringLiteral("S"),
                               QStringLiteral("K"), QStringLiteral("a")},
                      ReadCase{"unpaired_quote_kept", QStringLiteral("[S]\nK=\"a\n"), QStringLiteral("S"),
                               QStringLiteral("K"), QStringLiteral("\"a")},
                      ReadCase{"czech_text_in_code_page", QStringLiteral("[EMAIL]\nEF_Mena=Měna Kč\n"),
                               QStringLiteral("EMAIL"), QStringLiteral("EF_Mena"), QStringLiteral("Měna Kč")},
                      ReadCase{"first_of_two_keys_counts", QStringLiteral("[S]\nK=1\nK=2\n"),
                               QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("1")},
                      ReadCase{"key_of_another_section_not_found", QStringLiteral("[A]\nK=1\n[B]\n"),
                               QStringLiteral("B"), QStringLiteral("K"), std::nullopt},
                      ReadCase{"comment_is_no_key", QStringLiteral("[S]\n;K=1\n"), QStringLiteral("S"),
                               QStringLiteral(";K"), std::nullopt},
                      ReadCase{"empty_value", QStringLiteral("[S]\nK=\n"), QStringLiteral("S"),
                               QStringLiteral("K"), QString()},
                      ReadCase{"long_value_cut", QStringLiteral("[S]\nK=") + QString(3000, QLatin1Char('x')),
                               QStringLiteral("S"), QStringLiteral("K"), QString(2047, QLatin1Char('x'))}),
    test::CaseName());

TEST(IniFile, numbersAndFlagsFallBackOnInvalidText) {
    test::TempAppDir dir;
    dir.write(QStringLiteral("a.ini"), "[S]\nN=12\nBad=12a\nNeg=-5\nYes=7\nNo=0\nEmpty=\n");
    IniFile ini(dir.file(QStringLiteral("a.ini")), test::cp1250());
    EXPECT_EQ(ini.integer(QStringLiteral("S"), QStringLiteral("N"), 1), 12);
    EXPECT_EQ(ini.integer(QStringLiteral("S"), QStringLiteral("Bad"), 1), 1);
    EXPECT_EQ(ini.integer(QStringLiteral("S"), QStringLiteral("Neg"), 1), -5);
    EXPECT_EQ(ini.integer(QStringLiteral("S"), QStringLiteral("Missing"), 1), 1);
    EXPECT_TRUE(ini.boolean(QStringLiteral("S"), QStringLiteral("Yes"), false));
    EXPECT_FALSE(ini.boolean(QStringLiteral("S"), QStringLiteral("No"), true));
    EXPECT_TRUE(ini.boolean(QStringLiteral("S"), QStringLiteral("Empty"), true));
}

TEST(IniFile, writesReplaceTheLineOrAddAtTheEndOfTheSection) {
    test::TempAppDir dir;
    dir.write(QStringLiteral("a.ini"),
              "; made by hand\n"
              "[main]\n"
              "  runsetup = 0\n"
              "Foreign=\"keep me\"  \n"
              "\n"
              "[Other]\n"
              "x=1\n");
    IniFile ini(dir.file(QStringLiteral("a.ini")), test::cp1250());
    ini.setBoolean(QStringLiteral("MAIN"), QStringLiteral("RunSetup"), true);
    ini.setValue(QStringLiteral("MAIN"), QStringLiteral("OpenDir"), QStringLiteral("/Účty/"));
    ini.setInteger(QStringLiteral("SEND"), QStringLiteral("SMTPPort"), 587);
    ini.setValue(QStringLiteral("SEND"), QStringLiteral("SMTPHost"), QStringLiteral("a\r\n[MAIN]\nb"));
    ini.save();
    EXPECT_EQ(readAll(dir.file(QStringLiteral("a.ini"))),
              test::cp1250().encode(QStringLiteral("; made by hand\r\n"
                                                   "[main]\r\n"
                                                   "RunSetup=1\r\n"
                                                   "Foreign=\"keep me\"  \r\n"
                                                   "OpenDir=/Účty/\r\n"
                                                   "\r\n"
                                                   "[Other]\r\n"
                                                   "x=1\r\n"
                                                   "\r\n"
                                                   "[SEND]\r\n"
                                                   "SMTPPort=587\r\n"
                                                   "SMTPHost=a  [MAIN] b\r\n")));
}

TEST(IniFile, failedSaveNamesTheFile) {
    test::TempAppDir dir;
    const QString path = dir.file(QStringLiteral("missing folder/a.ini"));
    IniFile ini(path, test::cp1250());
    ini.setValue(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
    try {
        ini.save();
        FAIL() << "no error";
    } catch (const app::SettingsFileError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Chyba : nelze zapsat do souboru ") + path);
    }
}

}  // namespace
