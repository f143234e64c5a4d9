#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "browser/DataGrid.h"
#include "support/CheckedGridModels.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"

#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// The real main window on a temporary program folder, the demo export loaded through OK.
struct LoadedWindow {
    explicit LoadedWindow(const test::TempAppDir& folder) : dir(folder) {
        dir.write(QStringLiteral("Vorbel.ini"), QByteArray("[MAIN]\r\nRunSetup=0\r\n"));
        EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue);
        window.show();
        child<QLineEdit>("edtInputCSVFile")->setText(test::demoExportPath());
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
    EXPECT_EQ(w.cell(w.grFirmy(), 0, 2), QStringLiteral("Alfa Stavby s.r.o."));
    EXPECT_EQ(w.cell(w.grFirmy(), 0, 3), QStringLiteral("54 450,25"));
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
    header->sectionClicked(4);  // IČO: not sortable
    EXPECT_EQ(w.session.tables.mtFirmy.currentIndex(), QStringLiteral("OdbNazev"));
    EXPECT_EQ(header->visualIndex(3), 3);
    header->sectionClicked(3);  // "Zbývající úhrada "
    EXPECT_EQ(w.session.tables.mtFirmy.currentIndex(), QStringLiteral("ZbyvaUh"));
    EXPECT_EQ(header->visualIndex(3), 2);
    EXPECT_EQ(header->sortIndicatorSection(), 3);
    EXPECT_EQ(w.session.tables.mtFirmy.text(u"OdbNazev"), current);
    EXPECT_EQ(w.cell(w.grFirmy(), 0, 3), QStringLiteral("1 210,00"));  // the smallest remaining amount first
}

TEST(MainWindowBrowser, emailFilterHidesDebtorsWithoutAddress) {
    Folder folder;
    LoadedWindow w(folder.dir);
    auto* filter = w.child<QCheckBox>("chckOnlyMail");
    filter->click();
    EXPECT_EQ(w.grFirmy()->model()->rowCount(), 8);  // four debtors have no address
    filter->click();
    EXPECT_EQ(w.grFirmy()->model()->rowCount(), 12);
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

}  // namespace
