#include <string_view>

#include "gui/bitmap.h"
#include "gui/draw_context.h"
#include "gui/frame.h"
#include "gui/param_display.h"

namespace VSTGUI {
namespace {
// Back-end commands carry the menu's ordinal above the entry index.
constexpr int kCommandsPerMenu = 1 << 12;
constexpr std::string_view kGreyMarker = "-G";
}  // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                         CBitmap* backgroundPressed, long style)
    : CParamDisplay(size, background), style_(style) {
    listener_ = listener;
    tag_ = tag;
    if (backgroundPressed != nullptr) {
        backgroundPressed->remember();
        pressedBackground_ = backgroundPressed;
    }
}

COptionMenu::~COptionMenu() {
    removeAllEntry();
    if (pressedBackground_ != nullptr) pressedBackground_->forget();
}

bool COptionMenu::addEntry(const std::string& title, int index) {
    if (entries_.size() >= static_cast<std::size_t>(kCommandsPerMenu - 1)) return false;
    Entry e;
    e.title = title;
    if (index < 0 || index >= getNbEntries())
        entries_.push_back(std::move(e));
    else
        entries_.insert(entries_.begin() + index, std::move(e));
    return true;
}

bool COptionMenu::addEntry(COptionMenu* submenu, const std::string& title) {
    if (submenu == nullptr || !addEntry(title)) return false;
    submenu->remember();
    entries_.back().submenu = submenu;
    return true;
}

bool COptionMenu::removeAllEntry() {
    for (Entry& e : entries_)
        if (e.submenu != nullptr) e.submenu->forget();
    entries_.clear();
    current_ = -1;
    return true;
}

const COptionMenu::Entry* COptionMenu::getEntry(int index) const {
    return index >= 0 && index < getNbEntries() ? &entries_[static_cast<std::size_t>(index)] : nullptr;
}

bool COptionMenu::setEntryTitle(int index, const std::string& title) {
    if (index < 0 || index >= getNbEntries()) return false;
    entries_[static_cast<std::size_t>(index)].title = title;
    return true;
}

bool COptionMenu::checkEntry(int index, bool checked) {
    if (index < 0 || index >= getNbEntries()) return false;
    entries_[static_cast<std::size_t>(index)].checked = checked;
    return true;
}

bool COptionMenu::checkEntryAlone(int index) {
    for (int i = 0; i < getNbEntries(); ++i) entries_[static_cast<std::size_t>(i)].checked = i == index;
    return index >= 0 && index < getNbEntries();
}

bool COptionMenu::setCurrent(int index) {
    if (index < 0 || index >= getNbEntries()) return false;
    current_ = index;
    setDirty(true);
    return true;
}

void COptionMenu::draw(CDrawContext* context) {
    CBitmap* picture = pressed_ && pressedBackground_ != nullptr ? pressedBackground_ : background_;
    if (picture != nullptr) {
        if (transparent_)
            picture->drawTransparent(context, size_);
        else
            picture->draw(context, size_);
    }
    if (!text_.empty()) drawText(context, text_);
    setDirty(false);
}

void COptionMenu::toItems(std::vector<MenuItem>& items, std::vector<COptionMenu*>& menus) {
    const int base = static_cast<int>(menus.size()) * kCommandsPerMenu;
    menus.push_back(this);
    for (int i = 0; i < getNbEntries(); ++i) {
        const Entry& e = entries_[static_cast<std::size_t>(i)];
        MenuItem item;
        const bool grey = e.title.size() > kGreyMarker.size() && e.title.starts_with(kGreyMarker);
        item.title = grey ? e.title.substr(kGreyMarker.size()) : e.title;
        item.checked = e.checked;
        item.enabled = e.enabled && !grey;
        item.command = base + i;
        if (e.submenu != nullptr) e.submenu->toItems(item.submenu, menus);
        items.push_back(std::move(item));
    }
}

COptionMenu* COptionMenu::popup(CDrawContext* context) {
    CFrame* frame = getFrame();
    if (frame == nullptr) return nullptr;
    std::vector<MenuItem> items;
    std::vector<COptionMenu*> menus;
    toItems(items, menus);
    const CRect r = frameRect();
    const int command = frame->popupMenu(items, {r.left, r.bottom});
    if (command < 0) return nullptr;
    const std::size_t menu = static_cast<std::size_t>(command / kCommandsPerMenu);
    const int index = command % kCommandsPerMenu;
    if (menu >= menus.size() || index >= menus[menu]->getNbEntries()) return nullptr;
    COptionMenu* chosen = menus[menu];
    chosen->current_ = index;
    chosen->value_ = static_cast<float>(index);
    chosen->notifyListener(context);
    return chosen;
}

void COptionMenu::mouse(CDrawContext* context, CPoint, long buttons) {
    if (!(buttons & (kLButton | kRButton))) return;
    pressed_ = true;
    setDirty(true);
    popup(context);
    pressed_ = false;
    setDirty(true);
}

void COptionMenu::takeFocus() {}

void COptionMenu::looseFocus() {
    pressed_ = false;
    setDirty(true);
}

}  // namespace VSTGUI
