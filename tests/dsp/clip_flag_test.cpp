// The clip flag sees both signs: a final output below -1.0 clips as surely as one above +1.0, on
// either channel, wherever it falls in a sub-block.
#include "dsp/eq_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr float kJustAbove = 1.0000001f;  // the float after 1.0

struct ClipCase {
    const char* name;
    int channels;
    int channel;   // where the clipping sample goes
    int position;  // within a block of kLength: 2 lies in the four-sample steps, 9 in the tail
    float value;
    float otherValue;  // the other channel's sample at the same position
    bool midSide;      // decoded outputs: left = mid + side, right = mid - side
};

constexpr int kLength = 10;

bool clipsWith(const ClipCase& c) {
    EqEngine e;
    if (c.midSide) e.setMidSide(true, false, true);
    std::vector<float> in[2] = {std::vector<float>(kLength, 0.0f), std::vector<float>(kLength, 0.0f)};
    std::vector<float> out[2] = {std::vector<float>(kLength), std::vector<float>(kLength)};
    in[c.channel][static_cast<std::size_t>(c.position)] = c.value;
    in[1 - c.channel][static_cast<std::size_t>(c.position)] = c.otherValue;
    e.processSubBlock(kLength, in[0].data(), in[1].data(), out[0].data(), out[1].data(), c.channels);
    return e.clip();
}

}  // namespace

TEST(EqEngine, ClipFlagIsRaisedBelowMinusOneAsAboveOne) {
    const ClipCase clipping[] = {
        {"left low, vector part", 2, 0, 2, -kJustAbove, 0.0f, false},
        {"left low, tail", 2, 0, 9, -kJustAbove, 0.0f, false},
        {"right low, vector part", 2, 1, 2, -1.5f, 0.0f, false},
        {"right low, tail", 2, 1, 9, -1.5f, 0.0f, false},
        {"mono low", 1, 0, 2, -2.0f, 0.0f, false},
        {"mono low, tail", 1, 0, 9, -2.0f, 0.0f, false},
        {"left high", 2, 0, 2, kJustAbove, 0.0f, false},
        {"right high, tail", 2, 1, 9, 1.5f, 0.0f, false},
        // Mid -0.6 and side -0.6 decode to -1.2 on the left and 0 on the right.
        {"decoded low", 2, 1, 2, -0.6f, -0.6f, true},
    };
    for (const ClipCase& c : clipping) EXPECT_TRUE(clipsWith(c)) << c.name;

    const ClipCase within[] = {
        {"minus one itself", 2, 0, 2, -1.0f, 0.0f, false},
        {"minus one itself, tail", 2, 1, 9, -1.0f, 0.0f, false},
        {"plus one itself", 1, 0, 9, 1.0f, 0.0f, false},
    };
    for (const ClipCase& c : within) EXPECT_FALSE(clipsWith(c)) << c.name;
}
