// The X11 back end as the child of a stand-in host window, driven by real input events (XTest).
#if !defined(_WIN32)
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gui/window_backend.h"
#include "gui/x11_support.h"
#include "real_input_lock.h"
#include "recording_client.h"
#include "vst/aeffectx.h"
#include "x_server_linux.h"

using namespace VSTGUI;
using tovin_test::RecordingClient;
using tovin_test::WindowEvent;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 267;
constexpr int kHostWidth = 700;
constexpr int kHostHeight = 320;
constexpr auto kEventWait = std::chrono::seconds(3);
constexpr Pixel kColourBits = 0xffffff;  // XGetPixel's bits above the visual's depth are not ours

int openFileCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

int testHandlerCalls = 0;
int countingHandler(Display*, XErrorEvent*) {
    ++testHandlerCalls;
    return 0;
}

class X11Window : public testing::Test {
protected:
    void SetUp() override {
        TOVIN_REQUIRE_X_SERVER();
        host_ = XOpenDisplay(nullptr);
        ASSERT_NE(host_, nullptr);
        const int screen = DefaultScreen(host_);
        hostWindow_ = XCreateSimpleWindow(host_, RootWindow(host_, screen), 0, 0, kHostWidth, kHostHeight, 0,
                                          BlackPixel(host_, screen), BlackPixel(host_, screen));
        XSelectInput(host_, hostWindow_, StructureNotifyMask);
        XMapWindow(host_, hostWindow_);
        XEvent event;
        do XWindowEvent(host_, hostWindow_, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        backend_ = openBackend();
        ASSERT_TRUE(backend_->isValid());
    }

    void TearDown() override {
        backend_.reset();
        if (host_) {
            XDestroyWindow(host_, hostWindow_);
            XCloseDisplay(host_);
        }
    }

    std::unique_ptr<WindowBackend> openBackend() {
        return createWindowBackend(WindowParent{reinterpret_cast<void*>(hostWindow_), nullptr}, kWidth, kHeight,
                                   client_);
    }

    // Pumps the back end until `done` holds or the wait runs out.
    bool pumpUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + kEventWait;
        while (std::chrono::steady_clock::now() < end) {
            backend_->pumpEvents();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    void movePointer(CPoint framePoint) {
        int rootX = 0, rootY = 0;
        Window child;
        XTranslateCoordinates(host_, hostWindow_, DefaultRootWindow(host_), framePoint.x, framePoint.y, &rootX,
                              &rootY, &child);
        XTestFakeMotionEvent(host_, DefaultScreen(host_), rootX, rootY, CurrentTime);
        XSync(host_, False);
    }

    void button(unsigned number, bool down) {
        XTestFakeButtonEvent(host_, number, down, CurrentTime);
        XSync(host_, False);
    }

    void key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, keysym), down, CurrentTime);
        XSync(host_, False);
    }

    // The host window's pixels, as a reader on another connection sees them.
    Pixel hostPixel(XImage* picture, int x, int y) { return static_cast<Pixel>(XGetPixel(picture, x, y)) & kColourBits; }

    tovin_test::RealInputLock inputLock_;  // first in, last out
    RecordingClient client_;
    Display* host_ = nullptr;
    Window hostWindow_ = 0;
    std::unique_ptr<WindowBackend> backend_;
};

TEST_F(X11Window, PresentedPixelsReadBackUnchangedFromTheHostWindow) {
    const PixelImage image = tovin_test::testPattern(kWidth, kHeight);
    backend_->present(image, CRect{0, 0, kWidth, kHeight});
    const PixelImage second = tovin_test::testPattern(kWidth, kHeight, 101);
    const CRect part{100, 40, 260, 90};
    backend_->present(second, part);
    XSync(x11::displayOf(*backend_), False);

    XImage* picture = XGetImage(host_, hostWindow_, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    ASSERT_NE(picture, nullptr);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            wrong += hostPixel(picture, x, y) != (part.pointInside({x, y}) ? second.at(x, y) : image.at(x, y));
    XDestroyImage(picture);
    EXPECT_EQ(wrong, 0);
}

TEST_F(X11Window, ClicksArriveAtFramePointsWithTheirButtonsAndModifiers) {
    movePointer({120, 45});
    button(Button1, true);
    ASSERT_TRUE(pumpUntil([&] { return client_.first(WindowEvent::kDown); }));
    EXPECT_EQ(backend_->currentButtons() & kLButton, kLButton);
    EXPECT_EQ(backend_->pointerPosition(), (CPoint{120, 45}));
    button(Button1, false);
    ASSERT_TRUE(pumpUntil([&] { return client_.first(WindowEvent::kUp); }));
    EXPECT_EQ(client_.first(WindowEvent::kDown)->where, (CPoint{120, 45}));
    EXPECT_EQ(client_.first(WindowEvent::kDown)->buttons, kLButton);
    EXPECT_EQ(client_.first(WindowEvent::kUp)->where, (CPoint{120, 45}));
    EXPECT_EQ(client_.first(WindowEvent::kUp)->buttons, 0);  // what is held after the release
    EXPECT_EQ(backend_->currentButtons(), 0);

    client_.events.clear();
    movePointer({600, 250});
    key(XK_Shift_L, true);
    button(Button3, true);
    button(Button3, false);
    key(XK_Shift_L, false);
    ASSERT_TRUE(pumpUntil([&] { return client_.first(WindowEvent::kUp); }));
    ASSERT_NE(client_.first(WindowEvent::kDown), nullptr);
    EXPECT_EQ(client_.first(WindowEvent::kDown)->where, (CPoint{600, 250}));
    EXPECT_EQ(client_.first(WindowEvent::kDown)->buttons, kRButton | kShift);
    EXPECT_EQ(client_.first(WindowEvent::kUp)->buttons, kShift);

    // A drag with the middle button reports the button held on each move.
    client_.events.clear();
    button(Button2, true);
    movePointer({610, 200});
    button(Button2, false);
    ASSERT_TRUE(pumpUntil([&] { return client_.first(WindowEvent::kUp); }));
    ASSERT_NE(client_.first(WindowEvent::kMoved), nullptr);
    EXPECT_EQ(client_.first(WindowEvent::kMoved)->where, (CPoint{610, 200}));
    EXPECT_EQ(client_.first(WindowEvent::kMoved)->buttons, kMButton);
}

TEST_F(X11Window, WheelTurnsArriveAsSignedDistances) {
    movePointer({300, 100});
    button(4, true);
    button(4, false);
    button(5, true);
    button(5, false);
    ASSERT_TRUE(pumpUntil([&] { return client_.count(WindowEvent::kWheel) == 2; }));
    const WindowEvent* up = client_.first(WindowEvent::kWheel);
    EXPECT_EQ(up->where, (CPoint{300, 100}));
    EXPECT_EQ(up->distance, 1.f);
    EXPECT_EQ((up + 1)->kind, WindowEvent::kWheel);
    EXPECT_EQ((up + 1)->distance, -1.f);
    EXPECT_EQ(client_.count(WindowEvent::kDown), 0);
    EXPECT_EQ(backend_->screenToFrame(CPoint{300, 100}), (CPoint{300, 100}));  // the host sits at the origin
}

TEST_F(X11Window, KeysArriveAfterAClickWithCharactersAndVirtualKeys) {
    movePointer({50, 50});
    button(Button1, true);
    button(Button1, false);
    ASSERT_TRUE(pumpUntil([&] { return client_.first(WindowEvent::kUp); }));
    client_.events.clear();
    key(XK_a, true);
    key(XK_a, false);
    key(XK_Shift_L, true);
    key(XK_a, true);
    key(XK_a, false);
    key(XK_Shift_L, false);
    key(XK_Return, true);
    key(XK_space, true);
    key(XK_F3, true);
    ASSERT_TRUE(pumpUntil([&] { return client_.count(WindowEvent::kKey) >= 9; }));
    std::vector<WindowEvent> keys;
    for (const auto& e : client_.events)
        if (e.kind == WindowEvent::kKey) keys.push_back(e);
    auto expectKey = [&](size_t i, int character, int virtualKey, long modifiers, bool down) {
        ASSERT_LT(i, keys.size());
        EXPECT_EQ(keys[i].character, character) << i;
        EXPECT_EQ(keys[i].virtualKey, virtualKey) << i;
        EXPECT_EQ(keys[i].buttons, modifiers) << i;
        EXPECT_EQ(keys[i].down, down) << i;
    };
    expectKey(0, 'a', 0, 0, true);
    expectKey(1, 'a', 0, 0, false);
    expectKey(2, 0, VKEY_SHIFT, 0, true);
    expectKey(3, 'A', 0, kShift, true);
    expectKey(4, 'A', 0, kShift, false);
    expectKey(5, 0, VKEY_SHIFT, kShift, false);
    expectKey(6, 0, VKEY_RETURN, 0, true);
    expectKey(7, ' ', VKEY_SPACE, 0, true);
    expectKey(8, 0, VKEY_F3, 0, true);
    key(XK_Return, false);
    key(XK_space, false);
    key(XK_F3, false);
}

TEST_F(X11Window, UncoveringAsksForARepaintAndInvalidateArrivesAtThePump) {
    ASSERT_TRUE(pumpUntil([&] { return client_.count(WindowEvent::kPaint) > 0; }));  // the first exposure
    client_.events.clear();
    XUnmapWindow(host_, hostWindow_);
    XMapWindow(host_, hostWindow_);
    XSync(host_, False);
    CRect exposed;
    ASSERT_TRUE(pumpUntil([&] {
        for (const auto& e : client_.events)
            if (e.kind == WindowEvent::kPaint) exposed = exposed.unite(e.area);
        return exposed == CRect(0, 0, kWidth, kHeight);
    }));

    client_.events.clear();
    backend_->invalidate(CRect{5, 6, 7, 8});
    EXPECT_EQ(client_.count(WindowEvent::kPaint), 0);
    backend_->pumpEvents();
    ASSERT_EQ(client_.count(WindowEvent::kPaint), 1);
    EXPECT_EQ(client_.first(WindowEvent::kPaint)->area, (CRect{5, 6, 7, 8}));
}

TEST_F(X11Window, XErrorsAreRecordedAndOtherDisplaysKeepTheirHandler) {
    backend_.reset();
    XErrorHandler before = XSetErrorHandler(countingHandler);
    auto backend = openBackend();  // installs ours over the test's
    Display* own = x11::displayOf(*backend);
    const unsigned long errors = x11::errorCount();
    // Destroy the back end's window behind its back, then draw into it.
    XDestroyWindow(host_, reinterpret_cast<Window>(backend->nativeHandle()));
    XSync(host_, False);
    backend->present(tovin_test::testPattern(kWidth, kHeight), CRect{0, 0, kWidth, kHeight});
    XSync(own, False);
    EXPECT_GT(x11::errorCount(), errors);
    EXPECT_EQ(x11::lastErrorCode(), BadDrawable);

    // An error on the host's connection goes to the handler the host installed.
    testHandlerCalls = 0;
    XMapWindow(host_, reinterpret_cast<Window>(backend->nativeHandle()));
    XSync(host_, False);
    EXPECT_EQ(testHandlerCalls, 1);
    backend.reset();
    EXPECT_EQ(XSetErrorHandler(before), countingHandler);
}

TEST_F(X11Window, AParentThatIsNoWindowOrNoDisplayGivesAnInvalidBackEnd) {
    Window gone = XCreateSimpleWindow(host_, hostWindow_, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(host_, gone);
    XSync(host_, False);
    auto orphan = createWindowBackend(WindowParent{reinterpret_cast<void*>(gone), nullptr}, kWidth, kHeight, client_);
    EXPECT_FALSE(orphan->isValid());
    EXPECT_EQ(orphan->nativeHandle(), nullptr);
    orphan->present(tovin_test::testPattern(kWidth, kHeight), CRect{0, 0, kWidth, kHeight});
    orphan->pumpEvents();
    EXPECT_EQ(orphan->popupMenu({tovin_test::menuItem("A", 1)}, {0, 0}), -1);

    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", ":4999", 1);
    auto nowhere = createWindowBackend(WindowParent{reinterpret_cast<void*>(hostWindow_), nullptr}, kWidth, kHeight,
                                       client_);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_FALSE(nowhere->isValid());
}

TEST_F(X11Window, HundredOpenCloseCyclesLeaveNothingBehind) {
    backend_.reset();
    XErrorHandler before = XSetErrorHandler(countingHandler);
    const int files = openFileCount();
    const unsigned long errors = x11::errorCount();
    const PixelImage image = tovin_test::testPattern(kWidth, kHeight);
    for (int i = 0; i < 100; ++i) {
        auto backend = openBackend();
        ASSERT_TRUE(backend->isValid());
        backend->present(image, CRect{0, 0, kWidth, kHeight});
        backend->pumpEvents();
    }
    XSync(host_, False);
    Window root, parent, *children = nullptr;
    unsigned count = 99;
    ASSERT_TRUE(XQueryTree(host_, hostWindow_, &root, &parent, &children, &count));
    if (children) XFree(children);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(openFileCount(), files);
    EXPECT_EQ(x11::errorCount(), errors);
    EXPECT_EQ(XSetErrorHandler(before), countingHandler);
}

// Editors of several hosts' threads open and close at once: the shared handler stays counted right.
TEST(X11WindowConcurrency, BackEndsOnSeveralThreadsShareTheErrorHandlerAndPutTheOldOneBack) {
    TOVIN_REQUIRE_X_SERVER();
    constexpr int kThreads = 3;
    constexpr int kCycles = 20;
    XErrorHandler before = XSetErrorHandler(countingHandler);
    const unsigned long errors = x11::errorCount();
    std::atomic<int> opened{0};
    auto editorThread = [&] {
        Display* host = XOpenDisplay(nullptr);
        ASSERT_NE(host, nullptr);
        const Window window = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, kWidth, kHeight, 0, 0, 0);
        XMapWindow(host, window);
        XSync(host, False);
        RecordingClient client;
        const PixelImage image = tovin_test::testPattern(kWidth, kHeight);
        for (int i = 0; i < kCycles; ++i) {
            auto backend = createWindowBackend(WindowParent{reinterpret_cast<void*>(window), nullptr}, kWidth,
                                               kHeight, client);
            opened += backend->isValid();
            backend->present(image, CRect{0, 0, kWidth, kHeight});
            backend->pumpEvents();
        }
        XDestroyWindow(host, window);
        XCloseDisplay(host);
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) threads.emplace_back(editorThread);
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(opened, kThreads * kCycles);
    EXPECT_EQ(x11::errorCount(), errors);
    EXPECT_EQ(XSetErrorHandler(before), countingHandler);
}

}  // namespace
#endif
