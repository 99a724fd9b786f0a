// One band of one channel: up to three IIR sections built by the band's recipe, redesigned when its
// values change, gliding from the running coefficients to each new design.
#pragma once

#include "dsp/band_kind.h"
#include "dsp/band_recipes.h"
#include "dsp/biquad_section.h"

#include <cmath>

// The values a band is asked to realise, read once per sub-block.
struct BandValues {
    float frequency = 1000.0f;  // Hz
    float gain = 0.0f;          // dB
    float q = 1.0f;
    int kind = BandKind::kBell;
};

// Steps of a band's design, one per sub-block. Without correction taps a design goes from
// kRecipe straight to kIdle and becomes active on the same sub-block.
enum class DesignStep : int {
    kRecipe = 0,     // run the recipe and design the sections
    kResponses = 2,  // impulse responses for the correction
    kWaitFade = 4,   // wait for the previous correction to fade in
    kInstall = 6,    // install the new taps and coefficients
    kIdle = 11,
};

class BandFilter {
public:
    static constexpr int kSections = 3;

    BandFilter();

    void setSampleRate(float fs);

    // One design step for the values v, then the band's filtering of n samples in place. Returns
    // false when the band left the samples untouched.
    bool process(float* buf, int n, const BandValues& v);

    // The same in two parts, for running several bands' sections together: prepare() runs the design
    // step and tells whether the band filters at all; chainable() whether this band and the other
    // channel's band of the slot are both steady (no glide, no gain, no guard active) with the same
    // running sections; chainSections() lists them, and finishChained() completes the sub-block
    // with the band's first output sample.
    bool prepare(const BandValues& v);
    bool filter(float* buf, int n);
    bool chainable(const BandFilter& other) const;
    int chainSections(BiquadSection* out[kSections]);
    void finishChained(float firstOutput);

    // The band stopped (switched off and faded out): its states are cleared, and when it starts
    // again it takes its design at once instead of gliding to it.
    void stop();

    // Clears every state and sets the running coefficients to their targets.
    void reset();

    int kind() const { return kind_; }
    DesignStep designStep() const { return designStep_; }
    bool iirActive() const { return iirActive_; }
    const BiquadSection& section(int i) const { return sections_[i]; }
    float sampleRate() const { return sampleRate_; }

private:
    void finish(float* buf, int n);
    void guardStates();
    void countTinyOutput(float first, float* buf, int n);
    void detectChange(const BandValues& v);
    void advanceDesign();
    void install();

    float sampleRate_ = 44100.0f;
    float rateScale_ = 1.0f;  // fs / 44100: the scale of the correction grids
    double glide_ = 0.0;  // per-sample coefficient and output-gain glide factor

    int kind_ = -1;  // active kind; -1 until the first design
    float lastFrequency_ = 0.0f, lastQ_ = 0.0f, lastGain_ = 0.0f;
    DesignStep designStep_ = DesignStep::kRecipe;
    bool iirActive_ = true;
    bool snapPending_ = true;

    BandRecipe recipe_;
    BiquadCoefficients designCoeffs_, secondCoeffs_, thirdCoeffs_;
    BiquadSection sections_[kSections];

    float outputGainTarget_ = 1.0f;
    float outputGain_ = 1.0f;
    int correctionInUse_ = 0;
    int denormalCount_ = 0;
};

// The per-sub-block steps, kept inline: they run for every band on every sub-block.
inline void BandFilter::detectChange(const BandValues& v) {
    if (v.frequency == lastFrequency_ && v.q == lastQ_ && v.gain == lastGain_ && v.kind == kind_) return;
    lastFrequency_ = v.frequency;
    lastQ_ = v.q;
    lastGain_ = v.gain;
    kind_ = v.kind;
    designStep_ = DesignStep::kRecipe;
}

inline bool BandFilter::prepare(const BandValues& v) {
    // A settled flat bell whose gain stays 0 passes its input through bit for bit.
    if (kind_ == BandKind::kBell && v.kind == BandKind::kBell && v.gain == 0.0f && lastGain_ == 0.0f &&
        designStep_ == DesignStep::kIdle && !sections_[0].running() && !sections_[1].running() &&
        !sections_[2].running() && outputGain_ == 1.0f && outputGainTarget_ == 1.0f)
        return false;
    detectChange(v);
    if (designStep_ != DesignStep::kIdle) advanceDesign();
    if (snapPending_) {
        for (auto& s : sections_) s.snap();
        outputGain_ = outputGainTarget_;
        snapPending_ = false;
    }
    return true;
}

inline void BandFilter::guardStates() {
    // A non-finite input would otherwise stay in the states for good.
    bool finite = true;
    for (auto& s : sections_) {
        if (!s.running()) continue;
        finite = finite && s.statesFinite();
        s.flushTinyStates();
    }
    if (!finite) reset();
}

// Denormal guard: a long run of sub-blocks starting with tiny non-zero values gets flushed.
inline void BandFilter::countTinyOutput(float first, float* buf, int n) {
    const float level = std::fabs(first);
    if (level >= 1e-20f) {
        denormalCount_ = 0;
    } else if (level != 0.0f && ++denormalCount_ > 20) {
        denormalCount_ = 20;
        for (int i = 0; buf != nullptr && i < n; ++i)
            if (std::fabs(buf[i]) < 1e-37f) buf[i] = 0.0f;
    }
}

inline bool BandFilter::chainable(const BandFilter& other) const {
    for (int i = 0; i < kSections; ++i) {
        const BiquadSection& a = sections_[i];
        const BiquadSection& b = other.sections_[i];
        if (a.running() != b.running() || a.gliding() || b.gliding()) return false;
    }
    // A band about to flush tiny outputs needs its own output buffer.
    return outputGain_ == 1.0f && outputGainTarget_ == 1.0f && other.outputGain_ == 1.0f &&
           other.outputGainTarget_ == 1.0f && denormalCount_ < 20 && other.denormalCount_ < 20;
}

inline int BandFilter::chainSections(BiquadSection* out[kSections]) {
    int count = 0;
    for (auto& s : sections_)
        if (s.running()) out[count++] = &s;
    return count;
}

inline void BandFilter::finishChained(float firstOutput) {
    guardStates();
    countTinyOutput(firstOutput, nullptr, 0);
}
