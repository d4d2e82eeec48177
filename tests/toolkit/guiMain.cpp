// Entry point of the GUI test executables: windows go to the offscreen platform unless
// the environment chooses another, so the tests need no display.
#include <gtest/gtest.h>

#include <cstdlib>

#include "App.h"

// The font configuration library keeps a few allocations for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    appEnsure();
    return RUN_ALL_TESTS();
}
