// A single BandFilter designed to completion and its frequency response evaluated from what it runs:
// the installed section coefficients, the correction taps beside the first two sections, the third
// section and the output gain. The same code designs the band as on the audio thread.
#pragma once

#include "dsp/band_filter.h"

#include <complex>

namespace BandResponse {
using Complex = std::complex<double>;

// Runs the design steps until the band is idle (a new band takes its design at once).
inline void design(BandFilter& band, const BandValues& v) {
    for (int i = 0; i < 16 && !(i > 0 && band.designStep() == DesignStep::kIdle); ++i) band.prepare(v);
}

inline Complex section(const BiquadCoefficients& c, Complex z1) {
    return (c.b0 + z1 * (c.b1 + z1 * c.b2)) / (1.0 + z1 * (c.a1 + z1 * c.a2));
}

// Response at f (Hz) of a designed band at its sample rate.
inline Complex at(const BandFilter& band, double f) {
    const double w = 2.0 * 3.14159265358979323846 * f / band.sampleRate();
    const Complex z1 = std::polar(1.0, -w);
    Complex h = section(band.section(0).target(), z1) * section(band.section(1).target(), z1);
    Complex fir(0.0, 0.0), zk(1.0, 0.0);
    const float* taps = band.taps();
    for (int k = 0; k < band.correctionInUse(); ++k, zk *= z1) fir += static_cast<double>(taps[k]) * zk;
    return (h + fir) * section(band.section(2).target(), z1) * static_cast<double>(band.outputGainTarget());
}

inline double magnitudeDb(const BandFilter& band, double f) { return 20.0 * std::log10(std::abs(at(band, f))); }

// Group delay in samples at f, from the phase change over f +- 1 Hz.
inline double groupDelay(const BandFilter& band, double f) {
    return -std::arg(at(band, f + 1.0) / at(band, f - 1.0)) * band.sampleRate() / (4.0 * 3.14159265358979323846);
}
}  // namespace BandResponse
