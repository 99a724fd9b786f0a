// One second-order section's coefficients and the bilinear transform that produces them from an
// analog section.
#pragma once

#include <cmath>
#include <complex>

// y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2], always normalised to a0 = 1.
struct BiquadCoefficients {
    double a0 = 1.0, a1 = 0.0, a2 = 0.0;
    double b0 = 1.0, b1 = 0.0, b2 = 0.0;

    static constexpr BiquadCoefficients identity() { return {}; }
    constexpr bool isIdentity() const {
        return a1 == 0.0 && a2 == 0.0 && b0 == 1.0 && b1 == 0.0 && b2 == 0.0;
    }
    friend constexpr bool operator==(const BiquadCoefficients&, const BiquadCoefficients&) = default;
};

// An analog section B2 s^2 + B1 s + B0 over A2 s^2 + A1 s + A0, indexed by power of s.
struct AnalogSection {
    double A0, A1, A2;
    double B0, B1, B2;
};

namespace BiquadMath {
constexpr double kPi = 3.14159265358979323846;

// Values this small become 0 so that no denormal enters a coefficient.
inline double flushTiny(double v) { return std::fabs(v) < 1e-38 ? 0.0 : v; }

inline BiquadCoefficients normalised(BiquadCoefficients c) {
    const double inv = 1.0 / c.a0;
    return {1.0, flushTiny(c.a1 * inv), flushTiny(c.a2 * inv),
            flushTiny(c.b0 * inv), flushTiny(c.b1 * inv), flushTiny(c.b2 * inv)};
}

// Bilinear transform at design rate F (s = 2F (z - 1) / (z + 1)), normalised to a0 = 1.
inline BiquadCoefficients bilinear(const AnalogSection& s, double rate) {
    const double k = 0.5 / rate;
    const double k2 = k * k;
    BiquadCoefficients c;
    c.b0 = s.B2 + k * s.B1 + k2 * s.B0;
    c.b1 = 2.0 * (k2 * s.B0 - s.B2);
    c.b2 = s.B2 - k * s.B1 + k2 * s.B0;
    c.a0 = s.A2 + k * s.A1 + k2 * s.A0;
    c.a1 = 2.0 * (k2 * s.A0 - s.A2);
    c.a2 = s.A2 - k * s.A1 + k2 * s.A0;
    return normalised(c);
}

// Numerator and denominator exchanged: the exact inverse response.
inline BiquadCoefficients inverted(const BiquadCoefficients& c) {
    return normalised({c.b0, c.b1, c.b2, c.a0, c.a1, c.a2});
}

// (1 - t) a + t b, coefficient by coefficient.
inline BiquadCoefficients blended(const BiquadCoefficients& a, const BiquadCoefficients& b, double t) {
    const auto mix = [t](double x, double y) { return (1.0 - t) * x + t * y; };
    BiquadCoefficients c;
    c.b0 = mix(a.b0, b.b0);
    c.b1 = mix(a.b1, b.b1);
    c.b2 = mix(a.b2, b.b2);
    c.a1 = mix(a.a1, b.a1);
    c.a2 = mix(a.a2, b.a2);
    return c;
}

// Prewarped analog angular frequency (rad/s) that the bilinear transform maps onto f.
inline double prewarp(double f, double rate) { return 2.0 * rate * std::tan(kPi * f / rate); }

// The section's response at z^-1 = z1.
inline std::complex<double> responseAt(const BiquadCoefficients& c, std::complex<double> z1) {
    return (c.b0 + z1 * (c.b1 + z1 * c.b2)) / (c.a0 + z1 * (c.a1 + z1 * c.a2));
}

// The section's response at f (Hz) at sample rate `rate`.
inline std::complex<double> response(const BiquadCoefficients& c, double f, double rate) {
    return responseAt(c, std::polar(1.0, -2.0 * kPi * f / rate));
}

// The section's gain (magnitude) at f (Hz) at sample rate `rate`.
inline double magnitude(const BiquadCoefficients& c, double f, double rate) { return std::abs(response(c, f, rate)); }
}  // namespace BiquadMath
