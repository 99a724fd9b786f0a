// Textbook analog responses of the band kinds, evaluated at s = j 2 pi f, for comparing the engine's
// digital bands with the filters they model. Bells take the filter gain (after compensation).
#pragma once

#include "dsp/band_kind.h"

#include <cmath>
#include <complex>

namespace AnalogModel {
using Complex = std::complex<double>;
constexpr double kPi = 3.14159265358979323846;

// Second-order H(s) = (n2 s^2 + n1 s + n0) / (d2 s^2 + d1 s + d0) with s normalised to the corner.
inline Complex biquad(Complex s, double n2, double n1, double n0, double d2, double d1, double d0) {
    return (n2 * s * s + n1 * s + n0) / (d2 * s * s + d1 * s + d0);
}

// Response of band kind `kind` at frequency f (Hz), for corner/centre f0, quality q and gain.
inline Complex response(int kind, double f0, double q, double gainDb, double f) {
    const Complex s(0.0, f / f0);  // j Omega / W
    const double G = std::pow(10.0, gainDb / 20.0);
    const double A = std::sqrt(G);  // shelves: the gain at the mid-point
    Complex h(1.0, 0.0);
    switch (kind) {
    case BandKind::kHighPass6: h = s / (s + 1.0); break;
    case BandKind::kHighPass12: h = biquad(s, 1, 0, 0, 1, 1 / q, 1); break;
    case BandKind::kHighPass24: h = biquad(s, 1, 0, 0, 1, 1 / q, 1) * biquad(s, 1, 0, 0, 1, 1 / 0.707, 1); break;
    case BandKind::kLowPass6: h = 1.0 / (s + 1.0); break;
    case BandKind::kLowPass12: h = biquad(s, 0, 0, 1, 1, 1 / q, 1); break;
    case BandKind::kLowPass18: h = biquad(s, 0, 0, 1, 1, 1 / q, 1) / (s + 1.0); break;
    case BandKind::kLowPass24: h = biquad(s, 0, 0, 1, 1, 1 / q, 1) * biquad(s, 0, 0, 1, 1, 1, 1); break;
    case BandKind::kHighShelf:
    case BandKind::kHighShelfAlt:
        // Cookbook high shelf: A (A s^2 + sqrt(A)/Q s + 1) / (s^2 + sqrt(A)/Q s + A).
        h = A * biquad(s, A, std::sqrt(A) / q, 1, 1, std::sqrt(A) / q, A);
        break;
    case BandKind::kLowShelf:
    case BandKind::kLowShelfAlt:
        h = A * biquad(s, 1, std::sqrt(A) / q, A, A, std::sqrt(A) / q, 1);
        break;
    case BandKind::kBell:
        // Peak gain G at f0; -3 dB points of the resonance (width f0 / Q) at the squared gain (1 + G^2) / 2.
        h = G >= 1.0 ? biquad(s, 1, G / q, 1, 1, 1 / q, 1) : biquad(s, 1, 1 / q, 1, 1, 1 / (G * q), 1);
        break;
    default: break;
    }
    return h;
}

inline double magnitudeDb(int kind, double f0, double q, double gainDb, double f) {
    return 20.0 * std::log10(std::abs(response(kind, f0, q, gainDb, f)));
}

// Group delay in seconds at f, from the phase change over f +- 1 Hz.
inline double groupDelay(int kind, double f0, double q, double gainDb, double f) {
    const Complex ratio = response(kind, f0, q, gainDb, f + 1.0) / response(kind, f0, q, gainDb, f - 1.0);
    return -std::arg(ratio) / (4.0 * kPi);
}
}  // namespace AnalogModel
