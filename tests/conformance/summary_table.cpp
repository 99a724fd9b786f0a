// The run's summary, one row per check grouped by test suite, printed at the end like pluginval's
// and written to the file named by --summary (test-all shows it after ctest).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "probe.h"

namespace conformance {

namespace {

struct Row {
    std::string group, check, result, figure;
    double seconds = 0.0;
};

std::mutex figureMutex;
std::string currentFigure;

class SummaryTable : public ::testing::EmptyTestEventListener {
public:
    explicit SummaryTable(std::string path) : path_(std::move(path)) {}

    void OnTestStart(const ::testing::TestInfo&) override {
        std::lock_guard<std::mutex> lock(figureMutex);
        currentFigure.clear();
    }

    void OnTestEnd(const ::testing::TestInfo& info) override {
        const ::testing::TestResult& r = *info.result();
        Row row{info.test_suite_name(), info.name(), "passed", {}, static_cast<double>(r.elapsed_time()) / 1000.0};
        if (r.Skipped()) row.result = "skipped";
        else if (r.Failed()) row.result = "FAILED";
        {
            std::lock_guard<std::mutex> lock(figureMutex);
            row.figure = currentFigure;
        }
        rows_.push_back(std::move(row));
    }

    void OnTestProgramEnd(const ::testing::UnitTest& unit) override {
        if (rows_.empty()) return;
        // Groups in name order, whatever order the linker gave the checks.
        std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.group < b.group; });
        std::string text = format("== Tovin host conformance: %s (%s)\n", pluginPath().c_str(),
#if defined(_WIN32)
                                  "Windows, under Wine when on Linux"
#else
                                  "Linux"
#endif
        );
        size_t groupWidth = 5, checkWidth = 5;
        for (const Row& row : rows_) {
            groupWidth = std::max(groupWidth, row.group.size());
            checkWidth = std::max(checkWidth, row.check.size());
        }
        const auto line = [&](const std::string& g, const std::string& c, const std::string& r, const std::string& t,
                              const std::string& f) {
            text += format("%-*s  %-*s  %-7s  %7s  %s\n", static_cast<int>(groupWidth), g.c_str(),
                           static_cast<int>(checkWidth), c.c_str(), r.c_str(), t.c_str(), f.c_str());
        };
        line("Group", "Check", "Result", "Time", "Figure");
        int passed = 0, failed = 0, skipped = 0;
        std::string lastGroup;
        for (const Row& row : rows_) {
            line(row.group == lastGroup ? "" : row.group, row.check, row.result, format("%.2f s", row.seconds),
                 row.figure);
            lastGroup = row.group;
            if (row.result == "passed") ++passed;
            else if (row.result == "skipped") ++skipped;
            else ++failed;
        }
        text += format("== %d checks in %d groups: %d passed, %d failed, %d skipped, %.1f s\n",
                       static_cast<int>(rows_.size()), unit.test_suite_to_run_count(), passed, failed, skipped,
                       static_cast<double>(unit.elapsed_time()) / 1000.0);
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
        if (!path_.empty()) {
            if (std::FILE* f = std::fopen(path_.c_str(), "w")) {
                std::fputs(text.c_str(), f);
                std::fclose(f);
            }
        }
    }

private:
    std::string path_;
    std::vector<Row> rows_;
};

}  // namespace

void noteFigure(const std::string& text) {
    std::lock_guard<std::mutex> lock(figureMutex);
    currentFigure = text;
}

void installSummaryTable(const std::string& path) {
    ::testing::UnitTest::GetInstance()->listeners().Append(new SummaryTable(path));
}

}  // namespace conformance
