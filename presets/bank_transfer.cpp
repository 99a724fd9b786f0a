#include "presets/bank_transfer.h"

#include <cstring>

#include "presets/name_test.h"
#include "presets/preset_info.h"
#include "presets/record_format.h"
#include "presets/settings_record.h"

bool ExportBank(const PresetStore& store, const std::string& path) {
    if (store.sortMode() != kSortBank || store.groupCount() < 1 || !store.directory().valid) return false;
    const int group = store.currentGroup();
    if (group < 0) return false;  // no current bank
    std::string out;
    AppendRecord(out, "TYPE_EXPORT", kExportType);
    AppendRecord(out, "VERSION", FormatFixed2(kExportVersion));
    for (int index = 0; index < store.groupSize(group); ++index) {
        const int number = store.presetNumberAt(group, index);
        std::string info;
        std::string settings;
        if (!ReadWholeFile(store.infoPath(number), info) || !ReadWholeFile(store.settingsPath(number), settings)) {
            continue;
        }
        // A file without a final line end would glue its last value to the next marker.
        if (!info.empty() && info.back() != '\n') info += '\n';
        if (!settings.empty() && settings.back() != '\n') settings += '\n';
        AppendMarker(out, "DEBUT_INFORMATION");
        out += info;
        AppendMarker(out, "FIN_INFORMATION");
        AppendMarker(out, "DEBUT_PRESET");
        out += settings;
        AppendMarker(out, "FIN_PRESET");
    }
    return WriteFileReplacing(path, out);
}

namespace {

// Reads one settings block after its "DEBUT_PRESET" marker up to "FIN_PRESET", copying every record
// as text. False when the file ends first.
bool readSettingsBlock(TokenReader& reader, std::string& out) {
    char key[kTokenSize];
    char value[kTokenSize];
    bool pending = false;
    for (;;) {
        if (!pending && reader.readToken(key)) return false;
        pending = false;
        if (std::strcmp(key, "FIN_PRESET") == 0) return true;
        const bool end = reader.readToken(value);
        if (value[0] == 0) return false;
        if (IsRecordKeyToken(value)) {
            // An empty value: the token read is the next key.
            AppendRecord(out, key, "");
            std::memcpy(key, value, kTokenSize);
            pending = true;
            if (end && std::strcmp(key, "FIN_PRESET") != 0) return false;
            continue;
        }
        AppendRecord(out, key, value);
        if (end) return false;
    }
}

}  // namespace

int ImportBank(PresetStore& store, const std::string& path) {
    if (!store.directory().valid) return -1;
    std::string text;
    if (!ReadWholeFile(path, text)) return -1;
    TokenReader reader(std::move(text));
    char token[kTokenSize];
    reader.readToken(token);
    if (std::strcmp(token, "TYPE_EXPORT") != 0) return -1;
    reader.readToken(token);
    if (std::strcmp(token, kExportType) != 0) return -1;
    reader.readToken(token);
    if (std::strcmp(token, "VERSION") != 0) return -1;
    float version = 0.0f;
    reader.readNumberToken(version);

    int imported = 0;
    std::string bank;
    while (!reader.atEnd()) {
        PresetInfo info = DefaultPresetInfo(-1);
        int line = kInfoLineOther;
        while ((line = ParseInfoLine(reader, info)) != kInfoLineFinish && line != kInfoLineEnd) {}
        if (line == kInfoLineEnd) break;
        reader.readToken(token);
        if (std::strcmp(token, "DEBUT_PRESET") != 0) break;  // a shifted or damaged file
        std::string settings;
        if (!readSettingsBlock(reader, settings)) break;  // ends inside the block: left out

        if (imported == 0) {
            bank = std::string(FieldText(info.bankName, kInfoTextSize));
            if (!IsValidName(bank, kInfoTextSize - 1)) bank = "Imported";
            const std::string base = bank;
            for (int suffix = 1; store.bankNameExists(bank); ++suffix) {
                const std::string digits = FormatInteger(suffix);
                bank = base.substr(0, kInfoTextSize - 1 - digits.size()) + digits;
            }
        }
        CopyText(info.bankName, kInfoTextSize, bank);
        if (store.writeNewPreset(info, settings)) ++imported;
    }
    store.finishImport();
    return imported;
}
