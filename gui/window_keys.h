// Platform key codes to the VST virtual key codes (VKEY_*) and characters the toolkit reads.
// Each function lives in its platform's file. Pure functions: any thread.
#pragma once

namespace VSTGUI {

// Win32 virtual-key code (VK_*) to VKEY_*, 0 when the key has none (letters, digits, punctuation).
int virtualKeyFromWin32(unsigned virtualKey);
// True for keys whose WM_CHAR carries their meaning (space, the number pad's digits and signs).
bool win32KeyTypesCharacter(unsigned virtualKey);

// X11 KeySym to VKEY_*, 0 when it has none.
int virtualKeyFromKeysym(unsigned long keysym);
// X11 KeySym to the Unicode character it types, 0 for none (cursor keys, function keys, modifiers).
int characterFromKeysym(unsigned long keysym);

}  // namespace VSTGUI
