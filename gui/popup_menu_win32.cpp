// Pop-up menus through the system's own menu: entries get consecutive ids, mapped back to commands.
#include <vector>

#include "gui/win32_support.h"

namespace VSTGUI::win32 {

namespace {

// TrackPopupMenu answers 0 when dismissed, so ids start above it.
constexpr UINT kFirstMenuId = 1;

std::wstring wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
    return result;
}

HMENU build(const std::vector<MenuItem>& items, std::vector<int>& commands) {
    HMENU menu = CreatePopupMenu();
    for (const MenuItem& item : items) {
        if (item.title == "-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (item.checked ? MF_CHECKED : 0u) | (item.enabled ? 0u : MF_GRAYED);
        UINT_PTR id;
        if (!item.submenu.empty()) {
            flags |= MF_POPUP;
            id = reinterpret_cast<UINT_PTR>(build(item.submenu, commands));
        } else {
            id = kFirstMenuId + commands.size();
            commands.push_back(item.command);
        }
        AppendMenuW(menu, flags, id, wide(item.title).c_str());
    }
    return menu;
}

}  // namespace

int runPopupMenu(HWND owner, const std::vector<MenuItem>& items, POINT screen) {
    std::vector<int> commands;
    HMENU menu = build(items, commands);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                         screen.x, screen.y, 0, owner, nullptr));
    DestroyMenu(menu);  // its submenus go with it
    if (chosen < kFirstMenuId || chosen - kFirstMenuId >= commands.size()) return -1;
    return commands[chosen - kFirstMenuId];
}

}  // namespace VSTGUI::win32
