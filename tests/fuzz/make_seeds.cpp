// Seed corpora for the fuzz targets, made by the writers themselves.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "effect/state_chunk.h"
#include "presets/initial_settings.h"
#include "presets/options_file.h"
#include "presets/preset_info.h"
#include "presets/settings_record.h"

namespace {

void put(const std::filesystem::path& dir, const std::string& target, const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(dir / target);
    std::ofstream(dir / target / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <directory>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];

    SettingsRecord record = BuiltInInitialSettings();
    SettingsSlot slot{};
    ApplyInitialSettings(record, slot, 0, 0, 12);
    ApplyInitialSettings(record, slot, 0, 1, 12);
    slot.settings.band[kBandB2].on = 1.0f;
    slot.settings.channel[0].band[kBandB2].gain = 0.7f;
    std::string settings;
    WriteSettingsRecord(settings, slot.settings);
    put(dir, "fuzz_settings_record", "preset.prt", settings);

    PresetInfo info = DefaultPresetInfo(501);
    CopyText(info.presetName, kInfoTextSize, "Warm Vocal");
    std::string infoText;
    WritePresetInfo(infoText, info);
    put(dir, "fuzz_info_line", "preset.inf", infoText);
    put(dir, "fuzz_info_line", "block.inf", "!DEBUT_INFORMATION#\n" + infoText + "!FIN_INFORMATION#\n");

    std::string options;
    WriteOptions(options, DefaultOptions());
    put(dir, "fuzz_options", "options", options);

    EffectState state{};
    state.slot[0] = slot;
    state.slot[1] = slot;
    state.slot[0].info = info;
    state.options = DefaultOptions();
    PrepareStateChunk(state);
    put(dir, "fuzz_state_chunk", "v2.bin", std::string(reinterpret_cast<const char*>(&state), sizeof state));
    std::string reversed(reinterpret_cast<const char*>(&state), sizeof state);
    for (std::size_t i = 0; i + 4 <= reversed.size(); i += 4) {
        std::swap(reversed[i], reversed[i + 3]);
        std::swap(reversed[i + 1], reversed[i + 2]);
    }
    put(dir, "fuzz_state_chunk", "v2_reversed.bin", reversed);
    std::string v1(kVersion1ChunkSize, '\0');
    const float one = 1.0f;
    std::memcpy(v1.data(), &one, 4);
    put(dir, "fuzz_state_chunk", "v1.bin", v1);

    std::string bank = "!TYPE_EXPORT#Tovin#\n!VERSION#1.34#\n";
    for (int i = 0; i < 2; ++i) {
        bank += "!DEBUT_INFORMATION#\n" + infoText + "!FIN_INFORMATION#\n!DEBUT_PRESET#\n" + settings + "!FIN_PRESET#\n";
    }
    put(dir, "fuzz_import_bank", "bank.tovin", bank);
    return 0;
}
