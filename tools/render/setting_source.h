// Where a render's setting comes from besides single parameters: a preset of the installation
// directory's store (by bank and name), a preset's settings file, or a saved state chunk. Everything
// here only reads the user's files; the effect instance that renders works on a private directory.
#pragma once

#include <string>
#include <vector>

#include "effect/effect_state.h"

namespace render {

struct StoredPreset {
    int number = -1;
    PresetInfo info{};
    std::string settingsPath;
};

// Every preset of the directory (information and settings file both present, name readable), in
// number order. Damaged or removed presets are left out and left alone.
std::vector<StoredPreset> ListPresets(const std::string& directory);

// The preset named `name` (in bank `bank` when not empty): an exact match, else the only match
// ignoring case. False with a message when there is none or the name is ambiguous.
bool FindPreset(const std::vector<StoredPreset>& presets, const std::string& bank, const std::string& name,
                StoredPreset& found, std::string& error);

// A state chunk file: the image as a host saves it, or a program file holding it ("CcnK" ... "FPCh").
// False with a message when the file cannot be read or holds no image the effect accepts.
bool ReadChunkFile(const std::string& path, std::vector<char>& chunk, std::string& error);

// Loads a settings record text into the active slot of state as the effect loads a preset: both
// channels reset to the initial settings first, channels linked, the information record's names and
// channel mode taken when one is given.
void LoadSettingsText(EffectState& state, const SettingsRecord& initial, const std::string& settingsText,
                      const PresetInfo* info);

// True when text holds at least one record of a settings file.
bool HasSettingsRecords(const std::string& text);

// The initial settings of an installation directory (the built-in ones where it has none).
SettingsRecord InitialSettingsOf(const std::string& directory);

// The slot the state plays (A below 0.5).
inline int ActiveSlotIndex(const EffectState& state) { return state.slotSelector < 0.5f ? 0 : 1; }

}  // namespace render
