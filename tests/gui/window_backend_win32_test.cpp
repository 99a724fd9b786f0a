// The Win32 back end as the child of a visible stand-in host window (under Wine's null driver).
#if defined(_WIN32)
#include <windows.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "gui/window_backend.h"
#include "real_input_lock.h"
#include "recording_client.h"
#include "vst/aeffectx.h"

using namespace VSTGUI;
using tovin_test::menuItem;
using tovin_test::RecordingClient;
using tovin_test::WindowEvent;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 267;
constexpr int kHostX = 30, kHostY = 40;  // off the origin, so screen and frame points differ
constexpr int kHostWidth = 700, kHostHeight = 320;
constexpr auto kEventWait = std::chrono::seconds(3);
constexpr UINT kMenuTimerMs = 50;
constexpr UINT kMenuRescueMs = 3000;
constexpr const wchar_t* kHostClass = L"TovinTestHost";
constexpr Pixel kColourBits = 0xffffff;  // the capture's fourth byte is not ours

class Win32Window : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kHostClass;
        RegisterClassExW(&wc);
        host_ = CreateWindowExW(0, kHostClass, L"host", WS_POPUP | WS_VISIBLE, kHostX, kHostY, kHostWidth, kHostHeight,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host_, nullptr);
        UpdateWindow(host_);
        backend_ = openBackend();
        ASSERT_TRUE(backend_->isValid());
        child_ = static_cast<HWND>(backend_->nativeHandle());
        pumpUntil([] { return false; }, std::chrono::milliseconds(50));
    }

    void TearDown() override {
        backend_.reset();
        if (host_) DestroyWindow(host_);
    }

    std::unique_ptr<WindowBackend> openBackend() {
        return createWindowBackend(WindowParent{host_, nullptr}, kWidth, kHeight, client_);
    }

    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds wait = kEventWait) {
        const auto end = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < end) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (done()) return true;
            Sleep(1);
        }
        return false;
    }

    // What the host window shows, read as another program would.
    std::vector<Pixel> capture() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC screen = GetDC(host_);
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, kWidth, kHeight, screen, 0, 0, SRCCOPY);
        GdiFlush();
        std::vector<Pixel> pixels(static_cast<const Pixel*>(bits), static_cast<const Pixel*>(bits) + kWidth * kHeight);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
        ReleaseDC(host_, screen);
        for (Pixel& p : pixels) p &= kColourBits;
        return pixels;
    }

    static void mouse(DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
    }

    static void keyboard(WORD key, bool down) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
    }

    POINT screenPoint(CPoint frame) {
        POINT p{frame.x, frame.y};
        ClientToScreen(child_, &p);
        return p;
    }

    tovin_test::RealInputLock inputLock_;  // first in, last out
    RecordingClient client_;
    HWND host_ = nullptr;
    HWND child_ = nullptr;
    std::unique_ptr<WindowBackend> backend_;
};

int wrongPixels(const std::vector<Pixel>& shown, const PixelImage& first, const PixelImage& second, const CRect& part) {
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            wrong += shown[static_cast<size_t>(y * kWidth + x)] !=
                     (part.pointInside({x, y}) ? second.at(x, y) : first.at(x, y));
    return wrong;
}

TEST_F(Win32Window, PresentedPixelsReadBackUnchangedInAndOutsidePaint) {
    const PixelImage image = tovin_test::testPattern(kWidth, kHeight);
    const PixelImage second = tovin_test::testPattern(kWidth, kHeight, 101);
    const CRect part{100, 40, 260, 90};
    backend_->present(image, CRect{0, 0, kWidth, kHeight});
    backend_->present(second, part);
    EXPECT_EQ(wrongPixels(capture(), image, second, part), 0);

    // Through WM_PAINT: the client presents what it is asked to.
    const CRect repainted{300, 100, 420, 200};
    client_.onPaint = [&](const CRect& area) { backend_->present(second, area); };
    backend_->invalidate(repainted);
    UpdateWindow(child_);
    ASSERT_NE(client_.first(WindowEvent::kPaint), nullptr);
    EXPECT_EQ(client_.first(WindowEvent::kPaint)->area.intersect(repainted), repainted);
    const std::vector<Pixel> shown = capture();
    EXPECT_EQ(shown[static_cast<size_t>(150 * kWidth + 350)], second.at(350, 150));
    EXPECT_EQ(shown[static_cast<size_t>(50 * kWidth + 120)], second.at(120, 50));
    EXPECT_EQ(shown[static_cast<size_t>(5 * kWidth + 5)], image.at(5, 5));
}

TEST_F(Win32Window, SentClicksArriveWithButtonsModifiersAndCapture) {
    // Sent input goes to whatever window is under the pointer: keep other test programs' windows below ours.
    SetWindowPos(host_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const POINT at = screenPoint({120, 45});
    ASSERT_EQ(WindowFromPoint(at), child_);
    SetCursorPos(at.x, at.y);
    mouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(pumpUntil([&] { return client_.first(WindowEvent::kDown); }));
    EXPECT_EQ(client_.first(WindowEvent::kDown)->where, (CPoint{120, 45}));
    EXPECT_EQ(client_.first(WindowEvent::kDown)->buttons, kLButton);
    EXPECT_EQ(backend_->currentButtons(), kLButton);
    EXPECT_EQ(backend_->pointerPosition(), (CPoint{120, 45}));
    EXPECT_EQ(GetCapture(), child_);
    mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(pumpUntil([&] { return client_.first(WindowEvent::kUp); }));
    EXPECT_EQ(client_.first(WindowEvent::kUp)->where, (CPoint{120, 45}));
    EXPECT_EQ(client_.first(WindowEvent::kUp)->buttons, 0);  // what is held after the release
    EXPECT_EQ(backend_->currentButtons(), 0);
    EXPECT_EQ(GetCapture(), nullptr);

    client_.events.clear();
    const POINT corner = screenPoint({600, 250});
    SetCursorPos(corner.x, corner.y);
    keyboard(VK_SHIFT, true);
    mouse(MOUSEEVENTF_RIGHTDOWN);
    mouse(MOUSEEVENTF_RIGHTUP);
    keyboard(VK_SHIFT, false);
    ASSERT_TRUE(pumpUntil([&] { return client_.first(WindowEvent::kUp); }));
    ASSERT_NE(client_.first(WindowEvent::kDown), nullptr);
    EXPECT_EQ(client_.first(WindowEvent::kDown)->where, (CPoint{600, 250}));
    EXPECT_EQ(client_.first(WindowEvent::kDown)->buttons, kRButton | kShift);
    EXPECT_EQ(client_.first(WindowEvent::kUp)->buttons, kShift);
}

TEST_F(Win32Window, WheelMessagesCarryScreenPointsThatBecomeFramePoints) {
    const POINT at = screenPoint({100, 50});
    SendMessageW(child_, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    SendMessageW(child_, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(at.x, at.y));
    ASSERT_EQ(client_.count(WindowEvent::kWheel), 2);
    const WindowEvent* first = client_.first(WindowEvent::kWheel);
    EXPECT_EQ(first->where, (CPoint{100, 50}));
    EXPECT_EQ(first->distance, 2.f);
    EXPECT_EQ((first + 1)->distance, -1.f);
    EXPECT_EQ((first + 1)->buttons, kControl);
    EXPECT_EQ(backend_->screenToFrame({at.x, at.y}), (CPoint{100, 50}));
}

TEST_F(Win32Window, KeysArriveOnceAsVirtualKeysOrCharacters) {
    SendMessageW(child_, WM_KEYDOWN, VK_LEFT, 0);
    SendMessageW(child_, WM_KEYUP, VK_LEFT, 0);
    SendMessageW(child_, WM_CHAR, 'a', 0);
    SendMessageW(child_, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(child_, WM_CHAR, ' ', 0);
    SendMessageW(child_, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(child_, WM_CHAR, '\r', 0);
    SendMessageW(child_, WM_KEYDOWN, VK_F5, 0);
    ASSERT_EQ(client_.count(WindowEvent::kKey), 6);
    const WindowEvent* k = client_.first(WindowEvent::kKey);
    auto expectKey = [&](int i, int character, int virtualKey, bool down) {
        EXPECT_EQ(k[i].character, character) << i;
        EXPECT_EQ(k[i].virtualKey, virtualKey) << i;
        EXPECT_EQ(k[i].down, down) << i;
    };
    expectKey(0, 0, VKEY_LEFT, true);
    expectKey(1, 0, VKEY_LEFT, false);
    expectKey(2, 'a', 0, true);
    expectKey(3, ' ', VKEY_SPACE, true);
    expectKey(4, 0, VKEY_RETURN, true);
    expectKey(5, 0, VKEY_F5, true);
}

// The keys the menu timer posts to the open menu.
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
    // Our thread's menu only: other test programs may show theirs at the same time.
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findMenu, reinterpret_cast<LPARAM>(&menu));
    if (!menu) return;
    KillTimer(nullptr, timer);
    for (WPARAM key : menuKeys) PostMessageW(menu, WM_KEYDOWN, key, 0);
}

// A menu the keys did not end is ended here, so that a failing test fails instead of waiting for ever.
void CALLBACK endStuckMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
}

// The back end's menu with `keys` posted into its loop once it shows.
int popupWithKeys(WindowBackend& backend, const std::vector<MenuItem>& items, std::vector<WPARAM> keys) {
    menuKeys = std::move(keys);
    const UINT_PTR press = SetTimer(nullptr, 0, kMenuTimerMs, pressMenuKeys);
    const UINT_PTR rescue = SetTimer(nullptr, 0, kMenuRescueMs, endStuckMenu);
    const int answer = backend.popupMenu(items, {20, 20});
    KillTimer(nullptr, press);
    KillTimer(nullptr, rescue);
    return answer;
}

TEST_F(Win32Window, PopupMenuReturnsTheCommandChosenByKeysInTheMenuOrASubmenu) {
    const std::vector<MenuItem> items{menuItem("Bell", 11), menuItem("-"), menuItem("Shelf", 13, true),
                                      menuItem("Notch", 12, false, false),
                                      menuItem("Filters", -1, false, true, {menuItem("Low cut", 14)})};
    EXPECT_EQ(popupWithKeys(*backend_, items, {VK_DOWN, VK_DOWN, VK_RETURN}), 13);  // past the separator
    EXPECT_EQ(popupWithKeys(*backend_, items, {VK_DOWN, VK_ESCAPE}), -1);

    // A bank menu: one submenu per bank, then Sort By.
    const std::vector<MenuItem> banks{
        menuItem("Factory", -1, false, true, {menuItem("Init", 100), menuItem("Warm", 101)}),
        menuItem("User", -1, true, true, {menuItem("Lead", 200), menuItem("-"), menuItem("Keys", 202)}),
        menuItem("-"),
        menuItem("Sort By ...", -1, false, true, {menuItem("Name", 4, true), menuItem("Date", 5)})};
    EXPECT_EQ(popupWithKeys(*backend_, banks, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}), 101);
    EXPECT_EQ(popupWithKeys(*backend_, banks, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}), 202);
    // Escape closes the submenu, then the menu.
    EXPECT_EQ(popupWithKeys(*backend_, banks, {VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE}), -1);
    // Left closes the submenu only: Down then moves in the menu again.
    EXPECT_EQ(popupWithKeys(*backend_, banks, {VK_DOWN, VK_RIGHT, VK_LEFT, VK_DOWN, VK_RIGHT, VK_RETURN}), 200);

    // A grey entry is never the answer, whether the keys pass over it or stop on it.
    const std::vector<MenuItem> grey{menuItem("Delete", 3, false, false), menuItem("Rename", 2)};
    EXPECT_NE(popupWithKeys(*backend_, grey, {VK_DOWN, VK_RETURN}), 3);
}

TEST_F(Win32Window, TextEditCommitsOnEnterAndFocusLossAndCancelsOnEscape) {
    std::vector<std::pair<std::string, bool>> results;
    auto done = [&](const std::string& text, bool committed) { results.emplace_back(text, committed); };
    auto edit = [&] { return FindWindowExW(child_, nullptr, L"EDIT", nullptr); };
    auto type = [&](const char* text) {
        for (const char* c = text; *c; ++c) SendMessageW(edit(), WM_CHAR, static_cast<WPARAM>(*c), 0);
    };

    ASSERT_TRUE(backend_->beginTextEdit(CRect{10, 10, 110, 28}, "1 kHz", done));
    ASSERT_NE(edit(), nullptr);
    EXPECT_EQ(GetFocus(), edit());
    type("2.5k");  // replaces the selected text
    SendMessageW(edit(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], (std::pair<std::string, bool>{"2.5k", true}));
    EXPECT_EQ(edit(), nullptr);

    ASSERT_TRUE(backend_->beginTextEdit(CRect{10, 10, 110, 28}, "-3 dB", done));
    type("junk");
    SendMessageW(edit(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[1].second);

    ASSERT_TRUE(backend_->beginTextEdit(CRect{10, 10, 110, 28}, "0.7", done));
    SetFocus(host_);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[2], (std::pair<std::string, bool>{"0.7", true}));

    ASSERT_TRUE(backend_->beginTextEdit(CRect{10, 10, 110, 28}, "Q 2", done));
    backend_->endTextEdit();
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[3], (std::pair<std::string, bool>{"Q 2", true}));
    EXPECT_EQ(edit(), nullptr);
}

TEST_F(Win32Window, WindowClassGoesWithTheLastWindowAndOpenCloseCyclesLeaveNothing) {
    wchar_t name[64];
    ASSERT_GT(GetClassNameW(child_, name, 64), 0);
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    auto second = openBackend();
    backend_.reset();
    EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &info));
    second.reset();
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &info));

    const PixelImage image = tovin_test::testPattern(kWidth, kHeight);
    auto ignore = [](const std::string&, bool) { FAIL() << "a closed window answered its edit"; };
    for (int i = 0; i < 100; ++i) {
        auto backend = openBackend();
        ASSERT_TRUE(backend->isValid());
        backend->present(image, CRect{0, 0, kWidth, kHeight});
        if (i % 10 == 0) backend->beginTextEdit(CRect{0, 0, 50, 16}, "x", ignore);
    }
    pumpUntil([] { return false; }, std::chrono::milliseconds(20));
    EXPECT_EQ(GetWindow(host_, GW_CHILD), nullptr);
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &info));
}

TEST_F(Win32Window, AParentThatIsNoWindowGivesAnInvalidBackEnd) {
    backend_.reset();
    auto orphan = createWindowBackend(WindowParent{reinterpret_cast<void*>(0x4321), nullptr}, kWidth, kHeight, client_);
    EXPECT_FALSE(orphan->isValid());
    EXPECT_EQ(orphan->nativeHandle(), nullptr);
    EXPECT_EQ(orphan->popupMenu({menuItem("A", 1)}, {0, 0}), -1);
    EXPECT_FALSE(orphan->beginTextEdit(CRect{0, 0, 10, 10}, "", [](const std::string&, bool) {}));
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"TovinEditorWindow", &info));
}

}  // namespace
#endif
