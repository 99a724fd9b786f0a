// The editor's menus chosen through the toolkit's own X11 menu windows, with real input (XTest):
// the options button clicked in a stand-in host window, entries reached by keys and by the mouse.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "editor/editor_tags.h"
#include "editor/menu_tables.h"
#include "editor_harness.h"
#include "effect/parameter_tables.h"
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

class EditorX11Menus : public EditorTest {
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

    // Clicks the menu button `tag` while `user` works the menu from a connection of its own; the
    // editor idles as a host does until the menu is gone.
    void useMenu(int tag, const std::function<void(Display*)>& user) {
        const CPoint button = onScreen(centreOf(tag));
        XTestFakeMotionEvent(host_, DefaultScreen(host_), button.x, button.y, CurrentTime);
        XTestFakeButtonEvent(host_, Button1, True, CurrentTime);
        XTestFakeButtonEvent(host_, Button1, False, CurrentTime);
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

TEST_F(EditorX11Menus, OptionsAreSetThroughTheToolkitsMenuWindowsByKeysAndByTheMouse) {
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
