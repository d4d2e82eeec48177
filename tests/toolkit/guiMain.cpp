// Entry point of the GUI test executables: windows go to the offscreen platform unless
// the environment chooses another, so the tests need no display.
#include <gtest/gtest.h>

#include <cstdlib>

#include "App.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    appEnsure();
    return RUN_ALL_TESTS();
}
