// Sample rates from 8 kHz to 384 kHz, the usual ones and odd ones (and up to 1 MHz): every setting stays finite and
// stable, a flat setting passes the input untouched, and a bell keeps its gain at its frequency.
#include <numbers>

#include "probe.h"

namespace conformance {
namespace {

constexpr float kRates[] = {8000.0f,  11025.0f,  16000.0f,  22050.0f,  32000.0f,  44100.0f,  48000.0f,
                            88200.0f, 96000.0f,  176400.0f, 192000.0f, 352800.0f, 384000.0f,
                            // odd ones
                            9600.0f,  12345.0f,  37800.0f,  44056.0f,  47999.0f,  50000.0f,  100000.0f, 250000.0f,
                            // beyond the usual range
                            768000.0f, 1000000.0f};

// Every band on at its highest frequency and quality and its largest boost: designs beyond Nyquist at
// the low rates.
Setting extremeSetting() {
    Setting s;
    for (VstInt32 i = 0; i < kNumParams; ++i) s.emplace_back(i, 1.0f);
    s.emplace_back(20, 0.5f);  // volume 0 dB
    return s;
}

Setting flatSetting() {
    Setting s;
    for (VstInt32 i = kFirstSwitch; i < kNumParams; ++i) s.emplace_back(i, 0.0f);
    s.emplace_back(20, 0.5f);  // volume 0 dB
    s.emplace_back(kGenOn, 1.0f);
    return s;
}

TEST(SampleRates, EverySettingFiniteAndStable) {
    std::string worstText;
    float worstTail = 0.0f;
    for (float rate : kRates) {
        for (int which = 0; which < 3; ++which) {
            auto host = newInstance(rate, 512);
            ASSERT_NE(host, nullptr);
            Random random(static_cast<uint64_t>(rate));
            applySetting(*host, which == 0 ? busySetting() : which == 1 ? extremeSetting() : randomSetting(random));
            const size_t frames = static_cast<size_t>(rate * 0.2f);
            Stereo input = testSignal(frames * 4, rate);
            // The signal, then silence: the output must die away.
            std::fill(input.left.begin() + static_cast<long>(frames), input.left.end(), 0.0f);
            std::fill(input.right.begin() + static_cast<long>(frames), input.right.end(), 0.0f);
            const Stereo out = render(*host, input);
            EXPECT_TRUE(allFinite(out)) << rate << " Hz, setting " << which;
            const float tail = peak(out, frames * 3);
            EXPECT_LT(tail, 1.0e-4f) << rate << " Hz, setting " << which << ": the output does not die away";
            if (!(tail <= worstTail)) {
                worstTail = tail;
                worstText = format("%.0f Hz", rate);
            }
        }
    }
    figure(format("%zu rates x 3 settings; largest tail 0.6 s after the input %.1e (%s)", std::size(kRates),
                  worstTail, worstText.c_str()));
}

TEST(SampleRates, FlatSettingPassesInputUntouched) {
    for (float rate : kRates) {
        auto host = newInstance(rate, 512);
        ASSERT_NE(host, nullptr);
        applySetting(*host, flatSetting());
        const Stereo input = testSignal(static_cast<size_t>(rate * 0.2f), rate);
        const Stereo out = render(*host, input);
        // After the start-up setting's bands have faded out.
        const size_t from = static_cast<size_t>(rate * 0.1f);
        EXPECT_LE(largestDifference(out, input, from), 1.0e-6f) << rate << " Hz";
    }
    figure(format("%zu rates", std::size(kRates)));
}

// A sine's level through the effect, in dB, once settled.
double sineGain(float rate, double hz, const Setting& setting) {
    auto host = newInstance(rate, 512);
    if (host == nullptr) return 0.0;
    applySetting(*host, setting);
    const size_t frames = static_cast<size_t>(rate * 0.4f);
    Stereo input{std::vector<float>(frames), std::vector<float>(frames)};
    for (size_t i = 0; i < frames; ++i)
        input.left[i] = input.right[i] = 0.25f * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate));
    const Stereo out = render(*host, input);
    double in = 0.0, o = 0.0;
    for (size_t i = frames / 2; i < frames; ++i) {
        in += static_cast<double>(input.left[i]) * input.left[i];
        o += static_cast<double>(out.left[i]) * out.left[i];
    }
    return 10.0 * std::log10(o / in);
}

TEST(SampleRates, BellGainAtItsFrequency) {
    // Bell 2 at 1 kHz (FREQ point 11 of 23), Q 1 (Q_BELL point 3 of 7), +6.64 dB (GAIN point 13 of 19).
    Setting bell = flatSetting();
    bell.insert(bell.end(), {{5, 11.0f / 22.0f}, {6, 3.0f / 6.0f}, {7, 13.0f / 18.0f}, {25, 1.0f}});
    // The bell's own gain compensation makes its peak differ from the table value: every rate must give
    // what 48 kHz gives.
    const double reference = sineGain(48000.0f, 1000.0, bell);
    EXPECT_GT(reference, 6.0);
    double worst = 0.0;
    for (float rate : kRates) {
        const double gain = sineGain(rate, 1000.0, bell);
        EXPECT_NEAR(gain, reference, 0.1) << rate << " Hz";
        worst = std::max(worst, std::fabs(gain - reference));
    }
    figure(format("bell 2 at 1 kHz, %.2f dB at 48 kHz: largest difference %.3f dB", reference, worst));
}

}  // namespace
}  // namespace conformance
