// tervalo-screenshots APPDIR EXPORT OUTDIR: starts the desktop program on a copy of its folder with
// the export, walks through its windows as a user would (settings on each tab, a test run of the bulk
// e-mailing, the protocol, the help, the about box, the note and address dialogs, a file dialog) and
// saves each window as the display shows it, frame included, to OUTDIR/NAME.png. Used by
// scripts/screenshot under Xvfb with a window manager; the test run sends by the SMTP settings of
// APPDIR's Vorbel.ini.
#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/TervaloApplication.h"
#include "browser/NoteDialog.h"
#include "browser/SelectEmailDialog.h"
#include "compose/SettingsDialog.h"
#include "sending/EmailingDialog.h"
#include "sending/HistoryDialog.h"
#include "sending/ProtokolDialog.h"
#include "sending/TestEmailDialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <type_traits>

using namespace tervalo;

namespace {

QString g_outDir;

void wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The window with its frame, as the screen shows it.
void shoot(QWidget* window, const QString& name) {
    // Until the window manager has framed the window, then until it has been painted.
    for (int tries = 0; tries < 30 && window->frameGeometry() == window->geometry(); ++tries) {
        wait(100);
    }
    wait(700);
    const QRect frame = window->frameGeometry();
    const QPixmap picture =
        window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const QString path = g_outDir + QLatin1Char('/') + name + QStringLiteral(".png");
    picture.save(path);
    std::printf("%s: %dx%d at %d,%d\n", qPrintable(path), frame.width(), frame.height(), frame.x(),
                frame.y());
}

QWidget* activeModal() {
    return QApplication::activeModalWidget();
}

// Clicks `button`, which opens the modal window `T`; `inside` runs in that window once it is the
// active one and must close it. Waiting for that window by its class, rather than for a time, keeps a
// message box that comes first (answered by answerMessageBoxes) from being taken for it.
// `button` is a push button or a menu action.
template <class T, class Button>
void clickIntoModal(Button* button, const std::function<void(QWidget*)>& inside) {
    if (!button->isEnabled()) {
        std::fprintf(stderr, "tervalo-screenshots: %s is disabled, its window is not taken\n",
                     qPrintable(button->objectName()));
        return;
    }
    auto* poll = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, inside, tries, name = button->objectName()] {
        auto* modal = dynamic_cast<T*>(activeModal());
        if (modal == nullptr && ++*tries < 100) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (modal == nullptr) {
            std::fprintf(stderr, "tervalo-screenshots: the window of %s did not open\n", qPrintable(name));
            return;
        }
        inside(modal);
    });
    poll->start(100);
    if constexpr (std::is_same_v<Button, QAction>) {
        button->trigger();
    } else {
        button->click();
    }
}

template <class T>
T* child(QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        std::fprintf(stderr, "tervalo-screenshots: %s not found\n", name);
        std::exit(1);
    }
    return found;
}

void closeModal(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
}

// A message box nobody expected (a failed send, a question) is reported, kept and answered with its
// default button, so that the walk goes on.
void answerMessageBoxes() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        static int count = 0;
        if (auto* box = qobject_cast<QMessageBox*>(activeModal())) {
            std::fprintf(stderr, "tervalo-screenshots: message box: %s\n", qPrintable(box->text()));
            shoot(box, QStringLiteral("message-%1").arg(++count));
            if (box->defaultButton() != nullptr) {
                box->defaultButton()->click();
            } else {
                box->buttons().constFirst()->click();
            }
        }
    });
    timer->start(1500);
}

void walkThrough(app::TfrmMain& window) {
    shoot(&window, QStringLiteral("main"));

    compose::TfrmNastaveni& settings = window.frmNastaveni();
    settings.prepareEdit(compose::TfrmNastaveni::PostovniZprava);
    settings.open();
    auto* tabs = child<QTabWidget>(&settings, "pcNastaveni");
    const char* tabNames[] = {"settings-message", "settings-document-list", "settings-sending",
                              "settings-qr",      "settings-interest",      "settings-levels"};
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        shoot(&settings, QString::fromLatin1(tabNames[tab]));
    }
    settings.reject();

    sending::TfrmEmailing& bulk = window.frmEmailing();
    bulk.prepareOpen();
    bulk.open();
    shoot(&bulk, QStringLiteral("bulk"));
    clickIntoModal<sending::TfrmTestEmail>(
        child<QAbstractButton>(&bulk, "btnTestovaciRezim"), [](QWidget* test) {
            shoot(test, QStringLiteral("test-mode"));
            child<QLineEdit>(test, "edtEmail")->setText(QStringLiteral("ucetni@example.cz"));
            child<QSpinBox>(test, "edtPocet")->setValue(3);
            child<QAbstractButton>(test, "btnProvest")->click();
        });
    shoot(&bulk, QStringLiteral("bulk-after-test-run"));
    auto* protocol = child<sending::TfrmProtokol>(&bulk, "frmProtokol");
    protocol->prepareShow();
    protocol->open();
    shoot(protocol, QStringLiteral("protocol"));
    protocol->reject();
    bulk.reject();

    // The windows of one debtor: the first, who has an address and documents.
    window.findChild<QAbstractItemView*>(QStringLiteral("grFirmy"))
        ->setCurrentIndex(
            window.findChild<QAbstractItemView*>(QStringLiteral("grFirmy"))->model()->index(0, 2));
    const auto modalShot = [](const QString& name) {
        return [name](QWidget* modal) {
            shoot(modal, name);
            closeModal(modal);
        };
    };
    clickIntoModal<browser::TfrmSelectEmail>(child<QAbstractButton>(&window, "btnUpravitEmail"),
                                             modalShot(QStringLiteral("address")));
    clickIntoModal<browser::TfrmInformace>(child<QAbstractButton>(&window, "btnInfo"),
                                           modalShot(QStringLiteral("note")));
    clickIntoModal<QFileDialog>(child<QAbstractButton>(&window, "btnExport"),
                                modalShot(QStringLiteral("file-dialog")));
    clickIntoModal<app::TfrmAbout>(child<QAbstractButton>(&window, "btnNapoveda"),
                                   modalShot(QStringLiteral("about")));
    // The first debtor's history: the test run's reminder to it, its message kept.
    clickIntoModal<sending::TfrmHistorie>(child<QAction>(&window, "acHistorie"),
                                          modalShot(QStringLiteral("history")));

    child<QAbstractButton>(&window, "btnNapoveda2")->click();
    if (QWidget* help = window.findChild<QWidget*>(QStringLiteral("frmNapoveda"))) {
        shoot(help, QStringLiteral("help"));
        help->close();
    }
}

}  // namespace

int main(int argc, char** argv) {
    app::TervaloApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: tervalo-screenshots APPDIR EXPORT OUTDIR\n");
        return 2;
    }
    g_outDir = arguments[3];
    QDir().mkpath(g_outDir);

    app::AppSession session(platform::SystemLocale::fromEnvironment());
    session.arguments = {arguments[2]};
    app::TfrmMain window(session);
    if (app::StartUp(session, QDir(arguments[1]).absolutePath(), window.ui()) == app::StartResult::Stop) {
        return 1;
    }
    window.armAutoStart();
    window.show();
    answerMessageBoxes();
    // The walk starts once the load is over (its commands enabled) and what it showed (a missing
    // interest rate) has been answered: never from inside a message box's own event loop, where the
    // load would wait for the whole walk.
    QTimer start;
    QObject::connect(&start, &QTimer::timeout, [&window, &start] {
        if (activeModal() != nullptr || !child<QAbstractButton>(&window, "btnEmailBez")->isEnabled()) {
            return;
        }
        start.stop();
        walkThrough(window);
        window.close();
    });
    start.start(200);
    return app::TervaloApplication::exec();
}
