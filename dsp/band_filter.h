// One band of one channel: up to three IIR sections built by the band's recipe, redesigned when its
// values change, gliding from the running coefficients to each new design.
#pragma once

#include "dsp/band_recipes.h"
#include "dsp/biquad_section.h"

// The values a band is asked to realise, read once per sub-block.
struct BandValues {
    float frequency = 1000.0f;  // Hz
    float gain = 0.0f;          // dB
    float q = 1.0f;
    int kind = 14;
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
    float rateScale_ = 1.0f;
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
