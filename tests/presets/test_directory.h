// A fresh temporary directory for one test, removed afterwards.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

class TestDirectory {
public:
    TestDirectory() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root_ = std::filesystem::temp_directory_path() /
                ("tovin_test_" + std::to_string(stamp) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(root_);
    }
    ~TestDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TestDirectory(const TestDirectory&) = delete;
    TestDirectory& operator=(const TestDirectory&) = delete;

    // Ends with the path separator.
    std::string path() const { return (root_ / "").string(); }

private:
    std::filesystem::path root_;
};
