// The host's services as the library offers them to plug-in code, with their defaults when the host
// gives none (plugin_abi.h). Set by WinPlugInOpen and cleared by WinPlugInClose on the UI thread;
// currentTempo may be called from any thread.
#pragma once

#include <cstdint>
#include <string>

#include "hostlib/plugin_abi.h"

namespace hostlib {

void SetHostServices(const PIHostServices* services);  // null: every default

// A message the user must read (system-modal, blocking, unless the host replaces it).
void ShowMessage(const char* caption, const char* text);
// The host's tempo in beats per minute; false when it has none.
bool HostTempo(double* bpm);
uint32_t HostTick();
void* WindowOfReference(void* reference);
void ReportControlEvent(PIInstance* instance, int32_t kind, int32_t control, int32_t value);
// The host's name for a new MIDI node, else fallback.
std::string MidiNodeName(PIInstance* instance, const std::string& fallback);

// The platform's own message box and tick (one file per platform).
void PlatformMessageBox(const char* caption, const char* text);
uint32_t PlatformTick();

}  // namespace hostlib
