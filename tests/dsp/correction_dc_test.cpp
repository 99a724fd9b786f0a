// The corrected band's gain at DC against the analog model's, on every cell of the correction tables
// and half-way between cells along every axis: a correction acts near the top of the band and must
// leave the pass band where it is, grid point or blend.
#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "dsp/correction_tables.h"
#include "tools/response/analog_model.h"
#include "tools/response/band_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {
namespace T = CorrectionTables;

constexpr double kDcToleranceDb = 0.002;
// A high-pass passes nothing at DC: its corrected band must not leak more than this (-100 dB).
constexpr double kHighPassDcLeak = 1e-5;

// Every grid point and every point half-way to the next.
template <size_t N>
std::vector<float> gridAndHalfWays(const std::array<float, N>& grid, float scale = 1.0f) {
    std::vector<float> v;
    for (size_t i = 0; i < N; ++i) {
        v.push_back(grid[i] * scale);
        if (i + 1 < N) v.push_back(0.5f * (grid[i] + grid[i + 1]) * scale);
    }
    return v;
}

// Knob gains of the three-axis tables: every dB step and the half-way points.
std::vector<float> knobGains() {
    std::vector<float> v;
    for (int g = -30; g <= 30; ++g) v.push_back(0.5f * static_cast<float>(g));
    return v;
}

struct Worst {
    double error = 0.0;
    std::string where;
    int settings = 0;
    void note(double e, int kind, float f, float q, float gain) {
        ++settings;
        if (!(e <= error)) {
            error = e;
            char text[96];
            std::snprintf(text, sizeof text, "kind %d %.1f Hz Q %.3f %+.2f dB", kind, f, q, gain);
            where = text;
        }
    }
};

// The designed band's DC gain (sections, taps and output gain) against the analog model's, dB.
double dcErrorDb(int kind, float f, float q, float gain, float fs) {
    BandFilter band;
    band.setSampleRate(fs);
    BandResponse::design(band, {f, gain, q, kind});
    const double digital = std::abs(BandResponse::at(band, 0.0));
    const double analog = std::abs(AnalogModel::response(kind, f, q, gain, 0.0));
    return std::fabs(20.0 * std::log10(digital / analog));
}

double dcLeak(float f, float fs) {
    BandFilter band;
    band.setSampleRate(fs);
    BandResponse::design(band, {f, 0.0f, 0.7f, BandKind::kHighPass6});
    return std::abs(BandResponse::at(band, 0.0));
}
}  // namespace

TEST(CorrectionDc, EveryBellCellKeepsTheAnalogDcGain) {
    Worst worst;
    for (float fs : {44100.0f, 96000.0f}) {
        const float scale = fs / 44100.0f;
        for (float f : gridAndHalfWays(T::kBellFrequencies, scale))
            for (float q : gridAndHalfWays(T::kBellQs))
                for (float knob : knobGains()) {
                    const float gain = bellGainForQ(knob, q);
                    worst.note(dcErrorDb(BandKind::kBell, f, q, gain, fs), BandKind::kBell, f, q, gain);
                }
    }
    EXPECT_LT(worst.error, kDcToleranceDb) << worst.where << " of " << worst.settings;
}

TEST(CorrectionDc, EveryShelfCellKeepsTheAnalogDcGain) {
    Worst worst;
    for (float fs : {44100.0f, 96000.0f}) {
        const float scale = fs / 44100.0f;
        for (int kind : {BandKind::kHighShelf, BandKind::kLowShelf, BandKind::kHighShelfAlt, BandKind::kLowShelfAlt})
            for (float f : gridAndHalfWays(T::kShelfFrequencies, scale))
                for (float q : gridAndHalfWays(T::kShelfQs))
                    for (float gain : knobGains()) worst.note(dcErrorDb(kind, f, q, gain, fs), kind, f, q, gain);
    }
    EXPECT_LT(worst.error, kDcToleranceDb) << worst.where << " of " << worst.settings;
}

TEST(CorrectionDc, EveryPassFilterCellKeepsTheAnalogDcGain) {
    Worst worst;
    double leak = 0.0;
    for (float fs : {44100.0f, 96000.0f}) {
        const float scale = fs / 44100.0f;
        for (float f : gridAndHalfWays(T::kLowPassFrequencies, scale)) {
            worst.note(dcErrorDb(BandKind::kLowPass6, f, 0.7f, 0.0f, fs), BandKind::kLowPass6, f, 0.7f, 0.0f);
            for (float q : gridAndHalfWays(T::kLowPass2Qs))
                worst.note(dcErrorDb(BandKind::kLowPass12, f, q, 0.0f, fs), BandKind::kLowPass12, f, q, 0.0f);
        }
        for (float f : gridAndHalfWays(T::kHighPass1Frequencies, scale)) leak = std::max(leak, dcLeak(f, fs));
    }
    EXPECT_LT(worst.error, kDcToleranceDb) << worst.where << " of " << worst.settings;
    EXPECT_LT(leak, kHighPassDcLeak);
}
