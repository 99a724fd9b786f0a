// The skin as the editor loads it (embedded on Linux, BITMAP resources on Windows), the bitmap decoder
// on damaged and well-formed data, and the font atlas tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "gui/bitmap_resource.h"
#include "gui/font_atlas.h"

using namespace VSTGUI;

namespace {

struct ExpectedPicture {
    int firstId;
    int lastId;  // a run of consecutive ids of the same kind
    int minWidth;
    int maxWidth;
    int height;
    int frames;
};

// The skin's pictures: sizes and frame counts the editor's layout relies on.
constexpr ExpectedPicture kExpectedPictures[] = {
    {10000, 10000, 640, 640, 267, 1},
    {1, 7, 30, 34, 2080, 65},
    {8, 14, 28, 31, 1428, 51},
    {15, 19, 31, 33, 2080, 65},
    {20, 21, 36, 36, 2080, 65},
    {3000, 3007, 44, 44, 75, 3},
    {3008, 3011, 25, 25, 72, 3},
    {3012, 3012, 43, 43, 120, 3},
    {1013, 1013, 39, 39, 63, 3},
    {1023, 1023, 39, 39, 63, 3},
    {1007, 1007, 28, 28, 63, 3},
    {1014, 1015, 39, 39, 63, 3},
    {1016, 1017, 38, 38, 63, 3},
    {1009, 1010, 44, 44, 21, 1},
    {1024, 1024, 44, 44, 21, 1},
    {1011, 1012, 45, 45, 21, 1},
    {1022, 1022, 45, 45, 21, 1},
    {1018, 1019, 69, 69, 21, 1},
    {1021, 1021, 69, 69, 21, 1},
    {1006, 1006, 50, 50, 25, 1},
    {1025, 1025, 94, 94, 15, 1},
    {1026, 1026, 156, 156, 14, 1},
    {1005, 1005, 52, 52, 11, 1},
    {1008, 1008, 31, 31, 11, 1},
    {1020, 1020, 240, 240, 30, 1},
    {1027, 1027, 318, 318, 34, 1},
    {2009, 2009, 92, 92, 235, 1},
    {1028, 1029, 28, 28, 63, 3},
    {1040, 1041, 28, 28, 63, 3},
    {1043, 1044, 28, 28, 63, 3},
    {1049, 1050, 28, 28, 63, 3},
    {1030, 1031, 69, 69, 63, 3},
    {1045, 1046, 69, 69, 63, 3},
    {1032, 1033, 38, 38, 63, 3},
    {1042, 1042, 38, 38, 63, 3},
    {1047, 1048, 38, 38, 63, 3},
    {1051, 1051, 38, 38, 63, 3},
    {1038, 1039, 38, 38, 63, 3},
    {1034, 1037, 69, 69, 42, 2},
    {22, 22, 25, 25, 46, 2},
    {4006, 4006, 39, 39, 42, 1},
    {4001, 4002, 469, 469, 13, 1},
    {4000, 4000, 412, 412, 13, 1},
    {4004, 4005, 385, 385, 13, 1},
    {4003, 4003, 475, 475, 13, 1},
    {2000, 2000, 320, 320, 240, 1},
    {2006, 2006, 320, 320, 240, 1},
    {2007, 2007, 28, 28, 63, 3},
    {2008, 2008, 590, 590, 240, 1},
    {2010, 2011, 69, 69, 63, 3},
    {2001, 2001, 274, 274, 136, 1},
    {2003, 2004, 274, 274, 136, 1},
    {2002, 2002, 320, 320, 140, 1},
    {2005, 2005, 267, 267, 91, 1},
    {2012, 2013, 320, 320, 140, 1},
};

TEST(SkinResources, EveryPictureLoadsWithItsSizeAndWholeFrames) {
    int count = 0;
    for (const ExpectedPicture& expected : kExpectedPictures) {
        for (int id = expected.firstId; id <= expected.lastId; ++id) {
            SCOPED_TRACE("picture " + std::to_string(id));
            PixelImage image;
            ASSERT_TRUE(loadBitmapResource(id, image));
            EXPECT_GE(image.width, expected.minWidth);
            EXPECT_LE(image.width, expected.maxWidth);
            EXPECT_EQ(image.height, expected.height);
            EXPECT_EQ(image.height % expected.frames, 0);
            EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height);
            ++count;
        }
    }
    EXPECT_EQ(count, 104);
}

// Strips are painted opaque over their surroundings: a key-coloured pixel would be a hole in a control.
TEST(SkinResources, NoPictureUsesTheTransparentColour) {
    for (const ExpectedPicture& expected : kExpectedPictures) {
        for (int id = expected.firstId; id <= expected.lastId; ++id) {
            PixelImage image;
            ASSERT_TRUE(loadBitmapResource(id, image));
            std::size_t keyed = 0;
            for (Pixel p : image.pixels) keyed += p == kTransparentPixel ? 1 : 0;
            EXPECT_EQ(keyed, 0u) << "picture " << id;
        }
    }
}

// Knob frames differ from one another (the value shows) and the first frame differs from the last.
TEST(SkinResources, KnobStripFramesShowTheirValues) {
    for (int id = 1; id <= 21; ++id) {
        PixelImage image;
        ASSERT_TRUE(loadBitmapResource(id, image));
        const int frames = id >= 8 && id <= 14 ? 51 : 65;
        const int h = image.height / frames;
        const auto frameEquals = [&](int a, int b) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < image.width; ++x) {
                    if (image.at(x, a * h + y) != image.at(x, b * h + y)) return false;
                }
            }
            return true;
        };
        EXPECT_FALSE(frameEquals(0, frames - 1)) << "knob " << id;
        EXPECT_FALSE(frameEquals(frames / 2, frames / 2 + 1)) << "knob " << id;
    }
}

TEST(SkinResources, UnknownIdsAreRefusedAndLeaveTheImageEmpty) {
    PixelImage image;
    image.resize(4, 4, 1);
    EXPECT_FALSE(loadBitmapResource(0, image));
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_FALSE(loadBitmapResource(9999, image));
    EXPECT_FALSE(loadBitmapResource(-1, image));
}

// --- readDib on hand-made data ---------------------------------------------------------------------

void put16(std::vector<uint8_t>& v, std::size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void put32(std::vector<uint8_t>& v, std::size_t at, uint32_t x) {
    put16(v, at, x & 0xffff);
    put16(v, at + 2, x >> 16);
}

// A 40-byte header and rows of `pixels` (rows top to bottom in the argument), stored in the given order.
std::vector<uint8_t> makeDib(int width, int height, int bits, bool topDown, const std::vector<Pixel>& pixels) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    std::vector<uint8_t> dib(40 + stride * height, 0);
    put32(dib, 0, 40);
    put32(dib, 4, static_cast<uint32_t>(width));
    put32(dib, 8, static_cast<uint32_t>(topDown ? -height : height));
    put16(dib, 12, 1);
    put16(dib, 14, static_cast<uint32_t>(bits));
    for (int y = 0; y < height; ++y) {
        const int stored = topDown ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const Pixel p = pixels[static_cast<std::size_t>(y * width + x)];
            uint8_t* out = &dib[40 + stride * stored + static_cast<std::size_t>(x * bits / 8)];
            out[0] = static_cast<uint8_t>(pixelBlue(p));
            out[1] = static_cast<uint8_t>(pixelGreen(p));
            out[2] = static_cast<uint8_t>(pixelRed(p));
        }
    }
    return dib;
}

const std::vector<Pixel> kSample = {makePixel(255, 0, 0), makePixel(0, 255, 0), makePixel(0, 0, 255),
                                    makePixel(1, 2, 3),   makePixel(250, 128, 7), makePixel(9, 9, 9)};
constexpr int kSampleWidth = 3;  // odd: 24-bit rows carry padding
constexpr int kSampleHeight = 2;

TEST(ReadDib, TopDownAndBottomUpDecodeToTheSamePixels) {
    for (int bits : {24, 32}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(std::to_string(bits) + (topDown ? " bits top-down" : " bits bottom-up"));
            const std::vector<uint8_t> dib = makeDib(kSampleWidth, kSampleHeight, bits, topDown, kSample);
            PixelImage image;
            ASSERT_TRUE(readDib(dib.data(), dib.size(), image));
            EXPECT_EQ(image.width, kSampleWidth);
            EXPECT_EQ(image.height, kSampleHeight);
            EXPECT_EQ(image.pixels, kSample);
        }
    }
}

TEST(ReadDib, LongerHeadersAndColourTablesAreSkipped) {
    std::vector<uint8_t> dib = makeDib(kSampleWidth, kSampleHeight, 24, false, kSample);
    // A 124-byte header followed by two unused colour table entries before the rows.
    constexpr std::size_t kExtra = 124 - 40 + 2 * 4;
    dib.insert(dib.begin() + 40, kExtra, 0xAB);
    put32(dib, 0, 124);
    put32(dib, 32, 2);
    PixelImage image;
    ASSERT_TRUE(readDib(dib.data(), dib.size(), image));
    EXPECT_EQ(image.pixels, kSample);
}

TEST(ReadDib, DamagedDataIsRefusedWithoutReadingPastTheEnd) {
    const std::vector<uint8_t> good = makeDib(kSampleWidth, kSampleHeight, 24, false, kSample);
    struct Damage {
        const char* what;
        std::size_t offset;  // where a 32-bit or 16-bit field is overwritten
        int width;           // 2 or 4 bytes
        uint32_t value;
    };
    const Damage damages[] = {
        {"header size below 40", 0, 4, 12},
        {"header size beyond the data", 0, 4, 4096},
        {"zero width", 4, 4, 0},
        {"negative width", 4, 4, static_cast<uint32_t>(-3)},
        {"zero height", 8, 4, 0},
        {"huge width", 4, 4, 0x40000000},
        {"huge height", 8, 4, 0x40000000},
        {"most negative height", 8, 4, 0x80000000u},
        {"two planes", 12, 2, 2},
        {"16 bits per pixel", 14, 2, 16},
        {"8 bits per pixel", 14, 2, 8},
        {"run-length compressed", 16, 4, 1},
        {"bit fields", 16, 4, 3},
        {"huge colour table", 32, 4, 0x40000000},
        {"colour table beyond the data", 32, 4, 200},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::vector<uint8_t> bad = good;
        if (d.width == 4) put32(bad, d.offset, d.value);
        else put16(bad, d.offset, d.value);
        PixelImage image;
        image.resize(2, 2);
        EXPECT_FALSE(readDib(bad.data(), bad.size(), image));
        EXPECT_EQ(image.width, 0);
        EXPECT_TRUE(image.pixels.empty());
    }
    // Truncations: every length short of the whole, each in a buffer of exactly that size, so a read past
    // it is caught by the sanitizer builds.
    for (std::size_t size = 0; size < good.size(); ++size) {
        SCOPED_TRACE("truncated to " + std::to_string(size));
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        PixelImage image;
        EXPECT_FALSE(readDib(cut.data(), cut.size(), image));
    }
    PixelImage image;
    EXPECT_FALSE(readDib(nullptr, 1000, image));
}

// --- font atlas -------------------------------------------------------------------------------------

constexpr uint32_t kExtraGlyphs[] = {0x00B0, 0x00B1, 0x00B5, 0x00D7, 0x221E, 0x25B8, 0x25C2, 0x266D, 0x266F};

TEST(FontAtlas, EveryFaceHasEveryGlyphWithSaneMetrics) {
    const int expectedSizes[] = {10, 10, 10, 9};
    for (int f = 0; f < static_cast<int>(FontId::Count); ++f) {
        const FontFace& face = fontFace(static_cast<FontId>(f));
        SCOPED_TRACE(std::string(face.name) + " " + std::to_string(face.pixelSize));
        EXPECT_EQ(face.pixelSize, expectedSizes[f]);
        EXPECT_GT(face.ascent, face.pixelSize / 2);
        EXPECT_GT(face.descent, 0);
        EXPECT_LE(face.ascent + face.descent, face.pixelSize + 4);
        ASSERT_NE(face.glyphs, nullptr);
        ASSERT_NE(face.coverage, nullptr);

        std::set<uint32_t> wanted(std::begin(kExtraGlyphs), std::end(kExtraGlyphs));
        for (uint32_t c = 32; c <= 126; ++c) wanted.insert(c);
        std::set<uint32_t> present;
        for (int i = 0; i < face.glyphCount; ++i) {
            const FontGlyph& g = face.glyphs[i];
            if (i > 0) {
                EXPECT_LT(face.glyphs[i - 1].codepoint, g.codepoint) << "glyphs sorted";
            }
            present.insert(g.codepoint);
            EXPECT_GT(g.advance, 0) << "U+" << g.codepoint;
            EXPECT_LE(g.advance, face.pixelSize * 2) << "U+" << g.codepoint;
            EXPECT_GE(g.atlasX, 0);
            EXPECT_GE(g.atlasY, 0);
            EXPECT_LE(g.atlasX + g.width, face.atlasWidth);
            EXPECT_LE(g.atlasY + g.height, face.atlasHeight);
            EXPECT_LE(g.bearingY, face.ascent + 2) << "U+" << g.codepoint;
            EXPECT_GE(g.bearingY - g.height, -face.descent - 2) << "U+" << g.codepoint;
            if (g.codepoint == ' ') {
                EXPECT_EQ(g.width, 0);
                continue;
            }
            ASSERT_GT(g.width, 0) << "U+" << g.codepoint;
            // At least one full pixel's worth of ink (a full stop, spread over its neighbours).
            int ink = 0;
            for (int y = 0; y < g.height; ++y) {
                for (int x = 0; x < g.width; ++x) ink += face.coverage[(g.atlasY + y) * face.atlasWidth + g.atlasX + x];
            }
            EXPECT_GE(ink, 255) << "U+" << g.codepoint << " has ink";
        }
        EXPECT_EQ(present, wanted);
    }
}

TEST(FontAtlas, CapitalsShareOneHeightAndKerningStaysSmall) {
    for (int f = 0; f < static_cast<int>(FontId::Count); ++f) {
        const FontFace& face = fontFace(static_cast<FontId>(f));
        SCOPED_TRACE(face.name);
        int capTop = -1;
        for (int i = 0; i < face.glyphCount; ++i) {
            const FontGlyph& g = face.glyphs[i];
            if (g.codepoint == 'H' || g.codepoint == 'E' || g.codepoint == 'T') {
                if (capTop < 0) capTop = g.bearingY;
                EXPECT_EQ(g.bearingY, capTop);
                EXPECT_EQ(g.bearingY - g.height, 0) << "capitals sit on the baseline";
            }
        }
        if (face.kerning == nullptr) continue;
        int pairs = 0;
        for (int i = 0; i < face.glyphCount * face.glyphCount; ++i) {
            EXPECT_LE(face.kerning[i], 1);
            EXPECT_GE(face.kerning[i], -2);
            pairs += face.kerning[i] != 0 ? 1 : 0;
        }
        EXPECT_GT(pairs, 0) << "a kerning table without pairs should be null";
    }
}

}  // namespace
