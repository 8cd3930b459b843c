#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Widget tests need no display: Qt's offscreen platform unless the environment names another.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
