#include "AppFixture.h"
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"

#include <QFrame>
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
    for (const auto& [stored, expected] : cases) {
        LayoutFixture f(stored);
        EXPECT_EQ(f.headerHeight(), expected) << stored;
        EXPECT_FALSE(f.window->isMaximized());
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        EXPECT_EQ(f.savedIni().integer(QStringLiteral("MAIN"), QStringLiteral("HeaderHeight"), 0), expected);
        EXPECT_EQ(f.savedIni().text(QStringLiteral("MAIN"), QStringLiteral("Maximized")),
                  QStringLiteral("0"));
        EXPECT_EQ(f.savedIni().text(QStringLiteral("MAIN"), QStringLiteral("RunSetup")), QStringLiteral("0"));
    }
}

TEST(MainWindowLayout, storedMaximizedWindowStartsMaximizedAndKeepsTheDebtorHeight) {
    LayoutFixture f("Maximized=1\r\nHeaderHeight=150\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.window->isMaximized(); }));
    EXPECT_EQ(f.headerHeight(), 150);
    f.window->close();
    EXPECT_EQ(f.savedIni().text(QStringLiteral("MAIN"), QStringLiteral("Maximized")), QStringLiteral("1"));
}

}  // namespace
