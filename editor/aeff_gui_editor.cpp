#include "editor/aeff_gui_editor.h"

#include "gui/window_backend.h"

namespace {
// VST key code modifier bits.
constexpr unsigned char kVstShift = 1;
constexpr unsigned char kVstAlternate = 2;
constexpr unsigned char kVstCommand = 4;
constexpr unsigned char kVstControl = 8;
}  // namespace

bool AEffGUIEditor::getRect(ERect** rect) {
    if (rect == nullptr) return false;
    *rect = &rect_;
    return true;
}

bool AEffGUIEditor::open(void* window) {
    systemWindow = window;
    return true;
}

void AEffGUIEditor::idle() {
    if (frame_ != nullptr) frame_->idle();
}

long AEffGUIEditor::toolkitModifiers(unsigned char m) {
    long bits = 0;
    if (m & kVstShift) bits |= VSTGUI::kShift;
    if (m & kVstAlternate) bits |= VSTGUI::kAlt;
    if (m & kVstCommand) bits |= VSTGUI::kApple;
    if (m & kVstControl) bits |= VSTGUI::kControl;
    return bits;
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) {
    return frame_ != nullptr && frame_->onKeyDown(key.character, key.virt, toolkitModifiers(key.modifier));
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    knobMode_ = mode;
    return true;
}

void AEffGUIEditor::setEditorSize(int width, int height) {
    rect_.left = 0;
    rect_.top = 0;
    rect_.right = static_cast<VstInt16>(width);
    rect_.bottom = static_cast<VstInt16>(height);
}
