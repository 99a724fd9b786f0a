// X11 KeySyms to VST virtual keys and characters.
#include <X11/keysym.h>

#include "gui/window_keys.h"
#include "vst/aeffectx.h"

namespace VSTGUI {

namespace {

struct KeyPair {
    unsigned long keysym;
    int virtualKey;
};

constexpr KeyPair kKeys[] = {
    {XK_BackSpace, VKEY_BACK},       {XK_Tab, VKEY_TAB},           {XK_ISO_Left_Tab, VKEY_TAB},
    {XK_Clear, VKEY_CLEAR},          {XK_Return, VKEY_RETURN},     {XK_Pause, VKEY_PAUSE},
    {XK_Escape, VKEY_ESCAPE},        {XK_space, VKEY_SPACE},       {XK_End, VKEY_END},
    {XK_Home, VKEY_HOME},            {XK_Left, VKEY_LEFT},         {XK_Up, VKEY_UP},
    {XK_Right, VKEY_RIGHT},          {XK_Down, VKEY_DOWN},         {XK_Page_Up, VKEY_PAGEUP},
    {XK_Page_Down, VKEY_PAGEDOWN},   {XK_Select, VKEY_SELECT},     {XK_Print, VKEY_PRINT},
    {XK_KP_Enter, VKEY_ENTER},       {XK_Insert, VKEY_INSERT},     {XK_Delete, VKEY_DELETE},
    {XK_Help, VKEY_HELP},            {XK_KP_Multiply, VKEY_MULTIPLY}, {XK_KP_Add, VKEY_ADD},
    {XK_KP_Separator, VKEY_SEPARATOR}, {XK_KP_Subtract, VKEY_SUBTRACT}, {XK_KP_Decimal, VKEY_DECIMAL},
    {XK_KP_Divide, VKEY_DIVIDE},     {XK_Num_Lock, VKEY_NUMLOCK},  {XK_Scroll_Lock, VKEY_SCROLL},
    {XK_Shift_L, VKEY_SHIFT},        {XK_Shift_R, VKEY_SHIFT},     {XK_Control_L, VKEY_CONTROL},
    {XK_Control_R, VKEY_CONTROL},    {XK_Alt_L, VKEY_ALT},         {XK_Alt_R, VKEY_ALT},
    {XK_Meta_L, VKEY_ALT},           {XK_Meta_R, VKEY_ALT},        {XK_KP_Equal, VKEY_EQUALS},
    {XK_KP_Home, VKEY_HOME},         {XK_KP_End, VKEY_END},        {XK_KP_Left, VKEY_LEFT},
    {XK_KP_Up, VKEY_UP},             {XK_KP_Right, VKEY_RIGHT},    {XK_KP_Down, VKEY_DOWN},
    {XK_KP_Page_Up, VKEY_PAGEUP},    {XK_KP_Page_Down, VKEY_PAGEDOWN}, {XK_KP_Insert, VKEY_INSERT},
    {XK_KP_Delete, VKEY_DELETE},
};

struct KeyChar {
    unsigned long keysym;
    char character;
};

constexpr KeyChar kPadCharacters[] = {
    {XK_KP_Multiply, '*'}, {XK_KP_Add, '+'},    {XK_KP_Subtract, '-'}, {XK_KP_Decimal, '.'},
    {XK_KP_Divide, '/'},   {XK_KP_Equal, '='},  {XK_KP_Space, ' '},    {XK_KP_Separator, ','},
};

// KeySyms from 0x01000000 carry a Unicode code point in their low bits.
constexpr unsigned long kUnicodeKeysymBase = 0x01000000;
constexpr unsigned long kUnicodeLast = 0x10ffff;

}  // namespace

int virtualKeyFromKeysym(unsigned long keysym) {
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return VKEY_NUMPAD0 + static_cast<int>(keysym - XK_KP_0);
    if (keysym >= XK_F1 && keysym <= XK_F12) return VKEY_F1 + static_cast<int>(keysym - XK_F1);
    for (const auto& key : kKeys)
        if (key.keysym == keysym) return key.virtualKey;
    return 0;
}

int characterFromKeysym(unsigned long keysym) {
    // Latin-1 KeySyms are their own code points.
    if ((keysym >= XK_space && keysym <= XK_asciitilde) || (keysym >= XK_nobreakspace && keysym <= XK_ydiaeresis))
        return static_cast<int>(keysym);
    if (keysym >= kUnicodeKeysymBase && keysym <= kUnicodeKeysymBase + kUnicodeLast)
        return static_cast<int>(keysym - kUnicodeKeysymBase);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return '0' + static_cast<int>(keysym - XK_KP_0);
    for (const auto& pad : kPadCharacters)
        if (pad.keysym == keysym) return pad.character;
    return 0;
}

}  // namespace VSTGUI
