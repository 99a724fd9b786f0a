// The record of one open editor window: the child of the host's window that the effect's editor
// opens in. Owned by VstInterface; UI thread.
#pragma once

#include <windows.h>

namespace adapter {

constexpr const char* kEditorWindowClass = "VstGuiWin";
constexpr const char* kEditorWindowTitle = "Window";

struct EditorWindow {
    HINSTANCE instance = nullptr;  // the module the class was registered for
    HWND parent = nullptr;
    HWND child = nullptr;
    int top = 0;          // the child's vertical offset in the parent
    int parentWidth = 0;  // the parent's client width
    int left = 0;         // the child's horizontal offset in the parent
    int width = 0;
    int height = 0;
};

// Where an editor of w x h sits in a host area of W x H: centred (at the editor rectangle's own left
// when exactly as wide), at the bottom.
struct ChildGeometry {
    int x;
    int y;
};
constexpr ChildGeometry PlaceEditor(int parentWidth, int parentHeight, int rectLeft, int width, int height) {
    return {width == parentWidth ? rectLeft : (parentWidth - width) / 2, parentHeight - height};
}

}  // namespace adapter
