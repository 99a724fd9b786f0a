#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/shared_library.h"

namespace platform {

namespace {
std::string folderOfThisModule() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(static_cast<HMODULE>(moduleHandle()), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    const std::string full(path, n);
    const std::size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? std::string{} : full.substr(0, slash + 1);
}
}  // namespace

void* openLibrary(const char* baseName) {
    const std::string file = std::string(baseName) + ".dll";
    const std::string folder = folderOfThisModule();
    if (!folder.empty())
        if (HMODULE library = LoadLibraryA((folder + file).c_str())) return library;
    return LoadLibraryA(file.c_str());
}

void* librarySymbol(void* library, const char* name) {
    return library != nullptr ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name)) : nullptr;
}

void closeLibrary(void* library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace platform
