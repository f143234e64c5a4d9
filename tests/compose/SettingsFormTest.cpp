#include "compose/FillMailClientList.h"
#include "compose/SettingsForm.h"
#include "support/CaseName.h"
#include "support/TempAppDir.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace tervalo;
using app::AppSettings;
using compose::SendControlStates;
using compose::SettingsForm;

namespace {

SettingsForm smtpForm() {
    SettingsForm form;
    form.rbVychozKlient = false;
    form.edtHost = QStringLiteral("smtp.firma.cz");
    form.edtJmenoOdes = QStringLiteral("Účtárna");
    form.edtAdresaOdes = QStringLiteral("ucetni@firma.cz");
    return form;
}

struct WarningCase {
    std::string name;
    std::function<void(SettingsForm&)> change;
    std::optional<QString> warning;
};

class SettingsFormWarning : public ::testing::TestWithParam<WarningCase> {};

TEST_P(SettingsFormWarning, namesTheFirstEmptyRequiredField) {
    SettingsForm form = smtpForm();
    GetParam().change(form);
    EXPECT_EQ(compose::settingsFormWarning(form), GetParam().warning);
}

QString requiredText(const char* caption) {
    return QStringLiteral("Musíte vyplnit políčko \"") + QString::fromUtf8(caption) +
           QStringLiteral("\" na záložce Odesílání e-mailu.");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsFormWarning,
    ::testing::Values(
        WarningCase{"all_filled", [](SettingsForm&) {}, std::nullopt},
        WarningCase{"host_only_blanks", [](SettingsForm& f) { f.edtHost = QStringLiteral("  "); },
                    requiredText("SMTP adresa")},
        WarningCase{"host_checked_first",
                    [](SettingsForm& f) {
                        f.edtHost.clear();
                        f.edtAdresaOdes.clear();
                    },
                    requiredText("SMTP adresa")},
        WarningCase{"sender_name_empty", [](SettingsForm& f) { f.edtJmenoOdes.clear(); },
                    requiredText("Jméno odesílatele")},
        WarningCase{"sender_address_empty", [](SettingsForm& f) { f.edtAdresaOdes = QStringLiteral("\t"); },
                    requiredText("E-mail odesílatele")},
        WarningCase{"nothing_else_checked",
                    [](SettingsForm& f) {
                        f.edtPort = -1;
                        f.chckAuth = true;
                        f.edtAdresaOdes = QStringLiteral("no address at all");
                    },
                    std::nullopt},
        WarningCase{"security_not_chosen", [](SettingsForm& f) { f.cbZabezpeceni = -1; },
                    QStringLiteral("Musíte zvolit \"Zabezpečení\" na záložce Odesílání e-mailu.")},
        WarningCase{"mail_client_accepts_empty_smtp_fields",
                    [](SettingsForm& f) {
                        f = SettingsForm();
                        f.rbVychozKlient = true;
                        f.cbZabezpeceni = -1;
                    },
                    std::nullopt}),
    test::CaseName());

TEST(UpdateSendControls, followsTheWayOfSendingAndTheAccountSwitch) {
    struct Case {
        const char* name;
        bool client;
        bool singleBySmtp;
        int choice;
        bool auth;
        SendControlStates expected;  // server, account, client choices, client grid
    };
    const Case cases[] = {
        {"smtp_without_auth", false, false, 3, false, {true, false, true, true}},
        {"smtp_with_auth", false, false, 1, true, {true, true, true, false}},
        {"client_automatic", true, false, 1, true, {false, false, true, false}},
        {"client_default", true, false, 2, false, {false, false, true, false}},
        {"client_chosen_enables_grid", true, false, 3, true, {false, false, true, true}},
        {"single_by_smtp_needs_no_client", false, true, 3, false, {true, false, false, false}},
        {"single_by_smtp_needs_the_server_too", true, true, 3, true, {true, true, false, false}},
    };
    for (const Case& c : cases) {
        SettingsForm form;
        form.rbVychozKlient = c.client;
        form.rbJednotliveSMTP = c.singleBySmtp;
        form.clientChoice = c.choice;
        form.chckAuth = c.auth;
        EXPECT_EQ(compose::UpdateSendControls(form), c.expected) << c.name;
    }
}

compose::EmailKlientTable threeClients() {
    compose::EmailKlientTable table;
    table.append(QStringLiteral("Pošta"), QStringLiteral("/usr/bin/posta"));
    table.append(QStringLiteral("Alfa"), QStringLiteral("/usr/bin/alfa"));
    table.append(QStringLiteral("Systémová pošta (sendmail)"), QStringLiteral("/usr/sbin/sendmail"));
    return table;
}

TEST(SettingsForm, fillsFromTheRecordAndStoresBackUnchanged) {
    AppSettings settings;
    settings.E_Predmet = QStringLiteral("  Upomínka  ");
    settings.DefaultSendMail = false;
    settings.SMTPHost = QStringLiteral(" smtp ");
    settings.SMTPPort = 465;
    settings.SMTPPassword = QStringLiteral("heslo");
    settings.SMTPSecurity = 2;
    settings.SMTPPlainAuth = true;
    settings.SMTPCAFile = QStringLiteral("/etc/firma/ca.pem");
    settings.ClientType = 3;
    settings.ClientDirectName = QStringLiteral("ALFA");
    settings.QRPlatba = true;
    settings.QRUcet = QStringLiteral("19-2000145399/0800");
    settings.QRBic = QStringLiteral("GIBACZPX");
    settings.QRZprava = QStringLiteral("Faktura %DOKLADY%");
    settings.QRRezim = 2;
    settings.QRUctyMeny = QStringLiteral("EUR=DE89370400440532013000");
    compose::EmailKlientTable clients = threeClients();
    SettingsForm form;
    compose::fillSettingsForm(form, settings, clients);
    EXPECT_EQ(clients.current, 1);
    EXPECT_EQ(form.edtPredmet, QStringLiteral("  Upomínka  "));
    EXPECT_EQ(form.clientChoice, 3);

    AppSettings stored = settings;
    compose::storeSettingsForm(form, stored, clients);
    settings.ClientDirectName = QStringLiteral("Alfa");  // the grid's spelling
    EXPECT_EQ(stored, settings);
}

// Choosing the security proposes the port providers use for it, but only from the usual other ports.
TEST(SettingsForm, securityProposesTheUsualPort) {
    struct Case {
        int security;
        int port;
        std::optional<int> proposed;
    };
    const Case cases[] = {{2, 25, 465},           {2, 587, 465},          {2, 2525, std::nullopt},
                          {1, 465, 587},          {1, 25, std::nullopt},  {0, 465, std::nullopt},
                          {0, 587, std::nullopt}, {2, 465, std::nullopt}, {1, 587, std::nullopt}};
    for (const Case& c : cases) {
        EXPECT_EQ(compose::proposedSmtpPort(c.security, c.port), c.proposed) << c.security << " " << c.port;
    }
}

TEST(SettingsForm, unknownChoiceOrClientLeavesTheControlsAsTheyWere) {
    AppSettings settings;
    settings.ClientType = 7;
    settings.ClientDirectName = QStringLiteral("Neznámý");
    compose::EmailKlientTable clients = threeClients();
    clients.current = 0;
    SettingsForm form;
    form.clientChoice = 3;
    compose::fillSettingsForm(form, settings, clients);
    EXPECT_EQ(form.clientChoice, 3);
    EXPECT_EQ(clients.current, 0);
    compose::storeSettingsForm(form, settings, clients);
    EXPECT_EQ(settings.ClientType, 3);
    EXPECT_EQ(settings.ClientDirectName, QStringLiteral("Pošta"));
}

// A security value no version wrote leaves the choice empty, so the user must make it; until then the
// stored value stays (and sending refuses it).
TEST(SettingsForm, unknownSecurityIsShownUnchosenAndKeptUntilChosen) {
    for (const int unknown : {3, -1, 42}) {
        AppSettings settings;
        settings.SMTPSecurity = unknown;
        compose::EmailKlientTable clients = threeClients();
        SettingsForm form;
        compose::fillSettingsForm(form, settings, clients);
        EXPECT_EQ(form.cbZabezpeceni, -1) << unknown;
        compose::storeSettingsForm(form, settings, clients);
        EXPECT_EQ(settings.SMTPSecurity, unknown);
        form.cbZabezpeceni = 1;
        compose::storeSettingsForm(form, settings, clients);
        EXPECT_EQ(settings.SMTPSecurity, 1);
    }
}

// OK tells the user when the password would go to the server without encryption: only CRAM-MD5 then,
// or, with the clear-text password allowed, readable on the way.
TEST(SettingsForm, noticeWhenAuthenticationGoesUnencrypted) {
    SettingsForm form = smtpForm();
    form.chckAuth = true;
    const QString cramOnly = QStringLiteral(
        "Server požaduje ověření, ale spojení s ním není šifrované. Heslo se proto pošle jen způsobem "
        "CRAM-MD5, který ho neprozradí; nenabízí-li ho server, odeslání selže. Pokud server šifrování "
        "podporuje, zvolte v políčku \"Zabezpečení\" STARTTLS nebo TLS.");
    EXPECT_EQ(compose::settingsFormNotice(form), cramOnly);
    form.chckPlainAuth = true;
    EXPECT_TRUE(compose::settingsFormNotice(form)->contains(QStringLiteral("přečíst kdokoli")));
    for (const int security : {1, 2}) {
        form.cbZabezpeceni = security;
        EXPECT_EQ(compose::settingsFormNotice(form), std::nullopt) << security;
    }
    form.cbZabezpeceni = 0;
    form.chckAuth = false;
    EXPECT_EQ(compose::settingsFormNotice(form), std::nullopt);
    form.chckAuth = true;
    form.rbVychozKlient = true;
    EXPECT_EQ(compose::settingsFormNotice(form), std::nullopt);
}

TEST(SettingsForm, clearedTextsGetTheirDefaultsExceptTheCopyAddress) {
    AppSettings settings;
    settings.E_KopieEmailu = QStringLiteral("kopie@firma.cz");
    settings.EText.clear();
    SettingsForm form;
    compose::EmailKlientTable noClients;
    compose::fillSettingsForm(form, settings, noClients);
    form.edtPredmet.clear();
    form.edtKopieEmailu.clear();
    form.edtHlavicka.clear();
    form.edtMena.clear();
    form.edtSplatno = QStringLiteral(" ");
    compose::storeSettingsForm(form, settings, noClients);
    EXPECT_EQ(settings.E_Predmet, AppSettings::DefaultPredmet());
    EXPECT_EQ(settings.E_KopieEmailu, QString());
    EXPECT_EQ(settings.EF_Nadpis, AppSettings::DefaultNadpis());
    EXPECT_EQ(settings.EF_Mena, AppSettings::DefaultMena());
    EXPECT_EQ(settings.EF_Splatno, QStringLiteral(" "));
    EXPECT_EQ(settings.EText, AppSettings::DefaultBody());
    EXPECT_EQ(settings.ClientType, 2);
    EXPECT_EQ(settings.ClientDirectName, QString());
}

TEST(FillMailClientList, rowsInListOrderWithTheDefaultClientCurrent) {
    test::TempAppDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("data/applications")));
    const auto entry = [&](const char* id, const QString& name) {
        root.write(QStringLiteral("data/applications/") + QString::fromLatin1(id),
                   (QStringLiteral(
                        "[Desktop "
                        "Entry]\nType=Application\nExec=/bin/sh\nMimeType=x-scheme-handler/mailto;\nName=") +
                    name + QLatin1Char('\n'))
                       .toUtf8());
    };
    entry("a.desktop", QStringLiteral("Alfa"));
    entry("b.desktop", QString(300, QLatin1Char('b')));
    entry("c.desktop", QStringLiteral("Cé"));
    transport::MailClientEnvironment env;
    env.dataDirs = {root.file(QStringLiteral("data"))};
    env.configDirs = {root.path()};

    compose::EmailKlientTable table;
    table.append(QStringLiteral("from an earlier fill"), QString());
    compose::FillMailClientList(table, env);
    ASSERT_EQ(table.rows.size(), 3);
    EXPECT_EQ(table.rows[0], (compose::EmailKlientRow{QStringLiteral("Alfa"), QStringLiteral("/bin/sh")}));
    EXPECT_EQ(table.rows[1].Client, QString(255, QLatin1Char('b')));
    // No list names a default: the desktop takes the first handler by id.
    EXPECT_EQ(table.current, 0);

    root.write(QStringLiteral("mimeapps.list"),
               "[Default Applications]\nx-scheme-handler/mailto=c.desktop;\n");
    compose::FillMailClientList(table, env);
    EXPECT_EQ(table.current, 2);
}

}  // namespace
