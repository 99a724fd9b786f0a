// The same state gives the same pixels: headless on every platform (one recorded checksum for Linux and
// Windows builds), and in a real window (X11 under Xvfb, Win32 under Wine) as the screen shows it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "editor_harness.h"
#include "effect/parameter_tables.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "gui/x_server_linux.h"
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

using namespace VSTGUI;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 267;
// Below the top strip, whose bank and preset names depend on the installed bank.
constexpr int kFirstStateRow = 27;
constexpr Pixel kColourBits = 0xffffff;  // a screen capture's fourth byte is not ours

// A setting that reaches every kind of control: knobs part way, bands on, both types, values shown.
void setKnownState(CDravel& effect) {
    for (int index = 0; index <= param::kLastContinuous; ++index)
        effect.setParameter(index, static_cast<float>(index % 7) / 6.0f);
    for (int index = param::kHPOn; index <= param::kGenOn; ++index)
        effect.setParameter(index, index % 2 == 0 ? 1.0f : 0.0f);
    effect.setParameter(param::kOptDisplayVal, 1.0f);
    effect.setParameter(param::kOptDisplayName, 1.0f);
    effect.setParameter(param::kOptShowClip, 1.0f);
}

uint64_t checksum(const PixelImage& image, int firstRow) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (int y = firstRow; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            hash ^= image.at(x, y) & kColourBits;
            hash *= 1099511628211ull;
        }
    return hash;
}

// Recorded from the Linux build; the Windows build must draw the very same pixels.
constexpr uint64_t kKnownStateChecksum = 0xbb2edd198a3a987eull;

}  // namespace

TEST_F(EditorTest, KnownStateDrawsTheRecordedPixelsOnEveryPlatform) {
    setKnownState(*handle->effect);
    ASSERT_TRUE(open());
    editor->showElement(111, true);
    editor->showElement(112, true);
    editor->showElement(113, true);
    idle();
    frame()->renderAll();
    const uint64_t sum = checksum(frame()->pixels(), kFirstStateRow);
    EXPECT_EQ(sum, kKnownStateChecksum) << std::hex << "pixels checksum 0x" << sum;
    // What the window was given is what the frame drew.
    EXPECT_EQ(checksum(windows.last->presented(), kFirstStateRow), sum);
}

namespace {

// The editor in a real child window of a stand-in host window.
class WindowedEditor : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setMessageBoxHandler([](const char*, const char*) {});
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", directory.path().c_str(), 1);
#endif
        handle = std::make_unique<EffectHandle>();
        ASSERT_NE(handle->effect, nullptr);
        setKnownState(*handle->effect);
    }
    void TearDown() override {
        if (handle) handle->dispatch(effEditClose);
        handle.reset();
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", "", 1);
#endif
        platform::setMessageBoxHandler(nullptr);
    }
    const PixelImage& drawn() {
        auto* editor = dynamic_cast<DravelEdit*>(handle->effect->getEditor());
        editor->getFrame()->renderAll();
        return editor->getFrame()->pixels();
    }
    static int wrongPixels(const std::vector<Pixel>& shown, const PixelImage& drawn) {
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                wrong += (shown[static_cast<std::size_t>(y * kWidth + x)] & kColourBits) != (drawn.at(x, y) & kColourBits);
        return wrong;
    }

    TestDirectory directory;
    std::unique_ptr<EffectHandle> handle;
};

}  // namespace

#if defined(_WIN32)

TEST_F(WindowedEditor, Win32WindowShowsTheFramesPixels) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TovinEditorTestHost";
    RegisterClassExW(&wc);
    HWND host = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"host", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
    ASSERT_EQ(handle->dispatch(effEditOpen, 0, 0, host), 1);
    const auto pump = [] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    };
    for (int i = 0; i < 20; ++i) {
        pump();
        handle->dispatch(effEditIdle);
        Sleep(5);
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(host);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, kWidth, kHeight, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const std::vector<Pixel> shown(static_cast<const Pixel*>(bits), static_cast<const Pixel*>(bits) + kWidth * kHeight);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(host, screen);
    EXPECT_EQ(wrongPixels(shown, drawn()), 0);
    handle->dispatch(effEditClose);
    DestroyWindow(host);
}

#else

TEST_F(WindowedEditor, X11WindowShowsTheFramesPixels) {
    TOVIN_REQUIRE_X_SERVER();
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const int screen = DefaultScreen(display);
    const Window host = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kWidth, kHeight, 0,
                                            BlackPixel(display, screen), BlackPixel(display, screen));
    XSelectInput(display, host, StructureNotifyMask);
    XMapWindow(display, host);
    XEvent event;
    do XWindowEvent(display, host, StructureNotifyMask, &event);
    while (event.type != MapNotify);

    ASSERT_EQ(handle->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    std::vector<Pixel> shown(static_cast<std::size_t>(kWidth * kHeight));
    int wrong = -1;
    // The editor draws from its own connection: wait until its first pictures reached the server.
    for (int attempt = 0; attempt < 100 && wrong != 0; ++attempt) {
        handle->dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        XImage* picture = XGetImage(display, host, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        ASSERT_NE(picture, nullptr);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                shown[static_cast<std::size_t>(y * kWidth + x)] = static_cast<Pixel>(XGetPixel(picture, x, y));
        XDestroyImage(picture);
        wrong = wrongPixels(shown, drawn());
    }
    EXPECT_EQ(wrong, 0);
    handle->dispatch(effEditClose);
    XDestroyWindow(display, host);
    XCloseDisplay(display);
}

TEST_F(WindowedEditor, NoWindowNoEditorButTheEffectStaysUsable) {
    // A parent that is not a window: the host keeps its own view.
    TOVIN_REQUIRE_X_SERVER();
    EXPECT_EQ(handle->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(0x7ffffff))), 0);
    EXPECT_EQ(handle->dispatch(-2, 10, 10), 0);
    handle->dispatch(effEditIdle);
    handle->effect->setParameter(param::kB2Gain, 0.5f);
}

#endif
