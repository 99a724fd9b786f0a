#include "tools/correction_optimiser/scoring.h"

#include "dsp/band_filter.h"
#include "dsp/band_kind.h"
#include "tools/response/analog_model.h"
#include "tools/response/band_response.h"

#include <algorithm>
#include <cmath>

namespace Scoring {
namespace {
constexpr double kLowBandTop = 10000.0;
// The rules on top of the targets (dB): the pass band within kPassBandAllowed of the analog model
// where the model lies within kPassBandReach of its asymptote; no region more than kHarmAllowed
// beyond the plain band. Each decibel beyond costs kRuleWeight units of target.
constexpr double kPassBandReach = 1.0;  // the high-pass at the top
constexpr double kDcPassBandReach = 0.1;  // the others at 20 Hz, where they barely act
using CorrectionHarm::kHarmAllowed;
using CorrectionHarm::kPassBandAllowed;
constexpr double kRuleWeight = 40.0;

int regionOf(double hz) {
    int r = 0;
    while (r + 1 < kRegions && hz >= kRegionEdges[static_cast<size_t>(r + 1)]) ++r;
    return r;
}

// The band's response in dB at one point, from what it runs.
double magnitudeDb(const BandFilter& band, Complex z1) {
    const auto sec = [&](const BiquadCoefficients& c) { return BandResponse::section(c, z1); };
    const Complex h = sec(band.section(0).target()) * sec(band.section(1).target());
    Complex fir(0.0, 0.0), zk(1.0, 0.0);
    for (int k = 0; k < band.correctionInUse(); ++k, zk *= z1) fir += static_cast<double>(band.taps()[k]) * zk;
    const Complex total = (h + fir) * sec(band.section(2).target()) * static_cast<double>(band.outputGainTarget());
    return 10.0 * std::log10(std::norm(total) + 1e-300);
}

template <typename Visit>
void designAndVisit(const CorrectionTables::Set& set, const Grid& g, const Setting& s, bool correct, Visit visit) {
    BandFilter band;
    band.setSampleRate(g.fs);
    band.setCorrectionTables(&set);
    band.setCorrectionEnabled(correct);
    band.setPlainFallback(s.fallback);
    BandResponse::design(band, {s.f, s.gain, s.q, s.kind});
    // From the top down: the large deviations lie high, so a hopeless candidate is dropped early.
    for (size_t i = g.hz.size(); i-- > 0;) {
        if (s.analog[i] < s.floorDb) continue;
        if (!visit(i, std::fabs(magnitudeDb(band, g.z1[i]) - s.analog[i]))) return;
    }
}
}  // namespace

Grid::Grid(float rate) : fs(rate) {
    const double top = std::min(20000.0, 0.45 * rate);
    for (int i = 0; i < 300; ++i) {
        const double f = 20.0 * std::pow(top / 20.0, i / 299.0);
        hz.push_back(f);
        z1.push_back(std::polar(1.0, -2.0 * AnalogModel::kPi * f / rate));
    }
}

void Setting::prepare(const Grid& g) {
    analog.clear();
    for (double x : g.hz) analog.push_back(AnalogModel::magnitudeDb(kind, f, q, gain, x));
    // The pass band: the high-pass at the top of the grid, other bands at its foot.
    const double asymptote = kind == BandKind::kHighPass6 ? 0.0 : 20.0 * std::log10(std::abs(AnalogModel::response(kind, f, q, gain, 0.0)));
    const int point = kind == BandKind::kHighPass6 ? static_cast<int>(g.hz.size()) - 1 : 0;
    const double reach = kind == BandKind::kHighPass6 ? kPassBandReach : kDcPassBandReach;
    passBandPoint = std::fabs(analog[static_cast<size_t>(point)] - asymptote) <= reach ? point : -1;
    for (double& r : plainRegion) r = 0.0;
    const CorrectionTables::Set none{};
    designAndVisit(none, g, *this, false, [&](size_t i, double d) {
        double& r = plainRegion[regionOf(g.hz[i])];
        r = std::max(r, d);
        return true;
    });
}

double deviation(const CorrectionTables::Set& set, const Grid& g, const Setting& s, bool correct, double bound, double* rules) {
    if (rules != nullptr) *rules = 0.0;
    double worst = 0.0;
    const double perFull = 1.0 / s.fullTarget;
    const double perLow = s.lowTarget > 0.0 ? 1.0 / s.lowTarget : perFull;
    double region[kRegions] = {}, passBand = 0.0;
    bool whole = true;
    designAndVisit(set, g, s, correct, [&](size_t i, double d) {
        worst = std::max(worst, d * (g.hz[i] <= kLowBandTop ? std::max(perFull, perLow) : perFull));
        double& r = region[regionOf(g.hz[i])];
        r = std::max(r, d);
        if (static_cast<int>(i) == s.passBandPoint) passBand = d;
        whole = worst <= bound;
        return whole;
    });
    // Stopped early, the candidate is out anyway; only a whole scan has every region's figure.
    if (!whole || !correct || !s.rules) return worst;
    double broken = kRuleWeight * std::max(0.0, passBand - kPassBandAllowed);
    for (int r = 0; r < kRegions; ++r) broken += kRuleWeight * std::max(0.0, region[r] - s.plainRegion[r] - kHarmAllowed);
    if (rules != nullptr) *rules = broken;
    return worst + broken;
}

double deviationDb(const CorrectionTables::Set& set, const Grid& g, const Setting& s, bool correct) {
    double worst = 0.0;
    designAndVisit(set, g, s, correct, [&](size_t, double d) {
        worst = std::max(worst, d);
        return true;
    });
    return worst;
}

double penalty(const CorrectionTables::Cell& c) {
    return 0.002 * c.length + 0.2 * std::fabs(c.kernelPhase - 0.5f) +
           0.05 * (std::fabs(std::log(c.frequencyScale)) + std::fabs(std::log(c.q1Scale))) + 0.02 * std::fabs(c.gainOffset) +
           std::fabs(c.outputGain - 1.0f);
}
}  // namespace Scoring
