#include "BulkFixture.h"

#include "compose/SettingsDialog.h"
#include "sending/EmailingDialog.h"
#include "sending/ProtokolDialog.h"
#include "sending/TestEmailDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace tervalo;
using namespace tervalo::sending;
using Message = test::FakeUserInterface::Message;
using transport::testing::RealSmtpServer;

namespace {

// The user acts while the run lets events through: `duringRun` happens at the first chance `when`
// allows (by default the first).
struct UserDuringRun : test::FakeUserInterface {
    std::function<void()> duringRun;
    std::function<bool()> when;
    void processEvents() override {
        FakeUserInterface::processEvents();
        if (duringRun && (!when || when())) {
            std::function<void()> action = std::move(duringRun);
            duringRun = nullptr;
            action();
        }
        QApplication::processEvents();
    }
};

template <class T>
T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST(TfrmEmailing, provestRunsShowsTheTotalsAndTheProtocolAndKeepsTheCurrentDebtor) {
    RealSmtpServer server(test::authenticatingServerArguments());
    test::BulkFixture f;
    f.useServer(server);
    f.load();
    f.session.tables.mtFirmy.moveTo(3);  // Ema
    UserDuringRun ui;
    compose::TfrmNastaveni frmNastaveni(f.session.settings, f.session.mtEmailKlient, ui, f.session.locale);
    TfrmEmailing dialog(f.session, ui, frmNastaveni);

    dialog.prepareOpen();
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Hromadný e-mailing"));
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_FALSE(f.session.settings.FirstEmailing);
    EXPECT_FALSE(child<QLabel>(dialog, "lblCapInfo")->isVisible());
    const int openedWidth = dialog.width();

    auto* btnProvest = child<QPushButton>(dialog, "btnProvest");
    auto* btnZpet = child<QPushButton>(dialog, "btnZpet");
    bool buttonsOffDuringRun = false;
    ui.duringRun = [&] {
        buttonsOffDuringRun =
            !btnProvest->isEnabled() && !child<QPushButton>(dialog, "btnNastaveni")->isEnabled() &&
            !child<QPushButton>(dialog, "btnTestovaciRezim")->isEnabled() && btnZpet->isEnabled();
        // Zpět and Esc ask once whether to stop; No lets the run go on.
        QTest::mouseClick(btnZpet, Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    };
    ui.queueConfirmation(false);
    QTest::mouseClick(btnProvest, Qt::LeftButton);

    EXPECT_TRUE(buttonsOffDuringRun);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages().back(),
              (Message{QStringLiteral("confirmation"),
                       QStringLiteral(
                           "Chcete hromadný e-mailing zastavit po odeslání právě odesílané upomínky?")}));
    // The run went on to its end, then the dialog closed as the user asked.
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(server.messageFiles().size(), 2);
    EXPECT_EQ(child<QLabel>(dialog, "lblCapInfo")->text(),
              QStringLiteral("Dokončeno (protokol zobrazíte klepnutím zde)"));
    EXPECT_TRUE(child<QLabel>(dialog, "lblZde")->isVisibleTo(&dialog));
    EXPECT_FALSE(child<QLabel>(dialog, "lblNazevFirmy")->isVisibleTo(&dialog));
    EXPECT_EQ(child<QLabel>(dialog, "lblPocetVygenerovanych")->text(), QStringLiteral("2"));
    EXPECT_EQ(child<QLabel>(dialog, "lblPocetVynechanych")->text(), QStringLiteral("4"));
    EXPECT_EQ(child<QProgressBar>(dialog, "pbSendEmail")->value(), 6);
    EXPECT_TRUE(btnProvest->isEnabled());
    EXPECT_EQ(f.currentDebtor(), QStringLiteral("Ema"));
    // The run's texts wrap rather than widen the dialog.
    EXPECT_EQ(dialog.width(), openedWidth);

    TfrmProtokol& frmProtokol = dialog.frmProtokol();
    frmProtokol.prepareShow();
    auto* edtProtokol = child<QPlainTextEdit>(frmProtokol, "edtProtokol");
    EXPECT_EQ(edtProtokol->toPlainText(),
              QString(dialog.protocol().text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(edtProtokol->toPlainText().contains(
        QStringLiteral("Odesílání e-mailu na Ema (ema@ema.cz) - 1. upomínka\n")));
    // What the user types there is what is saved, with CR LF lines.
    edtProtokol->setPlainText(QStringLiteral("vlastní\npoznámka"));
    EXPECT_EQ(dialog.protocol().text(), QStringLiteral("vlastní\r\npoznámka"));

    // A later opening hides the information group again, shows no hint, and tells what a run would
    // do: both reminders went out today.
    dialog.prepareOpen();
    EXPECT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(child<QLabel>(dialog, "lblPlan")->text(),
              QStringLiteral("Bude odesláno upomínek: 0. Vynecháno bude dlužníků: 6 (bez e-mailové adresy 2, "
                             "vyřazeno z e-mailingu 1, nic k odeslání 1, upomenuto již dnes 2)."));
    EXPECT_EQ(child<QLabel>(dialog, "lblCapInfo")->text(),
              QStringLiteral("Dokončeno (protokol zobrazíte klepnutím zde)"));
}

// "Zpět" while Alfa's reminder is being sent, and Yes: the run ends once it is concluded.
TEST(TfrmEmailing, zpetAndYesStopTheRunAfterTheReminderBeingSent) {
    RealSmtpServer server(test::authenticatingServerArguments());
    test::BulkFixture f;
    f.useServer(server);
    f.load();
    f.session.settings.FirstEmailing = false;
    UserDuringRun ui;
    compose::TfrmNastaveni frmNastaveni(f.session.settings, f.session.mtEmailKlient, ui, f.session.locale);
    TfrmEmailing dialog(f.session, ui, frmNastaveni);
    dialog.prepareOpen();
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(child<QLabel>(dialog, "lblPlan")->text(),
              QStringLiteral("Bude odesláno upomínek: 2. Vynecháno bude dlužníků: 4 (bez e-mailové adresy 2, "
                             "vyřazeno z e-mailingu 1, nic k odeslání 1, upomenuto již dnes 0)."));
    auto* btnZpet = child<QPushButton>(dialog, "btnZpet");
    ui.when = [&] { return child<QLabel>(dialog, "lblNazevFirmy")->text() == QStringLiteral("Alfa"); };
    ui.duringRun = [&] { QTest::mouseClick(btnZpet, Qt::LeftButton); };
    ui.queueConfirmation(true);

    QTest::mouseClick(child<QPushButton>(dialog, "btnProvest"), Qt::LeftButton);

    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(server.messageFiles().size(), 1);
    EXPECT_EQ(child<QLabel>(dialog, "lblPocetVygenerovanych")->text(), QStringLiteral("1"));
    const QStringList lines = dialog.protocol().linesFrom(0);
    EXPECT_TRUE(lines.contains(QStringLiteral("Hromadný e-mailing zastavil uživatel.")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Vygenerovaných e-mailů celkem: 1")));
    // The run is over: Zpět closes the dialog without a question.
    QTest::mouseClick(btnZpet, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ui.messages().size(), 1u);
}

TEST(TfrmTestEmail, keepsTheTrimmedAddressAndRefusesOneThatIsNoMailbox) {
    test::FakeUserInterface ui;
    TfrmTestEmail dialog(ui);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Testovací režim"));
    auto* edtEmail = child<QLineEdit>(dialog, "edtEmail");
    auto* edtPocet = child<QSpinBox>(dialog, "edtPocet");
    EXPECT_EQ(edtPocet->value(), 5);

    edtEmail->setText(QStringLiteral("  horak.cz "));
    QTest::keyClick(edtEmail, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(edtEmail->text(), QStringLiteral("horak.cz"));
    EXPECT_EQ(ui.messages(),
              (std::vector<Message>{{QStringLiteral("information"),
                                     QStringLiteral("Musíte zadat platnou e-mailovou adresu.")}}));

    // Text that is not a list of mailboxes is refused with its warning.
    edtEmail->setText(QStringLiteral("ja@horak.cz; recepce"));
    QTest::keyClick(edtEmail, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[1],
              (Message{QStringLiteral("warning"),
                       QStringLiteral("„recepce“ není platná e-mailová adresa. Zadejte adresu ve tvaru "
                                      "jmeno@domena.cz, více adres oddělte čárkou nebo středníkem.")}));

    edtEmail->setText(QStringLiteral(" ja@horak.cz "));
    edtPocet->setValue(-3);
    QTest::mouseClick(child<QPushButton>(dialog, "btnProvest"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const TestMode mode = dialog.testMode();
    EXPECT_EQ(mode.address, QStringLiteral("ja@horak.cz"));
    EXPECT_EQ(mode.countText, QStringLiteral("-3"));
    EXPECT_EQ(mode.count, -3);
}

}  // namespace
