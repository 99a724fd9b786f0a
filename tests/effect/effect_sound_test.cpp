// The parameter model drives the engine: what a user sets is what the audio gets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "effect/parameter_mapping.h"
#include "host_recorder.h"

using namespace param;

namespace {

constexpr float kRate = 48000.0f;

// RMS gain in dB of a sine through the effect, measured after the glides and fades settle.
double sineGainDb(EffectHandle& h, float hz, int channel = 0) {
    const int frames = 24000;
    std::vector<float> in(frames), inR(frames), outL(frames), outR(frames);
    for (int i = 0; i < frames; ++i) {
        in[static_cast<std::size_t>(i)] = 0.1f * std::sin(2.0f * 3.14159265f * hz * static_cast<float>(i) / kRate);
        inR[static_cast<std::size_t>(i)] = in[static_cast<std::size_t>(i)];
    }
    float* inputs[2] = {in.data(), inR.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    for (int start = 0; start < frames; start += 512) {
        float* ip[2] = {inputs[0] + start, inputs[1] + start};
        float* op[2] = {outputs[0] + start, outputs[1] + start};
        h.aeffect->processReplacing(h.aeffect, ip, op, std::min(512, frames - start));
    }
    const std::vector<float>& out = channel == 0 ? outL : outR;
    double si = 0.0, so = 0.0;
    for (int i = frames / 2; i < frames; ++i) {
        si += static_cast<double>(in[static_cast<std::size_t>(i)]) * in[static_cast<std::size_t>(i)];
        so += static_cast<double>(out[static_cast<std::size_t>(i)]) * out[static_cast<std::size_t>(i)];
    }
    return 10.0 * std::log10(so / si);
}

class EffectSound : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(h.aeffect, nullptr);
        h.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        set(kGenOn, 1.0f);
    }
    void set(int index, float value) { h.aeffect->setParameter(h.aeffect, index, value); }
    EffectHandle h;
};

}  // namespace

TEST_F(EffectSound, BellBoostsAtItsFrequencyAndVolumeScales) {
    EXPECT_NEAR(sineGainDb(h, 1000.0f), 0.0, 0.05);
    set(kB3Freq, toNormalized(kB3Freq, 0, 1000.0f));
    set(kB3Qual, toNormalized(kB3Qual, 0, 1.0f));
    set(kB3Gain, toNormalized(kB3Gain, 0, 9.96f));
    set(kB3On, 1.0f);
    // The bell's filter gain is the compensated one for Q 1.
    const double expected = 11.3 + (15.0 - 11.3) * (9.96 - 10.0) / 5.0;
    EXPECT_NEAR(sineGainDb(h, 1000.0f), expected, 0.3);
    EXPECT_NEAR(sineGainDb(h, 50.0f), 0.0, 0.3);

    set(kGenVol, toNormalized(kGenVol, 0, -6.64f));
    EXPECT_NEAR(sineGainDb(h, 50.0f), -6.64, 0.3);

    // Bypass returns the input.
    h.dispatch(effSetBypass, 0, 1);
    EXPECT_NEAR(sineGainDb(h, 1000.0f), 0.0, 0.05);
}

TEST_F(EffectSound, ChannelsCarryTheirOwnSettingsWhenUnlinked) {
    set(kCoupleLinked, 0.0f);
    set(kEditedChannel, 1.0f);  // LEFT
    set(kB2Freq, toNormalized(kB2Freq, 0, 200.0f));
    set(kB2Gain, toNormalized(kB2Gain, 0, -9.96f));
    set(kB2On, 1.0f);
    EXPECT_LT(sineGainDb(h, 200.0f, 0), -6.0);
    EXPECT_NEAR(sineGainDb(h, 200.0f, 1), 0.0, 0.3);  // RIGHT still flat at 0 dB
}

TEST_F(EffectSound, PassFiltersFollowTheirSwitches) {
    set(kHPFreq, toNormalized(kHPFreq, 0, 1000.0f));
    set(kHPType, 1.0f);
    set(kHPOn, 1.0f);
    EXPECT_LT(sineGainDb(h, 100.0f), -30.0);
    set(kHPOn, 0.0f);
    EXPECT_NEAR(sineGainDb(h, 100.0f), 0.0, 0.05);
    set(kLPFreq, toNormalized(kLPFreq, 0, 1000.0f));
    set(kLPType, 0.0f);
    set(kLPOn, 1.0f);
    EXPECT_LT(sineGainDb(h, 10000.0f), -15.0);
}

TEST_F(EffectSound, FilterResetOpcodeKeepsProcessingSound) {
    set(kB2On, 1.0f);
    set(kB2Gain, 1.0f);
    sineGainDb(h, 500.0f);
    EXPECT_EQ(h.dispatch(-4), 0);
    EXPECT_TRUE(std::isfinite(sineGainDb(h, 500.0f)));
}
