#include "gui/popup_menu_paint.h"

#include <algorithm>
#include <cstdlib>

#include "gui/blitter.h"
#include "gui/text_renderer.h"

namespace VSTGUI::popup {

namespace {

// The editor's panel greys, its light text and its accent blue.
struct Palette {
    Pixel background = makePixel(40, 42, 47);
    Pixel frame = makePixel(82, 86, 94);
    Pixel frameShade = makePixel(22, 23, 26);
    Pixel text = makePixel(226, 228, 232);
    Pixel greyText = makePixel(108, 112, 119);
    Pixel highlight = makePixel(50, 92, 116);
    Pixel highlightEdge = makePixel(72, 190, 236);
    Pixel highlightText = makePixel(255, 255, 255);
    Pixel check = makePixel(72, 190, 236);
    Pixel separatorDark = makePixel(26, 27, 31);
    Pixel separatorLight = makePixel(58, 61, 67);
};
constexpr Palette kPalette{};

constexpr int kHighlightInset = 1;   // the highlight bar stops short of the frame
constexpr int kAccentWidth = 2;      // the accent line at the highlight's left
constexpr int kSeparatorInset = 6;
constexpr int kCheckLeft = 6;        // the check mark inside the check column
constexpr int kArrowHalfHeight = 3;  // the submenu arrow: a small triangle
constexpr int kArrowRight = 8;       // from the row's right edge

// Check mark: two strokes of a tick, as offsets from its left end (x, y), 2 pixels thick.
struct Stroke {
    int x0, y0, x1, y1;
};
constexpr Stroke kTick[] = {{0, 4, 3, 7}, {3, 7, 9, 1}};
constexpr int kTickHeight = 8;

void dot(PixelImage& target, const CRect& clip, int x, int y, Pixel colour) {
    blit::fill(target, clip, CRect::fromSize(x, y, 2, 2), colour);
}

void line(PixelImage& target, const CRect& clip, CPoint from, CPoint to, Pixel colour) {
    const int steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    for (int i = 0; i <= steps; ++i) {
        const int x = from.x + (steps ? (to.x - from.x) * i / steps : 0);
        const int y = from.y + (steps ? (to.y - from.y) * i / steps : 0);
        dot(target, clip, x, y, colour);
    }
}

void drawFrame(PixelImage& target, const CRect& all) {
    const Palette& p = kPalette;
    blit::fill(target, all, all, p.frame);
    blit::fill(target, all, CRect{all.left + 1, all.top + 1, all.right - 1, all.bottom - 1}, p.background);
    // A shade along the bottom and right edges lifts the menu off the editor.
    blit::fill(target, all, CRect{all.left, all.bottom - 1, all.right, all.bottom}, p.frameShade);
    blit::fill(target, all, CRect{all.right - 1, all.top, all.right, all.bottom}, p.frameShade);
}

}  // namespace

const FontFace& menuFace() { return fontFace(FontId::Sans10); }

void paintLevel(PixelImage& target, const Level& level, const FontFace& face) {
    const Palette& p = kPalette;
    const Metrics& m = kMetrics;
    const LevelLayout& layout = level.layout;
    target.resize(layout.width, layout.height, p.background);
    const CRect all{0, 0, layout.width, layout.height};
    drawFrame(target, all);
    for (size_t i = 0; i < layout.rows.size(); ++i) {
        const MenuItem& item = (*level.items)[i];
        const CRect& row = layout.rows[i];
        if (isSeparator(item)) {
            const int y = row.top + row.height() / 2 - 1;
            blit::fill(target, all, CRect{row.left + kSeparatorInset, y, row.right - kSeparatorInset, y + 1}, p.separatorDark);
            blit::fill(target, all, CRect{row.left + kSeparatorInset, y + 1, row.right - kSeparatorInset, y + 2},
                       p.separatorLight);
            continue;
        }
        const bool lit = static_cast<int>(i) == level.highlighted && isSelectable(item);
        if (lit) {
            const CRect bar{row.left + kHighlightInset, row.top, row.right - kHighlightInset, row.bottom};
            blit::fill(target, all, bar, p.highlight);
            blit::fill(target, all, CRect{bar.left, bar.top, bar.left + kAccentWidth, bar.bottom}, p.highlightEdge);
        }
        const Pixel ink = !item.enabled ? p.greyText : lit ? p.highlightText : p.text;
        if (item.checked) {
            const int x = row.left + kCheckLeft;
            const int y = row.top + (row.height() - kTickHeight) / 2;
            for (const Stroke& s : kTick)
                line(target, all, {x + s.x0, y + s.y0}, {x + s.x1, y + s.y1}, item.enabled ? (lit ? ink : p.check) : ink);
        }
        const CRect textBox{row.left + m.checkColumn, row.top, row.right - m.arrowColumn / 2, row.bottom};
        text::draw(target, all, textBox, face, item.title, ink, HoriTxtAlign::kLeftText);
        if (!item.submenu.empty()) {
            // A right-pointing triangle, one column of pixels at a time.
            const int tip = row.right - kArrowRight;
            const int middle = row.top + row.height() / 2;
            for (int d = 0; d <= kArrowHalfHeight; ++d)
                blit::fill(target, all, CRect{tip - d, middle - d, tip - d + 1, middle + d + 1}, ink);
        }
    }
}

}  // namespace VSTGUI::popup
