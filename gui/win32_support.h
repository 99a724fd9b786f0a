// Pieces of the Win32 back end: its pop-up menu and its text-edit control.
//
// Threads: the thread that owns the back end's window (the host's user-interface thread).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/window_backend.h"

namespace VSTGUI::win32 {

// TrackPopupMenu over the entries at `screen`; the chosen entry's command, or -1.
int runPopupMenu(HWND owner, const std::vector<MenuItem>& items, POINT screen);

// An EDIT child over `area` of `parent`: Enter and focus loss commit, Escape cancels; `done` then runs
// once, after the control is gone.
class TextEdit {
public:
    using Done = std::function<void(const std::string& text, bool committed)>;
    TextEdit() = default;
    TextEdit(const TextEdit&) = delete;
    TextEdit& operator=(const TextEdit&) = delete;
    ~TextEdit() { abandon(); }

    bool begin(HWND parent, const CRect& area, const std::string& text, Done done);
    // Ends an open edit (committed: keeps the text typed so far).
    void finish(bool committed);
    // Removes an open edit without answering: for a window that closes, whose owner goes too.
    void abandon() {
        done_ = nullptr;
        finish(false);
    }
    bool active() const { return edit_ != nullptr; }

private:
    static LRESULT CALLBACK subclassProc(HWND, UINT, WPARAM, LPARAM);

    HWND edit_ = nullptr;
    HFONT font_ = nullptr;
    WNDPROC previousProc_ = nullptr;
    Done done_;
};

}  // namespace VSTGUI::win32
