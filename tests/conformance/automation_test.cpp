// Automation as hosts send it: all 34 parameters every 32 samples, values read back as sent, and
// automation from a second thread while the audio thread runs.
#include <atomic>
#include <thread>

#include "probe.h"

namespace conformance {
namespace {

// A random walk for continuous parameters, switches toggled now and then.
void automate(vsthost::Host& host, Random& random, std::vector<float>& values) {
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        float& v = values[static_cast<size_t>(i)];
        if (i >= kFirstSwitch) {
            if (i != kGenOn && random.below(50) == 0) v = v < 0.5f ? 1.0f : 0.0f;
        } else {
            v = std::min(1.0f, std::max(0.0f, v + 0.04f * (random.unit() - 0.5f)));
        }
        host.setParameter(i, v);
    }
}

TEST(Automation, AllParametersEvery32Samples) {
    constexpr float kRate = 48000.0f;
    const Stereo input = testSignal(3 * 48000, kRate);
    auto host = newInstance(kRate, 32);
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    std::vector<float> values(kNumParams);
    for (const auto& [index, value] : busySetting()) values[static_cast<size_t>(index)] = value;
    Random random(32);
    size_t automatedUntil = 2 * 48000;
    const Stereo out = render(*host, input, [] { return 32; }, [&](size_t start) {
        if (start < automatedUntil) automate(*host, random, values);
        else if (start == automatedUntil) applySetting(*host, busySetting());
    });
    ASSERT_TRUE(allFinite(out));
    EXPECT_LT(peak(out), 1.0e3f);

    // Once the automation stops at the busy setting, the output settles on a fresh instance's.
    auto fresh = newInstance(kRate, 32);
    ASSERT_NE(fresh, nullptr);
    applySetting(*fresh, busySetting());
    const Stereo reference = render(*fresh, input);
    const float settled = largestDifference(out, reference, automatedUntil + 24000);
    EXPECT_LT(settled, 1.0e-4f) << "the automated instance does not settle where a fresh one is";
    figure(format("2 s of 34 parameters every 32 samples; 0.5 s later %.1e from a fresh instance", settled));
}

TEST(Automation, ValuesReadBackAsSent) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    Random random(3);
    float worst = 0.0f;
    for (int round = 0; round < 50; ++round) {
        for (VstInt32 i = 0; i < kNumParams; ++i) {
            const float v = i >= kFirstSwitch ? static_cast<float>(random.below(2)) : random.unit();
            host->setParameter(i, v);
            const float read = host->getParameter(i);
            worst = std::max(worst, std::fabs(read - v));
            EXPECT_NEAR(read, v, 1.0e-6f) << "parameter " << i;
        }
    }
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        host->setParameter(i, 0.0f);
        EXPECT_EQ(host->getParameter(i), 0.0f) << "parameter " << i;
        host->setParameter(i, 1.0f);
        EXPECT_EQ(host->getParameter(i), 1.0f) << "parameter " << i;
    }
    figure(format("largest read-back difference %.1e", worst));
}

TEST(Automation, FromASecondThreadWhileProcessing) {
    auto host = newInstance(44100.0f, 256);
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    std::atomic<bool> done{false};
    std::vector<float> last(kNumParams);
    std::atomic<long> sent{0};
    std::thread automation([&] {
        Random random(11);
        while (!done.load()) {
            for (VstInt32 i = 0; i < kNumParams; ++i) {
                const float v = i == kGenOn ? 1.0f : i >= kFirstSwitch ? static_cast<float>(random.below(2)) : random.unit();
                host->setParameter(i, v);
                last[static_cast<size_t>(i)] = v;
            }
            sent.fetch_add(kNumParams);
        }
    });
    const Stereo input = testSignal(2 * 44100, 44100.0f);
    const Stereo out = render(*host, input, [] { return 256; });
    done.store(true);
    automation.join();
    EXPECT_TRUE(allFinite(out));
    EXPECT_LT(peak(out), 1.0e3f);
    // No write was lost: every parameter holds what the automation thread sent last.
    for (VstInt32 i = 0; i < kNumParams; ++i)
        EXPECT_NEAR(host->getParameter(i), last[static_cast<size_t>(i)], 1.0e-6f) << "parameter " << i;
    figure(format("%ld values from the second thread during 2 s of audio", sent.load()));
}

}  // namespace
}  // namespace conformance
