// The software blitter every drawing goes through: opaque and colour-keyed copies, fills and coverage
// blends into a PixelImage, always clipped to the target and to a clip rectangle. Pure functions of
// their arguments: any thread, one target per thread.
#pragma once

#include "gui/geometry.h"
#include "gui/pixel_image.h"

namespace VSTGUI::blit {

// Copies `source` from `sourceOrigin` to `dest` (its size gives the copied size), clipped by `clip`.
void copyOpaque(PixelImage& target, const CRect& clip, const CRect& dest, const PixelImage& source, CPoint sourceOrigin);
// As copyOpaque, but source pixels equal to `key` are left out.
void copyKeyed(PixelImage& target, const CRect& clip, const CRect& dest, const PixelImage& source, CPoint sourceOrigin,
               Pixel key);
void fill(PixelImage& target, const CRect& clip, const CRect& area, Pixel colour);
// Blends `colour` over the target by an 8-bit coverage mask (glyphs): coverage 255 is the colour itself.
void blendCoverage(PixelImage& target, const CRect& clip, CPoint at, const uint8_t* coverage, int coverageStride,
                   int width, int height, Pixel colour);

}  // namespace VSTGUI::blit
