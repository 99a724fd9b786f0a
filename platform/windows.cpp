// Windows implementation of the platform services.
#include <windows.h>

#include <sys/timeb.h>

#include <atomic>

#include "platform/platform.h"

namespace platform {
namespace {

void messageBoxA(const char* title, const char* text) {
    MessageBoxA(nullptr, text != nullptr ? text : "", title != nullptr ? title : "", MB_OK | MB_ICONWARNING);
}

std::atomic<MessageBoxHandler> messageHandler{nullptr};
std::atomic<void*> module{nullptr};

}  // namespace

std::string readInstallDirectory(const char* vendor) {
    std::string keyName = std::string("software\\") + vendor + "\\Tovin";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char buffer[1024];
    DWORD size = sizeof(buffer) - 1;
    DWORD type = 0;
    std::string result;
    if (RegQueryValueExA(key, "InstallDirectory", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        buffer[size < sizeof(buffer) ? size : sizeof(buffer) - 1] = 0;
        result = buffer;
    }
    RegCloseKey(key);
    return result;
}

char pathSeparator() { return '\\'; }

void setMessageBoxHandler(MessageBoxHandler handler) { messageHandler.store(handler, std::memory_order_relaxed); }

void showMessage(const char* title, const char* text) {
    MessageBoxHandler handler = messageHandler.load(std::memory_order_relaxed);
    (handler != nullptr ? handler : messageBoxA)(title, text);
}

void* moduleHandle() { return module.load(std::memory_order_relaxed); }
void setModuleHandle(void* handle) { module.store(handle, std::memory_order_relaxed); }

int64_t clockMilliseconds() {
    __timeb64 now{};
    _ftime64(&now);
    return static_cast<int64_t>(now.time) * 1000 + now.millitm;
}

}  // namespace platform
