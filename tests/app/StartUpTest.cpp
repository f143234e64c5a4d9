#include "AppFixture.h"
#include "app/StartUp.h"
#include "defgen/DefFileBuilder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tervalo;
using app::StartResult;
using app::StartUp;
using Message = test::FakeUserInterface::Message;

namespace {

TEST(StartUp, continuesWithTheProgramFolderSet) {
    test::AppFixture f;
    ASSERT_EQ(StartUp(f.session, f.dir.path(), f.ui), StartResult::Continue);
    EXPECT_TRUE(f.ui.messages().empty());
    EXPECT_EQ(f.session.AppDir, f.dir.path());
    EXPECT_EQ(f.session.TempDir, f.dir.path() + QStringLiteral("Temp/"));
    EXPECT_TRUE(QFileInfo(f.session.TempDir).isDir());
    EXPECT_EQ(f.session.DefFilePath, f.dir.file(QStringLiteral("uhterv.def")));
    EXPECT_FALSE(f.session.StartedWithParams);
    EXPECT_EQ(f.session.ExportDecimalSeparator, QLatin1Char(','));
    // A second start finds the temporary folder present and says nothing.
    ASSERT_EQ(StartUp(f.session, f.dir.path(), f.ui), StartResult::Continue);
    EXPECT_TRUE(f.ui.messages().empty());
}

TEST(StartUp, appendsTheSlashToTheProgramFolder) {
    test::AppFixture f;
    QString withoutSlash = f.dir.path();
    withoutSlash.chop(1);
    ASSERT_EQ(StartUp(f.session, QStringLiteral("  ") + withoutSlash + QStringLiteral(" "), f.ui),
              StartResult::Continue);
    EXPECT_EQ(f.session.AppDir, f.dir.path());
}

TEST(StartUp, endSwitchInAnyCaseStopsSilently) {
    for (const char* argument : {"/END", "/end", "/End"}) {
        test::AppFixture f;
        f.session.arguments = {QString::fromLatin1(argument)};
        EXPECT_EQ(StartUp(f.session, f.dir.path(), f.ui), StartResult::Stop) << argument;
        EXPECT_TRUE(f.ui.messages().empty());
        EXPECT_FALSE(QFileInfo::exists(f.dir.file(QStringLiteral("Temp"))));
    }
}

TEST(StartUp, endSwitchCountsOnlyAsFirstArgument) {
    test::AppFixture f;
    f.session.arguments = {QStringLiteral("export.csv"), QStringLiteral("/END")};
    EXPECT_EQ(StartUp(f.session, f.dir.path(), f.ui), StartResult::Continue);
    EXPECT_TRUE(f.session.StartedWithParams);
}

TEST(StartUp, temporaryFolderThatCannotBeCreatedStops) {
    test::AppFixture f;
    f.dir.write(QStringLiteral("Temp"), "a file where the folder belongs");
    EXPECT_EQ(StartUp(f.session, f.dir.path(), f.ui), StartResult::Stop);
    EXPECT_EQ(
        f.ui.messages(),
        (std::vector<Message>{{QStringLiteral("error"), QStringLiteral("Chyba : nelze vytvořit adresář ") +
                                                            f.dir.path() + QStringLiteral("Temp/")}}));
}

TEST(StartUp, missingDefinitionFileStops) {
    test::AppFixture f;
    QFile::remove(f.dir.file(QStringLiteral("uhterv.def")));
    EXPECT_EQ(StartUp(f.session, f.dir.path(), f.ui), StartResult::Stop);
    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{
                  {QStringLiteral("error"),
                   QStringLiteral("Definiční soubor ") + f.dir.file(QStringLiteral("uhterv.def")) +
                       QStringLiteral(" neexistuje. Je třeba provést reinstalaci programu!")}}));
}

TEST(StartUp, damagedDefinitionFileStopsWithItsCode) {
    test::AppFixture f;
    f.dir.write(QStringLiteral("uhterv.def"), QByteArray(299, 'x'));
    EXPECT_EQ(StartUp(f.session, f.dir.path(), f.ui), StartResult::Stop);
    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{
                  {QStringLiteral("error"), QStringLiteral("Definiční soubor ") +
                                                f.dir.file(QStringLiteral("uhterv.def")) +
                                                QStringLiteral(" je poškozený [Error -3]. Je třeba provést "
                                                               "reinstalaci programu!")}}));
}

TEST(StartUp, exportDecimalSeparatorComesFromRecordOne) {
    struct Case {
        const char* record1;
        QChar expected;
    };
    const Case cases[] = {{"#VAR_46#", QLatin1Char('.')},
                          {"#VAR_44#", QLatin1Char(',')},
                          // No usable code: the system's separator stays in force.
                          {"", QLatin1Char(',')},
                          {"#VAR_x#", QLatin1Char(',')},
                          {"#VAR_0#", QLatin1Char(',')}};
    for (const auto& c : cases) {
        test::AppFixture f;
        tools::DefFileContent content;
        content.records[1] = QString::fromLatin1(c.record1);
        f.dir.write(QStringLiteral("uhterv.def"), tools::buildDefFile(content));
        ASSERT_EQ(StartUp(f.session, f.dir.path(), f.ui), StartResult::Continue);
        EXPECT_EQ(f.session.ExportDecimalSeparator, c.expected) << c.record1;
        EXPECT_EQ(f.session.SavedDecimalSeparator, QLatin1Char(','));
    }
}

TEST(ShutDown, deletesOnlyALoadedExportThatCameOnTheCommandLine) {
    struct Case {
        const char* name;
        bool startedWithParams;
        const char* editText;
        int debtorRows;
        bool deleted;
    };
    const Case cases[] = {
        {"loaded_from_command_line", true, "x.csv", 3, true},
        {"started_without_arguments", false, "x.csv", 3, false},
        {"empty_edit_box", true, "", 3, false},
        {"no_debtor_rows_after_failed_load", true, "x.csv", 0, false},
    };
    for (const auto& c : cases) {
        test::AppFixture f;
        f.dir.write(QStringLiteral("x.csv"), "data");
        f.session.StartedWithParams = c.startedWithParams;
        f.session.ExportFilePath = f.dir.file(QStringLiteral("x.csv"));
        app::ShutDown(f.session, QString::fromLatin1(c.editText), c.debtorRows, f.ui);
        EXPECT_EQ(!QFileInfo::exists(f.dir.file(QStringLiteral("x.csv"))), c.deleted) << c.name;
    }
}

TEST(JoinedArguments, joinsSplitPathWithSingleBlanks) {
    EXPECT_EQ(app::JoinedArguments({QStringLiteral("/home/a/Moje"), QStringLiteral("exporty/x.csv")}),
              QStringLiteral("/home/a/Moje exporty/x.csv"));
    EXPECT_EQ(app::JoinedArguments({QStringLiteral("x.csv "), QStringLiteral(" ")}), QStringLiteral("x.csv"));
    EXPECT_EQ(app::JoinedArguments({}), QString());
}

}  // namespace
