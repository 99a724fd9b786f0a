// Preview pictures for looking at the skin: the editor composed from the pictures at their layout
// positions, and a sheet of the panels and dialogs with their controls in place.
#pragma once

#include <map>
#include <string>

#include "canvas.h"

namespace skin {

using Pictures = std::map<int, Canvas>;

// Writes skin-preview.png (frame 0 of everything), skin-preview-lit.png (values set, switches on) and
// skin-preview-panels.png into `dir`.
bool writePreviews(Pictures& pictures, const std::string& dir);

}  // namespace skin
