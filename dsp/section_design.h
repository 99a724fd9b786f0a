// The section designer: turns one section's frequency, Q, gain and prototype into biquad coefficients
// at a given design rate.
#pragma once

#include "dsp/biquad.h"

namespace SectionPrototype {
constexpr int kHighPass1 = 2;           // first-order high-pass, designed directly in z
constexpr int kHighPass2 = 3;           // second-order high-pass
constexpr int kLowPass1 = 4;            // first-order low-pass, designed directly in z
constexpr int kLowPass2 = 5;            // second-order low-pass
constexpr int kHighShelfMid = 6;        // high shelf, half the gain at f
constexpr int kHighShelfCorner = 7;     // high shelf, corner at f
constexpr int kLowShelfMid = 8;         // low shelf, half the gain at f
constexpr int kLowShelfCorner = 9;      // low shelf, corner at f
constexpr int kPeakReciprocal = 10;     // bilinear peaking; a cut is the inverse of the equal boost
constexpr int kPeakNyquist = 11;        // peaking with the analog model's gain at Nyquist
constexpr int kPeakNyquistSymmetric = 12;  // as 11, a cut being the inverse of the equal boost
constexpr int kNotch = 13;
constexpr int kBandPass = 15;           // band-pass with unity peak
}  // namespace SectionPrototype

struct SectionDesign {
    float frequency = 1000.0f;  // Hz
    float q1 = 1.0f;
    float q2 = 0.0f;            // shelves: 0 means q1
    float gain = 0.0f;          // dB
    int prototype = 0;
};

// Designs one section at design rate `rate` (Hz). Unknown prototypes, zero gains where the gain
// matters and zero Q in the peaking designs give the identity. Every frequency except the
// first-order high-pass's (which has its own branch) is kept below half the design rate.
BiquadCoefficients designSection(const SectionDesign& section, double rate);

// Highest design frequency, as a fraction of the design rate.
constexpr double kMaxDesignFraction = 0.49;

// The analog model's upper band edge f (1/(2Q) + sqrt(1 + 1/(4Q^2))) as a fraction of Nyquist.
double peakNyquistEdge(double frequency, double q, double rate);

// The prescribed-Nyquist peaking design is defined while that edge lies below Nyquist; beyond it the
// reciprocal design is used, and from kNyquistBlendStart on the two are blended, so that a band
// swept through the limit changes smoothly.
constexpr double kNyquistBlendStart = 0.8;
