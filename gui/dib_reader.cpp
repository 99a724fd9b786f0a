// Device-independent bitmap decoding shared by both platforms' resource loaders. Every field that sizes
// a later read is checked against the data first, in 64-bit arithmetic, so damaged data is refused
// rather than read past its end.
#include <cstddef>
#include <cstdint>

#include "gui/bitmap_resource.h"

namespace VSTGUI {

namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr uint32_t kUncompressed = 0;  // BI_RGB
constexpr int kMaxDimension = 1 << 15;  // far above any skin picture; keeps sizes small
constexpr uint32_t kMaxPaletteEntries = 256;
constexpr uint64_t kPaletteEntrySize = 4;

uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
int32_t readSigned32(const uint8_t* p) { return static_cast<int32_t>(read32(p)); }

}  // namespace

bool readDib(const uint8_t* data, std::size_t size, PixelImage& out) {
    out = PixelImage{};
    if (data == nullptr || size < kInfoHeaderSize) return false;
    const uint32_t headerSize = read32(data);
    const int32_t width = readSigned32(data + 4);
    const int32_t rawHeight = readSigned32(data + 8);
    const uint16_t planes = read16(data + 12);
    const uint16_t bitsPerPixel = read16(data + 14);
    const uint32_t compression = read32(data + 16);
    const uint32_t paletteEntries = read32(data + 32);
    if (headerSize < kInfoHeaderSize || headerSize > size) return false;
    if (planes != 1 || (bitsPerPixel != 24 && bitsPerPixel != 32) || compression != kUncompressed) return false;
    if (width <= 0 || width > kMaxDimension || rawHeight == 0 || rawHeight < -kMaxDimension ||
        rawHeight > kMaxDimension) {
        return false;
    }
    if (paletteEntries > kMaxPaletteEntries) return false;

    // A negative height means rows top to bottom; positive, bottom to top.
    const bool topDown = rawHeight < 0;
    const int height = topDown ? -rawHeight : rawHeight;
    const uint64_t bytesPerPixel = bitsPerPixel / 8u;
    const uint64_t stride = (static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const uint64_t pixelOffset = headerSize + paletteEntries * kPaletteEntrySize;
    if (pixelOffset + stride * static_cast<uint64_t>(height) > size) return false;

    out.resize(width, height);
    for (int y = 0; y < height; ++y) {
        const int sourceRow = topDown ? y : height - 1 - y;
        const uint8_t* row = data + pixelOffset + stride * static_cast<uint64_t>(sourceRow);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + bytesPerPixel * static_cast<uint64_t>(x);
            out.at(x, y) = makePixel(p[2], p[1], p[0]);
        }
    }
    return true;
}

}  // namespace VSTGUI
