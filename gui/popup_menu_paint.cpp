#include "gui/popup_menu_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

// Check mark: a tick of two strokes (x0, y0) to (x1, y1) in a box of kTickWidth x kTickHeight, smoothed.
struct Stroke {
    float x0, y0, x1, y1;
};
constexpr Stroke kTick[] = {{1.5f, 5.0f, 4.0f, 7.5f}, {4.0f, 7.5f, 9.0f, 1.5f}};
constexpr int kTickWidth = 11;
constexpr int kTickHeight = 9;
constexpr float kTickHalfThickness = 0.9f;

float distanceToStroke(float x, float y, const Stroke& s) {
    const float dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const float along = std::clamp(((x - s.x0) * dx + (y - s.y0) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - (s.x0 + along * dx), y - (s.y0 + along * dy));
}

void drawTick(PixelImage& target, const CRect& clip, CPoint at, Pixel colour) {
    uint8_t coverage[kTickWidth * kTickHeight];
    for (int y = 0; y < kTickHeight; ++y) {
        for (int x = 0; x < kTickWidth; ++x) {
            float d = distanceToStroke(x + 0.5f, y + 0.5f, kTick[0]);
            for (const Stroke& s : kTick) d = std::min(d, distanceToStroke(x + 0.5f, y + 0.5f, s));
            const float inside = std::clamp(kTickHalfThickness + 0.5f - d, 0.0f, 1.0f);
            coverage[y * kTickWidth + x] = static_cast<uint8_t>(inside * 255.0f + 0.5f);
        }
    }
    blit::blendCoverage(target, clip, at, coverage, kTickWidth, kTickWidth, kTickHeight, colour);
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
            const CPoint at{row.left + kCheckLeft, row.top + (row.height() - kTickHeight) / 2};
            drawTick(target, all, at, item.enabled && !lit ? p.check : ink);
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
