// The editor's child window: the class registered with the first open editor of the process and
// unregistered with the last, the child placed at the bottom of the host area, centred.
#include <atomic>

#include "adapter/editor_window.h"
#include "adapter/vst_interface.h"
#include "hostlib/library_error.h"

namespace adapter {
namespace {

constexpr DWORD kErrorClassAlreadyExists = 1410;
std::atomic<int> openWindows{0};  // UI thread only; atomic for the tests' readers

void registerClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = 0;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kEditorWindowClass;
    if (RegisterClassA(&windowClass) == 0) {
        const DWORD error = GetLastError();
        if (error != kErrorClassAlreadyExists) throw hostlib::LibraryError(static_cast<int32_t>(error), "RegisterClass");
    }
}

}  // namespace

int VstInterface::openWindowCount() { return openWindows.load(); }

HWND VstInterface::editorWindow() const { return window_ ? window_->child : nullptr; }

bool VstInterface::editorPlacement(EditorPlacement* placement) const {
    if (!window_ || placement == nullptr) return false;
    *placement = {window_->left, window_->top, window_->width, window_->height};
    return true;
}

void VstInterface::openEditor(HWND parent) {
    if (window_) closeEditor();
    ERect rect{};
    if (ERect* effectRect = editorRect()) rect = *effectRect;
    auto record = std::make_unique<EditorWindow>();
    record->parent = parent;
    if (parent != nullptr) SetWindowLongPtrA(parent, GWL_STYLE, GetWindowLongPtrA(parent, GWL_STYLE) | WS_CLIPCHILDREN);
    record->instance = GetModuleHandleA(nullptr);
    const bool first = openWindows.load() == 0;
    if (first) registerClass(record->instance);

    RECT client{};
    if (parent != nullptr) GetClientRect(parent, &client);
    record->parentWidth = client.right - client.left;
    record->width = rect.right - rect.left;
    record->height = rect.bottom - rect.top;
    const ChildGeometry at =
        PlaceEditor(record->parentWidth, client.bottom - client.top, rect.left, record->width, record->height);
    record->left = at.x;
    record->top = at.y;
    record->child = CreateWindowExA(WS_EX_LEFT, kEditorWindowClass, kEditorWindowTitle,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, at.x, at.y, record->width,
                                    record->height, parent, nullptr, record->instance, nullptr);
    if (record->child == nullptr) {
        const DWORD error = GetLastError();
        if (first) UnregisterClassA(kEditorWindowClass, record->instance);
        throw hostlib::LibraryError(static_cast<int32_t>(error != 0 ? error : ERROR_INVALID_WINDOW_HANDLE),
                                    "CreateWindowEx");
    }
    ShowWindow(record->child, SW_SHOWNORMAL);
    UpdateWindow(record->child);
    BringWindowToTop(record->child);
    openWindows.fetch_add(1);
    window_ = std::move(record);
    if (loaded()) dispatch(false, effEditOpen, 0, 0, window_->child);
}

void VstInterface::closeEditor() {
    if (!window_) return;
    // The editor tears its frame down while its window still exists.
    if (loaded()) dispatch(false, effEditClose);
    DestroyWindow(window_->child);
    const int left = openWindows.fetch_sub(1) - 1;
    if (left <= 0) {
        openWindows.store(0);
        UnregisterClassA(kEditorWindowClass, window_->instance);
    }
    window_.reset();
}

}  // namespace adapter
