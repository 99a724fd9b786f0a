// Linux implementation of the platform services.
#include <sys/time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/platform.h"

namespace platform {
namespace {

void stderrMessage(const char* title, const char* text) {
    std::fprintf(stderr, "%s: %s\n", title != nullptr ? title : "", text != nullptr ? text : "");
}

std::atomic<MessageBoxHandler> messageHandler{nullptr};
std::atomic<void*> module{nullptr};

}  // namespace

std::string readInstallDirectory(const char* vendor) {
    if (const char* fromEnv = std::getenv("TOVIN_INSTALL_DIRECTORY"); fromEnv != nullptr) return fromEnv;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] != 0) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr) {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    std::ifstream file(base + "/" + vendor + "/Tovin/InstallDirectory", std::ios::binary);
    std::string line;
    if (!file || !std::getline(file, line)) return {};
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

char pathSeparator() { return '/'; }

void setMessageBoxHandler(MessageBoxHandler handler) { messageHandler.store(handler, std::memory_order_relaxed); }

void showMessage(const char* title, const char* text) {
    MessageBoxHandler handler = messageHandler.load(std::memory_order_relaxed);
    (handler != nullptr ? handler : stderrMessage)(title, text);
}

void* moduleHandle() { return module.load(std::memory_order_relaxed); }
void setModuleHandle(void* handle) { module.store(handle, std::memory_order_relaxed); }

int64_t clockMilliseconds() {
    timeval now{};
    gettimeofday(&now, nullptr);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_usec / 1000;
}

}  // namespace platform
