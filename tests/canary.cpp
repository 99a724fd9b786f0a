// Linked into every test program. ctest also runs this test on its own and requires GoogleTest's
// report that exactly one test passed, so a program that starts and runs nothing (a 32-bit program on
// a 64-bit-only Wine, a broken start-up) cannot pass by exiting 0.
#include <gtest/gtest.h>

TEST(Canary, TestProgramRuns) { SUCCEED(); }
