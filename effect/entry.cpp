// The plug-in's exported entry: VSTPluginMain, also exported as main at the same address.
#include "effect/dravel.h"
#include "gui/window_backend.h"
#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>
#define TOVIN_EXPORT extern "C" __declspec(dllexport)
#else
#define TOVIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TOVIN_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) { return CDravel::createEffect(audioMaster); }

#if defined(_WIN32)
// Both names come from the module definition file (main=VSTPluginMain).
// The library's process attach only records the module handle (the editor loads its bitmaps through it).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) platform::setModuleHandle(instance);
    if (reason == DLL_PROCESS_DETACH) VSTGUI::releaseWindowBackendResources();
    return TRUE;
}
#else
// C++ cannot declare ::main with this signature; an assembler alias gives the second name.
__asm__(".globl main\n.set main, VSTPluginMain\n");
#endif
