// Skin pictures by numeric resource id. Windows: BITMAP resources of the effect library (found through
// its module handle); Linux: the same 24-bit bitmaps embedded in the library. One implementation file
// per platform; both decode through readDib, so both give the same pixels.
// Called on the user-interface thread (the editor's bitmap cache); never on the audio thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gui/pixel_image.h"

namespace VSTGUI {

// Loads resource `id` into `out`. False (and `out` empty) when the id is unknown or its data is damaged.
bool loadBitmapResource(int id, PixelImage& out);

// Decodes a device-independent bitmap: a BITMAPINFOHEADER (40 bytes or longer) followed by the pixel rows
// (24-bit or 32-bit, uncompressed, bottom-up or top-down), as in a BITMAP resource or a .bmp file after its
// 14-byte file header. Never reads outside [data, data + size).
bool readDib(const uint8_t* data, std::size_t size, PixelImage& out);

}  // namespace VSTGUI
