#include "font_atlas_writer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

#include "bmp_writer.h"

namespace skin {

namespace {

struct FaceSpec {
    const char* symbol;  // name of the FontFace in the generated header
    const char* file;
    const char* name;
    int pixelSize;
};

// In the order of FontId.
constexpr FaceSpec kFaceSpecs[] = {
    {"kSans10", "DejaVuSans.ttf", "DejaVu Sans", 10},
    {"kSansBold10", "DejaVuSans-Bold.ttf", "DejaVu Sans Bold", 10},
    {"kCondensed10", "DejaVuSansCondensed.ttf", "DejaVu Sans Condensed", 10},
    {"kSans9", "DejaVuSans.ttf", "DejaVu Sans", 9},
};

constexpr uint32_t kFirstAscii = 32;
constexpr uint32_t kLastAscii = 126;
// Beyond ASCII: degree, plus-minus, micro, times, infinity, the two triangles and the two accidentals.
constexpr uint32_t kExtraCodepoints[] = {0x00B0, 0x00B1, 0x00B5, 0x00D7, 0x221E, 0x25B8, 0x25C2, 0x266D, 0x266F};
constexpr int kPadding = 1;  // empty pixels between glyphs, so blends never pick up a neighbour
constexpr int kMinAtlasWidth = 64;
constexpr int kMaxAtlasWidth = 512;
constexpr int kAtlasWidthStep = 16;
constexpr int kValuesPerLine = 32;

struct Glyph {
    uint32_t codepoint = 0;
    unsigned glyphIndex = 0;
    int x = 0, y = 0, width = 0, height = 0, bearingX = 0, bearingY = 0, advance = 0;
    std::vector<uint8_t> coverage;
};

int roundPixels(long v26_6) { return static_cast<int>((v26_6 + 32) >> 6); }

// Shelf packing in glyph order; answers the atlas height for `width`.
int pack(std::vector<Glyph>& glyphs, int width) {
    int x = 0, y = 0, shelf = 0;
    for (Glyph& g : glyphs) {
        if (g.width == 0) {
            g.x = g.y = 0;
            continue;
        }
        if (x + g.width > width) {
            x = 0;
            y += shelf + kPadding;
            shelf = 0;
        }
        g.x = x;
        g.y = y;
        x += g.width + kPadding;
        shelf = std::max(shelf, g.height);
    }
    return y + shelf;
}

template <typename T>
void emitArray(std::ostringstream& out, const char* type, const std::string& name, const std::vector<T>& values) {
    out << "inline constexpr " << type << " " << name << "[] = {";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i % kValuesPerLine == 0) out << "\n   ";
        out << " " << static_cast<int>(values[i]) << ",";
    }
    out << "\n};\n";
}

bool renderFace(FT_Library library, const std::string& fontDir, const FaceSpec& spec, std::ostringstream& out,
                std::string& error) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, (fontDir + "/" + spec.file).c_str(), 0, &face) != 0) {
        error = std::string("cannot open ") + spec.file;
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(spec.pixelSize));
    std::vector<uint32_t> codepoints;
    for (uint32_t c = kFirstAscii; c <= kLastAscii; ++c) codepoints.push_back(c);
    codepoints.insert(codepoints.end(), std::begin(kExtraCodepoints), std::end(kExtraCodepoints));

    std::vector<Glyph> glyphs;
    for (uint32_t c : codepoints) {
        Glyph g;
        g.codepoint = c;
        g.glyphIndex = FT_Get_Char_Index(face, c);
        if (g.glyphIndex == 0) {
            error = std::string(spec.file) + " has no glyph for U+" + std::to_string(c);
            FT_Done_Face(face);
            return false;
        }
        if (FT_Load_Glyph(face, g.glyphIndex, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) {
            error = "cannot render a glyph of " + std::string(spec.file);
            FT_Done_Face(face);
            return false;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        g.width = static_cast<int>(bitmap.width);
        g.height = static_cast<int>(bitmap.rows);
        g.bearingX = slot->bitmap_left;
        g.bearingY = slot->bitmap_top;
        g.advance = roundPixels(slot->advance.x);
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) g.coverage.push_back(bitmap.buffer[y * bitmap.pitch + x]);
        }
        if (g.width == 0 || g.height == 0) g.width = g.height = 0;
        glyphs.push_back(std::move(g));
    }

    int bestWidth = kMinAtlasWidth;
    long bestArea = -1;
    for (int w = kMinAtlasWidth; w <= kMaxAtlasWidth; w += kAtlasWidthStep) {
        const long area = static_cast<long>(w) * pack(glyphs, w);
        if (bestArea < 0 || area < bestArea) {
            bestArea = area;
            bestWidth = w;
        }
    }
    const int atlasHeight = pack(glyphs, bestWidth);
    std::vector<uint8_t> atlas(static_cast<std::size_t>(bestWidth) * static_cast<std::size_t>(atlasHeight), 0);
    for (const Glyph& g : glyphs) {
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                atlas[static_cast<std::size_t>(g.y + y) * bestWidth + static_cast<std::size_t>(g.x + x)] =
                    g.coverage[static_cast<std::size_t>(y * g.width + x)];
            }
        }
    }

    std::vector<int8_t> kerning(glyphs.size() * glyphs.size(), 0);
    bool anyKerning = false;
    if (FT_HAS_KERNING(face)) {
        for (std::size_t l = 0; l < glyphs.size(); ++l) {
            for (std::size_t r = 0; r < glyphs.size(); ++r) {
                FT_Vector delta;
                if (FT_Get_Kerning(face, glyphs[l].glyphIndex, glyphs[r].glyphIndex, FT_KERNING_DEFAULT, &delta) != 0)
                    continue;
                const int px = roundPixels(delta.x);
                kerning[l * glyphs.size() + r] = static_cast<int8_t>(px);
                anyKerning = anyKerning || px != 0;
            }
        }
    }
    const int ascent = roundPixels(face->size->metrics.ascender);
    const int descent = roundPixels(-face->size->metrics.descender);
    FT_Done_Face(face);

    const std::string symbol = spec.symbol;
    out << "\n// " << spec.name << ", " << spec.pixelSize << " px: " << glyphs.size() << " glyphs, atlas " << bestWidth
        << " x " << atlasHeight << ".\n";
    out << "inline constexpr FontGlyph " << symbol << "Glyphs[] = {\n";
    for (const Glyph& g : glyphs) {
        out << "    {" << g.codepoint << ", " << g.x << ", " << g.y << ", " << g.width << ", " << g.height << ", "
            << g.bearingX << ", " << g.bearingY << ", " << g.advance << "},\n";
    }
    out << "};\n";
    emitArray(out, "uint8_t", symbol + "Coverage", atlas);
    if (anyKerning) emitArray(out, "int8_t", symbol + "Kerning", kerning);
    out << "inline constexpr FontFace " << symbol << " = {\"" << spec.name << "\", " << spec.pixelSize << ", " << ascent
        << ", " << descent << ", " << symbol << "Glyphs, " << glyphs.size() << ", " << symbol << "Coverage, "
        << bestWidth << ", " << atlasHeight << ", " << (anyKerning ? symbol + "Kerning" : std::string("nullptr"))
        << "};\n";
    return true;
}

}  // namespace

bool writeFontAtlas(const std::string& fontDir, const std::string& path, std::string& error) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error = "FreeType does not start";
        return false;
    }
    std::ostringstream out;
    out << "// Generated by tools/skin_generator (font_atlas_writer.cpp) from the DejaVu fonts; do not edit.\n"
           "// Regenerate with tools/skin_generator/regenerate.sh. Font licence: editor/skin/FONTS-LICENSE.\n"
           "#pragma once\n\n#include <cstdint>\n\n#include \"gui/font_atlas.h\"\n\n"
           "namespace VSTGUI::font_atlas_data {\n";
    bool ok = true;
    for (const FaceSpec& spec : kFaceSpecs) ok = ok && renderFace(library, fontDir, spec, out, error);
    FT_Done_FreeType(library);
    if (!ok) return false;
    out << "\n}  // namespace VSTGUI::font_atlas_data\n";
    if (!writeFile(path, out.str())) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace skin
