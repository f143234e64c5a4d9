#include "platform/FileWrite.h"
#include "support/TempAppDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include <gtest/gtest.h>

using tervalo::platform::FileWrite::createDurably;
using tervalo::platform::FileWrite::replaceDurably;

namespace {

mode_t permissions(const QString& path) {
    struct stat info {};
    stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

TEST(FileWrite, replacesTheFileBehindALinkKeepingTheLinkAndThePermissions) {
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("elsewhere.ini"));
    const QString link = dir.filePath(QStringLiteral("Vorbel.ini"));
    {
        QFile file(real);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    ASSERT_EQ(chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, link));

    ASSERT_TRUE(replaceDurably(link, "new"));

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(tervalo::test::fileBytes(real), QByteArray("new"));
    EXPECT_EQ(permissions(real), mode_t(0640));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
              (QStringList{QStringLiteral("Vorbel.ini"), QStringLiteral("elsewhere.ini")}));
}

TEST(FileWrite, aNewFileGetsTheUsualPermissions) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("EText"));
    const mode_t mask = umask(022);
    const bool written = replaceDurably(path, QByteArray());
    umask(mask);
    ASSERT_TRUE(written);
    EXPECT_EQ(tervalo::test::fileBytes(path), QByteArray());
    EXPECT_EQ(permissions(path), mode_t(0644));
}

TEST(FileWrite, aMissingFolderFailsWithoutCreatingAnything) {
    QTemporaryDir dir;
    EXPECT_FALSE(replaceDurably(dir.filePath(QStringLiteral("missing/Vorbel.ini")), "x"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

// A workbook never replaces a file that took its name meanwhile: that file stays whole, the write
// says why it failed, and no temporary file is left.
TEST(FileWrite, creatingKeepsAFileThatHasTheNameAndLeavesNothingBehind) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pohledavky.xls"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write("theirs"), 6);
    }
    errno = 0;
    EXPECT_FALSE(createDurably(path, "ours"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(tervalo::test::fileBytes(path), QByteArray("theirs"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Pohledavky.xls")});

    const QString fresh = dir.filePath(QStringLiteral("Nove.xls"));
    ASSERT_TRUE(createDurably(fresh, "ours"));
    EXPECT_EQ(tervalo::test::fileBytes(fresh), QByteArray("ours"));
}

// A copy that carries its source's date has it from the moment it has its name.
TEST(FileWrite, aGivenModificationTimeIsTheReplacedFilesTime) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tervalo.chm"));
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(1'000'000'000);
    ASSERT_TRUE(replaceDurably(path, "help", tervalo::platform::FileAccess::usual, modified));
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
    EXPECT_EQ(QFileInfo(path).lastRead(), modified);
}

// A process killed between creating its temporary file and renaming it leaves the file; the next
// replacement of the same file removes it, but not one of a process still running, nor another
// file's.
TEST(FileWrite, removesTheTemporaryFilesOfProcessesNoLongerRunning) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(0);
    }
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    QTemporaryDir dir;
    const QString dead = QStringLiteral(".tmp-%1-x1").arg(child);
    const QString running = QStringLiteral(".tmp-%1-x2").arg(getppid());
    for (const QString& name : {QStringLiteral("Vorbel.ini") + dead, QStringLiteral("Vorbel.ini") + running,
                                QStringLiteral("EText") + dead}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    ASSERT_TRUE(replaceDurably(dir.filePath(QStringLiteral("Vorbel.ini")), "new"));

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{QStringLiteral("EText") + dead, QStringLiteral("Vorbel.ini"),
                           QStringLiteral("Vorbel.ini") + running}));
}

}  // namespace
