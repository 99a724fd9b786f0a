// Switches, push buttons, menu buttons and the lamp: every strip of three (or two) stacked frames and
// the single-frame menu buttons.
#pragma once

#include "canvas.h"

namespace skin {

// Where a control's pictures are seen: frames are painted over a copy of `source` at (x, y), or over the
// flat colour when there is no source (controls that appear at several places).
struct Backdrop {
    Canvas* source;
    int x;
    int y;
    Rgb flat;
};

// Draws picture `id` when it is one of this file's kinds; false for any other id.
bool drawSwitchPicture(int id, int frames, const Backdrop& backdrop, Canvas& out);

}  // namespace skin
