#include "tools/render/setting_source.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "effect/state_chunk.h"
#include "presets/initial_settings.h"
#include "presets/install_directory.h"
#include "presets/name_test.h"
#include "presets/preset_info.h"
#include "presets/record_format.h"
#include "presets/settings_record.h"

namespace render {
namespace {

// A program file with an opaque chunk: magic, size, "FPCh", version, id, version, count, 28-byte
// name, chunk size (all big-endian), then the chunk.
constexpr char kFileMagic[] = "CcnK";
constexpr char kProgramChunkMagic[] = "FPCh";
constexpr size_t kProgramChunkMagicOffset = 8;
constexpr size_t kProgramChunkSizeOffset = 56;
constexpr size_t kProgramChunkDataOffset = 60;
constexpr size_t kLongestChunkFile = 1 << 20;

std::string text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// Number N of a file named "presetN<extension>", or -1.
int numberOfFile(const std::string& name, const std::string& extension) {
    const std::string prefix = "preset";
    if (name.size() <= prefix.size() + extension.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return -1;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    if (digits.size() < 4 || !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return -1;
    return ParseInteger(digits);
}

uint32_t bigEndian32(const std::vector<char>& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

std::vector<StoredPreset> ListPresets(const std::string& directory) {
    std::map<int, StoredPreset> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const int number = numberOfFile(it->path().filename().string(), ".inf");
        if (number < 0) continue;
        const std::filesystem::path settings = it->path().parent_path() / (it->path().stem().string() + ".prt");
        std::string infoText;
        if (!std::filesystem::exists(settings) || !ReadWholeFile(it->path().string(), infoText)) continue;
        TokenReader reader(infoText);
        char first[kTokenSize];
        reader.readToken(first);
        if (std::strcmp(first, "removed") == 0 || !IsValidName(first, kTextLimit)) continue;
        StoredPreset preset;
        preset.number = number;
        preset.info = DefaultPresetInfo(number);
        reader.rewind();
        while (ParseInfoLine(reader, preset.info) != kInfoLineEnd) {}
        preset.info.presetNumber = number;
        preset.settingsPath = settings.string();
        found[number] = preset;
    }
    std::vector<StoredPreset> presets;
    for (auto& [number, preset] : found) presets.push_back(preset);
    return presets;
}

bool FindPreset(const std::vector<StoredPreset>& presets, const std::string& bank, const std::string& name,
                StoredPreset& result, std::string& error) {
    for (bool exact : {true, false}) {
        std::vector<const StoredPreset*> matches;
        for (const StoredPreset& p : presets) {
            const std::string n = text(p.info.presetName, kInfoTextSize), b = text(p.info.bankName, kInfoTextSize);
            const bool nameMatches = exact ? n == name : sameIgnoringCase(n, name);
            const bool bankMatches = bank.empty() || (exact ? b == bank : sameIgnoringCase(b, bank));
            if (nameMatches && bankMatches) matches.push_back(&p);
        }
        if (matches.size() == 1) {
            result = *matches.front();
            return true;
        }
        if (matches.size() > 1) {
            error = "preset \"" + name + "\" is in more than one bank (";
            for (size_t i = 0; i < matches.size(); ++i)
                error += (i ? ", \"" : "\"") + text(matches[i]->info.bankName, kInfoTextSize) + "\"";
            error += "): give --bank";
            return false;
        }
    }
    error = "no preset \"" + name + "\"" + (bank.empty() ? "" : " in bank \"" + bank + "\"") + " (" +
            std::to_string(presets.size()) + " presets; --list-presets lists them)";
    return false;
}

bool ReadChunkFile(const std::string& path, std::vector<char>& chunk, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be opened";
        return false;
    }
    std::vector<char> bytes;
    bytes.reserve(kStateChunkSize);
    char c;
    while (bytes.size() <= kLongestChunkFile && file.get(c)) bytes.push_back(c);
    if (bytes.size() > kLongestChunkFile) {
        error = path + ": too long for a state chunk";
        return false;
    }
    chunk = bytes;
    if (bytes.size() >= kProgramChunkDataOffset && std::memcmp(bytes.data(), kFileMagic, 4) == 0) {
        if (std::memcmp(bytes.data() + kProgramChunkMagicOffset, kProgramChunkMagic, 4) != 0) {
            error = path + ": a program file without a chunk (only chunk programs, \"FPCh\", hold a state)";
            return false;
        }
        const size_t size = bigEndian32(bytes, kProgramChunkSizeOffset);
        if (size > bytes.size() - kProgramChunkDataOffset) {
            error = path + ": the program file is cut short";
            return false;
        }
        chunk.assign(bytes.begin() + kProgramChunkDataOffset, bytes.begin() + static_cast<long>(kProgramChunkDataOffset + size));
    }
    EffectState scratch{};
    if (!ReadStateChunk(scratch, chunk.data(), chunk.size()).accepted) {
        error = path + ": not a Tovin state chunk (" + std::to_string(chunk.size()) + " bytes, unreadable)";
        return false;
    }
    return true;
}

void LoadSettingsText(EffectState& state, const SettingsRecord& initial, const std::string& settingsText,
                      const PresetInfo* info) {
    const int slotIndex = ActiveSlotIndex(state);
    SettingsSlot& slot = state.slot[slotIndex];
    char name[kSlotNameSize];
    std::memcpy(name, slot.name, sizeof(name));
    ApplyInitialSettings(initial, slot, slotIndex, 1, 0);
    ApplyInitialSettings(initial, slot, slotIndex, 0, 0);
    std::memcpy(slot.name, name, sizeof(name));
    if (info != nullptr) slot.info = *info;
    slot.channelSelector = 0.0f;
    slot.coupling = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    slot.modified = 0;
    slot.secondChange = 0;
    TokenReader reader(settingsText);
    ReadSettingsRecord(reader, slot.settings);
}

bool HasSettingsRecords(const std::string& settingsText) {
    TokenReader reader(settingsText);
    char token[kTokenSize];
    while (!reader.readToken(token))
        if (IsRecordKeyToken(token) && std::strcmp(token, "FIN_PRESET") != 0) return true;
    return false;
}

SettingsRecord InitialSettingsOf(const std::string& directory) {
    InitialSettings initial;
    if (!directory.empty()) initial.read(MakePresetDirectory(directory));
    return initial.record();
}

}  // namespace render
