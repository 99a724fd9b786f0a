// The buffers hosts hand over: in place, one buffer for both inputs, inputs and outputs crossed,
// unaligned, a single input channel and a single output channel. Each gives, bit for bit, what
// separate buffers give.
#include <cstring>
#include <limits>

#include "probe.h"

namespace conformance {
namespace {

constexpr float kRate = 44100.0f;
constexpr VstInt32 kBlock = 300;
constexpr size_t kFrames = 30 * kBlock;

std::unique_ptr<vsthost::Host> busyInstance() {
    auto host = newInstance(kRate, kBlock);
    if (host != nullptr) applySetting(*host, busySetting());
    return host;
}

// Renders in blocks through the buffers `arrange` sets up from the block's input.
using Arrangement = std::function<void(vsthost::Host&, const float* inL, const float* inR, float* outL, float* outR,
                                       VstInt32 frames)>;
Stereo renderWith(const Stereo& input, const Arrangement& arrange) {
    auto host = busyInstance();
    Stereo out{std::vector<float>(input.frames()), std::vector<float>(input.frames())};
    if (host == nullptr) return out;
    for (size_t start = 0; start < input.frames(); start += kBlock) {
        arrange(*host, input.left.data() + start, input.right.data() + start, out.left.data() + start,
                out.right.data() + start, kBlock);
    }
    return out;
}

Stereo separate(const Stereo& input) {
    return renderWith(input, [](vsthost::Host& h, const float* inL, const float* inR, float* outL, float* outR,
                                VstInt32 n) { h.processStereo(inL, inR, outL, outR, n); });
}

TEST(Buffers, InPlace) {
    const Stereo input = testSignal(kFrames, kRate);
    const Stereo inPlace = renderWith(input, [](vsthost::Host& h, const float* inL, const float* inR, float* outL,
                                                float* outR, VstInt32 n) {
        std::copy(inL, inL + n, outL);
        std::copy(inR, inR + n, outR);
        h.processStereo(outL, outR, outL, outR, n);
    });
    EXPECT_TRUE(bitIdentical(inPlace, separate(input)));
}

TEST(Buffers, CrossedInPlace) {
    // Left in the right output's buffer and right in the left's: the effect must read both inputs
    // before it writes either output.
    const Stereo input = testSignal(kFrames, kRate);
    const Stereo crossed = renderWith(input, [](vsthost::Host& h, const float* inL, const float* inR, float* outL,
                                                float* outR, VstInt32 n) {
        std::copy(inL, inL + n, outR);
        std::copy(inR, inR + n, outL);
        h.processStereo(outR, outL, outL, outR, n);
    });
    EXPECT_TRUE(bitIdentical(crossed, separate(input)));
}

TEST(Buffers, OneBufferForBothInputs) {
    Stereo input = testSignal(kFrames, kRate);
    input.right = input.left;
    const Stereo shared = renderWith(input, [](vsthost::Host& h, const float* inL, const float*, float* outL,
                                               float* outR, VstInt32 n) { h.processStereo(inL, inL, outL, outR, n); });
    EXPECT_TRUE(bitIdentical(shared, separate(input)));
}

TEST(Buffers, Unaligned) {
    const Stereo input = testSignal(kFrames, kRate);
    std::vector<float> scratch(4 * static_cast<size_t>(kBlock) + 8);
    const Stereo unaligned = renderWith(input, [&](vsthost::Host& h, const float* inL, const float* inR, float* outL,
                                                   float* outR, VstInt32 n) {
        float* a = scratch.data() + 1;
        float* b = a + n + 1;
        float* c = b + n + 1;
        float* d = c + n + 1;
        std::copy(inL, inL + n, a);
        std::copy(inR, inR + n, b);
        h.processStereo(a, b, c, d, n);
        std::copy(c, c + n, outL);
        std::copy(d, d + n, outR);
    });
    EXPECT_TRUE(bitIdentical(unaligned, separate(input)));
}

TEST(Buffers, SingleInput) {
    const Stereo input = testSignal(kFrames, kRate);
    const Stereo stereo = separate(input);
    const Stereo mono = renderWith(input, [](vsthost::Host& h, const float* inL, const float*, float* outL,
                                             float* outR, VstInt32 n) {
        std::fill(outR, outR + n, std::numeric_limits<float>::quiet_NaN());
        h.processStereo(inL, nullptr, outL, outR, n);
    });
    EXPECT_EQ(std::memcmp(mono.left.data(), stereo.left.data(), kFrames * sizeof(float)), 0)
        << "the left channel of a single input differs from the stereo left";
    for (size_t i = 0; i < kFrames; ++i) {
        if (!std::isfinite(mono.right[i])) {
            ADD_FAILURE() << "the second output is not written with a single input (sample " << i << ")";
            break;
        }
    }
}

TEST(Buffers, SingleOutput) {
    const Stereo input = testSignal(kFrames, kRate);
    const Stereo stereo = separate(input);
    const Stereo mono = renderWith(input, [](vsthost::Host& h, const float* inL, const float* inR, float* outL,
                                             float* outR, VstInt32 n) {
        std::fill(outR, outR + n, 0.0f);
        h.processStereo(inL, inR, outL, nullptr, n);
    });
    EXPECT_EQ(std::memcmp(mono.left.data(), stereo.left.data(), kFrames * sizeof(float)), 0);
}

}  // namespace
}  // namespace conformance
