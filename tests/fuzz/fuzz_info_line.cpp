// ParseInfoLine on any text: terminates, and every text field stays terminated.
#include <cstdlib>
#include <cstring>
#include <string>

#include "presets/preset_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PresetInfo info = DefaultPresetInfo(501);
    TokenReader reader(std::string(reinterpret_cast<const char*>(data), size));
    for (std::size_t calls = 0; ParseInfoLine(reader, info) != kInfoLineEnd; ++calls) {
        if (calls > size + 1) std::abort();  // every call consumes at least one byte
    }
    if (std::memchr(info.presetName, 0, kInfoTextSize) == nullptr) std::abort();
    if (std::memchr(info.modificationDate, 0, kInfoDateSize) == nullptr) std::abort();
    if (info.factory < 0 || info.factory > 1 || info.channelMode < 0 || info.channelMode > 2) std::abort();
    std::string out;
    WritePresetInfo(out, info);
    return 0;
}
