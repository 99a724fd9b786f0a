// How a candidate correction is judged: the band is designed by the runtime code from a table set
// and its magnitude response (main IIR plus correction) compared with its analog model. Deviations
// are counted in units of their target, so that one score weighs the full band against 20 kHz and
// the band to 10 kHz, which is what the higher rates hear of a cell (88.2 and 96 kHz read the cells
// at twice the frequency and are measured to 20 kHz). Two rules weigh heavily on top: the band keeps
// its pass band (the high-pass at the top of the grid where the analog response lies within 1 dB of
// its asymptote, other bands at 20 Hz where it lies within 0.1 dB of their DC gain), and in no region (20 Hz, 5 kHz and 10 kHz up) does it deviate more
// than a little beyond the plain bilinear band's largest deviation there.
#pragma once

#include "dsp/correction_harm.h"
#include "dsp/correction_tables.h"

#include <complex>
#include <vector>

namespace Scoring {
using Complex = std::complex<double>;

// The measuring points: 300 from 20 Hz to min(20 kHz, 0.45 fs), logarithmic.
struct Grid {
    float fs;
    std::vector<double> hz;
    std::vector<Complex> z1;
    explicit Grid(float rate);
};

// The regions of the do-no-harm rule: those the bands judge their own corrections by.
constexpr int kRegions = CorrectionHarm::kRegions;
inline constexpr const auto& kRegionEdges = CorrectionHarm::kRegionEdges;

// A band setting, the analog response it is held to and the targets it is counted against.
struct Setting {
    int kind = 0;
    float f = 1000.0f, q = 0.7f, gain = 0.0f;
    double floorDb = -1e9;      // points where the analog response lies below are not scored
    double fullTarget = 0.25;   // dB, 20 Hz to the top of the grid
    double lowTarget = 0.1;     // dB, 20 Hz to 10 kHz; 0 = not scored separately
    std::vector<double> analog;  // dB at the grid's points
    // The plain bilinear band's largest deviation in each region (dB), and the grid point of its
    // pass band (-1: none).
    double plainRegion[kRegions] = {};
    int passBandPoint = -1;
    bool rules = true;  // false: the deviation alone is scored
    bool fallback = true;  // the band may give way to its plain design, as it does when it runs
    void prepare(const Grid& g);
};

// The largest deviation in units of the setting's targets, plus the cost of any broken rule (also
// given in `rules`); stops early once `bound` is exceeded.
double deviation(const CorrectionTables::Set& set, const Grid& g, const Setting& s, bool correct = true,
                 double bound = 1e30, double* rules = nullptr);

// Largest deviation in dB over the whole grid (for reports).
double deviationDb(const CorrectionTables::Set& set, const Grid& g, const Setting& s, bool correct = true);

// Small costs that keep cells cheap and alike: taps, a shifted kernel (sub-sample delay) and the
// main section's adjustments.
double penalty(const CorrectionTables::Cell& c);
}  // namespace Scoring
