#include "gui/param_display.h"

#include "gui/bitmap.h"
#include "gui/draw_context.h"

namespace VSTGUI {

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background) : CControl(size, nullptr, -1, background) {}

void CParamDisplay::setText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    setDirty(true);
}

void CParamDisplay::drawBackground(CDrawContext* context) {
    if (background_ != nullptr) {
        if (transparent_)
            background_->drawTransparent(context, size_);
        else
            background_->draw(context, size_);
    } else if (!transparent_) {
        context->fillRect(size_, backColour_);
    }
}

void CParamDisplay::drawText(CDrawContext* context, const std::string& text) {
    const CRect box(size_.left + inset_, size_.top, size_.right - inset_, size_.bottom);
    context->drawString(text, box, font_, fontColour_, align_);
}

void CParamDisplay::draw(CDrawContext* context) {
    drawBackground(context);
    drawText(context, text_);
    setDirty(false);
}

}  // namespace VSTGUI
