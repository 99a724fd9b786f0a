#include "gui/bitmap.h"

#include <utility>

#include "gui/bitmap_resource.h"
#include "gui/draw_context.h"

namespace VSTGUI {

CBitmap::CBitmap(int resourceId) : resourceId_(resourceId) {
    // A missing picture stays empty and draws nothing; the editor still works.
    if (!loadBitmapResource(resourceId, image_)) image_ = {};
}

CBitmap::CBitmap(PixelImage image) : image_(std::move(image)) {}

void CBitmap::draw(CDrawContext* context, const CRect& dest, CPoint offset) {
    if (context != nullptr && isLoaded()) context->drawImage(image_, dest, offset);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& dest, CPoint offset) {
    if (context != nullptr && isLoaded()) context->drawImageKeyed(image_, dest, offset, transparentColour_);
}

}  // namespace VSTGUI
