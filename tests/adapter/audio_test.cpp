// Audio through Tovin.dpm: stereo, mono and a stereo instance fed one channel match a plain VST
// instance of the effect sample for sample; the master bypass passes the input through and turns the
// effect's General On off; long blocks and MIDI.
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "simulated_host.h"
#include "tools/vsthost/vst_host.h"

namespace {

using namespace simhost;

constexpr const char* kInstalledEffect = "C:\\Tovin\\Tovin.dll";

struct Signal {
    explicit Signal(size_t frames)
        : left(frames), right(frames), outLeft(frames, std::numeric_limits<float>::quiet_NaN()),
          outRight(frames, std::numeric_limits<float>::quiet_NaN()) {
        for (size_t i = 0; i < frames; ++i) {
            left[i] = 0.5f * static_cast<float>(std::sin(0.031 * static_cast<double>(i)));
            right[i] = 0.3f * static_cast<float>(std::sin(0.17 * static_cast<double>(i) + 1.0));
        }
    }
    std::vector<float> left, right, outLeft, outRight;
};

// Both sides start from the same setting: a plain instance given the adapter's chunk.
std::unique_ptr<vsthost::Host> plainLike(const Instance& instance) {
    auto plain = std::make_unique<vsthost::Host>();
    EXPECT_TRUE(plain->load(kInstalledEffect)) << plain->error();
    if (plain->effect() == nullptr) return nullptr;
    plain->start(44100.0f, 512);
    plain->setChunk(chunkData(instance.chunk(kStateChunk)));
    return plain;
}

// Controls are parameter + 2.
void setAudibleSetting(Instance& instance) {
    ASSERT_EQ(instance.setContinuous(9, 0.9), 0);   // Bell 2 gain
    ASSERT_EQ(instance.setContinuous(27, 1.0), 0);  // Bell 2 on
    ASSERT_EQ(instance.setContinuous(35, 1.0), 0);  // General On (the initial settings have it off)
}

TEST(AdapterAudio, StereoMonoAndOneChannelMatchThePlainEffect) {
    constexpr int32_t kFrames = 1000;
    for (int variant = 0; variant < 3; ++variant) {
        const bool mono = variant == 0;
        const bool oneInput = variant == 2;
        Instance instance(mono ? kMonoType : kStereoType);
        ASSERT_NE(instance.get(), nullptr);
        setAudibleSetting(instance);
        auto plain = plainLike(instance);
        ASSERT_NE(plain, nullptr);
        Signal adapter(kFrames), reference(kFrames);
        float* in[2] = {adapter.left.data(), mono || oneInput ? nullptr : adapter.right.data()};
        float* out[2] = {adapter.outLeft.data(), mono ? nullptr : adapter.outRight.data()};
        instance.render(in, out, kFrames);
        plain->processStereo(reference.left.data(), mono || oneInput ? nullptr : reference.right.data(),
                             reference.outLeft.data(), reference.outRight.data(), kFrames);
        EXPECT_EQ(adapter.outLeft, reference.outLeft) << "variant " << variant;
        if (!mono) {
            EXPECT_EQ(adapter.outRight, reference.outRight) << "variant " << variant;
        }
        EXPECT_NE(adapter.outLeft, adapter.left) << "the setting is audible";
    }
}

TEST(AdapterAudio, MasterBypassPassesTheInputAndSwitchesTheEffectOff) {
    Instance instance;
    ASSERT_NE(instance.get(), nullptr);
    setAudibleSetting(instance);
    Signal signal(512);
    float* in[2] = {signal.left.data(), signal.right.data()};
    float* out[2] = {signal.outLeft.data(), signal.outRight.data()};
    instance.render(in, out, 512);
    ASSERT_EQ(instance.setContinuous(1, 1.0), 0);
    ASSERT_EQ(routines().midiEvent(instance.get(), 0, 0x90, 60, 100), 0);
    instance.render(in, out, 512);
    EXPECT_EQ(signal.outLeft, signal.left);
    EXPECT_EQ(signal.outRight, signal.right);
    auto plain = plainLike(instance);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->getParameter(33), 0.0f) << "General On";
    // Bypass off again: the effect runs (after its fade in) and General On is back.
    ASSERT_EQ(instance.setContinuous(1, 0.0), 0);
    for (int block = 0; block < 8; ++block) instance.render(in, out, 512);
    EXPECT_NE(signal.outLeft, signal.left);
    EXPECT_EQ(plainLike(instance)->getParameter(33), 1.0f);
}

TEST(AdapterAudio, LongBlocksMidiAndSampleRatesRun) {
    Instance instance(kStereoType, true, 96000.0);
    ASSERT_NE(instance.get(), nullptr);
    setAudibleSetting(instance);
    constexpr int32_t kFrames = 20000;  // more than one render piece
    Signal signal(kFrames);
    float* in[2] = {signal.left.data(), signal.right.data()};
    float* out[2] = {signal.outLeft.data(), signal.outRight.data()};
    for (int i = 0; i < 600; ++i) routines().midiEvent(instance.get(), i, 0x90, 60, 100);
    instance.render(in, out, kFrames);
    for (int32_t i = 0; i < kFrames; ++i) {
        ASSERT_TRUE(std::isfinite(signal.outLeft[static_cast<size_t>(i)])) << i;
        ASSERT_TRUE(std::isfinite(signal.outRight[static_cast<size_t>(i)])) << i;
    }
    // No outputs at all, and nothing to render: nothing happens.
    float* none[2] = {nullptr, nullptr};
    instance.render(in, none, 64);
    instance.render(none, out, 64);
    instance.render(in, out, 0);
    // The host has not initialised an instance yet: it passes audio through.
    Instance fresh(kStereoType, false);
    Signal raw(64);
    float* rawIn[2] = {raw.left.data(), raw.right.data()};
    float* rawOut[2] = {raw.outLeft.data(), raw.outRight.data()};
    fresh.render(rawIn, rawOut, 64);
    EXPECT_EQ(raw.outLeft, raw.left);
}

}  // namespace
