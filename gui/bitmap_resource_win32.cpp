// Skin pictures from the BITMAP resources of the effect library (or, without a recorded module handle,
// of the program itself, as in the tests).
#include <windows.h>

#include "gui/bitmap_resource.h"
#include "platform/platform.h"

namespace VSTGUI {

namespace {
// RT_BITMAP as a number, for the A function whatever UNICODE says.
constexpr WORD kBitmapResourceType = 2;
}  // namespace

bool loadBitmapResource(int id, PixelImage& out) {
    out = PixelImage{};
    auto module = static_cast<HMODULE>(platform::moduleHandle());
    if (module == nullptr) module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(kBitmapResourceType));
    if (resource == nullptr) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) return false;
    const void* data = LockResource(loaded);
    const DWORD size = SizeofResource(module, resource);
    if (data == nullptr || size == 0) return false;
    return readDib(static_cast<const uint8_t*>(data), size, out);
}

}  // namespace VSTGUI
