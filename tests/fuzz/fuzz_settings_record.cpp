// The settings-record reader on any text: values stay in range and names stay terminated.
#include <cstdlib>
#include <cstring>
#include <string>

#include "presets/initial_settings.h"
#include "presets/settings_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsRecord record = BuiltInInitialSettings();
    TokenReader reader(std::string(reinterpret_cast<const char*>(data), size));
    ReadSettingsRecord(reader, record);
    for (int channel = 0; channel < 2; ++channel) {
        for (int index = 0; index <= 33; ++index) {
            const float value = *SettingsField(record, index, channel);
            if (!(value >= 0.0f && value <= 1.0f)) std::abort();
        }
    }
    for (const BandRecord& band : record.band) {
        if (std::memchr(band.name, 0, sizeof band.name) == nullptr) std::abort();
    }
    std::string out;
    WriteSettingsRecord(out, record);
    return 0;
}
