#include "dsp/correction_harm.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace CorrectionHarm {
namespace {
using Complex = std::complex<double>;

// sum of taps[k] z1^k, by Horner's rule from the last tap.
Complex taps(const float* t, int n, Complex z1) {
    Complex sum(0.0, 0.0);
    for (int k = n; k-- > 0;) sum = sum * z1 + static_cast<double>(t[k]);
    return sum;
}

// A section's response at z1, its division written out: the library's complex division guards
// against overflow at a cost this loop need not pay (the denominators here are never near 0 or
// infinity).
Complex sectionAt(const BiquadCoefficients& c, Complex z1) {
    const Complex num = c.b0 + z1 * (c.b1 + z1 * c.b2);
    const Complex den = c.a0 + z1 * (c.a1 + z1 * c.a2);
    return num * std::conj(den) / std::norm(den);
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

Complex responseAt(const Candidate& band, Complex z1) {
    return (sectionAt(band.first, z1) * sectionAt(band.second, z1) + taps(band.taps, band.length, z1)) * band.outputGain;
}

double Deviations::largest() const { return *std::max_element(region.begin(), region.end()); }

void Grid::setRate(float fs) {
    const double rate = fs;
    const double top = std::min(kTop, kTopFraction * rate);
    for (int i = 0; i < kPoints; ++i) {
        const double hz = kRegionEdges[0] * std::pow(top / kRegionEdges[0], i / static_cast<double>(kPoints - 1));
        const double w = 2.0 * BiquadMath::kPi * hz / rate;
        const size_t k = static_cast<size_t>(i);
        z1Real[k] = std::cos(w), z1Imag[k] = -std::sin(w);
        modelZ1[k] = std::polar(1.0, -w / kModelRateFactor);
        region[k] = static_cast<unsigned char>(regionOf(hz));
    }
}

ModelPower modelPower(const BiquadCoefficients& model, const Grid& grid, double floorDb, int stride) {
    const double floorPower = std::pow(10.0, floorDb / 10.0);
    ModelPower power{};
    for (size_t i = 0; i < kPoints; i += static_cast<size_t>(stride)) {
        const Complex z1 = grid.modelZ1[i];
        const double p = std::norm(model.b0 + z1 * (model.b1 + z1 * model.b2)) / std::norm(model.a0 + z1 * (model.a1 + z1 * model.a2));
        power[i] = p >= floorPower ? p : 0.0;
    }
    return power;
}

Deviations deviations(const Candidate& band, const ModelPower& model, const Grid& grid) {
    // The extremes of |band|^2 / |model|^2 per region: the logarithms are taken once at the end.
    std::array<double, kRegions> lowest, highest;
    lowest.fill(1.0), highest.fill(1.0);
    // The taps' response at every point, by Horner's rule from the last tap, the points innermost so
    // that the sums run in vectors.
    std::array<double, kPoints> re{}, im{};
    for (int k = band.length; k-- > 0;) {
        const double t = band.taps[k];
        for (size_t i = 0; i < kPoints; ++i) {
            const double r = re[i] * grid.z1Real[i] - im[i] * grid.z1Imag[i] + t;
            im[i] = re[i] * grid.z1Imag[i] + im[i] * grid.z1Real[i];
            re[i] = r;
        }
    }
    Deviations out;
    for (size_t i = 0; i < kPoints; ++i) {
        if (!(model[i] > 0.0)) continue;
        const Complex z1(grid.z1Real[i], grid.z1Imag[i]);
        const Complex h = (sectionAt(band.first, z1) * sectionAt(band.second, z1) + Complex(re[i], im[i])) * band.outputGain;
        const double ratio = std::norm(h) / model[i];
        if (i == 0) out.lowest = distanceDb(ratio);
        const size_t r = grid.region[i];
        lowest[r] = std::min(lowest[r], ratio);
        highest[r] = std::max(highest[r], ratio);
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
