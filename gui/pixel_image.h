// A 32-bit pixel picture, 0x00RRGGBB per pixel, rows top to bottom. The toolkit draws into one and
// every back end shows one unchanged, so the same state gives the same pixels on every platform.
#pragma once

#include <cstdint>
#include <vector>

namespace VSTGUI {

using Pixel = uint32_t;

constexpr Pixel makePixel(int r, int g, int b) {
    return (static_cast<Pixel>(r & 255) << 16) | (static_cast<Pixel>(g & 255) << 8) | static_cast<Pixel>(b & 255);
}
constexpr int pixelRed(Pixel p) { return static_cast<int>((p >> 16) & 255); }
constexpr int pixelGreen(Pixel p) { return static_cast<int>((p >> 8) & 255); }
constexpr int pixelBlue(Pixel p) { return static_cast<int>(p & 255); }

// Colour-keyed blits leave pixels of this colour out (pure green, as the skin is painted).
constexpr Pixel kTransparentPixel = makePixel(0, 255, 0);

struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;  // width x height, row-major

    void resize(int w, int h, Pixel fill = 0) {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
    }
    const Pixel& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
    Pixel& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

}  // namespace VSTGUI
