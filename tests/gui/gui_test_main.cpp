#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    // Widgets need an application object; the offscreen platform needs no display. A test that
    // runs this program again chooses its own offscreen screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
