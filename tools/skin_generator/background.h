// The main background (10000): panel shading, the logo, band headings, row captions and separators.
// Labels are checked against the control rectangles of the layout so that none sits under a control.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace skin {

// Draws the background into `out` (640 x 267). Problems (a label under a control) are added to `errors`.
void drawBackground(Canvas& out, std::vector<std::string>& errors);

}  // namespace skin
