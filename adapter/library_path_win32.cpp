#include <windows.h>

#include <vector>

#include "adapter/library_path.h"

namespace adapter {

std::optional<std::string> ReadLibraryPath() {
    HKEY key = nullptr;
    // Read access only: a normal user account cannot open this key for writing.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    std::vector<char> buffer(kMaxLibraryPath);
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD type = REG_NONE;
    const LONG status =
        RegQueryValueExA(key, kRegistryValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    // ERROR_MORE_DATA: longer than any path accepted.
    if (status != ERROR_SUCCESS || size > buffer.size()) return std::nullopt;
    return LibraryPathFromValue(type, buffer.data(), size);
}

}  // namespace adapter
