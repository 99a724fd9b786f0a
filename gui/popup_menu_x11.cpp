// The toolkit's own pop-up menu on X11: every open level in an override-redirect window of its own,
// drawn by the toolkit (popup_menu_paint) and put on the screen with XPutImage, driven by a
// MenuSession. It grabs pointer and keyboard and runs its own loop on the back end's display until
// the user chooses or dismisses; events for other windows go to the caller.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <optional>
#include <thread>

#include "gui/popup_menu_paint.h"
#include "gui/popup_menu_session.h"
#include "gui/x11_support.h"

namespace VSTGUI::x11 {

namespace {

// Only the top level reports its mapping and destruction: submenus come and go as the user moves,
// and the destruction of one we closed must not read as the menu's end.
constexpr long kTopLevelEventMask = ExposureMask | StructureNotifyMask;
constexpr long kSubmenuEventMask = ExposureMask;
constexpr unsigned kGrabbedPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
// Another client may hold a grab for a moment (the click that opened the menu, a host's shortcut).
constexpr int kGrabAttempts = 10;
constexpr auto kGrabRetry = std::chrono::milliseconds(20);
// The top level must be mapped by then, or the menu gives up.
constexpr int64_t kMapWaitMs = 2000;
constexpr int kDepth = 24;
constexpr int kBitsPerPixel = 32;
constexpr int kBytesPerPixel = 4;
constexpr unsigned long kRedMask = 0xff0000, kGreenMask = 0xff00, kBlueMask = 0xff;
constexpr unsigned kLastPointerButton = Button3;  // the wheel's buttons choose nothing

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::optional<popup::MenuKey> menuKey(XKeyEvent& event) {
    switch (XLookupKeysym(&event, 0)) {
        case XK_Up: case XK_KP_Up: return popup::MenuKey::Up;
        case XK_Down: case XK_KP_Down: return popup::MenuKey::Down;
        case XK_Left: case XK_KP_Left: return popup::MenuKey::Left;
        case XK_Right: case XK_KP_Right: return popup::MenuKey::Right;
        case XK_Return: case XK_KP_Enter: case XK_space: return popup::MenuKey::Choose;
        case XK_Escape: return popup::MenuKey::Escape;
        default: return std::nullopt;
    }
}

// The windows that show a session's levels, kept in step with it.
class MenuWindows {
public:
    explicit MenuWindows(Display* display) : display_(display) {
        const int screen = DefaultScreen(display_);
        root_ = RootWindow(display_, screen);
        XVisualInfo info;
        if (!XMatchVisualInfo(display_, screen, kDepth, TrueColor, &info)) return;
        visual_ = info.visual;
        colormap_ = XCreateColormap(display_, root_, visual_, AllocNone);
        gc_ = XCreateGC(display_, root_, 0, nullptr);
        direct_ = visual_->red_mask == kRedMask && visual_->green_mask == kGreenMask && visual_->blue_mask == kBlueMask;
    }

    ~MenuWindows() {
        ungrab();
        while (!shown_.empty()) close();
        if (gc_) XFreeGC(display_, gc_);
        if (colormap_) XFreeColormap(display_, colormap_);
        XSync(display_, False);
        // What the closed windows still had queued (their unmapping, their last input) is no one's now;
        // left in the queue it would reach the next menu's loop or the editor.
        XEvent event;
        while (XCheckIfEvent(display_, &event, isClosedWindows, reinterpret_cast<XPointer>(&closed_))) {}
    }

    bool usable() const { return visual_ != nullptr; }
    CRect screen() const {
        const int screen = DefaultScreen(display_);
        return {0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
    }
    Window top() const { return shown_.empty() ? 0 : shown_.front().window; }
    // One of the levels' windows, open or closed since.
    bool owns(Window window) const {
        for (const Shown& shown : shown_)
            if (shown.window == window) return true;
        return std::find(closed_.begin(), closed_.end(), window) != closed_.end();
    }

    // Windows for levels opened since, none for levels closed, and the changed highlights drawn.
    void follow(const popup::MenuSession& session) {
        const auto& levels = session.levels();
        size_t same = 0;
        while (same < shown_.size() && same < levels.size() && shown_[same].id == levels[same].id) ++same;
        while (shown_.size() > same) close();
        for (size_t i = 0; i < levels.size(); ++i) {
            if (i >= shown_.size()) open(levels[i]);
            Shown& shown = shown_[i];
            if (shown.highlighted != levels[i].highlighted) {
                shown.highlighted = levels[i].highlighted;
                popup::paintLevel(shown.image, levels[i], popup::menuFace());
                put(shown);
            }
        }
        XFlush(display_);
    }

    void exposed(Window window) {
        for (Shown& shown : shown_)
            if (shown.window == window) put(shown);
    }

    // A level's window destroyed by someone else: forget it, so it is not destroyed twice.
    void lost(Window window) {
        for (Shown& shown : shown_)
            if (shown.window == window) shown.window = 0;
    }

    bool grab() {
        const Window window = top();
        for (int attempt = 0; attempt < kGrabAttempts && window; ++attempt) {
            if (!pointerGrabbed_)
                pointerGrabbed_ = XGrabPointer(display_, window, False, kGrabbedPointerEvents, GrabModeAsync,
                                               GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
            if (!keyboardGrabbed_)
                keyboardGrabbed_ =
                    XGrabKeyboard(display_, window, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
            if (pointerGrabbed_ && keyboardGrabbed_) return true;
            std::this_thread::sleep_for(kGrabRetry);
        }
        ungrab();
        return false;
    }

private:
    struct Shown {
        unsigned id = 0;
        Window window = 0;
        int highlighted = -2;  // as drawn; -2 before the first drawing
        PixelImage image;
    };

    static Bool isClosedWindows(Display*, XEvent* event, XPointer closed) {
        for (Window window : *reinterpret_cast<const std::vector<Window>*>(closed))
            if (event->xany.window == window) return True;
        return False;
    }

    void close() {
        if (shown_.back().window) {
            XDestroyWindow(display_, shown_.back().window);
            closed_.push_back(shown_.back().window);
        }
        shown_.pop_back();
    }

    void open(const popup::Level& level) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixmap = None;
        attributes.border_pixel = 0;
        attributes.colormap = colormap_;
        attributes.event_mask = shown_.empty() ? kTopLevelEventMask : kSubmenuEventMask;
        attributes.save_under = True;
        Shown shown;
        shown.id = level.id;
        shown.window = XCreateWindow(display_, root_, level.frame.left, level.frame.top,
                                     static_cast<unsigned>(level.frame.width()), static_cast<unsigned>(level.frame.height()),
                                     0, kDepth, InputOutput, visual_,
                                     CWOverrideRedirect | CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask |
                                         CWSaveUnder,
                                     &attributes);
        XMapRaised(display_, shown.window);
        shown_.push_back(std::move(shown));
    }

    void put(Shown& shown) {
        const PixelImage& image = shown.image;
        if (!shown.window || image.width == 0 || image.height == 0) return;
        const Pixel* source = image.pixels.data();
        if (!direct_) {
            converted_.resize(image.pixels.size());
            const int red = std::countr_zero(visual_->red_mask), green = std::countr_zero(visual_->green_mask),
                      blue = std::countr_zero(visual_->blue_mask);
            for (size_t i = 0; i < image.pixels.size(); ++i) {
                const Pixel p = image.pixels[i];
                converted_[i] = static_cast<Pixel>(pixelRed(p)) << red | static_cast<Pixel>(pixelGreen(p)) << green |
                                static_cast<Pixel>(pixelBlue(p)) << blue;
            }
            source = converted_.data();
        }
        XImage picture{};
        picture.width = image.width;
        picture.height = image.height;
        picture.format = ZPixmap;
        picture.data = reinterpret_cast<char*>(const_cast<Pixel*>(source));
        picture.byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        picture.bitmap_unit = kBitsPerPixel;
        picture.bitmap_bit_order = picture.byte_order;
        picture.bitmap_pad = kBitsPerPixel;
        picture.depth = kDepth;
        picture.bytes_per_line = image.width * kBytesPerPixel;
        picture.bits_per_pixel = kBitsPerPixel;
        picture.red_mask = visual_->red_mask;
        picture.green_mask = visual_->green_mask;
        picture.blue_mask = visual_->blue_mask;
        if (!XInitImage(&picture)) return;
        XPutImage(display_, shown.window, gc_, &picture, 0, 0, 0, 0, static_cast<unsigned>(image.width),
                  static_cast<unsigned>(image.height));
    }

    void ungrab() {
        if (pointerGrabbed_) XUngrabPointer(display_, CurrentTime);
        if (keyboardGrabbed_) XUngrabKeyboard(display_, CurrentTime);
        pointerGrabbed_ = keyboardGrabbed_ = false;
    }

    Display* display_;
    Window root_ = 0;
    Visual* visual_ = nullptr;
    Colormap colormap_ = 0;
    GC gc_ = nullptr;
    bool direct_ = false;
    bool pointerGrabbed_ = false;
    bool keyboardGrabbed_ = false;
    std::vector<Shown> shown_;
    std::vector<Window> closed_;  // destroyed by us
    std::vector<Pixel> converted_;
};

// Waits for the next event until `deadline` (ms on nowMs' clock, or none): false when it passed first.
bool nextEvent(Display* display, std::optional<int64_t> deadline, XEvent& event) {
    while (!XPending(display)) {
        int timeout = -1;
        if (deadline) {
            const int64_t left = *deadline - nowMs();
            if (left <= 0) return false;
            timeout = static_cast<int>(left);
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        if (poll(&connection, 1, timeout) == 0) return false;
    }
    XNextEvent(display, &event);
    return true;
}

// Only the latest of a run of moves matters.
void skipToLatestMove(Display* display, XEvent& event) {
    while (XEventsQueued(display, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(display, &next);
        if (next.type != MotionNotify || next.xany.window != event.xany.window) break;
        XNextEvent(display, &event);
    }
}

void handleMenuEvent(XEvent& event, popup::MenuSession& session, MenuWindows& windows, bool& grabbed) {
    switch (event.type) {
        case MapNotify:
            if (event.xmap.window == windows.top() && !grabbed) {
                // Without the grabs no click outside would end the menu: give up instead.
                grabbed = windows.grab();
                if (!grabbed) session.dismiss();
            }
            break;
        case Expose:
            if (event.xexpose.count == 0) windows.exposed(event.xexpose.window);
            break;
        case DestroyNotify:
            windows.lost(event.xdestroywindow.window);
            session.dismiss();
            break;
        case MotionNotify:
            skipToLatestMove(event.xany.display, event);
            session.pointerMoved({event.xmotion.x_root, event.xmotion.y_root}, nowMs());
            break;
        case ButtonPress:
            if (event.xbutton.button <= kLastPointerButton) session.buttonPressed({event.xbutton.x_root, event.xbutton.y_root});
            break;
        case ButtonRelease:
            if (event.xbutton.button <= kLastPointerButton)
                session.buttonReleased({event.xbutton.x_root, event.xbutton.y_root});
            break;
        case KeyPress:
            if (const auto key = menuKey(event.xkey)) session.key(*key);
            break;
        default:
            break;
    }
}

}  // namespace

int runPopupMenu(Display* display, int rootX, int rootY, const std::vector<MenuItem>& items,
                 const std::function<void(const XEvent&)>& otherEvent) {
    if (!display || items.empty()) return -1;
    MenuWindows windows(display);
    if (!windows.usable()) return -1;
    popup::MenuSession session(items, popup::menuFace(), windows.screen(), {rootX, rootY});
    windows.follow(session);
    bool grabbed = false;
    const int64_t mapDeadline = nowMs() + kMapWaitMs;
    while (!session.finished()) {
        std::optional<int64_t> deadline = grabbed ? session.hoverDeadline() : std::optional<int64_t>{mapDeadline};
        XEvent event;
        if (nextEvent(display, deadline, event)) {
            // The pointer and keyboard events arrive at the grabbing top level, in screen coordinates.
            if (windows.owns(event.xany.window)) {
                handleMenuEvent(event, session, windows, grabbed);
            } else {
                // The editor's window went (its host closed it): nothing to choose for any more.
                if (event.type == DestroyNotify) session.dismiss();
                otherEvent(event);
            }
        } else if (!grabbed) {
            session.dismiss();
        }
        session.elapse(nowMs());
        if (!session.finished()) windows.follow(session);
    }
    return session.result();
}

}  // namespace VSTGUI::x11
