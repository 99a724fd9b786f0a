// Reading the correction tables: brackets on the scaled grids and the blend of a cell's corners.
#pragma once

#include "dsp/correction_tables.h"

#include <array>
#include <cmath>

namespace CorrectionLookup {

struct Bracket {
    int index = 0;
    float fraction = 0.0f;
    bool last = false;  // at or above the last point: that entry alone
};

// Largest index whose scaled point is at or below x; `below` is set when x lies under the first.
template <size_t N>
Bracket onGrid(const std::array<float, N>& grid, float x, float scale, bool* below = nullptr) {
    if (below != nullptr) *below = !(x >= grid[0] * scale);
    if (!(x > grid[0] * scale)) return {0, 0.0f, false};
    if (x >= grid[N - 1] * scale) return {static_cast<int>(N) - 1, 0.0f, true};
    int i = 0;
    while (i < static_cast<int>(N) - 2 && grid[i + 1] * scale <= x) ++i;
    const float lo = grid[i] * scale, hi = grid[i + 1] * scale;
    return {i, (x - lo) / (hi - lo), false};
}

// The 1 dB gain axis: floor(gain) + 15 clamped to 0..30, fraction 0 at the clamps.
inline Bracket onGainAxis(float gain) {
    const float g = std::floor(gain);
    const int index = static_cast<int>(g) + 15;
    if (!(index >= 0)) return {0, 0.0f, false};
    if (index >= CorrectionTables::kGainSteps - 1) return {CorrectionTables::kGainSteps - 1, 0.0f, true};
    return {index, gain - g, false};
}

// Blends up to eight weighted corners: settings and adjustments linearly, the length linearly and
// truncated toward zero, the kernel length as the largest of all corners that carry weight, the
// prototype from the heaviest corner.
struct Corners {
    const CorrectionTables::Cell* cell[8] = {};
    float weight[8] = {};
    int count = 0;
    void add(const CorrectionTables::Cell& c, float w) {
        cell[count] = &c;
        weight[count++] = w;
    }
};
CorrectionTables::Cell blend(const Corners& corners);

// The corners of a cell over up to three axes, b[a] for axis a with `size[a]` points; the table is
// stored flat, the last axis fastest.
Corners cellCorners(const CorrectionTables::Table& table, const Bracket* b, const int* size, int axes);

}  // namespace CorrectionLookup
