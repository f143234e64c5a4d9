#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "browser/DataGrid.h"
#include "browser/NoteDialog.h"
#include "browser/SelectEmailDialog.h"
#include "compose/FillMailClientList.h"
#include "compose/SettingsDialog.h"
#include "sending/HistoryDialog.h"
#include "state/SendJournal.h"
#include "support/CheckedGridModels.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"
#include "support/MailDesktop.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

// The real main window on a temporary program folder, the demo export loaded through OK.
struct LoadedWindow {
    explicit LoadedWindow(const test::TempAppDir& folder, const QString& exportPath = test::demoExportPath())
        : dir(folder) {
        dir.write(QStringLiteral("Vorbel.ini"), QByteArray("[MAIN]\r\nRunSetup=0\r\n"));
        session.mailClients = desktop.environment;  // no mail client until a test adds one
        EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue);
        window.show();
        child<QLineEdit>("edtInputCSVFile")->setText(exportPath);
        QTest::mouseClick(child<QPushButton>("btnOk"), Qt::LeftButton);
    }
    ~LoadedWindow() { window.close(); }

    template <class T>
    T* child(const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    browser::DataGrid* grFirmy() { return child<browser::DataGrid>("grFirmy"); }
    browser::DataGrid* grDoklady() { return child<browser::DataGrid>("grDoklady"); }
    QString cell(browser::DataGrid* grid, int row, int column) {
        return grid->model()->index(row, column).data().toString();
    }
    void selectDebtorRow(int row) { grFirmy()->setCurrentIndex(grFirmy()->model()->index(row, 2)); }
    void trigger(const char* action) { child<QAction>(action)->trigger(); }

    const test::TempAppDir& dir;
    transport::testing::MailDesktop desktop;
    app::AppSession session{platform::SystemLocale()};
    test::FakeUserInterface ui;
    app::TfrmMain window{session, &ui};
    test::CheckedGridModels models{window};
};

struct Folder {
    Folder() { test::writeDemoDefFile(dir); }
    test::TempAppDir dir;
};

TEST(MainWindowBrowser, showsTheLoadedTablesSortedByName) {
    Folder folder;
    LoadedWindow w(folder.dir);
    EXPECT_TRUE(w.ui.messages().empty());
    EXPECT_TRUE(w.child<QWidget>("panLegenda")->isVisible());
    EXPECT_EQ(w.child<QLabel>("lblStavKeDniText")->text(),
              QStringLiteral("stav ke dni: 10.12.2026, počet tolerovaných dní po splatnosti: 14"));
    EXPECT_EQ(w.grFirmy()->model()->rowCount(), 12);
    EXPECT_EQ(w.cell(w.grFirmy(), 0, 3), QStringLiteral("Alfa Stavby s.r.o."));
    EXPECT_EQ(w.cell(w.grFirmy(), 0, 4), QStringLiteral("54 450,25"));
    EXPECT_EQ(w.grDoklady()->model()->rowCount(), 3);
    EXPECT_EQ(w.cell(w.grDoklady(), 0, 2), QStringLiteral("FV260101"));
    for (const char* button : {"btnEmailBez", "btnUpravitEmail", "btnInfo", "btnEmailVsem"}) {
        EXPECT_TRUE(w.child<QPushButton>(button)->isEnabled()) << button;
    }
    // The current column never rests on a status column.
    w.grFirmy()->setCurrentIndex(w.grFirmy()->model()->index(1, 0));
    EXPECT_EQ(w.grFirmy()->currentIndex().column(), 2);
    EXPECT_EQ(w.session.tables.mtFirmy.recNo(), 2);
    EXPECT_EQ(w.grDoklady()->model()->rowCount(), 1);  // Bělohradský's one invoice
}

TEST(MainWindowBrowser, sortingKeepsTheCurrentDebtorAndMovesTheColumn) {
    Folder folder;
    LoadedWindow w(folder.dir);
    w.selectDebtorRow(4);  // Elektro Žižka
    const QString current = w.session.tables.mtFirmy.text(u"OdbNazev");
    QHeaderView* header = w.grFirmy()->horizontalHeader();
    const auto clickTitle = [header](int logical) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(logical) + 5, header->height() / 2));
    };
    clickTitle(5);  // IČO: not sortable; the mark stays where it was
    EXPECT_EQ(w.session.tables.mtFirmy.currentIndex(), QStringLiteral("OdbNazev"));
    EXPECT_EQ(header->visualIndex(4), 4);
    EXPECT_EQ(header->sortIndicatorSection(), 3);
    clickTitle(4);  // "Zbývající úhrada "
    EXPECT_EQ(w.session.tables.mtFirmy.currentIndex(), QStringLiteral("ZbyvaUh"));
    EXPECT_EQ(header->visualIndex(4), 2);
    EXPECT_EQ(header->sortIndicatorSection(), 4);
    clickTitle(4);  // a second click keeps the ascending order
    EXPECT_EQ(header->sortIndicatorSection(), 4);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(w.session.tables.mtFirmy.text(u"OdbNazev"), current);
    EXPECT_EQ(w.cell(w.grFirmy(), 0, 4), QStringLiteral("1 210,00"));  // the smallest remaining amount first
}

// The status line under the debtors counts the shown debtors and sums what they owe per currency;
// the one debtor in EUR has its amounts marked.
TEST(MainWindowBrowser, emailFilterHidesDebtorsWithoutAddressAndTheSumsFollow) {
    Folder folder;
    LoadedWindow w(folder.dir);
    auto* summary = w.child<QLabel>("lblSouhrn");
    EXPECT_EQ(summary->text(),
              QStringLiteral("Zobrazeno dlužníků: 12   Zbývá uhradit: 264 593,75 CZK; 1 500,00 EUR"));
    EXPECT_EQ(w.cell(w.grFirmy(), 7, 3), QStringLiteral("Hotel Ďáblice a.s."));
    EXPECT_EQ(w.cell(w.grFirmy(), 7, 4), QStringLiteral("1 500,00 EUR"));
    EXPECT_EQ(w.cell(w.grFirmy(), 6, 4), QStringLiteral("4 053,50"));
    auto* filter = w.child<QCheckBox>("chckOnlyMail");
    filter->click();
    EXPECT_EQ(w.grFirmy()->model()->rowCount(), 8);  // four debtors have no address
    EXPECT_EQ(summary->text(),
              QStringLiteral("Zobrazeno dlužníků: 8   Zbývá uhradit: 204 698,75 CZK; 1 500,00 EUR"));
    filter->click();
    EXPECT_EQ(w.grFirmy()->model()->rowCount(), 12);
    EXPECT_TRUE(summary->text().startsWith(QStringLiteral("Zobrazeno dlužníků: 12 ")));
}

TEST(MainWindowBrowser, whatTheUserDoesIsStoredAndShownAtTheNextLoad) {
    Folder folder;
    {
        LoadedWindow w(folder.dir);
        // Exclude Alfa Stavby and its second document, and write a note on its first one.
        w.selectDebtorRow(0);
        w.trigger("Vyr_Zar");
        w.grDoklady()->setCurrentIndex(w.grDoklady()->model()->index(1, 2));
        w.trigger("Vyr_Zar_Doklad");
        w.grDoklady()->setCurrentIndex(w.grDoklady()->model()->index(0, 2));
        w.ui.queueNote(QStringLiteral("Slíbil platbu"));
        QTest::mouseClick(w.child<QPushButton>("btnInfo"), Qt::LeftButton);
        EXPECT_EQ(w.grDoklady()->model()->index(0, 1).data(browser::TableGridModel::IconRole).toInt(),
                  int(browser::GridIcon::Note));
        // A new address for Bělohradský, then a note on it.
        w.selectDebtorRow(1);
        w.ui.queueEmailAddress(QStringLiteral("nova@adresa.cz"));
        QTest::mouseClick(w.child<QPushButton>("btnUpravitEmail"), Qt::LeftButton);
        EXPECT_EQ(w.session.tables.mtFirmy.text(u"OdbEmail"), QStringLiteral("nova@adresa.cz"));
        w.ui.queueNote(QStringLiteral("Nová adresa od účetní"));
        w.trigger("Informace1");
        EXPECT_TRUE(w.ui.messages().empty());
    }
    LoadedWindow again(folder.dir);
    auto& firmy = again.session.tables.mtFirmy;
    firmy.first();
    EXPECT_FALSE(firmy.boolValue(u"Exportovat"));
    EXPECT_EQ(again.grFirmy()->model()->index(0, 0).data(browser::TableGridModel::IconRole).toInt(),
              int(browser::GridIcon::Excluded));
    auto& doklady = again.session.tables.mtDoklady;
    doklady.first();
    EXPECT_TRUE(doklady.boolValue(u"JePozn"));
    EXPECT_TRUE(doklady.boolValue(u"Exportovat"));
    doklady.next();
    EXPECT_FALSE(doklady.boolValue(u"Exportovat"));
    EXPECT_EQ(again.session.stateTables->readAddressNote(QStringLiteral("nova@adresa.cz")).note,
              QStringLiteral("Nová adresa od účetní"));
    // The address change itself lived only in the last run's list.
    firmy.next();
    EXPECT_EQ(firmy.text(u"OdbEmail"), QStringLiteral("belohradsky@seznam.cz"));
}

const QString kCatchAll = QStringLiteral(
    "Ve skupině Ostatní jsou všechny doklady, u nichž nebyl odběratel vybraný z adresáře firem. Tato skupina "
    "může obsahovat doklady více firem, nelze jí proto přiřadit jednu e-mailovou adresu. Chcete-li doklady "
    "správně zařadit, musíte v Ekvan každý doklad otevřít a vybrat odběratele řádně z adresáře.");

// The four ways to the single reminder run it for the current debtor; before a load none does.
TEST(MainWindowBrowser, theSingleReminderRunsFromButtonEnterMenuAndDoubleClick) {
    Folder folder;
    LoadedWindow w(folder.dir);
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"button", [&] { QTest::mouseClick(w.child<QPushButton>("btnEmailBez"), Qt::LeftButton); }},
        {"enter", [&] { QTest::keyClick(w.grFirmy(), Qt::Key_Return); }},
        {"menu", [&] { w.trigger("Zaslatupomemail1"); }},
        {"double_click",
         [&] {
             QWidget* viewport = w.grFirmy()->viewport();
             const QPoint cell = w.grFirmy()->visualRect(w.grFirmy()->currentIndex()).center();
             QTest::mouseClick(viewport, Qt::LeftButton, {}, cell);
             QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell);
         }},
    };
    // Window shortcuts answer only in the active window.
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    w.selectDebtorRow(11);  // Ostatní, the catch-all group: the command's own message shows it ran
    ASSERT_EQ(w.session.tables.mtFirmy.text(u"OdbNazev"), QStringLiteral("Ostatní"));
    for (const auto& [name, way] : ways) {
        w.ui.clearMessages();
        way();
        EXPECT_EQ(w.ui.messages(), (std::vector<Message>{{QStringLiteral("information"), kCatchAll}}))
            << name;
    }
}

TEST(MainWindowBrowser, enterBeforeALoadSendsNothing) {
    Folder folder;
    folder.dir.write(QStringLiteral("Vorbel.ini"), QByteArray("[MAIN]\r\nRunSetup=0\r\n"));
    app::AppSession session{platform::SystemLocale()};
    test::FakeUserInterface ui;
    ASSERT_EQ(app::StartUp(session, folder.dir.path(), ui), app::StartResult::Continue);
    app::TfrmMain window{session, &ui};
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Return);
    window.findChild<QAction*>(QStringLiteral("Zaslatupomemail1"))->trigger();
    EXPECT_TRUE(ui.messages().empty());
}

// An error of the mail-client interface reaches the window's error boundary: shown with its text,
// nothing recorded, the waiting window hidden, and the window stays usable.
TEST(MainWindowBrowser, aMailClientErrorIsShownAndNothingRecorded) {
    Folder folder;
    LoadedWindow w(folder.dir);  // a desktop without any mail client
    ASSERT_TRUE(w.session.tables.mtFirmy.findKey(QStringLiteral("Gastro Řehoř")));
    QTest::mouseClick(w.child<QPushButton>("btnEmailBez"), Qt::LeftButton);
    EXPECT_EQ(
        w.ui.messages(),
        (std::vector<Message>{
            {QStringLiteral("error"),
             QStringLiteral(
                 "Není nainstalován žádný e-mailový klient, který by zprávu zobrazil k odeslání. "
                 "Nainstalujte "
                 "e-mailový klient (např. Thunderbird) a nastavte ho jako výchozí pro e-mail, nebo zvolte v "
                 "nastavení odesílání pomocí SMTP serveru.")}}));
    EXPECT_FALSE(w.ui.waitWindowVisible());
    EXPECT_FALSE(
        w.session.stateTables->readAddressNote(QStringLiteral("rehor@gastro-rehor.cz")).lastSend.isValid());
    EXPECT_TRUE(w.window.isVisible());
}

// The button opens the reminder in the mail client's compose window; the user's answer to the
// question that follows decides whether the send date is recorded.
TEST(MainWindowBrowser, theReminderOpensInTheMailClientAndIsRecordedWhenSent) {
    Folder folder;
    LoadedWindow w(folder.dir);
    w.desktop.addClient(QStringLiteral("posta"), QStringLiteral("thunderbird"));
    w.desktop.makeDefault(QStringLiteral("posta"));
    compose::FillMailClientList(w.session.mtEmailKlient, w.desktop.environment);
    ASSERT_TRUE(w.session.tables.mtFirmy.findKey(QStringLiteral("Gastro Řehoř")));
    const QString address = QStringLiteral("rehor@gastro-rehor.cz");
    for (const bool sent : {false, true}) {
        w.ui.queueConfirmation(sent);
        QTest::mouseClick(w.child<QPushButton>("btnEmailBez"), Qt::LeftButton);
        const QStringList arguments = w.desktop.recordedArguments(QStringLiteral("thunderbird"));
        ASSERT_EQ(arguments.size(), 2);
        EXPECT_TRUE(arguments[1].startsWith(QStringLiteral("to=rehor%40gastro-rehor.cz,")));
        EXPECT_TRUE(arguments[1].contains(QStringLiteral("/Temp/7/Doklady.zip'")));
        EXPECT_EQ(w.session.stateTables->readAddressNote(address).lastSend,
                  sent ? QDate::currentDate() : QDate());
    }
    EXPECT_FALSE(w.ui.waitWindowVisible());
    // Only the two questions whether it was sent.
    ASSERT_EQ(w.ui.messages().size(), 2u);
    for (const Message& message : w.ui.messages()) {
        EXPECT_EQ(message.kind, QStringLiteral("confirmation")) << message.text.toStdString();
    }
}

TEST(MainWindowBrowser, aRightClickOnAStatusColumnOpensTheMenu) {
    Folder folder;
    LoadedWindow w(folder.dir);
    struct Case {
        browser::DataGrid* grid;
        const char* menu;
    };
    for (const Case& c : {Case{w.grFirmy(), "popupFirmy"}, Case{w.grDoklady(), "PopupDoklady"}}) {
        auto* frozen = c.grid->findChild<QTableView*>(c.grid->objectName() + QStringLiteral("Frozen"));
        ASSERT_NE(frozen, nullptr);
        const QPoint position = frozen->visualRect(frozen->model()->index(0, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, position,
                                frozen->viewport()->mapToGlobal(position));
        QApplication::sendEvent(frozen->viewport(), &event);
        auto* menu = w.child<QMenu>(c.menu);
        EXPECT_TRUE(menu->isVisible()) << c.menu;
        menu->hide();
    }
}

// The debtor's level shows in its column; the context menu's level submenu sets another for this run
// (checked when the menu opens again), and "Podle historie upomínek" gives the debtor his own again.
TEST(MainWindowBrowser, theLevelSubmenuSetsTheDebtorsLevelForThisRun) {
    Folder folder;
    LoadedWindow w(folder.dir);
    browser::DataGrid* grid = w.grFirmy();
    int column = -1;
    for (int i = 0; i < grid->model()->columnCount(); ++i) {
        if (grid->model()->headerData(i, Qt::Horizontal).toString() == QStringLiteral("Úroveň")) {
            column = i;
        }
    }
    ASSERT_GE(column, 0);
    w.selectDebtorRow(0);
    EXPECT_EQ(w.cell(grid, 0, column), QStringLiteral("1. upomínka"));
    const auto openMenu = [&] {
        auto* frozen = grid->findChild<QTableView*>(QStringLiteral("grFirmyFrozen"));
        const QPoint position = frozen->visualRect(frozen->model()->index(0, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, position,
                                frozen->viewport()->mapToGlobal(position));
        QApplication::sendEvent(frozen->viewport(), &event);
        w.child<QMenu>("popupFirmy")->hide();
        return w.child<QMenu>("popupUroven");
    };
    QMenu* levels = openMenu();
    ASSERT_EQ(levels->actions().size(), 4);
    EXPECT_EQ(levels->actions()[0]->text(), QStringLiteral("Podle historie upomínek"));
    EXPECT_TRUE(levels->actions()[0]->isChecked());
    EXPECT_EQ(levels->actions()[3]->text(), QStringLiteral("Předžalobní výzva"));

    levels->actions()[3]->trigger();
    EXPECT_EQ(w.cell(grid, 0, column), QStringLiteral("Předžalobní výzva"));
    levels = openMenu();
    EXPECT_TRUE(levels->actions()[3]->isChecked());
    EXPECT_FALSE(levels->actions()[0]->isChecked());

    levels->actions()[0]->trigger();
    EXPECT_EQ(w.cell(grid, 0, column), QStringLiteral("1. upomínka"));
}

// The history lists the debtor's reminders, newest first; the one whose message the journal keeps
// can be saved as evidence, the older one without a message cannot.
TEST(MainWindowBrowser, theHistorySavesTheKeptMessageOfAReminderAsEvidence) {
    Folder folder;
    LoadedWindow w(folder.dir);
    w.selectDebtorRow(0);
    const QString address = w.session.tables.mtFirmy.text(u"OdbEmail");
    ASSERT_FALSE(address.isEmpty());
    const QByteArray message("Subject: =?UTF-8?Q?P=C5=99ed=C5=BEalobn=C3=AD_v=C3=BDzva?=\r\n\r\nText\r\n");
    {
        state::SendJournal journal(state::SendJournal::pathIn(folder.dir.path()));
        state::JournalRecord record;
        record.recipient = address;
        record.route = QStringLiteral("smtp");
        record.time = QDateTime(QDate(2026, 11, 20), QTime(10, 0));
        journal.finish(journal.begin(record), state::SendResult::Refused, QStringLiteral("550 No such user"));
        record.time = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
        record.level = 3;
        record.message = message;
        journal.finish(journal.begin(record), state::SendResult::Accepted, QStringLiteral("250 OK"));
    }
    const QString saved = folder.dir.file(QStringLiteral("dukaz.eml"));
    w.ui.queueFile(saved);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* history = qobject_cast<sending::TfrmHistorie*>(QApplication::activeModalWidget());
        ASSERT_NE(history, nullptr);
        const auto close = qScopeGuard([history] { history->reject(); });
        auto* grid = history->findChild<QTableWidget*>(QStringLiteral("grHistorie"));
        auto* save = history->findChild<QPushButton*>(QStringLiteral("btnUlozitDukaz"));
        ASSERT_EQ(grid->rowCount(), 2);
        EXPECT_TRUE(save->isEnabled());
        grid->selectRow(1);
        EXPECT_FALSE(save->isEnabled());
        grid->selectRow(0);
        save->click();
        seen = true;
    });
    w.trigger("acHistorie");
    EXPECT_TRUE(seen);
    EXPECT_EQ(test::fileBytes(saved), message);
    EXPECT_EQ(w.ui.messages(), std::vector<Message>());
}

TEST(MainWindowBrowser, anExportWithoutDebtorsShowsNoSortMark) {
    Folder folder;
    QFile demo(test::demoExportPath());
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    QByteArray headerOnly;
    for (const QByteArray& line : demo.readAll().split('\n')) {
        if (!line.contains(";RADEK;") || line.startsWith("TITUL;")) {
            headerOnly += line + '\n';
        }
    }
    folder.dir.write(QStringLiteral("prazdny.csv"), headerOnly);
    LoadedWindow w(folder.dir, folder.dir.file(QStringLiteral("prazdny.csv")));
    ASSERT_TRUE(w.window.isVisible());
    EXPECT_EQ(w.grFirmy()->model()->rowCount(), 0);
    EXPECT_FALSE(w.grFirmy()->horizontalHeader()->isSortIndicatorShown());
}

// The flat look of the command bars stays on them: dialogs and message boxes of the window keep
// their ordinary buttons.
TEST(MainWindowBrowser, theCommandBarStyleStaysOnTheBars) {
    Folder folder;
    LoadedWindow w(folder.dir);
    EXPECT_TRUE(w.child<QPushButton>("btnEmailBez")->testAttribute(Qt::WA_StyleSheet));
    EXPECT_TRUE(w.child<QPushButton>("btnKonec")->testAttribute(Qt::WA_StyleSheet));
    QMessageBox box(QMessageBox::Information, QStringLiteral("Informace"), QStringLiteral("x"),
                    QMessageBox::Ok, &w.window);
    EXPECT_FALSE(box.button(QMessageBox::Ok)->testAttribute(Qt::WA_StyleSheet));
    for (QPushButton* button : w.window.frmNastaveni().findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->testAttribute(Qt::WA_StyleSheet)) << button->text().toStdString();
    }
}

// "Navštívit internet" starts the opener and goes on: a slow opener does not hold the window.
TEST(MainWindowBrowser, visitingTheWebPageDoesNotWaitForTheOpener) {
    Folder folder;
    LoadedWindow w(folder.dir);
    QTemporaryDir bin;
    const QString opened = bin.filePath(QStringLiteral("opened"));
    QFile script(bin.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$1\" > '" + QFile::encodeName(opened) + "'\n/bin/sleep 3\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));

    w.selectDebtorRow(0);  // Alfa Stavby, www.alfastavby.cz
    QElapsedTimer clock;
    clock.start();
    w.trigger("Navtvitinternet1");
    const qint64 elapsed = clock.elapsed();
    qputenv("PATH", oldPath);
    EXPECT_LT(elapsed, 1500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(opened).size() > 0; }, 5000));
    QFile result(opened);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll(), QByteArray("http://www.alfastavby.cz"));
    EXPECT_TRUE(w.ui.messages().empty());
}

TEST(MainWindowBrowser, minimisingADialogMinimisesTheWholeApplication) {
    const app::AppSession session{platform::SystemLocale()};
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QDialog>(QWidget*)>>> dialogs = {
        {"address", [](QWidget* parent) { return std::make_unique<browser::TfrmSelectEmail>(parent); }},
        {"note", [](QWidget* parent) { return std::make_unique<browser::TfrmInformace>(parent); }},
        {"about",
         [&session](QWidget* parent) {
             return std::make_unique<app::TfrmAbout>(
                 session, [](const QString&) {}, [] {}, parent);
         }},
    };
    for (const auto& [name, make] : dialogs) {
        QWidget mainWindow;
        mainWindow.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
        const std::unique_ptr<QDialog> dialog = make(&mainWindow);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->showMinimized();
        EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow.isMinimized(); }, 2000)) << name;
    }
}

}  // namespace
