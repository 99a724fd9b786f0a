// Writes dsp/correction_tables_generated.h from the optimiser's tables (its seeds with the state
// file's cells over them, so that a run over part of the tables keeps the rest): the cells that
// differ from the neutral cell, sparse and sorted, and the per-rate Air tables.
#pragma once

#include "tools/correction_optimiser/state_file.h"

#include <string>

void emitHeader(const OptimiserState& state, const WorkingTables& tables, const std::string& path);
