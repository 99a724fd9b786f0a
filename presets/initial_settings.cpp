#include "presets/initial_settings.h"

#include <string>

#include "presets/name_test.h"
#include "presets/record_format.h"
#include "presets/settings_record.h"

namespace {

// Channel 1 below 0.5, else channel 0.
int selectedChannel(const SettingsSlot& slot) { return slot.channelSelector < 0.5f ? 1 : 0; }

}  // namespace

SettingsRecord BuiltInInitialSettings() {
    SettingsRecord record{};
    struct Row {
        float frequency, quality, gain;
    };
    constexpr Row rows[kBandCount] = {
        {0.1f, 0.501f, 0.0f}, {0.2f, 0.5f, 0.5f}, {0.3f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f},
        {0.7f, 0.5f, 0.5f},   {0.8f, 0.5f, 0.5f}, {0.9f, 0.501f, 0.0f}, {0.0f, 0.0f, 0.5f},
    };
    for (ChannelValues& channel : record.channel) {
        for (int band = 0; band < kBandCount; ++band) {
            channel.band[band] = {rows[band].frequency, rows[band].quality, rows[band].gain};
        }
        channel.volume = 0.5f;
    }
    return record;
}

const char* DefaultBandName(int band) {
    static const char* const names[kBandCount] = {"Band 1", "Band 2", "Band 3", "Band 4",
                                                  "Band 5", "Band 6", "Band 7", "Band Air"};
    return band >= 0 && band < kBandCount ? names[band] : "";
}

void SetSlotName(SettingsSlot& slot, int slotIndex, int instanceNumber) {
    CopyText(slot.name, kSlotNameSize,
             "Tovin" + FormatInteger(instanceNumber, 2) + (slotIndex == 0 ? "A" : "B"));
}

void ApplyInitialSettings(const SettingsRecord& initial, SettingsSlot& slot, int slotIndex, int channel,
                          int instanceNumber) {
    if (channel != 0 && channel != 1) return;
    SetSlotName(slot, slotIndex, instanceNumber);
    slot.modified = 0;
    slot.secondChange = 0;
    SettingsRecord& record = slot.settings;
    for (int band = 0; band < kBandCount; ++band) {
        record.channel[channel].band[band] = initial.channel[channel].band[band];
    }
    record.channel[channel].volume = initial.channel[channel].volume;
    record.channel[channel].band[kBandHP].gain = 0.0f;
    record.channel[channel].band[kBandLP].gain = 0.0f;
    record.channel[channel].band[kBandAir].frequency = 1.0f;
    record.channel[channel].band[kBandAir].quality = 1.0f;
    for (int band = 0; band < kBandCount; ++band) {
        const bool hasType = band == kBandHP || band == kBandB1 || band == kBandB5 || band == kBandLP;
        record.band[band].type = hasType ? initial.band[band].type : 0.0f;
        record.band[band].on = initial.band[band].on;
        const std::string_view name = FieldText(initial.band[band].name, kBandNameSize);
        CopyText(record.band[band].name, kBandNameSize,
                 IsValidName(name, kBandNameLimit) ? name : std::string_view(DefaultBandName(band)));
    }
    record.generalOn = initial.generalOn;
}

void InitialSettings::read(const PresetDirectory& directory) {
    record_ = BuiltInInitialSettings();
    if (!directory.valid) return;
    std::string text;
    if (!ReadWholeFile(directory.file(kInitialSettingsFileName), text)) return;
    TokenReader reader(std::move(text));
    ReadSettingsRecord(reader, record_);
}

bool InitialSettings::write(const PresetDirectory& directory) const {
    if (!directory.valid) return false;
    std::string text;
    WriteSettingsRecord(text, record_);
    return WriteFileReplacing(directory.file(kInitialSettingsFileName), text);
}

bool InitialSettings::initFromCurrent(const SettingsSlot& slot, const PresetDirectory& directory) {
    for (int channel = 1; channel >= 0; --channel) {
        for (int band = 0; band < kBandCount; ++band) {
            record_.channel[channel].band[band] = slot.settings.channel[channel].band[band];
        }
        record_.channel[channel].volume = slot.settings.channel[channel].volume;
    }
    for (int band = 0; band < kBandCount; ++band) {
        record_.band[band].type = slot.settings.band[band].type;
        record_.band[band].on = slot.settings.band[band].on;
        CopyText(record_.band[band].name, kBandNameSize, FieldText(slot.settings.band[band].name, kBandNameSize));
    }
    record_.generalOn = slot.settings.generalOn;
    return write(directory);
}

bool InitialSettings::setValue(int index, float value, const SettingsSlot& active, const PresetDirectory& directory) {
    float* field = SettingsField(record_, index, selectedChannel(active));
    if (field == nullptr) return false;
    *field = ClampValue(value, 0.0f, 1.0f);
    return write(directory);
}

float InitialSettings::value(int index, const SettingsSlot& active) const {
    const float* field = SettingsField(record_, index, selectedChannel(active));
    return field != nullptr ? *field : 0.0f;
}
