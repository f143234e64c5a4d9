#include "AppFixture.h"
#include "app/HelpFile.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

const QString kBuiltHelp = QStringLiteral(TERVALO_APP_DIR "/Setup/1/Tervalo.chm");

template <class T>
T* child(const QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Clicks the link whose text is `text` where the browser shows it, as the user would.
void clickLink(app::HelpBrowser& browser, const QString& text) {
    QTextCursor found = browser.document()->find(text);
    ASSERT_FALSE(found.isNull()) << text.toStdString();
    ASSERT_TRUE(found.charFormat().isAnchor()) << text.toStdString();
    browser.setTextCursor(found);
    browser.ensureCursorVisible();
    QTextCursor inside = found;
    inside.setPosition(found.selectionStart() + 1);
    const QRect place = browser.cursorRect(inside);
    QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, place.center());
}

TEST(TfrmNapoveda, opensTheStartPageFollowsLinksAndGoesBack) {
    std::optional<app::HelpFile> help = app::HelpFile::open(kBuiltHelp);
    ASSERT_TRUE(help);
    app::TfrmNapoveda window;
    window.showHelp(std::move(*help), QStringLiteral("pgMain.htm"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* browser = const_cast<app::HelpBrowser*>(window.browser());
    EXPECT_EQ(browser->source(), QUrl(QStringLiteral("pgMain.htm")));
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Tervalo - nápověda"));
    EXPECT_EQ(child<QTreeWidget>(window, "tvObsah")->topLevelItem(0)->childCount(), 9);
    EXPECT_FALSE(child<QPushButton>(window, "btnZpet")->isEnabled());

    clickLink(*browser, QStringLiteral("Hlavní okno a tabulky"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return browser->source() == QUrl(QStringLiteral("pgGrids.htm")); }, 3000));
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Hlavní okno a tabulky"));
    // The legend's picture comes from the file.
    const QImage legend = browser->document()
                              ->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("legenda.png")))
                              .value<QImage>();
    EXPECT_EQ(legend.size(), QSize(64, 16));
    EXPECT_EQ(child<QTreeWidget>(window, "tvObsah")->currentItem()->text(0),
              QStringLiteral("Hlavní okno a tabulky"));

    // A link to a part of another page.
    browser->setSource(QUrl(QStringLiteral("pgSettings.htm")));
    clickLink(*browser, QStringLiteral("chyby SMTP"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return browser->source() == QUrl(QStringLiteral("pgTroubleshooting.htm#smtp")); }, 3000));

    QTest::mouseClick(child<QPushButton>(window, "btnZpet"), Qt::LeftButton);
    EXPECT_EQ(browser->source(), QUrl(QStringLiteral("pgSettings.htm")));
    QTest::mouseClick(child<QPushButton>(window, "btnObsah"), Qt::LeftButton);
    EXPECT_EQ(browser->source(), QUrl(QStringLiteral("pgMain.htm")));
    QTest::mouseClick(child<QPushButton>(window, "btnVpred"), Qt::LeftButton);
    EXPECT_FALSE(child<QPushButton>(window, "btnVpred")->isEnabled());
}

// Links leaving the help go to the desktop's opener only as web pages and mail; a file, a share or
// another program's scheme is ignored, and the page stays.
TEST(HelpBrowser, opensOnlyWebAndMailLinksOutside) {
    app::HelpBrowser browser;
    QStringList opened;
    browser.setOpener([&](const QString& address) { opened << address; });
    browser.setHtml(QStringLiteral(
        "<p><a href='http://firma.cz/a'>web</a> <a href='https://firma.cz/b'>sifrovany</a> "
        "<a href='mailto:podpora@firma.cz'>posta</a> <a href='file:///etc/passwd'>soubor</a> "
        "<a href='smb://server/sdileni'>sdileni</a> <a href='someapp://run?u=http://x'>program</a> "
        "<a href='javascript:alert(1)'>skript</a></p>"));
    browser.resize(800, 200);
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));

    for (const char* text : {"web", "sifrovany", "posta", "soubor", "sdileni", "program", "skript"}) {
        clickLink(browser, QString::fromLatin1(text));
    }

    EXPECT_EQ(opened, (QStringList{QStringLiteral("http://firma.cz/a"), QStringLiteral("https://firma.cz/b"),
                                   QStringLiteral("mailto:podpora@firma.cz")}));
}

TEST(TfrmNapoveda, unknownTopicOpensTheContentsAndSearchListsThePagesHoldingTheWords) {
    std::optional<app::HelpFile> help = app::HelpFile::open(kBuiltHelp);
    ASSERT_TRUE(help);
    app::TfrmNapoveda window;
    window.showHelp(std::move(*help), QStringLiteral("pgNeexistuje"));
    EXPECT_EQ(window.browser()->source(), QUrl(QStringLiteral("pgMain.htm")));

    QTest::keyClicks(child<QLineEdit>(window, "edtHledat"), QStringLiteral("VYNECHANYCH celkem"));
    QTest::keyClick(child<QLineEdit>(window, "edtHledat"), Qt::Key_Return);
    auto* results = child<QListWidget>(window, "lbVysledky");
    ASSERT_GE(results->count(), 1);
    EXPECT_EQ(results->item(0)->text(), QStringLiteral("Hromadný e-mailing, testovací režim a protokol"));
    results->scrollToItem(results->item(0));
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                      results->visualItemRect(results->item(0)).center());
    EXPECT_EQ(window.browser()->source(), QUrl(QStringLiteral("pgBulk.htm")));
    EXPECT_EQ(window.browser()->textCursor().selectedText().toLower(), QStringLiteral("vynechaných"));

    child<QLineEdit>(window, "edtHledat")->setText(QStringLiteral("kapybara"));
    QTest::mouseClick(child<QPushButton>(window, "btnHledat"), Qt::LeftButton);
    ASSERT_EQ(results->count(), 1);
    EXPECT_EQ(results->item(0)->text(), QStringLiteral("Nic nenalezeno."));
    EXPECT_EQ(results->item(0)->flags(), Qt::NoItemFlags);
}

struct HelpWindowFixture : test::AppFixture {
    HelpWindowFixture() {
        EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    app::TfrmNapoveda* help() { return window.findChild<app::TfrmNapoveda*>(); }
    app::TfrmMain window{session, &ui};
};

TEST(MainWindowHelp, withoutAHelpFileNapovedaShowsNothing) {
    HelpWindowFixture f;
    f.dir.write(QStringLiteral("Tervalo.chm"), QByteArray("no archive"));
    for (bool present : {false, true}) {
        if (!present) {
            QFile::remove(f.dir.file(QStringLiteral("Tervalo.chm")));
        }
        QTest::mouseClick(child<QPushButton>(f.window, "btnNapoveda2"), Qt::LeftButton);
        QTest::qWait(50);
        EXPECT_EQ(f.help(), nullptr);
        EXPECT_TRUE(f.ui.messages().empty());
    }
}

TEST(MainWindowHelp, napovedaOpensTheStartPageAndF1TheAboutBoxWhoseLinkOpensTheHelp) {
    HelpWindowFixture f;
    ASSERT_TRUE(QFile::copy(kBuiltHelp, f.dir.file(QStringLiteral("Tervalo.chm"))));
    QTest::mouseClick(child<QPushButton>(f.window, "btnNapoveda2"), Qt::LeftButton);
    ASSERT_NE(f.help(), nullptr);
    EXPECT_TRUE(f.help()->isVisible());
    EXPECT_EQ(f.help()->browser()->source(), QUrl(QStringLiteral("pgMain.htm")));
    f.help()->close();

    // F1 opens the about box; its help link opens the help beside it, usable while the box is up.
    bool linkClicked = false;
    bool helpUsable = false;
    QTimer::singleShot(100, &f.window, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        auto* links = about->findChild<QLabel*>(QStringLiteral("lblNapoveda"));
        ASSERT_NE(links, nullptr);
        Q_EMIT links->linkActivated(QStringLiteral("help"));
        linkClicked = true;
        app::TfrmNapoveda* help = about->findChild<app::TfrmNapoveda*>();
        // A modal box blocks every window but its own children.
        helpUsable = help != nullptr && help->isVisible() && help->parentWidget() == about &&
                     help->browser()->source() == QUrl(QStringLiteral("pgMain.htm"));
        about->close();
    });
    f.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
    QTest::keyClick(&f.window, Qt::Key_F1);
    EXPECT_TRUE(linkClicked);
    EXPECT_TRUE(helpUsable);
    EXPECT_TRUE(f.ui.messages().empty());
}

}  // namespace
