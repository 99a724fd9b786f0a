// A preset store on a temporary directory, with a minimal effect around it.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "presets/initial_settings.h"
#include "presets/preset_info.h"
#include "presets/preset_store.h"
#include "presets/record_format.h"
#include "presets/settings_record.h"
#include "test_directory.h"

class FakeEffect : public PresetStoreHost {
public:
    SettingsSlot slot[2]{};
    int active = 0;
    SettingsRecord initial = BuiltInInitialSettings();
    int pushes = 0;
    int notices = 0;
    std::function<void()> onFilesChanged;  // runs after each notice, e.g. to make a later write fail

    SettingsSlot& activeSlot() override { return slot[active]; }
    void resetToInitialSettings(SettingsSlot& s, int channel) override {
        ApplyInitialSettings(initial, s, &s == &slot[0] ? 0 : 1, channel, 7);
    }
    void pushActiveSlot() override { ++pushes; }
    void presetFilesChanged() override {
        ++notices;
        if (onFilesChanged) onFilesChanged();
    }
};

struct StoreFixture {
    TestDirectory dir;
    FakeEffect effect;
    PresetStore store{effect, PresetDirectory{dir.path(), true}};

    StoreFixture() {
        for (int s = 0; s < 2; ++s) {
            effect.resetToInitialSettings(effect.slot[s], 1);
            effect.resetToInitialSettings(effect.slot[s], 0);
            effect.slot[s].info = DefaultPresetInfo(-1);
        }
    }

    // Writes a preset's two files directly.
    void writePreset(int number, const std::string& name, const std::string& bank, int factory = 0,
                     int bandsOn = 0) const {
        PresetInfo info = DefaultPresetInfo(number);
        CopyText(info.presetName, kInfoTextSize, name);
        CopyText(info.bankName, kInfoTextSize, bank);
        info.factory = factory;
        info.activeBandCount = bandsOn;
        std::string infoText;
        WritePresetInfo(infoText, info);
        SettingsRecord record = BuiltInInitialSettings();
        for (int b = 0; b < bandsOn; ++b) record.band[b].on = 1.0f;
        record.channel[0].band[kBandB2].gain = 0.01f * static_cast<float>(number % 100);
        std::string settingsText;
        WriteSettingsRecord(settingsText, record);
        WriteFileReplacing(store.infoPath(number), infoText);
        WriteFileReplacing(store.settingsPath(number), settingsText);
    }

    // Puts a directory where path's file is, so that writing the file fails.
    static void blockWith(const std::string& path) {
        std::filesystem::remove(path);
        std::filesystem::create_directory(path);
    }

    // The directory's file names, to show that nothing was left or lost.
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    std::string read(const std::string& path) const {
        std::string text;
        ReadWholeFile(path, text);
        return text;
    }
};
