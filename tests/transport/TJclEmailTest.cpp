#include "support/TempAppDir.h"
#include "transport/EJclMapiError.h"
#include "transport/TJclEmail.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using transport::TJclMapiClient;

namespace {

// A desktop of our own: a user data folder, a system data folder, a config folder and a bin folder.
struct XdgFixture {
    XdgFixture() {
        for (const char* folder :
             {"home/applications", "system/applications/mail", "config", "bin", "sbin"}) {
            EXPECT_TRUE(QDir(root.path()).mkpath(QString::fromLatin1(folder)));
        }
        env.dataDirs = {root.file(QStringLiteral("home")), root.file(QStringLiteral("system"))};
        env.configDirs = {root.file(QStringLiteral("config"))};
        env.desktopNames = {QStringLiteral("mate")};
        env.searchPath = {root.file(QStringLiteral("bin"))};
    }
    void entry(const QString& path, const QString& body) const {
        root.write(path, (QStringLiteral("[Desktop Entry]\nType=Application\n") + body).toUtf8());
    }
    QString program(const QString& name) const {
        const QString path = root.file(QStringLiteral("bin/") + name);
        root.write(QStringLiteral("bin/") + name, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    test::TempAppDir root;
    transport::MailClientEnvironment env;
};

TEST(TJclEmail, listsTheDesktopMailtoHandlersUserFolderFirst) {
    XdgFixture f;
    const QString posta = f.program(QStringLiteral("posta"));
    f.entry(QStringLiteral("home/applications/posta.desktop"),
            QStringLiteral(
                "Name=Mail\nName[cs]=Pošta\nExec=posta %u\nMimeType=text/plain;x-scheme-handler/mailto;\n"));
    // Hidden by the user's entry of the same id.
    f.entry(QStringLiteral("system/applications/posta.desktop"),
            QStringLiteral("Name=System copy\nExec=posta\nMimeType=x-scheme-handler/mailto;\n"));
    // In a subfolder: the id is "mail-beta.desktop"; its program is not installed.
    f.entry(QStringLiteral("system/applications/mail/beta.desktop"),
            QStringLiteral(
                "Name=Beta\nExec=\"/opt/beta mail/beta\" --compose %u\nMimeType=x-scheme-handler/mailto\n"));
    f.entry(
        QStringLiteral("system/applications/alfa.desktop"),
        QStringLiteral(
            "Name=Alfa\nName[cs_CZ]=Alfa česky\nExec=env LANG=C posta\nMimeType=x-scheme-handler/mailto;\n"));
    f.entry(QStringLiteral("system/applications/editor.desktop"),
            QStringLiteral("Name=Editor\nExec=posta\nMimeType=text/plain;\n"));
    f.entry(QStringLiteral("system/applications/gone.desktop"),
            QStringLiteral("Name=Gone\nHidden=true\nExec=posta\nMimeType=x-scheme-handler/mailto;\n"));

    transport::TJclEmail email(f.env);
    EXPECT_EQ(
        email.ClientList(),
        (QList<TJclMapiClient>{
            {QStringLiteral("Pošta"), posta, QStringLiteral("posta.desktop"), true},
            {QStringLiteral("Alfa česky"), QStringLiteral("env"), QStringLiteral("alfa.desktop"), false},
            {QStringLiteral("Beta"), QStringLiteral("/opt/beta mail/beta"),
             QStringLiteral("mail-beta.desktop"), false},
        }));
    EXPECT_EQ(email.DefaultClientPos(), -1);
    EXPECT_EQ(email.SelectedClientPos(), -1);
    EXPECT_TRUE(email.AnyClientPresent());
}

TEST(TJclEmail, defaultClientComesFromMimeappsListWithoutRegardToCase) {
    XdgFixture f;
    f.program(QStringLiteral("a"));
    f.program(QStringLiteral("b"));
    f.entry(QStringLiteral("system/applications/a.desktop"),
            QStringLiteral("Name=A\nExec=a\nMimeType=x-scheme-handler/mailto;\n"));
    f.entry(QStringLiteral("system/applications/b.desktop"),
            QStringLiteral("Name=B\nExec=b\nMimeType=x-scheme-handler/mailto;\n"));
    // The first entry named that is installed counts; the desktop's own list comes first.
    f.root.write(QStringLiteral("config/mate-mimeapps.list"),
                 "[Default Applications]\nx-scheme-handler/mailto=missing.desktop;B.Desktop;a.desktop\n");
    f.root.write(QStringLiteral("config/mimeapps.list"),
                 "[Default Applications]\nx-scheme-handler/mailto=a.desktop\n");
    transport::TJclEmail email(f.env);
    EXPECT_EQ(email.DefaultClientPos(), 1);
    EXPECT_EQ(email.SelectedClientPos(), 1);

    QFile::remove(f.root.file(QStringLiteral("config/mate-mimeapps.list")));
    EXPECT_EQ(transport::TJclEmail(f.env).DefaultClientPos(), 0);
}

TEST(TJclEmail, systemMailSubmissionEndsTheList) {
    XdgFixture f;
    f.program(QStringLiteral("a"));
    f.entry(QStringLiteral("system/applications/a.desktop"),
            QStringLiteral("Name=A\nExec=a\nMimeType=x-scheme-handler/mailto;\n"));
    const QString onPath = f.program(QStringLiteral("sendmail"));
    f.env.sendmailPaths = {f.root.file(QStringLiteral("sbin/sendmail"))};
    transport::TJclEmail email(f.env);
    ASSERT_EQ(email.ClientList().size(), 2);
    EXPECT_EQ(email.ClientList()[1], (TJclMapiClient{QStringLiteral("Systémová pošta (sendmail)"), onPath,
                                                     QStringLiteral("sendmail"), true}));

    // The fixed place wins over PATH.
    f.root.write(QStringLiteral("sbin/sendmail"), "#!/bin/sh\n");
    QFile::setPermissions(f.root.file(QStringLiteral("sbin/sendmail")), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(transport::TJclEmail(f.env).ClientList()[1].ClientLibraryPath,
              f.root.file(QStringLiteral("sbin/sendmail")));
}

TEST(TJclEmail, emptyDesktopGivesAnEmptyListAndSelectingFails) {
    XdgFixture f;
    transport::TJclEmail email(f.env);
    EXPECT_TRUE(email.ClientList().isEmpty());
    EXPECT_FALSE(email.AnyClientPresent());
    try {
        email.SelectMailClient(0);
        FAIL() << "no error";
    } catch (const transport::EJclMapiError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Index is out ot range"));
    }
}

}  // namespace
