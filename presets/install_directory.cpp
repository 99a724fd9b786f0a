#include "presets/install_directory.h"

#include "platform/platform.h"

namespace {

void alert(const char* format) {
    std::string text = format;
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, kVendorWord);
    platform::showMessage("Alert", text.c_str());
}

}  // namespace

PresetDirectory MakePresetDirectory(const std::string& raw) {
    PresetDirectory directory;
    if (raw.empty() || raw.find('\0') != std::string::npos) {
        alert("Wrong install's directory of your %s plugIn");
        return directory;
    }
    directory.path = raw;
    const char separator = platform::pathSeparator();
    if (directory.path.back() != separator) directory.path += separator;
    if (directory.path.size() > kMaxDirectoryLength) {
        alert("Wrong installation of your %s plugIn");
        return directory;
    }
    directory.valid = true;
    return directory;
}

PresetDirectory ReadInstallDirectory() { return MakePresetDirectory(platform::readInstallDirectory(kVendorWord)); }
