// Damaged chunks as a host may hand them over (a truncated project, another plug-in's data, flipped
// bits): each one is read without reading past its end (a guard page follows it) and leaves an
// instance that saves a whole chunk, reports parameters in range and sounds finite.
#include <limits>

#include "guarded_buffer.h"
#include "probe.h"

namespace conformance {
namespace {

constexpr size_t kLargest = 4 * 1904;
constexpr size_t kOptionsOffset = 1776;  // after the version, both slots and the A/B selector

void putFloat(std::vector<char>& chunk, size_t offset, float value) {
    if (offset + 4 <= chunk.size()) std::memcpy(chunk.data() + offset, &value, 4);
}

std::vector<char> reversedWords(std::vector<char> chunk) {
    for (size_t i = 0; i + 4 <= chunk.size(); i += 4) {
        std::swap(chunk[i], chunk[i + 3]);
        std::swap(chunk[i + 1], chunk[i + 2]);
    }
    return chunk;
}

std::vector<char> mutate(const std::vector<char>& good, Random& random) {
    std::vector<char> chunk = good;
    const float strange[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), 1.0e30f, -1.0e30f, -1.0f, 2.0f, 1.0e-40f,
                             1.0f, 2.1f, 2.0f, 3.0f, 0.0f};
    switch (random.below(7)) {
        case 0:  // flipped bits
            for (int n = 1 + random.below(16); n > 0; --n)
                chunk[static_cast<size_t>(random.below(static_cast<int>(chunk.size())))] ^= static_cast<char>(1 << random.below(8));
            break;
        case 1:  // strange values in 4-byte fields
            for (int n = 1 + random.below(40); n > 0; --n)
                putFloat(chunk, 4 * static_cast<size_t>(random.below(kChunkSize / 4)), strange[random.below(13)]);
            break;
        case 2:  // truncated
            chunk.resize(static_cast<size_t>(random.below(kChunkSize)));
            break;
        case 3:  // longer, random tail
            for (int n = random.below(static_cast<int>(kLargest - kChunkSize)); n > 0; --n)
                chunk.push_back(static_cast<char>(random.next()));
            break;
        case 4:  // another version, possibly byte-reversed, possibly truncated
            putFloat(chunk, 0, strange[random.below(13)]);
            if (random.below(2) == 0) chunk = reversedWords(chunk);
            if (random.below(2) == 0) chunk.resize(static_cast<size_t>(random.below(kChunkSize)));
            break;
        case 5:  // texts without their terminator
            for (size_t i = 0; i < chunk.size(); ++i)
                if (chunk[i] == 0 && random.below(4) == 0) chunk[i] = static_cast<char>('A' + random.below(26));
            break;
        default:  // noise of any length
            chunk.resize(static_cast<size_t>(random.below(static_cast<int>(kLargest))));
            for (char& c : chunk) c = static_cast<char>(random.next());
            if (chunk.size() >= 4 && random.below(2) == 0) putFloat(chunk, 0, random.below(2) == 0 ? 2.1f : 1.0f);
            break;
    }
    return chunk;
}

// The instance after a chunk: a whole chunk, parameters in range, finite sound.
::testing::AssertionResult sane(vsthost::Host& host, bool listen) {
    const std::vector<char> chunk = host.getChunk();
    if (chunk.size() != static_cast<size_t>(kChunkSize))
        return ::testing::AssertionFailure() << "the chunk has " << chunk.size() << " bytes";
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        const float v = host.getParameter(i);
        if (!(v >= 0.0f && v <= 1.0f)) return ::testing::AssertionFailure() << "parameter " << i << " is " << v;
    }
    if (listen) {
        const Stereo out = render(host, testSignal(1024, 48000.0f));
        if (!allFinite(out)) return ::testing::AssertionFailure() << "the output is not finite";
        if (!(peak(out) < 1.0e4f)) return ::testing::AssertionFailure() << "the output peaks at " << peak(out);
    }
    return ::testing::AssertionSuccess();
}

TEST(ChunkFuzz, DamagedChunksAreReadSafely) {
    const int count = countFromEnvironment("TOVIN_CONFORMANCE_FUZZ", 100000);
    const StoreGuard store;
    GuardedBuffer buffer(kLargest);
    ASSERT_TRUE(buffer.valid());
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    Random random(1904);
    std::vector<std::vector<char>> goods;
    for (int i = 0; i < 4; ++i) {
        auto source = newInstance();
        ASSERT_NE(source, nullptr);
        applySetting(*source, i == 0 ? busySetting() : randomSetting(random));
        goods.push_back(source->getChunk());
    }
    // The edge cases first: nothing at all, and fewer bytes than the version.
    host->dispatch(effSetChunk, 0, 0, nullptr);
    for (size_t size = 0; size < 8; ++size) {
        char* data = buffer.place(goods[0].data(), size);
        host->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(size), data);
    }
    EXPECT_TRUE(sane(*host, true));

    int failures = 0;
    for (int i = 0; i < count && failures < 5; ++i) {
        const std::vector<char> chunk = mutate(goods[static_cast<size_t>(random.below(4))], random);
        char* data = buffer.place(chunk.data(), chunk.size());
        host->dispatch(effSetChunk, random.below(2), static_cast<VstIntPtr>(chunk.size()), data);
        if (i % 8 == 0) {
            const ::testing::AssertionResult result = sane(*host, i % 64 == 0);
            if (!result) {
                ++failures;
                ADD_FAILURE() << "after fuzzed chunk " << i << " (" << chunk.size() << " bytes): " << result.message();
            }
        }
    }
    // And a good chunk still restores its slots exactly (its options only when it says it carries
    // them: a fuzzed chunk may have left others).
    host->setChunk(goods[0]);
    const std::vector<char> restored = host->getChunk();
    ASSERT_EQ(restored.size(), goods[0].size());
    size_t firstDifference = restored.size();
    for (size_t i = 0; i < restored.size(); ++i)
        if (restored[i] != goods[0][i]) {
            firstDifference = i;
            break;
        }
    EXPECT_GE(firstDifference, kOptionsOffset) << "the slots differ from byte " << firstDifference;
    figure(format("%d damaged chunks (TOVIN_CONFORMANCE_FUZZ) before a guard page; %d new presets relinked", count,
                  store.added()));
}

}  // namespace
}  // namespace conformance
