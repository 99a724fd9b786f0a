// The path buffer read and written within its size, and the default extension of an export name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filedialog/answer.h"
#include "filedialog/morvashel.h"

namespace {

constexpr std::size_t kSize = morvashel::kPathBufferSize;

TEST(FileDialogAnswer, TheBufferIsReadAndWrittenWithinItsSize) {
    char buffer[kSize];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(morvashel::proposedPath(buffer), "") << "no terminator: nothing to propose";
    EXPECT_EQ(morvashel::proposedPath(nullptr), "");
    buffer[kSize - 1] = '\0';
    EXPECT_EQ(morvashel::proposedPath(buffer), std::string(kSize - 1, 'x'));

    const std::string longest(kSize - 1, 'p');
    ASSERT_TRUE(morvashel::storeAnswer(longest, buffer));
    EXPECT_EQ(std::string(buffer), longest);

    std::strcpy(buffer, "kept");
    EXPECT_FALSE(morvashel::storeAnswer(std::string(kSize, 'p'), buffer)) << "would lose its terminator";
    EXPECT_FALSE(morvashel::storeAnswer("", buffer));
    EXPECT_FALSE(morvashel::storeAnswer(std::string("a\0b", 3), buffer)) << "a NUL would cut the path";
    EXPECT_FALSE(morvashel::storeAnswer("a", nullptr));
    EXPECT_STREQ(buffer, "kept");
}

TEST(FileDialogAnswer, OnlyANameWithoutExtensionGetsTheDefaultOne) {
    EXPECT_EQ(morvashel::withDefaultExtension("/b/bank", "tovin"), "/b/bank.tovin");
    EXPECT_EQ(morvashel::withDefaultExtension("/b/bank.", "tovin"), "/b/bank.tovin");
    EXPECT_EQ(morvashel::withDefaultExtension("/b/.hidden", "tovin"), "/b/.hidden.tovin");
    EXPECT_EQ(morvashel::withDefaultExtension("/b.d/bank", "tovin"), "/b.d/bank.tovin");
    EXPECT_EQ(morvashel::withDefaultExtension("/b/bank.tovin", "tovin"), "/b/bank.tovin");
    EXPECT_EQ(morvashel::withDefaultExtension("/b/bank.TOVIN", "tovin"), "/b/bank.TOVIN");
    EXPECT_EQ(morvashel::withDefaultExtension("/b/bank.txt", "tovin"), "/b/bank.txt");
    EXPECT_EQ(morvashel::withDefaultExtension("/b/bank", ""), "/b/bank");
    EXPECT_EQ(morvashel::withDefaultExtension("/b/", "tovin"), "/b/") << "a folder is no file name";
    EXPECT_EQ(morvashel::withDefaultExtension("", "tovin"), "");
#ifdef _WIN32
    EXPECT_EQ(morvashel::withDefaultExtension("C:\\b.d\\bank", "tovin"), "C:\\b.d\\bank.tovin");
#endif
}

TEST(FileDialogAnswer, TheExtensionArgumentIsAShortPlainWord) {
    EXPECT_EQ(morvashel::defaultExtension("tovin"), "tovin");
    EXPECT_EQ(morvashel::defaultExtension(".tovin"), "tovin");
    EXPECT_EQ(morvashel::defaultExtension(nullptr), "");
    EXPECT_EQ(morvashel::defaultExtension(""), "");
    EXPECT_EQ(morvashel::defaultExtension("*.tovin"), "");
    EXPECT_EQ(morvashel::defaultExtension("../x"), "");
    EXPECT_EQ(morvashel::defaultExtension("a\nb"), "");
    EXPECT_EQ(morvashel::defaultExtension(std::string(64, 'e').c_str()), "");
    // Read no further than the longest extension: an unterminated text is refused, not overrun.
    char unterminated[40];
    std::memset(unterminated, 'e', sizeof unterminated);
    EXPECT_EQ(morvashel::defaultExtension(unterminated), "");
}

}  // namespace
