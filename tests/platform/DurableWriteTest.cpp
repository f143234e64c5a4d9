#include "platform/DurableWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using tervalo::platform::replaceFileDurably;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

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
    EXPECT_EQ(contents(real), QByteArray("new"));
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
    EXPECT_EQ(contents(path), QByteArray());
    EXPECT_EQ(permissions(path), mode_t(0644));
}

TEST(DurableWrite, aMissingFolderFailsWithoutCreatingAnything) {
    QTemporaryDir dir;
    EXPECT_FALSE(replaceFileDurably(dir.filePath(QStringLiteral("missing/Vorbel.ini")), "x"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

}  // namespace
