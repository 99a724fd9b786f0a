// Fidelity report: for every band kind, the largest deviation of the band's magnitude response
// (main IIR plus correction, designed by the same code as on the audio thread) from its analog model
// over a dense grid of knob settings at 44.1, 48, 88.2 and 96 kHz; beside it the same figure for the
// plain bilinear design and for the reference section at four times the rate, which the correction
// makes the band follow over its first taps (so its own deviation is what the tables have to work
// around). The grid is a log grid of frequencies with Q and gain steps, plus (full report) every
// quarter of a cell along the correction tables' axes, with gains in 0.5 dB steps: the blend of a
// cell's corners deviates most between grid points, where a log grid only passes by chance. Then, per
// band family, the pass-band offset (where the band has no business acting: 20 Hz and below, or
// the first-order high-pass at the top of the range) and the do-no-harm excess (by how much the
// corrected band's largest deviation in a region exceeds the plain bilinear band's in the same
// region), each with its worst setting. Last come the figures against their targets
// (kFidelityTargets, kHarmTargets).
//
//   tovin_fidelity [--short] [--check bounds.txt] [--floors floors.txt] [--record]
//
// --short uses a coarse grid (for sanitizer builds, where the full grid is slow); --check compares
// each corrected figure with the bound recorded for it in the file (lines "<figure> <rate> <bound
// dB>") and fails when one is exceeded; --record prints such lines for the current figures (with a
// small margin) instead of the report. Figures named "<figure>_delay" are group-delay deviations in
// samples: the corrections must add no latency. "passband_<family>" and "noharm_<family>" are the
// pass-band offsets and do-no-harm excesses. --floors prints, without failing, every figure above its
// line in a file of the same form: the figures of the tables before the pass band was held, which
// every search since aims to reach again.
#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "dsp/band_recipes.h"
#include "dsp/correction_tables.h"
#include "dsp/section_design.h"
#include "effect/parameter_tables.h"
#include "tools/response/analog_model.h"
#include "tools/response/band_response.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr float kRates[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f};
// The figures, in the report's order.
constexpr const char* kOrder[] = {"bell_6db",  "bell_15db_q2", "bell_q3_boost_hf", "bell_q3_cut_hf", "bell_all",
                                  "shelf_10k", "shelf_20k",    "lowpass6",         "lowpass12",      "highpass6",
                                  "air_vs_44k"};
// The band families of the pass-band and do-no-harm figures.
constexpr const char* kFamilies[] = {"bell", "shelf", "lowpass6", "lowpass12", "highpass6"};

// Regions of the do-no-harm figure (Hz): in each the corrected band may deviate from the analog model
// at most this much more than the plain bilinear band does there.
constexpr double kRegionEdges[] = {20.0, 5000.0, 10000.0};
constexpr int kRegions = static_cast<int>(std::size(kRegionEdges));
constexpr double kHarmTarget = 0.05;
// The pass band: where the analog response lies within this of its asymptote (the high-pass's top,
// or DC for the others, whose pass band is where they barely act), the band is held to the analog
// model within kPassBandTarget.
constexpr double kPassBandReach = 1.0;
constexpr double kDcPassBandReach = 0.1;
constexpr double kPassBandTarget = 0.02;
// Pass-band points at and below 20 Hz.
constexpr double kPassBandPoints[] = {20.0, 10.0, 5.0};

std::vector<double> logSpaced(double lo, double hi, int count) {
    std::vector<double> f(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) f[static_cast<size_t>(i)] = lo * std::pow(hi / lo, count > 1 ? i / double(count - 1) : 0.0);
    return f;
}

std::vector<double> linSpaced(double lo, double hi, int count) {
    std::vector<double> v(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) v[static_cast<size_t>(i)] = count > 1 ? lo + (hi - lo) * i / (count - 1) : lo;
    return v;
}

// A grid with one more point, where a band's knob range ends, unless it is already on it.
std::vector<double> withTop(std::vector<double> grid, double top) {
    if (std::find(grid.begin(), grid.end(), top) == grid.end())
        grid.insert(std::upper_bound(grid.begin(), grid.end(), top), top);
    return grid;
}

struct Figure {
    double corrected = 0.0, bilinear = 0.0, reference = 0.0;
    std::string where;  // the corrected figure's worst setting
    // Group-delay deviation from the analog model (samples), corrected and plain, where the analog
    // delay is short: there a deviation is delay the band adds, not a resonance measured slightly off.
    double delayCorrected = 0.0, delayPlain = 0.0;
    bool delayMeasured = false;
    // The same at the latency points alone (kLatencyPoints).
    double latencyCorrected = 0.0, latencyPlain = 0.0;
    std::string latencyWhere;
    std::string delayWhere;
};

// What each figure is held to, dB: at 44.1 and 48 kHz the figure's own target; at 88.2 and 96 kHz
// every band kind is held to 0.25 dB and the Air band to 0.5 dB of its 44.1 kHz sound. bell_all,
// every bell setting at once, has no target of its own (0: none).
struct Target {
    const char* figure;
    double base, doubleRate;
};
constexpr Target kFidelityTargets[] = {
    {"bell_6db", 0.15, 0.25},  {"bell_15db_q2", 0.25, 0.25}, {"bell_q3_boost_hf", 0.4, 0.25},
    {"bell_q3_cut_hf", 0.5, 0.25}, {"bell_all", 0.0, 0.0},   {"shelf_10k", 0.1, 0.25},
    {"shelf_20k", 0.25, 0.25}, {"lowpass6", 0.25, 0.25},     {"lowpass12", 0.25, 0.25},
    {"highpass6", 0.25, 0.25}, {"air_vs_44k", 0.5, 0.5},
};
constexpr bool targetsFollowTheOrder() {
    if (std::size(kFidelityTargets) != std::size(kOrder)) return false;
    for (size_t i = 0; i < std::size(kOrder); ++i)
        if (std::string_view(kFidelityTargets[i].figure) != kOrder[i]) return false;
    return true;
}
static_assert(targetsFollowTheOrder());

// Analog delays at or above this (samples), here or within 10 % of the frequency, are not compared:
// near a resonance's peak delay a small error in where the peak lies reads as many samples without
// adding any latency.
constexpr double kShortDelay = 4.0;
// The corrections add no latency: the group delay here stays within kLatencyTarget samples of the
// analog model's.
constexpr double kLatencyPoints[] = {100.0, 1000.0};
constexpr double kLatencyTarget = 0.25;

// Largest group-delay deviations (samples): over the grid and at the latency points.
struct DelayDeviation {
    double all = 0.0, latency = 0.0;
};

// The high-pass knob stops here; above it no user hears the first-order high-pass.
constexpr double kHighPassTop = param::kFreqHP.back();

// The shelves are also held to a tighter figure up to here.
constexpr double kLowBandTop = 10000.0;
constexpr int kShelfKinds[] = {BandKind::kHighShelf, BandKind::kLowShelf, BandKind::kHighShelfAlt, BandKind::kLowShelfAlt};

enum class Measured { kCorrected, kPlain, kReference };

// Largest deviations of one measurement (dB): up to kLowBandTop, over the whole range and in each
// region; the pass-band offset (below 0 where the setting has no pass band to hold).
struct Deviation {
    double low = 0.0, all = 0.0;
    double region[kRegions] = {};
    double passBand = -1.0;
};

// One band setting as measured: corrected and plain always (the do-no-harm figure compares them);
// at the reference (`compared`) on the log grid only.
struct Measures {
    Deviation corrected, plain, reference;
    bool compared = false;
};

int regionOf(double hz) {
    int r = 0;
    while (r + 1 < kRegions && hz >= kRegionEdges[r + 1]) ++r;
    return r;
}

// One band setting measured with and without correction, or its reference section alone; `floorDb`
// skips points where the analog response lies below it (pass filters).
struct Probe {
    float fs;
    std::vector<double> points;
    // The analog model at every point, worked out once for the measurements of a setting.
    std::vector<double> analogAt(int kind, float f, float q, float gain) const {
        std::vector<double> analog;
        analog.reserve(points.size());
        for (double x : points) analog.push_back(AnalogModel::magnitudeDb(kind, f, q, gain, x));
        return analog;
    }
    Deviation deviation(int kind, float f, float q, float gain, Measured what, const std::vector<double>& analog,
                        double floorDb) const {
        // Only what is measured is designed: the band, or its reference section alone.
        const double rate4 = 4.0 * fs;
        BandFilter band;
        BiquadCoefficients reference;
        if (what == Measured::kReference) {
            reference = designSection(runRecipe(kind, f, q, gain, fs).reference, rate4);
        } else {
            band.setSampleRate(fs);
            band.setCorrectionEnabled(what == Measured::kCorrected);
            BandResponse::design(band, {f, gain, q, kind});
        }
        Deviation worst;
        for (size_t i = 0; i < points.size(); ++i) {
            if (analog[i] < floorDb) continue;
            const double x = points[i];
            const double db =
                what == Measured::kReference
                    ? 20.0 * std::log10(std::abs(BandResponse::section(reference, std::polar(1.0, -2.0 * M_PI * x / rate4))))
                    : BandResponse::magnitudeDb(band, x);
            const double d = std::fabs(db - analog[i]);
            worst.all = std::max(worst.all, d);
            if (x <= kLowBandTop) worst.low = std::max(worst.low, d);
            double& region = worst.region[regionOf(x)];
            region = std::max(region, d);
        }
        if (what != Measured::kReference) worst.passBand = passBandOffset(band, kind, f, q, gain);
        return worst;
    }
    // The band against the analog model where the model lies within kPassBandReach of its
    // asymptote: at 20 Hz and below, or for the high-pass at the top of the range; below 0 where
    // it does not.
    double passBandOffset(const BandFilter& band, int kind, float f, float q, float gain) const {
        const auto model = [&](double x) { return AnalogModel::magnitudeDb(kind, f, q, gain, x); };
        if (kind == BandKind::kHighPass6) {
            const double top = points.back();
            if (model(top) < -kPassBandReach) return -1.0;
            return std::fabs(BandResponse::magnitudeDb(band, top) - model(top));
        }
        const double dc = 20.0 * std::log10(std::abs(AnalogModel::response(kind, f, q, gain, 0.0)));
        if (std::fabs(model(kPassBandPoints[0]) - dc) > kDcPassBandReach) return -1.0;
        double worst = 0.0;
        for (double x : kPassBandPoints) worst = std::max(worst, std::fabs(BandResponse::magnitudeDb(band, x) - model(x)));
        return worst;
    }
    Measures measure(int kind, float f, float q, float gain, bool compared, double floorDb = -1e9) const {
        const std::vector<double> analog = analogAt(kind, f, q, gain);
        Measures m;
        m.corrected = deviation(kind, f, q, gain, Measured::kCorrected, analog, floorDb);
        m.plain = deviation(kind, f, q, gain, Measured::kPlain, analog, floorDb);
        m.compared = compared;
        if (compared) m.reference = deviation(kind, f, q, gain, Measured::kReference, analog, floorDb);
        return m;
    }
    // The largest group-delay deviation (samples) of the band, corrected or plain, from the analog
    // model, at every third point where the analog delay is short and its response above `floorDb`.
    DelayDeviation delayDeviation(int kind, float f, float q, float gain, bool corrected, double floorDb) const {
        BandFilter band;
        band.setSampleRate(fs);
        band.setCorrectionEnabled(corrected);
        BandResponse::design(band, {f, gain, q, kind});
        const auto analogAt = [&](double y) { return AnalogModel::groupDelay(kind, f, q, gain, y) * fs; };
        // Short here and 10 % either side: where the delay swings through zero it is not short.
        const auto deviationAt = [&](double x) {
            if (AnalogModel::magnitudeDb(kind, f, q, gain, x) < floorDb) return 0.0;
            const double analog = analogAt(x);
            if (std::fabs(analog) >= kShortDelay || std::fabs(analogAt(x / 1.1)) >= kShortDelay ||
                std::fabs(analogAt(x * 1.1)) >= kShortDelay)
                return 0.0;
            return std::fabs(BandResponse::groupDelay(band, x) - analog);
        };
        DelayDeviation worst;
        for (size_t i = 0; i < points.size(); i += 3) worst.all = std::max(worst.all, deviationAt(points[i]));
        for (double x : kLatencyPoints) worst.latency = std::max(worst.latency, deviationAt(x));
        return worst;
    }
};

std::string settingText(float f, float q, float gain) {
    char text[96];
    std::snprintf(text, sizeof text, "%.0f Hz Q %.2f %+.2f dB", f, q, gain);
    return text;
}

// Counts a measured setting in a figure, to kLowBandTop with `low` or over the whole range.
void note(Figure& fig, const Measures& m, float f, float q, float gain, bool low = false) {
    const auto of = [&](const Deviation& d) { return low ? d.low : d.all; };
    if (of(m.corrected) > fig.corrected) {
        fig.corrected = of(m.corrected);
        fig.where = settingText(f, q, gain);
    }
    if (m.compared) {
        fig.bilinear = std::max(fig.bilinear, of(m.plain));
        fig.reference = std::max(fig.reference, of(m.reference));
    }
}

// Counts a measured setting in its family's pass-band figure (corrected / plain) and do-no-harm
// figure (the largest excess over the plain band's deviation in any region).
void noteHarm(Figure& passBand, Figure& harm, const Measures& m, float f, float q, float gain) {
    if (m.corrected.passBand >= 0.0) {
        if (m.corrected.passBand > passBand.corrected) {
            passBand.corrected = m.corrected.passBand;
            passBand.where = settingText(f, q, gain);
        }
        passBand.bilinear = std::max(passBand.bilinear, m.plain.passBand);
    }
    for (int r = 0; r < kRegions; ++r) {
        const double excess = m.corrected.region[r] - m.plain.region[r];
        if (excess > harm.corrected) {
            harm.corrected = excess;
            char text[48];
            std::snprintf(text, sizeof text, " (%.0f Hz up: %.2f vs %.2f)", kRegionEdges[r], m.corrected.region[r],
                          m.plain.region[r]);
            harm.where = settingText(f, q, gain) + text;
        }
    }
}

// Measures the group delay of a setting into a figure, corrected and plain.
void noteDelay(Figure& fig, const Probe& p, int kind, float f, float q, float gain, double floorDb = -1e9) {
    fig.delayMeasured = true;
    const DelayDeviation d = p.delayDeviation(kind, f, q, gain, true, floorDb);
    if (d.all > fig.delayCorrected) {
        fig.delayCorrected = d.all;
        fig.delayWhere = settingText(f, q, gain);
    }
    if (d.latency > fig.latencyCorrected) {
        fig.latencyCorrected = d.latency;
        fig.latencyWhere = settingText(f, q, gain);
    }
    const DelayDeviation plain = p.delayDeviation(kind, f, q, gain, false, floorDb);
    fig.delayPlain = std::max(fig.delayPlain, plain.all);
    fig.latencyPlain = std::max(fig.latencyPlain, plain.latency);
}

// Settings a quarter of a cell apart along a correction table's axis, scaled as the band scales it,
// within [lo, hi] (and hi itself): the blends between cells deviate most there, where the log grid
// passes by chance.
template <size_t N>
std::vector<double> betweenCells(const std::array<float, N>& axis, double scale, double lo, double hi) {
    std::vector<double> v;
    for (size_t i = 0; i < N; ++i)
        for (int k = 0; k < (i + 1 < N ? 4 : 1); ++k) {
            const double x = scale * (i + 1 < N ? axis[i] + (axis[i + 1] - axis[i]) * k / 4.0 : axis[i]);
            if (x >= lo && x <= hi) v.push_back(x);
        }
    if (v.empty() || v.back() < hi) v.push_back(hi);
    return v;
}

// The Air band's response below 20 kHz against the same knob gain at 44.1 kHz.
double airDifference(float fs, float gain, const std::vector<double>& points) {
    BandFilter here, base;
    here.setSampleRate(fs);
    base.setSampleRate(44100.0f);
    BandResponse::design(here, {300000.0f, gain, 0.0f, BandKind::kBell});
    BandResponse::design(base, {300000.0f, gain, 0.0f, BandKind::kBell});
    double worst = 0.0;
    for (double x : points)
        if (x <= 20000.0) worst = std::max(worst, std::fabs(BandResponse::magnitudeDb(here, x) - BandResponse::magnitudeDb(base, x)));
    return worst;
}

using Figures = std::map<std::string, Figure>;

// Every figure at one rate. The log grid measures each setting corrected, plain and at the reference;
// the full report adds settings a quarter of a cell apart along the correction tables' axes
// (corrected only), where the blend of a cell's corners deviates most.
Figures measureRate(float fs, bool brief) {
    Figures fig;
    for (const char* name : kOrder) fig[name];
    for (const char* family : kFamilies) fig[std::string("passband_") + family], fig[std::string("noharm_") + family];
    const auto harm = [&](const char* family, const Measures& m, float f, float q, float gain) {
        noteHarm(fig[std::string("passband_") + family], fig[std::string("noharm_") + family], m, f, q, gain);
    };
    const Probe p{fs, logSpaced(20.0, std::min(20000.0, 0.45 * fs), 300)};
    const int nf = brief ? 13 : 61;
    // The short grid is a subset of the full one, so the bounds recorded from the full grid hold for it.
    const std::vector<double> bellQs = brief ? std::vector<double>{0.1, 0.42, 1, 1.7, 3, 7}
                                             : std::vector<double>{0.1, 0.15, 0.2, 0.3, 0.42, 0.5, 0.7, 0.85, 1, 1.2,
                                                                   1.4, 1.7, 2, 2.5, 3, 4, 5, 6, 7};
    const std::vector<double> shelfQs = brief ? std::vector<double>{0.3, 0.6, 1.2, 2}
                                              : std::vector<double>{0.3, 0.4, 0.52, 0.6, 0.7, 0.85, 1, 1.2, 1.4, 1.7, 2};
    const std::vector<double> gains = linSpaced(-15, 15, brief ? 11 : 21);

    const auto bell = [&](float f, float q, double knob, bool compared) {
        const float gain = bellGainForQ(static_cast<float>(knob), q);
        const Measures m = p.measure(BandKind::kBell, f, q, gain, compared);
        note(fig["bell_all"], m, f, q, gain);
        if (std::fabs(knob) <= 6.0) note(fig["bell_6db"], m, f, q, gain);
        if (q <= 2.0f) note(fig["bell_15db_q2"], m, f, q, gain);
        if (q >= 3.0f && knob == 15.0 && f >= 12000.0f && f <= 18000.0f) note(fig["bell_q3_boost_hf"], m, f, q, gain);
        if (q >= 3.0f && knob >= -15.0 && knob <= -6.0 && f >= 5000.0f && f <= 15500.0f) note(fig["bell_q3_cut_hf"], m, f, q, gain);
        harm("bell", m, f, q, gain);
    };
    const auto shelf = [&](float f, float q, float gain, bool compared) {
        for (int kind : kShelfKinds) {
            const Measures m = p.measure(kind, f, q, gain, compared);
            note(fig["shelf_10k"], m, f, q, gain, true);
            note(fig["shelf_20k"], m, f, q, gain);
            harm("shelf", m, f, q, gain);
        }
    };
    const auto pass = [&](int kind, const char* name, float f, float q, bool compared) {
        const Measures m = p.measure(kind, f, q, 0.0f, compared, -24.0);
        note(fig[name], m, f, q, 0.0f);
        harm(name, m, f, q, 0.0f);
    };

    for (double fd : withTop(logSpaced(20.0, 20000.0, nf), kHighPassTop)) {
        const auto f = static_cast<float>(fd);
        for (double q : bellQs)
            for (double knob : gains) {
                bell(f, static_cast<float>(q), knob, true);
                noteDelay(fig["bell_all"], p, BandKind::kBell, f, static_cast<float>(q),
                          bellGainForQ(static_cast<float>(knob), static_cast<float>(q)));
            }
        for (double q : shelfQs)
            for (double gain : gains) {
                shelf(f, static_cast<float>(q), static_cast<float>(gain), true);
                for (int kind : kShelfKinds)
                    noteDelay(fig["shelf_20k"], p, kind, f, static_cast<float>(q), static_cast<float>(gain));
            }
        pass(BandKind::kLowPass6, "lowpass6", f, 0.7f, true);
        noteDelay(fig["lowpass6"], p, BandKind::kLowPass6, f, 0.7f, 0.0f, -24.0);
        if (f <= kHighPassTop) {
            pass(BandKind::kHighPass6, "highpass6", f, 0.7f, true);
            noteDelay(fig["highpass6"], p, BandKind::kHighPass6, f, 0.7f, 0.0f, -24.0);
        }
        for (double v : linSpaced(0.0, 1.0, brief ? 3 : 9)) {
            const float q = passBandQLowPass(static_cast<float>(v), f);
            pass(BandKind::kLowPass12, "lowpass12", f, q, true);
            noteDelay(fig["lowpass12"], p, BandKind::kLowPass12, f, q, 0.0f, -24.0);
        }
    }
    for (double f : logSpaced(12000.0, 18000.0, brief ? 4 : 13))
        for (double q : {3.0, 4.0, 5.0, 7.0})
            note(fig["bell_q3_boost_hf"], p.measure(BandKind::kBell, f, q, bellGainForQ(15.0f, static_cast<float>(q)), true), f,
                 q, bellGainForQ(15.0f, static_cast<float>(q)));
    for (double f : logSpaced(5000.0, 15500.0, brief ? 4 : 13))
        for (double q : {3.0, 3.5, 4.0, 5.0, 7.0})
            for (double knob : {-15.0, -12.0, -9.0, -6.0}) {
                const float gain = bellGainForQ(static_cast<float>(knob), static_cast<float>(q));
                const Measures m = p.measure(BandKind::kBell, static_cast<float>(f), static_cast<float>(q), gain, true);
                note(fig["bell_q3_cut_hf"], m, static_cast<float>(f), static_cast<float>(q), gain);
                harm("bell", m, static_cast<float>(f), static_cast<float>(q), gain);
            }

    if (!brief) {
        namespace T = CorrectionTables;
        const double scale = fs / 44100.0;
        const std::vector<double> knobs = linSpaced(-15, 15, 61);
        for (double f : betweenCells(T::kBellFrequencies, scale, 20.0, 20000.0))
            for (double q : betweenCells(T::kBellQs, 1.0, param::kQBell.front(), param::kQBell.back()))
                for (double knob : knobs) bell(static_cast<float>(f), static_cast<float>(q), knob, false);
        for (double f : betweenCells(T::kShelfFrequencies, scale, 20.0, 20000.0))
            for (double q : betweenCells(T::kShelfQs, 1.0, param::kQShelf.front(), param::kQShelf.back()))
                for (double gain : knobs) shelf(static_cast<float>(f), static_cast<float>(q), static_cast<float>(gain), false);
        for (double f : betweenCells(T::kLowPassFrequencies, scale, 20.0, 20000.0)) {
            pass(BandKind::kLowPass6, "lowpass6", static_cast<float>(f), 0.7f, false);
            for (double v : linSpaced(0.0, 1.0, 17))
                pass(BandKind::kLowPass12, "lowpass12", static_cast<float>(f), passBandQLowPass(static_cast<float>(v), f), false);
        }
        for (double f : betweenCells(T::kHighPass1Frequencies, scale, 20.0, kHighPassTop))
            pass(BandKind::kHighPass6, "highpass6", static_cast<float>(f), 0.7f, false);
    }

    Figure& a = fig["air_vs_44k"];
    for (double knob : linSpaced(-15, 15, brief ? 13 : 61)) a.corrected = std::max(a.corrected, airDifference(fs, knob, p.points));
    return fig;
}

// Prints every figure above its bound in a file of "<figure> <rate> <bound>" lines, each headed by
// `label`, and returns how many there were (-1 when the file cannot be read).
int exceeded(const std::string& file, const std::map<std::string, std::vector<Figure>>& figures, const char* label) {
    std::ifstream in(file);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return -1;
    }
    int count = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        std::string name;
        double rate = 0, bound = 0;
        if (!(s >> name >> rate >> bound)) continue;
        const std::string suffix = "_delay";
        const bool delay = name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        const std::string base = delay ? name.substr(0, name.size() - suffix.size()) : name;
        const auto found = figures.find(base);
        if (found == figures.end()) continue;
        for (size_t r = 0; r < std::size(kRates); ++r) {
            const Figure& f = found->second[r];
            const double value = delay ? f.delayCorrected : f.corrected;
            if (std::fabs(kRates[r] - rate) < 1.0 && value > bound) {
                std::printf("%s %s at %.0f Hz: %.3f %s > %.3f\n", label, name.c_str(), rate, value,
                            delay ? "samples" : "dB", bound);
                ++count;
            }
        }
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    bool brief = false, record = false;
    std::string boundsFile, floorsFile;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--short") brief = true;
        else if (a == "--record") record = true;
        else if (a == "--check" && i + 1 < argc) boundsFile = argv[++i];
        else if (a == "--floors" && i + 1 < argc) floorsFile = argv[++i];
        else {
            std::fprintf(stderr, "usage: tovin_fidelity [--short] [--check bounds.txt] [--floors floors.txt] [--record]\n");
            return 2;
        }
    }

    // figure -> per rate; each rate is measured on its own thread into its own figures.
    std::vector<Figures> perRate(std::size(kRates));
    {
        std::vector<std::thread> threads;
        for (size_t r = 0; r < std::size(kRates); ++r)
            threads.emplace_back([&perRate, r, brief] { perRate[r] = measureRate(kRates[r], brief); });
        for (auto& t : threads) t.join();
    }
    std::map<std::string, std::vector<Figure>> figures;
    for (const auto& [name, figure] : perRate[0])
        for (const Figures& f : perRate) figures[name].push_back(f.at(name));
    const auto harmNames = [] {
        std::vector<std::string> names;
        for (const char* prefix : {"passband_", "noharm_"})
            for (const char* family : kFamilies) names.push_back(prefix + std::string(family));
        return names;
    }();

    // Air at 0 dB: its taps.
    double airTaps = 0.0;
    for (float fs : kRates) {
        BandFilter air;
        air.setSampleRate(fs);
        BandResponse::design(air, {300000.0f, 0.0f, 0.0f, BandKind::kBell});
        for (int k = 0; k < air.correctionInUse(); ++k) airTaps = std::max(airTaps, static_cast<double>(std::fabs(air.taps()[k])));
    }

    if (record) {
        std::printf("# Fidelity bounds, dB: recorded by tovin_fidelity --record%s for the committed correction tables.\n",
                    brief ? " --short" : "");
        for (const char* name : kOrder)
            for (size_t r = 0; r < std::size(kRates); ++r)
                std::printf("%s %.0f %.3f\n", name, kRates[r], figures[name][r].corrected * 1.05 + 0.005);
        for (const char* name : kOrder)
            if (figures[name][0].delayMeasured)
                for (size_t r = 0; r < std::size(kRates); ++r)
                    std::printf("%s_delay %.0f %.3f\n", name, kRates[r], figures[name][r].delayCorrected * 1.05 + 0.005);
        for (const std::string& name : harmNames)
            for (size_t r = 0; r < std::size(kRates); ++r)
                std::printf("%s %.0f %.3f\n", name.c_str(), kRates[r], figures[name][r].corrected * 1.05 + 0.005);
        return 0;
    }

    std::printf("Largest deviation from the analog model, dB (corrected / plain bilinear / reference at 4 fs), 20 Hz to "
                "min(20 kHz, 0.45 fs)%s\n",
                brief ? ", short grid" : "");
    std::printf("%-18s", "figure");
    for (float fs : kRates) std::printf(" %24.1f", fs / 1000.0f);
    std::printf("   worst setting at 44.1 kHz\n");
    for (const char* name : kOrder) {
        std::printf("%-18s", name);
        for (const Figure& f : figures[name]) std::printf("   %6.3f / %6.3f / %5.3f", f.corrected, f.bilinear, f.reference);
        std::printf("   %s\n", figures[name][0].where.c_str());
    }
    std::printf("Largest group-delay deviation from the analog model, samples (corrected / plain), where the analog "
                "delay stays under %.0f samples\n", kShortDelay);
    for (const char* name : kOrder) {
        if (!figures[name][0].delayMeasured) continue;
        std::printf("%-18s", name);
        for (const Figure& f : figures[name]) std::printf("   %6.3f / %6.3f        ", f.delayCorrected, f.delayPlain);
        std::printf("   %s\n", figures[name][0].delayWhere.c_str());
    }
    std::printf("The same at 100 Hz and 1 kHz alone (latency; target %.2f samples)\n", kLatencyTarget);
    for (const char* name : kOrder) {
        if (!figures[name][0].delayMeasured) continue;
        std::printf("%-18s", name);
        for (const Figure& f : figures[name]) std::printf("   %6.3f / %6.3f        ", f.latencyCorrected, f.latencyPlain);
        std::printf("   %s\n", figures[name][0].latencyWhere.c_str());
    }
    std::printf("air at 0 dB: largest tap %.3g (transparent when 0)\nworst settings at 48, 88.2 and 96 kHz:\n", airTaps);
    for (const char* name : kOrder) {
        std::printf("%-18s", name);
        for (size_t r = 1; r < std::size(kRates); ++r) std::printf("   %-28s", figures[name][r].where.c_str());
        std::printf("\n");
    }

    std::printf("Pass-band offset from the analog model, dB (corrected / plain), at 20 Hz and below where the "
                "model lies within %.1f dB of its DC gain, the high-pass at the top of the range (within %.0f dB); do-no-harm "
                "excess, dB: the corrected band's largest deviation in a region (20 Hz, 5 kHz, 10 kHz up) less "
                "the plain band's there\n", kDcPassBandReach, kPassBandReach);
    for (const std::string& name : harmNames) {
        const bool pass = name.rfind("passband_", 0) == 0;
        std::printf("%-18s", name.c_str());
        for (const Figure& f : figures[name])
            pass ? std::printf("   %6.3f / %6.3f        ", f.corrected, f.bilinear) : std::printf("   %6.3f                 ", f.corrected);
        std::printf("   %s\n", figures[name][0].where.c_str());
    }
    std::printf("worst settings at 48, 88.2 and 96 kHz:\n");
    for (const std::string& name : harmNames) {
        std::printf("%-18s", name.c_str());
        for (size_t r = 1; r < std::size(kRates); ++r) std::printf("   %s", figures[name][r].where.c_str());
        std::printf("\n");
    }

    std::printf("against the targets, dB (44.1 and 48 kHz / 88.2 and 96 kHz; \"met\", or how far off):\n");
    for (const Target& t : kFidelityTargets) {
        if (t.base <= 0.0) continue;
        std::printf("%-18s   %4.2f / %4.2f", t.figure, t.base, t.doubleRate);
        for (size_t r = 0; r < std::size(kRates); ++r) {
            const double target = kRates[r] > 50000.0f ? t.doubleRate : t.base;
            const double value = figures[t.figure][r].corrected;
            if (value <= target) std::printf("   %8s", "met");
            else std::printf("   %+8.3f", value - target);
        }
        std::printf("\n");
    }
    for (const std::string& name : harmNames) {
        const double target = name.rfind("passband_", 0) == 0 ? kPassBandTarget : kHarmTarget;
        std::printf("%-18s   %4.2f / %4.2f", name.c_str(), target, target);
        for (size_t r = 0; r < std::size(kRates); ++r) {
            const double value = figures[name][r].corrected;
            if (value <= target) std::printf("   %8s", "met");
            else std::printf("   %+8.3f", value - target);
        }
        std::printf("\n");
    }

    int failures = 0;
    if (!floorsFile.empty()) {
        const int below = exceeded(floorsFile, figures, "WORSE THAN FLOOR");
        if (below < 0) return 2;
        std::printf(below ? "%d figures above the floors of the analog-matched tables (reported, not failed)\n"
                          : "every figure within the floors of the analog-matched tables\n", below);
    }
    if (!boundsFile.empty()) {
        failures = exceeded(boundsFile, figures, "REGRESSION");
        if (failures < 0) return 2;
        if (airTaps > 0.0) {
            std::printf("REGRESSION: the Air band at 0 dB has non-zero taps\n");
            ++failures;
        }
        std::printf(failures ? "%d figures regressed\n" : "all figures within their bounds\n", failures);
    }
    return failures ? 1 : 0;
}
