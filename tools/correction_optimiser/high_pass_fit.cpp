#include "tools/correction_optimiser/high_pass_fit.h"

#include "dsp/band_kind.h"
#include "dsp/band_recipes.h"

#include <cmath>
#include <cstdio>

namespace HighPassFit {
namespace {
namespace T = CorrectionTables;

constexpr double kRate = 44100.0;
constexpr int kPoints = 240;  // log-spaced from 20 Hz to 20 kHz
constexpr float kScaleLow = 0.8f, kScaleHigh = 1.2f;
constexpr float kCoarseStep = 1e-3f, kFineStep = 1e-6f;

double worstOf(const T::Set* set, float f) {
    const BandRecipe r = runRecipe(BandKind::kHighPass6, f, 0.7f, 0.0f, static_cast<float>(kRate), set);
    const BiquadCoefficients c = designSection(r.main, kRate);
    double worst = 0.0;
    for (int i = 0; i <= kPoints; ++i) {
        const double at = 20.0 * std::pow(1000.0, static_cast<double>(i) / kPoints);
        const double ratio = at / f;
        const double model = ratio / std::sqrt(1.0 + ratio * ratio);
        worst = std::max(worst, std::fabs(20.0 * std::log10(r.outputGainTarget * BiquadMath::magnitude(c, at, kRate) / model)));
    }
    return worst;
}

// The scale between low and high, in steps, with the smallest largest deviation.
float scan(WorkingTables& tables, int index, float low, float high, float step) {
    T::Cell& cell = tables.highPass1[static_cast<size_t>(index)];
    float best = cell.frequencyScale;
    double bestWorst = 1e30;
    const int steps = static_cast<int>(std::lround((high - low) / step));
    for (int k = 0; k <= steps; ++k) {
        const float s = low + static_cast<float>(k) * step;
        cell.frequencyScale = s;
        const double w = worstDb(tables, T::kHighPass1Frequencies[static_cast<size_t>(index)]);
        if (w < bestWorst) bestWorst = w, best = s;
    }
    cell.frequencyScale = best;
    return best;
}

}  // namespace

double worstDb(const WorkingTables& tables, float f) {
    const T::Set set = tables.set();
    return worstOf(&set, f);
}

int fitPointsWithoutTaps(WorkingTables& tables, OptimiserState& state) {
    int fitted = 0;
    for (int i = 0; i < static_cast<int>(T::kHighPass1Frequencies.size()); ++i) {
        if (T::HighPass1::kLength[static_cast<size_t>(i)] != 0) continue;
        T::Cell& cell = tables.highPass1[static_cast<size_t>(i)];
        cell.outputGain = 1.0f;  // the runtime holds the pass band with the gain
        const float coarse = scan(tables, i, kScaleLow, kScaleHigh, kCoarseStep);
        scan(tables, i, coarse - kCoarseStep, coarse + kCoarseStep, kFineStep);
        const float f = T::kHighPass1Frequencies[static_cast<size_t>(i)];
        const double worst = worstDb(tables, f), plain = worstOf(nullptr, f);
        state.finishCell(tables, "highpass1", i, cell, worst, plain);
        std::printf("fit highpass1 f %.0f: scale %.6f, %.4f dB (plain %.4f)\n", f, cell.frequencyScale, worst, plain);
        ++fitted;
    }
    return fitted;
}

}  // namespace HighPassFit
