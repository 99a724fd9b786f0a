#include "dsp/correction_harm.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace CorrectionHarm {
namespace {
using Complex = std::complex<double>;

Complex section(const BiquadCoefficients& c, Complex z1) {
    return (c.b0 + z1 * (c.b1 + z1 * c.b2)) / (c.a0 + z1 * (c.a1 + z1 * c.a2));
}

// sum of taps[k] z1^k, by Horner's rule from the last tap.
Complex taps(const float* t, int n, Complex z1) {
    Complex sum(0.0, 0.0);
    for (int k = n; k-- > 0;) sum = sum * z1 + static_cast<double>(t[k]);
    return sum;
}

int regionOf(double hz) {
    int r = 0;
    while (r + 1 < kRegions && hz >= kRegionEdges[static_cast<size_t>(r + 1)]) ++r;
    return r;
}

// Power ratio to dB, as a distance from 0 dB.
double distanceDb(double ratio) { return ratio > 0.0 ? std::fabs(10.0 * std::log10(ratio)) : 1e9; }

// The largest amount by which `band` exceeds the plain design's deviation in any region.
double excess(const Deviations& band, const Deviations& plain) {
    double worst = 0.0;
    for (size_t r = 0; r < kRegions; ++r) worst = std::max(worst, band.region[r] - plain.region[r]);
    return worst;
}
}  // namespace

double Deviations::largest() const { return *std::max_element(region.begin(), region.end()); }

Deviations deviations(const Candidate& band, const BiquadCoefficients& model, float fs, double floorDb) {
    const double rate = fs;
    const double top = std::min(kTop, kTopFraction * rate);
    const double floorPower = std::pow(10.0, floorDb / 10.0);
    // The extremes of |band|^2 / |model|^2 per region: the logarithms are taken once at the end.
    std::array<double, kRegions> lowest, highest;
    lowest.fill(1.0), highest.fill(1.0);
    Deviations out;
    for (int i = 0; i < kPoints; ++i) {
        const double hz = kRegionEdges[0] * std::pow(top / kRegionEdges[0], i / static_cast<double>(kPoints - 1));
        const double w = 2.0 * BiquadMath::kPi * hz / rate;
        const Complex z1 = std::polar(1.0, -w);
        const double wanted = std::norm(section(model, std::polar(1.0, -w / kModelRateFactor)));
        if (!(wanted >= floorPower)) continue;
        const Complex h = (section(band.first, z1) * section(band.second, z1) + taps(band.taps, band.length, z1)) * band.outputGain;
        const double ratio = std::norm(h) / wanted;
        if (i == 0) out.lowest = distanceDb(ratio);
        const int r = regionOf(hz);
        lowest[static_cast<size_t>(r)] = std::min(lowest[static_cast<size_t>(r)], ratio);
        highest[static_cast<size_t>(r)] = std::max(highest[static_cast<size_t>(r)], ratio);
    }
    for (size_t r = 0; r < kRegions; ++r) out.region[r] = std::max(distanceDb(lowest[r]), distanceDb(highest[r]));
    return out;
}

bool doesHarm(const Deviations& band, const Deviations& plain) { return excess(band, plain) > kHarmAllowed; }

double score(const Deviations& band, const Deviations& plain) {
    const double harm = std::max(0.0, excess(band, plain) - kHarmAllowed);
    const double passBand = std::max(0.0, band.lowest - kPassBandAllowed);
    return band.largest() + kRuleWeight * (harm + passBand);
}

}  // namespace CorrectionHarm
