// A band forgets absurd input by the end of the sub-block that brought it, in its IIR states and in
// the input history its correction taps run over.
#include "dsp/band_filter.h"
#include "dsp/band_kind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kSub = 44;
constexpr float kPi = 3.14159265f;

// Runs sub-blocks of a 5 kHz sine at 0.1 through the band; returns the peak of the last one.
float runSine(BandFilter& band, const BandValues& v, int subBlocks, int& phase, float lastSample = 0.0f) {
    float peak = 0.0f;
    for (int s = 0; s < subBlocks; ++s) {
        float buf[kSub];
        for (int i = 0; i < kSub; ++i, ++phase)
            buf[i] = 0.1f * std::sin(2.0f * kPi * 5000.0f * static_cast<float>(phase) / 44100.0f);
        if (s == 0 && lastSample != 0.0f) buf[kSub - 1] = lastSample;
        band.process(buf, kSub, v);
        peak = 0.0f;
        for (float x : buf) peak = std::max(peak, std::fabs(x));
    }
    return peak;
}

}  // namespace

TEST(BandFilter, HugeInputIsForgottenByTheEndOfItsSubBlock) {
    // The Air band (its taps alone, no IIR section) and a high-Q bell (sections and taps).
    const BandValues bands[] = {{300000.0f, 15.0f, 0.0f, BandKind::kBell}, {12000.0f, 15.0f, 7.0f, BandKind::kBell}};
    for (const BandValues& v : bands) {
        SCOPED_TRACE(v.frequency);
        for (const float huge : {1e20f, 1e30f, -1e38f, std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN()}) {
            BandFilter band;
            int phase = 0;
            const float clean = runSine(band, v, 200, phase);
            ASSERT_GT(band.correctionInUse(), 0);
            runSine(band, v, 1, phase, huge);  // the last sample of a sub-block: the taps would carry it on
            const float after = runSine(band, v, 1, phase);
            EXPECT_LT(after, 2.0f * clean) << huge;
        }
    }
}
