#include "AppFixture.h"
#include "FileSizeLimit.h"
#include "app/SettingsStore.h"
#include "app/StartUp.h"
#include "settings/PasswordStore.h"
#include "support/CaseName.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using app::AppSettings;
using Message = test::FakeUserInterface::Message;

namespace {

struct SettingsFixture : test::AppFixture {
    SettingsFixture() { session.AppDir = dir.path(); }
    QByteArray file(const char* name) const {
        QFile in(dir.file(QString::fromLatin1(name)));
        EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << name;
        return in.readAll();
    }
    void writeIni(const QString& text) const {
        dir.write(QStringLiteral("Vorbel.ini"), test::cp1250().encode(text));
    }
    // A fresh run's view of the program folder.
    std::unique_ptr<app::AppSession> reloaded() const {
        auto next = std::make_unique<app::AppSession>(platform::SystemLocale());
        next->AppDir = dir.path();
        app::LoadSettings(*next);
        return next;
    }
};

AppSettings everyFieldChanged() {
    AppSettings s;
    s.OpenDir = QStringLiteral("/home/účetní/Exporty/");
    s.FirstEmailing = false;
    s.E_Predmet = QStringLiteral("Upomínka %ODBERATEL%");
    s.E_KopieEmailu = QStringLiteral("kopie@firma.cz");
    s.E_PripojitPrilohu = false;
    s.EF_Nadpis = QStringLiteral("Stav k %DATUM%");
    s.EF_CisDokl = QStringLiteral("Číslo");
    s.EF_Vystaveno = QStringLiteral("Vyst.");
    s.EF_Splatno = QStringLiteral("Splat.");
    s.EF_CenaCelk = QStringLiteral("Celkem");
    s.EF_ZbyvaUhr = QStringLiteral("Zbývá");
    s.EF_Mena = QStringLiteral("Měna (ISO)");
    s.DefaultSendMail = false;
    s.SMTPJednotlive = true;
    s.SMTPHost = QStringLiteral("smtp.firma.cz");
    s.SMTPPort = 587;
    s.SMTPAuth = true;
    s.SMTPUserID = QStringLiteral("ucetni");
    s.SMTPFromAddress = QStringLiteral("ucetni@firma.cz");
    s.SMTPFromName = QStringLiteral("Účtárna Šťastný");
    s.SMTPSecurity = 1;
    s.SMTPPlainAuth = true;
    s.ClientType = 3;
    s.ClientDirectName = QStringLiteral("Pošta");
    s.SMTPPassword = QStringLiteral("žluťoučký kůň");
    s.EText = QStringLiteral("Dobrý den,\r\n\r\nplaťte.\r\n  S pozdravem");
    s.PocetUrovni = 2;
    s.Urovne[0].Nazev = QStringLiteral("Připomínka");
    s.Urovne[0].DniOdPredchozi = 10;
    s.Urovne[1].Predmet = QStringLiteral("Důrazná upomínka %UROVEN% do %LHUTA%");
    s.Urovne[1].Text = QStringLiteral("Zaplaťte %CELKEM%.\r\nDěkujeme");
    s.Urovne[1].DniPoSplatnosti = 21;
    s.Urovne[1].Lhuta = 10;
    // A level not in use keeps its changed text.
    s.Urovne[3].Text = QStringLiteral("Čtvrtá");
    return s;
}

TEST(LoadSettings, withoutFilesGivesTheDefaults) {
    SettingsFixture f;
    app::LoadSettings(f.session);
    EXPECT_EQ(f.session.settings, AppSettings());
    EXPECT_EQ(f.session.windowLayout, app::MainWindowLayout());
    EXPECT_EQ(AppSettings().EText.count(QStringLiteral("\r\n")), 11);
    EXPECT_TRUE(AppSettings().EText.startsWith(QStringLiteral("Odesilatel: %DODAVATEL%\r\nPrijemce: ")));
}

TEST(LoadSettings, everyFieldSurvivesSaveAndLoad) {
    SettingsFixture f;
    f.session.settings = everyFieldChanged();
    const app::MainWindowLayout layout{true,
                                       250,
                                       420,
                                       {{QStringLiteral("frmMain"), QRect(10, 20, 700, 500)},
                                        {QStringLiteral("frmNastaveni"), QRect(-5, 0, 640, 560)}}};
    f.session.windowLayout = layout;
    app::SaveSettings(f.session);
    auto next = f.reloaded();
    EXPECT_EQ(next->settings, everyFieldChanged());
    EXPECT_EQ(next->windowLayout, layout);
    // The body is written as it stands, without a line break added; so are the levels' bodies, of
    // the levels in use and of the changed ones.
    EXPECT_EQ(f.file("EText"), test::cp1250().encode(everyFieldChanged().EText));
    EXPECT_EQ(f.file("EText2"), test::cp1250().encode(everyFieldChanged().Urovne[1].Text));
    EXPECT_EQ(f.file("EText4"), test::cp1250().encode(QStringLiteral("Čtvrtá")));
    EXPECT_FALSE(QFile::exists(f.dir.file(QStringLiteral("EText3"))));
}

TEST(LoadSettings, headerHeightBelow40Becomes120) {
    const std::pair<const char*, int> cases[] = {{"39", 120}, {"0", 120},   {"-7", 120}, {"40", 40},
                                                 {"41", 41},  {"abc", 193}, {"", 193}};
    for (const auto& [stored, expected] : cases) {
        SettingsFixture f;
        f.writeIni(QStringLiteral("[MAIN]\r\nHeaderHeight=") + QString::fromLatin1(stored) +
                   QStringLiteral("\r\n"));
        app::LoadSettings(f.session);
        EXPECT_EQ(f.session.windowLayout.HeaderHeight, expected) << stored;
    }
}

TEST(LoadSettings, emptyTextsGetTheirDefaultsButTheCopyAddressStaysEmpty) {
    SettingsFixture f;
    f.writeIni(
        QStringLiteral("[EMAIL]\r\nE_Predmet=\r\nE_KopieEmailu=\r\nEF_Nadpis=\"\"\r\nEF_Mena=  \r\n"
                       "EF_CisDokl=\"  \"\r\nEF_Splatno=  Splatnost  \r\n"));
    f.dir.write(QStringLiteral("EText"), "");
    app::LoadSettings(f.session);
    const AppSettings& s = f.session.settings;
    EXPECT_EQ(s.E_Predmet, AppSettings::DefaultPredmet());
    EXPECT_EQ(s.E_KopieEmailu, QString());
    EXPECT_EQ(s.EF_Nadpis, AppSettings::DefaultNadpis());
    EXPECT_EQ(s.EF_Mena, AppSettings::DefaultMena());
    EXPECT_EQ(s.EF_CisDokl, QStringLiteral("  "));  // blanks inside quotes are no empty text
    EXPECT_EQ(s.EF_Splatno, QStringLiteral("Splatnost"));
    EXPECT_EQ(s.EText, AppSettings::DefaultBody());
}

TEST(LoadSettings, bodyLineBreaksBecomeCrLf) {
    SettingsFixture f;
    f.dir.write(QStringLiteral("EText"), "a\nb\rc\r\nd\n\n\r\re");
    app::LoadSettings(f.session);
    EXPECT_EQ(f.session.settings.EText, QStringLiteral("a\r\nb\r\nc\r\nd\r\n\r\n\r\n\r\ne"));
}

TEST(SaveSettings, foreignSectionsAndKeysSurviveWithOnlyOurKeysChanged) {
    SettingsFixture f;
    const QString original = QStringLiteral(
        "; Tervalo\r\n"
        "[main]\r\n"
        "RunSetup=0\r\n"
        "  openDIR = \"/stará/cesta/\"  \r\n"
        "Neznamy=ponechat\r\n"
        "\r\n"
        "[Cizi sekce]\r\n"
        "klic = \" s mezerami \"\r\n"
        "\r\n"
        "[send]\r\n"
        "SMTPHOST=  stary.server  \r\n");
    f.writeIni(original);
    app::LoadSettings(f.session);
    EXPECT_EQ(f.session.settings.OpenDir, QStringLiteral("/stará/cesta/"));
    EXPECT_EQ(f.session.settings.SMTPHost, QStringLiteral("stary.server"));
    f.session.settings.SMTPHost = QStringLiteral("novy.server");
    app::SaveSettings(f.session);

    const QString saved = test::cp1250().decode(f.file("Vorbel.ini"));
    const QString expectedStart = QStringLiteral(
        "; Tervalo\r\n"
        "[main]\r\n"
        "RunSetup=0\r\n"
        "OpenDir=/stará/cesta/\r\n"
        "Neznamy=ponechat\r\n"
        "FirstEmailing=1\r\n"
        "Maximized=0\r\n"
        "HeaderHeight=193\r\n"
        "\r\n"
        "[Cizi sekce]\r\n"
        "klic = \" s mezerami \"\r\n"
        "\r\n"
        "[send]\r\n"
        "SMTPHost=novy.server\r\n"
        "DefaultSendMail=1\r\n"
        "SMTPJednotlive=0\r\n"
        "SMTPPort=25\r\n");
    EXPECT_EQ(saved.left(expectedStart.size()), expectedStart);
    // The interest settings and then the levels have a section of their own at the end.
    EXPECT_TRUE(saved.contains(
        QStringLiteral("ClientType=2\r\nClientDirectName=\r\n\r\n[EMAIL]\r\n"
                       "E_Predmet=Upominka: seznam neuhrazenych dokladu\r\n"
                       "E_KopieEmailu=\r\nE_PripojitPrilohu=1\r\n"
                       "EF_Nadpis=Seznam neuhrazených dokladů ke dni %DATUM%\r\n"
                       "EF_CisDokl=Doklad č.\r\nEF_Vystaveno=Vystaveno\r\n"
                       "EF_Splatno=Splatno\r\nEF_CenaCelk=Cena celkem\r\n"
                       "EF_ZbyvaUhr=Zbývá uhradit\r\nEF_Mena=Měna\r\n\r\n[QRPLATBA]\r\n"
                       "QRPlatba=0\r\nQRUcet=\r\nQRBic=\r\nQRZprava=Úhrada dokladu %DOKLADY%\r\n"
                       "QRRezim=1\r\nQRUctyMeny=\r\n\r\n[UROKY]\r\nNahradaNakladu=0\r\nStaryExportDni=3\r\n"
                       "\r\n[UROVNE]\r\nPocetUrovni=3\r\nJenPoSplatnosti=0\r\nNazev1=1. upomínka\r\n"
                       "DniOdPredchozi1=14\r\nDniPoSplatnosti1=0\r\nLhuta1=7\r\nNazev2=2. upomínka\r\n")))
        << saved.toStdString();
    EXPECT_TRUE(saved.endsWith(QStringLiteral("DniPoSplatnosti5=45\r\nLhuta5=7\r\n"))) << saved.toStdString();
    EXPECT_EQ(f.reloaded()->settings, f.session.settings);
}

TEST(SaveSettings, aFileThatCannotBeWrittenCostsOnlyItself) {
    SettingsFixture f;
    f.session.settings.SMTPPassword = QStringLiteral("stare heslo");
    app::SaveSettings(f.session);
    const QByteArray oldIni = f.file("Vorbel.ini");

    // Vorbel.ini (about 600 bytes) and the password file (528) cannot grow past 100 bytes now.
    f.session.settings.SMTPHost = QStringLiteral("novy.server");
    f.session.settings.SMTPPassword = QStringLiteral("nove heslo");
    f.session.settings.EText = QStringLiteral("kratky text");
    f.session.StartedWithParams = false;
    {
        test::FileSizeLimit limit(100);
        app::ShutDown(f.session, QString(), 0, f.ui);
    }
    EXPECT_EQ(
        f.ui.messages(),
        (std::vector<Message>{{QStringLiteral("error"), QStringLiteral("Chyba : nelze zapsat do souboru ") +
                                                            f.dir.file(QStringLiteral("Vorbel.ini"))}}));
    EXPECT_EQ(f.file("Vorbel.ini"), oldIni);
    EXPECT_EQ(f.file("EText"), QByteArray("kratky text"));
    EXPECT_EQ(f.reloaded()->settings.SMTPPassword, QStringLiteral("stare heslo"));
}

TEST(StartUp, unreadableBodyFileStopsRatherThanLosingIt) {
    test::AppFixture f;
    // A folder cannot be read as a file; going on with the default body would replace it at the close.
    ASSERT_TRUE(QDir(f.dir.path()).mkpath(QStringLiteral("EText/x")));
    EXPECT_EQ(app::StartUp(f.session, f.dir.path(), f.ui), app::StartResult::Stop);
    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{{QStringLiteral("error"), QStringLiteral("Chyba : nelze číst soubor ") +
                                                                  f.dir.file(QStringLiteral("EText"))}}));
}

}  // namespace

namespace {

// A disk that refuses to let any file grow past a byte limit while the program closes: each of the
// three files is either left as it was or replaced whole, and the first one that failed is named.
struct WriteFailure {
    const char* name;
    // The limit, from the sizes of the new Vorbel.ini and EText.
    rlim_t (*limit)(rlim_t ini, rlim_t body);
};

class SaveSettingsFailingAtByte : public ::testing::TestWithParam<WriteFailure> {};

TEST_P(SaveSettingsFailingAtByte, keepsEachFileOldOrNewAndNamesTheFirstFailure) {
    // `failing` meets the full disk; `reference` saves the same settings without a limit.
    SettingsFixture failing;
    SettingsFixture reference;
    for (SettingsFixture* f : {&failing, &reference}) {
        f->writeIni(QStringLiteral("[MAIN]\r\nRunSetup=0\r\n"));
        f->session.settings.SMTPPassword = QStringLiteral("stare heslo");
        app::SaveSettings(f->session);
        f->session.settings = everyFieldChanged();
        f->session.StartedWithParams = false;
    }
    const QByteArray oldIni = failing.file("Vorbel.ini");
    const QByteArray oldBody = failing.file("EText");
    app::ShutDown(reference.session, QString(), 0, reference.ui);
    const QByteArray newIni = reference.file("Vorbel.ini");
    const QByteArray newBody = reference.file("EText");
    const rlim_t limit = GetParam().limit(rlim_t(newIni.size()), rlim_t(newBody.size()));
    {
        test::FileSizeLimit full(limit);
        app::ShutDown(failing.session, QString(), 0, failing.ui);
    }

    const bool iniWritten = limit >= rlim_t(newIni.size());
    const bool passwordWritten = limit >= rlim_t(app::PasswordStore::kFileSize);
    const bool bodyWritten = limit >= rlim_t(newBody.size());
    EXPECT_EQ(failing.file("Vorbel.ini"), iniWritten ? newIni : oldIni);
    EXPECT_EQ(failing.file("EText"), bodyWritten ? newBody : oldBody);
    EXPECT_EQ(failing.reloaded()->settings.SMTPPassword,
              passwordWritten ? everyFieldChanged().SMTPPassword : QStringLiteral("stare heslo"));
    std::vector<Message> expected;
    for (const auto& [written, name] :
         {std::pair{iniWritten, "Vorbel.ini"}, std::pair{passwordWritten, "rdata1.dti"},
          std::pair{bodyWritten, "EText"}}) {
        if (!written) {
            expected.push_back({QStringLiteral("error"), QStringLiteral("Chyba : nelze zapsat do souboru ") +
                                                             failing.dir.file(QString::fromLatin1(name))});
            break;
        }
    }
    EXPECT_EQ(failing.ui.messages(), expected);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(failing.dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    SaveSettings, SaveSettingsFailingAtByte,
    ::testing::Values(WriteFailure{"nothing_fits", [](rlim_t, rlim_t) { return rlim_t(0); }},
                      WriteFailure{"one_byte_fits", [](rlim_t, rlim_t) { return rlim_t(1); }},
                      WriteFailure{"body_fits", [](rlim_t, rlim_t body) { return body; }},
                      WriteFailure{"password_cut_at_its_last_byte",
                                   [](rlim_t, rlim_t body) { return std::max(body, rlim_t(527)); }},
                      WriteFailure{"ini_cut_at_its_last_byte", [](rlim_t ini, rlim_t) { return ini - 1; }},
                      WriteFailure{"everything_fits", [](rlim_t ini, rlim_t) { return ini; }}),
    test::CaseName());

}  // namespace
