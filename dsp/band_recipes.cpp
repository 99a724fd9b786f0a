#include "dsp/band_recipes.h"

#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "dsp/correction_harm.h"
#include "dsp/correction_lookup.h"

#include <algorithm>
#include <cmath>

namespace {
namespace P = SectionPrototype;
namespace T = CorrectionTables;
using CorrectionLookup::Bracket;
using CorrectionLookup::Corners;
using CorrectionLookup::onGrid;

SectionDesign section(float f, float q, float gain, int prototype) { return {f, q, q, gain, prototype}; }

// Takes a looked-up cell into the recipe: the correction's settings and the main section's
// adjustments. `mirrored` is the low shelf read through the high-shelf tables with its gain reversed;
// `blocksDc` a band that passes nothing at DC.
void apply(BandRecipe& r, const T::Cell& c, bool mirrored = false, bool blocksDc = false) {
    r.correction.length = c.length;
    r.correction.kernelPhase = c.kernelPhase;
    r.correction.kernelLengthIndex = c.kernelLengthIndex < 0 ? 0
                                     : c.kernelLengthIndex >= static_cast<int>(T::kKernelLengths.size())
                                         ? static_cast<int>(T::kKernelLengths.size()) - 1
                                         : c.kernelLengthIndex;
    r.correction.flatTaps = c.flatTaps;
    // Without taps nothing could make up the DC gain an output gain would move (a band that blocks
    // DC has none to move).
    r.outputGainTarget = c.length > 0 || blocksDc ? c.outputGain : 1.0f;
    r.correction.nearDc = NearDcRule::kGain;
    r.correction.yieldsToPlain = !blocksDc;
    SectionDesign& m = r.main;
    const float q2 = m.q2 > 0.0f ? m.q2 : m.q1;
    m.frequency *= c.frequencyScale;
    if (c.q1Scale > 0.0f) m.q1 *= c.q1Scale;
    if (c.q2Scale > 0.0f) m.q2 = q2 * c.q2Scale;
    // The low shelf keeps the band's gain: it is then the high shelf of the reversed gain times that
    // gain, correction and all.
    if (!mirrored) m.gain += c.gainOffset;
    if (c.prototype == T::kIirOff) {
        r.iirActive = false;
    } else if (c.prototype != T::kKeepPrototype) {
        m.prototype = mirrored ? P::kLowShelfMid : c.prototype;
    }
}

// A cell looked up over one frequency axis and optional Q and gain axes.
template <size_t F, size_t Q>
bool lookup(const T::Table& table, const std::array<float, F>& frequencies, const std::array<float, Q>* qs,
            bool gainAxis, float f, float q, float gain, float scale, T::Cell& out) {
    bool below = false;
    Bracket b[3];
    int size[3];
    int axes = 0;
    b[axes] = onGrid(frequencies, f, scale, &below);
    size[axes++] = static_cast<int>(F);
    if (below) return false;
    if (qs != nullptr) {
        b[axes] = onGrid(*qs, q, 1.0f);
        size[axes++] = static_cast<int>(Q);
    }
    if (gainAxis) {
        b[axes] = CorrectionLookup::onGainAxis(gain);
        size[axes++] = T::kGainSteps;
    }
    out = CorrectionLookup::blend(CorrectionLookup::cellCorners(table, b, size, axes));
    return true;
}

// The top of the range at which a first-order high-pass's pass band is held: 20 kHz, or 0.45 fs
// where that lies lower.
constexpr double kHighPassTopHz = 20000.0;
constexpr double kHighPassTopFraction = 0.45;

double highPass1Top(float fs) { return std::min(kHighPassTopHz, kHighPassTopFraction * fs); }

// The analog first-order high-pass's magnitude at hz (cut-off f).
double highPass1Analog(float f, double hz) {
    const double ratio = hz / f;
    return ratio / std::sqrt(1.0 + ratio * ratio);
}

// The output gain that puts a first-order high-pass on its analog model (cut-off f) at the top of the
// range: the design in z falls short of its pass band by up to a few tenths of a dB there, and a band
// without taps has nothing else to make it up.
float highPass1TopGain(const SectionDesign& main, float f, float fs) {
    const double top = highPass1Top(fs);
    const double got = BiquadMath::magnitude(designSection(main, fs), top, fs);
    return got > 0.0 && std::isfinite(got) && f > 0.0f ? static_cast<float>(highPass1Analog(f, top) / got) : 1.0f;
}

// First-order high-pass: the correction's own settings per frequency point, the adjustments from the
// table set. The output gain holds the pass band at the top of the range: without taps here, with
// them once the band has designed them (CorrectionSettings::holdHz).
void highPass1(BandRecipe& r, const T::Set& t, float f, float scale) {
    T::Cell c;
    if (!lookup<16, 1>(t.highPass1, T::kHighPass1Frequencies, nullptr, false, f, 0, 0, scale, c)) {
        // Below the table: no adjustments, the pass band still held.
        r.outputGainTarget = highPass1TopGain(r.main, f, 44100.0f * scale);
        return;
    }
    bool below = false;
    const Bracket b = onGrid(T::kHighPass1Frequencies, f, scale, &below);
    const int i = b.index, j = b.last ? b.index : b.index + 1;
    const float u = b.fraction;
    using namespace T::HighPass1;
    const float length = (1.0f - u) * static_cast<float>(kLength[i]) + u * static_cast<float>(kLength[j]);
    c.length = length > 0.0f ? static_cast<int>(length) : 0;
    c.kernelPhase = (1.0f - u) * kKernelPhase[i] + u * kKernelPhase[j];
    c.kernelLengthIndex = kKernelLengthIndex[i] > kKernelLengthIndex[j] ? kKernelLengthIndex[i] : kKernelLengthIndex[j];
    c.flatTaps = (1.0f - u) * kFlatTaps[i] + u * kFlatTaps[j];
    apply(r, c, false, true);
    if (c.length == 0) {
        r.outputGainTarget = highPass1TopGain(r.main, f, 44100.0f * scale);
    } else if (f > 0.0f) {
        r.correction.holdHz = highPass1Top(44100.0f * scale);
        r.correction.holdMagnitude = highPass1Analog(f, r.correction.holdHz);
    }
}

// First-order low-pass: where a cell carries a correction and replaces the section by a shelf, the
// shelf takes the absolute values of the low-pass table before the cell's own adjustments.
void lowPass1(BandRecipe& r, const T::Set& t, float f, float scale) {
    T::Cell c;
    if (!lookup<24, 1>(t.lowPass1, T::kLowPassFrequencies, nullptr, false, f, 0, 0, scale, c)) return;
    r.correction.harmFloorDb = CorrectionHarm::kPassFilterFloorDb;
    if (c.length > 0 && c.prototype >= P::kHighShelfMid && c.prototype <= P::kLowShelfCorner) {
        const Bracket b = onGrid(T::kLowPassFrequencies, f, scale);
        const int i = b.index, j = b.last ? b.index : b.index + 1;
        const float u = b.fraction;
        const auto at = [&](const std::array<float, 24>& e) { return (1.0f - u) * e[i] + u * e[j]; };
        const float frequency = at(T::LowPass1::kFrequency) * scale, q1 = at(T::LowPass1::kQ1);
        const float q2 = at(T::LowPass1::kQ2), gain = at(T::LowPass1::kGain);
        if (frequency > 0.0f) r.main.frequency = frequency;
        if (q1 > 0.0f) r.main.q1 = q1;
        if (q2 > 0.0f) r.main.q2 = q2;
        if (gain > -400.0f) r.main.gain = gain;
    }
    apply(r, c);
}

// The Air band from fitted taps: the two rows around the gain, blended (the end rows beyond them;
// the nearer row where the two lie as close as kAirRowsUnblended).
void fittedAir(BandRecipe& r, const T::AirTaps& fitted, float gain) {
    const T::AirTapRow* first = fitted.rows;
    const T::AirTapRow* last = fitted.rows + fitted.count - 1;
    const T::AirTapRow* above = std::upper_bound(first, last + 1, gain, [](float g, const T::AirTapRow& row) { return g < row.gain; });
    const T::AirTapRow* a = above == first ? first : above - 1;
    const T::AirTapRow* b = above > last ? last : above;
    float u = b->gain > a->gain && gain > a->gain ? std::min(1.0f, (gain - a->gain) / (b->gain - a->gain)) : 0.0f;
    if (b->gain - a->gain <= T::kAirRowsUnblended) {
        if (u >= 0.5f) a = b;
        u = 0.0f;
    }
    r.correction.fitted[0] = a;
    r.correction.fitted[1] = b;
    r.correction.fittedMix = u;
    r.correction.length = u > 0.0f ? std::max(a->length, b->length) : a->length;
    r.outputGainTarget = 1.0f;
}

// The Air band: a reciprocal peak placed by the Air table of the rate, realised by the correction
// alone (the main section is a pass-through).
void air(BandRecipe& r, const T::Set& t, float gain, float fs) {
    for (const T::AirTaps* fitted : t.airTaps)
        if (fitted != nullptr && fitted->count > 0 && fs == fitted->rate) {
            fittedAir(r, *fitted, gain);
            return;
        }
    const T::AirTable& table = *t.air[airTableIndex(fs)];
    const auto& axis = T::kAirGainAxis;
    int i = 0;
    float u = 0.0f;
    if (gain >= axis[T::kAirPoints - 1]) {
        i = T::kAirPoints - 1;
    } else if (gain > axis[0]) {
        while (i < T::kAirPoints - 2 && axis[i + 1] <= gain) ++i;
        u = (gain - axis[i]) / (axis[i + 1] - axis[i]);
    }
    const T::AirPoint& a = table[i];
    const T::AirPoint& b = table[i + 1 < T::kAirPoints ? i + 1 : i];
    const auto mix = [u](float x, float y) { return (1.0f - u) * x + u * y; };
    r.main = r.reference = section(mix(a.frequency, b.frequency), mix(a.q, b.q), mix(a.gain, b.gain), P::kPeakReciprocal);
    r.iirActive = false;
    const float length = mix(static_cast<float>(a.length), static_cast<float>(b.length));
    r.correction.length = length > 0.0f ? static_cast<int>(length) : 0;
    r.correction.kernelPhase = mix(a.kernelPhase, b.kernelPhase);
    // The larger kernel of the two entries, as on the other grids; at a point its own.
    r.correction.kernelLengthIndex = u > 0.0f && b.kernelLengthIndex > a.kernelLengthIndex ? b.kernelLengthIndex : a.kernelLengthIndex;
    r.correction.flatTaps = mix(a.flatTaps, b.flatTaps);
    r.outputGainTarget = mix(a.outputGain, b.outputGain);
}
}  // namespace

float bellKnobGain(float filterGainDb, float q) {
    using namespace BellGainTable;
    const auto c = BandMappingDetail::bracket(kQAxis, q);
    const size_t j = static_cast<size_t>(c.index);
    const auto row = [&](size_t g) { return (1.0f - c.fraction) * kFilterGainDb[g][j] + c.fraction * kFilterGainDb[g][j + 1]; };
    if (!(filterGainDb > row(0))) return kGainAxis[0];
    for (size_t g = 0; g + 1 < kGainAxis.size(); ++g) {
        const float lo = row(g), hi = row(g + 1);
        if (filterGainDb <= hi) return kGainAxis[g] + (kGainAxis[g + 1] - kGainAxis[g]) * (filterGainDb - lo) / (hi - lo);
    }
    return kGainAxis[kGainAxis.size() - 1];
}

int airTableIndex(float fs) {
    int best = 0;
    float bestDistance = 1e30f;
    for (int i = 0; i < static_cast<int>(T::kAirRates.size()); ++i) {
        const float d = std::fabs(std::log(fs / T::kAirRates[static_cast<size_t>(i)]));
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

BandRecipe runRecipe(int kind, float f, float q, float gain, float fs, const T::Set* tables) {
    BandRecipe r;
    r.main = section(f, q, gain, 0);
    const float scale = fs / 44100.0f;
    T::Cell c;
    switch (kind) {
    case BandKind::kHighPass6:
        r.main = r.reference = section(f, q, gain, P::kHighPass1);
        if (tables != nullptr) highPass1(r, *tables, f, scale);
        r.correction.nearDc = NearDcRule::kGainAndSlope;
        break;
    case BandKind::kHighPass12:
        r.main = section(f, q, 0.0f, P::kHighPass2);
        break;
    case BandKind::kHighPass24:
        r.main = section(f, q, 0.0f, P::kHighPass2);
        r.second = section(f, 0.707f, 0.0f, P::kHighPass2);
        r.useSecondSection = true;
        break;
    case BandKind::kLowPass6:
        r.main = r.reference = section(f, q, gain, P::kLowPass1);
        if (tables != nullptr) lowPass1(r, *tables, f, scale);
        break;
    case BandKind::kLowPass12:
        r.main = r.reference = section(f, q, gain, P::kLowPass2);
        if (tables != nullptr && lookup(tables->lowPass2, T::kLowPassFrequencies, &T::kLowPass2Qs, false, f, q, 0, scale, c)) {
            apply(r, c);
            r.correction.harmFloorDb = CorrectionHarm::kPassFilterFloorDb;
        }
        break;
    case BandKind::kLowPass18:
        r.main = r.reference = section(f, q, gain, P::kLowPass2);
        r.second = section(f, q, gain, P::kLowPass1);
        r.useSecondSection = true;
        break;
    case BandKind::kLowPass24:
        r.main = r.reference = section(f, q, gain, P::kLowPass2);
        r.second = section(f, 1.0f, gain, P::kLowPass2);
        r.useSecondSection = true;
        break;
    case BandKind::kHighShelf:
    case BandKind::kHighShelfAlt:
        r.main = r.reference = section(f, q, gain, P::kHighShelfMid);
        if (tables != nullptr && lookup(tables->shelf[kind == BandKind::kHighShelf ? 0 : 1], T::kShelfFrequencies,
                                        &T::kShelfQs, true, f, q, gain, scale, c))
            apply(r, c);
        break;
    case BandKind::kLowShelf:
    case BandKind::kLowShelfAlt:
        // A low shelf is its gain times the high shelf of the reversed gain: it reads the high
        // shelf's cells with the gain reversed and mirrors their adjustments.
        r.main = r.reference = section(f, q, gain, P::kLowShelfMid);
        if (tables != nullptr && lookup(tables->shelf[kind == BandKind::kLowShelf ? 0 : 1], T::kShelfFrequencies,
                                        &T::kShelfQs, true, f, q, -gain, scale, c))
            apply(r, c, true);
        break;
    case BandKind::kBell:
        if (f > kTopBellFrequency * scale) {
            // The Air band: no IIR filtering of its own, it acts through its correction alone.
            r.main = r.reference = section(f, q, gain, P::kPeakReciprocal);
            r.iirActive = false;
            if (tables != nullptr) air(r, *tables, gain, fs);
        } else {
            r.main = section(f, q, gain, P::kPeakNyquistSymmetric);
            r.reference = section(f, q, gain, P::kPeakReciprocal);
            // A flat bell needs no correction.
            if (tables != nullptr && gain != 0.0f &&
                lookup(tables->bell, T::kBellFrequencies, &T::kBellQs, true, f, q, bellKnobGain(gain, q), scale, c))
                apply(r, c);
        }
        break;
    default:
        break;
    }
    return r;
}
