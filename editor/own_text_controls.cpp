// Menu buttons and text fields.
#include "editor/interface_effet.h"
#include "editor/own_controls.h"
#include "gui/window_backend.h"

using namespace VSTGUI;

namespace {
// Bit 0 of a menu's style: choosing an entry toggles its check mark.
constexpr long kMenuStyleToggleChecks = 1;
}  // namespace

CChoix::CChoix(const CRect& size, CControlListener* listener, int tag, const MenuSkin& skin, CInterfaceEffetVst* effect,
               CViewContainer* parent)
    : COptionMenu(size, listener, tag, skin.bitmaps[0], skin.bitmaps[1], skin.styleBits),
      OwnControl(*this, effect, parent) {}

void CChoix::mouse(CDrawContext* context, CPoint where, long buttons) {
    if (!(buttons & (kLButton | kRButton | kShift)) || !pressArea_.pointInside(where)) return;
    COptionMenu::mouse(context, where, kLButton);
}

void CChoix::updateValue(int, float value) {
    value_ = value;
    const int index = static_cast<int>(value);
    if (index >= 0 && index < getNbEntries()) {
        if (style_ & kMenuStyleToggleChecks) checkEntry(index, !getEntry(index)->checked);
        setCurrent(index);
    }
    invalid();
}

CEditTexte::CEditTexte(const CRect& size, CControlListener* listener, int tag, const TextSkin& skin,
                       CInterfaceEffetVst* effect, CViewContainer* parent)
    : CTextEdit(size, listener, tag, nullptr, skin.background), OwnControl(*this, effect, parent) {}

void CEditTexte::draw(CDrawContext* context) {
    // The effect alone decides the text: numbers, notes, octaves, names.
    if (effect_ != nullptr && !isEditingText()) {
        const char* text = effect_->displayText(static_cast<int>(tag_));
        text_ = text != nullptr ? text : "";
    }
    CTextEdit::draw(context);
}

void CEditTexte::updateValue(int, float value) {
    value_ = value;
    setDirty(true);
}

void CEditTexte::setVisible(int, bool visible) { show(visible); }

CAfficheTexte::CAfficheTexte(const CRect& size, CControlListener* listener, int tag, const TextSkin& skin,
                             CInterfaceEffetVst* effect, CViewContainer* parent)
    : CParamDisplay(size, skin.background), OwnControl(*this, effect, parent) {
    listener_ = listener;
    tag_ = tag;
    setMouseEnabled(false);
}

void CAfficheTexte::draw(CDrawContext* context) {
    if (effect_ != nullptr) {
        const char* text = effect_->displayText(static_cast<int>(tag_));
        text_ = text != nullptr ? text : "";
    }
    CParamDisplay::draw(context);
}

void CAfficheTexte::updateValue(int, float value) {
    value_ = value;
    setDirty(true);
}

void CAfficheTexte::setVisible(int, bool visible) { show(visible); }
