#include "presets/preset_store.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "presets/name_test.h"
#include "presets/preset_info.h"
#include "presets/record_format.h"
#include "presets/settings_record.h"

namespace {

constexpr std::size_t kTextCharacters = kInfoTextSize - 1;

std::string text(const char* field, std::size_t size) { return std::string(FieldText(field, size)); }

// The preset number of a file name "preset" + at least four digits + extension, or -1.
int numberOfFile(const std::string& name, std::string_view extension) {
    constexpr std::string_view prefix = "preset";
    if (name.size() < prefix.size() + 4 + extension.size()) return -1;
    if (name.compare(0, prefix.size(), prefix) != 0) return -1;
    if (name.compare(name.size() - extension.size(), extension.size(), extension) != 0) return -1;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    if (digits.size() > 9) return -1;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
    }
    return ParseInteger(digits);
}

// Makes candidate unique among names: "X" becomes "X.1", "X.2" becomes "X.3"; at most 31 characters.
std::string nextCandidate(const std::string& candidate, int& running) {
    const std::size_t dot = candidate.rfind('.');
    std::string base = candidate;
    std::string suffix;
    if (dot != std::string::npos && dot + 1 < candidate.size() &&
        candidate.find_first_not_of("0123456789", dot + 1) == std::string::npos && candidate.size() - dot <= 9) {
        base = candidate.substr(0, dot);
        suffix = "." + FormatInteger(ParseInteger(candidate.substr(dot + 1)) + 1);
    } else {
        suffix = "." + FormatInteger(running++);
    }
    if (base.size() + suffix.size() > kTextCharacters) base.resize(kTextCharacters - suffix.size());
    return base + suffix;
}

}  // namespace

std::string PresetStore::settingsPath(int number) const {
    return directory_.file("preset" + FormatInteger(number, 4) + ".prt");
}

std::string PresetStore::infoPath(int number) const {
    return directory_.file("preset" + FormatInteger(number, 4) + ".inf");
}

int PresetStore::loadPresetInfo(int number, PresetInfo& info) const {
    if (!directory_.valid || number < 0) return kPresetMissing;
    std::string infoText;
    if (!ReadWholeFile(infoPath(number), infoText)) return kPresetMissing;
    TokenReader reader(std::move(infoText));
    char first[kTokenSize];
    reader.readToken(first);
    // A deleted preset keeps only its marked information file: it is removed, not missing.
    if (std::strcmp(first, "removed") == 0) return kPresetRemoved;
    if (!IsValidName(first, kTextLimit)) {
        // A damaged information file: marked and deleted; the settings file is left where it is.
        WriteRemovalMark(infoPath(number));
        RemoveFile(infoPath(number));
        return kPresetRemoved;
    }
    if (!FileExists(settingsPath(number))) return kPresetMissing;
    info = DefaultPresetInfo(number);
    reader.rewind();
    while (ParseInfoLine(reader, info) != kInfoLineEnd) {}
    info.presetNumber = number;
    return kPresetFound;
}

void PresetStore::scan() {
    presets_.clear();
    if (directory_.valid) {
        std::set<int> numbers;
        std::error_code error;
        for (std::filesystem::directory_iterator it(directory_.path, error), end; !error && it != end;
             it.increment(error)) {
            const int number = numberOfFile(it->path().filename().string(), ".inf");
            if (number >= 0) numbers.insert(number);
        }
        for (int number : numbers) {
            PresetInfo info;
            if (loadPresetInfo(number, info) == kPresetFound) presets_[number] = info;
        }
    }
    rebuildShown();
    if (groups_.empty()) currentGroup_ = currentIndex_ = -1;
}

std::string PresetStore::groupKey(const PresetInfo& info) const {
    switch (sortMode_) {
        case kSortBank: return text(info.bankName, kInfoTextSize);
        case kSortAuthor: return text(info.authorName, kInfoTextSize);
        case kSortProject: return text(info.projectName, kInfoTextSize);
        case kSortActiveBands: return FormatInteger(info.activeBandCount, 2);
        default: return "All";
    }
}

void PresetStore::rebuildShown() {
    shown_.clear();
    for (const auto& [number, info] : presets_) {
        if (useFactory_ || info.factory != 1) shown_.push_back(info);
    }
    regroup();
}

void PresetStore::regroup() {
    std::sort(shown_.begin(), shown_.end(), [this](const PresetInfo& a, const PresetInfo& b) {
        const std::string ka = groupKey(a), kb = groupKey(b);
        if (ka != kb) return ka < kb;
        const int names = std::strncmp(a.presetName, b.presetName, kInfoTextSize);
        if (names != 0) return names < 0;
        return a.presetNumber < b.presetNumber;
    });
    groups_.clear();
    for (int i = 0; i < static_cast<int>(shown_.size()); ++i) {
        if (i == 0 || groupKey(shown_[i]) != groupKey(shown_[i - 1])) groups_.push_back({i, i, 0});
        groups_.back().last = i;
        ++groups_.back().size;
    }
    if (groups_.empty()) currentGroup_ = currentIndex_ = -1;
}

void PresetStore::refresh() {
    host_.showSelection(currentGroup_, currentIndex_);
    host_.clearChangeIndicators(true);
}

bool PresetStore::validPosition(int group, int index) const {
    return group >= 0 && group < static_cast<int>(groups_.size()) && index >= 0 && index < groups_[group].size;
}

const PresetInfo* PresetStore::listedPreset(int group, int index) const {
    return validPosition(group, index) ? &shown_[groups_[group].first + index] : nullptr;
}

int PresetStore::presetNumberAt(int group, int index) const {
    const PresetInfo* info = listedPreset(group, index);
    return info != nullptr ? info->presetNumber : -1;
}

int PresetStore::groupSize(int group) const {
    return group >= 0 && group < static_cast<int>(groups_.size()) ? groups_[group].size : 0;
}

std::string PresetStore::groupName(int group) const {
    if (group < 0 || group >= static_cast<int>(groups_.size())) return "-";
    return groupKey(shown_[groups_[group].first]);
}

void PresetStore::selectPreset(int number) {
    currentGroup_ = currentIndex_ = -1;
    for (int g = 0; g < static_cast<int>(groups_.size()); ++g) {
        for (int i = groups_[g].first; i <= groups_[g].last; ++i) {
            if (shown_[i].presetNumber == number) {
                currentGroup_ = g;
                currentIndex_ = i - groups_[g].first;
                return;
            }
        }
    }
}

bool PresetStore::bankNameExists(std::string_view name) const {
    for (const auto& [number, info] : presets_) {
        if (FieldText(info.bankName, kInfoTextSize) == name) return true;
    }
    return false;
}

bool PresetStore::isListedUserPreset(int number) const {
    const auto it = presets_.find(number);
    return it != presets_.end() && it->second.factory == 0;
}

bool PresetStore::filesInUse(int number) const {
    if (FileExists(settingsPath(number))) return true;
    std::string infoText;
    if (!ReadWholeFile(infoPath(number), infoText)) return false;
    TokenReader reader(std::move(infoText));
    char first[kTokenSize];
    reader.readToken(first);
    return std::strcmp(first, "removed") != 0;
}

int PresetStore::newPresetNumber() const { return newPresetNumber({}); }

int PresetStore::newPresetNumber(const std::set<int>& alsoTaken) const {
    std::set<int> taken = alsoTaken;
    for (const auto& [number, info] : presets_) {
        if (number >= kFirstUserPreset) taken.insert(number);
    }
    for (;;) {
        int candidate = -1;
        int previous = kFirstUserPreset - 1;
        for (int number : taken) {
            if (number != previous + 1 && number - 1 >= kFirstUserPreset) {
                candidate = number - 1;
                break;
            }
            previous = number;
        }
        if (candidate < 0) candidate = std::max(previous + 1, kFirstUserPreset);
        // Another instance may have written presets that this store has not listed yet.
        if (!directory_.valid || !filesInUse(candidate)) return candidate;
        taken.insert(candidate);
    }
}

bool PresetStore::writeInfoFile(PresetInfo& info) const {
    if (!directory_.valid) return false;
    std::string out;
    WritePresetInfo(out, info);
    if (!WriteFileReplacing(infoPath(info.presetNumber), out)) return false;
    host_.presetFilesChanged();
    return true;
}

bool PresetStore::writeSlotFiles(SettingsSlot& slot) const {
    if (!directory_.valid || slot.info.presetNumber < 0) return false;
    std::string out;
    WriteSettingsRecord(out, slot.settings);
    // The settings first: a preset whose information is written always has its settings.
    if (!WriteFileReplacing(settingsPath(slot.info.presetNumber), out)) return false;
    return writeInfoFile(slot.info);
}

int PresetStore::claimNewNumber(std::string_view settingsText) const {
    if (!directory_.valid) return -1;
    std::set<int> taken;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const int number = newPresetNumber(taken);
        switch (WriteNewFile(settingsPath(number), settingsText)) {
            case NewFileResult::Written: return number;
            case NewFileResult::Exists: taken.insert(number); break;
            case NewFileResult::Failed: return -1;
        }
    }
    return -1;
}

bool PresetStore::writeNewPreset(PresetInfo& info, std::string_view settingsText) {
    const int number = claimNewNumber(settingsText);
    if (number < 0) return false;
    info.presetNumber = number;
    info.factory = 0;
    if (!writeInfoFile(info)) {
        RemoveFile(settingsPath(number));
        return false;
    }
    addListed(info);
    return true;
}

void PresetStore::updateListed(const PresetInfo& info) {
    const auto it = presets_.find(info.presetNumber);
    if (it == presets_.end()) return;
    it->second = info;
    for (PresetInfo& listed : shown_) {
        if (listed.presetNumber == info.presetNumber) listed = info;
    }
}

void PresetStore::addListed(const PresetInfo& info) {
    presets_[info.presetNumber] = info;
    if (useFactory_ || info.factory != 1) {
        shown_.push_back(info);
    }
    regroup();
}

void PresetStore::finishImport() {
    regroup();
    selectPreset(host_.activeSlot().info.presetNumber);
    refresh();
}

int PresetStore::loadPreset(int number) {
    if (!directory_.valid || number < 0) return 1;
    PresetInfo info;
    if (loadPresetInfo(number, info) != kPresetFound) return 1;
    SettingsSlot& slot = host_.activeSlot();
    std::string settingsText;
    if (!ReadWholeFile(settingsPath(number), settingsText)) {
        host_.showFactoryIndicator(info.factory == 1);
        return 1;
    }
    slot.info = info;
    host_.applyChannelMode(info.channelMode);
    host_.resetToInitialSettings(slot, 1);
    host_.resetToInitialSettings(slot, 0);
    slot.channelSelector = 0.0f;
    slot.coupling = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    slot.modified = 0;
    slot.secondChange = 0;
    TokenReader reader(std::move(settingsText));
    ReadSettingsRecord(reader, slot.settings);
    host_.pushActiveSlot();
    host_.showFactoryIndicator(info.factory == 1);
    return 0;
}

int PresetStore::loadPresetAt(int group, int index) {
    int result = 1;
    if (validPosition(group, index)) {
        currentGroup_ = group;
        currentIndex_ = index;
        result = loadPreset(presetNumberAt(group, index));
    }
    host_.clearChangeIndicators(true);
    return result;
}

int PresetStore::loadListedPreset(int index) {
    int result = 1;
    if (validPosition(currentGroup_, index)) {
        currentIndex_ = index;
        result = loadPreset(presetNumberAt(currentGroup_, index));
    }
    host_.clearChangeIndicators(false);
    return result;
}

bool PresetStore::savePreset(bool asNew, bool reset) {
    if (!directory_.valid) return false;
    SettingsSlot& slot = host_.activeSlot();
    if (!asNew && !isListedUserPreset(slot.info.presetNumber)) return false;  // never over a factory preset
    const SettingsSlot before = slot;
    bool saved = false;
    if (asNew) {
        if (reset) {
            host_.resetToInitialSettings(slot, 1);
            host_.resetToInitialSettings(slot, 0);
        }
        std::string settingsText;
        WriteSettingsRecord(settingsText, slot.settings);
        const int number = claimNewNumber(settingsText);
        if (number >= 0) {
            slot.info.presetNumber = number;
            slot.info.factory = 0;
            slot.info.activeBandCount = ActiveBandCount(slot.settings);
            CopyText(slot.info.presetName, kInfoTextSize, "Preset" + FormatInteger(number - 500, 4));
            CopyText(slot.info.creationDate, kInfoDateSize, TodayText());
            saved = writeInfoFile(slot.info);
            if (!saved) RemoveFile(settingsPath(number));
        }
    } else {
        slot.info.activeBandCount = ActiveBandCount(slot.settings);
        saved = writeSlotFiles(slot);
    }
    if (!saved) {
        // The old files stay, and so do the slot and its change flags.
        slot = before;
        return false;
    }
    if (asNew) {
        addListed(slot.info);
        host_.showFactoryIndicator(false);
    } else {
        updateListed(slot.info);
        regroup();
    }
    selectPreset(slot.info.presetNumber);
    slot.modified = 0;
    slot.secondChange = 0;
    host_.clearChangeIndicators(false);
    if (reset) host_.pushActiveSlot();
    return true;
}

bool PresetStore::newPreset(bool reset) {
    saveAsNew_ = true;
    const bool saved = savePreset(true, reset);
    saveAsNew_ = false;
    selectPreset(host_.activeSlot().info.presetNumber);
    refresh();
    return saved;
}

bool PresetStore::saveActivePreset() {
    SettingsSlot& slot = host_.activeSlot();
    const int number = slot.info.presetNumber;
    if (isListedUserPreset(number) && slot.info.factory == 0) return savePreset(false, false);
    const auto listed = presets_.find(number);
    if (listed != presets_.end() && listed->second.factory == 1) {
        const std::string name = text(listed->second.presetName, kInfoTextSize);
        return newPreset(false) && renamePreset(name);
    }
    // Not linked to a listed preset (none, deleted, or unknown here): saved as a new preset.
    return newPreset(false);
}

bool PresetStore::newBank(bool reset) {
    if (sortMode_ != kSortBank || !directory_.valid) return false;
    int n = std::max(groupCount(), 0);
    std::string name = "Bank" + FormatInteger(n, 2);
    while (bankNameExists(name)) name = "Bank" + FormatInteger(++n, 2);
    CopyText(host_.activeSlot().info.bankName, kInfoTextSize, name);
    const bool saved = newPreset(reset);
    scan();
    selectPreset(host_.activeSlot().info.presetNumber);
    refresh();
    return saved;
}

void PresetStore::markDeleted(int number) const {
    if (!directory_.valid) return;
    WriteRemovalMark(infoPath(number));
    RemoveFile(settingsPath(number));
}

void PresetStore::deletePreset(int group, int index) {
    if (validPosition(group, index)) {
        const PresetInfo& info = *listedPreset(group, index);
        if (info.factory == 0) markDeleted(info.presetNumber);
        scan();
        loadPresetAt(group, 0);
    }
    host_.presetFilesChanged();
}

void PresetStore::deleteBank(int group) {
    if (group >= 0 && group < static_cast<int>(groups_.size())) {
        for (int i = groups_[group].first; i <= groups_[group].last; ++i) {
            if (shown_[i].factory == 0) markDeleted(shown_[i].presetNumber);
        }
        scan();
        if (loadPresetAt(0, 0) != 0 && presets_.empty()) host_.activeSlot().info.presetNumber = -1;
        refresh();
    }
    host_.presetFilesChanged();
}

bool PresetStore::renamePreset(std::string_view name) {
    SettingsSlot& slot = host_.activeSlot();
    const int own = slot.info.presetNumber;
    if (!directory_.valid || !isListedUserPreset(own) || !IsValidName(name, kTextCharacters)) return false;
    const std::string bank = text(slot.info.bankName, kInfoTextSize);
    std::string candidate(name);
    int running = 1;
    for (bool clash = true; clash;) {
        clash = false;
        for (const auto& [number, info] : presets_) {
            if (number == own || text(info.bankName, kInfoTextSize) != bank) continue;
            if (text(info.presetName, kInfoTextSize) == candidate) {
                candidate = nextCandidate(candidate, running);
                clash = true;
                break;
            }
        }
    }
    PresetInfo info = slot.info;
    CopyText(info.presetName, kInfoTextSize, candidate);
    if (!writeInfoFile(info)) return false;
    slot.info = info;
    updateListed(info);
    regroup();
    selectPreset(own);
    refresh();
    return true;
}

bool PresetStore::setInfoText(char (PresetInfo::*field)[kInfoTextSize], std::string_view value, bool userOnly,
                              int groupingMode) {
    SettingsSlot& slot = host_.activeSlot();
    if (!IsValidName(value, kTextCharacters)) return false;
    if (userOnly && slot.info.factory == 1) return false;
    PresetInfo info = slot.info;
    CopyText(info.*field, kInfoTextSize, value);
    if (presets_.count(info.presetNumber) != 0) {
        if (!writeInfoFile(info)) return false;
        updateListed(info);
    }
    slot.info = info;
    if (sortMode_ == groupingMode) regroup();
    selectPreset(info.presetNumber);
    refresh();
    return true;
}

bool PresetStore::setPresetBank(std::string_view name) { return setInfoText(&PresetInfo::bankName, name, false, kSortBank); }
bool PresetStore::setPresetAuthor(std::string_view name) {
    return setInfoText(&PresetInfo::authorName, name, true, kSortAuthor);
}
bool PresetStore::setPresetProject(std::string_view name) {
    return setInfoText(&PresetInfo::projectName, name, true, kSortProject);
}

bool PresetStore::renameBank(std::string_view name) {
    if (sortMode_ != kSortBank || !directory_.valid || !IsValidName(name, kTextCharacters)) return false;
    if (currentGroup_ < 0 || currentGroup_ >= static_cast<int>(groups_.size())) return false;
    SettingsSlot& slot = host_.activeSlot();
    const std::string bank = text(slot.info.bankName, kInfoTextSize);
    std::vector<int> numbers;
    for (int i = groups_[currentGroup_].first; i <= groups_[currentGroup_].last; ++i) {
        if (text(shown_[i].bankName, kInfoTextSize) == bank) numbers.push_back(shown_[i].presetNumber);
    }
    // Every information file is read before any is written, so that a failed write can put back
    // the ones written before it; the lists and the slot then stay as they were.
    std::vector<Renamed> renamed;
    for (int number : numbers) {
        Renamed r;
        if (loadPresetInfo(number, r.info) != kPresetFound || !ReadWholeFile(infoPath(number), r.before)) continue;
        CopyText(r.info.bankName, kInfoTextSize, name);
        renamed.push_back(std::move(r));
    }
    for (std::size_t i = 0; i < renamed.size(); ++i) {
        if (writeInfoFile(renamed[i].info)) continue;
        restoreInfoFiles(renamed, i);
        return false;
    }
    CopyText(slot.info.bankName, kInfoTextSize, name);
    scan();
    selectPreset(slot.info.presetNumber);
    refresh();
    return true;
}

bool PresetStore::copyBank(std::string_view name) {
    if (sortMode_ != kSortBank || !directory_.valid || !IsValidName(name, kTextCharacters)) return false;
    if (currentGroup_ < 0 || currentGroup_ >= static_cast<int>(groups_.size())) return false;
    std::vector<int> numbers;
    for (int i = groups_[currentGroup_].first; i <= groups_[currentGroup_].last; ++i) {
        numbers.push_back(shown_[i].presetNumber);
    }
    std::vector<int> copies;
    for (int number : numbers) {
        PresetInfo info;
        std::string settingsText;
        if (loadPresetInfo(number, info) != kPresetFound || !ReadWholeFile(settingsPath(number), settingsText)) continue;
        CopyText(info.bankName, kInfoTextSize, name);
        if (!writeNewPreset(info, settingsText)) {
            removeCopies(copies);
            return false;
        }
        copies.push_back(info.presetNumber);
    }
    CopyText(host_.activeSlot().info.bankName, kInfoTextSize, name);
    host_.presetFilesChanged();
    reload();
    return true;
}

void PresetStore::restoreInfoFiles(const std::vector<Renamed>& renamed, std::size_t written) {
    for (std::size_t i = 0; i < written; ++i)
        WriteFileReplacing(infoPath(renamed[i].info.presetNumber), renamed[i].before);
    if (written > 0) host_.presetFilesChanged();
}

void PresetStore::removeCopies(const std::vector<int>& copies) {
    for (int number : copies) {
        RemoveFile(infoPath(number));
        RemoveFile(settingsPath(number));
        removeListed(number);
    }
    // The same presets sort as before: the selection stands again.
    regroup();
    if (!copies.empty()) host_.presetFilesChanged();
}

void PresetStore::removeListed(int number) {
    presets_.erase(number);
    shown_.erase(std::remove_if(shown_.begin(), shown_.end(),
                                [number](const PresetInfo& info) { return info.presetNumber == number; }),
                 shown_.end());
}

void PresetStore::setSortMode(int mode) {
    if (mode < kSortBank || mode > kSortAll) return;
    sortMode_ = mode;
    regroup();
    selectPreset(host_.activeSlot().info.presetNumber);
    refresh();
}

void PresetStore::toggleUseFactory() {
    useFactory_ = !useFactory_;
    rebuildShown();
    if (!useFactory_ && host_.activeSlot().info.factory == 1) {
        loadPresetAt(0, 0);
    } else {
        selectPreset(host_.activeSlot().info.presetNumber);
    }
    refresh();
}

void PresetStore::relinkActiveSlot(bool saveUnknown) {
    if (!directory_.valid) return;
    SettingsSlot& slot = host_.activeSlot();
    const std::string name = text(slot.info.presetName, kInfoTextSize);
    const std::string bank = text(slot.info.bankName, kInfoTextSize);
    if (!IsValidName(name, kTextLimit) || !IsValidName(bank, kTextLimit)) return;
    for (const auto& [number, info] : presets_) {
        if (text(info.presetName, kInfoTextSize) == name && text(info.bankName, kInfoTextSize) == bank) {
            slot.info.presetNumber = number;
            slot.info.factory = info.factory;
            return;
        }
    }
    // A slot linked to no preset stays so. A preset that this store does not have (a project from
    // another machine) is saved as a new user preset and listed, so that the next new preset does not
    // take its number.
    if (slot.info.presetNumber < 0) return;
    if (!saveUnknown) {
        slot.info.presetNumber = -1;
        return;
    }
    saveAsNew_ = presets_.empty();
    slot.info.activeBandCount = ActiveBandCount(slot.settings);
    std::string settingsText;
    WriteSettingsRecord(settingsText, slot.settings);
    PresetInfo info = slot.info;
    slot.info.presetNumber = writeNewPreset(info, settingsText) ? info.presetNumber : -1;
    if (slot.info.presetNumber >= 0) slot.info = info;
    saveAsNew_ = false;
}

void PresetStore::reload() {
    scan();
    relinkActiveSlot(false);
    selectPreset(host_.activeSlot().info.presetNumber);
    refresh();
}
