// Win32 virtual-key codes to VST virtual keys.
#include <windows.h>

#include "gui/window_keys.h"
#include "vst/aeffectx.h"

namespace VSTGUI {

namespace {

struct KeyPair {
    unsigned win32;
    int virtualKey;
};

constexpr KeyPair kKeys[] = {
    {VK_BACK, VKEY_BACK},         {VK_TAB, VKEY_TAB},           {VK_CLEAR, VKEY_CLEAR},
    {VK_RETURN, VKEY_RETURN},     {VK_PAUSE, VKEY_PAUSE},       {VK_ESCAPE, VKEY_ESCAPE},
    {VK_SPACE, VKEY_SPACE},       {VK_END, VKEY_END},           {VK_HOME, VKEY_HOME},
    {VK_LEFT, VKEY_LEFT},         {VK_UP, VKEY_UP},             {VK_RIGHT, VKEY_RIGHT},
    {VK_DOWN, VKEY_DOWN},         {VK_PRIOR, VKEY_PAGEUP},      {VK_NEXT, VKEY_PAGEDOWN},
    {VK_SELECT, VKEY_SELECT},     {VK_PRINT, VKEY_PRINT},       {VK_SNAPSHOT, VKEY_SNAPSHOT},
    {VK_INSERT, VKEY_INSERT},     {VK_DELETE, VKEY_DELETE},     {VK_HELP, VKEY_HELP},
    {VK_MULTIPLY, VKEY_MULTIPLY}, {VK_ADD, VKEY_ADD},           {VK_SEPARATOR, VKEY_SEPARATOR},
    {VK_SUBTRACT, VKEY_SUBTRACT}, {VK_DECIMAL, VKEY_DECIMAL},   {VK_DIVIDE, VKEY_DIVIDE},
    {VK_NUMLOCK, VKEY_NUMLOCK},   {VK_SCROLL, VKEY_SCROLL},     {VK_SHIFT, VKEY_SHIFT},
    {VK_CONTROL, VKEY_CONTROL},   {VK_MENU, VKEY_ALT},
};

}  // namespace

int virtualKeyFromWin32(unsigned virtualKey) {
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) return VKEY_NUMPAD0 + static_cast<int>(virtualKey - VK_NUMPAD0);
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12) return VKEY_F1 + static_cast<int>(virtualKey - VK_F1);
    for (const auto& key : kKeys)
        if (key.win32 == virtualKey) return key.virtualKey;
    return 0;
}

bool win32KeyTypesCharacter(unsigned virtualKey) {
    return virtualKey == VK_SPACE || (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_DIVIDE && virtualKey != VK_SEPARATOR);
}

}  // namespace VSTGUI
