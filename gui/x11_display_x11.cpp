// Display connections with a recording error handler. Xlib's default handler ends the process, which
// here is the host's; handlers are process-wide, so ours forwards the errors of displays it does not
// own to whichever handler was there before it.
#include <X11/Xlib.h>

#include <atomic>
#include <mutex>

#include "gui/x11_support.h"

namespace VSTGUI::x11 {

namespace {

// Editors open at the same time in one process (one display each).
constexpr int kMaxDisplays = 64;

std::atomic<Display*> ownDisplays[kMaxDisplays];
std::atomic<unsigned long> slotErrors[kMaxDisplays];
std::atomic<unsigned long> errorsRecorded{0};
std::atomic<int> lastError{0};
std::atomic<XErrorHandler> forwardHandler{nullptr};

// Guards the installation count and the slots' allocation; the handler itself reads only atomics,
// because Xlib calls it with its own locks held.
std::mutex installMutex;
int displaysOpen = 0;
XErrorHandler previousHandler = nullptr;

int recordError(Display* display, XErrorEvent* event) {
    for (int i = 0; i < kMaxDisplays; ++i) {
        if (ownDisplays[i].load(std::memory_order_acquire) == display) {
            slotErrors[i].fetch_add(1);
            errorsRecorded.fetch_add(1);
            lastError.store(event->error_code);
            return 0;
        }
    }
    XErrorHandler forward = forwardHandler.load();
    return forward ? forward(display, event) : 0;
}

}  // namespace

Display* openDisplay() {
    std::lock_guard lock(installMutex);
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    for (int i = 0; i < kMaxDisplays; ++i) {
        Display* expected = nullptr;
        if (ownDisplays[i].compare_exchange_strong(expected, display)) {
            slotErrors[i].store(0);
            if (displaysOpen++ == 0) {
                previousHandler = XSetErrorHandler(recordError);
                forwardHandler.store(previousHandler);
            }
            return display;
        }
    }
    XCloseDisplay(display);
    return nullptr;
}

void closeDisplay(Display* display) {
    if (!display) return;
    std::lock_guard lock(installMutex);
    XCloseDisplay(display);  // its last errors still count as ours
    for (auto& slot : ownDisplays) {
        Display* expected = display;
        if (slot.compare_exchange_strong(expected, nullptr)) break;
    }
    if (--displaysOpen == 0) {
        XErrorHandler current = XSetErrorHandler(previousHandler);
        // Someone installed a handler after ours: leave theirs in place.
        if (current != recordError) XSetErrorHandler(current);
        forwardHandler.store(nullptr);
    }
}

unsigned long errorCount() { return errorsRecorded.load(); }
int lastErrorCode() { return lastError.load(); }

unsigned long errorCountOn(Display* display) {
    for (int i = 0; i < kMaxDisplays; ++i)
        if (ownDisplays[i].load(std::memory_order_acquire) == display) return slotErrors[i].load();
    return 0;
}

}  // namespace VSTGUI::x11
