#include "platform/FileWrite.h"
#include "support/TempAppDir.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

using tervalo::platform::FileWrite::Overwrite;
using tervalo::platform::FileWrite::overwriteOwnFile;

namespace {

ino_t inode(const QString& path) {
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Rewritten in place, whether the new content is shorter or longer than the old.
TEST(OverwriteOwnFile, rewritesTheFileItselfToExactlyTheNewBytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Doklady.txt"));
    write(path, QByteArray(5000, 'x'));
    const ino_t before = inode(path);

    for (const QByteArray& bytes : {QByteArray("short"), QByteArray(9000, 'y'), QByteArray()}) {
        ASSERT_EQ(overwriteOwnFile(path, bytes), Overwrite::written);
        EXPECT_EQ(tervalo::test::fileBytes(path), bytes);
        EXPECT_EQ(inode(path), before);
    }
}

struct PlantedName {
    std::string name;
    // Puts something under `path` that deleting would get rid of without touching `other`, which
    // holds "victim" when the function is done.
    std::function<void(const QString& path, const QString& other)> plant;
};

class OverwriteOwnFilePlanted : public ::testing::TestWithParam<PlantedName> {};

// Whatever is not simply the caller's own file is left alone for the caller to delete, and nothing
// reachable through it is written.
TEST_P(OverwriteOwnFilePlanted, isLeftAloneAndNothingBehindItIsWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Doklady.zip"));
    const QString other = dir.filePath(QStringLiteral("users-own-file"));
    GetParam().plant(path, other);

    EXPECT_EQ(overwriteOwnFile(path, "new"), Overwrite::notApplicable);
    if (QFile::exists(other)) {
        EXPECT_EQ(tervalo::test::fileBytes(other), QByteArray("victim"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, OverwriteOwnFilePlanted,
    ::testing::Values(PlantedName{"missing", [](const QString&, const QString&) {}},
                      PlantedName{"symbolic_link",
                                  [](const QString& path, const QString& other) {
                                      write(other, "victim");
                                      ASSERT_TRUE(QFile::link(other, path));
                                  }},
                      PlantedName{"hard_link",
                                  [](const QString& path, const QString& other) {
                                      write(other, "victim");
                                      ASSERT_EQ(link(QFile::encodeName(other).constData(),
                                                     QFile::encodeName(path).constData()),
                                                0);
                                  }},
                      // Opened for writing without a reader, a pipe would block the caller for good.
                      PlantedName{"named_pipe",
                                  [](const QString& path, const QString&) {
                                      ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
                                  }},
                      PlantedName{"folder",
                                  [](const QString& path, const QString&) {
                                      ASSERT_EQ(mkdir(QFile::encodeName(path).constData(), 0755), 0);
                                  }}),
    [](const ::testing::TestParamInfo<PlantedName>& row) { return row.param.name; });

}  // namespace
