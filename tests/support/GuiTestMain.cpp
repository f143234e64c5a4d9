// Widget tests run under a QApplication on the offscreen platform (set by CTest).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Also when CTest lists the tests, which it does without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
