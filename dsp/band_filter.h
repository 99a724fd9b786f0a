// One band of one channel: up to three IIR sections built by the band's recipe, redesigned when its
// values change, gliding from the running coefficients to each new design, and a correction FIR
// beside the first two sections whose new tap sets cross-fade in.
#pragma once

#include "dsp/band_kind.h"
#include "dsp/band_recipes.h"
#include "dsp/biquad_section.h"
#include "dsp/correction_fir.h"
#include "dsp/correction_harm.h"
#include "dsp/corrected_section_kernel.h"
#include "dsp/correction_tables.h"
#include "dsp/section_kernels.h"

#include <cmath>
#include <complex>
#include <optional>

// The values a band is asked to realise, read once per sub-block.
struct BandValues {
    float frequency = 1000.0f;  // Hz
    float gain = 0.0f;          // dB
    float q = 1.0f;
    int kind = BandKind::kBell;
};

// Steps of a band's design, one per sub-block. Without correction taps (and none to fade out) a
// design goes from kRecipe straight to kIdle and becomes active on the same sub-block.
enum class DesignStep : int {
    kRecipe = 0,     // run the recipe, design the sections and the correction's kernel
    kResponses = 2,  // the reference response and the sections' impulse response
    kWaitFade = 4,   // wait for the previous tap set to fade in
    kInstall = 6,    // window, taps, and the new taps and coefficients installed
    kIdle = 11,
};

class BandFilter {
public:
    static constexpr int kSections = 3;
    static constexpr int kMaxTaps = CorrectionTables::kMaxCorrectionLength;

    BandFilter();

    void setSampleRate(float fs);

    // Once per sub-block, before its first sample: notes changed values and advances the design by
    // one step. The sub-block may then be filtered in several pieces; how it is cut does not change
    // the output.
    void beginStep(const BandValues& v);
    // Whether the band filters in this sub-block (a settled flat bell passes its input through).
    bool runs() const { return runs_; }

    // The band's filtering of n samples in place. Returns false when the band left them untouched.
    bool process(float* buf, int n) { return runs_ && filter(buf, n); }
    // A whole sub-block of at most 44 samples: the step, then the filtering.
    bool process(float* buf, int n, const BandValues& v) {
        beginStep(v);
        return process(buf, n);
    }
    // The step alone; tells whether the band filters.
    bool prepare(const BandValues& v) {
        beginStep(v);
        return runs_;
    }

    // For running several bands' sections together: chainable() tells whether this band and the other
    // channel's band of the slot are both steady (no glide, a steady output gain, no guard active)
    // with the same running sections; chainSections() lists them, steadyOutputGain() is what scales
    // the last one's output, and finishChained() completes the piece with the band's first output
    // sample, told whether the chain found the sections' states in range (it flushed tiny ones).
    bool filter(float* buf, int n);
    bool chainable(const BandFilter& other) const;
    int chainSections(BiquadSection* out[kSections]);
    float steadyOutputGain() const { return outputGain_; }
    // Whether `starts` more sub-blocks starting tiny leave the denormal guard unflushed (part of
    // steadyOver()).
    bool untilTinyFlush(int starts) const { return denormalCount_ + starts <= kTinyRun; }
    bool runsSections() const { return sections_[0].running() || sections_[1].running() || sections_[2].running(); }
    void finishChained(float firstOutput, bool statesInRange);
    // The same for a run over several sub-blocks: firsts[m][channel] is the band's output at mark m,
    // each mark after the run's first sample the start of a sub-block whose step changes nothing
    // (see steadyOver()).
    void finishChained(const SectionKernels::Firsts& firsts, int channel, const SectionKernels::Marks& marks,
                       bool statesInRange);
    // Whether the next `starts` sub-block starts leave the band as it is, its values unchanged: its
    // design idle, no glide, fade or pending snap, and its denormal guard unable to begin flushing.
    bool steadyOver(int starts) const;
    // Bands with a settled correction run their sections together in the same way: recordInput()
    // before the sections, finishCorrected() after them adds the correction, applies the output gain
    // and completes the sub-block.
    bool correctedChainable(const BandFilter& other) const;
    void recordInput(const float* in, int n) { record(in, n); }
    // Where the next n inputs go, for writing them in place of recordInput().
    float* historyFor(int n);
    void finishCorrected(float* buf, int n, const SectionKernels::Marks& marks = {});
    // A settled correction running one tap set alone can instead go with its section in one pass:
    // oneTapSet() tells, takeTaps() gives the set, the output gain and the place of the next n inputs
    // (taking it in the history, as historyFor() does), completeTaps() completes the piece after it.
    bool oneTapSet() const { return fadeIn_ >= 1.0f && tapLength_[current_] > 0; }
    CorrectedSectionKernel::Taps takeTaps(int n) { return {taps_[current_], tapLength_[current_], historyFor(n), outputGain_}; }
    void completeTaps(float* buf, int n, const SectionKernels::Marks& marks = {}) {
        correctionInput(n);
        completeCorrected(buf, n, marks);
    }

    // The band stopped (switched off and faded out): its states are cleared, and when it starts
    // again it takes its design at once instead of gliding to it.
    void stop();

    // Clears every state and sets the running coefficients to their targets.
    void reset();

    // Where the correction settings come from (the built-in tables unless a tool sets its own);
    // with the correction disabled every band is its plain bilinear design.
    void setCorrectionTables(const CorrectionTables::Set* tables) { tables_ = tables; }
    void setCorrectionEnabled(bool on) { correctionEnabled_ = on; }
    // Whether a correction that does harm gives way to the plain design (see judgeCorrection); off
    // only for tools that study what the tables alone do.
    void setPlainFallback(bool on) { plainFallback_ = on; }

    int kind() const { return kind_; }
    // Sub-blocks in a row that started with a tiny output (the denormal guard's count).
    int tinySubBlocks() const { return denormalCount_; }
    DesignStep designStep() const { return designStep_; }
    bool iirActive() const { return iirActive_; }
    const BiquadSection& section(int i) const { return sections_[i]; }
    float sampleRate() const { return sampleRate_; }
    float outputGainTarget() const { return outputGainTarget_; }
    const BandRecipe& recipe() const { return recipe_; }
    // The tap set the band runs (taps() has correctionInUse() entries) and the weight of that set
    // against the previous one.
    int correctionInUse() const { return tapLength_[current_]; }
    const float* taps() const { return taps_[current_]; }
    float fadeIn() const { return fadeIn_; }
    bool correctionRunning() const { return tapLength_[current_] > 0 || (fadeIn_ < 1.0f && tapLength_[1 - current_] > 0); }

private:
    void finish(float* buf, int n);
    void guardStates();
    void countTinyOutput(float first, float* buf, int n);
    void detectChange(const BandValues& v);
    void advanceDesign();
    void install();
    void installTaps();
    void wantNearDc(const BiquadCoefficients& reference);
    std::complex<double> responseAtHold(int length, const BiquadCoefficients& reference, float g);
    void holdAtTop(int length, const BiquadCoefficients& reference);
    // What a correction is judged by: the model's power at each point, and how far the correction
    // and the plain design stray from it.
    struct Judgement {
        CorrectionHarm::ModelPower model;
        CorrectionHarm::Deviations corrected, plain;
        bool takesOver(const CorrectionHarm::Deviations& d, double than) const;
    };
    void judgeCorrection(int length, const BiquadCoefficients* reference);
    int bestPlainTaps(const Judgement& j, const BandRecipe& plain, const CorrectionHarm::Candidate& bilinear,
                      const BiquadCoefficients& reference, int length, float* out, double& best) const;
    void giveWay(const BandRecipe& plain, const CorrectionHarm::Candidate& bilinear, const float* taps, int n);
    void plainTaps(const CorrectionHarm::Candidate& sections, const BandRecipe& plain, const BiquadCoefficients& reference,
                   int length, float* out) const;
    void record(const float* in, int n);
    bool keepsHistory() const { return designStep_ != DesignStep::kIdle || correctionRunning(); }
    static void applyGain(float* buf, int n, float gain);
    // Adds the correction's sums, then scales by gain (the steady output gain, or 1 where the caller
    // applies a gliding one itself).
    void addCorrection(float* buf, int n, float gain);
    const float* correctionInput(int n);
    void completeCorrected(float* buf, int n, const SectionKernels::Marks& marks = {});
    // A sub-block starts within a run: what beginStep() does for a band whose values stay.
    void startSubBlock() {
        firstPiece_ = true;
        flushTiny_ = false;
    }

    float sampleRate_ = 44100.0f;
    float rateScale_ = 1.0f;  // fs / 44100: the scale of the correction grids
    double glide_ = 0.0;  // per-sample coefficient and output-gain glide factor

    int kind_ = -1;  // active kind; -1 until the first design
    float lastFrequency_ = 0.0f, lastQ_ = 0.0f, lastGain_ = 0.0f;
    DesignStep designStep_ = DesignStep::kRecipe;
    bool iirActive_ = true;
    bool snapPending_ = true;
    bool redesignPending_ = false;  // values changed while a correction was being designed
    bool runs_ = false;             // this sub-block's pass-through decision
    bool firstPiece_ = false;       // the sub-block's first sample is still to come
    bool flushTiny_ = false;        // the denormal guard flushes this sub-block's outputs

    BandRecipe recipe_;
    BiquadCoefficients designCoeffs_, secondCoeffs_, thirdCoeffs_;
    BiquadSection sections_[kSections];

    float outputGainTarget_ = 1.0f;
    float outputGain_ = 1.0f;
    static constexpr int kTinyRun = 20;  // sub-blocks starting tiny before the guard flushes
    int denormalCount_ = 0;

    // The correction: its settings, the design's work buffers (sized once), two tap sets used in
    // turn with a length each, and the input history the taps run over.
    const CorrectionTables::Set* tables_ = &CorrectionTables::builtIn();
    bool correctionEnabled_ = true;
    bool plainFallback_ = true;
    CorrectionHarm::Grid harmGrid_;  // where corrections are judged, at this rate
    int kernelLength_ = 0;
    alignas(16) float kernel_[CorrectionTables::kMaxKernelLength] = {};
    alignas(16) float target_[CorrectionTables::kMaxTargetLength] = {};
    alignas(16) float impulse_[kMaxTaps] = {};
    alignas(16) float designed_[kMaxTaps] = {};  // the taps designed, until they are installed
    std::optional<CorrectionFir::NearDc> nearDc_;  // what the taps must add near DC, where the recipe asks
    bool slopeNearDc_ = false;                      // the slope there too, not the gain alone
    alignas(16) float taps_[2][kMaxTaps] = {};
    int tapLength_[2] = {0, 0};
    int current_ = 0;
    float fadeIn_ = 1.0f;  // 1: the current set alone
    static constexpr int kHistory = 1024;
    static_assert(kHistory >= SectionKernels::kMaxFrames + kMaxTaps - 1, "a run's inputs and the taps' past fit");
    float history_[kHistory] = {};
    int historyEnd_ = kMaxTaps - 1;  // inputs before it are history; at least kMaxTaps - 1 of them
    int historyFresh_ = 0;           // inputs recorded since the band last ran in a chain
    bool historyInRange_ = true;     // the inputs the taps last ran over were within the state limit
};

// The per-sub-block steps, kept inline: they run for every band on every sub-block.
inline void BandFilter::detectChange(const BandValues& v) {
    if (v.frequency == lastFrequency_ && v.q == lastQ_ && v.gain == lastGain_ && v.kind == kind_) return;
    lastFrequency_ = v.frequency;
    lastQ_ = v.q;
    lastGain_ = v.gain;
    kind_ = v.kind;
    // A correction under way is finished first, so that steady automation still gets designs
    // installed; the newest values are designed next.
    if (designStep_ == DesignStep::kIdle || designStep_ == DesignStep::kRecipe) designStep_ = DesignStep::kRecipe;
    else redesignPending_ = true;
}

inline void BandFilter::beginStep(const BandValues& v) {
    firstPiece_ = true;
    flushTiny_ = false;
    // A settled flat bell whose gain stays 0 passes its input through bit for bit.
    runs_ = !(kind_ == BandKind::kBell && v.kind == BandKind::kBell && v.gain == 0.0f && lastGain_ == 0.0f &&
              designStep_ == DesignStep::kIdle && !sections_[0].running() && !sections_[1].running() &&
              !sections_[2].running() && outputGain_ == 1.0f && outputGainTarget_ == 1.0f && !correctionRunning());
    if (!runs_) return;
    detectChange(v);
    if (designStep_ != DesignStep::kIdle) advanceDesign();
    if (snapPending_ && designStep_ == DesignStep::kIdle) {
        for (auto& s : sections_) s.snap();
        outputGain_ = outputGainTarget_;
        fadeIn_ = 1.0f;
        snapPending_ = false;
    }
}

inline void BandFilter::guardStates() {
    // A non-finite input would otherwise stay in the states for good, and a huge finite one for
    // seconds: the band starts afresh instead.
    bool inRange = historyInRange_;
    for (auto& s : sections_) {
        if (!s.running()) continue;
        inRange = inRange && s.statesInRange();
        s.flushTinyStates();
    }
    if (!inRange) reset();
}

// Denormal guard: a long run of sub-blocks starting with tiny non-zero values gets flushed. The
// sub-block's first output decides for all its pieces.
inline void BandFilter::countTinyOutput(float first, float* buf, int n) {
    if (firstPiece_) {
        firstPiece_ = false;
        const float level = std::fabs(first);
        if (level >= 1e-20f) {
            denormalCount_ = 0;
        } else if (level != 0.0f && ++denormalCount_ > kTinyRun) {
            denormalCount_ = kTinyRun;
            flushTiny_ = true;
        }
    }
    if (!flushTiny_) return;
    for (int i = 0; buf != nullptr && i < n; ++i)
        if (std::fabs(buf[i]) < 1e-37f) buf[i] = 0.0f;
}

inline bool BandFilter::chainable(const BandFilter& other) const {
    // A chained band's input is not seen on its own: bands with a correction, or about to get
    // one, run alone and keep their input history.
    if (designStep_ != DesignStep::kIdle || other.designStep_ != DesignStep::kIdle || correctionRunning() ||
        other.correctionRunning())
        return false;
    for (int i = 0; i < kSections; ++i) {
        const BiquadSection& a = sections_[i];
        const BiquadSection& b = other.sections_[i];
        if (a.running() != b.running() || a.gliding() || b.gliding()) return false;
    }
    // A band about to flush tiny outputs needs its own output buffer.
    return outputGain_ == outputGainTarget_ && other.outputGain_ == other.outputGainTarget_ &&
           denormalCount_ < kTinyRun && other.denormalCount_ < kTinyRun;
}

inline int BandFilter::chainSections(BiquadSection* out[kSections]) {
    int count = 0;
    for (auto& s : sections_)
        if (s.running()) out[count++] = &s;
    return count;
}

inline void BandFilter::finishChained(float firstOutput, bool statesInRange) {
    historyFresh_ = 0;
    // As guardStates(), with the sections' part done by the chain.
    if (!(historyInRange_ && statesInRange)) reset();
    countTinyOutput(firstOutput, nullptr, 0);
}

inline void BandFilter::finishChained(const SectionKernels::Firsts& firsts, int channel, const SectionKernels::Marks& marks,
                                      bool statesInRange) {
    historyFresh_ = 0;
    if (!(historyInRange_ && statesInRange)) reset();
    for (int m = 0; m < marks.count; ++m) {
        if (marks.frame(m) > 0) startSubBlock();
        countTinyOutput(firsts[m][channel], nullptr, 0);
    }
}

inline bool BandFilter::steadyOver(int starts) const {
    for (const auto& s : sections_)
        if (s.gliding()) return false;
    return designStep_ == DesignStep::kIdle && !redesignPending_ && !snapPending_ && !flushTiny_ &&
           outputGain_ == outputGainTarget_ && fadeIn_ >= 1.0f && untilTinyFlush(starts);
}

inline bool BandFilter::correctedChainable(const BandFilter& other) const {
    for (const BandFilter* b : {this, &other}) {
        if (b->designStep_ != DesignStep::kIdle || !b->correctionRunning() || b->sections_[2].running() ||
            b->outputGain_ != b->outputGainTarget_ || b->denormalCount_ >= kTinyRun)
            return false;
    }
    for (int i = 0; i < 2; ++i) {
        const BiquadSection& a = sections_[i];
        const BiquadSection& b = other.sections_[i];
        if (a.running() != b.running() || a.gliding() || b.gliding()) return false;
    }
    return true;
}
