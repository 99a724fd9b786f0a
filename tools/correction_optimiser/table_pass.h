// Searching the cells of the bell, shelf, low-pass and high-pass tables. A cell is judged on its own
// grid point and on the half-way settings towards its neighbours (frequency, Q and gain, both sides,
// and along every diagonal of the cells around it), since the band blends the corners of a cell
// linearly: settings between cells must stay good too.
//
// The first pass searches each cell from a coarse grid of seeds and the finished cells around it,
// counting only neighbours that are finished; a polish pass searches a finished cell again from
// itself and its neighbours, counting all of them.
#pragma once

#include "tools/correction_optimiser/state_file.h"
#include "tools/correction_optimiser/working_tables.h"

#include <string>

namespace TablePass {

// The axes of a table and the band kind measured on it.
struct Shape {
    int kind;
    const float* frequencies;
    int frequencyCount;
    const float* qs;  // null: no Q axis (the band is measured at Q 0.7)
    int qCount;
    bool gainAxis;    // 31 points, -15 to +15 dB (bells: the knob gain)
    double floorDb;   // pass filters: only where the analog response lies above
    unsigned free;    // the cell entries the recipe takes from this table (CellSearch::Entry)
    // The Q that users can set on the band: settings outside are never heard, so they are not
    // scored, and a Q line whose cells only serve them is not searched.
    float qLow = 0.0f, qHigh = 1e9f;
    // Where the Q users can set depends on the band frequency (the low-pass): the lowest and highest
    // at f (Hz at 44.1 kHz), over every rate that reads the cell there.
    float (*heardQ)(float f, bool highest) = nullptr;
    // The highest frequency users can set on the band (the high-pass knob stops at 10 kHz): the last
    // frequency point serves every setting above it up to here.
    float topHz = 20000.0f;
};
// Whether any setting users can reach reads the cells of Q line `qi`.
bool qLineHeard(const Shape& shape, int qi);
Shape shapeOf(const std::string& table);
int cellIndex(const Shape& shape, int fi, int qi, int gi);

struct Options {
    bool polish = false;
    int starts = 4;    // descents per cell
    int budget = 120;  // scores per descent
    double keep = 0.0; // a cell whose score is at or below this (units of its targets) is left as it is
    // Where the plain band scores at or below this around the cell, the cell stays neutral: no taps
    // are spent where the bilinear design already meets its targets with room to spare.
    double plainEnough = 0.5;
    // At or above 0: every searched cell takes this kernel length index.
    int kernel = -1;
    // At or above 0: every searched cell that carries a correction takes this main prototype entry
    // (0 keeps the recipe's, 1 switches the main IIR off, others replace it).
    int prototype = -1;
    // A polish also starts from the coarse seeds at every searched kernel phase, as a first pass
    // does: a cell can then leave the kind of solution its neighbours settled on.
    bool broad = false;
    // Every setting scored in dB of largest deviation over the whole range (no band to 10 kHz held
    // tighter), with a small share of the penalty: a joint search of a region settles lower so, at
    // 44.1 kHz and at twice the rate alike, than with the targets' units.
    bool inDb = false;
    // Share of the mean deviation over the scored settings added to the largest. A pure largest
    // deviation rewards nothing below the one a neighbour sets, so a cell settles on any candidate
    // under it, its own grid point included; the mean keeps every setting it can mend counting.
    double soft = 0.0;
    // The pass-band and do-no-harm rules scored on top of the deviations (see Scoring).
    bool rules = true;
    // Whether the bands scored may give way to their plain design where a correction does harm, as
    // they do when they run; off, the tables' own corrections are scored.
    bool fallback = true;
    // The cells a run searches (Hz at 44.1 kHz, Q, knob dB). With `inside`, settings towards cells
    // outside them are not scored: a region is searched as a whole, free of the kind of solution
    // the cells around it settled on, and a later pass joins it to them.
    float fromHz = 0.0f, belowHz = 1e9f, qFrom = 0.0f, qTo = 1e9f;
    int gainLow = -15, gainHigh = 15;
    bool inside = false;
};

// Gives a cell without taps the kernel phase that suits a correction on its grid point, where that
// phase clearly beats the centred kernel, and records it. The band blends the phase between cells
// and good phases lie in narrow valleys: a corrected neighbour blended with a cell left at 0.5
// falls out of its valley half-way. Returns whether the cell changed.
bool alignPhase(const std::string& table, int fi, int qi, int gi, const Options& options, WorkingTables& shared,
                OptimiserState& state);

// What one cell reaches on its own grid point with no neighbour to blend with, in dB of largest
// deviation: the table's cell, and the best cell a search finds for that setting alone. Measured at
// `rate`, where the cell serves the band at its frequency times rate / 44.1 kHz. A target that even
// the best cell misses is out of reach of any table.
struct Alone {
    double table = 0.0, best = 0.0;
    CorrectionTables::Cell cell;
};
Alone alone(const std::string& table, int fi, int qi, int gi, const Options& options, const WorkingTables& shared, float rate);

// Searches one cell and records it in the state (and the shared tables). Returns its score.
double refineCell(const std::string& table, int fi, int qi, int gi, const Options& options, WorkingTables& shared,
                  OptimiserState& state);
}  // namespace TablePass
