#include "gui/blitter.h"

namespace VSTGUI::blit {
namespace {

// The part of `dest` that lies inside the target and the clip, and the source origin moved with it.
bool clipCopy(const PixelImage& target, const CRect& clip, CRect& dest, CPoint& sourceOrigin, const PixelImage& source) {
    CRect visible = dest.intersect(clip).intersect(CRect(0, 0, target.width, target.height));
    // Never read outside the source either.
    const CRect sourceInDest = CRect::fromSize(dest.left - sourceOrigin.x, dest.top - sourceOrigin.y, source.width, source.height);
    visible = visible.intersect(sourceInDest);
    if (visible.isEmpty()) return false;
    sourceOrigin = {sourceOrigin.x + (visible.left - dest.left), sourceOrigin.y + (visible.top - dest.top)};
    dest = visible;
    return true;
}

constexpr int blendChannel(int under, int over, int coverage) { return under + ((over - under) * coverage + 127) / 255; }

}  // namespace

void copyOpaque(PixelImage& target, const CRect& clip, const CRect& destIn, const PixelImage& source, CPoint origin) {
    CRect dest = destIn;
    if (!clipCopy(target, clip, dest, origin, source)) return;
    for (int y = 0; y < dest.height(); ++y) {
        const Pixel* from = &source.at(origin.x, origin.y + y);
        Pixel* to = &target.at(dest.left, dest.top + y);
        for (int x = 0; x < dest.width(); ++x) to[x] = from[x];
    }
}

void copyKeyed(PixelImage& target, const CRect& clip, const CRect& destIn, const PixelImage& source, CPoint origin,
               Pixel key) {
    CRect dest = destIn;
    if (!clipCopy(target, clip, dest, origin, source)) return;
    for (int y = 0; y < dest.height(); ++y) {
        const Pixel* from = &source.at(origin.x, origin.y + y);
        Pixel* to = &target.at(dest.left, dest.top + y);
        for (int x = 0; x < dest.width(); ++x)
            if (from[x] != key) to[x] = from[x];
    }
}

void fill(PixelImage& target, const CRect& clip, const CRect& area, Pixel colour) {
    const CRect r = area.intersect(clip).intersect(CRect(0, 0, target.width, target.height));
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) target.at(x, y) = colour;
}

void blendCoverage(PixelImage& target, const CRect& clip, CPoint at, const uint8_t* coverage, int stride, int width,
                   int height, Pixel colour) {
    const CRect box = CRect::fromSize(at.x, at.y, width, height);
    const CRect r = box.intersect(clip).intersect(CRect(0, 0, target.width, target.height));
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const int c = coverage[(y - at.y) * stride + (x - at.x)];
            if (c == 0) continue;
            Pixel& p = target.at(x, y);
            p = makePixel(blendChannel(pixelRed(p), pixelRed(colour), c), blendChannel(pixelGreen(p), pixelGreen(colour), c),
                          blendChannel(pixelBlue(p), pixelBlue(colour), c));
        }
    }
}

}  // namespace VSTGUI::blit
