// What each platform's back-end file provides to the platform-neutral createWindowBackend.
//
// Threads: the host's user-interface thread, like every WindowBackend entry point.
#pragma once

#include <memory>

#include "gui/window_backend.h"

namespace VSTGUI {

// The platform's own window as a child of parent.handle (non-null); check isValid().
std::unique_ptr<WindowBackend> createPlatformWindowBackend(const WindowParent& parent, int width, int height,
                                                           WindowClient& client);

}  // namespace VSTGUI
