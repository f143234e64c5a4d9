#include "AppFixture.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "compose/SettingsDialog.h"
#include "sending/EmailingDialog.h"
#include "settings/IniFile.h"
#include "support/CaseName.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

struct PlaceCase {
    std::string name;
    std::optional<QRect> stored;
    QSize wanted;
    QSize minimum;
    QRect placed;
};

class PlaceWindowTest : public ::testing::TestWithParam<PlaceCase> {};

// A 1024x768 screen whose window frames have a title bar of 30 and borders of 4 pixels.
TEST_P(PlaceWindowTest, windowLiesWhollyOnTheScreenAtLeastAsLargeAsItsLayoutNeeds) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(app::placeWindow(c.stored, c.wanted, c.minimum, QPoint(400, 300), QRect(0, 0, 1024, 768),
                               QMargins(4, 30, 4, 4)),
              c.placed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceWindowTest,
    ::testing::Values(
        PlaceCase{
            "first_opening_centred_on_its_owner", std::nullopt, {600, 400}, {300, 200}, {101, 101, 600, 400}},
        PlaceCase{"hint_below_the_layouts_minimum_grows",
                  std::nullopt,
                  {200, 100},
                  {300, 200},
                  {251, 201, 300, 200}},
        PlaceCase{"centred_beyond_the_left_edge_moves_in",
                  std::nullopt,
                  {900, 300},
                  {300, 200},
                  {4, 151, 900, 300}},
        PlaceCase{"larger_than_the_screen_shrinks_to_it",
                  std::nullopt,
                  {1200, 900},
                  {300, 200},
                  {4, 30, 1016, 734}},
        PlaceCase{
            "stored_place_kept", QRect(500, 300, 400, 300), {600, 400}, {300, 200}, {500, 300, 400, 300}},
        PlaceCase{"stored_below_the_minimum_grows",
                  QRect(500, 300, 200, 100),
                  {600, 400},
                  {300, 200},
                  {500, 300, 300, 200}},
        PlaceCase{"stored_off_screen_comes_back",
                  QRect(2000, -50, 400, 300),
                  {600, 400},
                  {300, 200},
                  {620, 30, 400, 300}}),
    test::CaseName());

// One program run on the folder: start-up, the main window shown; Esc closes it and saves.
struct ProgramRun {
    explicit ProgramRun(const test::TempAppDir& dir) {
        EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue);
        window = std::make_unique<app::TfrmMain>(session, &ui);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QSplitter& splitter() const { return *window->findChild<QSplitter*>(QStringLiteral("Splitter1")); }
    double debtorShare() const {
        const QList<int> sizes = splitter().sizes();
        return double(sizes[0]) / (sizes[0] + sizes[1]);
    }
    // Drags the divider by `dy` pixels, as the user does.
    void dragDivider(int dy) const {
        QWidget* handle = splitter().handle(1);
        const QPoint grip = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, grip);
        QTest::mouseMove(handle, grip + QPoint(0, dy));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(0, dy));
    }
    QRect openSettings() const {
        compose::TfrmNastaveni& settings = window->frmNastaveni();
        settings.prepareEdit(compose::TfrmNastaveni::PostovniZprava);
        settings.open();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&settings));
        return settings.geometry();
    }

    app::AppSession session{platform::SystemLocale()};
    test::FakeUserInterface ui;
    std::unique_ptr<app::TfrmMain> window;
};

TEST(WindowPlacement, firstStartOpensAtTwoThirdsOfTheScreenAtLeastAtTheClassicSize) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    dir.write(QStringLiteral("Vorbel.ini"), "[MAIN]\r\nRunSetup=0\r\n");
    ProgramRun run(dir);
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    const QSize expected = QSize(673, 431)
                               .expandedTo(screen.size() * 2 / 3)
                               .expandedTo(run.window->minimumSize())
                               .boundedTo(screen.size());
    EXPECT_EQ(run.window->size(), expected);
    EXPECT_EQ(run.window->geometry().center(), screen.center());
    // The debtor area gets the stored height and whatever the window has above the classic height.
    EXPECT_EQ(run.window->findChild<QWidget*>(QStringLiteral("panFirmy"))->height(),
              193 + expected.height() - 431);
}

TEST(WindowPlacement, windowsKeepPlaceAndSizeAndTheDividerItsShareAcrossRuns) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    dir.write(QStringLiteral("Vorbel.ini"), "[MAIN]\r\nRunSetup=0\r\n");
    const QRect mainPlace(30, 20, 760, 560);
    QRect bulkPlace;
    double share = 0;
    {
        ProgramRun run(dir);
        run.window->setGeometry(mainPlace);
        run.dragDivider(60);
        share = run.debtorShare();
        // A taller window keeps the debtor area's share, not its height.
        run.window->setGeometry(mainPlace.adjusted(0, 0, 0, 100));
        EXPECT_NEAR(run.debtorShare(), share, 0.01);
        run.window->setGeometry(mainPlace);

        // A dialog opens centred on the main window, at least at its size hint.
        sending::TfrmEmailing& bulk = run.window->frmEmailing();
        bulk.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bulk));
        EXPECT_LE((bulk.geometry().center() - mainPlace.center()).manhattanLength(), 2);
        EXPECT_GE(bulk.width(), bulk.sizeHint().width());
        EXPECT_GE(bulk.height(), bulk.sizeHint().height());
        bulkPlace = bulk.geometry().adjusted(-30, -20, 10, 15);
        bulk.setGeometry(bulkPlace);
        bulk.reject();

        // One larger than the screen lets it be centred opens wholly on the screen.
        const QRect opened = run.openSettings();
        compose::TfrmNastaveni& settings = run.window->frmNastaveni();
        EXPECT_TRUE(QApplication::primaryScreen()->availableGeometry().contains(opened));
        settings.reject();
        run.window->close();
    }
    const app::IniFile saved(dir.file(QStringLiteral("Vorbel.ini")), platform::SystemLocale().codec());
    EXPECT_EQ(saved.text(QStringLiteral("MAIN"), QStringLiteral("Geometry_frmMain")),
              QStringLiteral("30,20,760,560"));
    EXPECT_EQ(saved.integer(QStringLiteral("MAIN"), QStringLiteral("HeaderPerMille"), 0),
              qRound(share * 1000));

    ProgramRun second(dir);
    EXPECT_EQ(second.window->geometry(), mainPlace);
    EXPECT_NEAR(second.debtorShare(), share, 0.005);
    sending::TfrmEmailing& bulk = second.window->frmEmailing();
    bulk.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bulk));
    EXPECT_EQ(bulk.geometry(), bulkPlace);
    bulk.reject();
}

}  // namespace
