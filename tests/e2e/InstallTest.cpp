#include "support/RunProcess.h"
#include "support/TempAppDir.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// A user's home in a temporary folder: the installation goes there and nowhere else.
struct InstallFixture {
    InstallFixture() {
        environment.insert(QStringLiteral("HOME"), root.file(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        environment.insert(QStringLiteral("TERVALO_PROGRAM_FOLDER"), QStringLiteral(TERVALO_APP_DIR));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    test::ProcessResult run(const QString& program, const QStringList& arguments) const {
        return test::runProcess({.program = program, .arguments = arguments, .environment = environment});
    }
    test::ProcessResult script(const char* name) const {
        return run(QStringLiteral("bash"),
                   {QStringLiteral(TERVALO_SOURCE_DIR "/scripts/") + QString::fromLatin1(name), dir});
    }
    QJsonObject addressState(const QStringList& options) const {
        const test::ProcessResult result = run(dir + QStringLiteral("/tervalo-cli"),
                                               QStringList{QStringLiteral("state"), QStringLiteral("address"),
                                                           QStringLiteral("dluznik@firma.cz")} +
                                                   options);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        return QJsonDocument::fromJson(result.out).object();
    }

    test::TempAppDir root;
    // A blank and a quote in the path: the desktop entry must still name it whole.
    QString dir = root.file(QStringLiteral("Můj \"program\" Tervalo"));
    QString dataHome = root.file(QStringLiteral("share"));
    QString entry = dataHome + QStringLiteral("/applications/tervalo.desktop");
    QString icon = dataHome + QStringLiteral("/icons/hicolor/scalable/apps/tervalo.svg");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

TEST(Install, givesAProgramInTheMenuThatStartsAndKeepsItsDataThroughReinstallAndUninstall) {
    InstallFixture f;
    test::ProcessResult installed = f.script("install");
    ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();

    const test::ProcessResult validated = f.run(QStringLiteral("desktop-file-validate"), {f.entry});
    EXPECT_EQ(validated.exitCode, 0) << validated.out.toStdString() << validated.err.toStdString();
    const QByteArray desktopEntry = readAll(f.entry);
    // Inside the quotes a quote is escaped, and the backslash itself once more as in every value.
    QString exec = f.dir + QStringLiteral("/tervalo-open");
    exec.replace(QStringLiteral("\""), QStringLiteral("\\\\\""));
    EXPECT_TRUE(desktopEntry.contains("\nExec=\"" + exec.toUtf8() + "\" %f\n")) << desktopEntry.toStdString();
    EXPECT_TRUE(desktopEntry.contains("\nMimeType=text/csv;\n"));
    EXPECT_TRUE(readAll(f.icon).contains("<svg"));

    // The version chooser of a first start is a dialog nobody answers here: the choice is made as it
    // makes it, and the start with /END runs the start-up of the installed program and ends.
    ASSERT_TRUE(
        QFile::copy(f.dir + QStringLiteral("/Setup/2/Tervalo.chm"), f.dir + QStringLiteral("/Tervalo.chm")));
    QFile vorbel(f.dir + QStringLiteral("/Vorbel.ini"));
    ASSERT_TRUE(vorbel.open(QIODevice::WriteOnly));
    vorbel.write("[MAIN]\r\nRunSetup=0\r\n");
    vorbel.close();
    const test::ProcessResult started = f.run(f.dir + QStringLiteral("/tervalo"), {QStringLiteral("/END")});
    EXPECT_EQ(started.exitCode, 0) << started.err.toStdString();

    // The installed folder loads the demo export and keeps what the user decides.
    const test::ProcessResult shown =
        f.run(f.dir + QStringLiteral("/tervalo-cli"),
              {QStringLiteral("show"), f.dir + QStringLiteral("/demo/Pohledavky.csv")});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_GT(QJsonDocument::fromJson(shown.out).object().value(QStringLiteral("mtFirmy")).toArray().size(),
              0);
    f.addressState({QStringLiteral("--export"), QStringLiteral("0")});
    const QByteArray settings = readAll(f.dir + QStringLiteral("/Vorbel.ini"));

    installed = f.script("install");
    ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();
    EXPECT_EQ(f.addressState({}).value(QStringLiteral("EXPORT")), QJsonValue(false));
    EXPECT_EQ(readAll(f.dir + QStringLiteral("/Vorbel.ini")), settings);

    const test::ProcessResult removed = f.script("uninstall");
    ASSERT_EQ(removed.exitCode, 0) << removed.err.toStdString();
    for (const QString& gone : {f.dir + QStringLiteral("/tervalo"), f.dir + QStringLiteral("/tervalo-cli"),
                                f.dir + QStringLiteral("/uhterv.def"), f.dir + QStringLiteral("/Setup"),
                                f.dir + QStringLiteral("/demo"), f.entry, f.icon}) {
        EXPECT_FALSE(QFileInfo::exists(gone)) << gone.toStdString();
    }
    for (const char* kept : {"Vorbel.ini", "EArchiv.dat", "EArchiv.dbt", "EArchiv.mdx", "EDoklady.dat",
                             "EDoklady.mdx", "Tervalo.chm"}) {
        EXPECT_TRUE(QFileInfo::exists(f.dir + QLatin1Char('/') + QString::fromLatin1(kept))) << kept;
    }
    EXPECT_EQ(readAll(f.dir + QStringLiteral("/Vorbel.ini")), settings);
}

}  // namespace
