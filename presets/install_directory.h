// The installation directory, under which every preset, option and notice file lies.
#pragma once

#include <string>
#include <string_view>

constexpr const char* kVendorWord = "Corvane";
constexpr std::size_t kMaxDirectoryLength = 200;

struct PresetDirectory {
    std::string path;    // ends with the path separator when valid
    bool valid = false;  // non-empty, at most 200 characters: every file operation checks it

    std::string file(std::string_view name) const { return path + std::string(name); }
};

// Builds the preset directory from the raw setting (separator appended when missing). Shows the
// "Wrong install's directory" message for an empty setting and the "Wrong installation" message for
// one that is too long.
PresetDirectory MakePresetDirectory(const std::string& raw);

// Reads the setting through the platform layer and builds the directory from it.
PresetDirectory ReadInstallDirectory();
