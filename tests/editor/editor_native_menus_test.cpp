// The editor's menus chosen through the platform's real ones in a stand-in host window: on X11 the
// toolkit's own menu windows with real input (XTest), by keys and by the mouse; on Windows the
// system's menu, with keys posted into its loop.
#include <gtest/gtest.h>

#include "editor/editor_tags.h"
#include "editor_harness.h"
#include "effect/parameter_tables.h"

#if defined(_WIN32)
#include <windows.h>

#include <vector>

using namespace VSTGUI;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 267;
constexpr UINT kMenuTimerMs = 50;
constexpr UINT kMenuRescueMs = 3000;

std::vector<WPARAM> menuKeys;
BOOL CALLBACK findMenu(HWND window, LPARAM found) {
    wchar_t name[16];
    if (GetClassNameW(window, name, 16) && std::wstring(name) == L"#32768" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}
void CALLBACK pressMenuKeys(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findMenu, reinterpret_cast<LPARAM>(&menu));
    if (!menu) return;
    KillTimer(nullptr, timer);
    for (WPARAM key : menuKeys) PostMessageW(menu, WM_KEYDOWN, key, 0);
}
// A menu the keys left open ends here: the test fails instead of waiting for ever.
void CALLBACK endStuckMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
}

void mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

class EditorNativeMenus : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        setWindowBackendFactory(nullptr);  // the real window, not the harness's headless one
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TovinMenuTestHost";
        RegisterClassExW(&wc);
        host_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"host", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(host_, nullptr);
        ASSERT_EQ(handle->dispatch(effEditOpen, 0, 0, host_), 1);
        pump();
    }
    void TearDown() override {
        if (host_) {
            close();
            DestroyWindow(host_);
        }
        EditorTest::TearDown();
    }
    void pump() {
        for (int i = 0; i < 10; ++i) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            idle();
            Sleep(2);
        }
    }
    // Clicks the menu button `tag` with `keys` posted into the menu that opens.
    void useMenu(int tag, std::vector<WPARAM> keys) {
        POINT at{centreOf(tag).x, centreOf(tag).y};
        ClientToScreen(GetWindow(host_, GW_CHILD), &at);
        menuKeys = std::move(keys);
        const UINT_PTR press = SetTimer(nullptr, 0, kMenuTimerMs, pressMenuKeys);
        const UINT_PTR rescue = SetTimer(nullptr, 0, kMenuRescueMs, endStuckMenu);
        SetCursorPos(at.x, at.y);
        mouse(MOUSEEVENTF_LEFTDOWN);
        mouse(MOUSEEVENTF_LEFTUP);
        pump();  // the menu runs inside this, until the keys end it
        KillTimer(nullptr, press);
        KillTimer(nullptr, rescue);
        pump();
    }
    float option(int index) const { return handle->effect->getParameter(index); }

    HWND host_ = nullptr;
};

TEST_F(EditorNativeMenus, OptionsAreSetThroughTheSystemsMenuByKeys) {
    const float shown = option(param::kOptDisplayVal);
    useMenu(editor_tag::kOptionsMenu, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN});  // Display, Value Display
    EXPECT_NE(option(param::kOptDisplayVal), shown);
    const float snap = option(param::kOptSnapGain);
    useMenu(editor_tag::kOptionsMenu, {VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE});
    EXPECT_EQ(option(param::kOptSnapGain), snap);
    EXPECT_NE(option(param::kOptDisplayVal), shown);
}

}  // namespace

#else

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "editor/menu_tables.h"
#include "gui/popup_menu_layout.h"
#include "gui/popup_menu_paint.h"
#include "gui/x_server_linux.h"
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace VSTGUI;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 267;
constexpr auto kWait = std::chrono::seconds(5);

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

// The menu's levels as a user sees them: the viewable override-redirect windows, bottom to top.
std::vector<CRect> menuLevels(Display* display) {
    std::vector<CRect> levels;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return levels;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(display, children[i], &a) && a.override_redirect && a.map_state == IsViewable)
            levels.push_back(CRect::fromSize(a.x, a.y, a.width, a.height));
    }
    if (children) XFree(children);
    return levels;
}

// The entries of a menu table as the menu lays them out (titles, separators and arrows are what count).
template <std::size_t N>
std::vector<MenuItem> itemsOf(const menu::Entry (&table)[N]) {
    std::vector<MenuItem> items;
    for (const menu::Entry& e : table) {
        MenuItem item;
        item.title = e.title;
        if (e.submenuTag) item.submenu.push_back(MenuItem{});
        items.push_back(item);
    }
    return items;
}

class EditorNativeMenus : public EditorTest {
protected:
    void SetUp() override {
        TOVIN_REQUIRE_X_SERVER();
        previousHandler_ = XSetErrorHandler(ignoreErrors);
        EditorTest::SetUp();
        setWindowBackendFactory(nullptr);  // the real X11 window, not the harness's headless one
        host_ = XOpenDisplay(nullptr);
        ASSERT_NE(host_, nullptr);
        hostWindow_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 0, 0, kWidth, kHeight, 0, 0, 0);
        XSelectInput(host_, hostWindow_, StructureNotifyMask);
        XMapWindow(host_, hostWindow_);
        XEvent event;
        do XWindowEvent(host_, hostWindow_, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        ASSERT_EQ(handle->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(hostWindow_)), 1);
        for (int i = 0; i < 5; ++i) idle();
    }
    void TearDown() override {
        if (host_) {
            close();
            XDestroyWindow(host_, hostWindow_);
            XCloseDisplay(host_);
        }
        EditorTest::TearDown();
        XSetErrorHandler(previousHandler_);
    }

    CPoint onScreen(CPoint frame) {
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(host_, hostWindow_, DefaultRootWindow(host_), frame.x, frame.y, &x, &y, &child);
        return {x, y};
    }

    // Clicks the menu button `tag` (or only presses it, `held`) while `user` works the menu from a
    // connection of its own; the editor idles as a host does until the menu is gone.
    void useMenu(int tag, const std::function<void(Display*)>& user, bool held = false) {
        const CPoint button = onScreen(centreOf(tag));
        XTestFakeMotionEvent(host_, DefaultScreen(host_), button.x, button.y, CurrentTime);
        XTestFakeButtonEvent(host_, Button1, True, CurrentTime);
        if (!held) XTestFakeButtonEvent(host_, Button1, False, CurrentTime);
        XSync(host_, False);
        std::atomic<bool> done{false};
        std::thread thread([&] {
            Display* display = XOpenDisplay(nullptr);
            if (waitForLevels(display, 1)) user(display);
            // Whatever the script left open goes, so the test never blocks.
            for (int i = 0; i < 6 && !waitForLevels(display, 0); ++i) tap(display, XK_Escape);
            XCloseDisplay(display);
            done = true;
        });
        const auto end = std::chrono::steady_clock::now() + 2 * kWait;
        while (!done && std::chrono::steady_clock::now() < end) {
            idle();  // the click opens the menu inside this call, which returns once it closes
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        thread.join();
        idle();
    }

    static bool waitForLevels(Display* display, size_t count) {
        const auto end = std::chrono::steady_clock::now() + (count ? kWait : std::chrono::seconds(1));
        while (std::chrono::steady_clock::now() < end) {
            if (menuLevels(display).size() == count && (count == 0 || keyboardHeld(display))) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // The menu's grab is in place (a probe that wins lets go at once; the menu retries).
    static bool keyboardHeld(Display* display) {
        const int answer =
            XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync, CurrentTime);
        if (answer == GrabSuccess) XUngrabKeyboard(display, CurrentTime);
        XSync(display, False);
        return answer == AlreadyGrabbed;
    }
    static void tap(Display* display, KeySym key) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
        XSync(display, False);
    }
    static void click(Display* display, const CRect& level, const std::vector<MenuItem>& items, int entry) {
        const popup::LevelLayout layout =
            popup::layoutLevel(items, popup::menuFace(), DisplayHeight(display, DefaultScreen(display)));
        const CRect& row = layout.rows[static_cast<size_t>(entry)];
        XTestFakeMotionEvent(display, DefaultScreen(display), level.left + (row.left + row.right) / 2,
                             level.top + (row.top + row.bottom) / 2, CurrentTime);
        XTestFakeButtonEvent(display, Button1, True, CurrentTime);
        XTestFakeButtonEvent(display, Button1, False, CurrentTime);
        XSync(display, False);
    }

    float option(int index) const { return handle->effect->getParameter(index); }

    XErrorHandler previousHandler_ = nullptr;
    Display* host_ = nullptr;
    Window hostWindow_ = 0;
};

TEST_F(EditorNativeMenus, OptionsAreSetThroughTheToolkitsMenuWindowsByKeysAndByTheMouse) {
    const float shown = option(param::kOptDisplayVal);
    // Misc, Display; into Display; its first entry, Value Display.
    useMenu(editor_tag::kOptionsMenu, [](Display* d) {
        for (KeySym key : {XK_Down, XK_Down, XK_Right, XK_Return}) tap(d, key);
    });
    EXPECT_NE(option(param::kOptDisplayVal), shown);

    // Snap, then Gain Snap Coarse, by clicks.
    const std::vector<MenuItem> top = itemsOf(menu::kOptionsEntries);
    const std::vector<MenuItem> snap = itemsOf(menu::kSnapEntries);
    constexpr int kSnapEntry = 4, kGainCoarseEntry = 10;
    ASSERT_EQ(top[kSnapEntry].title, "Snap");
    ASSERT_EQ(snap[kGainCoarseEntry].title, "Gain Snap Coarse");
    ASSERT_NE(option(param::kOptSnapGain), 1.0f);
    useMenu(editor_tag::kOptionsMenu, [&](Display* d) {
        click(d, menuLevels(d)[0], top, kSnapEntry);
        if (!waitForLevels(d, 2)) return;
        click(d, menuLevels(d)[1], snap, kGainCoarseEntry);
    });
    EXPECT_EQ(option(param::kOptSnapGain), 1.0f);

    // Press on the button, drag through Snap into its submenu, release on Gain Snap Fine.
    constexpr int kGainFineEntry = 11;
    useMenu(
        editor_tag::kOptionsMenu,
        [&](Display* d) {
            const CRect level = menuLevels(d)[0];
            const popup::LevelLayout layout =
                popup::layoutLevel(top, popup::menuFace(), DisplayHeight(d, DefaultScreen(d)));
            const CRect& row = layout.rows[kSnapEntry];
            XTestFakeMotionEvent(d, DefaultScreen(d), level.left + row.left + 10, level.top + row.top + 5, CurrentTime);
            XSync(d, False);
            if (!waitForLevels(d, 2)) return;
            const CRect sub = menuLevels(d)[1];
            const popup::LevelLayout snapLayout =
                popup::layoutLevel(snap, popup::menuFace(), DisplayHeight(d, DefaultScreen(d)));
            const CRect& target = snapLayout.rows[kGainFineEntry];
            XTestFakeMotionEvent(d, DefaultScreen(d), sub.left + target.left + 10, sub.top + target.top + 5,
                                 CurrentTime);
            XTestFakeButtonEvent(d, Button1, False, CurrentTime);
            XSync(d, False);
        },
        true);
    EXPECT_EQ(option(param::kOptSnapGain), 2.0f);

    // Escape leaves every option as it was.
    const float snapped = option(param::kOptSnapGain);
    useMenu(editor_tag::kOptionsMenu, [](Display* d) {
        for (KeySym key : {XK_Down, XK_Right, XK_Escape, XK_Escape}) tap(d, key);
    });
    EXPECT_EQ(option(param::kOptSnapGain), snapped);
    EXPECT_NE(option(param::kOptDisplayVal), shown);
    EXPECT_TRUE(menuLevels(host_).empty());
}

}  // namespace
#endif
