// Where the toolkit's own pop-up menu puts its entries: one level (a menu or a submenu) laid out in
// rows, split into columns when it is taller than the screen, and placed on the screen. Pure
// functions of their arguments: any thread.
#pragma once

#include <vector>

#include "gui/font_atlas.h"
#include "gui/geometry.h"
#include "gui/window_backend.h"

namespace VSTGUI::popup {

// The measures of a level, in pixels.
struct Metrics {
    int border = 1;          // frame line around the level
    int padding = 3;         // between the frame and the first and last rows
    int rowHeight = 19;
    int separatorHeight = 7;
    int checkColumn = 20;    // left of the text: the check mark
    int arrowColumn = 18;    // right of the text: the submenu arrow
    int textRight = 10;      // after the text of an entry without an arrow
    int minimumWidth = 96;
    int submenuOverlap = 2;  // a submenu covers this much of its parent's frame
};
inline constexpr Metrics kMetrics{};

bool isSeparator(const MenuItem& item);
// Can be highlighted and chosen (or opened): enabled and no separator.
bool isSelectable(const MenuItem& item);
bool opensSubmenu(const MenuItem& item);

struct LevelLayout {
    std::vector<CRect> rows;  // one per entry, in the level's own coordinates (0, 0 = its top left corner)
    int width = 0;
    int height = 0;
    int columns = 1;
    int rowsPerColumn = 0;   // entries per column (the last column may hold fewer)
};

// Lays out `items` in `face`. A level taller than `maxHeight` is split into as many columns as it
// needs, the entries shared out evenly and running down each column in order.
LevelLayout layoutLevel(const std::vector<MenuItem>& items, const FontFace& face, int maxHeight);

// The entry under `p` (level coordinates), separators and greyed entries included; -1 for none.
int entryAt(const LevelLayout& layout, CPoint p);

// The top level of `size` with its top left corner at `where`, shifted to stay inside `screen`.
CRect placeMenu(CPoint size, CPoint where, const CRect& screen);
// A submenu of `size` beside `entry` (the entry that opens it, in screen coordinates), its first row
// level with the entry: to the right, to the left when the right has no room, moved up to stay on
// the screen.
CRect placeSubmenu(CPoint size, const CRect& entry, const CRect& screen);

}  // namespace VSTGUI::popup
