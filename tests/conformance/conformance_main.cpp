// The conformance suite's program: GoogleTest with the summary table, and an installation directory
// of its own so that the effect never sees the developer's presets.
//
//   test_conformance [GoogleTest options] [--summary FILE]
//
// TOVIN_PLUGIN names another module to check; TOVIN_CONFORMANCE_FUZZ the number of fuzzed chunks;
// TOVIN_CONFORMANCE_INSTALL_DIRECTORY the Linux effect's installation directory.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "probe.h"

namespace conformance {
void installSummaryTable(const std::string& path);
}

namespace {

// Whatever a check leaves in the installation directory goes at the end of the run.
class InstallationDirectory : public ::testing::Environment {
public:
    void SetUp() override { guard_ = std::make_unique<conformance::StoreGuard>(); }
    void TearDown() override { guard_.reset(); }

private:
    std::unique_ptr<conformance::StoreGuard> guard_;
};

}  // namespace

// ctest runs this alone and wants exactly one passed test: a program that starts and runs nothing
// cannot pass.
TEST(Canary, TestProgramRuns) { SUCCEED(); }

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::string summary;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--summary") == 0) summary = argv[i + 1];
    }
#if !defined(_WIN32)
    // The Windows effect finds its directory in the registry of the Wine prefix.
    if (const char* directory = std::getenv("TOVIN_CONFORMANCE_INSTALL_DIRECTORY"))
        setenv("TOVIN_INSTALL_DIRECTORY", directory, 1);
    else
        setenv("TOVIN_INSTALL_DIRECTORY", TOVIN_CONFORMANCE_INSTALL, 1);
#endif
#if defined(_WIN32)
    // Under Wine an absolute Unix path lies on drive Z:.
    if (!summary.empty() && summary[0] == '/') summary = "Z:" + summary;
#endif
    conformance::installSummaryTable(summary);
    ::testing::AddGlobalTestEnvironment(new InstallationDirectory);
    return RUN_ALL_TESTS();
}
