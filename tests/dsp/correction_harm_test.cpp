// Corrections that do harm give way: the measure by region, the rules' score, and bands that fall
// back on their plain design, measured against the independent analog models.
#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "dsp/correction_harm.h"
#include "dsp/section_design.h"
#include "tools/response/analog_model.h"
#include "tools/response/band_response.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {
using CorrectionHarm::Deviations;

SectionDesign design(int prototype, float f, float q, float gain) {
    SectionDesign s;
    s.prototype = prototype, s.frequency = f, s.q1 = q, s.gain = gain;
    return s;
}

// Largest deviation from the analog model per region (20 Hz, 5 kHz, 10 kHz up) and overall.
struct Measured {
    std::array<double, 3> region{};
    double largest() const { return *std::max_element(region.begin(), region.end()); }
};

enum class Mode { kCorrected, kTablesAlone, kPlain };

Measured measure(int kind, float f, float q, float gain, float fs, Mode mode, double floorDb = -1e9) {
    BandFilter band;
    band.setSampleRate(fs);
    band.setCorrectionEnabled(mode != Mode::kPlain);
    band.setPlainFallback(mode == Mode::kCorrected);
    BandResponse::design(band, {f, gain, q, kind});
    Measured m;
    const double top = std::min(20000.0, 0.45 * fs);
    for (int i = 0; i < 400; ++i) {
        const double hz = 20.0 * std::pow(top / 20.0, i / 399.0);
        const double analog = AnalogModel::magnitudeDb(kind, f, q, gain, hz);
        if (analog < floorDb) continue;
        const size_t r = hz >= 10000.0 ? 2 : hz >= 5000.0 ? 1 : 0;
        m.region[r] = std::max(m.region[r], std::fabs(BandResponse::magnitudeDb(band, hz) - analog));
    }
    return m;
}
}  // namespace

TEST(CorrectionHarm, DeviationsAreMeasuredRegionByRegionAgainstTheModel) {
    using namespace CorrectionHarm;
    const float fs = 44100.0f;
    Grid grid;
    grid.setRate(fs);
    const BiquadCoefficients flat = BiquadCoefficients::identity();
    const ModelPower flatModel = modelPower(flat, grid);
    // 0.1 dB of output gain shows in every region and at the lowest point.
    const Deviations louder = deviations({flat, flat, nullptr, 0, std::pow(10.0, 0.1 / 20.0)}, flatModel, grid);
    for (double r : louder.region) EXPECT_NEAR(r, 0.1, 1e-9);
    EXPECT_NEAR(louder.lowest, 0.1, 1e-9);
    // A high shelf at 15 kHz strays from a flat model high up, hardly below 5 kHz.
    const BiquadCoefficients shelf = designSection(design(SectionPrototype::kHighShelfMid, 15000.0f, 0.7f, 3.0f), fs);
    const Deviations shelved = deviations({shelf, flat, nullptr, 0, 1.0}, flatModel, grid);
    EXPECT_LT(shelved.region[0], 0.05);
    EXPECT_GT(shelved.region[2], 1.0);
    EXPECT_DOUBLE_EQ(shelved.largest(), shelved.region[2]);
    // Taps count: a single tap of 0.1 beside the flat section is +0.83 dB at DC.
    const float tap[1] = {0.1f};
    EXPECT_NEAR(deviations({flat, flat, tap, 1, 1.0}, flatModel, grid).lowest, 20.0 * std::log10(1.1), 1e-4);
    // Against a low-pass model a flat band is judged only where the model lies above the floor.
    const BiquadCoefficients lowPass =
        designSection(design(SectionPrototype::kLowPass2, 2000.0f, 0.7f, 0.0f), kModelRateFactor * fs);
    EXPECT_GT(deviations({flat, flat, nullptr, 0, 1.0}, modelPower(lowPass, grid), grid).largest(), 30.0);
    EXPECT_LE(deviations({flat, flat, nullptr, 0, 1.0}, modelPower(lowPass, grid, kPassFilterFloorDb), grid).largest(),
              -kPassFilterFloorDb + 1e-9);
}

TEST(CorrectionHarm, TheRulesWeighHarmAndThePassBandAgainstTheLargestDeviation) {
    using namespace CorrectionHarm;
    Deviations plain, corrected, mended;
    plain.region = {0.07, 0.34, 0.48};
    corrected.region = {0.35, 0.06, 0.18};
    mended.region = {0.10, 0.06, 0.18};
    EXPECT_TRUE(doesHarm(corrected, plain));
    EXPECT_FALSE(doesHarm(mended, plain));  // 0.03 beyond the plain design: allowed
    EXPECT_FALSE(doesHarm(plain, plain));
    // Harmless designs score their largest deviation; harm costs kRuleWeight per dB beyond the allowance.
    EXPECT_DOUBLE_EQ(score(plain, plain), 0.48);
    EXPECT_DOUBLE_EQ(score(mended, plain), 0.18);
    EXPECT_NEAR(score(corrected, plain), 0.35 + kRuleWeight * (0.28 - kHarmAllowed), 1e-12);
    // A design that leaves the pass band pays for it too.
    Deviations offBand = mended;
    offBand.lowest = 0.1;
    EXPECT_NEAR(score(offBand, plain), 0.18 + kRuleWeight * (0.1 - kPassBandAllowed), 1e-12);
}

TEST(CorrectionFallback, ABlendThatWouldDoHarmGivesWayAndComesNearerTheModel) {
    // Half-way between the 2 and 3 kHz cells at Q 5, knob -12 dB: each cell suits its own grid
    // point, their blend misses the cut by 0.6 dB where the plain design is within 0.1 dB.
    // At 48 kHz the cells lie at 48 / 44.1 times their frequencies.
    const float q = 5.0f, gain = bellGainForQ(-12.0f, q);
    for (const auto& [fs, f] : {std::pair{44100.0f, 2518.0f}, std::pair{48000.0f, 2721.0f}}) {
        const Measured tables = measure(BandKind::kBell, f, q, gain, fs, Mode::kTablesAlone);
        const Measured plain = measure(BandKind::kBell, f, q, gain, fs, Mode::kPlain);
        const Measured band = measure(BandKind::kBell, f, q, gain, fs, Mode::kCorrected);
        ASSERT_GT(tables.region[0], plain.region[0] + 0.3);  // what the tables alone would do
        for (size_t r = 0; r < 3; ++r) EXPECT_LE(band.region[r], plain.region[r] + 0.05) << r;
        EXPECT_LE(band.largest(), tables.largest());
    }
}

TEST(CorrectionFallback, NoBandEndsFurtherFromItsModelThanItsTablesWouldLeaveIt) {
    // Off-grid settings of every corrected family at 44.1 and 48 kHz: where a band gives way, its
    // largest deviation from the analog model does not grow (the judgement's model, the reference
    // at 16 fs, and the analog model differ by less than a hundredth of a decibel), and its harm
    // shrinks.
    struct Family {
        int kind;
        std::vector<float> qs, gains;
        double floorDb;
    };
    const Family families[] = {
        {BandKind::kBell, {0.7f, 2.5f, 4.2f, 6.1f}, {-14.5f, -9.5f, 5.5f, 12.5f}, -1e9},
        {BandKind::kHighShelf, {0.6f, 1.7f}, {-13.5f, 8.5f}, -1e9},
        {BandKind::kLowShelf, {0.6f, 1.7f}, {-13.5f, 8.5f}, -1e9},
        {BandKind::kLowPass12, {0.6f, 1.3f}, {0.0f}, CorrectionHarm::kPassFilterFloorDb},
    };
    int gaveWay = 0;
    for (float fs : {44100.0f, 48000.0f})
        for (const Family& family : families)
            for (int i = 0; i < 13; ++i) {
                const float f = 1130.0f * std::pow(14.0f, static_cast<float>(i) / 12.0f);
                for (float q : family.qs)
                    for (float knob : family.gains) {
                        const float gain = family.kind == BandKind::kBell ? bellGainForQ(knob, q) : knob;
                        const Measured tables = measure(family.kind, f, q, gain, fs, Mode::kTablesAlone, family.floorDb);
                        const Measured band = measure(family.kind, f, q, gain, fs, Mode::kCorrected, family.floorDb);
                        if (band.region == tables.region) continue;
                        ++gaveWay;
                        const Measured plain = measure(family.kind, f, q, gain, fs, Mode::kPlain, family.floorDb);
                        const auto harm = [&](const Measured& m) {
                            double h = 0.0;
                            for (size_t r = 0; r < 3; ++r) h = std::max(h, m.region[r] - plain.region[r]);
                            return h;
                        };
                        EXPECT_LE(band.largest(), tables.largest() + 0.01)
                            << family.kind << " " << f << " Hz Q " << q << " " << gain << " dB at " << fs;
                        EXPECT_LT(harm(band), harm(tables))
                            << family.kind << " " << f << " Hz Q " << q << " " << gain << " dB at " << fs;
                    }
            }
    std::printf("%d of the settings gave way\n", gaveWay);
    EXPECT_GT(gaveWay, 10);
}
