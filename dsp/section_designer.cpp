#include "dsp/section_design.h"

#include <algorithm>
#include <cmath>

namespace {
using BiquadMath::bilinear;
using BiquadMath::flushTiny;
using BiquadMath::inverted;
using BiquadMath::kPi;

double gainFactor(float gainDb) { return std::pow(10.0, static_cast<double>(gainDb) / 20.0); }

BiquadCoefficients highPass1(double f, double rate) {
    double p, g;
    if (f < rate / 2.0) {
        const double x = kPi * f / rate - 1.0;
        p = x * x;
        g = 1.0 / (2.0 - p);
    } else {
        // Above Nyquist the pole stays where it is at F/2 and the gain falls with f, starting from
        // the gain at F/2 whatever the rate.
        p = 0.32580844668254633;
        g = 0.59730321659936358 * std::pow(10.0, 0.0012 * (rate / 2.0 - f) * 0.05);
    }
    BiquadCoefficients c;
    c.a1 = -p;
    c.b0 = g;
    c.b1 = -g;
    return c;
}

BiquadCoefficients lowPass1(double f, double rate) {
    const double p = 1.0 - rate / (kPi * f);
    const double g = 1.0 / (2.0 - p);
    BiquadCoefficients c;
    c.a1 = flushTiny(g * p);
    c.b0 = g;
    c.b1 = g;
    return c;
}

// Shelves: A = (w'^2, w'/Q1, 1); high: B = (w'^2, (w'/Q2) sqrt(G), G), low: B = (G w'^2, (w'/Q2) sqrt(G), 1).
BiquadCoefficients shelf(double w, double gain, double q1, double q2, bool high, double rate) {
    const double rootG = static_cast<float>(std::sqrt(gain));
    AnalogSection s{w * w, w / q1, 1.0, 0.0, (w / q2) * rootG, 0.0};
    if (high) {
        s.B0 = w * w;
        s.B2 = gain;
    } else {
        s.B0 = gain * w * w;
        s.B2 = 1.0;
    }
    return bilinear(s, rate);
}

BiquadCoefficients peakReciprocal(double w, double gain, double q, double rate) {
    const double h = gain >= 1.0 ? gain : 1.0 / gain;
    const BiquadCoefficients boost = bilinear({w * w, w / q, 1.0, w * w, (w / q) * h, 1.0}, rate);
    return gain >= 1.0 ? boost : inverted(boost);
}

// Peaking design with prescribed Nyquist gain (Orfanidis, 1997), reference gain 1. G is the peak
// gain, gb2 the squared gain at which the bandwidth dw is measured. The digital filter matches the
// analog model H(s) = (s^2 + G (W/Q) s + W^2) / (s^2 + (W/Q) s + W^2), W = 2 pi f unwarped, at DC,
// at the centre, at both band edges and at Nyquist.
BiquadCoefficients peakNyquist(double w0, double dw, double g, double gb2) {
    constexpr double kPi2 = 9.869604401089358;
    const double g2 = g * g;
    const double r = std::fabs(gb2 - 1.0) / std::fabs(g2 - gb2);
    const double dw2 = dw * dw;
    const double off = (w0 * w0 - kPi2) * (w0 * w0 - kPi2);
    const double g1 = std::sqrt((off + g2 * kPi2 * dw2 * r) / (off + kPi2 * dw2 * r));
    const double g00 = std::fabs(g2 - 1.0);
    const double g11 = std::fabs(g2 - g1 * g1);
    const double g01 = std::fabs(g2 - g1);
    const double f = std::fabs(g2 - gb2);
    const double f00 = std::fabs(gb2 - 1.0);
    const double f11 = std::fabs(gb2 - g1 * g1);
    const double f01 = std::fabs(gb2 - g1);
    const double t0 = std::tan(w0 / 2.0);
    const double w2 = std::sqrt(g11 / g00) * t0 * t0;
    const double bw = (1.0 + std::sqrt(f00 / f11) * w2) * std::tan(dw / 2.0);
    const double c = f11 * bw * bw - 2.0 * w2 * (f01 - std::sqrt(f00 * f11));
    const double d = 2.0 * w2 * (g01 - std::sqrt(g00 * g11));
    const double a = std::sqrt((c + d) / f);
    const double b = std::sqrt((g2 * c + gb2 * d) / f);
    const double s = 1.0 / (1.0 + w2 + a);
    BiquadCoefficients out;
    out.b0 = flushTiny((g1 + w2 + b) * s);
    out.b1 = flushTiny(-2.0 * (g1 - w2) * s);
    out.b2 = flushTiny((g1 - b + w2) * s);
    out.a1 = flushTiny(-2.0 * (1.0 - w2) * s);
    out.a2 = flushTiny((1.0 + w2 - a) * s);
    return out;
}

bool finite(const BiquadCoefficients& c) {
    return std::isfinite(c.a1) && std::isfinite(c.a2) && std::isfinite(c.b0) && std::isfinite(c.b1) &&
           std::isfinite(c.b2);
}

}  // namespace

double peakNyquistEdge(double frequency, double q, double rate) {
    if (!(q > 0.0) || !(rate > 0.0)) return 1e30;
    const double half = 0.5 / q;
    return frequency * (half + std::sqrt(1.0 + half * half)) / (0.5 * rate);
}


BiquadCoefficients designSection(const SectionDesign& section, double rate) {
    namespace P = SectionPrototype;
    const BiquadCoefficients identity = BiquadCoefficients::identity();
    if (!(rate > 0.0) || !(section.frequency > 0.0f) || !std::isfinite(section.frequency) ||
        !std::isfinite(section.gain) || !std::isfinite(section.q1) || !std::isfinite(section.q2))
        return identity;
    const double q1 = section.q1;
    const double q2 = section.q2 > 0.0f ? section.q2 : q1;
    const double gain = gainFactor(section.gain);

    if (section.prototype == P::kHighPass1) return highPass1(section.frequency, rate);

    const double f = std::min(static_cast<double>(section.frequency), kMaxDesignFraction * rate);
    // The prescribed-Nyquist peaks need no prewarped frequency unless they fall back.
    const bool nyquistPeak = section.prototype == P::kPeakNyquist || section.prototype == P::kPeakNyquistSymmetric;
    const double w = nyquistPeak ? 0.0 : BiquadMath::prewarp(f, rate);
    const double qPass = std::max(q1, 0.01);

    switch (section.prototype) {
    case P::kHighPass2:
        return bilinear({1.0, 1.0 / (qPass * w), 1.0 / (w * w), 0.0, 0.0, 1.0 / (w * w)}, rate);
    case P::kLowPass1:
        return lowPass1(f, rate);
    case P::kLowPass2:
        return bilinear({1.0, 1.0 / (qPass * w), 1.0 / (w * w), 1.0, 0.0, 0.0}, rate);
    case P::kHighShelfMid:
    case P::kHighShelfCorner:
    case P::kLowShelfMid:
    case P::kLowShelfCorner: {
        if (section.gain == 0.0f || !(q1 > 0.0) || !(q2 > 0.0)) return identity;
        const bool high = section.prototype <= P::kHighShelfCorner;
        const bool mid = section.prototype == P::kHighShelfMid || section.prototype == P::kLowShelfMid;
        const double shift = mid ? std::pow(gain, high ? 0.25 : -0.25) : 1.0;
        return shelf(w * shift, gain, q1, q2, high, rate);
    }
    case P::kPeakReciprocal:
        if (section.gain == 0.0f || !(q1 > 0.0)) return identity;
        return peakReciprocal(w, gain, q1, rate);
    case P::kPeakNyquist:
    case P::kPeakNyquistSymmetric: {
        if (section.gain == 0.0f || !(q1 > 0.0)) return identity;
        // Where the upper band edge comes near Nyquist the prescribed-Nyquist design is no longer
        // defined; the reciprocal design stays close to the analog model there.
        const bool symmetric = section.prototype == P::kPeakNyquistSymmetric;
        const double g = symmetric && gain < 1.0 ? 1.0 / gain : gain;
        const auto fallback = [&] { return peakReciprocal(BiquadMath::prewarp(f, rate), g, q1, rate); };
        const double edge = peakNyquistEdge(f, q1, rate);
        if (!(edge < 1.0)) return symmetric && gain < 1.0 ? inverted(fallback()) : fallback();
        // The bandwidth is measured where the analog model has the squared gain (1 + G^2) / 2.
        const double gb2 = (1.0 + g * g) / 2.0;
        const double w0 = 2.0 * kPi * f / rate;
        BiquadCoefficients c = peakNyquist(w0, w0 / q1, g, gb2);
        if (!finite(c)) {
            c = fallback();
        } else if (edge > kNyquistBlendStart) {
            // Towards the limit the design hands over smoothly to the reciprocal one: stable (and,
            // for a boost, minimum-phase) sections form convex sets, so the blend stays both.
            double t = (edge - kNyquistBlendStart) / (1.0 - kNyquistBlendStart);
            t = t * t * (3.0 - 2.0 * t);
            c = BiquadMath::blended(c, fallback(), t);
        }
        return symmetric && gain < 1.0 ? inverted(c) : c;
    }
    case P::kNotch:
        if (!(q1 > 0.0)) return identity;
        return bilinear({w * w, w / q1, 1.0, w * w, 0.0, 1.0}, rate);
    case P::kBandPass:
        if (!(q1 > 0.0)) return identity;
        return bilinear({w * w, w / q1, 1.0, 0.0, w / q1, 0.0}, rate);
    default:
        return identity;
    }
}
