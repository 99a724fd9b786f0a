// The installation directory of the rendering instance: a private temporary one holding copies of
// the user's initial settings and options, so the instance starts as the user's would, and whatever
// the effect writes (a chunk's preset brought into its store) never reaches the user's store.
#pragma once

#include <string>

namespace render {

class PrivateInstall {
public:
    // from: the user's installation directory (may be empty); fallback: the factory bank's folder,
    // used for the files the user's directory does not have.
    PrivateInstall(const std::string& from, const std::string& fallback);
    ~PrivateInstall();  // removes the directory and everything in it
    PrivateInstall(const PrivateInstall&) = delete;
    PrivateInstall& operator=(const PrivateInstall&) = delete;

    bool valid() const { return !path_.empty(); }
    const std::string& path() const { return path_; }  // ends with '/'

private:
    std::string path_;
};

// The user's installation directory as the effect finds it (--install-dir given, else the effect's
// own setting); empty when none is recorded.
std::string UserInstallDirectory(const std::string& given);

// The factory bank beside the program (an installed copy: <prefix>/share/tovin), else the source
// tree's; empty when neither exists.
std::string FactoryBankDirectory();

// The plug-in to load: given, $TOVIN_PLUGIN, <prefix>/lib/vst/Tovin.so beside the program, else the build's.
std::string PluginPath(const std::string& given);

}  // namespace render
