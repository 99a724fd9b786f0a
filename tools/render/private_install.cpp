#include "tools/render/private_install.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/platform.h"
#include "presets/initial_settings.h"
#include "presets/install_directory.h"

namespace render {
namespace fs = std::filesystem;
namespace {

constexpr const char* kOptionsFileName = "options";

fs::path programDirectory() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
}

}  // namespace

PrivateInstall::PrivateInstall(const std::string& from, const std::string& fallback) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = (fs::path(tmp != nullptr && tmp[0] != 0 ? tmp : "/tmp") / "tovin-render-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern + "/";
    for (const char* name : {kInitialSettingsFileName, kOptionsFileName}) {
        std::error_code error;
        for (const std::string& source : {from, fallback}) {
            if (source.empty()) continue;
            const fs::path file = fs::path(source) / name;
            if (fs::exists(file, error) && fs::copy_file(file, fs::path(path_) / name, error)) break;
        }
    }
}

PrivateInstall::~PrivateInstall() {
    if (path_.empty()) return;
    std::error_code error;
    fs::remove_all(path_, error);
}

std::string UserInstallDirectory(const std::string& given) {
    if (!given.empty()) return given;
    return platform::readInstallDirectory(kVendorWord);
}

std::string FactoryBankDirectory() {
    std::error_code error;
    const fs::path installed = programDirectory() / ".." / "share" / "tovin";
    if (fs::exists(installed / kInitialSettingsFileName, error)) return fs::weakly_canonical(installed, error).string();
    if (fs::exists(fs::path(TOVIN_FACTORY_DIR) / kInitialSettingsFileName, error)) return TOVIN_FACTORY_DIR;
    return {};
}

std::string PluginPath(const std::string& given) {
    if (!given.empty()) return given;
    if (const char* fromEnv = std::getenv("TOVIN_PLUGIN"); fromEnv != nullptr && fromEnv[0] != 0) return fromEnv;
    std::error_code error;
    const fs::path installed = programDirectory() / ".." / "lib" / "vst" / "Tovin.so";
    if (fs::exists(installed, error)) return fs::weakly_canonical(installed, error).string();
    return TOVIN_PLUGIN_PATH;
}

}  // namespace render
