// The one platform-dependent part of the toolkit: a child window that shows the frame's pixels and
// passes the user's input back. One implementation file per platform (Win32, X11) and a headless one
// for tests and for hosts that give no window. The frame owns its back end.
//
// Threads: every entry point runs on the host's user-interface thread, the one that opened the editor.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/geometry.h"
#include "gui/pixel_image.h"

namespace VSTGUI {

// Mouse button and modifier bits, as the toolkit defines them.
enum ButtonBits : long {
    kLButton = 1,
    kMButton = 2,
    kRButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
    kApple = 64,
};

// What the window tells the frame. Coordinates are frame pixels.
class WindowClient {
public:
    virtual ~WindowClient() = default;
    // `buttons`: held with the press, the newly pressed button included.
    virtual void windowMouseDown(CPoint where, long buttons) = 0;
    // `buttons`: still held after the release (the released button cleared).
    virtual void windowMouseUp(CPoint where, long buttons) = 0;
    virtual void windowMouseMoved(CPoint where, long buttons) = 0;
    virtual bool windowWheel(CPoint where, float distance, long buttons) = 0;
    // character: the typed character (0 for none); virtualKey: VST virtual key code (VKEY_*), 0 for none.
    virtual bool windowKey(int character, int virtualKey, long modifiers, bool down) = 0;
    // The window must show `area` again (expose, WM_PAINT): the frame redraws and presents it.
    virtual void windowNeedsPaint(const CRect& area) = 0;
    virtual void windowFocusLost() {}
};

// One pop-up menu entry; a title "-" is a separator. `command` comes back from popupMenu when chosen.
struct MenuItem {
    std::string title;
    int command = -1;
    bool checked = false;
    bool enabled = true;
    std::vector<MenuItem> submenu;  // non-empty: a submenu titled `title`
};

// What the host gave effEditOpen: the parent window (HWND, or an X11 Window id in the pointer) and,
// where the host passes it, its X display. A null parent asks for a headless window.
struct WindowParent {
    void* handle = nullptr;
    void* display = nullptr;
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // False when the window could not be made (no display, invalid parent): the editor then refuses to open.
    virtual bool isValid() const = 0;
    // Puts `area` of `image` (the whole frame, same size as the window) on the screen now.
    virtual void present(const PixelImage& image, const CRect& area) = 0;
    // Asks the system to show `area` again; it arrives later as windowNeedsPaint (headless: never).
    virtual void invalidate(const CRect& area) = 0;
    // Delivers pending window events to the client (X11 drains its queue; Win32 and headless: nothing,
    // their events arrive through the host's message loop or the test).
    virtual void pumpEvents() = 0;
    // Mouse buttons and modifier keys held now, as ButtonBits; read by modal drag loops.
    virtual long currentButtons() = 0;
    // Pointer position now, in frame pixels.
    virtual CPoint pointerPosition() = 0;
    // Converts a point in screen coordinates to frame pixels.
    virtual CPoint screenToFrame(CPoint screen) = 0;
    // Shows a pop-up menu at `where` (frame pixels) and waits for the choice: the chosen entry's command,
    // or -1 when the user dismissed it.
    virtual int popupMenu(const std::vector<MenuItem>& items, CPoint where) = 0;
    // Lets the user type into `area` starting from `text`; calls `done` with the result (committed true
    // on Enter or focus loss, false on Escape). False when this back end leaves editing to the toolkit.
    virtual bool beginTextEdit(const CRect& area, const std::string& text,
                               std::function<void(const std::string& text, bool committed)> done) = 0;
    virtual void endTextEdit() = 0;
    // HWND or X11 Window id of the frame's own window (null headless).
    virtual void* nativeHandle() const = 0;
};

// Builds the back end for this platform (headless when parent.handle is null or a test factory is set).
std::unique_ptr<WindowBackend> createWindowBackend(const WindowParent& parent, int width, int height,
                                                   WindowClient& client);

// Headless back end: no window; tests script its menu choices and typed text.
class HeadlessWindowBackend : public WindowBackend {
public:
    explicit HeadlessWindowBackend(WindowClient& client) : client_(client) {}
    bool isValid() const override { return true; }
    void present(const PixelImage& image, const CRect& area) override;
    void invalidate(const CRect& area) override { pendingPaint_ = pendingPaint_.unite(area); }
    void pumpEvents() override;
    long currentButtons() override { return buttons_; }
    CPoint pointerPosition() override { return pointer_; }
    CPoint screenToFrame(CPoint screen) override { return screen; }
    int popupMenu(const std::vector<MenuItem>& items, CPoint where) override;
    bool beginTextEdit(const CRect& area, const std::string& text,
                       std::function<void(const std::string&, bool)> done) override;
    void endTextEdit() override;
    void* nativeHandle() const override { return nullptr; }

    // Test controls.
    void setButtons(long buttons) { buttons_ = buttons; }
    void setPointer(CPoint p) { pointer_ = p; }
    // The next pop-up menu answers this command (then -1 again); the items shown are kept.
    void scriptMenuChoice(int command) { menuChoice_ = command; }
    const std::vector<MenuItem>& lastMenu() const { return lastMenu_; }
    CPoint lastMenuPoint() const { return lastMenuPoint_; }
    // The next text edit ends at once with this text (committed unless `cancel`).
    void scriptTypedText(std::string text, bool cancel = false) {
        typed_ = std::move(text);
        typedCancel_ = cancel;
        hasTyped_ = true;
    }
    const PixelImage& presented() const { return presented_; }
    int presentCount() const { return presentCount_; }
    bool editing() const { return static_cast<bool>(editDone_); }

private:
    WindowClient& client_;
    long buttons_ = 0;
    CPoint pointer_{};
    CRect pendingPaint_{};
    int menuChoice_ = -1;
    std::vector<MenuItem> lastMenu_;
    CPoint lastMenuPoint_{};
    std::string typed_;
    bool typedCancel_ = false;
    bool hasTyped_ = false;
    std::string editText_;  // the edit that waits for endTextEdit, and whom it answers
    std::function<void(const std::string&, bool)> editDone_;
    PixelImage presented_;
    int presentCount_ = 0;
};

// Called when the library unloads (DLL detach): releases what the back end holds process-wide (the
// Win32 window class). Frames close their windows themselves; the class also goes at the last close.
void releaseWindowBackendResources();

// Tests replace the platform's back end for every frame opened afterwards (null restores it).
using WindowBackendFactory = std::function<std::unique_ptr<WindowBackend>(const WindowParent&, int, int, WindowClient&)>;
void setWindowBackendFactory(WindowBackendFactory factory);

}  // namespace VSTGUI
