#include "adapter/library_path.h"

#include <cstring>

namespace adapter {

std::optional<std::string> LibraryPathFromValue(uint32_t type, const char* data, size_t size) {
    if (type != kRegistryStringType || data == nullptr) return std::nullopt;
    // A registry string need not be terminated: it ends at its first terminator or with its data.
    const void* end = std::memchr(data, 0, size);
    std::string path(data, end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - data) : size);
    if (path.empty()) return std::nullopt;
    if (path.back() != '\\') path += '\\';
    path += kEffectLibraryName;
    if (path.size() >= kMaxLibraryPath) return std::nullopt;
    return path;
}

}  // namespace adapter
