// Writes gui/font_atlas_generated.h: FreeType-rendered 8-bit coverage atlases of the editor's faces, as
// constexpr tables in the layout of gui/font_atlas.h.
#pragma once

#include <string>

namespace skin {

// Renders the faces from `fontDir` and writes the header to `path`. False (with `error` set) on failure.
bool writeFontAtlas(const std::string& fontDir, const std::string& path, std::string& error);

}  // namespace skin
