// The X11 back end's own display connections, its error recording and its pop-up menu.
//
// Threads: openDisplay, closeDisplay and the error counters may be called from any thread (the error
// handler is process-wide, so its bookkeeping is locked); a display and its pop-up menu belong to the
// thread that opened the display.
#pragma once

#include <functional>
#include <vector>

#include "gui/window_backend.h"

typedef struct _XDisplay Display;
union _XEvent;

namespace VSTGUI::x11 {

// XOpenDisplay(nullptr), with this library's error handler installed while any such display is open:
// errors on these displays are counted instead of ending the process; errors on other displays go to
// the handler that was installed before. Null when no display can be opened.
Display* openDisplay();
// XCloseDisplay; the last close puts the previous error handler back.
void closeDisplay(Display* display);

// Errors recorded on our displays since the process started, and the last one's error code.
unsigned long errorCount();
int lastErrorCode();
// Errors recorded on one open display since it was opened.
unsigned long errorCountOn(Display* display);

// For tests: the back end's display connection (null when it is not an X11 back end).
Display* displayOf(WindowBackend& backend);

// A modal pop-up menu at (rootX, rootY) on `display`'s default screen, each open level an
// override-redirect window drawn by the toolkit: mouse and keyboard choose an entry; the chosen
// entry's command, or -1 when dismissed, when pointer and keyboard cannot be grabbed or when a window
// of `display` other than the menu's is destroyed (the editor's, with its host's). Events for other
// windows go to `otherEvent`. Grabs and menu windows are gone when it returns.
int runPopupMenu(Display* display, int rootX, int rootY, const std::vector<MenuItem>& items,
                 const std::function<void(const _XEvent&)>& otherEvent);

}  // namespace VSTGUI::x11
