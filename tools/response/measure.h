// Measuring the engine: an impulse through processSubBlock after the bands have settled, and the
// magnitude of the resulting impulse response at chosen frequencies.
#pragma once

#include "dsp/eq_engine.h"

#include <cmath>
#include <complex>
#include <vector>

namespace Measure {

struct Band {
    int slot = 2;
    int kind = 14;
    float frequency = 1000.0f;
    float gain = 0.0f;  // dB as the engine receives it (bells: after compensation)
    float q = 1.0f;
};

// Runs a host block through the engine in sub-blocks, as the effect does.
inline void processBlock(EqEngine& e, const float* inL, const float* inR, float* outL, float* outR, int n) {
    for (int done = 0; done < n;) done += e.processSubBlock(n - done, inL + done, inR + done, outL + done, outR + done, 2);
}

// Sets the bands on both channels and lets fades and glides settle on silence.
inline void configure(EqEngine& e, float fs, const std::vector<Band>& bands) {
    e.setSampleRate(fs);
    for (const Band& b : bands) {
        e.setBandKind(-1, b.slot, b.kind);
        e.setBandValues(-1, b.slot, b.frequency, b.gain, b.q);
        e.setBandOn(-1, b.slot, true);
    }
    std::vector<float> zeros(4410, 0.0f), sink(4410);
    for (int i = 0; i < 20; ++i) processBlock(e, zeros.data(), zeros.data(), sink.data(), sink.data(), 4410);
    e.resetFilters();
}

// Left channel's response to a unit impulse, `length` samples.
inline std::vector<float> impulseResponse(float fs, const std::vector<Band>& bands, int length) {
    EqEngine e;
    configure(e, fs, bands);
    std::vector<float> in(static_cast<size_t>(length), 0.0f), outL(in.size()), outR(in.size());
    in[0] = 1.0f;
    processBlock(e, in.data(), in.data(), outL.data(), outR.data(), length);
    return outL;
}

// Magnitude in dB of an impulse response at frequency f (a single DFT term in double precision).
inline double magnitudeDb(const std::vector<float>& h, double f, double fs) {
    const double w = 2.0 * 3.14159265358979323846 * f / fs;
    const std::complex<double> step(std::cos(w), -std::sin(w));
    std::complex<double> z(1.0, 0.0), sum(0.0, 0.0);
    for (size_t n = 0; n < h.size(); ++n) {
        sum += static_cast<double>(h[n]) * z;
        z *= step;
        if ((n & 1023) == 1023) z /= std::abs(z);
    }
    return 20.0 * std::log10(std::abs(sum));
}

// Frequencies spaced evenly on a log scale from lo to hi, `count` points.
inline std::vector<double> logSpaced(double lo, double hi, int count) {
    std::vector<double> f(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) f[static_cast<size_t>(i)] = lo * std::pow(hi / lo, i / double(count - 1));
    return f;
}

}  // namespace Measure
