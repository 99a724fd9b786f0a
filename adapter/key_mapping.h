// Keys the host forwards to the editor: the characters the editor answers to, as VST virtual keys.
#pragma once

#include <array>
#include <cstdint>

namespace adapter {

struct KeyMapping {
    int32_t character;
    unsigned char virtualKey;
};

// The editor's keys come as the numeric pad's; any other character carries no virtual key.
constexpr std::array<KeyMapping, 5> kKeyMappings{{{'+', 35}, {'-', 37}, {'1', 25}, {'2', 26}, {'3', 27}}};

constexpr unsigned char virtualKeyOf(int32_t character) {
    for (const KeyMapping& mapping : kKeyMappings)
        if (mapping.character == character) return mapping.virtualKey;
    return 0;
}

// Sent before the editor closes, as the host's own close key.
constexpr int32_t kCloseKeyCharacter = '2';
constexpr unsigned char kCloseKeyVirtual = 26;

}  // namespace adapter
