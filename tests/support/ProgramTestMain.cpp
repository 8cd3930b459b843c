#include "app/Application.h"

#include <cstdlib>
#include <gtest/gtest.h>

// Tests of the whole program run under its own application object, on the offscreen platform
// unless the environment names another.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
