// The initial settings: what a new instance starts with and what every preset load starts from.
#pragma once

#include "effect/effect_state.h"
#include "presets/install_directory.h"

constexpr const char* kInitialSettingsFileName = "InitSettings";

// The built-in initial settings (band names empty).
SettingsRecord BuiltInInitialSettings();

// Default band names "Band 1" to "Band 7" and "Band Air".
const char* DefaultBandName(int band);

// The slot name "Tovin" + instance number ("%.2d") + "A" or "B".
void SetSlotName(SettingsSlot& slot, int slotIndex, int instanceNumber);

// Resets channel of slot (slotIndex 0 = A, 1 = B) to the initial settings and clears its change flags.
void ApplyInitialSettings(const SettingsRecord& initial, SettingsSlot& slot, int slotIndex, int channel,
                          int instanceNumber);

class InitialSettings {
public:
    InitialSettings() : record_(BuiltInInitialSettings()) {}

    const SettingsRecord& record() const { return record_; }
    SettingsRecord& record() { return record_; }

    // Resets to the built-in values and reads the file over them (missing file: built-in values).
    void read(const PresetDirectory& directory);
    bool write(const PresetDirectory& directory) const;

    // Copies the slot's settings (both channels, band switches, types and names) and writes the file.
    bool initFromCurrent(const SettingsSlot& slot, const PresetDirectory& directory);
    // Setting index 0 to 33, for the channel chosen by the slot's channel selector; the file is
    // written at once.
    bool setValue(int index, float value, const SettingsSlot& active, const PresetDirectory& directory);
    float value(int index, const SettingsSlot& active) const;

private:
    SettingsRecord record_;
};
