// The own controls under the mouse, as the window delivers presses, moves and releases: knob drags with
// their modifiers, switches with the momentary mode, the multi-position switch, push buttons and the
// clip lamp, and what of it reaches the effect and the host.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "editor/editor_tags.h"
#include "editor/own_controls.h"
#include "editor_harness.h"
#include "effect/parameter_mapping.h"
#include "effect/parameter_tables.h"

using namespace VSTGUI;

namespace {
constexpr float kSwitchLo = 1.0f / 6.0f;  // three frames: off, held, on
constexpr float kSwitchHi = 5.0f / 6.0f;

int countFor(VstInt32 opcode, VstInt32 index) {
    int n = 0;
    for (const HostCall& c : HostRecorder::instance().calls())
        if (c.opcode == opcode && c.index == index) ++n;
    return n;
}

// RMS of the last quarter of a sine at `hz` run through the effect (the glides long settled).
float sineLevelThrough(CDravel& effect, float hz) {
    constexpr int kFrames = 8192;
    constexpr float kRate = 44100.0f;
    std::vector<float> in(kFrames), outL(kFrames), outR(kFrames);
    for (int i = 0; i < kFrames; ++i) in[i] = 0.05f * std::sin(6.2831853f * hz * static_cast<float>(i) / kRate);
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {outL.data(), outR.data()};
    effect.processReplacing(inputs, outputs, kFrames);
    double sum = 0.0;
    for (int i = kFrames * 3 / 4; i < kFrames; ++i) sum += double{outL[i]} * outL[i];
    return static_cast<float>(std::sqrt(sum / (kFrames / 4)));
}

int countOutsideHostParameters(VstInt32 opcode) {
    int n = 0;
    for (const HostCall& c : HostRecorder::instance().calls())
        if (c.opcode == opcode && (c.index < 0 || c.index >= param::kNumHostParams)) ++n;
    return n;
}
}  // namespace

class OwnControlsTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        // Unsnapped, so the effect keeps exactly what the knob sends.
        for (int option : {param::kOptSnapFreq, param::kOptSnapRes, param::kOptSnapGain})
            handle->effect->setParameter(option, 0.0f);
    }
    CPoint offset(CPoint p, int dx, int dy) const { return {p.x + dx, p.y + dy}; }
};

TEST_F(OwnControlsTest, KnobDragsCover200PixelsFineTwentyTimesSlowerAndChangeModeWithoutAJump) {
    handle->effect->setParameter(param::kB2Gain, 0.0f);
    ASSERT_TRUE(open());
    auto* knob = controlAs<CBoutonRotatif>(param::kB2Gain);
    const CPoint at = centreOf(param::kB2Gain);
    HostRecorder::instance().clear();

    press(at, kLButton);
    move(offset(at, 0, -100), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5f);
    move(offset(at, 0, -200), kLButton);
    EXPECT_NEAR(knob->getValue(), 1.0f, 1e-5f);
    move(offset(at, 0, -260), kLButton);  // beyond the range: clamped
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    release(offset(at, 0, -260));
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kB2Gain), 1.0f);
    // One gesture around every automated change of parameter 7.
    EXPECT_EQ(countFor(audioMasterBeginEdit, param::kB2Gain), 1);
    EXPECT_EQ(countFor(audioMasterEndEdit, param::kB2Gain), 1);
    EXPECT_GE(countFor(audioMasterAutomate, param::kB2Gain), 3);
    const std::vector<HostCall> calls = HostRecorder::instance().calls();
    EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);

    // Shift (or the right button) makes the same motion move 1/20 of it; right counts like up.
    handle->effect->setParameter(param::kB2Gain, 0.0f);
    press(at, kLButton | kShift);
    move(offset(at, 0, -200), kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.05f, 1e-5f);
    release(offset(at, 0, -200), kShift);
    press(at, kRButton);
    move(offset(at, 100, -100), kRButton);
    EXPECT_NEAR(knob->getValue(), 0.10f, 1e-5f);
    release(offset(at, 100, -100));

    // Fine switched on and off mid-drag continues from the current value.
    handle->effect->setParameter(param::kB2Gain, 0.0f);
    press(at, kLButton);
    move(offset(at, 0, -100), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5f);
    move(offset(at, 0, -100), kLButton | kShift);  // shift pressed, pointer still
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5f);
    move(offset(at, 0, -180), kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.5f + 80.0f / 4000.0f, 1e-5f);
    move(offset(at, 0, -190), kLButton);  // shift let go
    EXPECT_NEAR(knob->getValue(), 0.52f + 10.0f / 200.0f, 1e-5f);
    release(offset(at, 0, -190));
    EXPECT_NEAR(handle->effect->getParameter(param::kB2Gain), 0.57f, 1e-5f);
}

TEST_F(OwnControlsTest, ControlClickResetsToTheInitSettingAndControlFineRewritesIt) {
    ASSERT_TRUE(open());
    auto* knob = controlAs<CBoutonRotatif>(param::kB3Freq);
    const CPoint at = centreOf(param::kB3Freq);
    const float init = handle->effect->initSettingValue(param::kB3Freq);
    handle->effect->setParameter(param::kB3Freq, init > 0.5f ? 0.1f : 0.9f);

    // A click with no motion still hands the reset value to the effect.
    HostRecorder::instance().clear();
    press(at, kLButton | kControl);
    release(at, kControl);
    EXPECT_FLOAT_EQ(knob->getValue(), init);
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kB3Freq), init);
    EXPECT_EQ(countFor(audioMasterAutomate, param::kB3Freq), 1);

    // Control with the right button drags and stores every value as the new init setting.
    // (Away from the end the init setting is nearest to.)
    const int dy = init > 0.5f ? 400 : -400;
    press(at, kRButton | kControl);
    move(offset(at, 0, dy), kRButton | kControl);
    release(offset(at, 0, dy), kControl);
    const float dragged = knob->getValue();
    EXPECT_NEAR(dragged, init - static_cast<float>(dy) / 4000.0f, 1e-5f);
    EXPECT_FLOAT_EQ(handle->effect->initSettingValue(param::kB3Freq), dragged);
}

TEST_F(OwnControlsTest, BandSwitchesToggleOnLeftClickAndAuditionWhileHeldWithRightOrShift) {
    handle->effect->setParameter(param::kB2On, 0.0f);
    ASSERT_TRUE(open());
    auto* band = controlAs<CSwitch>(param::kB2On);
    ASSERT_NE(band, nullptr);
    const CPoint at = centreOf(param::kB2On);

    // Right held: on only while held; the effect hears both changes.
    press(at, kRButton);
    EXPECT_FLOAT_EQ(band->getValue(), kSwitchHi);
    EXPECT_GE(handle->effect->getParameter(param::kB2On), 0.5f);
    release(at);
    EXPECT_FLOAT_EQ(band->getValue(), kSwitchLo);
    EXPECT_LT(handle->effect->getParameter(param::kB2On), 0.5f);

    // Shift-left is the same momentary mode.
    press(at, kLButton | kShift);
    EXPECT_GE(handle->effect->getParameter(param::kB2On), 0.5f);
    release(at, kShift);
    EXPECT_LT(handle->effect->getParameter(param::kB2On), 0.5f);

    // A plain click shows the middle frame while held and toggles at release, both ways.
    press(at, kLButton);
    EXPECT_FLOAT_EQ(band->getValue(), 0.5f);
    release(at);
    EXPECT_FLOAT_EQ(band->getValue(), kSwitchHi);
    EXPECT_GE(handle->effect->getParameter(param::kB2On), 0.5f);
    click(param::kB2On, kLButton);
    EXPECT_FLOAT_EQ(band->getValue(), kSwitchLo);
    EXPECT_LT(handle->effect->getParameter(param::kB2On), 0.5f);
}

TEST_F(OwnControlsTest, MultiPositionSwitchesStepByDragAndClickWrappingBothWays) {
    handle->effect->setParameter(param::kCoupleLevel, 0.0f);
    editor->setChannelMode(1);
    ASSERT_TRUE(open());
    editor->setChannelMode(1);  // the side panel holds the level switch
    auto* level = controlAs<CSwitchXPos>(param::kCoupleLevel);
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(level->positions(), 3);
    const float lo = 1.0f / 6.0f, mid = 0.5f, hi = 5.0f / 6.0f;
    const CPoint at = centreOf(param::kCoupleLevel);

    // Up more than 5 pixels: one step each time; smaller moves do nothing.
    press(at, kLButton);
    EXPECT_FLOAT_EQ(level->getValue(), lo);
    move(offset(at, 0, -4), kLButton);
    EXPECT_FLOAT_EQ(level->getValue(), lo);
    move(offset(at, 0, -10), kLButton);
    EXPECT_NEAR(level->getValue(), mid, 1e-6f);
    move(offset(at, 0, -20), kLButton);
    EXPECT_NEAR(level->getValue(), hi, 1e-6f);
    move(offset(at, 0, -30), kLButton);  // stays at the top
    EXPECT_NEAR(level->getValue(), hi, 1e-6f);
    release(offset(at, 0, -30));  // a drag is not also a click
    EXPECT_NEAR(level->getValue(), hi, 1e-6f);
    EXPECT_NEAR(handle->effect->getParameter(param::kCoupleLevel), hi, 1e-6f);

    // Clicks: left forward wrapping to the first, right back wrapping to the last.
    click(param::kCoupleLevel, kLButton);
    EXPECT_NEAR(level->getValue(), lo, 1e-6f);
    click(param::kCoupleLevel, kRButton);
    EXPECT_NEAR(level->getValue(), hi, 1e-6f);
    click(param::kCoupleLevel, kLButton | kShift);
    EXPECT_NEAR(level->getValue(), mid, 1e-6f);
}

TEST_F(OwnControlsTest, TheClipLampClearsOnClickAndNothingOutsideTheHostsParametersReachesTheHost) {
    ASSERT_TRUE(open());
    auto registerClip = [&] {
        std::vector<float> in(64, 1.5f), outL(64), outR(64);
        float* inputs[] = {in.data(), in.data()};
        float* outputs[] = {outL.data(), outR.data()};
        handle->effect->processReplacing(inputs, outputs, 64);
    };
    auto* lamp = controlAs<CLed>(editor_tag::kClipLamp);
    ASSERT_NE(lamp, nullptr);

    // Hold off: a clip lights the lamp for one draw.
    handle->effect->setParameter(param::kOptHoldClip, 0.0f);
    registerClip();
    frame()->renderAll();
    EXPECT_GT(lamp->getValue(), 0.5f);
    frame()->renderAll();
    EXPECT_LT(lamp->getValue(), 0.5f);

    // Hold on: lit until clicked; the click reaches no host.
    handle->effect->setParameter(param::kOptHoldClip, 1.0f);
    registerClip();
    frame()->renderAll();
    frame()->renderAll();
    EXPECT_GT(lamp->getValue(), 0.5f);
    HostRecorder::instance().clear();
    click(editor_tag::kClipLamp, kLButton);
    frame()->renderAll();
    EXPECT_LT(lamp->getValue(), 0.5f);

    // Push buttons and switches on the editor's own tags: slot copy, help, and the help panel's close.
    click(editor_tag::kSlotCopy, kLButton);
    click(editor_tag::kHelp, kLButton);
    click(editor_tag::kHelp, kLButton);
    EXPECT_EQ(countOutsideHostParameters(audioMasterBeginEdit), 0);
    EXPECT_EQ(countOutsideHostParameters(audioMasterEndEdit), 0);
    EXPECT_EQ(countOutsideHostParameters(audioMasterAutomate), 0);
}

TEST_F(OwnControlsTest, PushButtonsActAtTheRelease) {
    ASSERT_TRUE(open());
    auto* copy = controlAs<CKick>(editor_tag::kSlotCopy);
    ASSERT_NE(copy, nullptr);
    handle->effect->setParameter(param::kB4Gain, 0.8f);  // slot A differs from B now
    const float inB = 0.5f;
    handle->effect->setParameter(param::kSelectB, 1.0f);
    handle->effect->setParameter(param::kB4Gain, inB);
    handle->effect->setParameter(param::kSelectA, 1.0f);
    press(centreOf(editor_tag::kSlotCopy), kLButton);
    EXPECT_GT(copy->getValue(), 0.5f);
    release(centreOf(editor_tag::kSlotCopy));
    EXPECT_LT(copy->getValue(), 0.5f);
    handle->effect->setParameter(param::kSelectB, 1.0f);
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kB4Gain), 0.8f);  // A copied over B once
}

TEST_F(OwnControlsTest, AltDragOnABellsFrequencyBoostsItAndLowersTheOutputUntilLetGo) {
    handle->effect->setParameter(param::kOptGainDropAlt, 1.0f);  // -6 dB while boosting
    handle->effect->setParameter(param::kB3Gain, 0.3f);
    const float volume = handle->effect->getParameter(param::kGenVol);
    ASSERT_TRUE(open());
    handle->dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    handle->dispatch(effMainsChanged, 0, 1);
    const CPoint at = centreOf(param::kB3Freq);
    press(at, kLButton | kAlt);
    move(offset(at, 0, -30), kLButton | kAlt);
    EXPECT_EQ(handle->effect->altBoostedBand(), kBandB3);
    EXPECT_NEAR(handle->effect->getParameter(param::kGenVol), toNormalized(param::kGenVol, 0.0f, -6.0f), 1e-6f);
    const float hz = toPhysical(param::kB3Freq, 0.0f, handle->effect->getParameter(param::kB3Freq));
    const float boosted = sineLevelThrough(*handle->effect, hz);
    release(offset(at, 0, -30), kAlt);
    // The stored gain never moved; the periodic task puts the sound back.
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kB3Gain), 0.3f);
    handle->effect->periodicTask();
    EXPECT_EQ(handle->effect->altBoostedBand(), -1);
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kGenVol), volume);
    const float restored = sineLevelThrough(*handle->effect, hz);
    // +15 dB less 6 dB of drop against the band's own cut: far more than twice as loud.
    EXPECT_GT(boosted, 2.0f * restored);

    // Closing the editor in the middle of a boost ends it too.
    press(at, kLButton | kAlt);
    EXPECT_EQ(handle->effect->altBoostedBand(), kBandB3);
    close();
    EXPECT_EQ(handle->effect->altBoostedBand(), -1);
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kGenVol), volume);
    ASSERT_TRUE(open());

    // Alt on a gain knob, or on a band without gain, is a plain drag.
    press(centreOf(param::kB3Gain), kLButton | kAlt);
    EXPECT_EQ(handle->effect->altBoostedBand(), -1);
    release(centreOf(param::kB3Gain), kAlt);
    press(centreOf(param::kHPFreq), kLButton | kAlt);
    EXPECT_EQ(handle->effect->altBoostedBand(), -1);
    release(centreOf(param::kHPFreq));
}
