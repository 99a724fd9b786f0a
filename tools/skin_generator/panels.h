// The panels, dialogs and text field backgrounds: pictures the editor shows whole, with their static
// captions drawn in.
#pragma once

#include "canvas.h"

namespace skin {

// Draws picture `id` when it is one of this file's kinds; false for any other id.
bool drawPanelPicture(int id, Canvas& out);

// The small response-curve emblem of the logo and the About panel.
void drawEmblem(cairo_t* cr, double x, double y, double w, double h);

// Colour behind the close button and the dialog buttons, which appear on several panels.
constexpr Rgb kCloseButtonBackdrop = palette::kDialogTitle;
constexpr Rgb kDialogButtonBackdrop = palette::kDialog;
constexpr Rgb kClipPanelFill = palette::kBar;

}  // namespace skin
