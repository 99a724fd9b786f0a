#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "effect/state_chunk.h"

namespace {

void setText(char* field, std::size_t size, const char* text) {
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

EffectState sampleState() {
    EffectState state{};
    state.version = kStateVersion;
    state.slotSelector = 1.0f;
    state.options = {0.0f, 1.0f, 1.0f, 1.0f, 3.0f, 2.0f, 1.0f, 1.0f, 0.0f,
                     1.0f, 0.0f, 2.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 2.0f};
    for (int s = 0; s < 2; ++s) {
        SettingsSlot& slot = state.slot[s];
        for (int c = 0; c < 2; ++c) {
            for (int b = 0; b < kBandCount; ++b) {
                slot.settings.channel[c].band[b] = {0.01f * static_cast<float>(b + 1 + 10 * c + 30 * s), 0.25f, 0.75f};
            }
            slot.settings.channel[c].volume = 0.4f + 0.1f * static_cast<float>(c);
        }
        for (int b = 0; b < kBandCount; ++b) {
            slot.settings.band[b].type = b % 2 ? 1.0f : 0.0f;
            slot.settings.band[b].on = b % 3 ? 1.0f : 0.0f;
            setText(slot.settings.band[b].name, kBandNameSize, "Band 1");
        }
        slot.settings.generalOn = 1.0f;
        setText(slot.info.presetName, kInfoTextSize, s ? "Kick (tight)" : "Vocal air");
        setText(slot.info.bankName, kInfoTextSize, "Drums & Vox");
        setText(slot.info.authorName, kInfoTextSize, "Corvane");
        setText(slot.info.projectName, kInfoTextSize, "Test");
        setText(slot.info.creationDate, kInfoDateSize, " 01/02/2003");
        setText(slot.info.modificationDate, kInfoDateSize, "-");
        slot.info.activeBandCount = 5;
        slot.info.factory = s;
        slot.info.channelMode = 1 + s;
        slot.info.presetNumber = 501 + s;
        setText(slot.name, kSlotNameSize, s ? "Tovin07B" : "Tovin07A");
        slot.modified = 1;
        slot.channelSelector = 1.0f;
        slot.coupling = {1.0f, 0.0f, 0.0f, 1.0f, 0.5f};
    }
    state.options.channelOrderMark = 1.0f;
    return state;
}

std::vector<unsigned char> bytesOf(const EffectState& state) {
    std::vector<unsigned char> bytes(sizeof state);
    std::memcpy(bytes.data(), &state, sizeof state);
    return bytes;
}

// Text fields of a version-2 image, which are bytes and never reversed.
bool isText(std::size_t offset) {
    if (offset < 4 || offset >= 1772) return false;
    const std::size_t inSlot = (offset - 4) % 884;
    if (inSlot >= 328 && inSlot < 584) return (inSlot - 328) % 32 >= 8;
    return (inSlot >= 652 && inSlot < 812) || (inSlot >= 828 && inSlot < 852);
}

std::vector<unsigned char> reversedWords(std::vector<unsigned char> bytes) {
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        if (!isText(i)) std::swap(bytes[i], bytes[i + 3]), std::swap(bytes[i + 1], bytes[i + 2]);
    }
    return bytes;
}

template <typename T>
void put(std::vector<unsigned char>& bytes, std::size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

bool sameSlots(const EffectState& a, const EffectState& b) {
    return std::memcmp(&a.slot, &b.slot, sizeof a.slot) == 0 && a.slotSelector == b.slotSelector;
}

}  // namespace

TEST(StateChunk, RoundTripIntoANewInstance) {
    EffectState written = sampleState();
    ASSERT_EQ(PrepareStateChunk(written), 1904u);
    const auto bytes = bytesOf(written);

    EffectState restored{};
    restored.options.channelOrderMark = 1.0f;
    const ChunkReadOutcome outcome = ReadStateChunk(restored, bytes.data(), bytes.size());
    EXPECT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.version, 2);
    EXPECT_FALSE(outcome.byteReversed);
    EXPECT_TRUE(sameSlots(restored, written));
    EXPECT_EQ(std::memcmp(&restored.options, &written.options, sizeof written.options), 0);
}

TEST(StateChunk, OptionsAreTakenOnlyWhenSavedInTheProject) {
    EffectState written = sampleState();
    written.options.saveInProject = 0.0f;
    PrepareStateChunk(written);
    EffectState live{};
    live.options.snapFreq = 2.0f;
    live.options.saveInProject = 1.0f;
    const EffectOptions before = live.options;
    ReadStateChunk(live, bytesOf(written).data(), 1904);
    EXPECT_TRUE(sameSlots(live, written));
    EXPECT_EQ(live.options.snapFreq, before.snapFreq);
    EXPECT_EQ(live.options.displayVal, before.displayVal);
    EXPECT_EQ(live.options.gainDropAlt, before.gainDropAlt);
    EXPECT_EQ(live.options.saveInProject, 0.0f);
}

TEST(StateChunk, ByteReversedImagesReadLikeNativeOnes) {
    EffectState written = sampleState();
    PrepareStateChunk(written);
    const auto native = bytesOf(written);
    const auto reversed = reversedWords(native);
    ASSERT_NE(native, reversed);
    EffectState a{}, b{};
    const auto ra = ReadStateChunk(a, native.data(), native.size());
    const auto rb = ReadStateChunk(b, reversed.data(), reversed.size());
    EXPECT_TRUE(rb.byteReversed);
    EXPECT_EQ(ra.result, rb.result);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST(StateChunk, UnreadableOrShortImagesLeaveTheStateUntouched) {
    const EffectState original = sampleState();
    auto bytes = bytesOf(original);
    EffectState state = original;
    put(bytes, 0, 3.0f);  // 3.0 in native order; its reversal is no version either
    EXPECT_FALSE(ReadStateChunk(state, bytes.data(), bytes.size()).accepted);
    for (float version : {std::numeric_limits<float>::quiet_NaN(), 1e30f, -2.1f, 0.5f}) {
        put(bytes, 0, version);
        EXPECT_FALSE(ReadStateChunk(state, bytes.data(), bytes.size()).accepted);
    }
    put(bytes, 0, kStateVersion);
    EXPECT_FALSE(ReadStateChunk(state, bytes.data(), 3).accepted);
    EXPECT_FALSE(ReadStateChunk(state, bytes.data(), 1000).accepted);  // shorter than a 2.x image
    EXPECT_FALSE(ReadStateChunk(state, nullptr, 1904).accepted);
    EXPECT_EQ(std::memcmp(&state, &original, sizeof state), 0);
}

TEST(StateChunk, OlderVersionTwoGetsDefaultClipAndMidSideOptions) {
    EffectState written = sampleState();
    PrepareStateChunk(written);
    written.options.showClip = 0.0f;
    written.options.holdClip = 1.0f;
    written.options.codageMS = written.options.decodageMS = 0.0f;
    auto bytes = bytesOf(written);
    put(bytes, 0, 2.0f);
    EffectState state{};
    EXPECT_TRUE(ReadStateChunk(state, bytes.data(), bytes.size()).accepted);
    EXPECT_EQ(state.options.showClip, 1.0f);
    EXPECT_EQ(state.options.holdClip, 0.0f);
    EXPECT_EQ(state.options.codageMS, 1.0f);
    EXPECT_EQ(state.options.decodageMS, 1.0f);
    EXPECT_EQ(state.version, kStateVersion);
}

TEST(StateChunk, ClampsValuesAndReplacesBadTexts) {
    EffectState written = sampleState();
    PrepareStateChunk(written);
    written.slot[0].settings.channel[1].band[3].gain = 7.0f;
    written.slot[0].settings.band[2].on = std::numeric_limits<float>::quiet_NaN();
    written.slot[1].info.activeBandCount = 12;
    written.slot[1].modified = 5;
    written.slot[0].info.presetNumber = -1;    // "none" stays none
    written.slot[1].info.presetNumber = 20000; // clamped without counting
    written.options.snapFreq = 11.0f;
    std::memset(written.slot[1].info.presetName, 'x', kInfoTextSize);  // not terminated
    setText(written.slot[0].settings.band[5].name, kBandNameSize, "Bad#name");
    auto bytes = bytesOf(written);
    EffectState state{};
    const auto outcome = ReadStateChunk(state, bytes.data(), bytes.size());
    ASSERT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.result, 1 - 7);
    EXPECT_FALSE(outcome.byteReversed);
    EXPECT_EQ(state.slot[0].settings.channel[1].band[3].gain, 1.0f);
    EXPECT_EQ(state.slot[0].settings.band[2].on, 0.0f);
    EXPECT_EQ(state.slot[1].info.activeBandCount, 8);
    EXPECT_EQ(state.slot[1].modified, 1);
    EXPECT_EQ(state.slot[0].info.presetNumber, -1);
    EXPECT_EQ(state.slot[1].info.presetNumber, 10000);
    EXPECT_EQ(state.options.snapFreq, 10.0f);
    EXPECT_STREQ(state.slot[1].info.presetName, "error");
    EXPECT_STREQ(state.slot[0].settings.band[5].name, "error");

    // An out-of-range selector sets the result to 0.
    put(bytes, 1772, 2.0f);
    EffectState other{};
    const auto selector = ReadStateChunk(other, bytes.data(), bytes.size());
    EXPECT_EQ(other.slotSelector, 1.0f);
    EXPECT_EQ(selector.result, -7);  // 0, then the same seven problems
}

// Each channel's volume of each slot, in both image versions: above 1 comes back as 1, below 0 or
// NaN as 0, and each counts as a problem.
TEST(StateChunk, OutOfRangeVolumesComeBackClamped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EffectState written = sampleState();
    PrepareStateChunk(written);
    written.slot[0].settings.channel[0].volume = 3.0f;
    written.slot[0].settings.channel[1].volume = -0.5f;
    written.slot[1].settings.channel[0].volume = nan;
    written.slot[1].settings.channel[1].volume = std::numeric_limits<float>::infinity();
    auto bytes = bytesOf(written);
    EffectState state{};
    const auto outcome = ReadStateChunk(state, bytes.data(), bytes.size());
    ASSERT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.result, 1 - 4);
    EXPECT_EQ(state.slot[0].settings.channel[0].volume, 1.0f);
    EXPECT_EQ(state.slot[0].settings.channel[1].volume, 0.0f);
    EXPECT_EQ(state.slot[1].settings.channel[0].volume, 0.0f);
    EXPECT_EQ(state.slot[1].settings.channel[1].volume, 1.0f);

    std::vector<unsigned char> image(kVersion1ChunkSize, 0);
    put(image, 0, 1.2f);  // version 1.2
    put(image, 4 + 352, 1.5f);
    put(image, 4 + 360 + 352, -2.0f);
    EffectState old{};
    const auto oldOutcome = ReadStateChunk(old, image.data(), image.size());
    ASSERT_TRUE(oldOutcome.accepted);
    EXPECT_EQ(oldOutcome.version, 1);
    EXPECT_EQ(oldOutcome.result, 1 - 2);
    EXPECT_EQ(old.slot[0].settings.channel[0].volume, 1.0f);
    EXPECT_EQ(old.slot[0].settings.channel[1].volume, 0.0f);
    EXPECT_EQ(old.slot[1].settings.channel[0].volume, 1.0f);
}

TEST(StateChunk, ManyClampedValuesNeverFlipTheByteOrder) {
    EffectState written = sampleState();
    PrepareStateChunk(written);
    for (auto& channel : written.slot[0].settings.channel) {
        for (auto& band : channel.band) band = {5.0f, 5.0f, 5.0f};
    }
    auto bytes = bytesOf(written);
    EffectState state{};
    const auto outcome = ReadStateChunk(state, bytes.data(), bytes.size());
    EXPECT_TRUE(outcome.accepted);
    EXPECT_FALSE(outcome.byteReversed);
    EXPECT_EQ(outcome.result, 1 - 48);
    EXPECT_EQ(state.slot[1].info.presetNumber, 502);
}

TEST(StateChunk, ChannelOrderMarkZeroReadsChannelsCrosswise) {
    EffectState written = sampleState();
    PrepareStateChunk(written);
    auto bytes = bytesOf(written);
    put(bytes, 1840, 0.0f);
    EffectState state{};
    ReadStateChunk(state, bytes.data(), bytes.size());
    EXPECT_EQ(state.slot[0].settings.channel[0].band[2].frequency, written.slot[0].settings.channel[1].band[2].frequency);
    EXPECT_EQ(state.slot[0].settings.channel[1].band[2].frequency, written.slot[0].settings.channel[0].band[2].frequency);
    EXPECT_EQ(state.options.channelOrderMark, 1.0f);
}

TEST(StateChunk, VersionOneImagesFillBothSlots) {
    std::vector<unsigned char> image(kVersion1ChunkSize, 0);
    put(image, 0, 1.2f);
    for (int c = 0; c < 2; ++c) {
        const std::size_t base = 4 + 360 * static_cast<std::size_t>(c);
        for (int b = 0; b < 8; ++b) put(image, base + 12 * b, 0.1f * static_cast<float>(c + 1));
        put(image, base + 352, 0.3f + 0.1f * static_cast<float>(c));
    }
    put(image, 4 + 96 + 32 * 2 + 4, 1.0f);  // bell 2 on
    std::memcpy(image.data() + 4 + 96 + 32 * 2 + 8, "Mid", 4);
    put(image, 4 + 356, 1.0f);
    put(image, 724, 1.0f);
    put(image, 728 + 4 * 2, 1.0f);  // SAVE_IN_PROJECT
    put(image, 728 + 4 * 4, 3.0f);  // SNAP_FREQ
    std::memcpy(image.data() + 772, "Old Song", 9);
    std::memcpy(image.data() + 804, "Legacy", 7);
    std::memcpy(image.data() + 836, "Me", 3);
    std::memcpy(image.data() + 868, "P", 2);
    std::memcpy(image.data() + 900, "-", 2);
    std::memcpy(image.data() + 916, "-", 2);
    put<int32_t>(image, 932, 1);
    put<int32_t>(image, 944, 502);
    std::memcpy(image.data() + 948, "Tovin03A", 9);

    EffectState state = sampleState();
    const auto outcome = ReadStateChunk(state, image.data(), image.size());
    ASSERT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.version, 1);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(std::memcmp(&state.slot[0], &state.slot[1], sizeof(SettingsSlot)), 0);
    const SettingsSlot& slot = state.slot[1];
    EXPECT_STREQ(slot.info.presetName, "Old Song");
    EXPECT_EQ(slot.info.presetNumber, 502);
    EXPECT_EQ(slot.info.channelMode, 0);
    EXPECT_EQ(slot.channelSelector, 1.0f);
    EXPECT_EQ(slot.coupling.linked, 1.0f);
    EXPECT_EQ(slot.coupling.keepRelation, 0.0f);
    EXPECT_EQ(slot.settings.channel[1].band[7].frequency, 0.2f);
    EXPECT_EQ(slot.settings.channel[1].volume, 0.4f);
    EXPECT_EQ(slot.settings.band[2].on, 1.0f);
    EXPECT_STREQ(slot.settings.band[2].name, "Mid");
    EXPECT_EQ(state.options.snapFreq, 3.0f);
    EXPECT_EQ(state.options.showClip, 1.0f);

    // The same image byte-reversed, and one byte short.
    auto reversed = image;
    for (std::size_t off : std::vector<std::size_t>{0, 724, 736, 744, 932, 944}) std::reverse(reversed.begin() + off, reversed.begin() + off + 4);
    EffectState other{};
    EXPECT_TRUE(ReadStateChunk(other, reversed.data(), reversed.size()).byteReversed);
    EXPECT_EQ(other.slot[0].info.presetNumber, 502);
    EXPECT_FALSE(ReadStateChunk(other, image.data(), image.size() - 1).accepted);
}

TEST(StateChunk, PreparingTheImageResetsCouplingOfLinkedSlots) {
    EffectState state = sampleState();
    state.slot[0].info.channelMode = 0;
    state.slot[0].coupling = {0.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    state.slot[1].coupling = {0.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    PrepareStateChunk(state);
    EXPECT_EQ(state.slot[0].coupling.linked, 1.0f);
    EXPECT_EQ(state.slot[0].coupling.mirrored, 0.0f);
    EXPECT_EQ(state.slot[0].coupling.relative, 0.0f);
    EXPECT_EQ(state.slot[0].coupling.keepRelation, 1.0f);
    EXPECT_EQ(state.slot[1].coupling.linked, 0.0f);
}
