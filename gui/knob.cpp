#include "gui/knob.h"

#include "gui/bitmap.h"
#include "gui/window_backend.h"

namespace VSTGUI {

CKnob::CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CControl(size, listener, tag, background) {}

void CKnob::mouse(CDrawContext*, CPoint where, long buttons) {
    if (!(buttons & kLButton)) return;
    beginEdit();
    dragging_ = true;
    dragStart_ = value_;
    dragAnchor_ = where;
}

void CKnob::onMouseMoved(CPoint where, long) {
    if (!dragging_) return;
    const float old = value_;
    value_ = dragStart_ + static_cast<float>(dragAnchor_.y - where.y) / kDragRange * (max_ - min_);
    bounceValue();
    if (value_ != old) notifyListener(nullptr);
}

void CKnob::onMouseUp(CPoint where, long buttons) {
    if (!dragging_) return;
    onMouseMoved(where, buttons);
    dragging_ = false;
    endEdit();
}

bool CKnob::onWheel(CDrawContext* context, CPoint, float distance, long buttons) {
    const float step = (buttons & kShift) ? kFineWheelStep : kWheelStep;
    nudge(context, distance * step * (max_ - min_));
    return true;
}

void CKnob::nudge(CDrawContext* context, float delta) {
    const float old = value_;
    value_ += delta;
    bounceValue();
    if (value_ != old) {
        beginEdit();
        notifyListener(context);
        endEdit();
    }
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, int subPixmaps, int heightOfOneImage,
                     CBitmap* strip, CPoint offset)
    : CKnob(size, listener, tag, strip), subPixmaps_(subPixmaps), heightOfOneImage_(heightOfOneImage), offset_(offset) {}

int CAnimKnob::frameFor(float value, int subPixmaps) {
    if (subPixmaps <= 1 || !(value > 0.0f)) return 0;
    const int frame = static_cast<int>(value * static_cast<float>(subPixmaps - 1));
    return frame > subPixmaps - 1 ? subPixmaps - 1 : frame;
}

void CAnimKnob::draw(CDrawContext* context) {
    if (background_ != nullptr) {
        const CPoint source{offset_.x, offset_.y + frameFor(value_, subPixmaps_) * heightOfOneImage_};
        if (transparent_)
            background_->drawTransparent(context, size_, source);
        else
            background_->draw(context, size_, source);
    }
    setDirty(false);
}

}  // namespace VSTGUI
