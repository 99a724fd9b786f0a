// The high-frequency correction FIR: a short filter run beside a band's IIR sections whose taps are
// the windowed difference between a reference response and the IIR's own impulse response. The
// reference is the band's analog-style section run at four times the rate over a windowed-sinc
// kernel and read back at every fourth sample, so that below half the rate the band follows the
// analog model instead of the bilinear design. The design is split into steps that BandFilter runs
// on successive sub-blocks.
#pragma once

#include "dsp/biquad.h"

#include <optional>

namespace CorrectionFir {

// The interpolation kernel: a sinc with its zeros every fourth sample (cut-off at half the band's
// rate), Blackman-windowed over `length` samples and centred on (length - 1) / 2 + 8 (phase - 0.5).
void buildKernel(float* kernel, int length, float phase);

// The reference section(s) run at four times the rate over the kernel followed by zeros, `count`
// samples (at least the kernel's length).
void referenceResponse(const float* kernel, int kernelLength, const BiquadCoefficients& reference,
                       const BiquadCoefficients* secondReference, float* target, int count);

// The first n samples of the impulse response of the main section (and the second one, if given).
void impulseResponse(const BiquadCoefficients& main, const BiquadCoefficients* second, float* h, int n);

// A response near DC, H0 + j w H1 to first order in w (radians per sample at the section's rate).
struct NearDc {
    double h0 = 0.0, h1 = 0.0;
};
NearDc nearDc(const BiquadCoefficients& c);

// What the correction must add near DC for the band, after its output gain, to respond `model`
// there (the analog model's gain and slope at the band's rate): the model less the main section
// (and the second one, if given).
NearDc nearDcDifference(const NearDc& model, double outputGain, const BiquadCoefficients& main,
                        const BiquadCoefficients* second);

// Taps c[n] = (target[(L - 1) / 2 + 4 n] - h[n]) window[n]: the first trunc(n flatTaps) at full
// weight, the rest following the falling half of a Blackman window. Given `want`, the taps are then
// moved by a Blackman window over all n taps times a line in n, as little as will make the
// correction's own response near DC equal to it: its gain, and with `slope` its slope too (sets of
// 8 taps or more).
// That window ends smoothly at both ends, so the move reaches little above a few fs / n: a deep
// notch near the top of the band is not filled in.
void taps(const float* target, int kernelLength, const float* h, int n, float flatTaps, float* out,
          std::optional<NearDc> want = std::nullopt, bool slope = true);

// out[i] = (out[i] + sum over j < length of c[j] x[i - j]) * gain, i = 0..n-1, the sum rounded to
// float before the product (as a separate pass over the outputs would); x[-length + 1] must be
// readable. The band's output gain rides on the last store instead of a pass of its own.
void accumulate(const float* c, int length, const float* x, float* out, int n, float gain = 1.0f);

// Both tap sets: fresh[i] and old[i] get the FIR outputs of sets a and b.
void accumulatePair(const float* a, const float* b, int length, const float* x, float* fresh, float* old, int n);

// Whether the sums above run on the processor's fused eight-wide vectors (chosen when the module
// loads) rather than the portable code below.
bool usesFusedVectors();

namespace Portable {
void accumulatePortable(const float* c, int length, const float* x, float* out, int n, float gain = 1.0f);
void accumulatePairPortable(const float* a, const float* b, int length, const float* x, float* fresh, float* old, int n);
}  // namespace Portable

}  // namespace CorrectionFir
