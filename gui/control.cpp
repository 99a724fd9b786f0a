#include "gui/control.h"

#include "gui/frame.h"

namespace VSTGUI {

CControl::CControl(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CView(size), listener_(listener), tag_(tag) {
    if (background != nullptr) setBackground(background);
}

void CControl::bounceValue() {
    if (value_ > max_) value_ = max_;
    if (value_ < min_) value_ = min_;
    if (!(value_ == value_)) value_ = min_;  // NaN
}

bool CControl::isDirty() const { return dirty_ || value_ != oldValue_; }

void CControl::setDirty(bool dirty) {
    dirty_ = dirty;
    if (!dirty) oldValue_ = value_;
}

void CControl::beginEdit() {
    if (editing_) return;
    editing_ = true;
    if (CFrame* frame = getFrame(); frame != nullptr && frame->host() != nullptr) frame->host()->beginEdit(tag_);
}

void CControl::endEdit() {
    if (!editing_) return;
    editing_ = false;
    if (CFrame* frame = getFrame(); frame != nullptr && frame->host() != nullptr) frame->host()->endEdit(tag_);
}

void CControl::notifyListener(CDrawContext* context) {
    if (listener_ != nullptr) listener_->valueChanged(context, this);
}

}  // namespace VSTGUI
