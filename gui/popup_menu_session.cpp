#include "gui/popup_menu_session.h"

#include <cassert>

namespace VSTGUI::popup {

namespace {

const MenuItem& entryOf(const Level& level, int entry) { return (*level.items)[static_cast<size_t>(entry)]; }
int entryCount(const Level& level) { return static_cast<int>(level.items->size()); }

}  // namespace

MenuSession::MenuSession(const std::vector<MenuItem>& items, const FontFace& face, const CRect& screen, CPoint where)
    : face_(face), screen_(screen) {
    Level top;
    top.items = &items;
    top.layout = layoutLevel(items, face_, screen_.height());
    top.frame = placeMenu({top.layout.width, top.layout.height}, where, screen_);
    top.id = nextId_++;
    levels_.push_back(std::move(top));
}

void MenuSession::finish(int command) {
    finished_ = true;
    result_ = command;
    hover_.reset();
}

void MenuSession::closeAfter(size_t level) {
    if (levels_.size() > level + 1) levels_.resize(level + 1);
}

void MenuSession::openSubmenu(size_t level, int entry, bool highlightFirst) {
    assert(level < levels_.size());
    closeAfter(level);
    Level& parent = levels_[level];
    parent.highlighted = entry;
    Level child;
    child.items = &entryOf(parent, entry).submenu;
    child.layout = layoutLevel(*child.items, face_, screen_.height());
    const CRect row = parent.layout.rows[static_cast<size_t>(entry)].offset(parent.frame.left, parent.frame.top);
    child.frame = placeSubmenu({child.layout.width, child.layout.height}, row, screen_);
    child.parentEntry = entry;
    child.id = nextId_++;
    if (highlightFirst) highlightStep(child, 1);
    levels_.push_back(std::move(child));
}

void MenuSession::highlightStep(Level& level, int direction) {
    const int count = entryCount(level);
    int entry = level.highlighted;
    for (int tries = 0; tries < count; ++tries) {
        entry = entry < 0 ? (direction > 0 ? 0 : count - 1) : (entry + direction + count) % count;
        if (isSelectable(entryOf(level, entry))) {
            level.highlighted = entry;
            return;
        }
    }
}

void MenuSession::columnStep(Level& level, int direction) {
    const LevelLayout& layout = level.layout;
    if (layout.columns <= 1) return;
    if (level.highlighted < 0) return highlightStep(level, direction);
    const int column = level.highlighted / layout.rowsPerColumn + direction;
    if (column < 0 || column >= layout.columns) return;
    const int first = column * layout.rowsPerColumn;
    const int last = std::min(first + layout.rowsPerColumn, entryCount(level)) - 1;
    const int across = std::min(first + level.highlighted % layout.rowsPerColumn, last);
    // The nearest usable entry of that column, looking down first.
    for (int distance = 0; distance < layout.rowsPerColumn; ++distance) {
        for (int entry : {across + distance, across - distance}) {
            if (entry >= first && entry <= last && isSelectable(entryOf(level, entry))) {
                level.highlighted = entry;
                return;
            }
        }
    }
}

void MenuSession::activate(size_t level, int entry, bool fromKeyboard) {
    const MenuItem& item = entryOf(levels_[level], entry);
    if (!isSelectable(item)) return;
    if (item.submenu.empty()) return finish(item.command);
    const bool alreadyOpen = levels_.size() > level + 1 && levels_[level + 1].parentEntry == entry;
    if (!alreadyOpen) openSubmenu(level, entry, fromKeyboard);
}

void MenuSession::key(MenuKey key) {
    if (finished_) return;
    hover_.reset();
    const size_t deepest = levels_.size() - 1;
    Level& level = levels_.back();
    const int highlighted = level.highlighted;
    const bool inLaterColumn = level.layout.columns > 1 && highlighted >= level.layout.rowsPerColumn;
    switch (key) {
        case MenuKey::Down:
            return highlightStep(level, 1);
        case MenuKey::Up:
            return highlightStep(level, -1);
        case MenuKey::Right:
            if (highlighted >= 0 && opensSubmenu(entryOf(level, highlighted))) return openSubmenu(deepest, highlighted, true);
            return columnStep(level, 1);
        case MenuKey::Left:
            if (inLaterColumn) return columnStep(level, -1);
            if (deepest > 0) closeAfter(deepest - 1);
            return;
        case MenuKey::Choose:
            if (highlighted >= 0) activate(deepest, highlighted, true);
            return;
        case MenuKey::Escape:
            if (deepest > 0) return closeAfter(deepest - 1);
            return finish(-1);
    }
}

std::optional<std::pair<size_t, int>> MenuSession::hit(CPoint p) const {
    for (size_t level = levels_.size(); level-- > 0;) {
        const Level& l = levels_[level];
        if (l.frame.pointInside(p)) return std::pair{level, entryAt(l.layout, {p.x - l.frame.left, p.y - l.frame.top})};
    }
    return std::nullopt;
}

void MenuSession::pointerMoved(CPoint p, int64_t now) {
    if (finished_) return;
    const auto where = hit(p);
    if (!where) {
        // Off the menu: the deepest level lets go; the others keep the entries their submenus hang on.
        levels_.back().highlighted = -1;
        hover_.reset();
        return;
    }
    const auto [index, entry] = *where;
    for (size_t k = index; k > 0; --k) levels_[k - 1].highlighted = levels_[k].parentEntry;
    Level& level = levels_[index];
    const bool usable = entry >= 0 && isSelectable(entryOf(level, entry));
    armed_ = armed_ || usable;
    const bool childOpen = levels_.size() > index + 1;
    if (childOpen && levels_[index + 1].parentEntry == entry) {
        level.highlighted = entry;
        hover_.reset();
        return;
    }
    level.highlighted = usable ? entry : -1;
    // Resting on another entry closes the open submenu and opens this entry's, after a moment, so a
    // pointer on its way to the submenu may cross other entries.
    if (childOpen || (usable && opensSubmenu(entryOf(level, entry)))) {
        if (!hover_ || hover_->level != index || hover_->entry != level.highlighted)
            hover_ = Hover{index, level.highlighted, now + kHoverDelayMs};
    } else {
        hover_.reset();
    }
}

std::optional<int64_t> MenuSession::hoverDeadline() const {
    if (!hover_) return std::nullopt;
    return hover_->due;
}

void MenuSession::elapse(int64_t now) {
    if (finished_ || !hover_ || now < hover_->due) return;
    const Hover due = *hover_;
    hover_.reset();
    if (due.level >= levels_.size()) return;
    const Level& level = levels_[due.level];
    if (due.entry >= 0 && opensSubmenu(entryOf(level, due.entry))) {
        if (levels_.size() <= due.level + 1 || levels_[due.level + 1].parentEntry != due.entry)
            openSubmenu(due.level, due.entry, false);
    } else {
        closeAfter(due.level);
    }
}

void MenuSession::buttonPressed(CPoint p) {
    if (finished_) return;
    const auto where = hit(p);
    if (!where) return finish(-1);
    armed_ = true;
    const auto [index, entry] = *where;
    if (entry >= 0 && opensSubmenu(entryOf(levels_[index], entry))) {
        hover_.reset();
        activate(index, entry, false);
    }
}

void MenuSession::buttonReleased(CPoint p) {
    if (finished_ || !armed_) return;
    const auto where = hit(p);
    if (!where || where->second < 0) return;
    hover_.reset();
    activate(where->first, where->second, false);
}

}  // namespace VSTGUI::popup
