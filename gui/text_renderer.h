// Text from the build-time font atlases: UTF-8 in, coverage blended into a PixelImage. Any thread, one
// target per thread.
#pragma once

#include <string_view>

#include "gui/font_atlas.h"
#include "gui/geometry.h"
#include "gui/pixel_image.h"

namespace VSTGUI {

enum class HoriTxtAlign { kLeftText, kCenterText, kRightText };

namespace text {

// Width in pixels of `utf8` set in `face` (kerning included).
int measure(const FontFace& face, std::string_view utf8);
// Draws `utf8` inside `box`, vertically centred, aligned as asked, clipped to `clip` and `box`.
void draw(PixelImage& target, const CRect& clip, const CRect& box, const FontFace& face, std::string_view utf8,
          Pixel colour, HoriTxtAlign align);
// Next code point of `utf8` from `pos` (advanced); malformed bytes read as '?'.
uint32_t nextCodepoint(std::string_view utf8, std::size_t& pos);

}  // namespace text
}  // namespace VSTGUI
