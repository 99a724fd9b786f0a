// The Win32 text edit: a subclassed EDIT child, so Enter, Escape and focus loss end it.
#include "gui/win32_support.h"

#include <utility>

namespace VSTGUI::win32 {

namespace {

constexpr const wchar_t* kEditFont = L"Arial";
constexpr int kFontMargin = 2;  // pixels the font stays below the field's height
constexpr const wchar_t* kOwnerProperty = L"TovinTextEdit";
constexpr WPARAM kEscapeCharacter = 0x1b;
// Longest text a field takes; the toolkit bounds it again.
constexpr WPARAM kMaxCharacters = 255;

std::wstring wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
    return result;
}

std::string narrow(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n, nullptr, nullptr);
    return result;
}

}  // namespace

bool TextEdit::begin(HWND parent, const CRect& area, const std::string& text, Done done) {
    finish(true);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    edit_ = CreateWindowExW(0, L"EDIT", wide(text).c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, area.left, area.top,
                            area.width(), area.height(), parent, nullptr, instance, nullptr);
    if (!edit_) return false;
    const int fontHeight = area.height() > 2 * kFontMargin ? area.height() - kFontMargin : area.height();
    font_ = CreateFontW(-fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kEditFont);
    if (font_) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(edit_, EM_LIMITTEXT, kMaxCharacters, 0);
    done_ = std::move(done);
    SetPropW(edit_, kOwnerProperty, this);
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TextEdit::subclassProc)));
    SendMessageW(edit_, EM_SETSEL, 0, -1);
    SetFocus(edit_);
    return true;
}

void TextEdit::finish(bool committed) {
    if (!edit_) return;
    HWND edit = std::exchange(edit_, nullptr);  // first, so the focus loss of DestroyWindow ends nothing
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)), L'\0');
    if (!text.empty()) GetWindowTextW(edit, text.data(), static_cast<int>(text.size()) + 1);
    HWND parent = GetParent(edit);
    const bool hadFocus = GetFocus() == edit;
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    RemovePropW(edit, kOwnerProperty);
    DestroyWindow(edit);
    if (font_) DeleteObject(std::exchange(font_, nullptr));
    if (hadFocus && parent) SetFocus(parent);
    if (auto done = std::exchange(done_, nullptr)) done(narrow(text), committed);
}

LRESULT CALLBACK TextEdit::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TextEdit*>(GetPropW(window, kOwnerProperty));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC previous = self->previousProc_;
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                self->finish(wParam == VK_RETURN);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == kEscapeCharacter) return 0;  // no beep for the keys handled above
            break;
        case WM_KILLFOCUS:
            CallWindowProcW(previous, window, message, wParam, lParam);
            self->finish(true);
            return 0;
        default:
            break;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace VSTGUI::win32
