#include "tools/correction_optimiser/scoring.h"

#include "dsp/band_filter.h"
#include "tools/response/analog_model.h"
#include "tools/response/band_response.h"

#include <algorithm>
#include <cmath>

namespace Scoring {
namespace {
constexpr double kLowBandTop = 10000.0;

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
}

double deviation(const CorrectionTables::Set& set, const Grid& g, const Setting& s, bool correct, double bound) {
    double worst = 0.0;
    const double perFull = 1.0 / s.fullTarget;
    const double perLow = s.lowTarget > 0.0 ? 1.0 / s.lowTarget : perFull;
    designAndVisit(set, g, s, correct, [&](size_t i, double d) {
        worst = std::max(worst, d * (g.hz[i] <= kLowBandTop ? std::max(perFull, perLow) : perFull));
        return worst <= bound;
    });
    return worst;
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
