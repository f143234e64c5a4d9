#include "AppFixture.h"
#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "state/StateSchema.h"
#include "state/StateTables.h"
#include "support/CheckedGridModels.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

struct WindowFixture : test::AppFixture {
    explicit WindowFixture(QStringList arguments = {}) {
        session.arguments = std::move(arguments);
        EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue);
        window.armAutoStart();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    template <class T>
    T* child(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    app::TfrmMain window{session, &ui};
    test::CheckedGridModels models{window};
};

TEST(MainWindow, loadsAnExportWhosePathArrivedSplitOnTheCommandLine) {
    test::TempAppDir exports;
    exports.write(QStringLiteral("Moje exporty.csv"), [] {
        QFile demo(test::demoExportPath());
        demo.open(QIODevice::ReadOnly);
        return demo.readAll();
    }());
    QString path = exports.file(QStringLiteral("Moje exporty.csv"));
    WindowFixture f(path.split(QLatin1Char(' ')));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.child<QPushButton>("btnOk")->isEnabled(); }, 5000));
    EXPECT_EQ(f.child<QLineEdit>("edtInputCSVFile")->text(), path);
    EXPECT_FALSE(f.child<QPushButton>("btnProchazet")->isEnabled());
    EXPECT_TRUE(f.ui.messages().empty());
    EXPECT_EQ(f.session.ExportFilePath, path);
    EXPECT_GT(f.session.tables.mtDoklady.rowCount(), 10);
    EXPECT_TRUE(f.window.isVisible());
    // The export that came on the command line and was loaded is deleted at the end.
    QTest::keyClick(&f.window, Qt::Key_Escape);
    EXPECT_FALSE(f.window.isVisible());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(MainWindow, exportThatFailsToLoadIsKept) {
    test::TempAppDir exports;
    exports.write(QStringLiteral("x.csv"), "a;b;c\nd;e;f\n");
    const QString path = exports.file(QStringLiteral("x.csv"));
    WindowFixture f({path});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.window.isVisible(); }, 5000));
    ASSERT_EQ(f.ui.messages().size(), 1u);
    EXPECT_EQ(f.ui.messages()[0].kind, QStringLiteral("warning"));
    EXPECT_TRUE(QFile::exists(path));
}

TEST(MainWindow, withoutArgumentsNothingLoadsUntilOk) {
    WindowFixture f;
    QTest::qWait(300);
    EXPECT_TRUE(f.child<QPushButton>("btnOk")->isEnabled());
    // OK with an empty name: the message, then the program ends.
    QTest::mouseClick(f.child<QPushButton>("btnOk"), Qt::LeftButton);
    EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("information"),
                                                      QStringLiteral("Musíte zadat vstupní CSV soubor.")}}));
    EXPECT_FALSE(f.window.isVisible());
}

TEST(MainWindow, escapeEndsTheProgram) {
    WindowFixture f;
    QTest::keyClick(&f.window, Qt::Key_Escape);
    EXPECT_FALSE(f.window.isVisible());
    EXPECT_TRUE(f.ui.messages().empty());
}

// A state table that cannot be read fails the load with the table's error: the window shows it and
// ends as after any failed load, the error caught at the window's boundary rather than left to
// unwind through the event loop.
TEST(MainWindow, aLoadThatRaisesAnErrorShowsItAndEnds) {
    for (const bool automatic : {false, true}) {
        test::TempAppDir exports;
        const QString path = exports.file(QStringLiteral("export.csv"));
        QFile::copy(test::demoExportPath(), path);
        WindowFixture f;
        f.session.stateTables->SetDocumentExport(QStringLiteral("FV260101"), false);
        QFile table(f.dir.file(state::Schema::edokladyFile));
        ASSERT_TRUE(table.resize(table.size() - 40));  // the record is cut short
        if (automatic) {                               // as when the export came on the command line
            f.session.arguments = QStringList{path};
            f.session.StartedWithParams = true;
            f.window.armAutoStart();
        } else {
            f.child<QLineEdit>("edtInputCSVFile")->setText(path);
            QTest::mouseClick(f.child<QPushButton>("btnOk"), Qt::LeftButton);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !f.window.isVisible(); }, 5000)) << automatic;
        ASSERT_EQ(f.ui.messages().size(), 1u) << automatic;
        EXPECT_EQ(f.ui.messages()[0].kind, QStringLiteral("error")) << automatic;
        EXPECT_FALSE(f.ui.messages()[0].text.isEmpty()) << automatic;
        // A failed load keeps the export that came on the command line.
        EXPECT_TRUE(QFile::exists(path)) << automatic;
    }
}

// While the load lets the window repaint, what the user does meanwhile is discarded: a click on
// the e-mail filter, Esc and the close box neither run then nor afterwards.
TEST(MainWindow, userInputDuringTheLoadIsDiscardedWhileTheWindowRepaints) {
    test::AppFixture f;
    ASSERT_EQ(app::StartUp(f.session, f.dir.path(), f.ui), app::StartResult::Continue);
    app::TfrmMain window(f.session);  // its own user interface, as in the program
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* filter = window.findChild<QCheckBox*>(QStringLiteral("chckOnlyMail"));

    // Posted now, handled by the load's first pass through the event loop.
    const QPoint centre = filter->rect().center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            filter, new QMouseEvent(type, centre, filter->mapToGlobal(centre), Qt::LeftButton,
                                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                    Qt::NoModifier));
    }
    bool injected = false;
    QTimer::singleShot(0, &window, [&] {
        injected = true;
        QTest::mouseClick(filter, Qt::LeftButton);
        QTest::keyClick(&window, Qt::Key_Escape);
        window.close();
    });
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    qApp->installEventFilter(&counter);
    window.findChild<QLineEdit*>(QStringLiteral("edtInputCSVFile"))->setText(test::demoExportPath());
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    qApp->removeEventFilter(&counter);

    EXPECT_TRUE(injected);
    EXPECT_GT(counter.paints, 0);
    QTest::qWait(50);  // nothing was merely deferred
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(filter->isChecked());
    EXPECT_FALSE(f.session.tables.mtFirmy.filtered());
    EXPECT_EQ(f.session.tables.mtFirmy.recordCount(), 12);
    window.hide();
}

TEST(TfrmAbout, itsLinksRunTheHelpTopicAndTheProtocolItIsGiven) {
    test::AppFixture f;
    QStringList topics;
    int protocols = 0;
    app::TfrmAbout about(
        f.session, [&](const QString& topic) { topics << topic; }, [&] { ++protocols; });
    auto* links = about.findChild<QLabel*>(QStringLiteral("lblNapoveda"));
    ASSERT_NE(links, nullptr);
    Q_EMIT links->linkActivated(QStringLiteral("help"));
    EXPECT_EQ(topics, QStringList{QStringLiteral("pgMain.htm")});
    EXPECT_EQ(protocols, 0);
    Q_EMIT links->linkActivated(QStringLiteral("protocol"));
    EXPECT_EQ(protocols, 1);
}

}  // namespace
