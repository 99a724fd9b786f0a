// The editor in the host's plug-in window: the "VstGuiWin" child at the bottom, centred; one window
// class for all open editors; draws and clicks in host-window coordinates; closing on removal.
#include "simulated_host.h"

namespace {

using namespace simhost;

constexpr int kEditorWidth = 640;
constexpr int kEditorHeight = 267;

HWND editorChild(HWND parent) { return FindWindowExA(parent, nullptr, "VstGuiWin", nullptr); }

bool classRegistered() {
    WNDCLASSA info{};
    return GetClassInfoA(GetModuleHandleA(nullptr), "VstGuiWin", &info) != 0;
}

RECT placement(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(AdapterEditor, SitsAtTheBottomCentredAndSharesOneClass) {
    Instance first, second;
    ASSERT_NE(first.get(), nullptr);
    ASSERT_NE(second.get(), nullptr);
    PIRect16 size{};
    ASSERT_EQ(routines().viewSize(first.get(), &size), 0);
    EXPECT_EQ(size.right - size.left, kEditorWidth);
    EXPECT_EQ(size.bottom - size.top, kEditorHeight);

    HostWindow wide(800, 400), exact(kEditorWidth, kEditorHeight);
    ASSERT_FALSE(classRegistered());
    ASSERT_EQ(routines().setWindow(first.get(), wide.get()), 0);
    EXPECT_TRUE(classRegistered());
    HWND child = editorChild(wide.get());
    ASSERT_NE(child, nullptr);
    EXPECT_NE(GetWindowLongPtrA(wide.get(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
    RECT at = placement(wide.get(), child);
    EXPECT_EQ(at.left, (800 - kEditorWidth) / 2);
    EXPECT_EQ(at.top, 400 - kEditorHeight) << "the free space stays above the editor";
    EXPECT_EQ(at.right - at.left, kEditorWidth);
    EXPECT_EQ(at.bottom - at.top, kEditorHeight);

    ASSERT_EQ(routines().setWindow(second.get(), exact.get()), 0);
    HWND exactChild = editorChild(exact.get());
    ASSERT_NE(exactChild, nullptr);
    at = placement(exact.get(), exactChild);
    EXPECT_EQ(at.left, size.left);
    EXPECT_EQ(at.top, 0);
    pump();

    // Closing one keeps the class for the other; the last one takes it away.
    ASSERT_EQ(routines().setWindow(first.get(), nullptr), 0);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(classRegistered());
    ASSERT_EQ(routines().setWindow(second.get(), nullptr), 0);
    EXPECT_FALSE(IsWindow(exactChild));
    EXPECT_FALSE(classRegistered());
    // Removing a window that is not there changes nothing.
    EXPECT_EQ(routines().setWindow(second.get(), nullptr), 0);

    // Opened again, and the instance destroyed with its editor open.
    {
        Instance third;
        ASSERT_EQ(routines().setWindow(third.get(), wide.get()), 0);
        EXPECT_TRUE(classRegistered());
        child = editorChild(wide.get());
    }
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(classRegistered());
}

TEST(AdapterEditor, ClicksAndDrawsArriveInTheHostWindowsCoordinates) {
    Instance instance;
    ASSERT_NE(instance.get(), nullptr);
    HostWindow window(800, 400);
    ASSERT_EQ(routines().setWindow(instance.get(), window.get()), 0);
    pump();
    const int x0 = (800 - kEditorWidth) / 2;
    const int y0 = 400 - kEditorHeight;
    const PIRect16 all{0, 0, 400, 800};
    EXPECT_EQ(routines().draw(instance.get(), &all), 0);
    EXPECT_EQ(routines().draw(instance.get(), nullptr), 0);
    const PIRect16 beside{0, 0, 10, 10};
    EXPECT_EQ(routines().draw(instance.get(), &beside), 0);

    const std::vector<unsigned char> before = instance.chunk(kStateChunk);
    int32_t handled = -1;
    // Above the editor: the host's area, not the editor's.
    ASSERT_EQ(routines().mouseDown(instance.get(), x0 + 250, y0 - 5, &handled), 0);
    EXPECT_EQ(handled, 0);
    ASSERT_EQ(routines().mouseDown(instance.get(), x0 - 1, y0 + 45, &handled), 0);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(instance.chunk(kStateChunk), before);
    // Bell 2's on switch, at (242, 37) in the editor.
    ASSERT_EQ(routines().mouseDown(instance.get(), x0 + 250, y0 + 45, &handled), 0);
    EXPECT_EQ(handled, 1);
    pump();
    EXPECT_NE(instance.chunk(kStateChunk), before) << "the click reached the switch";

    // Keys: the editor's characters go through, other event kinds do not.
    EXPECT_EQ(routines().keyEvent(instance.get(), hostlib::kKeyDown, '+', 0, &handled), 0);
    EXPECT_EQ(routines().keyEvent(instance.get(), hostlib::kKeyUp, '+', 0, &handled), 0);
    EXPECT_EQ(routines().keyEvent(instance.get(), 5, '+', 0, &handled), 0);
    EXPECT_EQ(handled, 0);
    host().tick++;
    EXPECT_EQ(routines().idle(instance.get()), 0);
    ASSERT_EQ(routines().setWindow(instance.get(), nullptr), 0);
    EXPECT_EQ(editorChild(window.get()), nullptr);
    // Without an editor, clicks are nobody's.
    ASSERT_EQ(routines().mouseDown(instance.get(), x0 + 250, y0 + 45, &handled), 0);
    EXPECT_EQ(handled, 0);
}

TEST(AdapterEditor, AWindowThatCannotBeMadeIsReportedWithItsSystemCode) {
    Instance instance;
    ASSERT_NE(instance.get(), nullptr);
    // A destroyed window as the parent.
    HWND gone = nullptr;
    {
        HostWindow window(100, 100);
        gone = window.get();
    }
    const int32_t error = routines().setWindow(instance.get(), gone);
    EXPECT_GT(error, 0) << "a system error code";
    EXPECT_FALSE(classRegistered());
    HostWindow window(800, 400);
    EXPECT_EQ(routines().setWindow(instance.get(), window.get()), 0);
    EXPECT_EQ(routines().setWindow(instance.get(), nullptr), 0);
}

}  // namespace
