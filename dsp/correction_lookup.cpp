#include "dsp/correction_lookup.h"

namespace CorrectionLookup {
using CorrectionTables::Cell;

Cell blend(const Corners& corners) {
    Cell out;
    out.kernelPhase = out.flatTaps = out.outputGain = 0.0f;
    out.frequencyScale = out.q1Scale = out.q2Scale = out.gainOffset = 0.0f;
    float length = 0.0f, heaviest = -1.0f;
    // The output gain as the first corner's plus the weighted differences: corners that agree give
    // exactly their value (weights that sum to 1 − 1 ulp would turn 1.0 into 0.99999994, and a band
    // whose gain is not exactly 1 leaves the engine's fast paths).
    const float baseGain = corners.count > 0 ? corners.cell[0]->outputGain : 1.0f;
    out.outputGain = baseGain;
    for (int i = 0; i < corners.count; ++i) {
        const Cell& c = *corners.cell[i];
        const float w = corners.weight[i];
        length += w * static_cast<float>(c.length);
        out.kernelPhase += w * c.kernelPhase;
        out.flatTaps += w * c.flatTaps;
        out.outputGain += w * (c.outputGain - baseGain);
        out.frequencyScale += w * c.frequencyScale;
        out.q1Scale += w * c.q1Scale;
        out.q2Scale += w * c.q2Scale;
        out.gainOffset += w * c.gainOffset;
        // Corners of (almost) no weight do not lengthen the kernel: at a grid point the cell's own
        // kernel is used, the tables were searched that way.
        if (w > 1e-3f && c.kernelLengthIndex > out.kernelLengthIndex) out.kernelLengthIndex = c.kernelLengthIndex;
        if (w > heaviest) {
            heaviest = w;
            out.prototype = c.prototype;
        }
    }
    out.length = length > 0.0f ? static_cast<int>(length) : 0;
    return out;
}

Corners cellCorners(const CorrectionTables::Table& table, const Bracket* b, const int* size, int axes) {
    Corners corners;
    const int combinations = 1 << axes;
    for (int m = 0; m < combinations; ++m) {
        int index = 0;
        float weight = 1.0f;
        bool exists = true;
        for (int a = 0; a < axes; ++a) {
            const bool upper = (m >> (axes - 1 - a)) & 1;
            if (upper && b[a].last) exists = false;
            index = index * size[a] + b[a].index + (upper ? 1 : 0);
            weight *= upper ? b[a].fraction : 1.0f - b[a].fraction;
        }
        if (exists) corners.add(table.at(index), weight);
    }
    return corners;
}

}  // namespace CorrectionLookup
