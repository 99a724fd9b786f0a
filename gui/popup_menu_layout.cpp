#include "gui/popup_menu_layout.h"

#include <algorithm>

#include "gui/text_renderer.h"

namespace VSTGUI::popup {

bool isSeparator(const MenuItem& item) { return item.title == "-"; }
bool isSelectable(const MenuItem& item) { return item.enabled && !isSeparator(item); }
bool opensSubmenu(const MenuItem& item) { return isSelectable(item) && !item.submenu.empty(); }

LevelLayout layoutLevel(const std::vector<MenuItem>& items, const FontFace& face, int maxHeight) {
    const Metrics& m = kMetrics;
    LevelLayout layout;
    const int frame = m.border + m.padding;
    // Widest entry: every column takes that width.
    int textWidth = 0;
    bool anyArrow = false;
    for (const MenuItem& item : items) {
        if (isSeparator(item)) continue;
        textWidth = std::max(textWidth, text::measure(face, item.title));
        anyArrow = anyArrow || !item.submenu.empty();
    }
    const int columnWidth =
        std::max(m.minimumWidth - 2 * frame, m.checkColumn + textWidth + (anyArrow ? m.arrowColumn : m.textRight));

    // Rows per column: as many as fit, counted with full rows so that separators never overflow.
    const int room = std::max(maxHeight - 2 * frame, m.rowHeight);
    const int count = static_cast<int>(items.size());
    const int fit = std::max(1, room / m.rowHeight);
    int total = 0;
    for (const MenuItem& item : items) total += isSeparator(item) ? m.separatorHeight : m.rowHeight;
    layout.columns = total <= room ? 1 : (count + fit - 1) / fit;
    // The entries shared out evenly, so that the last column is not a stub.
    layout.rowsPerColumn = std::max(1, (count + layout.columns - 1) / layout.columns);

    int tallest = 0;
    int top = frame;
    layout.rows.reserve(items.size());
    for (int i = 0; i < count; ++i) {
        const int column = i / layout.rowsPerColumn;
        if (i % layout.rowsPerColumn == 0) top = frame;
        const int height = isSeparator(items[static_cast<size_t>(i)]) ? m.separatorHeight : m.rowHeight;
        layout.rows.push_back(CRect::fromSize(frame + column * columnWidth, top, columnWidth, height));
        top += height;
        tallest = std::max(tallest, top);
    }
    layout.width = 2 * frame + layout.columns * columnWidth;
    layout.height = std::max(tallest, frame) + frame;
    return layout;
}

int entryAt(const LevelLayout& layout, CPoint p) {
    for (size_t i = 0; i < layout.rows.size(); ++i)
        if (layout.rows[i].pointInside(p)) return static_cast<int>(i);
    return -1;
}

namespace {

// The start of a span of `length` at `start`, moved to lie within [low, high) where it fits, else at `low`.
int keepInside(int start, int length, int low, int high) { return std::max(low, std::min(start, high - length)); }

}  // namespace

CRect placeMenu(CPoint size, CPoint where, const CRect& screen) {
    const int x = keepInside(where.x, size.x, screen.left, screen.right);
    const int y = keepInside(where.y, size.y, screen.top, screen.bottom);
    return CRect::fromSize(x, y, size.x, size.y);
}

CRect placeSubmenu(CPoint size, const CRect& entry, const CRect& screen) {
    const Metrics& m = kMetrics;
    const int frame = m.border + m.padding;
    // Beside the entry's own column: in a level of several columns that is not the level's edge.
    const int rightSide = entry.right + frame - m.submenuOverlap;
    const int leftSide = entry.left - frame + m.submenuOverlap - size.x;
    int x = rightSide;
    if (rightSide + size.x > screen.right) {
        // Neither side has room: the side with more of it, kept on the screen.
        x = leftSide >= screen.left || entry.left - screen.left > screen.right - entry.right
                ? keepInside(leftSide, size.x, screen.left, screen.right)
                : keepInside(rightSide, size.x, screen.left, screen.right);
    }
    const int y = keepInside(entry.top - frame, size.y, screen.top, screen.bottom);
    return CRect::fromSize(x, y, size.x, size.y);
}

}  // namespace VSTGUI::popup
