// Band recipes: how each band kind is built from up to three sections.
#pragma once

#include "dsp/section_design.h"

struct BandRecipe {
    SectionDesign main;
    SectionDesign reference;  // the analog-style section at four times the rate, for the correction
    SectionDesign second;
    SectionDesign third;
    bool useSecondSection = false;
    bool useThirdSection = false;
    bool iirActive = true;        // false: the main section is a pass-through
    int correctionLength = 0;     // taps of the correction FIR; 0 = none
    float outputGainTarget = 1.0f;
};

// Fills the sections of band kind `kind` for frequency f (Hz), quality q and gain (dB) at sample
// rate fs. Unknown kinds give a band of identity sections.
BandRecipe runRecipe(int kind, float frequency, float q, float gain, float fs);

// Highest bell frequency designed as an ordinary bell at 44.1 kHz; above it (times fs / 44100) a
// bell is the Air band.
constexpr float kTopBellFrequency = 20000.0f;
