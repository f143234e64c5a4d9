#include "platform/DurableWrite.h"
#include "support/TempAppDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using tervalo::platform::replaceFileDurably;

namespace {

mode_t permissions(const QString& path) {
    struct stat info {};
    stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

TEST(DurableWrite, replacesTheFileBehindALinkKeepingTheLinkAndThePermissions) {
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

    ASSERT_TRUE(replaceFileDurably(link, "new"));

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(tervalo::test::fileBytes(real), QByteArray("new"));
    EXPECT_EQ(permissions(real), mode_t(0640));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
              (QStringList{QStringLiteral("Vorbel.ini"), QStringLiteral("elsewhere.ini")}));
}

TEST(DurableWrite, aNewFileGetsTheUsualPermissions) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("EText"));
    const mode_t mask = umask(022);
    const bool written = replaceFileDurably(path, QByteArray());
    umask(mask);
    ASSERT_TRUE(written);
    EXPECT_EQ(tervalo::test::fileBytes(path), QByteArray());
    EXPECT_EQ(permissions(path), mode_t(0644));
}

TEST(DurableWrite, aMissingFolderFailsWithoutCreatingAnything) {
    QTemporaryDir dir;
    EXPECT_FALSE(replaceFileDurably(dir.filePath(QStringLiteral("missing/Vorbel.ini")), "x"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

// A process killed between creating its temporary file and renaming it leaves the file; the next
// replacement of the same file removes it, but not one of a process still running, nor another
// file's.
TEST(DurableWrite, removesTheTemporaryFilesOfProcessesNoLongerRunning) {
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

    ASSERT_TRUE(replaceFileDurably(dir.filePath(QStringLiteral("Vorbel.ini")), "new"));

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{QStringLiteral("EText") + dead, QStringLiteral("Vorbel.ini"),
                           QStringLiteral("Vorbel.ini") + running}));
}

}  // namespace
