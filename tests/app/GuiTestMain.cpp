#include <QApplication>

#include <gtest/gtest.h>

// Widgets need an application object; the offscreen platform lets the tests
// run without a display (CTest sets it too, this covers running by hand).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
