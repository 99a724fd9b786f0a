// Knob strips: one frame per step of the value, frame i showing value i / (frames - 1).
#pragma once

#include "canvas.h"
#include "layout.h"

namespace skin {

// Draws the strip of `spec` over the background picture under the knob's own rectangle, so the strip is
// opaque and meets the background without a fringe.
Canvas drawKnobStrip(const KnobSpec& spec, Canvas& background);

}  // namespace skin
