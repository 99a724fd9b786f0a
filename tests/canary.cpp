// Linked into every test program. ctest also runs this test on its own and requires GoogleTest's
// report that exactly one test passed, so a program that starts and runs nothing (a 32-bit program on
// a 64-bit-only Wine, a broken start-up) cannot pass by exiting 0.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform.h"

TEST(Canary, TestProgramRuns) { SUCCEED(); }

namespace {

// Test programs never block on a message box and never see the developer's own installation:
// effects built here start without an installation directory unless a test gives them one.
class HermeticTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        platform::setMessageBoxHandler(ignoreMessage);
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", "", 1);
#endif
    }

private:
    static void ignoreMessage(const char*, const char*) {}
};

[[maybe_unused]] ::testing::Environment* const hermeticEnvironment =
    ::testing::AddGlobalTestEnvironment(new HermeticTestEnvironment);

}  // namespace
