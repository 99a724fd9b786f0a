#include "dsp/band_filter.h"

#include "dsp/correction_fir.h"
#include "dsp/correction_harm.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// The second output gain tried when holding a pass band (see holdAtTop).
constexpr float kHoldProbe = 1.05f;
// The shorter tap sets tried beside the plain sections when a correction does harm.
constexpr int kShortPlainTaps = 16;
constexpr int kShortestPlainTaps = 8;

// The analog model near DC at rate fs, from the reference section designed at four times the rate:
// its DC gain is the model's, and its slope too to first order. The first-order high-pass is
// designed directly in z, with a slope below the model's: it takes the model's own, w fs / (2 pi f).
CorrectionFir::NearDc modelNearDc(const SectionDesign& design, const BiquadCoefficients& reference, float fs) {
    if (design.prototype == SectionPrototype::kHighPass1 && design.frequency > 0.0f)
        return {0.0, static_cast<double>(fs) / (2.0 * BiquadMath::kPi * design.frequency)};
    const CorrectionFir::NearDc r = CorrectionFir::nearDc(reference);
    return {r.h0, r.h1 / 4.0};  // w at four times the rate is w / 4
}
}  // namespace

BandFilter::BandFilter() { setSampleRate(44100.0f); }

void BandFilter::setSampleRate(float fs) {
    sampleRate_ = fs;
    rateScale_ = fs / 44100.0f;
    glide_ = 1.0 - std::exp(-1.0 / (0.002 * static_cast<double>(fs)));
    harmGrid_.setRate(fs);
    designStep_ = DesignStep::kRecipe;
    redesignPending_ = false;
}

void BandFilter::advanceDesign() {
    const int length = recipe_.correction.length;
    // The previous tap set has faded in far enough for another to follow (no set in use counts as
    // a finished fade).
    const bool fadeDone = !correctionRunning() || fadeIn_ > 0.99f;
    switch (designStep_) {
    case DesignStep::kRecipe: {
        recipe_ = runRecipe(kind_, lastFrequency_, lastQ_, lastGain_, sampleRate_, correctionEnabled_ ? tables_ : nullptr);
        recipe_.correction.length = std::clamp(recipe_.correction.length, 0, kMaxTaps);
        const int n = recipe_.correction.length;
        iirActive_ = recipe_.iirActive;
        if (n > 0 && sampleRate_ / 2.0f < recipe_.main.frequency) iirActive_ = false;
        const auto designed = [&](bool use, const SectionDesign& s) {
            return use && iirActive_ ? designSection(s, sampleRate_) : BiquadCoefficients::identity();
        };
        designCoeffs_ = designed(true, recipe_.main);
        secondCoeffs_ = designed(recipe_.useSecondSection, recipe_.second);
        thirdCoeffs_ = designed(recipe_.useThirdSection, recipe_.third);
        // Adjusted sections without taps (a blend towards a cell that has none) are judged at once.
        if (n == 0 && recipe_.correction.yieldsToPlain && plainFallback_) judgeCorrection(0, nullptr);
        if (n > 0) {
            if (recipe_.correction.fitted[0] == nullptr) {
                kernelLength_ = CorrectionTables::kKernelLengths[static_cast<size_t>(recipe_.correction.kernelLengthIndex)];
                CorrectionFir::buildKernel(kernel_, kernelLength_, recipe_.correction.kernelPhase);
            }
            designStep_ = DesignStep::kResponses;
        } else if (correctionRunning()) {
            // A dropped correction fades out with the new coefficients coming in.
            designStep_ = DesignStep::kResponses;
        } else {
            install();
            designStep_ = DesignStep::kIdle;
        }
        break;
    }
    case DesignStep::kResponses:
        if (length > 0 && recipe_.correction.fitted[0] == nullptr) {
            CorrectionFir::impulseResponse(designCoeffs_, recipe_.useSecondSection ? &secondCoeffs_ : nullptr, impulse_,
                                           length);
            const BiquadCoefficients reference = designSection(recipe_.reference, 4.0 * sampleRate_);
            CorrectionFir::referenceResponse(kernel_, kernelLength_, reference, nullptr, target_,
                                             std::max(kernelLength_, 8 * length));
            nearDc_.reset();
            wantNearDc(reference);
            if (recipe_.correction.holdHz > 0.0) holdAtTop(length, reference);
            const CorrectionSettings& c = recipe_.correction;
            CorrectionFir::taps(target_, kernelLength_, impulse_, length, c.flatTaps, designed_, nearDc_, slopeNearDc_);
            // A design that newer values have overtaken is heard for a few milliseconds at most: the
            // judgement waits for the design that stays.
            if (c.yieldsToPlain && plainFallback_ && !redesignPending_) judgeCorrection(length, &reference);
        }
        designStep_ = fadeDone ? DesignStep::kInstall : DesignStep::kWaitFade;
        break;
    case DesignStep::kWaitFade:
        if (fadeDone) designStep_ = DesignStep::kInstall;
        break;
    case DesignStep::kInstall:
        // The new taps need as much of the band's own input as they are long (a band that ran in
        // a chain has not kept it).
        if (!snapPending_ && !correctionRunning() && historyFresh_ < length) break;
        installTaps();
        install();
        designStep_ = redesignPending_ ? DesignStep::kRecipe : DesignStep::kIdle;
        redesignPending_ = false;
        break;
    case DesignStep::kIdle:
        break;
    }
}

void BandFilter::wantNearDc(const BiquadCoefficients& reference) {
    if (recipe_.correction.nearDc == NearDcRule::kNone) return;
    nearDc_ = CorrectionFir::nearDcDifference(modelNearDc(recipe_.reference, reference, sampleRate_),
                                              recipe_.outputGainTarget, designCoeffs_,
                                              recipe_.useSecondSection ? &secondCoeffs_ : nullptr);
    slopeNearDc_ = recipe_.correction.nearDc == NearDcRule::kGainAndSlope;
}

// The band's response at the hold frequency, main section and taps, before its output gain, with
// the taps designed for output gain g.
std::complex<double> BandFilter::responseAtHold(int length, const BiquadCoefficients& reference, float g) {
    recipe_.outputGainTarget = g;
    wantNearDc(reference);
    float set[kMaxTaps];
    CorrectionFir::taps(target_, kernelLength_, impulse_, length, recipe_.correction.flatTaps, set, nearDc_, slopeNearDc_);
    const double w = 2.0 * BiquadMath::kPi * recipe_.correction.holdHz / sampleRate_;
    return CorrectionHarm::responseAt({designCoeffs_, BiquadCoefficients::identity(), set, length, 1.0}, std::polar(1.0, -w));
}

// The output gain g that puts the band on the wanted magnitude at the hold frequency. The taps'
// move near DC answers the slope the model asks for after the gain, so the response there is
// P + Q / g: two designs give P and Q, and |g P + Q| = wanted gives g.
void BandFilter::holdAtTop(int length, const BiquadCoefficients& reference) {
    const double want = recipe_.correction.holdMagnitude;
    const float g1 = recipe_.outputGainTarget > 0.0f ? recipe_.outputGainTarget : 1.0f;
    const std::complex<double> h1 = responseAtHold(length, reference, g1);
    const float g2 = g1 * kHoldProbe;
    const std::complex<double> h2 = responseAtHold(length, reference, g2);
    const std::complex<double> q = (h1 - h2) / (1.0 / g1 - 1.0 / g2);
    const std::complex<double> p = h1 - q / static_cast<double>(g1);
    const double a = std::norm(p), b = std::real(p * std::conj(q)), c = std::norm(q) - want * want;
    const double d = b * b - a * c;
    const double g = a > 0.0 && d >= 0.0 ? (-b + std::sqrt(d)) / a : 0.0;
    recipe_.outputGainTarget = g > 0.0 && std::isfinite(g) ? static_cast<float>(g) : g1;
    wantNearDc(reference);
}

// A correction that would leave the band further from its analog model than the plain design in
// some region (between two table cells that each suit their own grid point, their blend can) is
// weighed against the plain sections with taps of their own, designed as the cell's are but without
// its adjustments, and against the plain design alone: the band runs whichever scores least.
void BandFilter::judgeCorrection(int length, const BiquadCoefficients* reference) {
    using namespace CorrectionHarm;
    const BandRecipe plain = runRecipe(kind_, lastFrequency_, lastQ_, lastGain_, sampleRate_, nullptr);
    // Only a plain design of the same sections can take over (not, say, the Air band's nothing).
    if (!plain.iirActive || plain.useThirdSection || recipe_.useThirdSection) return;
    const Candidate bilinear{designSection(plain.main, sampleRate_),
                             plain.useSecondSection ? designSection(plain.second, sampleRate_) : BiquadCoefficients::identity(),
                             nullptr, 0, plain.outputGainTarget};
    // A neutral cell leaves the plain design as it is.
    if (length == 0 && bilinear.first == designCoeffs_ && bilinear.second == secondCoeffs_ &&
        plain.outputGainTarget == recipe_.outputGainTarget)
        return;
    Judgement j;
    j.model = modelPower(designSection(recipe_.reference, kModelRateFactor * sampleRate_), harmGrid_,
                         recipe_.correction.harmFloorDb, length > 0 ? 1 : kSectionsStride);
    j.corrected = deviations({designCoeffs_, secondCoeffs_, designed_, length, recipe_.outputGainTarget}, j.model, harmGrid_);
    j.plain = deviations(bilinear, j.model, harmGrid_);
    if (!doesHarm(j.corrected, j.plain)) return;

    float own[kMaxTaps];
    double best = score(j.corrected, j.plain);
    const int taps = reference != nullptr ? bestPlainTaps(j, plain, bilinear, *reference, length, own, best) : 0;
    if (j.takesOver(j.plain, best)) giveWay(plain, bilinear, nullptr, 0);
    else if (taps > 0) giveWay(plain, bilinear, own, taps);
}

// Another design takes over only where it is nowhere further from the model than the correction at
// its worst: the rules then choose.
bool BandFilter::Judgement::takesOver(const CorrectionHarm::Deviations& d, double than) const {
    return d.largest() <= corrected.largest() && CorrectionHarm::score(d, plain) < than;
}

// The plain sections with the cell's taps, and with fewer: shorter taps leave alone the long ringing
// of a narrow band and mend only the broad error high up. Returns the length of the best set that
// takes over from a design scoring `best` (which it lowers), 0 for none.
int BandFilter::bestPlainTaps(const Judgement& j, const BandRecipe& plain, const CorrectionHarm::Candidate& bilinear,
                              const BiquadCoefficients& reference, int length, float* out, double& best) const {
    int chosen = 0, tried = 0;
    for (int n : {length, std::min(length, kShortPlainTaps), std::min(length, kShortestPlainTaps)}) {
        if (n == 0 || n == tried) continue;
        tried = n;
        float trial[kMaxTaps];
        plainTaps(bilinear, plain, reference, n, trial);
        const CorrectionHarm::Deviations d =
            CorrectionHarm::deviations({bilinear.first, bilinear.second, trial, n, plain.outputGainTarget}, j.model, harmGrid_);
        if (!j.takesOver(d, best)) continue;
        best = CorrectionHarm::score(d, j.plain);
        chosen = n;
        std::copy(trial, trial + n, out);
    }
    return chosen;
}

// The band takes the plain design, with `n` taps of its own or none.
void BandFilter::giveWay(const BandRecipe& plain, const CorrectionHarm::Candidate& bilinear, const float* taps, int n) {
    const CorrectionSettings settings = recipe_.correction;
    recipe_ = plain;
    if (n > 0) {
        recipe_.correction = settings;
        recipe_.correction.length = n;
        std::copy(taps, taps + n, designed_);
    }
    iirActive_ = true;
    designCoeffs_ = bilinear.first;
    secondCoeffs_ = bilinear.second;
    thirdCoeffs_ = BiquadCoefficients::identity();
}

// Taps for the plain sections: the cell's kernel and windows over the difference between the
// reference and those sections, holding the model's gain near DC.
void BandFilter::plainTaps(const CorrectionHarm::Candidate& sections, const BandRecipe& plain,
                           const BiquadCoefficients& reference, int length, float* out) const {
    float h[kMaxTaps];
    CorrectionFir::impulseResponse(sections.first, plain.useSecondSection ? &sections.second : nullptr, h, length);
    const CorrectionFir::NearDc want = CorrectionFir::nearDcDifference(
        modelNearDc(plain.reference, reference, sampleRate_), plain.outputGainTarget, sections.first,
        plain.useSecondSection ? &sections.second : nullptr);
    CorrectionFir::taps(target_, kernelLength_, h, length, recipe_.correction.flatTaps, out, want, false);
}

void BandFilter::install() {
    // The extra sections are latched here: a dropped one glides to the identity and stops, a new
    // one starts from the identity with cleared states.
    sections_[0].setTarget(designCoeffs_);
    sections_[1].setTarget(secondCoeffs_);
    sections_[2].setTarget(thirdCoeffs_);
    outputGainTarget_ = recipe_.outputGainTarget;
    // A new or restarted band takes its first design at once.
    if (snapPending_) {
        for (auto& s : sections_) s.snap();
        outputGain_ = outputGainTarget_;
        fadeIn_ = 1.0f;
        snapPending_ = false;
    }
}

void BandFilter::installTaps() {
    const int idle = 1 - current_;
    const int n = recipe_.correction.length;
    float* set = taps_[idle];
    std::fill(set, set + kMaxTaps, 0.0f);
    bool any = false;
    if (n > 0) {
        const CorrectionSettings& c = recipe_.correction;
        if (c.fitted[0] != nullptr) {
            const float u = c.fittedMix;
            for (int i = 0; i < n; ++i) set[i] = (1.0f - u) * c.fitted[0]->taps[static_cast<size_t>(i)] + u * c.fitted[1]->taps[static_cast<size_t>(i)];
        } else {
            std::copy(designed_, designed_ + n, set);
        }
        for (int i = 0; i < n; ++i) any = any || set[i] != 0.0f;
    }
    // The set in use fades out; when none was in use the new one fades in from nothing.
    const bool before = correctionRunning();
    current_ = idle;
    tapLength_[idle] = any ? n : 0;
    if (!before) tapLength_[1 - idle] = 0;
    fadeIn_ = (before || any) && !snapPending_ ? 0.0f : 1.0f;
}

float* BandFilter::historyFor(int n) {
    if (historyEnd_ + n > kHistory) {
        std::memmove(history_, history_ + historyEnd_ - (kMaxTaps - 1), sizeof(float) * (kMaxTaps - 1));
        historyEnd_ = kMaxTaps - 1;
    }
    float* at = history_ + historyEnd_;
    historyEnd_ += n;
    historyFresh_ = std::min(historyFresh_ + n, kHistory);
    return at;
}

void BandFilter::record(const float* in, int n) {
    // An input beyond the state limit (or non-finite) that the taps run over makes the band start
    // afresh at the end of the sub-block, history and all (see guardStates).
    std::memcpy(historyFor(n), in, sizeof(float) * static_cast<size_t>(n));
}

namespace {

// Four samples at a time where the processor has vector registers; vectors only in local variables.
using Float4 = float __attribute__((vector_size(16)));
using Bits4 = unsigned __attribute__((vector_size(16)));
constexpr Bits4 kMagnitude4 = {0x7fffffffu, 0x7fffffffu, 0x7fffffffu, 0x7fffffffu};

// A NaN among the inputs makes the sum NaN, which fails the comparison. Four partial sums: the
// test only asks whether the inputs are far beyond any signal.
inline Float4 magnitude4(const float* x) {
    Bits4 v;
    std::memcpy(&v, x, sizeof v);
    v &= kMagnitude4;
    Float4 m;
    std::memcpy(&m, &v, sizeof m);
    return m;
}

bool inputsInRange(const float* x, int n) {
    Float4 sums = {}, more = {};
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        sums += magnitude4(x + i);
        more += magnitude4(x + i + 4);
    }
    if (i + 4 <= n) {
        sums += magnitude4(x + i);
        i += 4;
    }
    sums += more;
    float sum = (sums[0] + sums[1]) + (sums[2] + sums[3]);
    for (; i < n; ++i) sum += std::fabs(x[i]);
    return sum < static_cast<float>(BiquadSection::kStateLimit);
}

}  // namespace

// The piece's inputs in the history, checked for the state limit.
const float* BandFilter::correctionInput(int n) {
    const float* x = history_ + historyEnd_ - n;
    historyInRange_ = inputsInRange(x, n);
    return x;
}

void BandFilter::addCorrection(float* buf, int n, float gain) {
    const float* x = correctionInput(n);
    const int cur = current_, old = 1 - current_;
    if (fadeIn_ >= 1.0f) {
        if (tapLength_[cur] > 0) CorrectionFir::accumulate(taps_[cur], tapLength_[cur], x, buf, n, gain);
        else applyGain(buf, n, gain);
        return;
    }
    // Both sets over the longer length: the shorter set's unused taps are zero.
    float fresh[SectionKernels::kMaxFrames], previous[SectionKernels::kMaxFrames];
    const int length = std::max(tapLength_[cur], tapLength_[old]);
    CorrectionFir::accumulatePair(taps_[cur], taps_[old], length, x, fresh, previous, n);
    const float k = static_cast<float>(glide_);
    float f = fadeIn_;
    for (int i = 0; i < n; ++i) {
        if (f < 1.0f) {
            f += (1.0f - f) * k;
            if (f > 0.99f) f = 1.0f;
        }
        const float sum = buf[i] + (f * fresh[i] + (1.0f - f) * previous[i]);
        buf[i] = sum * gain;
    }
    fadeIn_ = f;
    if (fadeIn_ >= 1.0f) tapLength_[old] = 0;
}

bool BandFilter::filter(float* buf, int n) {
    constexpr int kLongest = 44;  // the history holds one sub-block beyond the longest tap set
    if (n > kLongest) {
        bool touched = false;
        for (int done = 0; done < n; done += kLongest) touched = filter(buf + done, std::min(kLongest, n - done)) || touched;
        return touched;
    }
    // Only a band that has or is designing a correction needs its input: the others note that
    // their history is stale, and a new correction waits until enough of it is fresh.
    if (keepsHistory()) record(buf, n);
    else historyFresh_ = 0;
    const bool correcting = correctionRunning();
    const bool touched = sections_[0].running() || sections_[1].running() || sections_[2].running() ||
                         outputGain_ != 1.0f || outputGainTarget_ != 1.0f || correcting;
    if (!touched) return false;
    sections_[0].process(buf, n, glide_);
    sections_[1].process(buf, n, glide_);
    if (correcting) addCorrection(buf, n, 1.0f);  // finish() applies the gain, gliding or not
    sections_[2].process(buf, n, glide_);
    finish(buf, n);
    return true;
}

void BandFilter::applyGain(float* buf, int n, float g) {
    if (g == 1.0f) return;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        Float4 v;
        std::memcpy(&v, buf + i, sizeof v);
        v *= g;
        std::memcpy(buf + i, &v, sizeof v);
    }
    for (; i < n; ++i) buf[i] *= g;
}

void BandFilter::finishCorrected(float* buf, int n, const SectionKernels::Marks& marks) {
    addCorrection(buf, n, outputGain_);
    completeCorrected(buf, n, marks);
}

void BandFilter::completeCorrected(float* buf, int n, const SectionKernels::Marks& marks) {
    guardStates();
    for (int m = 0; m < marks.count && marks.frame(m) < n; ++m) {
        const int f = marks.frame(m);
        if (f > 0) startSubBlock();
        countTinyOutput(buf[f], buf + f, n - f);
    }
}

void BandFilter::finish(float* buf, int n) {
    if (outputGain_ != outputGainTarget_) {
        const float k = static_cast<float>(glide_);
        for (int i = 0; i < n; ++i) {
            outputGain_ -= (outputGain_ - outputGainTarget_) * k;
            if (std::fabs(outputGain_ - outputGainTarget_) <= 0.001f) outputGain_ = outputGainTarget_;
            buf[i] *= outputGain_;
        }
    } else {
        applyGain(buf, n, outputGain_);
    }

    guardStates();
    if (n > 0) countTinyOutput(buf[0], buf, n);
}

void BandFilter::stop() {
    for (auto& s : sections_) s.clearStates();
    std::fill(history_, history_ + kHistory, 0.0f);
    historyFresh_ = kHistory;
    historyInRange_ = true;
    snapPending_ = true;
    denormalCount_ = 0;
}

void BandFilter::reset() {
    for (auto& s : sections_) {
        s.clearStates();
        s.snap();
    }
    outputGain_ = outputGainTarget_;
    std::fill(history_, history_ + kHistory, 0.0f);
    historyFresh_ = kHistory;
    fadeIn_ = 1.0f;
    tapLength_[1 - current_] = 0;
    historyInRange_ = true;
}
