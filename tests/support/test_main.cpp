#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>

// One runner for every test: GoogleTest, with a QApplication alive so that
// window tests can build and drive dialogs through QTest.
//
// A real message box that a test did not expect would wait for a click for
// ever; a watchdog fails the test and closes it instead.  (Tests answer
// questions through scripted dialogs, so a real box is always a fault.)
int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    QTimer vigia;
    QObject::connect(&vigia, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
                ADD_FAILURE() << "unexpected message box: " << box->text().toStdString();
                box->reject();
            }
        }
    });
    vigia.start(3000);
    return RUN_ALL_TESTS();
}
