// The caller's filter text read into entries and written in the Win32 form, for any input.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "filedialog/filter.h"

namespace {

using morvashel::FilterEntry;
using morvashel::parseFilter;
using morvashel::win32Filter;

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs pairs(const std::vector<FilterEntry>& entries) {
    Pairs result;
    for (const FilterEntry& entry : entries) {
        result.emplace_back(entry.name, entry.patterns);
    }
    return result;
}

const Pairs kEditorPairs{{"Tovin Files (*.tovin)", "*.tovin"}, {"All Files (*.*)", "*.*"}};

TEST(FileDialogFilter, WellFormedAndMalformedTextsGiveWholePairsOnly) {
    EXPECT_EQ(pairs(parseFilter("Tovin Files (*.tovin)|*.tovin|All Files (*.*)|*.*||", "*.tovin")), kEditorPairs);
    // The end of the text ends the list as "||" does.
    EXPECT_EQ(pairs(parseFilter("Tovin Files (*.tovin)|*.tovin|All Files (*.*)|*.*", nullptr)), kEditorPairs);
    EXPECT_EQ(pairs(parseFilter("Tovin Files (*.tovin)|*.tovin|All Files (*.*)|*.*|", nullptr)), kEditorPairs);
    // A name without its patterns is dropped.
    EXPECT_EQ(pairs(parseFilter("A|*.a|B", nullptr)), (Pairs{{"A", "*.a"}}));
    EXPECT_EQ(pairs(parseFilter("A|*.a|B||", nullptr)), (Pairs{{"A", "*.a"}}));
    // An empty field ends the list, wherever it is.
    EXPECT_EQ(pairs(parseFilter("A|*.a||B|*.b||", nullptr)), (Pairs{{"A", "*.a"}}));
    EXPECT_EQ(pairs(parseFilter("A||*.a|B|*.b", "*.p")), (Pairs{{"*.p", "*.p"}}));
    // Several patterns stay one list.
    EXPECT_EQ(pairs(parseFilter("Banks|*.tovin;*.bak||", nullptr)), (Pairs{{"Banks", "*.tovin;*.bak"}}));
}

TEST(FileDialogFilter, WithoutAUsablePairThePatternServesOrNothing) {
    EXPECT_EQ(pairs(parseFilter("", "*.tovin")), (Pairs{{"*.tovin", "*.tovin"}}));
    EXPECT_EQ(pairs(parseFilter(nullptr, "*.tovin")), (Pairs{{"*.tovin", "*.tovin"}}));
    EXPECT_EQ(pairs(parseFilter("||", "*.tovin")), (Pairs{{"*.tovin", "*.tovin"}}));
    EXPECT_EQ(pairs(parseFilter("|*.a|", "*.tovin")), (Pairs{{"*.tovin", "*.tovin"}}));
    EXPECT_EQ(pairs(parseFilter("OnlyAName", "*.tovin")), (Pairs{{"*.tovin", "*.tovin"}}));
    EXPECT_TRUE(parseFilter("OnlyAName", nullptr).empty());
    EXPECT_TRUE(parseFilter(nullptr, nullptr).empty());
    EXPECT_TRUE(parseFilter(nullptr, "").empty());
    EXPECT_TRUE(win32Filter({}).empty());
}

TEST(FileDialogFilter, AnOverLongOrUnterminatedTextIsReadUpToTheLimitOnly) {
    // Pairs of 8 + 1 + 7 + 1 bytes: "Name0001|*.n0001|...", far past the limit, no terminator inside.
    std::string text;
    int count = 0;
    while (text.size() < 3 * morvashel::kFilterTextLimit) {
        char pair[32];
        std::snprintf(pair, sizeof pair, "Name%04d|*.n%04d|", count, count);
        text += pair;
        ++count;
    }
    const std::vector<FilterEntry> entries = parseFilter(text.c_str(), nullptr);
    // Only fields wholly inside the limit count; the one it cuts is dropped with its pair.
    const std::size_t pairBytes = 17;
    EXPECT_EQ(entries.size(), morvashel::kFilterTextLimit / pairBytes);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().name.size(), 8u);
    EXPECT_EQ(entries.back().patterns.size(), 7u);

    // The same bytes without any terminator in reach: a buffer of exactly the limit, no NUL.
    std::vector<char> unterminated(text.begin(), text.begin() + morvashel::kFilterTextLimit);
    EXPECT_EQ(parseFilter(unterminated.data(), nullptr).size(), entries.size());

    // A single field longer than the limit gives nothing, not a cut name.
    const std::string huge = std::string(2 * morvashel::kFilterTextLimit, 'x') + "|*.x||";
    EXPECT_EQ(pairs(parseFilter(huge.c_str(), "*.tovin")), (Pairs{{"*.tovin", "*.tovin"}}));
}

TEST(FileDialogFilter, TheWin32FormIsDoubleNulTerminatedAndBounded) {
    const std::string form = win32Filter(parseFilter("Tovin Files (*.tovin)|*.tovin|All Files (*.*)|*.*||", nullptr));
    EXPECT_EQ(form, std::string("Tovin Files (*.tovin)\0*.tovin\0All Files (*.*)\0*.*\0\0", 51));

    // Many pairs: whole pairs as long as they fit, the two final NULs included.
    std::vector<FilterEntry> many;
    for (int i = 0; i < 200; ++i) {
        many.push_back({"Name" + std::to_string(1000 + i), "*.e" + std::to_string(1000 + i)});  // 8 + 7 bytes
    }
    const std::string bounded = win32Filter(many);
    ASSERT_LE(bounded.size(), morvashel::kWin32FilterLimit);
    const std::size_t pairBytes = 8 + 1 + 7 + 1;
    EXPECT_EQ(bounded.size(), (morvashel::kWin32FilterLimit - 1) / pairBytes * pairBytes + 1);
    EXPECT_EQ(bounded.substr(bounded.size() - 2), std::string("\0\0", 2));
    EXPECT_EQ(bounded.substr(bounded.size() - pairBytes - 1, pairBytes),
              "Name" + std::to_string(1000 + bounded.size() / pairBytes - 1) + '\0' + "*.e" +
                  std::to_string(1000 + bounded.size() / pairBytes - 1) + '\0');

    // One pair too long for the form gives no filter at all rather than a cut one.
    EXPECT_TRUE(win32Filter({{std::string(morvashel::kWin32FilterLimit, 'n'), "*.x"}}).empty());
}

TEST(FileDialogFilter, PatternListsSplitIntoWords) {
    EXPECT_EQ(morvashel::splitPatterns("*.tovin"), (std::vector<std::string>{"*.tovin"}));
    EXPECT_EQ(morvashel::splitPatterns(" *.a ; *.b;;*.c "), (std::vector<std::string>{"*.a", "*.b", "*.c"}));
    EXPECT_TRUE(morvashel::splitPatterns(" ; ").empty());
}

}  // namespace
