// Linux defaults of the host services (the library's logic is tested natively too).
#include <chrono>
#include <cstdio>

#include "hostlib/host_services.h"

namespace hostlib {

void PlatformMessageBox(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "", text != nullptr ? text : "");
}

uint32_t PlatformTick() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace hostlib
