#include "gui/param_display.h"

#include "gui/draw_context.h"
#include "gui/frame.h"
#include "gui/text_renderer.h"
#include "vst/aeffectx.h"

#include <utility>

namespace VSTGUI {
namespace {
constexpr int kCaretWidth = 1;
}

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* text, CBitmap* background)
    : CParamDisplay(size, background) {
    listener_ = listener;
    tag_ = tag;
    if (text != nullptr) text_ = text;
}

void CTextEdit::draw(CDrawContext* context) {
    if (!editingText_ || systemEdit_) {
        CParamDisplay::draw(context);
        return;
    }
    // Editing inside the toolkit: the buffer, left-aligned, with a caret after it.
    drawBackground(context);
    const CRect box(size_.left + inset_, size_.top, size_.right - inset_, size_.bottom);
    const FontFace& face = fontFace(font_);
    const int width = text::measure(face, editBuffer_);
    const int shift = width > box.width() - kCaretWidth ? box.width() - kCaretWidth - width : 0;
    context->drawString(editBuffer_, CRect(box.left + shift, box.top, box.right + (shift < 0 ? -shift : 0), box.bottom),
                        font_, fontColour_, HoriTxtAlign::kLeftText);
    const int caretX = box.left + shift + width;
    if (allSelected_ && width > 0) {
        // Selected: the text inverted over a bar of its own width.
        context->fillRect(CRect(box.left + shift, box.top + 1, caretX, box.bottom - 1), fontColour_);
        context->drawString(editBuffer_, CRect(box.left + shift, box.top, box.right + (shift < 0 ? -shift : 0), box.bottom),
                            font_, backColour_, HoriTxtAlign::kLeftText);
    }
    context->fillRect(CRect(caretX, box.top + 1, caretX + kCaretWidth, box.bottom - 1), fontColour_);
    setDirty(false);
}

void CTextEdit::mouse(CDrawContext*, CPoint, long buttons) {
    if (!(buttons & kLButton)) return;
    if (CFrame* frame = getFrame()) frame->setFocusView(this);
}

void CTextEdit::takeFocus() {
    if (editingText_) return;
    editingText_ = true;
    editBuffer_ = text_;
    allSelected_ = true;
    CFrame* frame = getFrame();
    systemEdit_ = frame != nullptr && frame->beginTextEdit(frameRect(), text_, [this](const std::string& text, bool commit) {
        finishEdit(text, commit);
    });
    setDirty(true);
}

void CTextEdit::looseFocus() {
    if (!editingText_) return;
    if (systemEdit_) {
        // The back end reports the text through finishEdit.
        if (CFrame* frame = getFrame()) frame->endTextEdit();
        if (editingText_) finishEdit(text_, false);
        return;
    }
    finishEdit(editBuffer_, true);
}

bool CTextEdit::onKeyDown(int character, int virtualKey, long) {
    if (!editingText_ || systemEdit_) return false;
    switch (virtualKey) {
        case VKEY_RETURN:
        case VKEY_ENTER: finishEdit(editBuffer_, true); return true;
        case VKEY_ESCAPE: finishEdit(text_, false); return true;
        case VKEY_BACK:
            if (std::exchange(allSelected_, false)) {
                editBuffer_.clear();
                setDirty(true);
                return true;
            }
            // Removes the last code point, not just its last byte.
            while (!editBuffer_.empty()) {
                const unsigned char last = static_cast<unsigned char>(editBuffer_.back());
                editBuffer_.pop_back();
                if ((last & 0xC0) != 0x80) break;
            }
            setDirty(true);
            return true;
        case VKEY_LEFT:
        case VKEY_RIGHT:
        case VKEY_HOME:
        case VKEY_END:
            // The caret stays at the end; moving it only keeps the shown text for further typing.
            allSelected_ = false;
            setDirty(true);
            return true;
        default: break;
    }
    if (character >= 32 && character < 127 && allSelected_) {
        editBuffer_.clear();
        allSelected_ = false;
    }
    if (character >= 32 && character < 127 && editBuffer_.size() < maxLength_) {
        editBuffer_.push_back(static_cast<char>(character));
        setDirty(true);
        return true;
    }
    return false;
}

void CTextEdit::finishEdit(const std::string& text, bool commit) {
    if (!editingText_) return;
    editingText_ = false;
    systemEdit_ = false;
    allSelected_ = false;
    if (commit) text_ = text.size() > maxLength_ ? text.substr(0, maxLength_) : text;
    setDirty(true);
    if (CFrame* frame = getFrame(); frame != nullptr && frame->getFocusView() == this) frame->setFocusView(nullptr);
    if (commit) notifyListener(nullptr);
}

}  // namespace VSTGUI
