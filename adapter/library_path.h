// Where the effect library is: the installation directory recorded in the registry, then "Tovin.dll".
// UI thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace adapter {

constexpr const char* kRegistryKey = "Software\\Corvane\\Tovin";
constexpr const char* kRegistryValue = "installdirectory";
constexpr const char* kEffectLibraryName = "Tovin.dll";
// The longest path accepted (the size of the buffer the directory is read into, terminator included).
constexpr size_t kMaxLibraryPath = 1000;

// The library path from a registry value's type, bytes and byte count as the registry returned them.
// Nothing for a value that is not a string, empty, or longer than kMaxLibraryPath allows; an
// unterminated string ends with the data.
std::optional<std::string> LibraryPathFromValue(uint32_t type, const char* data, size_t size);
constexpr uint32_t kRegistryStringType = 1;  // REG_SZ

// Reads HKEY_LOCAL_MACHINE\<kRegistryKey> <kRegistryValue> for reading only (Windows).
std::optional<std::string> ReadLibraryPath();

}  // namespace adapter
