// The X11 back end: a child of the host's window on a display connection of its own, so the host's
// connection, its event selection and its threads stay untouched.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "gui/window_backend_platform.h"
#include "gui/window_keys.h"
#include "gui/x11_support.h"

namespace VSTGUI {

namespace {

constexpr long kChildEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                 KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask;
constexpr int kTrueColorDepth = 24;
constexpr int kAlphaDepth = 32;
constexpr int kBitsPerPixel = 32;
constexpr int kBytesPerPixel = 4;
constexpr unsigned long kRedMask = 0xff0000, kGreenMask = 0xff00, kBlueMask = 0xff;
constexpr unsigned kWheelUpButton = 4, kWheelDownButton = 5;
constexpr int kLookupBytes = 8;  // XLookupString's text; we read the KeySym

long buttonsFromState(unsigned state) {
    long bits = 0;
    if (state & Button1Mask) bits |= kLButton;
    if (state & Button2Mask) bits |= kMButton;
    if (state & Button3Mask) bits |= kRButton;
    if (state & ShiftMask) bits |= kShift;
    if (state & ControlMask) bits |= kControl;
    if (state & Mod1Mask) bits |= kAlt;
    return bits;
}

long buttonBit(unsigned button) {
    switch (button) {
        case Button1: return kLButton;
        case Button2: return kMButton;
        case Button3: return kRButton;
        default: return 0;
    }
}

// Where one 8-bit channel of 0x00RRGGBB goes in a visual's pixel.
struct Channel {
    int shift = 0;  // of the mask's lowest bit
    int bits = 0;
    explicit Channel(unsigned long mask = 0) {
        if (!mask) return;
        shift = std::countr_zero(mask);
        bits = std::popcount(mask);
    }
    uint32_t place(int value8) const {
        const uint32_t v = bits >= 8 ? static_cast<uint32_t>(value8) << (bits - 8) : static_cast<uint32_t>(value8) >> (8 - bits);
        return v << shift;
    }
};

class X11WindowBackend final : public WindowBackend {
public:
    X11WindowBackend(const WindowParent& parent, int width, int height, WindowClient& client)
        : client_(client), width_(width), height_(height) {
        display_ = x11::openDisplay();
        if (display_) createWindow(static_cast<Window>(reinterpret_cast<uintptr_t>(parent.handle)));
    }

    ~X11WindowBackend() override {
        if (!display_) return;
        if (window_) XDestroyWindow(display_, window_);
        if (gc_) XFreeGC(display_, gc_);
        if (colormap_) XFreeColormap(display_, colormap_);
        x11::closeDisplay(display_);
    }

    Display* display() const { return display_; }

    bool isValid() const override { return window_ != 0; }

    void present(const PixelImage& image, const CRect& area) override {
        if (!window_) return;
        const CRect r = area.intersect(CRect{0, 0, std::min(image.width, width_), std::min(image.height, height_)});
        if (r.isEmpty()) return;
        const Pixel* source = image.pixels.data();
        if (!direct_) source = convert(image, r);
        XImage picture{};
        picture.width = image.width;
        picture.height = image.height;
        picture.format = ZPixmap;
        picture.data = reinterpret_cast<char*>(const_cast<Pixel*>(source));
        picture.byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        picture.bitmap_unit = kBitsPerPixel;
        picture.bitmap_bit_order = picture.byte_order;
        picture.bitmap_pad = kBitsPerPixel;
        picture.depth = depth_;
        picture.bytes_per_line = image.width * kBytesPerPixel;
        picture.bits_per_pixel = kBitsPerPixel;
        picture.red_mask = visual_->red_mask;
        picture.green_mask = visual_->green_mask;
        picture.blue_mask = visual_->blue_mask;
        if (!XInitImage(&picture)) return;
        XPutImage(display_, window_, gc_, &picture, r.left, r.top, r.left, r.top, static_cast<unsigned>(r.width()),
                  static_cast<unsigned>(r.height()));
        XFlush(display_);
    }

    void invalidate(const CRect& area) override { pendingPaint_ = pendingPaint_.unite(area); }

    void pumpEvents() override {
        if (!window_) return;
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            handleEvent(event);
        }
        if (!pendingPaint_.isEmpty()) {
            const CRect area = pendingPaint_;
            pendingPaint_ = CRect{};
            client_.windowNeedsPaint(area);
        }
    }

    long currentButtons() override {
        unsigned mask = 0;
        queryPointer(nullptr, &mask);
        return buttonsFromState(mask);
    }

    CPoint pointerPosition() override {
        CPoint where;
        queryPointer(&where, nullptr);
        return where;
    }

    CPoint screenToFrame(CPoint screen) override {
        if (!window_) return screen;
        int x = screen.x, y = screen.y;
        Window child;
        XTranslateCoordinates(display_, root_, window_, screen.x, screen.y, &x, &y, &child);
        return {x, y};
    }

    int popupMenu(const std::vector<MenuItem>& items, CPoint where) override {
        if (!window_ || items.empty()) return -1;
        int rootX = where.x, rootY = where.y;
        Window child;
        XTranslateCoordinates(display_, window_, root_, where.x, where.y, &rootX, &rootY, &child);
        return x11::runPopupMenu(display_, rootX, rootY, items, [this](const XEvent& other) {
            if (other.type == Expose) {
                XEvent copy = other;
                handleEvent(copy);
            }
        });
    }

    // The toolkit edits text in its own views on X11.
    bool beginTextEdit(const CRect&, const std::string&, std::function<void(const std::string&, bool)>) override {
        return false;
    }
    void endTextEdit() override {}

    void* nativeHandle() const override { return reinterpret_cast<void*>(static_cast<uintptr_t>(window_)); }

private:
    void createWindow(Window parent) {
        XWindowAttributes parentAttributes;
        if (!parent || !XGetWindowAttributes(display_, parent, &parentAttributes)) return;
        root_ = parentAttributes.root;
        const int screen = XScreenNumberOfScreen(parentAttributes.screen);

        XSetWindowAttributes attributes{};
        attributes.background_pixmap = None;
        attributes.event_mask = kChildEventMask;
        unsigned long valueMask = CWBackPixmap | CWEventMask;
        Visual* parentVisual = parentAttributes.visual;
        if (parentVisual->c_class == TrueColor &&
            (parentAttributes.depth == kTrueColorDepth || parentAttributes.depth == kAlphaDepth)) {
            visual_ = parentVisual;
            depth_ = parentAttributes.depth;
        } else {
            XVisualInfo info;
            if (!XMatchVisualInfo(display_, screen, kTrueColorDepth, TrueColor, &info)) return;
            visual_ = info.visual;
            depth_ = info.depth;
            // Another visual than the parent's needs its own colormap and border, or the server refuses.
            colormap_ = XCreateColormap(display_, root_, visual_, AllocNone);
            attributes.colormap = colormap_;
            attributes.border_pixel = 0;
            valueMask |= CWColormap | CWBorderPixel;
        }
        direct_ = depth_ == kTrueColorDepth && visual_->red_mask == kRedMask && visual_->green_mask == kGreenMask &&
                  visual_->blue_mask == kBlueMask;
        red_ = Channel(visual_->red_mask);
        green_ = Channel(visual_->green_mask);
        blue_ = Channel(visual_->blue_mask);
        opaque_ = depth_ == kAlphaDepth ? ~static_cast<uint32_t>(visual_->red_mask | visual_->green_mask | visual_->blue_mask) : 0;

        const unsigned long errorsBefore = x11::errorCountOn(display_);
        Window window = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(width_),
                                      static_cast<unsigned>(height_), 0, depth_, InputOutput, visual_, valueMask,
                                      &attributes);
        gc_ = XCreateGC(display_, window, 0, nullptr);
        XMapWindow(display_, window);
        XSync(display_, False);
        if (x11::errorCountOn(display_) != errorsBefore) {
            XDestroyWindow(display_, window);
            XSync(display_, False);
            return;
        }
        window_ = window;
    }

    const Pixel* convert(const PixelImage& image, const CRect& r) {
        converted_.resize(image.pixels.size());
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                const Pixel p = image.at(x, y);
                converted_[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] =
                    red_.place(pixelRed(p)) | green_.place(pixelGreen(p)) | blue_.place(pixelBlue(p)) | opaque_;
            }
        }
        return converted_.data();
    }

    void queryPointer(CPoint* where, unsigned* mask) {
        Window root, child;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned state = 0;
        if (window_) XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &x, &y, &state);
        if (where) *where = {x, y};
        if (mask) *mask = state;
    }

    void handleEvent(XEvent& event) {
        if (event.xany.window != window_) return;
        switch (event.type) {
            case Expose: {
                const XExposeEvent& e = event.xexpose;
                exposed_ = exposed_.unite(CRect::fromSize(e.x, e.y, e.width, e.height));
                if (e.count == 0) {
                    const CRect area = exposed_;
                    exposed_ = CRect{};
                    client_.windowNeedsPaint(area);
                }
                break;
            }
            case ButtonPress: {
                const XButtonEvent& e = event.xbutton;
                const CPoint where{e.x, e.y};
                if (e.button == kWheelUpButton || e.button == kWheelDownButton) {
                    client_.windowWheel(where, e.button == kWheelUpButton ? 1.f : -1.f, buttonsFromState(e.state));
                } else if (buttonBit(e.button)) {
                    // Keys reach a child window only once it has the focus.
                    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
                    client_.windowMouseDown(where, buttonsFromState(e.state) | buttonBit(e.button));
                }
                break;
            }
            case ButtonRelease: {
                const XButtonEvent& e = event.xbutton;
                if (buttonBit(e.button))
                    client_.windowMouseUp({e.x, e.y}, buttonsFromState(e.state) & ~buttonBit(e.button));  // held after
                break;
            }
            case MotionNotify: {
                // Only the latest of a run of moves matters to a drag; a move after a release stays after it.
                while (XEventsQueued(display_, QueuedAlready) > 0) {
                    XEvent next;
                    XPeekEvent(display_, &next);
                    if (next.type != MotionNotify || next.xany.window != window_) break;
                    XNextEvent(display_, &event);
                }
                const XMotionEvent& e = event.xmotion;
                client_.windowMouseMoved({e.x, e.y}, buttonsFromState(e.state));
                break;
            }
            case KeyPress:
            case KeyRelease: {
                char text[kLookupBytes];
                KeySym keysym = NoSymbol;
                XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
                const int virtualKey = virtualKeyFromKeysym(keysym);
                const int character = characterFromKeysym(keysym);
                if (virtualKey || character)
                    client_.windowKey(character, virtualKey, buttonsFromState(event.xkey.state), event.type == KeyPress);
                break;
            }
            case FocusOut:
                // Our own pop-up's grab moves the focus away only for a while. With the focus on the pointer's
                // root (no window manager, or one that focuses under the pointer) our click's own focus
                // request first takes away that pointer focus (detail NotifyPointer): no loss either.
                if ((event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed) &&
                    event.xfocus.detail != NotifyPointer && event.xfocus.detail != NotifyInferior)
                    client_.windowFocusLost();
                break;
            default:
                break;
        }
    }

    WindowClient& client_;
    const int width_;
    const int height_;
    Display* display_ = nullptr;
    Window root_ = 0;
    Window window_ = 0;
    GC gc_ = nullptr;
    Colormap colormap_ = 0;  // ours, when the visual is not the parent's
    Visual* visual_ = nullptr;
    int depth_ = 0;
    bool direct_ = false;  // the buffer goes to the server unchanged
    Channel red_, green_, blue_;
    uint32_t opaque_ = 0;  // alpha bits of a 32-bit visual
    std::vector<Pixel> converted_;
    CRect pendingPaint_{};
    CRect exposed_{};
};

}  // namespace

std::unique_ptr<WindowBackend> createPlatformWindowBackend(const WindowParent& parent, int width, int height,
                                                           WindowClient& client) {
    return std::make_unique<X11WindowBackend>(parent, width, height, client);
}

// Nothing process-wide outlives the last X11 back end.
void releaseWindowBackendResources() {}

Display* x11::displayOf(WindowBackend& backend) {
    auto* x11Backend = dynamic_cast<X11WindowBackend*>(&backend);
    return x11Backend ? x11Backend->display() : nullptr;
}

}  // namespace VSTGUI
