// State as hosts save and restore it: the chunk comes back byte for byte, a restored instance sounds
// bit for bit like the one that was saved, and neither idle time nor processing changes the chunk.
#include <cstring>

#include "probe.h"

namespace conformance {
namespace {

std::vector<float> parameters(vsthost::Host& host) {
    std::vector<float> values;
    for (VstInt32 i = 0; i < kNumParams; ++i) values.push_back(host.getParameter(i));
    return values;
}

TEST(State, ChunkRoundTripIsByteIdentical) {
    Random random(25);
    for (int round = 0; round < 12; ++round) {
        auto saved = newInstance();
        ASSERT_NE(saved, nullptr);
        applySetting(*saved, round == 0 ? busySetting() : randomSetting(random));
        const std::vector<char> chunk = saved->getChunk();
        ASSERT_EQ(chunk.size(), static_cast<size_t>(kChunkSize));

        auto restored = newInstance(44100.0f, 1024);
        ASSERT_NE(restored, nullptr);
        restored->setChunk(chunk);
        EXPECT_EQ(restored->getChunk(), chunk) << "round " << round;
        EXPECT_EQ(parameters(*restored), parameters(*saved)) << "round " << round;
        EXPECT_EQ(restored->programName(), saved->programName()) << "round " << round;
        // Restoring its own chunk again changes nothing.
        restored->setChunk(restored->getChunk());
        EXPECT_EQ(restored->getChunk(), chunk) << "round " << round;
    }
    figure("12 settings, 1904 bytes each");
}

TEST(State, RestoredInstanceRendersBitIdentical) {
    Random random(7);
    const Stereo input = testSignal(48000, 48000.0f);
    for (int round = 0; round < 4; ++round) {
        auto saved = newInstance();
        ASSERT_NE(saved, nullptr);
        applySetting(*saved, round == 0 ? busySetting() : randomSetting(random));
        auto restored = newInstance();
        ASSERT_NE(restored, nullptr);
        restored->setChunk(saved->getChunk());
        const Stereo a = render(*saved, input);
        const Stereo b = render(*restored, input);
        EXPECT_TRUE(bitIdentical(a, b)) << "round " << round << ": largest difference " << largestDifference(a, b);
    }
    figure("4 settings, 1 s each, compared bit for bit");
}

TEST(State, ChunkUnchangedByProcessingAndRepeatedRequests) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    const std::vector<char> before = host->getChunk();
    EXPECT_EQ(host->getChunk(), before);
    render(*host, testSignal(48000, 48000.0f, 1.5f));  // loud enough to clip
    EXPECT_EQ(host->getChunk(), before) << "processing changed the saved state";
    host->mainsChanged(false);
    host->mainsChanged(true);
    EXPECT_EQ(host->getChunk(), before) << "suspend and resume changed the saved state";
}

TEST(State, PresetFlagAndProgramCallsKeepTheState) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    const std::vector<char> bank = host->getChunk(false);
    const std::vector<char> preset = host->getChunk(true);
    EXPECT_EQ(preset, bank);
    // Ardour restores with effSetProgram(0) then the chunk; setProgram must not lose the setting.
    host->setProgram(0);
    host->setChunk(preset, true);
    EXPECT_EQ(host->getChunk(), bank);
}

TEST(State, RestoredTheWayArdourRestores) {
    // Bypass off at instantiation, the host's own saved values, effSetProgram(0), then the chunk: the
    // chunk wins.
    auto saved = newInstance();
    ASSERT_NE(saved, nullptr);
    Random random(31);
    applySetting(*saved, randomSetting(random));
    const std::vector<char> chunk = saved->getChunk();
    auto restored = newInstance();
    ASSERT_NE(restored, nullptr);
    applySetting(*restored, randomSetting(random));
    restored->setProgram(0);
    restored->setChunk(chunk);
    EXPECT_EQ(restored->getChunk(), chunk);
    EXPECT_EQ(parameters(*restored), parameters(*saved));
}

}  // namespace
}  // namespace conformance
