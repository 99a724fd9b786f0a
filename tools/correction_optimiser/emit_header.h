// Writes dsp/correction_tables_generated.h from the optimiser's state: the finished cells that
// differ from the neutral cell, sparse and sorted, and the per-rate Air tables.
#pragma once

#include "tools/correction_optimiser/state_file.h"

#include <string>

void emitHeader(const OptimiserState& state, const std::string& path);
