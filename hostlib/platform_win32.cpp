// Windows defaults of the host services.
#include <windows.h>

#include "hostlib/host_services.h"

namespace hostlib {

void PlatformMessageBox(const char* caption, const char* text) {
    MessageBoxA(nullptr, text != nullptr ? text : "", caption != nullptr ? caption : "", MB_OK | MB_SYSTEMMODAL);
}

uint32_t PlatformTick() { return GetTickCount(); }

}  // namespace hostlib
