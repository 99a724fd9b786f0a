// The search over one table cell: a coordinate descent over every entry of the cell (tap count,
// kernel length, kernel phase, flat share, the main section's frequency, Q and gain adjustments and
// the output gain), started from the best few of a set of seeds.
#pragma once

#include "dsp/correction_tables.h"

#include <functional>
#include <vector>

namespace CellSearch {
using Cell = CorrectionTables::Cell;

// The score of a candidate; `bound` lets the scorer stop early once the candidate cannot beat it.
using Score = std::function<double(const Cell& candidate, double bound)>;

// The searched kernel phases: up to 0.3 either side of centred, a shift of 2.4 samples at 4 fs (0.6
// of a sample at fs). Cells whose corner lies near Nyquist (shelves and low-passes above 16 kHz)
// want more than 0.2; the penalty on the shift keeps the others near the centre.
constexpr float kPhaseLow = 0.2f, kPhaseHigh = 0.8f;

// Keeps a cell's entries in their searched ranges.
void clampCell(Cell& c);

// Entries of a cell the descent may move; a table whose recipe ignores or fixes an entry leaves it
// out.
enum Entry : unsigned {
    kLength = 1u << 0,
    kKernelLength = 1u << 1,
    kKernelPhase = 1u << 2,
    kFlatTaps = 1u << 3,
    kFrequencyScale = 1u << 4,
    kQScale = 1u << 5,
    kGainOffset = 1u << 6,
    kOutputGain = 1u << 7,
    kAllEntries = 0xffu,
};

// Coordinate descent from `start`: every free entry is stepped both ways, the first improvement is
// kept; when none helps, pairs of the continuous entries are stepped together; the steps halve when
// a round brings nothing; at most `budget` scores.
Cell descend(const Score& score, Cell start, double& best, int budget, unsigned free = kAllEntries);

// A coarse grid of tap counts, kernel lengths and flat shares (kernel centred, no adjustments).
std::vector<Cell> coarseSeeds();

// Scores every seed, then descends from the best `starts` distinct ones; returns the best cell.
Cell fromSeeds(const Score& score, const std::vector<Cell>& seeds, int starts, int budget, double& best,
               unsigned free = kAllEntries);
}  // namespace CellSearch
