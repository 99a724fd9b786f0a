// Where the integration tests find the built plug-in module, and a host that has loaded it.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tools/vsthost/vst_host.h"

namespace integration {

// The module built with these tests; TOVIN_PLUGIN overrides it (e.g. an installed copy).
inline std::string pluginPath() {
    if (const char* path = std::getenv("TOVIN_PLUGIN"); path != nullptr && path[0] != 0) return path;
    return TOVIN_PLUGIN_PATH;
}

// A host with a freshly created effect; the test fails at once when the module cannot be loaded.
inline std::unique_ptr<vsthost::Host> loadPlugin(vsthost::HostConfig config = {}) {
    auto host = std::make_unique<vsthost::Host>(std::move(config));
    EXPECT_TRUE(host->load(pluginPath())) << host->error();
    return host->effect() != nullptr ? std::move(host) : nullptr;
}

constexpr VstInt32 kNumParams = 34;

}  // namespace integration
