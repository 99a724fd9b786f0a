#include <dlfcn.h>

#include <string>

#include "platform/shared_library.h"

namespace platform {

namespace {
std::string folderOfThisModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&folderOfThisModule), &info) == 0 || info.dli_fname == nullptr) return {};
    const std::string path = info.dli_fname;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}
}  // namespace

void* openLibrary(const char* baseName) {
    const std::string file = std::string(baseName) + ".so";
    const std::string folder = folderOfThisModule();
    if (!folder.empty())
        if (void* library = dlopen((folder + file).c_str(), RTLD_NOW | RTLD_LOCAL)) return library;
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* librarySymbol(void* library, const char* name) { return library != nullptr ? dlsym(library, name) : nullptr; }

void closeLibrary(void* library) {
    if (library != nullptr) dlclose(library);
}

}  // namespace platform
