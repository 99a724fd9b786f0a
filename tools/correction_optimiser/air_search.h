// The Air band's table for another rate: per gain point, the reference peak (frequency, Q, gain),
// kernel phase, tap count and output gain are searched so that the band's response below 20 kHz
// equals the 44.1 kHz Air band's at the same knob gain, on the point and half-way to the one below.
// At exactly 48, 88.2 and 96 kHz the band takes fitted taps instead (tools/generators/air_taps.cpp);
// these tables serve the rates in between and beyond, through the nearest rate's table.
#pragma once

#include "tools/correction_optimiser/state_file.h"
#include "tools/correction_optimiser/working_tables.h"

// rateIndex 1, 2, 3: 48, 88.2, 96 kHz. Skipped when the state already holds that rate's table.
void optimiseAir(int rateIndex, WorkingTables& shared, OptimiserState& state, int budget);
