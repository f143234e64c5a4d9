// Every test executable gets a QCoreApplication, so Qt facilities that need one (timers, sockets,
// application paths) work as in the program.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
