// The platform services on the platform the test program runs on: the installation directory
// setting, the injectable message box, the module handle and the wall clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

TEST(PlatformMessages, InjectedHandlerReceivesTitleAndText) {
    static std::string seenTitle, seenText;
    static int calls = 0;
    platform::setMessageBoxHandler([](const char* title, const char* text) {
        seenTitle = title;
        seenText = text;
        ++calls;
    });
    platform::showMessage("Tovin", "Installation directory not found");
    platform::setMessageBoxHandler([](const char*, const char*) {});  // never block after the test
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seenTitle, "Tovin");
    EXPECT_EQ(seenText, "Installation directory not found");
}

TEST(PlatformClock, MillisecondsFollowTheSystemClock) {
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    const int64_t first = platform::clockMilliseconds();
    EXPECT_LT(std::llabs(first - static_cast<int64_t>(now)), 2000);
    // It moves within a bounded number of polls (the instance number draw relies on it).
    int64_t later = first;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (later == first && std::chrono::steady_clock::now() < deadline) later = platform::clockMilliseconds();
    EXPECT_GT(later, first);
}

TEST(PlatformModule, HandleIsStoredAndReturned) {
    void* const before = platform::moduleHandle();
    int marker = 0;
    platform::setModuleHandle(&marker);
    EXPECT_EQ(platform::moduleHandle(), &marker);
    platform::setModuleHandle(before);
}

#if defined(_WIN32)

// HKLM "software\<vendor>\Tovin", value InstallDirectory. Each test uses its own vendor name, so that
// tests of other programs running at the same time never see these keys.
class RegistryInstallDirectory : public ::testing::Test {
protected:
    static constexpr const char* kVendor = "TovinPlatformTestVendor";
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "software\\TovinPlatformTestVendor"); }
    bool write(DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\TovinPlatformTestVendor\\Tovin", 0, nullptr, 0,
                            KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        const bool ok = RegSetValueExA(key, "InstallDirectory", 0, type, static_cast<const BYTE*>(data), size) ==
                        ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }
};

TEST_F(RegistryInstallDirectory, ReadsTheStringValue) {
    EXPECT_EQ(platform::readInstallDirectory(kVendor), "");
    const std::string directory = "C:\\Program Files\\Corvane\\Tovin";
    ASSERT_TRUE(write(REG_SZ, directory.c_str(), static_cast<DWORD>(directory.size() + 1)));
    EXPECT_EQ(platform::readInstallDirectory(kVendor), directory);
    EXPECT_EQ(platform::pathSeparator(), '\\');
}

TEST_F(RegistryInstallDirectory, IgnoresOtherTypesAndBoundsLongValues) {
    const DWORD number = 42;
    ASSERT_TRUE(write(REG_DWORD, &number, sizeof number));
    EXPECT_EQ(platform::readInstallDirectory(kVendor), "");
    // Longer than the reader's buffer and stored without a terminator: read bounded, never past it.
    const std::string longValue(3000, 'd');
    ASSERT_TRUE(write(REG_SZ, longValue.data(), static_cast<DWORD>(longValue.size())));
    const std::string read = platform::readInstallDirectory(kVendor);
    EXPECT_LT(read.size(), longValue.size());
    EXPECT_EQ(read.find_first_not_of('d'), std::string::npos);
}

#else

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name); old != nullptr) {
            hadValue_ = true;
            old_ = old;
        }
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (hadValue_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool hadValue_ = false;
    std::string old_;
};

class LinuxInstallDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("tovin-platform-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    void TearDown() override { std::filesystem::remove_all(root_); }
    void writeSetting(const std::filesystem::path& configHome, const std::string& content) {
        const auto folder = configHome / "Corvane" / "Tovin";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "InstallDirectory", std::ios::binary) << content;
    }
    std::filesystem::path root_;
};

TEST_F(LinuxInstallDirectory, EnvironmentVariableComesFirst) {
    writeSetting(root_ / "xdg", "/from/file\n");
    ScopedEnv xdg("XDG_CONFIG_HOME", (root_ / "xdg").c_str());
    ScopedEnv direct("TOVIN_INSTALL_DIRECTORY", "/opt/tovin");
    EXPECT_EQ(platform::readInstallDirectory("Corvane"), "/opt/tovin");
    EXPECT_EQ(platform::pathSeparator(), '/');
}

TEST_F(LinuxInstallDirectory, FirstLineOfTheConfigFile) {
    ScopedEnv direct("TOVIN_INSTALL_DIRECTORY", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", (root_ / "xdg").c_str());
    EXPECT_EQ(platform::readInstallDirectory("Corvane"), "");  // no file yet
    writeSetting(root_ / "xdg", "/home/user/Tovin presets\r\nsecond line\n");
    EXPECT_EQ(platform::readInstallDirectory("Corvane"), "/home/user/Tovin presets");
    EXPECT_EQ(platform::readInstallDirectory("OtherVendor"), "");
}

TEST_F(LinuxInstallDirectory, DefaultsToDotConfigUnderHome) {
    ScopedEnv direct("TOVIN_INSTALL_DIRECTORY", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", "");  // empty counts as unset
    ScopedEnv home("HOME", root_.c_str());
    writeSetting(root_ / ".config", "/srv/tovin");
    EXPECT_EQ(platform::readInstallDirectory("Corvane"), "/srv/tovin");
}

#endif

}  // namespace
