#include "AppFixture.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "support/CheckedGridModels.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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
    EXPECT_GT(f.session.sgrCSV.rowCount(), 10);
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

}  // namespace
