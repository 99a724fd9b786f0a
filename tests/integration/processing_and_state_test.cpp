// Audio, bypass, MIDI events, output pins and the state chunk, driven through the loaded module.
#include <cmath>
#include <limits>
#include <vector>

#include "plugin_under_test.h"

namespace integration {
namespace {

struct Block {
    explicit Block(size_t frames)
        : inL(frames), inR(frames),
          outL(frames, std::numeric_limits<float>::quiet_NaN()),
          outR(frames, std::numeric_limits<float>::quiet_NaN()) {
        for (size_t i = 0; i < frames; ++i) {
            inL[i] = 0.5f * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
            inR[i] = 0.25f * static_cast<float>(std::cos(0.013 * static_cast<double>(i)));
        }
    }
    std::vector<float> inL, inR, outL, outR;
};

// Every output sample was written (the NaN fill is gone) and is finite.
::testing::AssertionResult allFinite(const std::vector<float>& samples) {
    for (size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i])) return ::testing::AssertionFailure() << "sample " << i << " is " << samples[i];
    }
    return ::testing::AssertionSuccess();
}

TEST(PluginProcessing, WritesFiniteOutputForAnyBlockLength) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    host->start(44100.0f, 512);
    // Lengths around the effect's internal pieces and the host block size.
    for (size_t frames : {1u, 43u, 44u, 45u, 88u, 512u, 1000u, 4096u}) {
        Block block(frames);
        host->processStereo(block.inL.data(), block.inR.data(), block.outL.data(), block.outR.data(),
                            static_cast<VstInt32>(frames));
        EXPECT_TRUE(allFinite(block.outL)) << frames << " frames, left";
        EXPECT_TRUE(allFinite(block.outR)) << frames << " frames, right";
    }
    Block empty(0);
    host->processStereo(empty.inL.data(), empty.inR.data(), empty.outL.data(), empty.outR.data(), 0);
}

TEST(PluginProcessing, HandlesMonoInputAndMonoOutput) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    host->start(48000.0f, 256);
    Block block(256);
    host->processStereo(block.inL.data(), nullptr, block.outL.data(), block.outR.data(), 256);
    EXPECT_TRUE(allFinite(block.outL));
    EXPECT_TRUE(allFinite(block.outR));

    // With one output in use the second output pin is no longer reported.
    Block mono(256);
    host->processStereo(mono.inL.data(), nullptr, mono.outL.data(), nullptr, 256);
    EXPECT_TRUE(allFinite(mono.outL));
    VstPinProperties pin{};
    EXPECT_EQ(host->dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(host->dispatch(effGetOutputProperties, 1, 0, &pin), 0);
}

TEST(PluginProcessing, ReportsBothOutputPins) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    for (VstInt32 index : {0, 1}) {
        VstPinProperties pin{};
        ASSERT_EQ(host->dispatch(effGetOutputProperties, index, 0, &pin), 1) << index;
        EXPECT_STREQ(pin.label, index == 0 ? "Tovin 1" : "Tovin 2");
        EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    }
    VstPinProperties pin{};
    EXPECT_EQ(host->dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(host->dispatch(effGetInputProperties, 0, 0, &pin), 0);
}

TEST(PluginProcessing, SurvivesSampleRateAndBlockSizeChanges) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    host->start(44100.0f, 512);
    for (float rate : {96000.0f, 22050.0f, 0.5f, 192000.0f, 44100.0f}) {
        host->mainsChanged(false);
        host->setSampleRate(rate);
        host->setBlockSize(300);
        host->mainsChanged(true);
        Block block(300);
        host->processStereo(block.inL.data(), block.inR.data(), block.outL.data(), block.outR.data(), 300);
        EXPECT_TRUE(allFinite(block.outL)) << rate << " Hz";
        EXPECT_TRUE(allFinite(block.outR)) << rate << " Hz";
    }
}

TEST(PluginProcessing, MidiEventsAreAcceptedAndInaudible) {
    vsthost::Host plain, withEvents;
    ASSERT_TRUE(plain.load(pluginPath())) << plain.error();
    ASSERT_TRUE(withEvents.instantiate(plain.module())) << withEvents.error();
    plain.start(44100.0f, 512);
    withEvents.start(44100.0f, 512);

    // 200 events: more than the queue holds, so the overflow is exercised too.
    std::vector<VstMidiEvent> midi(200);
    for (size_t i = 0; i < midi.size(); ++i) {
        midi[i] = VstMidiEvent{};
        midi[i].type = kVstMidiType;
        midi[i].byteSize = sizeof(VstMidiEvent) - 8;
        midi[i].deltaFrames = static_cast<VstInt32>(i * 2 % 512);
        midi[i].midiData[0] = static_cast<char>(i % 3 == 0 ? 0x90 : (i % 3 == 1 ? 0x80 : 0xB0));
        midi[i].midiData[1] = static_cast<char>(i % 3 == 2 ? 123 : 60);
        midi[i].midiData[2] = 100;
    }
    std::vector<char> storage(sizeof(VstEvents) + midi.size() * sizeof(VstEvent*));
    auto* events = reinterpret_cast<VstEvents*>(storage.data());
    events->numEvents = static_cast<VstInt32>(midi.size());
    events->reserved = 0;
    // Hosts allocate more entries than the two the record declares: address them through a pointer.
    VstEvent** slots = events->events;
    for (size_t i = 0; i < midi.size(); ++i) slots[i] = reinterpret_cast<VstEvent*>(&midi[i]);
    EXPECT_EQ(withEvents.dispatch(effProcessEvents, 0, 0, events), 1);

    for (int round = 0; round < 3; ++round) {
        Block a(512), b(512);
        plain.processStereo(a.inL.data(), a.inR.data(), a.outL.data(), a.outR.data(), 512);
        withEvents.processStereo(b.inL.data(), b.inR.data(), b.outL.data(), b.outR.data(), 512);
        EXPECT_EQ(a.outL, b.outL) << "round " << round;
        EXPECT_EQ(a.outR, b.outR) << "round " << round;
    }
}

TEST(PluginState, BypassSwitchesGeneralOnOff) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->dispatch(effSetBypass, 0, 1), 1);
    EXPECT_EQ(host->getParameter(33), 0.0f);
    EXPECT_EQ(host->dispatch(effSetBypass, 0, 0), 1);
    EXPECT_EQ(host->getParameter(33), 1.0f);
    EXPECT_EQ(host->dispatch(effSetBypass, 0, 7), 1);
    EXPECT_EQ(host->getParameter(33), 0.0f);
}

TEST(PluginState, HostValuesStayInRange) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    host->start(44100.0f, 128);
    const float odd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), -1.0f, 2.0f, 1e30f};
    for (VstInt32 index = 0; index < kNumParams; ++index) {
        for (float value : odd) {
            host->setParameter(index, value);
            const float read = host->getParameter(index);
            EXPECT_TRUE(read >= 0.0f && read <= 1.0f) << "parameter " << index << " after " << value << " reads " << read;
        }
    }
    Block block(128);
    host->processStereo(block.inL.data(), block.inR.data(), block.outL.data(), block.outR.data(), 128);
    EXPECT_TRUE(allFinite(block.outL));
    EXPECT_TRUE(allFinite(block.outR));
}

std::vector<float> readParameters(vsthost::Host& host) {
    std::vector<float> values(kNumParams);
    for (VstInt32 index = 0; index < kNumParams; ++index) values[static_cast<size_t>(index)] = host.getParameter(index);
    return values;
}

void setAllParameters(vsthost::Host& host, float base) {
    for (VstInt32 index = 0; index < kNumParams; ++index) {
        host.setParameter(index, std::fmod(base + 0.037f * static_cast<float>(index), 1.0f));
    }
}

TEST(PluginState, ChunkRoundTripRestoresEveryParameter) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    host->start(44100.0f, 512);
    setAllParameters(*host, 0.21f);
    const std::vector<float> saved = readParameters(*host);
    const std::vector<char> chunk = host->getChunk();
    ASSERT_EQ(chunk.size(), 1904u);
    // The preset flag makes no difference.
    EXPECT_EQ(host->getChunk(true), chunk);

    setAllParameters(*host, 0.64f);
    EXPECT_NE(readParameters(*host), saved);
    host->setChunk(chunk);
    EXPECT_EQ(readParameters(*host), saved);
    EXPECT_EQ(host->getChunk().size(), 1904u);

    // A second instance restores the same chunk to the same parameters.
    vsthost::Host other;
    ASSERT_TRUE(other.instantiate(host->module())) << other.error();
    other.start(44100.0f, 512);
    other.setChunk(chunk);
    EXPECT_EQ(readParameters(other), saved);

    Block block(512);
    other.processStereo(block.inL.data(), block.inR.data(), block.outL.data(), block.outR.data(), 512);
    EXPECT_TRUE(allFinite(block.outL));
    EXPECT_TRUE(allFinite(block.outR));
}

TEST(PluginState, DamagedChunksAreReadSafely) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    const std::vector<char> good = host->getChunk();
    ASSERT_EQ(good.size(), 1904u);
    const std::vector<float> before = readParameters(*host);
    // Too short to hold a version: refused, nothing changes.
    EXPECT_EQ(host->setChunk(std::vector<char>(3, 0)), 1);
    EXPECT_EQ(readParameters(*host), before);
    // Truncated images and noise must not be read past their end (ASan watches) nor leave values
    // outside 0..1.
    for (size_t size : {4u, 100u, 971u, 972u, 1903u}) {
        host->setChunk(std::vector<char>(good.begin(), good.begin() + static_cast<long>(size)));
    }
    std::vector<char> noise(1904);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    host->setChunk(noise);
    for (float value : readParameters(*host)) {
        EXPECT_TRUE(value >= 0.0f && value <= 1.0f) << value;
    }
    host->setChunk(good);
    EXPECT_EQ(host->getChunk(), good);
}

TEST(PluginState, ProgramInterfaceHasOneProgram) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    const std::string name = host->programName();
    EXPECT_LT(name.size(), static_cast<size_t>(kVstMaxProgNameLen));
    char indexed[64] = {};
    EXPECT_EQ(host->dispatch(effGetProgramNameIndexed, 0, 0, indexed), 1);
    EXPECT_EQ(std::string(indexed), name);
    EXPECT_EQ(host->dispatch(effGetProgramNameIndexed, 1, 0, indexed), 0);
    host->setProgram(0);
    EXPECT_EQ(host->program(), 0);
}

}  // namespace
}  // namespace integration
