// The toolkit's own pop-up menu on X11, opened by the back end over a stand-in host window and driven
// by real input (XTest) from a second connection, as a user would: levels found as the
// override-redirect windows on the screen, entries where the layout puts them.
#if !defined(_WIN32)
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gui/popup_menu_layout.h"
#include "gui/popup_menu_paint.h"
#include "gui/window_backend.h"
#include "recording_client.h"
#include "x_server_linux.h"

using namespace VSTGUI;
using tovin_test::menuItem;
using tovin_test::RecordingClient;
using tovin_test::WindowEvent;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 267;
constexpr auto kWait = std::chrono::seconds(3);
constexpr auto kPoll = std::chrono::milliseconds(10);
constexpr int kUnblockEscapes = 6;  // enough to close every level of a stuck menu

// A bank menu in small: submenus, a grey entry, a grey submenu, separators, check marks, three levels.
const std::vector<MenuItem> kBankMenu{
    menuItem("Factory", -1, false, true, {menuItem("Init", 100), menuItem("Warm", 101), menuItem("-"), menuItem("Bright", 102)}),
    menuItem("User", -1, true, true,
             {menuItem("Lead", 200), menuItem("Pad", 201, false, false), menuItem("Keys", 202),
              menuItem("Deep", -1, false, true, {menuItem("Sub A", 300), menuItem("Sub B", 301)})}),
    menuItem("Locked", -1, false, false, {menuItem("Hidden", 400)}),
    menuItem("-"),
    menuItem("Rename", 2),
    menuItem("Delete", 3, false, false),
    menuItem("Sort By ...", -1, false, true, {menuItem("Name", 4, true), menuItem("Date", 5)}),
};
enum TopEntry { kFactory, kUser, kLocked, kSeparator, kRename, kDelete, kSortBy };

// The user's connection reads windows that the menu may destroy at any moment.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

// The viewable override-redirect windows on the root, bottom to top: the open levels, the first first.
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

CRect screenOf(Display* display) {
    return {0, 0, DisplayWidth(display, DefaultScreen(display)), DisplayHeight(display, DefaultScreen(display))};
}

// The user at the other end of the menu: a connection of its own, real input events.
class MenuUser {
public:
    MenuUser() : display_(XOpenDisplay(nullptr)) {}
    ~MenuUser() { XCloseDisplay(display_); }

    Display* display() const { return display_; }

    // Waits for `count` levels and for the menu's grabs; their frames, or none after the wait.
    std::vector<CRect> levels(size_t count) {
        const auto end = std::chrono::steady_clock::now() + kWait;
        std::vector<CRect> found;
        while (std::chrono::steady_clock::now() < end) {
            found = menuLevels(display_);
            if (found.size() == count && (count == 0 || grabbed())) return found;
            std::this_thread::sleep_for(kPoll);
        }
        ADD_FAILURE() << "waited for " << count << " menu levels, saw " << found.size();
        return {};
    }

    // The centre of `entry` of `items` shown in `level`.
    CPoint entry(const CRect& level, const std::vector<MenuItem>& items, int entry) const {
        const popup::LevelLayout layout = popup::layoutLevel(items, popup::menuFace(), screenOf(display_).height());
        const CRect& row = layout.rows[static_cast<size_t>(entry)];
        return {level.left + (row.left + row.right) / 2, level.top + (row.top + row.bottom) / 2};
    }

    void moveTo(CPoint p) {
        XTestFakeMotionEvent(display_, DefaultScreen(display_), p.x, p.y, CurrentTime);
        XSync(display_, False);
    }
    void click(CPoint p) {
        moveTo(p);
        XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
        XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
        XSync(display_, False);
    }
    void tap(KeySym keysym) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), True, CurrentTime);
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), False, CurrentTime);
        XSync(display_, False);
    }
    void taps(std::initializer_list<KeySym> keys) {
        for (KeySym k : keys) tap(k);
    }

    // The menu is still on the screen after the script: Escape until it goes, so the test never blocks.
    bool unblock() {
        for (int i = 0; i < kUnblockEscapes && !menuLevels(display_).empty(); ++i) {
            tap(XK_Escape);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return menuLevels(display_).empty();
    }

private:
    // The keyboard is held by someone else: the menu's grab is in place (a probe that wins lets go at once,
    // and the menu retries).
    bool grabbed() {
        const int answer = XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync,
                                         CurrentTime);
        if (answer == GrabSuccess) XUngrabKeyboard(display_, CurrentTime);
        XSync(display_, False);
        return answer == AlreadyGrabbed;
    }

    Display* display_;
};

class X11PopupMenu : public testing::Test {
protected:
    void SetUp() override {
        TOVIN_REQUIRE_X_SERVER();
        previousHandler_ = XSetErrorHandler(ignoreErrors);  // the back end's handler passes ours on
        host_ = XOpenDisplay(nullptr);
        ASSERT_NE(host_, nullptr);
        hostWindow_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 0, 0, kWidth, kHeight, 0, 0, 0);
        XSelectInput(host_, hostWindow_, StructureNotifyMask);
        XMapWindow(host_, hostWindow_);
        XEvent event;
        do XWindowEvent(host_, hostWindow_, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        backend_ = createWindowBackend(WindowParent{reinterpret_cast<void*>(hostWindow_), nullptr}, kWidth, kHeight,
                                       client_);
        ASSERT_TRUE(backend_->isValid());
    }

    void TearDown() override {
        backend_.reset();
        if (host_) {
            if (hostWindow_) XDestroyWindow(host_, hostWindow_);
            XCloseDisplay(host_);
        }
        XSetErrorHandler(previousHandler_);
    }

    // Opens `items` at `where` while `script` plays the user's part; the answer. Afterwards no level
    // is left on the screen and the menu holds no grab.
    int choose(const std::vector<MenuItem>& items, CPoint where, const std::function<void(MenuUser&)>& script) {
        bool unblocked = true;
        std::thread user([&] {
            MenuUser u;
            script(u);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            unblocked = u.unblock();
        });
        const int answer = backend_->popupMenu(items, where);
        user.join();
        EXPECT_TRUE(unblocked) << "the menu stayed open after the script";
        EXPECT_TRUE(menuLevels(host_).empty()) << "a menu window was left behind";
        const int grab = XGrabPointer(host_, DefaultRootWindow(host_), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                                      None, CurrentTime);
        EXPECT_EQ(grab, GrabSuccess) << "the menu kept the pointer";
        XUngrabPointer(host_, CurrentTime);
        XSync(host_, False);
        return answer;
    }

    const std::vector<MenuItem>& sub(TopEntry entry) const { return kBankMenu[entry].submenu; }

    RecordingClient client_;
    XErrorHandler previousHandler_ = nullptr;
    Display* host_ = nullptr;
    Window hostWindow_ = 0;
    std::unique_ptr<WindowBackend> backend_;
};

TEST_F(X11PopupMenu, TheMouseChoosesEntriesInSubmenusByRestingOrClicking) {
    // Resting on a submenu's entry opens it to the right; a click in it chooses.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [&](MenuUser& u) {
                         const auto top = u.levels(1);
                         if (top.empty()) return;
                         u.moveTo(u.entry(top[0], kBankMenu, kUser));
                         const auto two = u.levels(2);
                         if (two.empty()) return;
                         EXPECT_GE(two[1].left, top[0].right - popup::kMetrics.submenuOverlap);
                         u.click(u.entry(two[1], sub(kUser), 2));
                     }),
              202);

    // Clicks open a submenu at once, and its submenu, and choose three levels deep.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [&](MenuUser& u) {
                         const auto top = u.levels(1);
                         if (top.empty()) return;
                         u.click(u.entry(top[0], kBankMenu, kUser));
                         const auto two = u.levels(2);
                         if (two.empty()) return;
                         u.click(u.entry(two[1], sub(kUser), 3));
                         const auto three = u.levels(3);
                         if (three.empty()) return;
                         u.click(u.entry(three[2], sub(kUser)[3].submenu, 1));
                     }),
              301);

    // Another entry of the top level, rested on, closes the submenu and opens its own.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [&](MenuUser& u) {
                         const auto top = u.levels(1);
                         if (top.empty()) return;
                         u.moveTo(u.entry(top[0], kBankMenu, kUser));
                         if (u.levels(2).empty()) return;
                         u.moveTo(u.entry(top[0], kBankMenu, kFactory));
                         std::this_thread::sleep_for(std::chrono::milliseconds(2 * popup::kHoverDelayMs));
                         const auto two = u.levels(2);
                         if (two.empty()) return;
                         u.click(u.entry(two[1], sub(kFactory), 3));
                     }),
              102);

    // Pressing on the menu and releasing on another entry chooses that one.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [&](MenuUser& u) {
                         const auto top = u.levels(1);
                         if (top.empty()) return;
                         u.moveTo(u.entry(top[0], kBankMenu, kDelete));
                         XTestFakeButtonEvent(u.display(), Button1, True, CurrentTime);
                         u.moveTo(u.entry(top[0], kBankMenu, kRename));
                         XTestFakeButtonEvent(u.display(), Button1, False, CurrentTime);
                         XSync(u.display(), False);
                     }),
              2);
}

TEST_F(X11PopupMenu, KeysMoveOverUsableEntriesOpenAndCloseLevelsAndChoose) {
    // Down, Right, Down, Return: the second entry of the first submenu.
    EXPECT_EQ(choose(kBankMenu, {20, 20}, [](MenuUser& u) { u.levels(1), u.taps({XK_Down, XK_Right, XK_Down, XK_Return}); }),
              101);
    // Down skips the grey entry; Enter opens a submenu as Right does.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [](MenuUser& u) { u.levels(1), u.taps({XK_Down, XK_Down, XK_Return, XK_Down, XK_KP_Enter}); }),
              202);
    // Left closes one level and leaves the highlight where it was.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [](MenuUser& u) { u.levels(1), u.taps({XK_Down, XK_Right, XK_Left, XK_Down, XK_Right, XK_space}); }),
              200);
    // Up from nothing wraps to the last usable entry; Down at the end of a level wraps to its top.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [](MenuUser& u) { u.levels(1), u.taps({XK_Up, XK_Right, XK_Down, XK_Down, XK_Return}); }),
              4);
    // The grey submenu does not open and the separator is skipped: Down from User lands on Rename.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [](MenuUser& u) { u.levels(1), u.taps({XK_Down, XK_Down, XK_Down, XK_Right, XK_Return}); }),
              2);
}

TEST_F(X11PopupMenu, EscapeClosesOneLevelThenDismissesAndAClickOutsideDismisses) {
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [](MenuUser& u) {
                         u.levels(1);
                         u.taps({XK_Down, XK_Right});
                         u.levels(2);
                         u.tap(XK_Escape);
                         EXPECT_EQ(u.levels(1).size(), 1u);  // the top level stays open
                         u.tap(XK_Escape);
                         u.levels(0);
                     }),
              -1);

    // The click outside reaches neither the menu's entries nor the editor below.
    client_.events.clear();
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [](MenuUser& u) {
                         const auto top = u.levels(1);
                         if (top.empty()) return;
                         u.moveTo(u.entry(top[0], kBankMenu, kUser));
                         const auto two = u.levels(2);
                         if (two.empty()) return;
                         u.click({std::max(two[1].right, top[0].right) + 40, 30});
                         u.levels(0);
                     }),
              -1);
    backend_->pumpEvents();
    EXPECT_EQ(client_.count(WindowEvent::kDown), 0);
}

TEST_F(X11PopupMenu, GreyEntriesCannotBeChosenNorOpened) {
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [&](MenuUser& u) {
                         const auto top = u.levels(1);
                         if (top.empty()) return;
                         u.click(u.entry(top[0], kBankMenu, kDelete));
                         u.click(u.entry(top[0], kBankMenu, kLocked));
                         u.click(u.entry(top[0], kBankMenu, kSeparator));
                         std::this_thread::sleep_for(std::chrono::milliseconds(2 * popup::kHoverDelayMs));
                         EXPECT_EQ(u.levels(1).size(), 1u);  // still open, no submenu
                         u.click(u.entry(top[0], kBankMenu, kUser));
                         const auto two = u.levels(2);
                         if (two.empty()) return;
                         u.click(u.entry(two[1], sub(kUser), 1));  // Pad, grey
                         EXPECT_EQ(u.levels(2).size(), 2u);
                         u.taps({XK_Escape, XK_Escape});
                     }),
              -1);
}

TEST_F(X11PopupMenu, ALongBankMenuOpensOnTheScreenEvenFromItsCorner) {
    constexpr int kBanks = 40;
    constexpr int kPresets = 30;
    std::vector<MenuItem> banks;
    for (int b = 0; b < kBanks; ++b) {
        std::vector<MenuItem> presets;
        for (int p = 0; p < kPresets; ++p) presets.push_back(menuItem("Preset " + std::to_string(p + 1), b * 100 + p));
        banks.push_back(menuItem("Bank " + std::to_string(b + 1), -1, false, true, std::move(presets)));
    }
    banks.push_back(menuItem("-"));
    banks.push_back(menuItem("Sort By ...", -1, false, true, {menuItem("Name", 9001, true), menuItem("Date", 9002)}));
    const CRect screen = screenOf(host_);
    int rootX = 0, rootY = 0;
    Window child;
    // From the bottom right corner: the menu moves up and left, its submenus open to the left.
    XTranslateCoordinates(host_, DefaultRootWindow(host_), hostWindow_, screen.right - 5, screen.bottom - 5, &rootX,
                          &rootY, &child);
    EXPECT_EQ(choose(banks, {rootX, rootY},
                     [&](MenuUser& u) {
                         const auto top = u.levels(1);
                         if (top.empty()) return;
                         EXPECT_EQ(top[0].intersect(screen), top[0]);
                         u.taps({XK_Up, XK_Up, XK_Right});  // Sort By, then the last bank
                         const auto two = u.levels(2);
                         if (two.empty()) return;
                         EXPECT_EQ(two[1].intersect(screen), two[1]);
                         EXPECT_LE(two[1].right, top[0].left + popup::kMetrics.submenuOverlap);
                         EXPECT_EQ(two[1].height(), kPresets * popup::kMetrics.rowHeight +
                                                        2 * (popup::kMetrics.border + popup::kMetrics.padding));
                         u.taps({XK_Up, XK_Return});
                     }),
              (kBanks - 1) * 100 + kPresets - 1);
}

TEST_F(X11PopupMenu, AMenuWithoutGrabsOrWhoseEditorWindowGoesAnswersNothingAndLeavesNothing) {
    // Another client holds the pointer: the menu cannot work and must not wait for ever.
    ASSERT_EQ(XGrabPointer(host_, hostWindow_, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None, None,
                           CurrentTime),
              GrabSuccess);
    XSync(host_, False);
    EXPECT_EQ(backend_->popupMenu(kBankMenu, {20, 20}), -1);
    XUngrabPointer(host_, CurrentTime);
    XSync(host_, False);
    EXPECT_TRUE(menuLevels(host_).empty());

    // The host closes its window (and the editor's with it) while a submenu is open.
    EXPECT_EQ(choose(kBankMenu, {20, 20},
                     [&](MenuUser& u) {
                         u.levels(1);
                         u.taps({XK_Down, XK_Right});
                         u.levels(2);
                         XDestroyWindow(u.display(), hostWindow_);
                         XSync(u.display(), False);
                         u.levels(0);  // gone by itself, not by the Escapes that end a stuck script
                     }),
              -1);
    hostWindow_ = 0;
}

}  // namespace
#endif
