// A plain pop-up menu for X11: an override-redirect window with one row per entry, drawn in a core
// font; submenus are listed in place under their title, indented. It grabs pointer and keyboard and
// runs its own loop on the back end's display until the user chooses or dismisses.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>

#include "gui/x11_support.h"

namespace VSTGUI::x11 {

namespace {

constexpr const char* kFontName = "fixed";
constexpr int kRowPadding = 3;
constexpr int kSideMargin = 8;
constexpr int kCheckColumn = 14;
constexpr int kCheckSize = 6;
constexpr int kIndent = 12;
constexpr int kSeparatorHeight = 7;
constexpr int kBorderWidth = 1;
constexpr const char* kColourNames[] = {"#ececec", "#101010", "#8a8a8a", "#2a5a9a", "#ffffff"};
enum Colour { kBackground, kText, kDisabled, kHighlight, kHighlightText, kColourCount };
constexpr long kPopupEventMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | StructureNotifyMask;

struct Row {
    std::string label;
    int command = -1;
    bool selectable = false;
    bool checked = false;
    bool enabled = true;
    bool separator = false;
    int indent = 0;
    int top = 0;
    int height = 0;
};

void flatten(const std::vector<MenuItem>& items, int indent, std::vector<Row>& rows) {
    for (const MenuItem& item : items) {
        Row row;
        row.indent = indent;
        if (item.title == "-") {
            row.separator = true;
        } else {
            row.label = item.title;
            row.checked = item.checked;
            row.enabled = item.enabled;
            row.command = item.command;
            row.selectable = item.enabled && item.submenu.empty();
        }
        rows.push_back(row);
        if (!item.submenu.empty() && item.enabled) flatten(item.submenu, indent + 1, rows);
    }
}

class PopupMenu {
public:
    PopupMenu(Display* display, const std::vector<MenuItem>& items) : display_(display) {
        flatten(items, 0, rows_);
        const int screen = DefaultScreen(display_);
        root_ = RootWindow(display_, screen);
        colormap_ = DefaultColormap(display_, screen);
        font_ = XLoadQueryFont(display_, kFontName);
        gc_ = XCreateGC(display_, root_, 0, nullptr);
        if (font_) XSetFont(display_, gc_, font_->fid);
        for (int i = 0; i < kColourCount; ++i) {
            XColor colour;
            colours_[i] = i == kText ? BlackPixel(display_, screen) : WhitePixel(display_, screen);
            if (XParseColor(display_, colormap_, kColourNames[i], &colour) && XAllocColor(display_, colormap_, &colour)) {
                colours_[i] = colour.pixel;
                allocated_[allocatedCount_++] = colour.pixel;
            }
        }
    }

    ~PopupMenu() {
        if (window_) XDestroyWindow(display_, window_);
        XFreeGC(display_, gc_);
        if (font_) XFreeFont(display_, font_);
        if (allocatedCount_) XFreeColors(display_, colormap_, allocated_, allocatedCount_, 0);
        XFlush(display_);
    }

    int run(int rootX, int rootY, const std::function<void(const XEvent&)>& otherEvent) {
        layout();
        open(rootX, rootY);
        bool chosen = false, done = false, pressedInside = false, moved = false;
        while (!done) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.xany.window != window_) {
                otherEvent(event);
                continue;
            }
            switch (event.type) {
                case MapNotify:
                    // Without the grabs no click outside would end the loop: give up instead.
                    if (!grab()) done = true;
                    break;
                case Expose:
                    if (event.xexpose.count == 0) draw();
                    break;
                case MotionNotify:
                    moved = true;
                    select(rowAt(event.xmotion.x, event.xmotion.y));
                    break;
                case ButtonPress:
                    if (rowAt(event.xbutton.x, event.xbutton.y) < 0 && !inside(event.xbutton.x, event.xbutton.y))
                        done = true;
                    else
                        pressedInside = true;
                    break;
                case ButtonRelease: {
                    // The release of the click that opened the menu chooses nothing.
                    if (!moved && !pressedInside) break;
                    const int row = rowAt(event.xbutton.x, event.xbutton.y);
                    if (row >= 0) {
                        selected_ = row;
                        chosen = done = true;
                    } else if (!inside(event.xbutton.x, event.xbutton.y)) {
                        done = true;
                    }
                    break;
                }
                case KeyPress: {
                    const KeySym key = XLookupKeysym(&event.xkey, 0);
                    if (key == XK_Escape) done = true;
                    else if (key == XK_Down) step(1);
                    else if (key == XK_Up) step(-1);
                    else if ((key == XK_Return || key == XK_KP_Enter || key == XK_space) && selected_ >= 0)
                        chosen = done = true;
                    break;
                }
                default:
                    break;
            }
        }
        XUngrabPointer(display_, CurrentTime);
        XUngrabKeyboard(display_, CurrentTime);
        return chosen ? rows_[static_cast<size_t>(selected_)].command : -1;
    }

private:
    int textWidth(const std::string& text) const {
        return font_ ? XTextWidth(font_, text.data(), static_cast<int>(text.size()))
                     : static_cast<int>(text.size()) * kIndent / 2;
    }

    void layout() {
        const int lineHeight = font_ ? font_->ascent + font_->descent : kIndent;
        ascent_ = font_ ? font_->ascent : kIndent;
        int y = 0;
        width_ = 0;
        for (Row& row : rows_) {
            row.top = y;
            row.height = row.separator ? kSeparatorHeight : lineHeight + 2 * kRowPadding;
            y += row.height;
            width_ = std::max(width_, kCheckColumn + row.indent * kIndent + textWidth(row.label));
        }
        width_ += 2 * kSideMargin;
        height_ = std::max(y, 1);
    }

    void open(int x, int y) {
        const int screen = DefaultScreen(display_);
        x = std::clamp(x, 0, std::max(0, DisplayWidth(display_, screen) - width_ - 2 * kBorderWidth));
        y = std::clamp(y, 0, std::max(0, DisplayHeight(display_, screen) - height_ - 2 * kBorderWidth));
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = colours_[kBackground];
        attributes.border_pixel = colours_[kText];
        attributes.event_mask = kPopupEventMask;
        window_ = XCreateWindow(display_, root_, x, y, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                                kBorderWidth, CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
        XMapRaised(display_, window_);
        XFlush(display_);
    }

    bool grab() {
        return XGrabPointer(display_, window_, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                            GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess &&
               XGrabKeyboard(display_, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    }

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    int rowAt(int x, int y) const {
        if (!inside(x, y)) return -1;
        for (size_t i = 0; i < rows_.size(); ++i)
            if (y >= rows_[i].top && y < rows_[i].top + rows_[i].height) return rows_[i].selectable ? static_cast<int>(i) : -1;
        return -1;
    }

    void select(int row) {
        if (row == selected_) return;
        selected_ = row;
        draw();
    }

    void step(int direction) {
        const int count = static_cast<int>(rows_.size());
        int row = selected_;
        for (int tries = 0; tries < count; ++tries) {
            row = row < 0 ? (direction > 0 ? 0 : count - 1) : (row + direction + count) % count;
            if (rows_[static_cast<size_t>(row)].selectable) {
                select(row);
                return;
            }
        }
    }

    void draw() {
        XSetForeground(display_, gc_, colours_[kBackground]);
        XFillRectangle(display_, window_, gc_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_));
        for (size_t i = 0; i < rows_.size(); ++i) {
            const Row& row = rows_[i];
            if (row.separator) {
                XSetForeground(display_, gc_, colours_[kDisabled]);
                const int y = row.top + row.height / 2;
                XDrawLine(display_, window_, gc_, kSideMargin / 2, y, width_ - kSideMargin / 2, y);
                continue;
            }
            const bool highlighted = static_cast<int>(i) == selected_;
            if (highlighted) {
                XSetForeground(display_, gc_, colours_[kHighlight]);
                XFillRectangle(display_, window_, gc_, 0, row.top, static_cast<unsigned>(width_),
                               static_cast<unsigned>(row.height));
            }
            XSetForeground(display_, gc_, colours_[highlighted ? kHighlightText : row.enabled ? kText : kDisabled]);
            const int x = kSideMargin + row.indent * kIndent;
            if (row.checked)
                XFillRectangle(display_, window_, gc_, x, row.top + (row.height - kCheckSize) / 2, kCheckSize, kCheckSize);
            XDrawString(display_, window_, gc_, x + kCheckColumn, row.top + kRowPadding + ascent_, row.label.data(),
                        static_cast<int>(row.label.size()));
        }
        XFlush(display_);
    }

    Display* display_;
    Window root_ = 0;
    Window window_ = 0;
    Colormap colormap_ = 0;
    GC gc_ = nullptr;
    XFontStruct* font_ = nullptr;
    unsigned long colours_[kColourCount] = {};
    unsigned long allocated_[kColourCount] = {};
    int allocatedCount_ = 0;
    std::vector<Row> rows_;
    int width_ = 0;
    int height_ = 0;
    int ascent_ = 0;
    int selected_ = -1;
};

}  // namespace

int runPopupMenu(Display* display, int rootX, int rootY, const std::vector<MenuItem>& items,
                 const std::function<void(const XEvent&)>& otherEvent) {
    PopupMenu menu(display, items);
    return menu.run(rootX, rootY, otherEvent);
}

}  // namespace VSTGUI::x11
