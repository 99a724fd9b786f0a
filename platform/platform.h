// The few operating-system services the effect needs: the installation directory setting, a message
// box, the module handle and a millisecond wall clock. One implementation file per platform.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The raw installation directory setting (no separator appended); empty when none is recorded.
// Windows: HKLM "software\<vendor>\Tovin", value "InstallDirectory". Linux: $TOVIN_INSTALL_DIRECTORY,
// else the first line of $XDG_CONFIG_HOME/<vendor>/Tovin/InstallDirectory (~/.config by default).
std::string readInstallDirectory(const char* vendor);

// Path separator used when joining the installation directory and a file name.
char pathSeparator();

// Message boxes block until the user answers. Tests install a handler so that nothing ever blocks.
using MessageBoxHandler = void (*)(const char* title, const char* text);
void setMessageBoxHandler(MessageBoxHandler handler);  // null restores the platform's own
void showMessage(const char* title, const char* text);

// The effect library's module handle (Windows HINSTANCE; null on Linux).
void* moduleHandle();
void setModuleHandle(void* handle);

// Wall clock: seconds since 1970 x 1000 + milliseconds.
int64_t clockMilliseconds();

}  // namespace platform
