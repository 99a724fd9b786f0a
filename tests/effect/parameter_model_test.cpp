// Storing values, coupling between channels, the editor's side effects and the slot commands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "effect/parameter_mapping.h"
#include "effect/parameter_tables.h"
#include "host_recorder.h"

using namespace param;

namespace {

class ParameterModel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(h.effect, nullptr);
        HostRecorder::instance().clear();
    }
    CDravel& fx() { return *h.effect; }
    float get(int index) { return fx().getParameter(index); }
    float channelValue(int channel, int index) {
        const int saved = fx().editedChannel();
        fx().setParameter(kEditedChannel, channel == 0 ? 1.0f : 0.0f);
        const float v = get(index);
        fx().setParameter(kEditedChannel, saved == 0 ? 1.0f : 0.0f);
        return v;
    }
    float hz(int index, float v) { return toPhysical(index, 0.0f, v); }
    float dB(int index, float v) { return toPhysical(index, 0.0f, v); }
    std::string display(int index) { return fx().displayText(index); }

    EffectHandle h;
};

}  // namespace

TEST_F(ParameterModel, AutomationReachesTheHostOnlyForContinuousParameters) {
    fx().setParameterAutomated(kHPOn, 0.0f);
    EXPECT_EQ(HostRecorder::instance().count(audioMasterAutomate), 0);
    EXPECT_EQ(get(kHPOn), 0.0f);
    fx().setParameterAutomated(kHPFreq, 0.3f);
    const auto calls = HostRecorder::instance().calls();
    int automate = 0;
    for (const HostCall& c : calls) {
        if (c.opcode != audioMasterAutomate) continue;
        ++automate;
        EXPECT_EQ(c.index, 0);
        EXPECT_EQ(c.opt, 0.3f);
    }
    EXPECT_EQ(automate, 1);
    EXPECT_NEAR(get(kHPFreq), 0.3f, 1e-6f);
    EXPECT_FALSE(fx().automationInProgress());
    EXPECT_EQ(fx().automationClass(0), 2);
    EXPECT_EQ(fx().automationClass(20), 2);
    EXPECT_EQ(fx().automationClass(21), 1);
    EXPECT_EQ(fx().automationClass(33), 1);
    EXPECT_EQ(fx().automationClass(34), 0);
}

TEST_F(ParameterModel, GesturesCallTheHost) {
    EXPECT_TRUE(fx().beginEdit(kB2Freq));
    EXPECT_TRUE(fx().endEdit(kB2Freq));
    const auto calls = HostRecorder::instance().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls[0].index, kB2Freq);
    EXPECT_EQ(calls[1].opcode, audioMasterEndEdit);
}

TEST_F(ParameterModel, BadIndexesAndValuesAreHarmless) {
    const EffectState before = fx().state();
    for (int index : {-1000, -1, 34, 53, 68, 70, 110, 5000}) {
        fx().setParameter(index, 0.7f);
        fx().setParameterAutomated(index, 0.7f);
        EXPECT_EQ(get(index), 0.0f) << index;
        fx().displayText(index);
        fx().setFromTypedText(index, "12");
    }
    EXPECT_EQ(std::memcmp(&before, &fx().state(), sizeof(EffectState)), 0);

    fx().setParameter(kB3Freq, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(get(kB3Freq), 0.0f);
    fx().setParameter(kB3Gain, std::numeric_limits<float>::infinity());
    EXPECT_EQ(get(kB3Gain), 1.0f);
    fx().setParameter(kB3On, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(get(kB3On), 0.0f);
    fx().setParameter(kB3On, 7.0f);
    EXPECT_EQ(get(kB3On), 1.0f);
}

TEST_F(ParameterModel, DisplayTexts) {
    fx().setParameter(kB1Type, 1.0f);
    fx().setParameter(kB1Qual, 1.0f);
    EXPECT_EQ(display(kB1Qual), "2.00");
    fx().setParameter(kB1Type, 0.0f);
    EXPECT_EQ(display(kB1Qual), "7.00");
    fx().setParameter(kHPFreq, 0.0f);
    EXPECT_EQ(display(kHPFreq), "20.00");
    fx().setParameter(kHPFreq, 1.0f);
    EXPECT_EQ(display(kHPFreq), "10.00k");
    fx().setParameter(kB1Freq, 1.0f);
    EXPECT_EQ(display(kB1Freq), "20.00k");
    fx().setParameter(kB4Gain, 0.5f);
    EXPECT_EQ(display(kB4Gain), "0.0");
    fx().setParameter(kAirGain, 0.0f);
    EXPECT_EQ(display(kAirGain), "-15.0");
    fx().setParameter(kHPQual, 0.5f);
    fx().setParameter(kOptDisplayQOct, 1.0f);
    EXPECT_EQ(display(kHPQual), "0.71");
    fx().setParameter(kB1Type, 1.0f);
    EXPECT_EQ(display(kB1Type), "LowShelf");
    EXPECT_EQ(display(kHPType), "HighPass 6dB");
    EXPECT_EQ(display(kB2On), "Off");
    EXPECT_EQ(display(kFirstBandName), "Band 1");
    EXPECT_EQ(display(kLastBandName), "Band Air");
    EXPECT_EQ(display(kVersionText), "V1.34 (Feb 18 2008 / 07:33:52) Generic");
    EXPECT_EQ(display(kEditedChannel), "");
    EXPECT_STREQ(fx().longName(20), "General Volum");
    EXPECT_STREQ(fx().longName(40), "");
}

TEST_F(ParameterModel, SnappingAppliesToStoredValues) {
    fx().setParameter(kOptSnapFreq, 2.0f);
    fx().setParameterAutomated(kB2Freq, toNormalized(kB2Freq, 0, 1234.0f));
    EXPECT_NEAR(hz(kB2Freq, get(kB2Freq)), 1150.0f, 0.05f);
    fx().setParameter(kOptSnapGain, 1.0f);
    fx().setParameterAutomated(kB2Gain, toNormalized(kB2Gain, 0, 7.9f));
    EXPECT_NEAR(dB(kB2Gain, get(kB2Gain)), 6.0f, 1e-4f);
    // With snapping off the stored value is the value given.
    fx().setParameter(kOptSnapGain, 0.0f);
    fx().setParameterAutomated(kB2Gain, 0.123456f);
    EXPECT_FLOAT_EQ(get(kB2Gain), 0.123456f);
}

TEST_F(ParameterModel, TypedEntry) {
    fx().setFromTypedText(kB2Freq, "1000");
    EXPECT_NEAR(hz(kB2Freq, get(kB2Freq)), 1000.0f, 0.05f);
    fx().setFromTypedText(kB2Gain, "-20 dB");  // outside the table: clamped
    EXPECT_EQ(get(kB2Gain), 0.0f);
    fx().setFromTypedText(kB2Gain, "4,98");  // read up to the comma
    EXPECT_NEAR(dB(kB2Gain, get(kB2Gain)), 4.0f, 1e-4f);
    fx().setFromTypedText(kB2Qual, "nan");
    EXPECT_EQ(get(kB2Qual), 0.0f);
    fx().setFromTypedText(kB2Freq, "  1234.5 Hz");
    EXPECT_NEAR(hz(kB2Freq, get(kB2Freq)), 1234.5f, 0.05f);
    fx().setFromTypedText(kB2Gain, "+3");
    EXPECT_NEAR(dB(kB2Gain, get(kB2Gain)), 3.0f, 1e-4f);
    fx().setFromTypedText(kB2Freq, "1e999");  // overflow clamps to the top
    EXPECT_EQ(get(kB2Freq), 1.0f);
    fx().setFromTypedText(kB2Gain, "1e-999");
    EXPECT_NEAR(dB(kB2Gain, get(kB2Gain)), 0.0f, 1e-4f);
    fx().setFromTypedText(kB2Freq, "abc");
    EXPECT_EQ(get(kB2Freq), 0.0f);

    fx().setParameter(kOptDisplayQOct, 1.0f);
    fx().setFromTypedText(kB2Qual, "0.5");  // a width of 0.5 octave means Q 1
    EXPECT_NEAR(toPhysical(kB2Qual, 0, get(kB2Qual)), 1.0f, 1e-5f);

    fx().setParameter(kOptDisplayNotes, 1.0f);
    const float before = get(kB2Freq);
    fx().setFromTypedText(kB2Freq, "5000");
    fx().setFromTypedText(kB2Qual, "3");
    EXPECT_EQ(get(kB2Freq), before);
    fx().setFromTypedText(kAirGain, "5");  // gains are always taken
    EXPECT_NEAR(dB(kAirGain, get(kAirGain)), 5.0f, 1e-4f);
}

TEST_F(ParameterModel, CouplingSwitchesExcludeEachOther) {
    fx().setParameter(kCoupleMirrored, 1.0f);
    EXPECT_EQ(get(kCoupleLinked), 0.0f);
    fx().setParameter(kCoupleLinked, 1.0f);
    EXPECT_EQ(get(kCoupleMirrored), 0.0f);
    EXPECT_EQ(get(kCoupleLinked), 1.0f);
}

TEST_F(ParameterModel, LinkedChannelsFollowOrKeepTheirRatio) {
    // Linked, absolute: both channels take the same value.
    fx().setParameterAutomated(kB2Freq, 0.4f);
    EXPECT_FLOAT_EQ(channelValue(1, kB2Freq), 0.4f);

    // Unlinked: only the edited channel changes.
    fx().setParameter(kCoupleLinked, 0.0f);
    fx().setParameterAutomated(kB2Freq, toNormalized(kB2Freq, 0, 1000.0f));
    fx().setParameter(kEditedChannel, 0.0f);  // edit RIGHT
    fx().setParameterAutomated(kB2Freq, toNormalized(kB2Freq, 0, 2000.0f));
    EXPECT_NEAR(hz(kB2Freq, channelValue(0, kB2Freq)), 1000.0f, 0.1f);

    // Linked, relative: a gesture on RIGHT from 2000 to 4000 Hz doubles LEFT too.
    fx().setParameter(kCoupleLinked, 1.0f);
    fx().setParameter(kCoupleRelative, 1.0f);
    fx().beginEdit(kB2Freq);
    fx().setParameterAutomated(kB2Freq, toNormalized(kB2Freq, 0, 3000.0f));
    fx().setParameterAutomated(kB2Freq, toNormalized(kB2Freq, 0, 4000.0f));
    fx().endEdit(kB2Freq);
    EXPECT_NEAR(hz(kB2Freq, channelValue(0, kB2Freq)), 2000.0f, 1.0f);
    EXPECT_NEAR(hz(kB2Freq, channelValue(1, kB2Freq)), 4000.0f, 1.0f);

    // Relative gains keep their difference; the far end clamps.
    fx().setParameter(kCoupleRelative, 0.0f);
    fx().setParameterAutomated(kB2Gain, toNormalized(kB2Gain, 0, 3.32f));  // both 3.32
    fx().setParameter(kCoupleLinked, 0.0f);
    fx().setParameter(kEditedChannel, 1.0f);  // edit LEFT
    fx().setParameterAutomated(kB2Gain, toNormalized(kB2Gain, 0, 9.96f));  // LEFT 9.96, RIGHT 3.32
    fx().setParameter(kCoupleLinked, 1.0f);
    fx().setParameter(kCoupleRelative, 1.0f);
    fx().beginEdit(kB2Gain);
    fx().setParameterAutomated(kB2Gain, toNormalized(kB2Gain, 0, 13.28f));
    EXPECT_NEAR(dB(kB2Gain, channelValue(1, kB2Gain)), 6.64f, 1e-3f);
    fx().setParameterAutomated(kB2Gain, toNormalized(kB2Gain, 0, 4.98f));
    EXPECT_NEAR(dB(kB2Gain, channelValue(1, kB2Gain)), -1.66f, 1e-3f);
    fx().endEdit(kB2Gain);
}

TEST_F(ParameterModel, MirroredGainsAndLevelCompensation) {
    fx().setParameter(kCoupleMirrored, 1.0f);
    fx().setParameterAutomated(kB3Gain, toNormalized(kB3Gain, 0, 6.64f));
    EXPECT_NEAR(dB(kB3Gain, channelValue(1, kB3Gain)), -6.64f, 1e-3f);
    // Non-gain parameters follow unchanged while mirrored.
    fx().setParameterAutomated(kB3Freq, 0.3f);
    EXPECT_FLOAT_EQ(channelValue(1, kB3Freq), 0.3f);

    fx().setParameter(kCoupleLevel, 0.5f);  // factor 0.4
    fx().setParameterAutomated(kB3Gain, toNormalized(kB3Gain, 0, 9.96f));
    EXPECT_NEAR(dB(kGenVol, channelValue(0, kGenVol)), -9.96f * 0.4f, 1e-3f);
    EXPECT_NEAR(dB(kGenVol, channelValue(1, kGenVol)), 0.0f, 1e-3f);
    fx().setParameter(kCoupleLevel, 1.0f);  // factor 0.8, a cut lowers the other channel
    fx().setParameterAutomated(kB3Gain, toNormalized(kB3Gain, 0, -4.98f));
    EXPECT_NEAR(dB(kGenVol, channelValue(1, kGenVol)), -4.98f * 0.8f, 1e-3f);
    EXPECT_NEAR(dB(kGenVol, channelValue(0, kGenVol)), 0.0f, 1e-3f);

    // Relative mirroring: the channel whose gain rose is lowered from its start volume.
    fx().setParameterAutomated(kB3Gain, toNormalized(kB3Gain, 0, 0.0f));  // both 0 dB, volumes 0 dB
    fx().setParameter(kCoupleRelative, 1.0f);
    fx().beginEdit(kB3Gain);
    fx().setParameterAutomated(kB3Gain, toNormalized(kB3Gain, 0, 4.98f));
    EXPECT_NEAR(dB(kB3Gain, channelValue(1, kB3Gain)), -4.98f, 1e-3f);
    EXPECT_NEAR(dB(kGenVol, channelValue(0, kGenVol)), -4.98f * 0.8f, 1e-3f);
    EXPECT_NEAR(dB(kGenVol, channelValue(1, kGenVol)), 0.0f, 1e-3f);
    fx().endEdit(kB3Gain);
}

TEST_F(ParameterModel, EditorChangesSwitchBandsOnUnlessTheUserSwitchedThemOff) {
    ListenerRecorder listener;
    fx().setListener(&listener);
    fx().setParameter(kGenOn, 0.0f);
    fx().setParameter(kB2On, 0.0f);
    // Host automation never switches anything on.
    fx().setParameter(kB2Freq, 0.2f);
    EXPECT_EQ(get(kB2On), 0.0f);
    // An editor change does, and marks the slot modified.
    fx().state().slot[0].modified = 0;
    fx().setParameterAutomated(kB2Freq, 0.25f);
    EXPECT_EQ(get(kB2On), 1.0f);
    EXPECT_EQ(get(kGenOn), 1.0f);
    EXPECT_EQ(fx().state().slot[0].modified, 1);
    EXPECT_EQ(display(kPresetNameText).back(), '*');

    // Without automatic switching, a band the user switched off stays off.
    fx().setParameter(kOptBandeOnAuto, 0.0f);
    fx().setParameterAutomated(kB3On, 0.0f);
    fx().setParameterAutomated(kB3Gain, 0.8f);
    EXPECT_EQ(get(kB3On), 0.0f);
    // A band switched off by other means is switched on.
    fx().setParameter(kB4On, 0.0f);
    fx().setParameterAutomated(kB4Gain, 0.8f);
    EXPECT_EQ(get(kB4On), 1.0f);
    fx().setListener(nullptr);
    bool toldB4On = false;
    for (auto [index, value] : listener.changes) toldB4On |= index == kB4On && value == 1.0f;
    EXPECT_TRUE(toldB4On);
}

TEST_F(ParameterModel, CopyActionsLatchUntilReleased) {
    fx().setParameter(kB2Gain, 0.9f);
    fx().setParameterAutomated(kCopySlot, 1.0f);
    SettingsSlot& b = fx().state().slot[1];
    EXPECT_FLOAT_EQ(b.settings.channel[0].band[kBandB2].gain, 0.9f);
    // The copy keeps the destination's name.
    EXPECT_EQ(std::string(b.name).back(), 'B');
    // A second press without release copies nothing.
    fx().setParameter(kB2Gain, 0.1f);
    fx().setParameterAutomated(kCopySlot, 1.0f);
    EXPECT_FLOAT_EQ(b.settings.channel[0].band[kBandB2].gain, 0.9f);
    fx().setParameterAutomated(kCopySlot, 0.0f);
    fx().setParameterAutomated(kCopySlot, 1.0f);
    EXPECT_FLOAT_EQ(b.settings.channel[0].band[kBandB2].gain, 0.1f);
    EXPECT_EQ(get(kCopySlot), 0.0f);

    // Copying one channel over the other.
    fx().setParameterAutomated(kCopySlot, 0.0f);
    fx().setParameter(kCoupleLinked, 0.0f);
    fx().setParameter(kB5Freq, 0.66f);
    fx().setParameterAutomated(kCopyChannel, 1.0f);
    EXPECT_FLOAT_EQ(channelValue(1, kB5Freq), 0.66f);
    EXPECT_EQ(fx().state().slot[0].info.channelMode, kChannelModeLinked);
}

TEST_F(ParameterModel, SlotChangeReSendsTheSlotWithoutSideEffects) {
    // Slot B: separate left/right values, linked, bands off.
    SettingsSlot& b = fx().state().slot[1];
    b.settings.channel[0].band[kBandB3].frequency = 0.2f;
    b.settings.channel[1].band[kBandB3].frequency = 0.8f;
    b.settings.band[kBandB3].on = 0.0f;
    b.coupling.linked = 1.0f;
    ListenerRecorder listener;
    fx().setListener(&listener);
    fx().setParameterAutomated(kSelectB, 1.0f);
    fx().setListener(nullptr);
    EXPECT_EQ(fx().activeSlotIndex(), 1);
    EXPECT_EQ(get(kSelectB), 1.0f);
    EXPECT_EQ(get(kSelectA), 0.0f);
    EXPECT_FLOAT_EQ(b.settings.channel[0].band[kBandB3].frequency, 0.2f);
    EXPECT_FLOAT_EQ(b.settings.channel[1].band[kBandB3].frequency, 0.8f);
    EXPECT_EQ(b.settings.band[kBandB3].on, 0.0f);
    EXPECT_FALSE(listener.changes.empty());

    fx().setParameter(kSelectA, 1.0f);
    EXPECT_EQ(fx().activeSlotIndex(), 0);
    fx().setParameter(kEditRight, 0.3f);
    EXPECT_EQ(get(kEditRight), 1.0f);
    EXPECT_EQ(get(kEditLeft), 0.0f);
    EXPECT_EQ(fx().editedChannel(), 1);
}

TEST_F(ParameterModel, SetProgramPushesOnlyOnAChange) {
    ListenerRecorder listener;
    fx().setListener(&listener);
    fx().setProgram(fx().getProgram());
    EXPECT_TRUE(listener.changes.empty());
    fx().setProgram(1);
    fx().setListener(nullptr);
    int perChannel = 0;
    int switches = 0;
    for (auto [index, value] : listener.changes) {
        if (index == kB2Freq) ++perChannel;
        if (index == kB2On) ++switches;
    }
    EXPECT_EQ(perChannel, 2);
    EXPECT_EQ(switches, 1);
}

TEST_F(ParameterModel, SwitchingChannelsTwiceRestoresTheSlot) {
    SettingsSlot& a = fx().state().slot[0];
    for (int b = 0; b < kBandCount; ++b) {
        a.settings.channel[0].band[b] = {0.1f * b, 0.2f, 0.3f};
        a.settings.channel[1].band[b] = {0.05f * b, 0.7f, 0.9f};
        a.settings.band[b].on = b % 2 ? 1.0f : 0.0f;
    }
    a.settings.channel[0].volume = 0.25f;
    const SettingsSlot before = a;
    HostRecorder::instance().clear();
    fx().switchChannels();
    EXPECT_EQ(a.settings.channel[0].band[3].gain, before.settings.channel[1].band[3].gain);
    EXPECT_EQ(a.settings.channel[1].volume, 0.25f);
    EXPECT_EQ(a.modified, 1);
    EXPECT_EQ(HostRecorder::instance().count(audioMasterUpdateDisplay), 1);
    fx().switchChannels();
    EXPECT_EQ(std::memcmp(&a.settings, &before.settings, sizeof(SettingsRecord)), 0);
}

TEST_F(ParameterModel, ClassBandsByFrequencyMovesBothChannelsTogether) {
    SettingsSlot& a = fx().state().slot[0];
    a.settings.band[kBandB1].type = 1.0f;  // low shelf: stays put
    a.settings.band[kBandB5].type = 0.0f;  // bell: sorted
    const float left[kBandCount] = {0, 0.9f, 1.0f, 0.3f, 0.3f, 0.1f, 0, 0};
    for (int b = 0; b < kBandCount; ++b) {
        a.settings.channel[0].band[b] = {left[b], 0.01f * b, 0.02f * b};
        a.settings.channel[1].band[b] = {0.5f, 0.03f * b, 0.04f * b};
        a.settings.band[b].on = static_cast<float>(b % 2);
    }
    fx().classBandsByFrequency();
    // Order by LEFT frequency: B5 (0.1), B3 (0.3), B4 (0.3, after B3), B2 (1.0).
    const int expectedFrom[] = {kBandB5, kBandB3, kBandB4, kBandB2};
    for (int position = kBandB2; position <= kBandB5; ++position) {
        const int from = expectedFrom[position - kBandB2];
        EXPECT_FLOAT_EQ(a.settings.channel[0].band[position].frequency, left[from]) << position;
        EXPECT_FLOAT_EQ(a.settings.channel[1].band[position].quality, 0.03f * from) << position;
        EXPECT_FLOAT_EQ(a.settings.band[position].on, static_cast<float>(from % 2)) << position;
        EXPECT_EQ(fx().engineSlotOf(position), from);
        EXPECT_STREQ(a.settings.band[position].name, (std::string("Band ") + std::to_string(position + 1)).c_str());
    }
    EXPECT_FLOAT_EQ(a.settings.channel[0].band[kBandB1].frequency, 0.9f);
    EXPECT_EQ(fx().engineSlotOf(kBandB1), kBandB1);
}
