// Knobs, switches, the lamp and push buttons.
#include "editor/own_controls.h"

#include <cassert>

#include "editor/interface_effet.h"
#include "gui/bitmap.h"
#include "gui/window_backend.h"

using namespace VSTGUI;

namespace {
// Push buttons draw released below this value and pressed above; actions fire at release.
constexpr float kKickReleased = 0.25f;
constexpr float kKickPressed = 0.75f;
constexpr float kKickFrameScale = 1.99f;
// Pixels of drag for the whole range of a knob (times the fine factor in fine mode).
constexpr float kKnobDragRange = 200.0f;
// Vertical motion that steps a multi-position switch by one position.
constexpr int kStepDistance = 5;
}  // namespace

OwnControl::OwnControl(CView& view, CInterfaceEffetVst* effect, CViewContainer* parent)
    : view_(view), effect_(effect), parent_(parent), pressArea_(view.getViewSize()) {}

void OwnControl::show(bool visible) {
    if (parent_ == nullptr || visible == shown_) return;
    shown_ = visible;
    // One reference throughout: the parent's while attached, the parking's while hidden.
    if (visible) {
        if (parking_ != nullptr) parking_->unpark(this);
        parent_->addView(&view_);
    } else {
        parent_->removeView(&view_, false);
        if (parking_ != nullptr) parking_->park(this);
    }
}

void OwnControl::reportButtons(long buttons, long tag) {
    if (effect_ != nullptr) effect_->reportMouseButtons(buttons, static_cast<int>(tag));
}

CRect OwnControl::centredArea(const CRect& size, int halfWidth, int halfHeight) {
    const int cx = size.left + size.width() / 2;
    const int cy = size.top + size.height() / 2;
    return {cx - halfWidth, cy - halfHeight, cx + halfWidth, cy + halfHeight};
}

int stripFrame(float value, int frames) {
    if (frames <= 1 || !(value > 0.0f)) return 0;
    const int frame = static_cast<int>(value * static_cast<float>(frames));
    return frame > frames - 1 ? frames - 1 : frame;
}

float clampToFrames(float value, int frames) {
    const float lo = 0.5f / static_cast<float>(frames);
    const float hi = 1.0f - lo;
    if (!(value >= lo)) return lo;  // NaN too
    return value > hi ? hi : value;
}

// Knob.

CBoutonRotatif::CBoutonRotatif(const CRect& size, CControlListener* listener, int tag, const KnobSkin& skin,
                               CInterfaceEffetVst* effect, CViewContainer* parent)
    : CAnimKnob(size, listener, tag, skin.frameCount, skin.frameHeight, skin.bitmap),
      OwnControl(*this, effect, parent),
      fineFactor_(skin.fineFactor) {
    setTransparency(skin.transparent);
    pressArea_ = centredArea(size, skin.halfWidth, skin.halfHeight);
}

void CBoutonRotatif::updateValue(int, float value) {
    value_ = !(value >= 0.0f) ? 0.0f : value > 1.0f ? 1.0f : value;
    invalid();
}

void CBoutonRotatif::setVisible(int, bool visible) { show(visible); }

float CBoutonRotatif::dragDistance(CPoint p) const {
    // Right and up increase.
    return static_cast<float>((p.x - anchor_.x) + (anchor_.y - p.y));
}

float CBoutonRotatif::coefficientFor(bool fine) const {
    return (max_ - min_) / (fine ? kKnobDragRange * fineFactor_ : kKnobDragRange);
}

void CBoutonRotatif::mouse(CDrawContext*, CPoint where, long buttons) {
    if (!getMouseEnabled() || !pressArea_.pointInside(where)) return;
    const bool fine = (buttons & kFineButtons) != 0;
    const bool plain = (buttons & kLButton) && !fine;
    controlAtPress_ = (buttons & kControl) != 0;
    bool reset = false;
    if (controlAtPress_ && effect_ != nullptr) {
        if (plain) {
            value_ = effect_->initSettingValue(static_cast<int>(tag_));
            bounceValue();
            reset = true;
        } else if (fine) {
            effect_->storeInitSetting(static_cast<int>(tag_), value_);
        }
    }
    reportButtons(buttons, tag_);
    start_ = value_;
    fine_ = fine;
    coefficient_ = coefficientFor(fine);
    anchor_ = last_ = where;
    lastButtons_ = buttons;
    beginEdit();
    dragging_ = true;
    // A reset with no motion after it must still reach the effect.
    if (reset) notifyListener(nullptr);
    if (!(buttons & (kLButton | kRButton))) finishDrag(buttons);
}

void CBoutonRotatif::onMouseMoved(CPoint where, long buttons) {
    if (!dragging_) return;
    if (!(buttons & (kLButton | kRButton))) {
        finishDrag(buttons);
        return;
    }
    if (buttons != 0) reportButtons(buttons, tag_);
    const bool fine = (buttons & kFineButtons) != 0;
    if (fine != fine_) {
        // The motion so far keeps the old rate; only what follows moves at the new one.
        const float coefficient = coefficientFor(fine);
        start_ += dragDistance(last_) * (coefficient_ - coefficient);
        coefficient_ = coefficient;
        fine_ = fine;
    }
    if (where == last_) {
        if (buttons != lastButtons_) notifyListener(nullptr);
        lastButtons_ = buttons;
        return;
    }
    value_ = start_ + dragDistance(where) * coefficient_;
    bounceValue();
    notifyListener(nullptr);
    if (controlAtPress_ && fine && effect_ != nullptr) effect_->storeInitSetting(static_cast<int>(tag_), value_);
    last_ = where;
    lastButtons_ = buttons;
}

void CBoutonRotatif::onMouseUp(CPoint, long buttons) {
    if (dragging_) finishDrag(buttons);
}

void CBoutonRotatif::finishDrag(long buttons) {
    dragging_ = false;
    reportButtons(buttons, tag_);
    endEdit();
}

bool CBoutonRotatif::onWheel(CDrawContext* context, CPoint, float distance, long buttons) {
    if (!getMouseEnabled()) return false;
    if (buttons != 0) reportButtons(buttons, tag_);
    float delta = (effect_ != nullptr ? effect_->wheelStep() : kWheelStep) * distance;
    if (buttons & kShift) delta /= fineFactor_;
    nudge(context, delta);
    return true;
}

// Switch.

CSwitch::CSwitch(const CRect& size, CControlListener* listener, int tag, const SwitchSkin& skin,
                 CInterfaceEffetVst* effect, CViewContainer* parent)
    : CVerticalSwitch(size, listener, tag, skin.frameCount, skin.frameHeight, skin.frameCount, skin.variants[0]),
      OwnControl(*this, effect, parent),
      variants_(skin.variants) {}

void CSwitch::draw(CDrawContext* context) { drawFrame(context, stripFrame(value_, subPixmaps_)); }

void CSwitch::change(float value) {
    if (value == value_) return;
    value_ = value;
    notifyListener(nullptr);
}

float CSwitch::heldValue(long buttons) const {
    const float n = static_cast<float>(subPixmaps_);
    const float lo = clampToFrames(0.0f, subPixmaps_);
    const float hi = clampToFrames(1.0f, subPixmaps_);
    if (buttons & kFineButtons) return start_ < 0.5f ? hi : lo;
    if (buttons & kLButton) return lo + 1.0f / n;  // the middle frame
    return value_;
}

void CSwitch::mouse(CDrawContext*, CPoint where, long buttons) {
    if (!(buttons & kPressButtons) || !pressArea_.pointInside(where)) return;
    const float lo = clampToFrames(0.0f, subPixmaps_);
    const float hi = clampToFrames(1.0f, subPixmaps_);
    if (subPixmaps_ == 2) {
        // A two-frame switch just steps on.
        float next = value_ + 1.0f / static_cast<float>(subPixmaps_);
        if (next > hi) next = lo;
        value_ = next;
        notifyListener(nullptr);
        return;
    }
    value_ = clampToFrames(value_, subPixmaps_);
    reportButtons(buttons, tag_);
    start_ = value_;
    pressed_ = true;
    lastButtons_ = buttons;
    change(heldValue(buttons));
}

void CSwitch::onMouseMoved(CPoint, long buttons) {
    if (!pressed_) return;
    if (buttons & kPressButtons) lastButtons_ = buttons;
    change(heldValue(lastButtons_));
}

void CSwitch::onMouseUp(CPoint, long) {
    if (!pressed_) return;
    pressed_ = false;
    const float lo = clampToFrames(0.0f, subPixmaps_);
    const float hi = clampToFrames(1.0f, subPixmaps_);
    if (lastButtons_ & kFineButtons)
        change(start_);  // momentary: back to where it was
    else
        change(start_ >= 0.5f ? lo : hi);
    reportButtons(0, tag_);
}

void CSwitch::updateValue(int, float value) {
    value_ = clampToFrames(value, subPixmaps_);
    invalid();
}

void CSwitch::setVariant(int, int index) {
    if (index < 0 || index >= static_cast<int>(variants_.size())) return;
    if (variants_[static_cast<std::size_t>(index)] != nullptr) setBackground(variants_[static_cast<std::size_t>(index)]);
}

// Multi-position switch.

CSwitchXPos::CSwitchXPos(const CRect& size, CControlListener* listener, int tag, const MultiSwitchSkin& skin,
                         CInterfaceEffetVst* effect, CViewContainer* parent)
    : CVerticalSwitch(size, listener, tag, skin.positions, skin.frameHeight, skin.positions, skin.variants[0]),
      OwnControl(*this, effect, parent),
      variants_(skin.variants),
      positions_(skin.positions) {}

void CSwitchXPos::draw(CDrawContext* context) { drawFrame(context, stripFrame(value_, positions_)); }

void CSwitchXPos::change(float value) {
    if (value == value_) return;
    value_ = value;
    notifyListener(nullptr);
}

bool CSwitchXPos::momentary(long buttons) const { return positions_ == 2 && (buttons & kFineButtons); }

void CSwitchXPos::mouse(CDrawContext*, CPoint where, long buttons) {
    if (!(buttons & kPressButtons) || !pressArea_.pointInside(where)) return;
    value_ = clampToFrames(value_, positions_);
    reportButtons(buttons, tag_);
    start_ = value_;
    previous_ = where;
    lastButtons_ = buttons;
    stepped_ = false;
    pressed_ = true;
    onMouseMoved(where, buttons);
}

void CSwitchXPos::onMouseMoved(CPoint where, long buttons) {
    if (!pressed_) return;
    if (buttons & kPressButtons) lastButtons_ = buttons;
    if (where == previous_) {
        if (momentary(lastButtons_)) change(start_ >= 0.5f ? clampToFrames(0.0f, positions_) : clampToFrames(1.0f, positions_));
        return;
    }
    const int d = previous_.y - where.y;  // upwards positive
    if (d > -kStepDistance && d < kStepDistance) return;
    const float step = 1.0f / static_cast<float>(positions_);
    float next = value_ + (d > 0 ? step : -step);
    if (next > 1.0f) next = clampToFrames(1.0f, positions_);
    if (next < 0.0f) next = clampToFrames(0.0f, positions_);
    previous_ = where;
    stepped_ = true;
    value_ = next;
    notifyListener(nullptr);
}

void CSwitchXPos::onMouseUp(CPoint, long) {
    if (!pressed_) return;
    pressed_ = false;
    if (!stepped_) {
        const float step = 1.0f / static_cast<float>(positions_);
        float next = value_ + ((lastButtons_ & kFineButtons) ? -step : step);
        if (next > 1.0f) next = clampToFrames(0.0f, positions_);
        if (next < 0.0f) next = clampToFrames(1.0f, positions_);
        change(next);
    }
    if (momentary(lastButtons_)) {
        value_ = start_;
        notifyListener(nullptr);
    }
    reportButtons(0, tag_);
}

void CSwitchXPos::updateValue(int, float value) {
    value_ = clampToFrames(value, positions_);
    invalid();
}

void CSwitchXPos::setVariant(int, int index) {
    CBitmap* picture = variants_[index == 0 ? 0 : 1];
    if (picture != nullptr) setBackground(picture);
}

void CSwitchXPos::setVisible(int, bool visible) { show(visible); }

// Lamp.

CLed::CLed(const CRect& size, CControlListener* listener, int tag, const LampSkin& skin, CInterfaceEffetVst* effect,
           CViewContainer* parent)
    : CVerticalSwitch(size, listener, tag, skin.frameCount, skin.frameHeight, skin.frameCount, skin.bitmap),
      OwnControl(*this, effect, parent),
      strip_(skin.bitmap) {}

void CLed::draw(CDrawContext* context) {
    // The lamp shows the effect's clip state as it is at every draw.
    const float state = effect_ != nullptr && effect_->readClip() ? 1.0f : 0.0f;
    value_ = clampToFrames(state, subPixmaps_);
    drawFrame(context, stripFrame(value_, subPixmaps_));
}

void CLed::mouse(CDrawContext*, CPoint where, long buttons) {
    if (!(buttons & (kLButton | kRButton | kShift)) || !pressArea_.pointInside(where) || effect_ == nullptr) return;
    // A click lets go of a held clip.
    effect_->clearClip();
    invalid();
}

void CLed::updateValue(int, float value) {
    value_ = clampToFrames(value, subPixmaps_);
    invalid();
}

void CLed::setVariant(int, int index) {
    if (index == 0 && strip_ != nullptr) setBackground(strip_);
}

void CLed::setVisible(int, bool visible) { show(visible); }

// Push button.

CKick::CKick(const CRect& size, CControlListener* listener, int tag, const SwitchSkin& skin, CInterfaceEffetVst* effect,
             CViewContainer* parent)
    : CKickButton(size, listener, tag, skin.frameHeight, skin.variants[0]),
      OwnControl(*this, effect, parent),
      variants_(skin.variants),
      frameHeight_(skin.frameHeight) {
    min_ = kKickReleased;
    max_ = kKickPressed;
    value_ = kKickReleased;
}

void CKick::draw(CDrawContext* context) {
    const float v = value_ < kKickReleased ? kKickReleased : value_ > kKickPressed ? kKickPressed : value_;
    const int frame = static_cast<int>(v * kKickFrameScale);
    if (background_ != nullptr) {
        const CPoint source{0, frame * frameHeight_};
        if (transparent_)
            background_->drawTransparent(context, size_, source);
        else
            background_->draw(context, size_, source);
    }
    setDirty(false);
}

void CKick::mouse(CDrawContext*, CPoint, long buttons) {
    if (!(buttons & kPressButtons)) return;
    beginEdit();
    held_ = true;
    if (value_ != kKickPressed) {
        value_ = kKickPressed;
        notifyListener(nullptr);
    }
}

void CKick::onMouseUp(CPoint, long) {
    if (!held_) return;
    held_ = false;
    if (value_ != kKickReleased) {
        value_ = kKickReleased;
        notifyListener(nullptr);
    }
    endEdit();
}

void CKick::updateValue(int, float value) {
    value_ = value;
    invalid();
}

void CKick::setVariant(int, int index) {
    if (index < 0 || index >= static_cast<int>(variants_.size())) return;
    if (variants_[static_cast<std::size_t>(index)] != nullptr) setBackground(variants_[static_cast<std::size_t>(index)]);
}
