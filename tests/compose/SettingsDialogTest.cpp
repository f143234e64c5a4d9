#include "app/SettingsStore.h"
#include "compose/SettingsDialog.h"
#include "import/LateInterestRates.h"
#include "support/FakeUserInterface.h"
#include "support/RealSmtpServer.h"
#include "support/TempAppDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace tervalo;
using compose::TfrmNastaveni;
using Message = test::FakeUserInterface::Message;

namespace {

struct DialogFixture {
    DialogFixture() {
        clients.append(QStringLiteral("Pošta"), QStringLiteral("/usr/bin/posta"));
        clients.append(QStringLiteral("Alfa"), QStringLiteral("/usr/bin/alfa"));
        clients.append(QStringLiteral("Systémová pošta (sendmail)"), QStringLiteral("/usr/sbin/sendmail"));
    }
    void open(int tab = TfrmNastaveni::PostovniZprava) {
        dialog.prepareEdit(tab);
        dialog.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    template <class T>
    T* child(const char* name) {
        T* found = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // As a user's click: radio buttons take mouse clicks only on their indicator and caption.
    void click(const char* name) { child<QAbstractButton>(name)->click(); }
    // QTest types ASCII only: Czech text is put in as a paste would.
    void type(const char* name, const QString& text) { child<QLineEdit>(name)->setText(text); }
    bool enabled(const char* name) { return child<QWidget>(name)->isEnabled(); }

    app::AppSettings settings;
    compose::EmailKlientTable clients;
    test::FakeUserInterface ui;
    platform::SystemLocale locale;
    TfrmNastaveni dialog{settings, clients, ui, locale};
};

TEST(TfrmNastaveni, theSendingTabNamesTheRoutesOfThisDesktop) {
    DialogFixture f;
    f.clients.defaultClient = QStringLiteral("Pošta");
    f.clients.submissionProgram = QStringLiteral("/nonexistent/sbin/sendmail");
    f.open(TfrmNastaveni::OdesilaniEmailu);

    const QString note = f.child<QLabel>("lblKlientPoznamka")->text();
    EXPECT_TRUE(note.startsWith(
        QStringLiteral("Jednotlivé upomínky se otevírají v poštovním klientovi pracovní plochy (Pošta)")))
        << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("(/nonexistent/sbin/sendmail)"))) << note.toStdString();
    EXPECT_EQ(f.child<QRadioButton>("rbMapiRadioBtn")->text(),
              QStringLiteral("použít výchozí (podle pracovní plochy)"));
    const QAbstractItemModel* grid = f.child<QTableView>("grEmailKlient")->model();
    EXPECT_EQ(grid->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Klient"));
    EXPECT_EQ(grid->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Program"));

    // The note follows the list, which start-up fills.
    f.dialog.reject();
    f.clients.defaultClient.clear();
    f.open(TfrmNastaveni::OdesilaniEmailu);
    EXPECT_TRUE(f.child<QLabel>("lblKlientPoznamka")
                    ->text()
                    .startsWith(QStringLiteral("Výchozí poštovní klient pracovní plochy nebyl nalezen")));
}

TEST(TfrmNastaveni, showsTheRecordOnTheRequestedTab) {
    DialogFixture f;
    f.settings.SMTPPort = 2525;
    f.settings.SMTPPassword = QStringLiteral("heslo");
    f.open(TfrmNastaveni::OdesilaniEmailu);
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("Nastavení"));
    EXPECT_EQ(f.child<QTabWidget>("pcNastaveni")->currentIndex(), 2);
    EXPECT_EQ(f.child<QTabWidget>("pcNastaveni")->tabText(1), QStringLiteral("Seznam neuhr. dokladů"));
    EXPECT_EQ(f.child<QLineEdit>("edtPredmet")->text(), app::AppSettings::DefaultPredmet());
    EXPECT_EQ(f.child<QLineEdit>("edtZbyvauhr")->text(), QStringLiteral("Zbývá uhradit"));
    EXPECT_EQ(f.child<QSpinBox>("edtPort")->value(), 2525);
    EXPECT_EQ(f.child<QLineEdit>("edtUserPass")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.child<QLineEdit>("edtUserPass")->text(), QStringLiteral("heslo"));
    EXPECT_TRUE(f.child<QRadioButton>("rbVychozKlient")->isChecked());
    EXPECT_TRUE(f.child<QRadioButton>("rbMapiRadioBtn")->isChecked());
    EXPECT_TRUE(f.child<QLabel>("lblPromenne")
                    ->text()
                    .endsWith(QStringLiteral(" %DOKLADY% - seznam neuhr. dokladů (proměnnou použijte pouze "
                                             "pokud nepřipojujete přílohu)")));
}

// The levels tab: the first level's texts belong to the message tab; a level beyond those in use is
// marked so; what is edited on a level is kept when another is chosen, and OK stores it all.
TEST(TfrmNastaveni, theLevelsTabEditsEachLevelAndTheOverdueOnlyChoice) {
    DialogFixture f;
    f.open();
    auto* tabs = f.child<QTabWidget>("pcNastaveni");
    tabs->setCurrentWidget(f.child<QWidget>("tsUrovne"));
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("Úrovně upomínek"));
    auto* level = f.child<QComboBox>("cbUroven");
    EXPECT_EQ(level->itemText(0), QStringLiteral("1. upomínka"));
    EXPECT_EQ(level->itemText(3), QStringLiteral("4. úroveň (nepoužita)"));
    EXPECT_FALSE(f.enabled("edtPredmetUrovne"));
    EXPECT_TRUE(f.child<QLabel>("lblPrvniUroven")->isVisible());

    level->setCurrentIndex(1);
    EXPECT_TRUE(f.enabled("edtPredmetUrovne"));
    EXPECT_EQ(f.child<QLineEdit>("edtPredmetUrovne")->text(), f.settings.Urovne[1].Predmet);
    f.type("edtNazevUrovne", QStringLiteral("Důrazná upomínka"));
    f.child<QPlainTextEdit>("edtTextUrovne")->setPlainText(QStringLiteral("řádek\nDruhý"));
    f.child<QSpinBox>("edtDniPoSplatnosti")->setValue(21);
    level->setCurrentIndex(2);
    f.child<QSpinBox>("edtPocetUrovni")->setValue(2);
    EXPECT_EQ(level->itemText(2), QStringLiteral("Předžalobní výzva (nepoužita)"));
    EXPECT_FALSE(f.child<QCheckBox>("cbJenPoSplatnosti")->isChecked());
    f.click("cbJenPoSplatnosti");
    f.click("btnOk");

    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.PocetUrovni, 2);
    EXPECT_TRUE(f.settings.JenPoSplatnosti);
    EXPECT_EQ(f.settings.Urovne[1].Nazev, QStringLiteral("Důrazná upomínka"));
    EXPECT_EQ(f.settings.Urovne[1].Text, QStringLiteral("řádek\r\nDruhý"));
    EXPECT_EQ(f.settings.Urovne[1].DniPoSplatnosti, 21);
    EXPECT_EQ(f.settings.Urovne[2].Nazev, QStringLiteral("Předžalobní výzva"));
}

TEST(TfrmNastaveni, okWithSmtpRequiresServerAndSenderAndStaysOpen) {
    DialogFixture f;
    f.open(TfrmNastaveni::OdesilaniEmailu);
    f.click("rbSMTP");
    f.type("edtHost", QStringLiteral("   "));
    f.click("btnOk");
    f.type("edtHost", QStringLiteral(" smtp.firma.cz "));
    f.click("btnOk");
    f.type("edtJmenoOdes", QStringLiteral("Účtárna"));
    f.click("btnOk");
    EXPECT_EQ(
        f.ui.messages(),
        (std::vector<Message>{
            {QStringLiteral("warning"),
             QStringLiteral("Musíte vyplnit políčko \"SMTP adresa\" na záložce Odesílání e-mailu.")},
            {QStringLiteral("warning"),
             QStringLiteral("Musíte vyplnit políčko \"Jméno odesílatele\" na záložce Odesílání e-mailu.")},
            {QStringLiteral("warning"),
             QStringLiteral("Musíte vyplnit políčko \"E-mail odesílatele\" na záložce Odesílání e-mailu.")},
        }));
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_EQ(f.child<QTabWidget>("pcNastaveni")->currentIndex(), 2);
    EXPECT_TRUE(f.settings.DefaultSendMail);

    f.type("edtAdresaOdes", QStringLiteral("ucetni@firma.cz"));
    f.click("btnOk");
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(f.settings.DefaultSendMail);
    EXPECT_EQ(f.settings.SMTPHost, QStringLiteral(" smtp.firma.cz "));
    EXPECT_EQ(f.ui.messages().size(), 3u);
}

// The single reminder's way: the program's own window needs the SMTP server as a bulk run by SMTP
// does, and the copy address must name mailboxes.
TEST(TfrmNastaveni, singleRemindersBySmtpAreStoredAndNeedTheServer) {
    DialogFixture f;
    f.open(TfrmNastaveni::OdesilaniEmailu);
    EXPECT_TRUE(f.child<QRadioButton>("rbJednotliveKlient")->isChecked());
    EXPECT_FALSE(f.enabled("edtHost"));
    f.click("rbJednotliveSMTP");
    EXPECT_TRUE(f.enabled("edtHost"));
    // No compose window of a mail client is left to choose: bulk runs through the mail client go to
    // the system's mail submission.
    EXPECT_FALSE(f.enabled("rbAutomaticRadioBtn"));
    f.click("btnOk");
    f.type("edtHost", QStringLiteral("smtp.firma.cz"));
    f.type("edtJmenoOdes", QStringLiteral("Účtárna"));
    f.type("edtAdresaOdes", QStringLiteral("ucetni@firma.cz"));
    f.type("edtKopieEmailu", QStringLiteral("kopie@firma.cz; archiv"));
    f.click("btnOk");
    EXPECT_TRUE(f.dialog.isVisible());
    f.type("edtKopieEmailu", QStringLiteral("kopie@firma.cz; archiv@firma.cz"));
    f.click("btnOk");
    EXPECT_EQ(
        f.ui.messages(),
        (std::vector<Message>{
            {QStringLiteral("warning"),
             QStringLiteral("Musíte vyplnit políčko \"SMTP adresa\" na záložce Odesílání e-mailu.")},
            {QStringLiteral("warning"),
             QStringLiteral("Políčko \"Kopii zaslat na e-mail\": „archiv“ není platná e-mailová adresa. "
                            "Zadejte adresu ve tvaru jmeno@domena.cz, více adres oddělte čárkou nebo "
                            "středníkem.")}}));
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_TRUE(f.settings.SMTPJednotlive);
    EXPECT_TRUE(f.settings.DefaultSendMail);
    EXPECT_EQ(f.settings.E_KopieEmailu, QStringLiteral("kopie@firma.cz; archiv@firma.cz"));

    f.open(TfrmNastaveni::OdesilaniEmailu);
    EXPECT_TRUE(f.child<QRadioButton>("rbJednotliveSMTP")->isChecked());
    f.click("rbJednotliveKlient");
    f.click("btnOk");
    EXPECT_FALSE(f.settings.SMTPJednotlive);
}

TEST(TfrmNastaveni, sendControlsFollowTheChoices) {
    DialogFixture f;
    f.open(TfrmNastaveni::OdesilaniEmailu);
    const auto states = [&f] {
        return std::vector<bool>{f.enabled("edtHost"),          f.enabled("lblHost"),
                                 f.enabled("chckAuth"),         f.enabled("edtUserID"),
                                 f.enabled("lblUserPass"),      f.enabled("rbAutomaticRadioBtn"),
                                 f.enabled("rbDirectRadioBtn"), f.enabled("grEmailKlient")};
    };
    using V = std::vector<bool>;
    EXPECT_EQ(states(), (V{false, false, false, false, false, true, true, false}));
    f.click("rbDirectRadioBtn");
    EXPECT_EQ(states(), (V{false, false, false, false, false, true, true, true}));
    // The client still serves the single reminder while bulk runs go by SMTP.
    f.click("rbSMTP");
    EXPECT_EQ(states(), (V{true, true, true, false, false, true, true, true}));
    f.click("chckAuth");
    EXPECT_EQ(states(), (V{true, true, true, true, true, true, true, true}));
    f.click("rbJednotliveSMTP");
    EXPECT_EQ(states(), (V{true, true, true, true, true, false, false, false}));
    f.click("rbVychozKlient");
    EXPECT_EQ(states(), (V{true, true, true, true, true, false, false, false}));
    f.click("rbJednotliveKlient");
    EXPECT_EQ(states(), (V{false, false, false, false, false, true, true, true}));
}

// A security value no version wrote shows as no choice, and OK insists on one; authentication without
// encryption is pointed out when the dialog closes.
TEST(TfrmNastaveni, unknownSecurityMustBeChosenAndUnencryptedAuthenticationIsPointedOut) {
    DialogFixture f;
    f.settings.DefaultSendMail = false;
    f.settings.SMTPHost = QStringLiteral("smtp.firma.cz");
    f.settings.SMTPFromName = QStringLiteral("Účtárna");
    f.settings.SMTPFromAddress = QStringLiteral("ucetni@firma.cz");
    f.settings.SMTPAuth = true;
    f.settings.SMTPSecurity = 3;
    f.open(TfrmNastaveni::OdesilaniEmailu);
    auto* security = f.child<QComboBox>("cbZabezpeceni");
    EXPECT_EQ(security->currentText(), QString());
    EXPECT_TRUE(f.enabled("chckPlainAuth"));
    f.click("btnOk");
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_EQ(f.settings.SMTPSecurity, 3);

    security->setCurrentIndex(0);
    f.click("chckPlainAuth");
    f.click("btnOk");
    EXPECT_FALSE(f.dialog.isVisible());
    ASSERT_EQ(f.ui.messages().size(), 2u);
    EXPECT_EQ(f.ui.messages()[0],
              (Message{QStringLiteral("warning"),
                       QStringLiteral("Musíte zvolit \"Zabezpečení\" na záložce Odesílání e-mailu.")}));
    EXPECT_EQ(f.ui.messages()[1].kind, QStringLiteral("information"));
    EXPECT_TRUE(f.ui.messages()[1].text.contains(QStringLiteral("heslo si může přečíst kdokoli")));
    EXPECT_EQ(f.settings.SMTPSecurity, 0);
    EXPECT_TRUE(f.settings.SMTPPlainAuth);
}

TEST(TfrmNastaveni, stornoKeepsTheOldSubjectButTheEditedBody) {
    DialogFixture f;
    f.settings.E_Predmet = QStringLiteral("Starý předmět");
    f.settings.EText = QStringLiteral("první\r\ndruhý");
    f.open();
    EXPECT_EQ(f.child<QPlainTextEdit>("edtText")->toPlainText(), QStringLiteral("první\ndruhý"));
    f.type("edtPredmet", QStringLiteral("Nový předmět"));
    f.child<QPlainTextEdit>("edtText")->moveCursor(QTextCursor::End);
    QTest::keyClick(f.child<QPlainTextEdit>("edtText"), Qt::Key_Return);
    f.child<QPlainTextEdit>("edtText")->insertPlainText(QStringLiteral("třetí"));
    f.click("btnStorno");
    EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(f.settings.E_Predmet, QStringLiteral("Starý předmět"));
    EXPECT_EQ(f.settings.EText, QStringLiteral("první\r\ndruhý\r\ntřetí"));

    f.open();
    EXPECT_EQ(f.child<QLineEdit>("edtPredmet")->text(), QStringLiteral("Starý předmět"));
    EXPECT_EQ(f.child<QPlainTextEdit>("edtText")->toPlainText(), QStringLiteral("první\ndruhý\ntřetí"));
}

TEST(TfrmNastaveni, clearedBodyStaysEmptyAfterStornoAndGetsTheDefaultOnOk) {
    DialogFixture f;
    f.open();
    f.child<QPlainTextEdit>("edtText")->clear();
    f.click("btnStorno");
    EXPECT_EQ(f.settings.EText, QString());
    f.open();
    f.click("btnOk");
    EXPECT_EQ(f.settings.EText, app::AppSettings::DefaultBody());
    f.open();
    EXPECT_EQ(f.child<QPlainTextEdit>("edtText")->toPlainText(),
              QString(app::AppSettings::DefaultBody()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

TEST(TfrmNastaveni, clientGridFollowsClientDirectName) {
    DialogFixture f;
    f.settings.ClientType = 3;
    f.settings.ClientDirectName = QStringLiteral("alfa");
    f.open(TfrmNastaveni::OdesilaniEmailu);
    auto* grid = f.child<QTableView>("grEmailKlient");
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(grid->model()->data(grid->model()->index(2, 1)).toString(),
              QStringLiteral("/usr/sbin/sendmail"));
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_TRUE(grid->isEnabled());

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(2, 0)).center());
    EXPECT_EQ(f.clients.current, 2);
    f.click("btnOk");
    EXPECT_EQ(f.settings.ClientDirectName, QStringLiteral("Systémová pošta (sendmail)"));

    // A name that is not listed leaves the grid where it was.
    f.settings.ClientDirectName = QStringLiteral("Odinstalovaný klient");
    f.open(TfrmNastaveni::OdesilaniEmailu);
    EXPECT_EQ(grid->currentIndex().row(), 2);
}

TEST(TfrmNastaveni, loadOkSaveLoadGivesTheSameSettings) {
    test::TempAppDir dir;
    dir.write(QStringLiteral("Vorbel.ini"),
              platform::SystemLocale().codec().encode(
                  QStringLiteral("[EMAIL]\r\nE_Predmet=  Upomínka \"%ODBERATEL%\"\r\nEF_Mena=Měna\r\n"
                                 "[SEND]\r\nDefaultSendMail=0\r\nSMTPHost=smtp.firma.cz\r\nSMTPPort=465\r\n"
                                 "SMTPAuth=1\r\nSMTPUserID=ucetni\r\nSMTPFromAddress=ucetni@firma.cz\r\n"
                                 "SMTPFromName=Účtárna\r\nSMTPSecurity=2\r\nSMTPPlainAuth=1\r\n"
                                 "SMTPCAFile=/etc/firma/ca.pem\r\n"
                                 "ClientType=3\r\nClientDirectName=Alfa\r\n"
                                 "[QRPLATBA]\r\nQRPlatba=1\r\nQRUcet=19-2000145399/0800\r\nQRBic=GIBACZPX\r\n"
                                 "QRZprava=Faktura %DOKLADY%\r\nQRRezim=2\r\n"
                                 "QRUctyMeny=EUR=DE89370400440532013000\r\n")));
    // Non-breaking spaces and CR LF lines pass through the body's edit unchanged.
    dir.write(QStringLiteral("EText"), platform::SystemLocale().codec().encode(QStringLiteral(
                                           "Dobrý\u00a0den,\r\nplaťte do 10.\u00a0prosince.")));
    const auto load = [&dir] {
        auto session = std::make_unique<app::AppSession>(platform::SystemLocale());
        session->AppDir = dir.path();
        app::LoadSettings(*session);
        return session;
    };
    auto first = load();
    first->settings.SMTPPassword = QStringLiteral("tajné");
    const app::AppSettings before = first->settings;

    DialogFixture f;
    TfrmNastaveni dialog(first->settings, f.clients, f.ui, first->locale);
    dialog.prepareEdit(TfrmNastaveni::OdesilaniEmailu);
    dialog.open();
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(first->settings, before);
    app::SaveSettings(*first);
    EXPECT_EQ(load()->settings, before);
}

TEST(TfrmNastaveni, qrPlatbaTabShowsTheIbanAndRefusesABadAccountNamingTheField) {
    DialogFixture f;
    f.open(TfrmNastaveni::QrPlatba);
    EXPECT_EQ(f.child<QTabWidget>("pcNastaveni")->tabText(3), QStringLiteral("QR platba"));
    EXPECT_FALSE(f.child<QCheckBox>("chckQRPlatba")->isChecked());
    EXPECT_EQ(f.child<QLineEdit>("edtQRZprava")->text(), QStringLiteral("Úhrada dokladu %DOKLADY%"));

    f.click("chckQRPlatba");
    f.type("edtQRUcet", QStringLiteral("19-2000145399/0800"));
    EXPECT_TRUE(f.child<QLineEdit>("edtQRIban")->isReadOnly());
    EXPECT_EQ(f.child<QLineEdit>("edtQRIban")->text(), QStringLiteral("CZ6508000000192000145399"));

    const std::pair<const char*, const char*> refused[] = {
        {"19-2000145398/0800",
         "Políčko \"Číslo účtu\" na záložce QR platba není platné: Číslo účtu 2000145398 "
         "nevyhovuje kontrole modulo 11."},
        {"", "Políčko \"Číslo účtu\" na záložce QR platba není platné: Číslo účtu není vyplněno."},
    };
    for (const auto& [account, message] : refused) {
        f.type("edtQRUcet", QString::fromUtf8(account));
        EXPECT_EQ(f.child<QLineEdit>("edtQRIban")->text(), QString());
        f.child<QTabWidget>("pcNastaveni")->setCurrentIndex(TfrmNastaveni::PostovniZprava);
        f.click("btnOk");
        EXPECT_TRUE(f.dialog.isVisible());
        EXPECT_EQ(f.child<QTabWidget>("pcNastaveni")->currentIndex(), TfrmNastaveni::QrPlatba);
        ASSERT_FALSE(f.ui.messages().empty());
        EXPECT_EQ(f.ui.messages().back(), (Message{QStringLiteral("warning"), QString::fromUtf8(message)}));
    }
    EXPECT_FALSE(f.settings.QRPlatba);

    f.type("edtQRUcet", QStringLiteral("CZ65 0800 0000 1920 0014 5399"));
    f.type("edtQRUctyMeny", QStringLiteral("EUR=CZ00"));
    f.click("btnOk");
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_TRUE(f.ui.messages().back().text.startsWith(QStringLiteral("Políčko \"Účty pro další měny\"")));

    f.type("edtQRUctyMeny", QString());
    f.child<QComboBox>("cbQRRezim")->setCurrentIndex(1);
    f.click("btnOk");
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(f.settings.QRPlatba);
    EXPECT_EQ(f.settings.QRUcet, QStringLiteral("CZ65 0800 0000 1920 0014 5399"));
    EXPECT_EQ(f.settings.QRRezim, 2);
}

TEST(TfrmNastaveni, minimisingItMinimisesTheWholeApplication) {
    QWidget mainWindow;
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    DialogFixture f;
    f.open();
    f.dialog.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&mainWindow] { return mainWindow.isMinimized(); }));
}

TEST(TfrmNastaveni, openingKeepsTheBodyExactlyAsItStands) {
    DialogFixture f;
    const QString body = QStringLiteral("Vážený\u00a0zákazníku,\r\n\r\nčástka 1\u00a0000\u00a0Kč\r\n");
    f.settings.EText = body;
    f.open();
    EXPECT_EQ(f.settings.EText, body);
    f.click("btnOk");
    ASSERT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.EText, body);
}

// A text the settings could not keep as typed is named on OK, and the dialog stays open with the
// record unchanged.
TEST(TfrmNastaveni, okRefusesTextsTheSettingsCannotKeep) {
    struct Case {
        const char* name;
        const char* field;  // a line edit, or edtText for the body
        QString text;
        QString warning;
    };
    const Case cases[] = {
        {"password_with_a_grave_accent", "edtUserPass", QStringLiteral("tajné-à"),
         QStringLiteral(
             "Pole „Heslo“ obsahuje znaky, které kódová stránka Windows-1250 neumí uložit: à. Opravte "
             "je prosím.")},
        {"subject_in_cyrillic", "edtPredmet", QStringLiteral("Напоминание"),
         QStringLiteral(
             "Pole „Předmět e-mailu“ obsahuje znaky, které kódová stránka Windows-1250 neumí uložit: Н, "
             "а, п, о, м, и, н, е. Opravte je prosím.")},
        {"body_with_n_tilde", "edtText", QStringLiteral("Señor"),
         QStringLiteral(
             "Pole „Text e-mailu“ obsahuje znaky, které kódová stránka Windows-1250 neumí uložit: ñ. "
             "Opravte je prosím.")},
        {"copy_address_with_a_line_feed", "edtKopieEmailu", QStringLiteral("kopie@firma.cz\nBcc: x@y.cz"),
         QStringLiteral("Pole „Kopii zaslat na e-mail“ obsahuje nepovolený řídicí znak (kód 10). Opravte ho "
                        "prosím.")},
        {"sender_address_with_a_carriage_return", "edtAdresaOdes", QStringLiteral("ucetni@firma.cz\r"),
         QStringLiteral(
             "Pole „E-mail odesílatele“ obsahuje nepovolený řídicí znak (kód 13). Opravte ho prosím.")},
    };
    for (const Case& c : cases) {
        DialogFixture f;
        f.open();
        const app::AppSettings before = f.settings;
        if (QByteArrayView(c.field) == "edtText") {
            f.child<QPlainTextEdit>("edtText")->setPlainText(c.text);
        } else {
            f.type(c.field, c.text);
        }
        f.click("btnOk");
        EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("warning"), c.warning}})) << c.name;
        EXPECT_TRUE(f.dialog.isVisible()) << c.name;
        EXPECT_EQ(f.settings.SMTPPassword, before.SMTPPassword) << c.name;
        EXPECT_EQ(f.settings.E_Predmet, before.E_Predmet) << c.name;
        EXPECT_EQ(f.settings.E_KopieEmailu, before.E_KopieEmailu) << c.name;
        EXPECT_EQ(f.settings.SMTPFromAddress, before.SMTPFromAddress) << c.name;
    }
}

}  // namespace

// Choosing the security proposes its usual port until the user sets a port of his own in this opening.
TEST(TfrmNastaveni, securityProposesItsPortUntilThePortIsTyped) {
    DialogFixture f;
    f.settings.DefaultSendMail = false;
    f.settings.SMTPPort = 587;
    f.open(TfrmNastaveni::OdesilaniEmailu);
    auto* security = f.child<QComboBox>("cbZabezpeceni");
    auto* port = f.child<QSpinBox>("edtPort");
    security->setFocus();
    QTest::keyClick(security, Qt::Key_Down);  // STARTTLS: 587 is its port already
    EXPECT_EQ(port->value(), 587);
    QTest::keyClick(security, Qt::Key_Down);  // TLS from the start
    EXPECT_EQ(security->currentIndex(), 2);
    EXPECT_EQ(port->value(), 465);
    QTest::keyClick(security, Qt::Key_Up);
    EXPECT_EQ(port->value(), 587);

    port->setValue(2525);
    QTest::keyClick(security, Qt::Key_Down);
    EXPECT_EQ(port->value(), 2525);

    // A new opening forgets the typed port.
    f.dialog.reject();
    f.settings.SMTPPort = 25;
    f.open(TfrmNastaveni::OdesilaniEmailu);
    EXPECT_EQ(security->currentIndex(), 0);
    security->setFocus();
    QTest::keyClick(security, Qt::Key_Down);
    EXPECT_EQ(port->value(), 25);
    QTest::keyClick(security, Qt::Key_Down);
    EXPECT_EQ(port->value(), 465);
}

// The test e-mail goes out with the tab's values as they stand, before OK stores them, and the result
// is reported; the record stays untouched.
TEST(TfrmNastaveni, testEmailUsesTheUnsavedValuesAndReportsTheOutcome) {
    transport::testing::TestCertificates certificates;
    ASSERT_TRUE(certificates.isValid());
    transport::testing::RealSmtpServer server(
        certificates.serverArguments(QStringLiteral("starttls"), QStringLiteral("server")));
    ASSERT_TRUE(server.isRunning());
    DialogFixture f;
    const app::AppSettings before = f.settings;
    f.open(TfrmNastaveni::OdesilaniEmailu);
    f.click("rbSMTP");
    f.type("edtHost", QStringLiteral("localhost"));
    f.child<QSpinBox>("edtPort")->setValue(server.port());
    f.child<QComboBox>("cbZabezpeceni")->setCurrentIndex(1);
    f.type("edtCAFile", certificates.caFile());
    f.type("edtJmenoOdes", QStringLiteral("Účtárna"));
    f.type("edtAdresaOdes", QStringLiteral("ucetni@firma.cz"));

    f.click("btnZkusebniEmail");

    ASSERT_EQ(f.ui.messages().size(), 1u);
    EXPECT_EQ(f.ui.messages()[0].kind, QStringLiteral("information"));
    EXPECT_TRUE(f.ui.messages()[0].text.startsWith(
        QStringLiteral("Zkušební e-mail byl odeslán na adresu ucetni@firma.cz. Server odpověděl: 250")))
        << f.ui.messages()[0].text.toStdString();
    EXPECT_EQ(server.messageFiles().size(), 1);
    EXPECT_EQ(f.settings, before);

    f.ui.clearMessages();
    f.child<QComboBox>("cbZabezpeceni")->setCurrentIndex(0);
    f.type("edtCAFile", QString());
    f.click("chckAuth");
    f.type("edtUserID", QStringLiteral("ucetni"));
    f.click("btnZkusebniEmail");
    ASSERT_EQ(f.ui.messages().size(), 1u);
    EXPECT_EQ(f.ui.messages()[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(f.ui.messages()[0].text.startsWith(QStringLiteral(
        "Zkušební e-mail se nepodařilo odeslat.\n\nKrok, který selhal: ověření účtu\nOdpověď serveru: ")))
        << f.ui.messages()[0].text.toStdString();
    EXPECT_EQ(server.messageFiles().size(), 1);
}

namespace {

// The rate grid shows the shipped rows with the user's over them; OK keeps only the rows that differ
// from the shipped ones beside them, and a row at fault keeps the dialog open on its tab.
TEST(TfrmNastaveni, theInterestTabEditsTheRatesAndTheCompensation) {
    DialogFixture f;
    test::TempAppDir dir;
    dir.write(import::ShippedRatesFile, "2025-07-01;3.50;11.50\n2026-01-01;3.50;11.50\n");
    f.dialog.setRatesFolder([&dir] { return dir.path(); });
    f.open(TfrmNastaveni::UrokyZProdleni);
    auto* grid = f.child<QTableWidget>("grSazby");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("1.1.2026"));
    EXPECT_EQ(grid->item(1, 2)->text(), QStringLiteral("11,50"));
    EXPECT_EQ(f.child<QSpinBox>("edtStaryExport")->value(), 3);

    f.click("btnPridatSazbu");
    ASSERT_EQ(grid->rowCount(), 3);
    grid->setItem(2, 0, new QTableWidgetItem(QStringLiteral("2.7.2026")));
    grid->setItem(2, 1, new QTableWidgetItem(QStringLiteral("3,5")));
    grid->setItem(2, 2, new QTableWidgetItem(QStringLiteral("11,5")));
    f.click("chckNahradaNakladu");
    f.click("btnOk");
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_EQ(
        f.ui.messages(),
        (std::vector<Message>{{QStringLiteral("warning"),
                               QStringLiteral("Úroky z prodlení, řádek 3: pololetí musí začínat dnem 1.1. "
                                              "nebo 1.7. některého roku.")}}));
    EXPECT_FALSE(QFile::exists(dir.file(import::UserRatesFile)));

    grid->item(2, 0)->setText(QStringLiteral("1.7.2026"));
    f.click("btnOk");
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_TRUE(f.settings.NahradaNakladu);
    EXPECT_EQ(import::ParseRates(dir.read(import::UserRatesFile)),
              (std::vector<import::HalfYearRate>{{{2026, 7, 1}, 350, 1150}}));
}

}  // namespace
