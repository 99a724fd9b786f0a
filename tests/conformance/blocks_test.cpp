// Block sizes from 1 to 8192, fixed and changing on every call: the output is the one of blocks of
// 512 within 1e-5 through transitions and 1e-7 once settled; a call with no (or a negative number of)
// frames changes nothing.
#include "probe.h"

namespace conformance {
namespace {

constexpr float kRate = 48000.0f;
constexpr size_t kFrames = 2 * 48000;
constexpr size_t kSettledFrom = 72000;  // 0.5 s after the last change

std::vector<Event> scene() {
    std::vector<Event> events;
    for (const auto& [index, value] : busySetting()) events.push_back({0, index, value});
    const std::vector<Event> changes = {
        {4801, 5, 0.55f},   {9607, 10, 0.35f},  {14411, 27, 0.0f}, {19219, 24, 0.0f}, {24007, 20, 0.6f},
        {28813, 33, 0.0f},  {33617, 33, 1.0f},  {38401, 17, 0.7f}, {43223, 19, 0.2f}, {48029, 27, 1.0f},
    };
    events.insert(events.end(), changes.begin(), changes.end());
    for (int i = 0; i < 20; ++i)  // automation of a bell every 509 samples
        events.push_back({52007 + 509u * static_cast<size_t>(i), 7, 0.3f + 0.02f * static_cast<float>(i)});
    return events;
}

struct Deviation {
    float transitions = 0.0f, settled = 0.0f;
};

Deviation against512(const BlockSizes& sizes, const Stereo& input, const Stereo& reference) {
    auto host = newInstance(kRate, 512);
    if (host == nullptr) return {1.0f, 1.0f};
    const Stereo out = renderScene(*host, input, scene(), sizes);
    return {largestDifference(out, reference, 0, kSettledFrom), largestDifference(out, reference, kSettledFrom)};
}

class BlockSizes512 : public ::testing::Test {
protected:
    void SetUp() override {
        input_ = testSignal(kFrames, kRate, 0.5f, 9);
        auto host = newInstance(kRate, 512);
        ASSERT_NE(host, nullptr);
        reference_ = renderScene(*host, input_, scene());
    }
    void check(const char* name, const BlockSizes& sizes, Deviation& worst) {
        const Deviation d = against512(sizes, input_, reference_);
        EXPECT_LE(d.transitions, 1.0e-5f) << name << ": through the transitions";
        EXPECT_LE(d.settled, 1.0e-7f) << name << ": once settled";
        worst.transitions = std::max(worst.transitions, d.transitions);
        worst.settled = std::max(worst.settled, d.settled);
    }
    Stereo input_, reference_;
};

TEST_F(BlockSizes512, FixedSizes) {
    Deviation worst;
    // And one far beyond any real-time host's, as offline renders use.
    for (VstInt32 size : {1, 2, 3, 7, 16, 31, 43, 44, 45, 64, 100, 127, 256, 511, 513, 1000, 1024, 2048, 4096, 8192, 65536}) {
        check(format("blocks of %d", size).c_str(), [size] { return size; }, worst);
    }
    figure(format("21 sizes 1..8192 and 65536: %.1e through transitions, %.1e settled", worst.transitions, worst.settled));
}

TEST_F(BlockSizes512, ChangingOnEveryCall) {
    Deviation worst;
    for (int seed = 1; seed <= 3; ++seed) {
        auto random = std::make_shared<Random>(static_cast<uint64_t>(seed));
        check("random 1..8192", [random] { return 1 + random->below(8192); }, worst);
        check("random 1..64", [random] { return 1 + random->below(64); }, worst);
    }
    auto flip = std::make_shared<int>(0);
    check("1 and 8191 alternating", [flip] { return (++*flip % 2) != 0 ? 1 : 8191; }, worst);
    figure(format("7 patterns: %.1e through transitions, %.1e settled", worst.transitions, worst.settled));
}

TEST(BlockSizes, EmptyAndNegativeCallsChangeNothing) {
    const Stereo input = testSignal(4800, kRate);
    auto a = newInstance(kRate, 512);
    auto b = newInstance(kRate, 512);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    applySetting(*a, busySetting());
    applySetting(*b, busySetting());
    float sentinel[2] = {123.0f, 456.0f};
    const Stereo plain = render(*a, input, [] { return 100; });
    const Stereo withEmpty = render(*b, input, [] { return 100; }, [&](size_t) {
        b->processStereo(sentinel, sentinel + 1, sentinel, sentinel + 1, 0);
        b->processStereo(sentinel, sentinel + 1, sentinel, sentinel + 1, -1);
        b->processStereo(sentinel, sentinel + 1, sentinel, sentinel + 1, -2147483647 - 1);
    });
    EXPECT_TRUE(bitIdentical(plain, withEmpty));
    EXPECT_EQ(sentinel[0], 123.0f);
    EXPECT_EQ(sentinel[1], 456.0f);
}

}  // namespace
}  // namespace conformance
