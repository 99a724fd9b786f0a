// Stays resident in the test Wine prefix while the tests run, so that each test program starts in a
// warm Wine session instead of bringing up the session's services again. It owns one hidden window
// and ends by itself after half an hour, or earlier when the wineserver is stopped.
#include <windows.h>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMilliseconds = 30 * 60 * 1000;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kLifetimeTimer) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TovinWineKeepAlive";
    if (RegisterClassA(&windowClass) == 0) return 1;
    HWND window = CreateWindowA("TovinWineKeepAlive", "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                                instance, nullptr);
    if (window == nullptr) return 1;
    SetTimer(window, kLifetimeTimer, kLifetimeMilliseconds, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
