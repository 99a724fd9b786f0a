#include "gui/font_atlas.h"

#include <cstddef>
#include <iterator>

#include "gui/font_atlas_generated.h"

namespace VSTGUI {

namespace {

// In the order of FontId.
constexpr const FontFace* kFaces[] = {
    &font_atlas_data::kSans10,
    &font_atlas_data::kSansBold10,
    &font_atlas_data::kCondensed10,
    &font_atlas_data::kSans9,
};
static_assert(std::size(kFaces) == static_cast<std::size_t>(FontId::Count), "one face per FontId");

}  // namespace

const FontFace& fontFace(FontId id) {
    const auto index = static_cast<std::size_t>(id);
    return *kFaces[index < std::size(kFaces) ? index : 0];
}

}  // namespace VSTGUI
