#include "BulkFixture.h"

#include "app/GuiUserInterface.h"
#include "app/WaitMessageWindow.h"
#include "browser/BrowserCommands.h"
#include "sending/SendSingleReminder.h"

#include <QApplication>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace tervalo;
using transport::testing::RealSmtpServer;

namespace {

// The user's steps, each taken once the window it needs is up (a step answers false until then),
// while the program waits in a modal loop.
class User {
public:
    explicit User(std::vector<std::function<bool()>> steps) : m_steps(std::move(steps)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_next < m_steps.size() && m_steps[m_next]()) {
                ++m_next;
                m_waited = 0;
            } else if (m_next < m_steps.size() && ++m_waited > kPatience) {
                // A window that never came: the modal loop is ended instead of waiting for ever.
                ADD_FAILURE() << "step " << m_next << " found no window to act in";
                if (auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    window->reject();
                }
            }
        });
        m_timer.start(20);
    }
    bool allTaken() const { return m_next == m_steps.size(); }

private:
    std::vector<std::function<bool()>> m_steps;
    static constexpr int kPatience = 500;  // polls, 10 s
    std::size_t m_next = 0;
    int m_waited = 0;
    QTimer m_timer;
};

// Clicked once the step has returned: a box the click opens runs its own loop, in which the
// user's next step must be able to act.
void clickLater(QPushButton* button) {
    QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
}

template <class T>
T* modal() {
    return qobject_cast<T*>(QApplication::activeModalWidget());
}

template <class T>
T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// The main window's stand-in with the port the program uses.
struct Gui {
    Gui() {
        mainWindow.resize(800, 600);
        mainWindow.show();
    }
    QWidget mainWindow;
    app::TfrmWaitMessage wait{&mainWindow};
    QProgressBar progressBar;
    app::GuiUserInterface ui{&mainWindow, wait, progressBar};
};

TEST(TfrmUpominkaEmailem, odeslatSendsTheEditedReminderToTheServerAndAnInvalidAddressKeepsItOpen) {
    RealSmtpServer server(test::authenticatingServerArguments());
    test::BulkFixture f;
    f.useServer(server);
    f.session.settings.SMTPJednotlive = true;
    f.load();
    f.session.tables.mtFirmy.moveTo(0);  // Alfa
    Gui gui;
    compose::ReminderContext reminder = app::ReminderContextOf(f.session, gui.ui);
    browser::BrowserCommands commands(f.session.tables, *f.session.stateTables, gui.ui, {});
    sending::SingleReminderContext context{reminder, *f.session.stateTables, commands, f.session.TempDir};

    QString shownSender;
    QString shownTo;
    QString shownAttachments;
    bool waitWindowHidden = false;
    QString refusal;
    bool stillOpenAfterRefusal = false;
    User user(
        {[&] {
             auto* dialog = modal<QDialog>();
             if (dialog == nullptr || dialog->objectName() != QStringLiteral("frmUpominkaEmailem")) {
                 return false;
             }
             EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Upomínka e-mailem"));
             waitWindowHidden = !gui.wait.isVisible();
             auto* sender = child<QLineEdit>(*dialog, "edtOdesilatel");
             EXPECT_TRUE(sender->isReadOnly());
             shownSender = sender->text();
             shownTo = child<QLineEdit>(*dialog, "edtKomu")->text();
             shownAttachments = child<QLabel>(*dialog, "lblPrilohy")->text();
             child<QLineEdit>(*dialog, "edtKomu")->setText(QStringLiteral("recepce hotel-dablice"));
             clickLater(child<QPushButton>(*dialog, "btnOdeslat"));
             return true;
         },
         [&] {
             auto* box = modal<QMessageBox>();
             if (box == nullptr) {
                 return false;
             }
             refusal = box->text();
             box->accept();
             return true;
         },
         [&] {
             auto* dialog = modal<QDialog>();
             if (dialog == nullptr || dialog->objectName() != QStringLiteral("frmUpominkaEmailem")) {
                 return false;
             }
             stillOpenAfterRefusal = true;
             child<QLineEdit>(*dialog, "edtKomu")->setText(QStringLiteral("alfa@alfa.cz, ucetni@alfa.cz"));
             child<QLineEdit>(*dialog, "edtPredmet")->setText(QStringLiteral("Upomínka z okna"));
             child<QPlainTextEdit>(*dialog, "memText")->setPlainText(QStringLiteral("Zaplaťte prosím.\n"));
             clickLater(child<QPushButton>(*dialog, "btnOdeslat"));
             return true;
         }});

    EXPECT_EQ(sending::SendSingleReminder(context), compose::ReminderResult::Accepted);

    EXPECT_TRUE(user.allTaken());
    EXPECT_TRUE(waitWindowHidden);
    EXPECT_EQ(shownSender, QStringLiteral("Horák <upominky@horak.cz>"));
    EXPECT_EQ(shownTo, QStringLiteral("alfa@alfa.cz"));
    EXPECT_EQ(shownAttachments, QStringLiteral("Doklady.zip"));
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("„recepce hotel-dablice“ není platná e-mailová adresa.")))
        << refusal.toStdString();
    EXPECT_TRUE(stillOpenAfterRefusal);
    EXPECT_FALSE(gui.wait.isVisible());

    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(server.envelope(files[0]).value(QStringLiteral("rcpt_tos")).toArray(),
              (QJsonArray{QStringLiteral("alfa@alfa.cz"), QStringLiteral("ucetni@alfa.cz"),
                          QStringLiteral("kopie@horak.cz")}));
    const QJsonObject message = test::readReminder(files[0]);
    EXPECT_EQ(message.value(QStringLiteral("subject")).toString(), QStringLiteral("Upomínka z okna"));
    EXPECT_EQ(message.value(QStringLiteral("parts"))
                  .toArray()[0]
                  .toObject()
                  .value(QStringLiteral("text"))
                  .toString(),
              QStringLiteral("Zaplaťte prosím."));
    EXPECT_TRUE(message.value(QStringLiteral("archive")).toString().contains(QStringLiteral("FV2")));
    EXPECT_EQ(f.session.stateTables->readAddressNote(QStringLiteral("alfa@alfa.cz")).lastSend,
              QDate::currentDate());
}

TEST(TfrmWaitMessage, fitsItsTextStandsOnlyOverTheMainWindowAndGoesBeforeEveryBox) {
    Gui gui;
    EXPECT_FALSE(gui.wait.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(gui.wait.windowModality(), Qt::NonModal);
    EXPECT_EQ(gui.wait.parentWidget(), &gui.mainWindow);
    const QString texts[] = {
        QStringLiteral("Spouštění e-mailového klienta, čekejte prosím..."),
        QStringLiteral("Odesílám zkušební e-mail na adresu velmi.dlouha.adresa@ucetni-kancelar-"
                       "horak.cz...")};
    for (const QString& text : texts) {
        gui.ui.showWaitMessage(text, true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&gui.wait));
        auto* label = child<QLabel>(gui.wait, "lblMessage");
        EXPECT_EQ(label->text(), text);
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(text)) << text.toStdString();
        EXPECT_TRUE(gui.wait.geometry().contains(gui.mainWindow.frameGeometry().center()));
    }

    // A message box or a question finds the waiting window gone.
    for (const bool question : {false, true}) {
        gui.ui.showWaitMessage(texts[0], true);
        bool hiddenDuringBox = false;
        User user({[&] {
            auto* box = modal<QMessageBox>();
            if (box == nullptr) {
                return false;
            }
            hiddenDuringBox = !gui.wait.isVisible();
            box->reject();
            return true;
        }});
        if (question) {
            gui.ui.confirm(QStringLiteral("Odeslali jste ho?"));
        } else {
            gui.ui.information(QStringLiteral("Hotovo."));
        }
        EXPECT_TRUE(user.allTaken());
        EXPECT_TRUE(hiddenDuringBox) << question;
    }
}

}  // namespace
