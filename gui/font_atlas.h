// Bitmap fonts rendered at build time (tools/skin_generator) into 8-bit coverage atlases, so text
// looks the same on every platform. Tables only: no state, any thread.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct FontGlyph {
    uint32_t codepoint;  // Unicode
    int16_t atlasX;      // top-left of the glyph's coverage box in the atlas
    int16_t atlasY;
    uint8_t width;       // coverage box size (0 for a space)
    uint8_t height;
    int8_t bearingX;     // box left relative to the pen position
    int8_t bearingY;     // box top relative to the baseline (positive: above)
    uint8_t advance;     // pen advance in whole pixels
};

struct FontFace {
    const char* name;
    int pixelSize;
    int ascent;       // pixels above the baseline
    int descent;      // pixels below the baseline (positive)
    const FontGlyph* glyphs;  // sorted by codepoint
    int glyphCount;
    const uint8_t* coverage;  // atlasWidth x atlasHeight, 0 = none, 255 = full
    int atlasWidth;
    int atlasHeight;
    const int8_t* kerning;    // glyphCount x glyphCount adjustments in pixels (left, right), or null
};

// The faces the skin and the editor use.
enum class FontId { Sans10, SansBold10, Condensed10, Sans9, Count };

const FontFace& fontFace(FontId id);

}  // namespace VSTGUI
