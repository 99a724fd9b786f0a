// What the toolkit's own pop-up menu does with the user's keys, moves and clicks, apart from any
// window system: which levels are open, where, what is highlighted, and what was chosen. The window
// system's part (popup_menu_x11.cpp) shows the levels and feeds the input in. Times are in
// milliseconds on any steady clock. One session belongs to one thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "gui/popup_menu_layout.h"

namespace VSTGUI::popup {

enum class MenuKey { Up, Down, Left, Right, Choose, Escape };

// A submenu opens after the pointer rests this long on its entry (and a moved-away-from one closes).
constexpr int64_t kHoverDelayMs = 250;

struct Level {
    const std::vector<MenuItem>* items = nullptr;
    LevelLayout layout;
    CRect frame;          // on the screen
    int highlighted = -1; // entry index, or -1
    int parentEntry = -1; // the entry of the level before that opened this one
    unsigned id = 0;      // new for every level opened
};

class MenuSession {
public:
    // Opens the top level at `where` on `screen`. The items must outlive the session.
    MenuSession(const std::vector<MenuItem>& items, const FontFace& face, const CRect& screen, CPoint where);

    const std::vector<Level>& levels() const { return levels_; }
    bool finished() const { return finished_; }
    // The chosen entry's command; -1 when dismissed (or not finished yet).
    int result() const { return result_; }

    void key(MenuKey key);
    void pointerMoved(CPoint screen, int64_t now);
    void buttonPressed(CPoint screen);
    void buttonReleased(CPoint screen);
    // The menu can no longer be shown (its owner went, input cannot be had): answers -1.
    void dismiss() { finish(-1); }

    // When the pending hover action is due, if one is pending; `elapse` carries it out.
    std::optional<int64_t> hoverDeadline() const;
    void elapse(int64_t now);

private:
    struct Hover {
        size_t level;
        int entry;
        int64_t due;
    };

    void finish(int command);
    // Keeps levels up to `level` and opens the submenu of its entry `entry` next to it.
    void openSubmenu(size_t level, int entry, bool highlightFirst);
    void closeAfter(size_t level);
    // The deepest level under `p` and its entry there (-1 between entries), or no level.
    std::optional<std::pair<size_t, int>> hit(CPoint p) const;
    void highlightStep(Level& level, int direction);
    void columnStep(Level& level, int direction);
    void activate(size_t level, int entry, bool fromKeyboard);

    const FontFace& face_;
    CRect screen_;
    std::vector<Level> levels_;
    std::optional<Hover> hover_;
    unsigned nextId_ = 1;
    bool armed_ = false;  // a release may choose: the pointer moved over an entry or was pressed on the menu
    bool finished_ = false;
    int result_ = -1;
};

}  // namespace VSTGUI::popup
