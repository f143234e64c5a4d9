#include "AppFixture.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "settings/IniFile.h"

#include <QFrame>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// The window's shape from Vorbel.ini at start-up, and back into it at the close.
struct LayoutFixture : test::AppFixture {
    explicit LayoutFixture(const char* mainSection) {
        dir.write(QStringLiteral("Vorbel.ini"), QByteArray("[MAIN]\r\nRunSetup=0\r\n") + mainSection);
        EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue);
        window = std::make_unique<app::TfrmMain>(session, &ui);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    int headerHeight() const { return window->findChild<QWidget*>(QStringLiteral("panFirmy"))->height(); }
    app::IniFile savedIni() const {
        return app::IniFile(dir.file(QStringLiteral("Vorbel.ini")), session.locale.codec());
    }
    std::unique_ptr<app::TfrmMain> window;
};

TEST(MainWindowLayout, debtorAreaTakesTheStoredHeightAndGivesItBackAtTheClose) {
    const std::pair<const char*, int> cases[] = {
        {"HeaderHeight=250\r\n", 250}, {"HeaderHeight=39\r\n", 120}, {"HeaderHeight=40\r\n", 40}, {"", 193}};
    for (const auto& [stored, height] : cases) {
        LayoutFixture f(stored);
        // At the first start the debtor area also gets what the window has above its classic height.
        const int expected = *stored != 0 ? height : height + f.window->height() - 431;
        EXPECT_EQ(f.headerHeight(), expected) << stored;
        EXPECT_FALSE(f.window->isMaximized());
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        EXPECT_EQ(f.savedIni().integer(QStringLiteral("MAIN"), QStringLiteral("HeaderHeight"), 0), expected);
        EXPECT_EQ(f.savedIni().text(QStringLiteral("MAIN"), QStringLiteral("Maximized")),
                  QStringLiteral("0"));
        EXPECT_EQ(f.savedIni().text(QStringLiteral("MAIN"), QStringLiteral("RunSetup")), QStringLiteral("0"));
    }
}

// The stored height applies to the window's normal size; maximized, the debtor area keeps its share.
TEST(MainWindowLayout, storedMaximizedWindowStartsMaximizedAndTheDebtorAreaKeepsItsShare) {
    LayoutFixture f("Maximized=1\r\nHeaderHeight=150\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.window->isMaximized(); }));
    const QList<int> sizes = f.window->findChild<QSplitter*>(QStringLiteral("Splitter1"))->sizes();
    EXPECT_GT(f.headerHeight(), 150);
    f.window->close();
    EXPECT_EQ(f.savedIni().text(QStringLiteral("MAIN"), QStringLiteral("Maximized")), QStringLiteral("1"));
    EXPECT_EQ(f.savedIni().integer(QStringLiteral("MAIN"), QStringLiteral("HeaderHeight"), 0), sizes[0]);
    EXPECT_NEAR(f.savedIni().integer(QStringLiteral("MAIN"), QStringLiteral("HeaderPerMille"), 0),
                sizes[0] * 1000.0 / (sizes[0] + sizes[1]), 2);
}

}  // namespace
