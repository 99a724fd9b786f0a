#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "presets/initial_settings.h"
#include "presets/install_directory.h"
#include "presets/options_file.h"
#include "presets/record_format.h"
#include "presets/settings_record.h"
#include "test_directory.h"

namespace {

std::vector<std::string> messages;
void recordMessage(const char* title, const char* text) { messages.push_back(std::string(title) + ": " + text); }

struct MessageCapture {
    MessageCapture() {
        messages.clear();
        platform::setMessageBoxHandler(recordMessage);
    }
    ~MessageCapture() {
        platform::setMessageBoxHandler([](const char*, const char*) {});  // never block after the test
    }
};

}  // namespace

TEST(InstallDirectory, AppendsTheSeparatorAndChecksTheLength) {
    MessageCapture capture;
    const char sep = platform::pathSeparator();
    PresetDirectory dir = MakePresetDirectory("base");
    EXPECT_TRUE(dir.valid);
    EXPECT_EQ(dir.path, std::string("base") + sep);
    EXPECT_EQ(MakePresetDirectory(std::string("base") + sep).path, std::string("base") + sep);
    EXPECT_TRUE(messages.empty());

    EXPECT_TRUE(MakePresetDirectory(std::string(199, 'd')).valid);   // 200 with the separator
    EXPECT_FALSE(MakePresetDirectory(std::string(200, 'd')).valid);  // 201
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Alert: Wrong installation of your Corvane plugIn");

    messages.clear();
    EXPECT_FALSE(MakePresetDirectory("").valid);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Alert: Wrong install's directory of your Corvane plugIn");
    EXPECT_FALSE(MakePresetDirectory(std::string("a\0b", 3)).valid);
}

TEST(OptionsFile, WritesSeventeenRecordsAndReadsThemBack) {
    EffectOptions options = DefaultOptions();
    options.dspSave = 0.7f;
    options.snapFreq = 3.0f;
    options.incrWheel = 1.0f;
    options.saveInProject = 1.0f;
    options.gainDropAlt = 2.0f;
    std::string text;
    WriteOptions(text, options);
    EXPECT_EQ(text,
              "!DSP_SAVE#1#\n!DISPLAY_VAL#0#\n!DISPLAY_NAME#0#\n!SNAP_FREQ#3#\n!SNAP_RES#0#\n!SNAP_GAIN#0#\n"
              "!BANDE_ON_AUTO#1#\n!GAIN_OUT_ON#0#\n!DISPLAY_NOTES#0#\n!DISPLAY_QOCT#0#\n!INCR_WHEEL#1.000000e+00#\n"
              "!GAIN_DROP_ALT#2#\n!SHOW_CLIP#1#\n!HOLD_CLIP#0#\n!CODAGE_MS#1#\n!DECODAGE_MS#1#\n!SAVE_IN_PROJECT#0#\n");
    EffectOptions back{};
    TokenReader reader(text);
    ReadOptions(reader, back);
    EXPECT_EQ(back.dspSave, 1.0f);
    EXPECT_EQ(back.snapFreq, 3.0f);
    EXPECT_EQ(back.incrWheel, 1.0f);
    EXPECT_EQ(back.gainDropAlt, 2.0f);
    EXPECT_EQ(back.saveInProject, 0.0f);
}

TEST(OptionsFile, PartialAndBadFilesChangeOnlyWhatTheyHold) {
    TestDirectory dir;
    const PresetDirectory directory{dir.path(), true};
    EffectOptions options = DefaultOptions();
    options.snapGain = 2.0f;
    EXPECT_FALSE(ReadOptionsFile(directory, options));  // no file: nothing changes
    EXPECT_EQ(options.snapGain, 2.0f);
    WriteFileReplacing(directory.file(kOptionsFileName), "!INCR_WHEEL#1#\n!JUNK#!SNAP_RES#1e9#\n!HOLD_CLIP#x");
    ASSERT_TRUE(ReadOptionsFile(directory, options));
    EXPECT_EQ(options.incrWheel, 1.0f);
    EXPECT_EQ(options.snapGain, 2.0f);
    EXPECT_EQ(options.snapRes, 1.0f);  // "1e9" as an integer is 1
    EXPECT_EQ(options.holdClip, 0.0f);
    EXPECT_EQ(options.showClip, 1.0f);

    // An invalid directory reads and writes nothing.
    EXPECT_FALSE(SaveOptionsFile(PresetDirectory{}, options));
    ASSERT_TRUE(SaveOptionsFile(directory, options));
    EffectOptions reread = DefaultOptions();
    ASSERT_TRUE(ReadOptionsFile(directory, reread));
    EXPECT_EQ(reread.incrWheel, 1.0f);
}

TEST(InitialSettings, ApplyingResetsOneChannelAndRepairsNames) {
    SettingsRecord initial = BuiltInInitialSettings();
    initial.channel[0].band[kBandHP].gain = 0.9f;
    initial.channel[0].band[kBandAir].frequency = 0.2f;
    initial.channel[1].band[kBandB2].gain = 0.8f;
    initial.band[kBandB2].type = 1.0f;
    initial.band[kBandB1].type = 1.0f;
    initial.band[kBandB3].on = 1.0f;
    CopyText(initial.band[kBandB1].name, kBandNameSize, "Low End");
    std::memset(initial.band[kBandB4].name, 'a', 23);  // 23 characters: kept
    initial.band[kBandB4].name[23] = 0;
    CopyText(initial.band[kBandB5].name, kBandNameSize, "Bad#Name");

    SettingsSlot slot{};
    slot.modified = slot.secondChange = 1;
    slot.settings.channel[1].band[kBandB2].gain = 0.3f;
    ApplyInitialSettings(initial, slot, 1, 0, 4);
    EXPECT_STREQ(slot.name, "Tovin04B");
    EXPECT_EQ(slot.modified, 0);
    EXPECT_EQ(slot.secondChange, 0);
    EXPECT_EQ(slot.settings.channel[0].band[kBandHP].gain, 0.0f);
    EXPECT_EQ(slot.settings.channel[0].band[kBandAir].frequency, 1.0f);
    EXPECT_EQ(slot.settings.channel[0].band[kBandAir].quality, 1.0f);
    EXPECT_EQ(slot.settings.channel[0].band[kBandB3].frequency, 0.5f);
    EXPECT_EQ(slot.settings.channel[1].band[kBandB2].gain, 0.3f);  // the other channel stays
    EXPECT_EQ(slot.settings.band[kBandB2].type, 0.0f);
    EXPECT_EQ(slot.settings.band[kBandB1].type, 1.0f);
    EXPECT_EQ(slot.settings.band[kBandB3].on, 1.0f);
    EXPECT_STREQ(slot.settings.band[kBandB1].name, "Low End");
    EXPECT_EQ(std::string(slot.settings.band[kBandB4].name), std::string(23, 'a'));
    EXPECT_STREQ(slot.settings.band[kBandB5].name, "Band 6");
    EXPECT_STREQ(slot.settings.band[kBandHP].name, "Band 1");
}

TEST(InitialSettings, FileRoundTripAndValuesByChannel) {
    TestDirectory dir;
    const PresetDirectory directory{dir.path(), true};
    SettingsSlot current{};
    ApplyInitialSettings(BuiltInInitialSettings(), current, 0, 0, 1);
    ApplyInitialSettings(BuiltInInitialSettings(), current, 0, 1, 1);
    current.settings.channel[0].band[kBandB3].gain = 0.9f;
    current.settings.channel[1].volume = 0.2f;
    current.settings.band[kBandLP].on = 1.0f;
    CopyText(current.settings.band[kBandB2].name, kBandNameSize, "Honk");

    InitialSettings first;
    ASSERT_TRUE(first.initFromCurrent(current, directory));
    InitialSettings second;
    second.read(directory);
    EXPECT_NEAR(second.record().channel[0].band[kBandB3].gain, 0.9f, 1e-6);
    EXPECT_NEAR(second.record().channel[1].volume, 0.2f, 1e-6);
    EXPECT_EQ(second.record().band[kBandLP].on, 1.0f);
    EXPECT_STREQ(second.record().band[kBandB2].name, "Honk");

    // A new instance's slot A gets the current settings.
    SettingsSlot fresh{};
    ApplyInitialSettings(second.record(), fresh, 0, 1, 2);
    ApplyInitialSettings(second.record(), fresh, 0, 0, 2);
    EXPECT_EQ(std::memcmp(&fresh.settings, &current.settings, sizeof fresh.settings), 0);

    // Values address the channel chosen by the slot's selector and are written at once.
    current.channelSelector = 0.0f;  // channel 1
    ASSERT_TRUE(second.setValue(20, 0.75f, current, directory));
    EXPECT_EQ(second.value(20, current), 0.75f);
    current.channelSelector = 1.0f;
    EXPECT_NEAR(second.value(20, current), 0.5f, 1e-6);
    InitialSettings third;
    third.read(directory);
    EXPECT_EQ(third.record().channel[1].volume, 0.75f);
    EXPECT_FALSE(third.setValue(34, 1.0f, current, directory));

    // A 25-character name in the file gives the default name.
    WriteFileReplacing(directory.file(kInitialSettingsFileName), "!BANDE3_NAME#" + std::string(25, 'n') + "#\n");
    third.read(directory);
    EXPECT_STREQ(third.record().band[kBandB2].name, "");
    EXPECT_EQ(third.record().channel[0].band[kBandB3].frequency, 0.5f);
    ApplyInitialSettings(third.record(), fresh, 0, 0, 2);
    EXPECT_STREQ(fresh.settings.band[kBandB2].name, "Band 3");
}
