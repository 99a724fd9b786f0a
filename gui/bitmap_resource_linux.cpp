// Skin pictures embedded in the library: each .bmp file of editor/skin/bitmaps is included whole by the
// assembler (.incbin), with its length beside it. The list of ids is the one the skin generator writes.
#include <cstddef>
#include <cstdint>

#include "gui/bitmap_resource.h"

#ifndef TOVIN_SKIN_BITMAP_DIR
#error "TOVIN_SKIN_BITMAP_DIR must name the folder of the skin bitmaps (cmake/Skin.cmake sets it)"
#endif

// One read-only blob and its 32-bit length per picture; hidden, so nothing outside the library sees them.
#define TOVIN_SKIN_BITMAP(id)                                                              \
    asm(".section .rodata\n"                                                               \
        ".balign 16\n"                                                                     \
        ".globl tovin_skin_" #id "\n"                                                      \
        ".hidden tovin_skin_" #id "\n"                                                     \
        "tovin_skin_" #id ":\n"                                                            \
        ".incbin \"" TOVIN_SKIN_BITMAP_DIR "/" #id ".bmp\"\n"                              \
        "tovin_skin_" #id "_end:\n"                                                        \
        ".balign 4\n"                                                                      \
        ".globl tovin_skin_" #id "_size\n"                                                 \
        ".hidden tovin_skin_" #id "_size\n"                                                \
        "tovin_skin_" #id "_size:\n"                                                       \
        ".long tovin_skin_" #id "_end - tovin_skin_" #id "\n"                              \
        ".text\n");                                                                        \
    extern "C" const uint8_t tovin_skin_##id[];                                            \
    extern "C" const uint32_t tovin_skin_##id##_size;
#include "editor/skin/skin_bitmaps.inc"
#undef TOVIN_SKIN_BITMAP

namespace VSTGUI {

namespace {

struct EmbeddedBitmap {
    int id;
    const uint8_t* data;  // the whole .bmp file
    const uint32_t* size;
};

#define TOVIN_SKIN_BITMAP(id) {id, tovin_skin_##id, &tovin_skin_##id##_size},
constexpr EmbeddedBitmap kEmbeddedBitmaps[] = {
#include "editor/skin/skin_bitmaps.inc"
};
#undef TOVIN_SKIN_BITMAP

constexpr std::size_t kFileHeaderSize = 14;  // BITMAPFILEHEADER, before the DIB a resource would hold

}  // namespace

bool loadBitmapResource(int id, PixelImage& out) {
    out = PixelImage{};
    for (const EmbeddedBitmap& bitmap : kEmbeddedBitmaps) {
        if (bitmap.id != id) continue;
        const std::size_t size = *bitmap.size;
        if (size <= kFileHeaderSize || bitmap.data[0] != 'B' || bitmap.data[1] != 'M') return false;
        return readDib(bitmap.data + kFileHeaderSize, size - kFileHeaderSize, out);
    }
    return false;
}

}  // namespace VSTGUI
