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

bool CBoutonRotatif::onWheel(CDrawContext* context, CPoint, float distance, long buttons) {
    if (!getMouseEnabled()) return false;
    if (buttons != 0 && effect_ != nullptr) effect_->reportMouseButtons(buttons, static_cast<int>(tag_));
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

void CSwitch::mouse(CDrawContext* context, CPoint where, long buttons) {
    if (!(buttons & (kLButton | kRButton | kShift)) || !pressArea_.pointInside(where)) return;
    value_ = clampToFrames(value_, subPixmaps_);
    const float lo = clampToFrames(0.0f, subPixmaps_);
    const float hi = clampToFrames(1.0f, subPixmaps_);
    beginEdit();
    value_ = value_ >= 0.5f ? lo : hi;
    notifyListener(context);
    endEdit();
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

void CSwitchXPos::mouse(CDrawContext* context, CPoint where, long buttons) {
    if (!(buttons & (kLButton | kRButton | kShift)) || !pressArea_.pointInside(where)) return;
    const float step = 1.0f / static_cast<float>(positions_);
    const float lo = clampToFrames(0.0f, positions_);
    value_ = clampToFrames(value_, positions_);
    beginEdit();
    value_ += (buttons & (kRButton | kShift)) ? -step : step;
    if (value_ > 1.0f) value_ = lo;
    if (value_ < 0.0f) value_ = clampToFrames(1.0f, positions_);
    notifyListener(context);
    endEdit();
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

void CKick::updateValue(int, float value) {
    value_ = value;
    invalid();
}

void CKick::setVariant(int, int index) {
    if (index < 0 || index >= static_cast<int>(variants_.size())) return;
    if (variants_[static_cast<std::size_t>(index)] != nullptr) setBackground(variants_[static_cast<std::size_t>(index)]);
}
