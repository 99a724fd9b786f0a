// ImportBank on any file: terminates, writes only complete presets, and the store re-reads what it
// wrote. Works in a private temporary directory (one per process) that is emptied after every input.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "presets/bank_transfer.h"
#include "presets/initial_settings.h"
#include "presets/record_format.h"

namespace {

class Host : public PresetStoreHost {
public:
    SettingsSlot slot{};
    SettingsSlot& activeSlot() override { return slot; }
    void resetToInitialSettings(SettingsSlot& s, int channel) override {
        ApplyInitialSettings(BuiltInInitialSettings(), s, 0, channel, 1);
    }
    void pushActiveSlot() override {}
};

const std::filesystem::path& workDirectory() {
    static const std::filesystem::path dir = [] {
        auto path = std::filesystem::temp_directory_path() / ("tovin_fuzz_import_" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto& dir = workDirectory();
    const std::string input = (dir / "input.tovin").string();
    if (!WriteFileReplacing(input, std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
    Host host;
    host.slot.info.presetNumber = -1;
    PresetStore store(host, PresetDirectory{(dir / "").string(), true});
    store.scan();
    const int imported = ImportBank(store, input);
    if (imported > 0) {
        PresetStore again(host, PresetDirectory{(dir / "").string(), true});
        again.scan();
        if (again.count() != imported) std::abort();
        for (const auto& [number, info] : again.presets()) {
            if (again.loadPreset(number) != 0) std::abort();
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir)) std::filesystem::remove(entry.path());
    return 0;
}
