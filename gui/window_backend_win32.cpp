// The Win32 back end: a child window of the host's HWND that blits the frame's picture and passes
// mouse and keys on. Its window class lives while any such window does.
#include <windows.h>

#include <mutex>
#include <utility>

#include "gui/win32_support.h"
#include "gui/window_backend_platform.h"
#include "gui/window_keys.h"
#include "platform/platform.h"

namespace VSTGUI {

namespace {

constexpr const wchar_t* kClassName = L"TovinEditorWindow";
constexpr SHORT kKeyDown = static_cast<SHORT>(0x8000);  // GetAsyncKeyState: held now
constexpr int kBitsPerPixel = 32;
constexpr int kLastControlLetter = 26;    // Ctrl+A to Ctrl+Z type 1 to 26
constexpr UINT kDeadKeyBit = 0x80000000;  // MapVirtualKey marks dead keys with it

// The window class, shared by all back ends of this module.
class WindowClass {
public:
    static bool acquire(WNDPROC proc, HINSTANCE& instance) {
        std::lock_guard lock(mutex_);
        if (!registered_) {
            instance_ = static_cast<HINSTANCE>(platform::moduleHandle());
            if (!instance_) instance_ = GetModuleHandleW(nullptr);
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = proc;
            wc.hInstance = instance_;
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.lpszClassName = kClassName;
            if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
            registered_ = true;
        }
        ++users_;
        instance = instance_;
        return true;
    }

    // The last window closed, or the module unloads: FreeLibrary would leave the class behind.
    static void release(bool unloading) {
        std::lock_guard lock(mutex_);
        if (!unloading && users_ > 0) --users_;
        if (registered_ && (users_ == 0 || unloading)) {
            UnregisterClassW(kClassName, instance_);
            registered_ = false;
            users_ = 0;
        }
    }

private:
    static inline std::mutex mutex_;
    static inline int users_ = 0;
    static inline bool registered_ = false;
    static inline HINSTANCE instance_ = nullptr;
};

long modifierBits() {
    long bits = 0;
    if (GetKeyState(VK_SHIFT) < 0) bits |= kShift;
    if (GetKeyState(VK_CONTROL) < 0) bits |= kControl;
    if (GetKeyState(VK_MENU) < 0) bits |= kAlt;
    return bits;
}

long buttonsFromWParam(WPARAM keys) {
    long bits = 0;
    if (keys & MK_LBUTTON) bits |= kLButton;
    if (keys & MK_MBUTTON) bits |= kMButton;
    if (keys & MK_RBUTTON) bits |= kRButton;
    if (keys & MK_SHIFT) bits |= kShift;
    if (keys & MK_CONTROL) bits |= kControl;
    if (GetKeyState(VK_MENU) < 0) bits |= kAlt;
    return bits;
}

CPoint pointFromLParam(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

class Win32WindowBackend final : public WindowBackend {
public:
    Win32WindowBackend(const WindowParent& parent, int width, int height, WindowClient& client) : client_(client) {
        HINSTANCE instance = nullptr;
        if (!WindowClass::acquire(&Win32WindowBackend::windowProc, instance)) return;
        hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                                static_cast<HWND>(parent.handle), nullptr, instance, this);
        if (!hwnd_) WindowClass::release(false);
    }

    ~Win32WindowBackend() override {
        if (!hwnd_) return;
        textEdit_.abandon();
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        WindowClass::release(false);
    }

    bool isValid() const override { return hwnd_ != nullptr; }

    void present(const PixelImage& image, const CRect& area) override {
        if (!hwnd_) return;
        const CRect r = area.intersect(CRect{0, 0, image.width, image.height});
        if (r.isEmpty()) return;
        // A top-down DIB that starts at the area's first row: no bottom-up origin to get wrong.
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = image.width;
        info.bmiHeader.biHeight = -r.height();
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = kBitsPerPixel;
        info.bmiHeader.biCompression = BI_RGB;
        HDC dc = paintDC_ ? paintDC_ : GetDC(hwnd_);
        SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.width()), static_cast<DWORD>(r.height()), r.left, 0, 0,
                          static_cast<UINT>(r.height()), &image.at(0, r.top), &info, DIB_RGB_COLORS);
        if (!paintDC_) ReleaseDC(hwnd_, dc);
    }

    void invalidate(const CRect& area) override {
        if (!hwnd_) return;
        const RECT rect{area.left, area.top, area.right, area.bottom};
        InvalidateRect(hwnd_, &rect, FALSE);
    }

    void pumpEvents() override {}

    long currentButtons() override {
        const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
        long bits = 0;
        if (GetAsyncKeyState(swapped ? VK_RBUTTON : VK_LBUTTON) & kKeyDown) bits |= kLButton;
        if (GetAsyncKeyState(VK_MBUTTON) & kKeyDown) bits |= kMButton;
        if (GetAsyncKeyState(swapped ? VK_LBUTTON : VK_RBUTTON) & kKeyDown) bits |= kRButton;
        if (GetAsyncKeyState(VK_SHIFT) & kKeyDown) bits |= kShift;
        if (GetAsyncKeyState(VK_CONTROL) & kKeyDown) bits |= kControl;
        if (GetAsyncKeyState(VK_MENU) & kKeyDown) bits |= kAlt;
        return bits;
    }

    CPoint pointerPosition() override {
        POINT p{};
        GetCursorPos(&p);
        return screenToFrame({p.x, p.y});
    }

    CPoint screenToFrame(CPoint screen) override {
        POINT p{screen.x, screen.y};
        if (hwnd_) ScreenToClient(hwnd_, &p);
        return {p.x, p.y};
    }

    int popupMenu(const std::vector<MenuItem>& items, CPoint where) override {
        if (!hwnd_ || items.empty()) return -1;
        POINT p{where.x, where.y};
        ClientToScreen(hwnd_, &p);
        return win32::runPopupMenu(hwnd_, items, p);
    }

    bool beginTextEdit(const CRect& area, const std::string& text,
                       std::function<void(const std::string&, bool)> done) override {
        return hwnd_ && textEdit_.begin(hwnd_, area, text, std::move(done));
    }

    void endTextEdit() override { textEdit_.finish(true); }

    void* nativeHandle() const override { return hwnd_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32WindowBackend*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        LRESULT result = 0;
        if (self && self->handle(message, wParam, lParam, result)) return result;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    void mouseDown(WPARAM wParam, LPARAM lParam) {
        SetFocus(hwnd_);  // keys come to the window that has the focus
        SetCapture(hwnd_);
        client_.windowMouseDown(pointFromLParam(lParam), buttonsFromWParam(wParam));
    }

    void mouseUp(long released, WPARAM wParam, LPARAM lParam) {
        if (!(wParam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON))) ReleaseCapture();
        client_.windowMouseUp(pointFromLParam(lParam), buttonsFromWParam(wParam) & ~released);  // held after
    }

    bool key(unsigned virtualKey, bool down) {
        const int vstKey = virtualKeyFromWin32(virtualKey);
        const bool typesCharacter = win32KeyTypesCharacter(virtualKey);
        if (down) {
            // A key that types arrives with its WM_CHAR; the others only here.
            charKey_ = typesCharacter ? vstKey : 0;
            return vstKey && !typesCharacter && client_.windowKey(0, vstKey, modifierBits(), true);
        }
        int character = static_cast<int>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_CHAR) & ~kDeadKeyBit);
        if (character >= 'A' && character <= 'Z' && !(modifierBits() & kShift)) character += 'a' - 'A';
        if (!vstKey && !character) return false;
        return client_.windowKey(character, vstKey, modifierBits(), false);
    }

    bool typed(WPARAM wParam) {
        int character = static_cast<int>(wParam);
        const long modifiers = modifierBits();
        if (character < ' ') {
            // Enter, Tab, Backspace and Escape were keys already; Ctrl+letter types a control code.
            if (!(modifiers & kControl) || character < 1 || character > kLastControlLetter) return false;
            character += 'a' - 1;
        }
        const int vstKey = std::exchange(charKey_, 0);
        return client_.windowKey(character, vstKey, modifiers, true);
    }

    bool handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        switch (message) {
            case WM_PAINT: {
                PAINTSTRUCT paint;
                paintDC_ = BeginPaint(hwnd_, &paint);
                const CRect area{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
                if (!area.isEmpty()) client_.windowNeedsPaint(area);
                EndPaint(hwnd_, &paint);
                paintDC_ = nullptr;
                return true;
            }
            case WM_ERASEBKGND:
                result = 1;  // the picture covers everything
                return true;
            case WM_LBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_RBUTTONDOWN:
                mouseDown(wParam, lParam);
                return true;
            case WM_LBUTTONUP:
                mouseUp(kLButton, wParam, lParam);
                return true;
            case WM_MBUTTONUP:
                mouseUp(kMButton, wParam, lParam);
                return true;
            case WM_RBUTTONUP:
                mouseUp(kRButton, wParam, lParam);
                return true;
            case WM_MOUSEMOVE:
                client_.windowMouseMoved(pointFromLParam(lParam), buttonsFromWParam(wParam));
                return true;
            case WM_MOUSEWHEEL: {
                const CPoint where = screenToFrame(pointFromLParam(lParam));
                const float distance = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
                // Unused turns go on to the parent, as DefWindowProc does.
                return client_.windowWheel(where, distance, buttonsFromWParam(GET_KEYSTATE_WPARAM(wParam)));
            }
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                return key(static_cast<unsigned>(wParam), true);
            case WM_KEYUP:
            case WM_SYSKEYUP:
                return key(static_cast<unsigned>(wParam), false);
            case WM_CHAR:
                return typed(wParam);
            case WM_GETDLGCODE:
                result = DLGC_WANTALLKEYS;  // hosts with dialog managers would take arrows and Tab
                return true;
            case WM_KILLFOCUS:
                // Focus moving to our own text edit is no loss.
                if (!wParam || GetParent(reinterpret_cast<HWND>(wParam)) != hwnd_) client_.windowFocusLost();
                return true;
            default:
                return false;
        }
    }

    WindowClient& client_;
    HWND hwnd_ = nullptr;
    HDC paintDC_ = nullptr;  // set while WM_PAINT asks the client to present
    int charKey_ = 0;        // the typing key whose WM_CHAR is due
    win32::TextEdit textEdit_;
};

}  // namespace

std::unique_ptr<WindowBackend> createPlatformWindowBackend(const WindowParent& parent, int width, int height,
                                                           WindowClient& client) {
    return std::make_unique<Win32WindowBackend>(parent, width, height, client);
}

void releaseWindowBackendResources() { WindowClass::release(true); }

}  // namespace VSTGUI
