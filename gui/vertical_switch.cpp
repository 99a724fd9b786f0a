#include "gui/vertical_switch.h"

#include "gui/bitmap.h"
#include "gui/window_backend.h"

namespace VSTGUI {

CVerticalSwitch::CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, int subPixmaps,
                                 int heightOfOneImage, int iMaxPositions, CBitmap* strip, CPoint offset)
    : CControl(size, listener, tag, strip),
      subPixmaps_(subPixmaps < 1 ? 1 : subPixmaps),
      heightOfOneImage_(heightOfOneImage),
      maxPositions_(iMaxPositions < 2 ? 2 : iMaxPositions),
      offset_(offset) {}

void CVerticalSwitch::drawFrame(CDrawContext* context, int index) {
    if (index < 0) index = 0;
    if (index > subPixmaps_ - 1) index = subPixmaps_ - 1;
    if (background_ != nullptr) {
        const CPoint source{offset_.x, offset_.y + index * heightOfOneImage_};
        if (transparent_)
            background_->drawTransparent(context, size_, source);
        else
            background_->draw(context, size_, source);
    }
    setDirty(false);
}

void CVerticalSwitch::draw(CDrawContext* context) {
    drawFrame(context, static_cast<int>(value_ * static_cast<float>(subPixmaps_ - 1) + 0.5f));
}

void CVerticalSwitch::mouse(CDrawContext* context, CPoint where, long buttons) {
    if (!(buttons & kLButton)) return;
    // The clicked height picks the position.
    const int position = (where.y - size_.top) * maxPositions_ / (size_.height() > 0 ? size_.height() : 1);
    const float old = value_;
    value_ = static_cast<float>(position) / static_cast<float>(maxPositions_ - 1);
    bounceValue();
    if (value_ != old) {
        beginEdit();
        notifyListener(context);
        endEdit();
    }
}

CKickButton::CKickButton(const CRect& size, CControlListener* listener, long tag, int heightOfOneImage, CBitmap* strip,
                         CPoint offset)
    : CControl(size, listener, tag, strip), heightOfOneImage_(heightOfOneImage), offset_(offset) {}

void CKickButton::draw(CDrawContext* context) {
    if (background_ != nullptr) {
        const CPoint source{offset_.x, offset_.y + (value_ >= 0.5f ? heightOfOneImage_ : 0)};
        if (transparent_)
            background_->drawTransparent(context, size_, source);
        else
            background_->draw(context, size_, source);
    }
    setDirty(false);
}

void CKickButton::mouse(CDrawContext* context, CPoint, long buttons) {
    if (!(buttons & kLButton)) return;
    beginEdit();
    held_ = true;
    value_ = max_;
    notifyListener(context);
}

void CKickButton::onMouseUp(CPoint, long) {
    if (!held_) return;
    held_ = false;
    value_ = min_;
    notifyListener(nullptr);
    endEdit();
}

}  // namespace VSTGUI
