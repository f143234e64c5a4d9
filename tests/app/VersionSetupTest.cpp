#include "AppFixture.h"
#include "app/StartUp.h"
#include "app/VersionSetup.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tervalo;
using app::StartResult;
using Message = test::FakeUserInterface::Message;

namespace {

const QString kCancelled = QStringLiteral("Nevybrali jste žádnou verzi Ekvan - program bude ukončen.");

// A program folder whose Setup/ offers `count` versions with help-file variants 1..variants.
struct SetupFixture : test::AppFixture {
    explicit SetupFixture(int count = 2, int variants = 2, QString lines = {}) {
        EXPECT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Setup")));
        if (lines.isEmpty()) {
            for (int i = 1; i <= count; ++i) {
                lines += QStringLiteral("SETUP%1=Ekvan řada %1\r\n").arg(i);
            }
        }
        dir.write(QStringLiteral("Setup/Setup.ini"),
                  test::cp1250().encode(QStringLiteral("[MAIN]\r\nCOPYCOUNT=%1\r\n").arg(count) + lines));
        for (int k = 1; k <= variants; ++k) {
            QString name = QStringLiteral("Setup/%1/Tervalo.chm").arg(k);
            EXPECT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Setup/%1").arg(k)));
            dir.write(name, QStringLiteral("nápověda %1").arg(k).toUtf8());
            QFile file(dir.file(name));
            EXPECT_TRUE(file.open(QIODevice::ReadWrite));
            EXPECT_TRUE(file.setFileTime(sourceTime(k), QFileDevice::FileModificationTime));
        }
    }
    static QDateTime sourceTime(int k) { return QDateTime(QDate(2019, 5, k), QTime(8, 30, 15), Qt::UTC); }
    StartResult start() { return app::StartUp(session, dir.path(), ui); }
    app::IniFile ini(const char* name) const {
        return app::IniFile(dir.file(QString::fromLatin1(name)), test::cp1250());
    }
    bool setupDue() const {
        return ini("Vorbel.ini").boolean(QStringLiteral("MAIN"), QStringLiteral("RunSetup"), true);
    }
    QByteArray helpFile() const {
        QFile file(dir.file(QStringLiteral("Tervalo.chm")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST(RunVersionSetup, firstStartCopiesTheChosenHelpFileAndIsNotAskedAgain) {
    SetupFixture f;
    f.ui.queueSetupVersion({SetupVersionAnswer::Chosen, 1});
    ASSERT_EQ(f.start(), StartResult::Continue);
    ASSERT_EQ(f.ui.setupVersionRequests().size(), 1u);
    EXPECT_EQ(f.ui.setupVersionRequests()[0],
              (QStringList{QStringLiteral("Ekvan řada 1"), QStringLiteral("Ekvan řada 2")}));
    EXPECT_EQ(f.helpFile(), QStringLiteral("nápověda 2").toUtf8());
    EXPECT_EQ(QFileInfo(f.dir.file(QStringLiteral("Tervalo.chm"))).lastModified().toUTC(),
              SetupFixture::sourceTime(2));
    EXPECT_EQ(f.ini("Setup/Setup.ini").integer(QStringLiteral("MAIN"), QStringLiteral("LASTSELECT"), 0), 2);
    EXPECT_FALSE(f.setupDue());
    EXPECT_TRUE(f.ui.messages().empty());

    ASSERT_EQ(f.start(), StartResult::Continue);
    EXPECT_EQ(f.ui.setupVersionRequests().size(), 1u);
}

TEST(RunVersionSetup, cancellingEndsTheProgramAndAsksAgainNextTime) {
    SetupFixture f;
    f.dir.write(QStringLiteral("Tervalo.chm"), "old help");
    f.ui.queueSetupVersion({SetupVersionAnswer::Cancelled});
    EXPECT_EQ(f.start(), StartResult::Stop);
    EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("information"), kCancelled}}));
    EXPECT_EQ(f.helpFile(), QByteArray("old help"));
    EXPECT_TRUE(f.setupDue());
    EXPECT_FALSE(QFileInfo::exists(f.dir.file(QStringLiteral("Temp"))));

    f.ui.queueSetupVersion({SetupVersionAnswer::Chosen, 0});
    EXPECT_EQ(f.start(), StartResult::Continue);
    EXPECT_EQ(f.helpFile(), QStringLiteral("nápověda 1").toUtf8());
}

TEST(RunVersionSetup, missingLinesReadAsDashesAndCanBeChosen) {
    SetupFixture f(3, 3, QStringLiteral("SETUP1=první\r\nSETUP2=druhá\r\n"));
    f.ui.queueSetupVersion({SetupVersionAnswer::Chosen, 2});
    ASSERT_EQ(f.start(), StartResult::Continue);
    EXPECT_EQ(f.ui.setupVersionRequests()[0],
              (QStringList{QStringLiteral("první"), QStringLiteral("druhá"), QStringLiteral("---")}));
    EXPECT_EQ(f.helpFile(), QStringLiteral("nápověda 3").toUtf8());
}

TEST(RunVersionSetup, failedCopyEndsTheProgramWithBothPaths) {
    SetupFixture f(3, 2);
    f.ui.queueSetupVersion({SetupVersionAnswer::Chosen, 2});
    EXPECT_EQ(f.start(), StartResult::Stop);
    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{{QStringLiteral("error"),
                                     QStringLiteral("Při kopírování z ") +
                                         f.dir.file(QStringLiteral("Setup/3/Tervalo.chm")) +
                                         QStringLiteral(" na ") + f.dir.file(QStringLiteral("Tervalo.chm")) +
                                         QStringLiteral(" došlo k chybě.")}}));
    EXPECT_TRUE(f.setupDue());
    EXPECT_EQ(f.ini("Setup/Setup.ini").integer(QStringLiteral("MAIN"), QStringLiteral("LASTSELECT"), 0), 3);
}

TEST(RunVersionSetup, fewerThanTwoVersionsOrNoSetupFolderMarkItDoneSilently) {
    for (int count : {0, 1}) {
        SetupFixture f(count, count);
        EXPECT_EQ(f.start(), StartResult::Continue);
        EXPECT_FALSE(f.setupDue());
        EXPECT_TRUE(f.ui.setupVersionRequests().empty());
    }
    test::AppFixture bare;
    EXPECT_EQ(app::StartUp(bare.session, bare.dir.path(), bare.ui), StartResult::Continue);
    EXPECT_EQ(app::IniFile(bare.dir.file(QStringLiteral("Vorbel.ini")), test::cp1250())
                  .text(QStringLiteral("MAIN"), QStringLiteral("RunSetup")),
              QStringLiteral("0"));
    EXPECT_TRUE(bare.ui.messages().empty());
}

TEST(RunVersionSetup, endSwitchOnAFirstRunAsksAndThenEnds) {
    SetupFixture f;
    f.session.arguments = {QStringLiteral("/end")};
    f.ui.queueSetupVersion({SetupVersionAnswer::Chosen, 0});
    EXPECT_EQ(f.start(), StartResult::Stop);
    EXPECT_FALSE(f.setupDue());
    EXPECT_TRUE(f.ui.messages().empty());
}

TEST(RunVersionSetup, aFrontEndThatCannotAskLeavesItDue) {
    SetupFixture f;
    f.ui.queueSetupVersion({SetupVersionAnswer::NotAsked});
    EXPECT_EQ(f.start(), StartResult::Continue);
    EXPECT_TRUE(f.setupDue());
    EXPECT_EQ(f.helpFile(), QByteArray());
}

TEST(RunVersionSetup, setupDoneInTheConfigurationIsNotAskedWhateverSetupOffers) {
    SetupFixture f;
    f.dir.write(QStringLiteral("Vorbel.ini"), "[main]\r\nrunsetup=0\r\n");
    EXPECT_EQ(f.start(), StartResult::Continue);
    EXPECT_TRUE(f.ui.setupVersionRequests().empty());
}

}  // namespace
