// Band recipes: how each band kind is built from up to three sections, and where its correction FIR
// comes from.
#pragma once

#include "dsp/correction_tables.h"
#include "dsp/section_design.h"

enum class NearDcRule { kNone, kGain, kGainAndSlope };

// How a band's correction FIR is designed (see BandFilter).
struct CorrectionSettings {
    int length = 0;  // taps; 0 = no correction
    float kernelPhase = 0.5f;
    int kernelLengthIndex = 0;
    float flatTaps = 0.0f;
    // The windowed difference leaves part of the IIR's slow tail uncancelled, which would move the
    // pass band (a 14 kHz cut lifting the bass by a decibel) and leak DC through a high-pass: the
    // taps are made to give the band the analog model's gain at DC, and a high-pass its slope there
    // too. Other bands keep the slope the taps give: a band acting low down has a delay near DC
    // that a few taps cannot supply. The Air band's taps are left as they are (at 0 dB they must
    // stay exactly 0).
    NearDcRule nearDc = NearDcRule::kNone;
    // Where holdHz > 0 (a first-order high-pass with taps) the band's output gain is set once its
    // taps are known, so that section and taps together give holdMagnitude there: the pass band at
    // the top of the range stays on the analog model whatever the rate, the cell's gain being
    // designed at 44.1 kHz.
    double holdHz = 0.0, holdMagnitude = 0.0;
    // Taps given directly instead of designed (the Air band at its fitted rates): the blend
    // (1 - fittedMix) fitted[0] + fittedMix fitted[1].
    const CorrectionTables::AirTapRow* fitted[2] = {nullptr, nullptr};
    float fittedMix = 0.0f;
    // Set where the band has a plain bilinear design to fall back on (the tables of bells, shelves
    // and low-passes): where the correction would leave the band further from its analog model
    // than that design, the band runs it instead (see CorrectionHarm). Pass filters are judged only
    // where the model lies above harmFloorDb.
    bool yieldsToPlain = false;
    double harmFloorDb = -1e9;
};

struct BandRecipe {
    SectionDesign main;
    SectionDesign reference;  // the analog-style section at four times the rate, for the correction
    SectionDesign second;
    SectionDesign third;
    bool useSecondSection = false;
    bool useThirdSection = false;
    bool iirActive = true;  // false: the main section is a pass-through
    CorrectionSettings correction;
    float outputGainTarget = 1.0f;
};

// Fills the sections of band kind `kind` for frequency f (Hz), quality q and gain (dB) at sample
// rate fs, with the correction looked up in `tables` (none when null). Unknown kinds give a band of
// identity sections.
BandRecipe runRecipe(int kind, float frequency, float q, float gain, float fs,
                     const CorrectionTables::Set* tables = &CorrectionTables::builtIn());

// Highest bell frequency designed as an ordinary bell at 44.1 kHz; above it (times fs / 44100) a
// bell is the Air band.
constexpr float kTopBellFrequency = 20000.0f;

// The knob gain (dB, -15 to +15) that the bell gain compensation maps to filter gain `filterGainDb`
// at quality q: the bell tables are laid out by the gain the user set.
float bellKnobGain(float filterGainDb, float q);

// Index of the Air table used at sample rate fs.
int airTableIndex(float fs);
