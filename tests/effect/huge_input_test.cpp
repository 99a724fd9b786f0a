// Absurd input through the effect: the bands forget it at once, and loud but sane input passes as it
// always did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "effect/parameter_mapping.h"
#include "host_recorder.h"

using namespace param;

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr int kMs = 44;  // frames per millisecond, near enough; also the engine's sub-block
constexpr float kPi = 3.14159265f;

// Every band on with strong settings: high-Q boosts low and high (some with correction taps), both
// pass filters and Air, so that slowly decaying and corrected bands are both exercised.
void setLoudBands(EffectHandle& h) {
    const auto set = [&](int index, float value) { h.aeffect->setParameter(h.aeffect, index, value); };
    const auto setReal = [&](int index, float value) { set(index, toNormalized(index, 0, value)); };
    h.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
    h.dispatch(effSetBlockSize, 0, kBlock);
    h.dispatch(effMainsChanged, 0, 1);
    set(kGenOn, 1.0f);
    setReal(kHPFreq, 25.0f);
    set(kHPOn, 1.0f);
    setReal(kB1Freq, 60.0f);
    setReal(kB1Qual, 7.0f);
    setReal(kB1Gain, 15.0f);
    set(kB1On, 1.0f);
    setReal(kB2Freq, 300.0f);
    setReal(kB2Qual, 3.5f);
    setReal(kB2Gain, 15.0f);
    set(kB2On, 1.0f);
    setReal(kB3Freq, 1000.0f);
    setReal(kB3Qual, 7.0f);
    setReal(kB3Gain, 15.0f);
    set(kB3On, 1.0f);
    setReal(kB4Freq, 12000.0f);
    setReal(kB4Qual, 7.0f);
    setReal(kB4Gain, 15.0f);
    set(kB4On, 1.0f);
    setReal(kB5Freq, 16000.0f);
    setReal(kB5Gain, 15.0f);
    set(kB5On, 1.0f);
    setReal(kLPFreq, 19000.0f);
    set(kLPOn, 1.0f);
    setReal(kAirGain, 15.0f);
    set(kAirOn, 1.0f);
}

// A sine at 60 Hz, another at 1 kHz and white noise, scaled to the given peak; the same every time.
std::vector<float> music(int frames, float peak) {
    std::vector<float> x(static_cast<std::size_t>(frames));
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / kRate;
        x[static_cast<std::size_t>(i)] =
            peak * (0.4f * std::sin(2.0f * kPi * 60.0f * t) + 0.3f * std::sin(2.0f * kPi * 1000.0f * t) + 0.3f * noise(random));
    }
    return x;
}

// Both channels through a fresh effect with the loud settings, in host blocks.
std::vector<float> render(const std::vector<float>& in) {
    EffectHandle h;
    setLoudBands(h);
    std::vector<float> left = in, right = in;
    const int frames = static_cast<int>(in.size());
    for (int start = 0; start < frames; start += kBlock) {
        float* io[2] = {left.data() + start, right.data() + start};
        h.aeffect->processReplacing(h.aeffect, io, io, std::min(kBlock, frames - start));
    }
    return left;
}

float peakOf(const std::vector<float>& x, int from, int to) {
    float peak = 0.0f;
    for (int i = from; i < to; ++i) peak = std::max(peak, std::fabs(x[static_cast<std::size_t>(i)]));
    return peak;
}

}  // namespace

// A 10 ms burst (or a single sample) far beyond any signal, added to music: 10 ms after it ends the
// output is back at the level of the same music without it.
TEST(HugeInput, BandsRecoverWithinTenMillisecondsOfAHugeBurst) {
    constexpr int kFrames = 44100;
    constexpr int kBurstStart = 200 * kMs + 17;  // not on a sub-block boundary
    const std::vector<float> clean = music(kFrames, 0.25f);
    const std::vector<float> reference = render(clean);
    struct Burst {
        float level;
        int length;
    };
    for (const Burst burst : {Burst{1e30f, 10 * kMs}, Burst{1e20f, 10 * kMs}, Burst{1e38f, 1}, Burst{-1e38f, 1}}) {
        SCOPED_TRACE(burst.level);
        std::vector<float> in = clean;
        for (int i = 0; i < burst.length; ++i)
            in[static_cast<std::size_t>(kBurstStart + i)] += i % 2 == 0 ? burst.level : -burst.level;
        const std::vector<float> out = render(in);
        const int recovered = kBurstStart + burst.length + 10 * kMs;
        for (int i = recovered; i < kFrames; ++i) ASSERT_TRUE(std::isfinite(out[static_cast<std::size_t>(i)])) << i;
        // Restarted from cleared states, the bands ring up again like a fresh instance: the level
        // matches at once, the waveform once the longest band has settled.
        const float level = peakOf(reference, recovered, kFrames);
        EXPECT_LT(peakOf(out, recovered, recovered + 10 * kMs), 2.0f * level);
        EXPECT_LT(peakOf(out, recovered, kFrames), 2.0f * level);
        float settled = 0.0f;
        for (int i = kFrames - 100 * kMs; i < kFrames; ++i)
            settled = std::max(settled, std::fabs(out[static_cast<std::size_t>(i)] - reference[static_cast<std::size_t>(i)]));
        EXPECT_LT(settled, 1e-3f * level);
    }
}

// +40 dBFS music passes as it always has: no band restarts. The filters are linear and a power of
// two scales every rounding step exactly, so the loud output is the quiet output times 128, bit for
// bit, unless something reset or clipped the loud one.
TEST(HugeInput, FortyDecibelsOverFullScalePassesUnchanged) {
    constexpr int kFrames = 22050;
    constexpr float kScale = 128.0f;
    constexpr float kLoud = 100.0f;  // +40 dBFS
    for (const bool noiseOnly : {false, true}) {
        std::vector<float> quiet = music(kFrames, kLoud / kScale);
        if (noiseOnly) {
            std::mt19937 random(11);
            std::uniform_real_distribution<float> noise(-kLoud / kScale, kLoud / kScale);
            for (float& v : quiet) v = noise(random);
        }
        std::vector<float> loud = quiet;
        for (float& v : loud) v *= kScale;
        const std::vector<float> quietOut = render(quiet);
        const std::vector<float> loudOut = render(loud);
        int differing = 0;
        for (int i = 0; i < kFrames; ++i)
            differing += loudOut[static_cast<std::size_t>(i)] != quietOut[static_cast<std::size_t>(i)] * kScale;
        EXPECT_EQ(differing, 0) << (noiseOnly ? "noise" : "music");
        EXPECT_GT(peakOf(loudOut, 0, kFrames), kLoud);  // the boosts did raise it
    }
}
