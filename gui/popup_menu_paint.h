// The look of the toolkit's own pop-up menu: one level drawn into a picture of its size, in the
// editor's dark skin and with the editor's fonts. Pure function of its arguments: any thread.
#pragma once

#include "gui/popup_menu_session.h"
#include "gui/pixel_image.h"

namespace VSTGUI::popup {

// The face menus are set in.
const FontFace& menuFace();

// Draws `level` into `target`, resized to the level's layout.
void paintLevel(PixelImage& target, const Level& level, const FontFace& face);

}  // namespace VSTGUI::popup
