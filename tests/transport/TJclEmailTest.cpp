#include "support/CaseName.h"
#include "support/TempAppDir.h"
#include "transport/mailclient/CheckMapiResult.h"
#include "transport/mailclient/EJclMapiError.h"
#include "transport/mailclient/TJclEmail.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

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
    // With no list naming one, the one installed handler is the default.
    EXPECT_EQ(email.DefaultClientPos(), 0);
    EXPECT_EQ(email.SelectedClientPos(), 0);
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

// The desktop's default mail client, as the desktop itself finds it. Every case starts from three
// installed entries in the system folder: "thunderbird" and "alfa" list the mailto type, "beta" does
// not; the user folder and the config folder are empty, the current desktop is "mate".
struct DefaultCase {
    std::string name;
    std::function<void(const XdgFixture&)> prepare;
    QString expected;  // ClientKeyName of the default client; empty: none
};

class DefaultClientTest : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultClientTest, isTheOneTheDesktopOpensMailtoWith) {
    XdgFixture f;
    for (const char* name : {"thunderbird", "alfa", "beta"}) {
        f.program(QString::fromLatin1(name));
    }
    f.entry(QStringLiteral("system/applications/thunderbird.desktop"),
            QStringLiteral("Name=Thunderbird\nExec=thunderbird %u\nMimeType=x-scheme-handler/mailto;\n"));
    f.entry(QStringLiteral("system/applications/alfa.desktop"),
            QStringLiteral("Name=Alfa\nExec=alfa %u\nMimeType=x-scheme-handler/mailto;\n"));
    f.entry(QStringLiteral("system/applications/beta.desktop"),
            QStringLiteral("Name=Beta\nExec=beta %u\nMimeType=text/plain;\n"));
    GetParam().prepare(f);
    transport::TJclEmail email(f.env);
    const int position = email.DefaultClientPos();
    EXPECT_EQ(position < 0 ? QString() : email.ClientList()[position].ClientKeyName, GetParam().expected);
    EXPECT_EQ(email.SelectedClientPos(), position);
}

void writeFile(const XdgFixture& f, const char* path, const char* text) {
    f.root.write(QString::fromLatin1(path), QByteArray(text));
}

const char* const kCacheThunderbirdFirst =
    "[MIME Cache]\nx-scheme-handler/mailto=thunderbird.desktop;alfa.desktop;\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultClientTest,
    ::testing::Values(
        // A fresh system: no mimeapps.list anywhere, only the database of desktop files.
        DefaultCase{"fresh_system_takes_the_cache_order",
                    [](const XdgFixture& f) {
                        writeFile(f, "system/applications/mimeinfo.cache", kCacheThunderbirdFirst);
                    },
                    QStringLiteral("thunderbird.desktop")},
        DefaultCase{"without_a_cache_the_entries_by_id", [](const XdgFixture&) {},
                    QStringLiteral("alfa.desktop")},
        DefaultCase{"removed_association_skips_the_entry",
                    [](const XdgFixture& f) {
                        writeFile(f, "system/applications/mimeinfo.cache", kCacheThunderbirdFirst);
                        writeFile(f, "config/mimeapps.list",
                                  "[Removed Associations]\nx-scheme-handler/mailto=thunderbird.desktop;\n");
                    },
                    QStringLiteral("alfa.desktop")},
        DefaultCase{
            "removal_reaches_only_its_own_and_later_folders",
            [](const XdgFixture& f) {
                // Alfa lives in the user folder, before the system list that removes it.
                f.entry(QStringLiteral("home/applications/alfa.desktop"),
                        QStringLiteral("Name=Alfa\nExec=alfa\nMimeType=x-scheme-handler/mailto;\n"));
                writeFile(
                    f, "system/applications/mimeapps.list",
                    "[Removed Associations]\nx-scheme-handler/mailto=alfa.desktop;thunderbird.desktop\n");
            },
            QStringLiteral("alfa.desktop")},
        DefaultCase{"added_association_comes_before_the_entries_and_joins_the_list",
                    [](const XdgFixture& f) {
                        writeFile(f, "system/applications/mimeinfo.cache", kCacheThunderbirdFirst);
                        writeFile(
                            f, "config/mimeapps.list",
                            "[Added Associations]\nx-scheme-handler/mailto=missing.desktop;beta.desktop;\n");
                    },
                    QStringLiteral("beta.desktop")},
        DefaultCase{"an_earlier_removal_outweighs_a_later_addition",
                    [](const XdgFixture& f) {
                        writeFile(
                            f, "config/mimeapps.list",
                            "[Removed Associations]\nx-scheme-handler/mailto=beta.desktop;alfa.desktop\n");
                        writeFile(f, "system/applications/mimeapps.list",
                                  "[Added Associations]\nx-scheme-handler/mailto=beta.desktop;\n");
                    },
                    QStringLiteral("thunderbird.desktop")},
        DefaultCase{"a_default_anywhere_beats_every_association",
                    [](const XdgFixture& f) {
                        writeFile(f, "config/mimeapps.list",
                                  "[Added Associations]\nx-scheme-handler/mailto=thunderbird.desktop;\n");
                        writeFile(f, "system/applications/mimeapps.list",
                                  "[Default Applications]\nx-scheme-handler/mailto=beta.desktop\n");
                    },
                    QStringLiteral("beta.desktop")},
        DefaultCase{"the_desktop_specific_list_comes_first",
                    [](const XdgFixture& f) {
                        writeFile(f, "config/mimeapps.list",
                                  "[Default Applications]\nx-scheme-handler/mailto=alfa.desktop\n");
                        writeFile(f, "config/mate-mimeapps.list",
                                  "[Default Applications]\nx-scheme-handler/mailto=Thunderbird.Desktop\n");
                    },
                    QStringLiteral("thunderbird.desktop")},
        DefaultCase{"the_old_defaults_list_names_a_default",
                    [](const XdgFixture& f) {
                        writeFile(f, "system/applications/mimeinfo.cache", kCacheThunderbirdFirst);
                        writeFile(f, "system/applications/defaults.list",
                                  "[Default Applications]\nx-scheme-handler/mailto=alfa.desktop\n");
                    },
                    QStringLiteral("alfa.desktop")},
        // A hidden user entry removes the system's entry of the same id; a missing program, a
        // TryExec that is not there or a missing entry is no installed client.
        DefaultCase{
            "hidden_missing_and_uninstalled_entries_are_skipped",
            [](const XdgFixture& f) {
                f.entry(QStringLiteral("home/applications/thunderbird.desktop"),
                        QStringLiteral("Hidden=true\n"));
                f.entry(QStringLiteral("system/applications/gamma.desktop"),
                        QStringLiteral("Exec=gamma\nMimeType=x-scheme-handler/mailto;\n"));
                f.entry(QStringLiteral("system/applications/delta.desktop"),
                        QStringLiteral("Exec=alfa\nTryExec=delta\nMimeType=x-scheme-handler/mailto;\n"));
                writeFile(f, "system/applications/mimeinfo.cache",
                          "[MIME Cache]\nx-scheme-handler/mailto=thunderbird.desktop;gamma.desktop;"
                          "delta.desktop;alfa.desktop;\n");
                writeFile(f, "config/mimeapps.list",
                          "[Default Applications]\nx-scheme-handler/mailto=none.desktop;thunderbird.desktop;"
                          "gamma.desktop;delta.desktop\n");
            },
            QStringLiteral("alfa.desktop")},
        DefaultCase{"no_installed_mailto_handler_means_no_default",
                    [](const XdgFixture& f) {
                        QFile::remove(f.root.file(QStringLiteral("bin/thunderbird")));
                        QFile::remove(f.root.file(QStringLiteral("bin/alfa")));
                    },
                    QString()}),
    test::CaseName());

TEST(TJclEmail, emptyDesktopGivesAnEmptyListAndSelectingFails) {
    XdgFixture f;
    transport::TJclEmail email(f.env);
    EXPECT_TRUE(email.ClientList().isEmpty());
    EXPECT_FALSE(email.AnyClientPresent());
    try {
        email.SelectMailClient(0);
        FAIL() << "no error";
    } catch (const transport::EJclMapiError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Vybraný e-mailový klient není v seznamu nainstalovaných klientů. "
                                           "Vyberte v nastavení jiného e-mailového klienta, nebo zvolte "
                                           "odesílání pomocí SMTP serveru."));
    }
}

// The user is told in Czech what happened and what to do, with the code kept in parentheses.
TEST(MailClientErrors, resultCodesReadInCzechWithTheirCode) {
    const QString smtp = QStringLiteral("zvolte v nastavení odesílání pomocí SMTP serveru.");
    const std::vector<std::pair<int, QString>> cases{
        {2,
         QStringLiteral("Předání zprávy e-mailovému klientovi nebo systémové poště se nezdařilo (chyba 2). "
                        "Zkontrolujte jejich nastavení, nebo ") +
             smtp},
        {3,
         QStringLiteral("Poštovní server odmítl přihlášení systémové pošty (chyba 3). Zkontrolujte jméno a "
                        "heslo v jejím nastavení, nebo ") +
             smtp},
        {11, QStringLiteral("Soubor přílohy nebyl nalezen (chyba 11). Odešlete upomínku znovu.")},
        {12,
         QStringLiteral("Soubor přílohy nelze otevřít (chyba 12). Zkontrolujte přístup k dočasné složce a "
                        "odešlete upomínku znovu.")},
        {14,
         QStringLiteral("Poštovní server adresu příjemce nezná nebo ji odmítl (chyba 14). Opravte e-mailovou "
                        "adresu odběratele nebo adresu kopie.")},
        {23,
         QStringLiteral("Systémová pošta nemohla zprávu předat poštovnímu serveru (chyba 23). Zkontrolujte "
                        "připojení k internetu a nastavení systémové pošty, nebo ") +
             smtp},
        {25, QStringLiteral(
                 "E-mailová adresa příjemce, kopie nebo odesílatele chybí nebo není platná (chyba 25). "
                 "Opravte ji a odešlete upomínku znovu.")},
        {26, QStringLiteral(
                 "Zvolený e-mailový klient tento způsob odeslání neumí (chyba 26). Vyberte v nastavení "
                 "jiného e-mailového klienta, nebo ") +
                 smtp},
        {9, QStringLiteral(
                "E-mailový klient ohlásil chybu (chyba 9). Odešlete upomínku znovu, vyberte v nastavení "
                "jiného e-mailového klienta, nebo ") +
                smtp},
    };
    for (const auto& [code, text] : cases) {
        try {
            transport::CheckMapiResult(code);
            ADD_FAILURE() << code << ": no error";
        } catch (const transport::EJclMapiError& e) {
            EXPECT_EQ(e.code(), code);
            EXPECT_EQ(e.text(), text) << code;
        }
    }
    EXPECT_TRUE(transport::CheckMapiResult(0));
    EXPECT_FALSE(transport::CheckMapiResult(1));
}

}  // namespace
