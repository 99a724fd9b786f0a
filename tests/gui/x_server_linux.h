// The X server the X11 tests draw on: the one in DISPLAY when it answers, else an Xvfb of our own.
#pragma once

namespace tovin_test {

// True once a display is usable (DISPLAY then names it); false when none answers and Xvfb is missing.
bool xServerAvailable();

}  // namespace tovin_test

// Skips the test when no X server can be had.
#define TOVIN_REQUIRE_X_SERVER()                                                              \
    do {                                                                                      \
        if (!tovin_test::xServerAvailable()) GTEST_SKIP() << "no X display and Xvfb is not installed"; \
    } while (0)
