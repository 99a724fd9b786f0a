#include "gui/text_renderer.h"

#include <algorithm>

#include "gui/blitter.h"

namespace VSTGUI::text {
namespace {

constexpr uint32_t kReplacement = '?';

int glyphIndex(const FontFace& face, uint32_t codepoint) {
    const FontGlyph* end = face.glyphs + face.glyphCount;
    const FontGlyph* g = std::lower_bound(face.glyphs, end, codepoint,
                                          [](const FontGlyph& a, uint32_t c) { return a.codepoint < c; });
    if (g != end && g->codepoint == codepoint) return static_cast<int>(g - face.glyphs);
    return codepoint == kReplacement ? -1 : glyphIndex(face, kReplacement);
}

int kerning(const FontFace& face, int left, int right) {
    if (face.kerning == nullptr || left < 0 || right < 0) return 0;
    return face.kerning[left * face.glyphCount + right];
}

// Calls visit(glyph, penX) for every glyph of the text.
template <typename Visit>
int layout(const FontFace& face, std::string_view utf8, Visit visit) {
    int pen = 0;
    int previous = -1;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const int index = glyphIndex(face, nextCodepoint(utf8, pos));
        if (index < 0) continue;
        pen += kerning(face, previous, index);
        visit(face.glyphs[index], pen);
        pen += face.glyphs[index].advance;
        previous = index;
    }
    return pen;
}

}  // namespace

uint32_t nextCodepoint(std::string_view s, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos++);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || pos + static_cast<std::size_t>(extra) > s.size()) return kReplacement;
    uint32_t cp = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        const unsigned char c = byte(pos);
        if ((c & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (c & 0x3F);
        ++pos;
    }
    return cp;
}

int measure(const FontFace& face, std::string_view utf8) {
    return layout(face, utf8, [](const FontGlyph&, int) {});
}

void draw(PixelImage& target, const CRect& clip, const CRect& box, const FontFace& face, std::string_view utf8,
          Pixel colour, HoriTxtAlign align) {
    const int width = measure(face, utf8);
    int x = box.left;
    if (align == HoriTxtAlign::kCenterText) x = box.left + (box.width() - width) / 2;
    if (align == HoriTxtAlign::kRightText) x = box.right - width;
    const int baseline = box.top + (box.height() - (face.ascent + face.descent)) / 2 + face.ascent;
    const CRect limit = clip.intersect(box);
    layout(face, utf8, [&](const FontGlyph& g, int pen) {
        if (g.width == 0 || g.height == 0) return;
        blit::blendCoverage(target, limit, {x + pen + g.bearingX, baseline - g.bearingY},
                            face.coverage + g.atlasY * face.atlasWidth + g.atlasX, face.atlasWidth, g.width, g.height,
                            colour);
    });
}

}  // namespace VSTGUI::text
