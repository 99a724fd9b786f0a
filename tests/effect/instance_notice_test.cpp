#include <gtest/gtest.h>

#include "effect/instance_notice.h"
#include "presets/record_format.h"
#include "presets/test_directory.h"

namespace {

PresetDirectory directoryAt(const TestDirectory& dir) { return PresetDirectory{dir.path(), true}; }

}  // namespace

TEST(InstanceNotice, OtherInstancesReloadOnceAndTheNoticeDisappears) {
    TestDirectory dir;
    InstanceNotice writer(directoryAt(dir), 1234);
    InstanceNotice reader(directoryAt(dir), 77);
    const std::string path = dir.path() + kNoticeFileName;

    EXPECT_FALSE(reader.check());  // no notice yet
    writer.post();
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "!NUM_INSTANCE_MOD#001234#\n");

    EXPECT_TRUE(reader.check());
    EXPECT_FALSE(writer.check());  // its own change
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "!NUM_INSTANCE_MOD#001234#\n!NUM_INSTANCE#77#\n!NUM_INSTANCE#1234#\n");
    EXPECT_FALSE(reader.check());  // seen twice: removed
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(writer.check());
}

TEST(InstanceNotice, PollsOnEveryEighthRunAndHandlesRemovalMarks) {
    TestDirectory dir;
    InstanceNotice writer(directoryAt(dir), 1);
    InstanceNotice reader(directoryAt(dir), 2);
    writer.post();
    int reloads = 0;
    for (int run = 1; run <= 8; ++run) {
        const bool reload = reader.periodicTick();
        reloads += reload;
        EXPECT_EQ(reload, run == 8);
    }
    EXPECT_EQ(reloads, 1);

    ASSERT_TRUE(WriteFileReplacing(dir.path() + kNoticeFileName, "!removed#"));
    EXPECT_FALSE(reader.check());
    EXPECT_FALSE(FileExists(dir.path() + kNoticeFileName));
}

TEST(InstanceNotice, DrawingANumberRemovesALeftOverNotice) {
    TestDirectory dir;
    InstanceNotice(directoryAt(dir), 5).post();
    const int number = DrawInstanceNumber(directoryAt(dir));
    EXPECT_GE(number, 0);
    EXPECT_LE(number, 98302);
    EXPECT_FALSE(FileExists(dir.path() + kNoticeFileName));
    // Without a valid directory nothing is read or written.
    InstanceNotice nowhere(PresetDirectory{}, 3);
    nowhere.post();
    EXPECT_FALSE(nowhere.check());
}
