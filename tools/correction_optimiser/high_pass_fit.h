// First-order high-pass points without written taps: the band's output gain holds its pass band on
// the analog model at the top of the range (see dsp/band_recipes.cpp), which leaves one setting
// free, the frequency scale. It is fitted here directly, by a scan of the largest deviation from the
// analog model on the point's own setting at 44.1 kHz, in place of the general search (whose blends
// between points chase each other's scales).
#pragma once

#include "tools/correction_optimiser/state_file.h"
#include "tools/correction_optimiser/working_tables.h"

namespace HighPassFit {

// The largest deviation (dB, 20 Hz to 20 kHz) of the first-order high-pass at f (Hz) at 44.1 kHz,
// designed by the runtime from `tables`, from its analog model.
double worstDb(const WorkingTables& tables, float f);

// Fits every point without written taps in the high-pass table, records each in `state` (its
// score and plain score in dB) and prints a line per point. Returns how many it fitted.
int fitPointsWithoutTaps(WorkingTables& tables, OptimiserState& state);

}  // namespace HighPassFit
