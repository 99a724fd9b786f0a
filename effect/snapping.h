// Snapping of physical values to the grids the snapping options select.
#pragma once

#include <span>

namespace param {

// Nearest grid point at or below p + 0.01 (the tolerance lets 1149.995 Hz land on 1150 Hz).
float snapToGrid(std::span<const float> grid, float p);

// The grid for a continuous parameter and the snapping code of its group; empty when the code means
// no snapping. bandType is the band's type switch (bell or shelf) for the two switchable bands.
std::span<const float> snapGrid(int index, float bandType, float code);

}  // namespace param
