// Which mapping table a continuous parameter uses, and the conversions through it.
#pragma once

#include <span>

#include "dsp/piecewise_map.h"
#include "effect/parameter_tables.h"

namespace param {

// The table of a continuous parameter (0 to 20). bandType is the type switch of B1 or B5 (shelf at 0.5
// and above), ignored for the other indexes.
std::span<const float> mappingTable(int index, float bandType);

inline float toPhysical(int index, float bandType, float normalized) {
    return mapForward(mappingTable(index, bandType), normalized);
}
inline float toNormalized(int index, float bandType, float physical) {
    return mapInverse(mappingTable(index, bandType), physical);
}

// NaN reads as 0.0 and infinities are clamped, so no host value can index a table or reach the engine.
inline float sanitize(float value) {
    if (value != value) return 0.0f;
    if (value > 3.0e38f) return 1.0f;
    if (value < -3.0e38f) return 0.0f;
    return value;
}

}  // namespace param
