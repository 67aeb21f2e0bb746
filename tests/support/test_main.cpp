#include <QApplication>
#include <cstdlib>

#include <gtest/gtest.h>

// One runner for every test: GoogleTest, with a QApplication alive so that
// window tests can build and drive dialogs through QTest.
int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
