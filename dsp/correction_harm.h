// Whether a band's correction does harm: the corrected band's response against its analog model,
// region by region, beside the plain bilinear design's. Between table cells a blend of two good
// corrections can leave a band that the bilinear design alone already met (a 2.5 kHz bell at Q 5,
// plain within 0.08 dB, blended 0.6 dB off); the band then runs its plain design instead.
//
// Pure functions of their arguments: called from a band's design step on the audio thread, they
// allocate nothing and keep no state.
#pragma once

#include "dsp/biquad.h"

#include <array>
#include <complex>

namespace CorrectionHarm {

// The regions judged apart (lower edges, Hz): the band up to 5 kHz, to 10 kHz and above. The top is
// min(20 kHz, kTopFraction fs).
constexpr int kRegions = 3;
constexpr std::array<double, kRegions> kRegionEdges{20.0, 5000.0, 10000.0};
constexpr double kTop = 20000.0;
constexpr double kTopFraction = 0.45;
// Points measured from 20 Hz to the top, logarithmic: ten to the octave or more.
constexpr int kPoints = 120;
// The analog model stands in as the band's reference section designed at this multiple of the band's
// rate, where the bilinear transform's warping is below a hundredth of a decibel up to 20 kHz.
constexpr double kModelRateFactor = 16.0;
// How much further than the plain design a corrected region may stray, and how far from the model
// the plain design may leave the pass band at the lowest point where the correction holds it (dB).
constexpr double kHarmAllowed = 0.04;
constexpr double kPassBandAllowed = 0.015;
// Pass filters are judged only where the model lies above this (dB): deep in the stop band a
// decibel is no measure of anything heard.
constexpr double kPassFilterFloorDb = -24.0;

// A band's response as it runs: (first * second + taps) * outputGain, the taps over the band's input.
struct Candidate {
    BiquadCoefficients first, second;
    const float* taps = nullptr;
    int length = 0;
    double outputGain = 1.0;
};

// The candidate's response at z^-1 = z1.
std::complex<double> responseAt(const Candidate& band, std::complex<double> z1);

// Largest deviation from the model in each region, and at the lowest point (the pass band of the
// bands that act high up), dB.
struct Deviations {
    std::array<double, kRegions> region{};
    double lowest = 0.0;
    double largest() const;
};

// The measuring points at one rate: z^-1 at the band's rate and at the model's, and the region of
// each. Worked out once per rate (setRate allocates nothing and may run wherever the rate is set).
struct Grid {
    // z^-1 at the band's rate kept apart, so that the taps' sums run over every point at once.
    std::array<double, kPoints> z1Real{}, z1Imag{};
    std::array<std::complex<double>, kPoints> modelZ1{};
    std::array<unsigned char, kPoints> region{};
    void setRate(float fs);
};

// The model's power at each point: `model` designed at kModelRateFactor times the rate; 0 marks a
// point where it lies below `floorDb` (not judged).
using ModelPower = std::array<double, kPoints>;
// Every `stride`-th point only (the points between keep 0).
ModelPower modelPower(const BiquadCoefficients& model, const Grid& grid, double floorDb = -1e9, int stride = 1);

Deviations deviations(const Candidate& band, const ModelPower& model, const Grid& grid);

// Sections alone, without taps, differ from each other smoothly: every kSectionsStride-th point
// judges them.
constexpr int kSectionsStride = 3;

// Each decibel a design strays beyond the plain one in some region (less kHarmAllowed), or off the
// pass band (less kPassBandAllowed), counts as this many decibels of deviation: a correction must
// mend a great deal elsewhere to be allowed a little harm.
constexpr double kRuleWeight = 10.0;

// Whether `band` strays more than kHarmAllowed beyond the plain design in some region.
bool doesHarm(const Deviations& band, const Deviations& plain);

// A design's largest deviation with the rules' costs on top, dB: the band runs the design that
// scores least.
double score(const Deviations& band, const Deviations& plain);

}  // namespace CorrectionHarm
