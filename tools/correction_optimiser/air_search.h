// The Air band's table for another rate: per gain point, the reference peak (frequency, Q, gain),
// kernel phase, tap count and output gain are searched so that the band's response below 20 kHz
// equals the 44.1 kHz Air band's at the same knob gain, on the point and half-way to the one below.
#pragma once

#include "tools/correction_optimiser/state_file.h"
#include "tools/correction_optimiser/working_tables.h"

// rateIndex 1, 2, 3: 48, 88.2, 96 kHz. Skipped when the state already holds that rate's table.
void optimiseAir(int rateIndex, WorkingTables& shared, OptimiserState& state, int budget);
