#include "app/SettingsStore.h"
#include "compose/SettingsDialog.h"
#include "support/FakeUserInterface.h"
#include "support/TempAppDir.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
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
    TfrmNastaveni dialog{settings, clients, ui};
};

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
    f.click("rbSMTP");
    EXPECT_EQ(states(), (V{true, true, true, false, false, false, false, false}));
    f.click("chckAuth");
    EXPECT_EQ(states(), (V{true, true, true, true, true, false, false, false}));
    f.click("rbVychozKlient");
    EXPECT_EQ(states(), (V{false, false, false, false, false, true, true, true}));
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
                                 "SMTPFromName=Účtárna\r\nClientType=3\r\nClientDirectName=Alfa\r\n")));
    dir.write(QStringLiteral("EText"), "Dobry den,\r\nplatte.");
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
    TfrmNastaveni dialog(first->settings, f.clients, f.ui);
    dialog.prepareEdit(TfrmNastaveni::OdesilaniEmailu);
    dialog.open();
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(first->settings, before);
    app::SaveSettings(*first);
    EXPECT_EQ(load()->settings, before);
}

TEST(TfrmNastaveni, minimisingItMinimisesTheWholeApplication) {
    QWidget mainWindow;
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    DialogFixture f;
    f.open();
    f.dialog.showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow.isMinimized(); }));
}

}  // namespace
