// A power loss can keep a rename but lose the data written before it, or lose the rename itself: each
// file the program replaces whole must reach the disk before its rename, and the rename after it.
// strace shows the order of the program's own system calls, with the path behind each descriptor.
#include "ProgramFolder.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// The traced calls of tervalo-cli run with `args` in `appDir`: one call a line, descriptors as paths.
QStringList tracedCalls(const QString& appDir, const QStringList& args) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       QStringLiteral("detect_leaks=0"));  // no leak check under ptrace
    const test::ProcessResult traced = test::runProcess(
        {.program = QStringLiteral("strace"),
         .arguments = QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-y"),
                                  QStringLiteral("-e"),
                                  QStringLiteral("trace=fsync,fdatasync,rename,renameat,renameat2"),
                                  QStringLiteral(TERVALO_APP_DIR "/tervalo-cli"), QStringLiteral("--app-dir"),
                                  appDir} +
                      args,
         .environment = environment});
    EXPECT_EQ(traced.exitCode, 0) << traced.err.toStdString();
    QStringList calls = QString::fromUtf8(traced.err).split(u'\n');
    calls.removeIf([](const QString& line) { return !line.contains(QStringLiteral(") = ")); });
    return calls;
}

// The calls replacing `name` in `folder`: flush of the temporary file, rename over the name, flush of the
// folder, in this order and succeeding.
void expectReplacedDurably(const QStringList& calls, const QString& folder, const QString& name) {
    const QString target = folder + name;
    const QRegularExpression flushTemporary(QStringLiteral(".*f(data)?sync\\(\\d+<%1\\.tmp-[^>]*>\\) = 0.*")
                                                .arg(QRegularExpression::escape(target)));
    const QRegularExpression rename(
        QStringLiteral(".*rename(at2?)?\\(.*\"%1\\.tmp-[^\"]*\".*\"%1\".*\\) = 0.*")
            .arg(QRegularExpression::escape(target)));
    const QRegularExpression flushFolder(
        QStringLiteral(".*fsync\\(\\d+<%1>\\) = 0.*").arg(QRegularExpression::escape(folder.chopped(1))));
    const qsizetype renamed = calls.indexOf(rename);
    ASSERT_GE(renamed, 0) << name.toStdString() << " not renamed into place:\n"
                          << calls.join(u'\n').toStdString();
    const qsizetype flushed = calls.lastIndexOf(flushTemporary, renamed);
    EXPECT_GE(flushed, 0) << name.toStdString() << " renamed before it reached the disk";
    EXPECT_GT(calls.indexOf(flushFolder, renamed), renamed)
        << "the rename of " << name.toStdString() << " not flushed";
}

TEST(PowerLoss, theSettingsFilesReachTheDiskBeforeAndAfterTheirRename) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    const QStringList calls =
        tracedCalls(dir.path(), {QStringLiteral("settings"), QStringLiteral("set"),
                                 QStringLiteral("SMTPHost"), QStringLiteral("smtp.firma.cz")});
    for (const char* name : {"Vorbel.ini", "rdata1.dti", "EText"}) {
        expectReplacedDurably(calls, dir.path(), QString::fromLatin1(name));
    }
}

TEST(PowerLoss, newStateTablesReachTheDiskBeforeAndAfterTheirRename) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    const QStringList calls =
        tracedCalls(dir.path(), {QStringLiteral("state"), QStringLiteral("document"), QStringLiteral("FV1")});
    for (const char* name :
         {"EArchiv.dbt", "EArchiv.mdx", "EArchiv.dat", "EDoklady.dbt", "EDoklady.mdx", "EDoklady.dat"}) {
        expectReplacedDurably(calls, dir.path(), QString::fromLatin1(name));
    }
}

}  // namespace
