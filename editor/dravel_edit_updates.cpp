// The update path between the effect and the controls, the panels' showing and hiding, the channel
// side panel, and the listener of every control.
#include "editor/dravel_edit.h"

#include "editor/bitmap_cache.h"
#include "editor/editor_tags.h"
#include "editor/interface_effet.h"
#include "editor/interface_gui.h"
#include "editor/skin_ids.h"
#include "effect/parameter_tables.h"
#include "gui/bitmap.h"
#include "gui/param_display.h"

using namespace VSTGUI;

namespace {
constexpr float kOn = 0.5f;
constexpr int kModeMidSide = 2;
// Side panel picture variants: the left/right forms, then the mid/side forms; the copy button's
// odd variants point the other way (from the second channel).
constexpr int kVariantMidSide = 2;
constexpr int kVariantFromSecond = 1;
}  // namespace

// Effect → editor: on the editor's thread at once, from any other thread at the next idle.

void DravelEdit::updateControlValue(int tag, float value) {
    if (!onEditorThread()) {
        pending_.postValue(tag, value);
        return;
    }
    applyValue(tag, value);
}

void DravelEdit::setControlVariant(int tag, int index) {
    if (!onEditorThread()) {
        pending_.postVariant(tag, index);
        return;
    }
    applyVariant(tag, index);
}

void DravelEdit::showElement(int tag, bool visible) {
    if (!onEditorThread()) {
        pending_.postVisible(tag, visible);
        return;
    }
    applyVisible(tag, visible);
}

void DravelEdit::redrawAll() {
    if (!onEditorThread()) {
        pending_.postRedrawAll();
        return;
    }
    applyRedrawAll();
}

void DravelEdit::setChannelMode(int mode) {
    if (!onEditorThread()) {
        pending_.postChannelMode(mode);
        return;
    }
    applyChannelMode(mode);
}

void DravelEdit::applyPendingUpdates() {
    pending_.drain([this](int tag, float v) { applyValue(tag, v); }, [this](int tag, int i) { applyVariant(tag, i); },
                   [this](int tag, bool b) { applyVisible(tag, b); }, [this] { applyRedrawAll(); },
                   [this](int mode) { applyChannelMode(mode); });
}

void DravelEdit::applyValue(int tag, float value) {
    if (frame_ == nullptr || gui_ == nullptr) return;
    // The lamp reads the clip state itself; while the help panel covers it, it is left alone.
    if (tag == editor_tag::kClipLamp && panels_[index(PanelId::Help)].shown) return;
    gui_->dispatchValue(tag, value);
    // The copy button points the way the edited channel copies.
    if (tag == param::kEditedChannel || tag == param::kSlotSelector) refreshSidePanelVariants();
    if (tag == param::kSlotSelector) applyVariant(editor_tag::kSlotCopy, value >= kOn ? 1 : 0);
}

void DravelEdit::applyVariant(int tag, int index) {
    if (frame_ == nullptr || gui_ == nullptr) return;
    gui_->dispatchVariant(tag, index);
}

void DravelEdit::applyRedrawAll() {
    if (frame_ == nullptr) return;
    frame_->setDirty(true);
    // A preset or chunk came in: the menus' current entries and the store may have changed.
    rebuildPresetMenu_.store(true, std::memory_order_relaxed);
    rebuildBankMenu_.store(true, std::memory_order_relaxed);
}

void DravelEdit::applyVisible(int tag, bool visible) {
    if (frame_ == nullptr || gui_ == nullptr) return;
    switch (tag) {
        case editor_tag::kFrequencyRow: {
            if (visible) {
                const bool notes = effectInterface_->getParameter(param::kOptDisplayNotes) > kOn;
                panels_[index(PanelId::FrequencyRow)].view->setBackground(
                    bitmap_cache::get(notes ? skin::kFrequencyRowNotes : skin::kFrequencyRowNumbers));
            }
            showPanel(PanelId::FrequencyRow, visible);
            return;
        }
        case editor_tag::kGainRow: showPanel(PanelId::GainRow, visible); return;
        case editor_tag::kQRow: {
            if (visible) {
                const bool octaves = effectInterface_->getParameter(param::kOptDisplayQOct) > kOn;
                panels_[index(PanelId::QRow)].view->setBackground(
                    bitmap_cache::get(octaves ? skin::kQRowOctaves : skin::kQRowQ));
            }
            showPanel(PanelId::QRow, visible);
            return;
        }
        case editor_tag::kNamesRow: showPanel(PanelId::NamesRow, visible); return;
        case editor_tag::kClipLamp: showPanel(PanelId::Clip, visible); return;
        default: gui_->dispatchVisible(tag, visible); return;
    }
}

void DravelEdit::showPanel(PanelId id, bool visible) {
    PanelState& p = panels_[index(id)];
    if (frame_ == nullptr || p.view == nullptr) return;
    if (visible && !p.shown) frame_->addView(p.view);  // the frame takes the panel's reference
    if (!visible && p.shown) frame_->removeView(p.view, false);
    p.shown = visible;
    frame_->setDirty(true);
}

void DravelEdit::applyChannelMode(int mode) {
    if (frame_ == nullptr) return;
    if (mode == 0) {
        leftRightMode_ = midSideMode_ = false;
        showPanel(PanelId::Side, false);
    } else {
        midSideMode_ = mode == kModeMidSide;
        leftRightMode_ = !midSideMode_;
        refreshSidePanelVariants();
        if (!panels_[index(PanelId::Side)].shown) showPanel(PanelId::Side, true);
    }
    refreshMenuChecks();
}

void DravelEdit::refreshSidePanelVariants() {
    if (gui_ == nullptr || effectInterface_ == nullptr) return;
    const int base = midSideMode_ ? kVariantMidSide : 0;
    gui_->dispatchVariant(editor_tag::kEditFirstChannel, base);
    gui_->dispatchVariant(editor_tag::kEditSecondChannel, base);
    gui_->dispatchVariant(param::kCoupleLinked, base);
    gui_->dispatchVariant(param::kCoupleMirrored, midSideMode_ ? 1 : 0);
    const bool fromSecond = effectInterface_->getParameter(param::kEditedChannel) < kOn;
    gui_->dispatchVariant(editor_tag::kChannelCopy, base + (fromSecond ? kVariantFromSecond : 0));
}

// Controls → effect.

void DravelEdit::valueChanged(CDrawContext*, CControl* control) {
    if (control == nullptr || effectInterface_ == nullptr || !open_.load(std::memory_order_acquire)) return;
    const int tag = static_cast<int>(control->getTag());
    const float value = control->getValue();
    if (control->isTextEntry()) {
        // Value fields take the typed physical value; name fields a name under the name rules. A refused
        // text shows the stored one again at the field's next redraw.
        const std::string text = static_cast<CTextEdit*>(control)->getText();
        if (tag >= 0 && tag <= param::kLastContinuous)
            effectInterface_->setFromTypedText(tag, text.c_str());
        else
            onNameTyped(tag, text);
        control->invalid();
        return;
    }
    if (dynamic_cast<COptionMenu*>(control) != nullptr) {
        onMenuChosen(tag, static_cast<int>(value));
        return;
    }
    switch (tag) {
        case editor_tag::kHelp:
            if (value >= kOn) closeDialogs();
            showPanel(PanelId::Help, value >= kOn);
            return;
        case editor_tag::kClipLamp: return;
        default: break;
    }
    if (tag >= editor_tag::kClosePanel && tag <= editor_tag::kDialogConfirmDelete) {
        // Push buttons act when they are let go.
        if (value >= kOn) return;
        if (tag == editor_tag::kClosePanel) {
            showPanel(PanelId::Info, false);
            showPanel(PanelId::About, false);
            return;
        }
        onDialogButton(tag);
        return;
    }
    // The menus' and dialogs' own tags lie between the parameter indexes; they are not parameters.
    const bool editorOnly = tag == editor_tag::kOptionsMenu ||
                            (tag >= editor_tag::kSortMenu && tag <= editor_tag::kVersionText);
    if (tag >= 0 && tag <= param::kLastIndex && !editorOnly) effectInterface_->setParameterAutomated(tag, value);
}
