// What the editor's preset and bank menus, dialogs and options entries ask of the preset store.
// User-interface thread.
#include <cstring>
#include <string_view>

#include "effect/dravel.h"
#include "effect/parameter_tables.h"
#include "effect/relaxed.h"
#include "presets/bank_transfer.h"
#include "presets/options_file.h"
#include "presets/record_format.h"

using namespace param;

namespace {
constexpr const char* kNoText = "-";

std::string_view bounded(const char* text) {
    // Names and paths the editor hands over are terminated within this; a longer text is cut here and
    // refused by the store's name rules.
    constexpr std::size_t kLongestText = 4096;
    return text != nullptr ? std::string_view(text, strnlen(text, kLongestText)) : std::string_view{};
}
}  // namespace

bool CDravel::factoryBankInUse() { return store_ && store_->useFactory(); }

bool CDravel::currentBankReadOnly() {
    if (!store_ || store_->sortMode() != kSortBank) return true;
    const int bank = store_->currentGroup();
    for (int i = 0; i < store_->groupSize(bank); ++i) {
        const PresetInfo* info = store_->listedPreset(bank, i);
        if (info != nullptr && info->factory == 0) return false;
    }
    return true;
}

int CDravel::currentBankIndex() { return store_ ? store_->currentGroup() : -1; }

int CDravel::currentPresetIndex() { return store_ ? store_->currentIndex() : -1; }

int CDravel::bankCount() { return store_ ? std::max(store_->groupCount(), 0) : 0; }

int CDravel::presetCount(int bank) { return store_ ? store_->groupSize(bank) : 0; }

std::string CDravel::bankLabel(int bank) { return store_ ? store_->groupName(bank) : kNoText; }

std::string CDravel::presetName(int bank, int preset) {
    const PresetInfo* info = store_ ? store_->listedPreset(bank, preset) : nullptr;
    return info != nullptr ? std::string(FieldText(info->presetName, kInfoTextSize)) : kNoText;
}

int CDravel::presetNumber(int bank, int preset) { return store_ ? store_->presetNumberAt(bank, preset) : -1; }

std::string CDravel::currentBankName() {
    return std::string(FieldText(activeSlot().info.bankName, kInfoTextSize));
}

bool CDravel::newPreset(bool initSettings) { return store_ && store_->newPreset(initSettings); }

bool CDravel::newBank(bool initSettings) { return store_ && store_->newBank(initSettings); }

bool CDravel::findPreset(int number, int& bank, int& preset) const {
    if (!store_ || number < 0) return false;
    for (bank = 0; bank < store_->groupCount(); ++bank)
        for (preset = 0; preset < store_->groupSize(bank); ++preset)
            if (store_->presetNumberAt(bank, preset) == number) return true;
    return false;
}

bool CDravel::loadPresetNumber(int number) {
    int bank = 0, preset = 0;
    return findPreset(number, bank, preset) && store_->loadPresetAt(bank, preset) == 0;
}

bool CDravel::deletePresetNumber(int number) {
    int bank = 0, preset = 0;
    if (!findPreset(number, bank, preset) || store_->listedPreset(bank, preset)->factory != 0) return false;
    store_->deletePreset(bank, preset);
    return true;
}

bool CDravel::deleteBankNamed(const char* name) {
    if (!store_ || store_->sortMode() != kSortBank) return false;
    const std::string_view wanted = bounded(name);
    for (int bank = 0; bank < store_->groupCount(); ++bank) {
        if (store_->groupName(bank) != wanted) continue;
        store_->deleteBank(bank);
        return true;
    }
    return false;
}

void CDravel::sortBanks(int criterion) {
    if (store_ && criterion >= kSortBank && criterion <= kSortAll) store_->setSortMode(criterion);
}

void CDravel::toggleFactoryBank() {
    if (store_) store_->toggleUseFactory();
}

bool CDravel::bankExists(const char* name) { return store_ && store_->bankNameExists(bounded(name)); }

bool CDravel::duplicateBank(const char* name) { return store_ && store_->copyBank(bounded(name)); }

bool CDravel::renameBank(const char* name) { return store_ && store_->renameBank(bounded(name)); }

bool CDravel::movePresetToBank(const char* name) { return store_ && store_->setPresetBank(bounded(name)); }

bool CDravel::renamePreset(const char* name) { return store_ && store_->renamePreset(bounded(name)); }

bool CDravel::setAuthorName(const char* name) { return store_ && store_->setPresetAuthor(bounded(name)); }

bool CDravel::setProjectName(const char* name) { return store_ && store_->setPresetProject(bounded(name)); }

int CDravel::importBank(const char* path) {
    const std::string_view p = bounded(path);
    return store_ && !p.empty() ? ImportBank(*store_, std::string(p)) : -1;
}

bool CDravel::exportBank(const char* path) {
    const std::string_view p = bounded(path);
    return store_ && !p.empty() && !currentBankReadOnly() && ExportBank(*store_, std::string(p));
}

bool CDravel::saveOptions() { return state_ && SaveOptionsFile(directory_, state_->options); }

bool CDravel::readOptions() {
    if (!state_) return false;
    EffectOptions read = state_->options;
    if (!ReadOptionsFile(directory_, read)) return false;
    // Field by field: the audio thread reads some of them as it runs.
    static_assert(sizeof(EffectOptions) % sizeof(float) == 0);
    float* to = reinterpret_cast<float*>(&state_->options);
    const float* from = reinterpret_cast<const float*>(&read);
    for (std::size_t i = 0; i < sizeof(EffectOptions) / sizeof(float); ++i) storeRelaxed(to[i], from[i]);
    for (int index = kOptDspSave; index <= kOptGainDropAlt; ++index) recomputeEngineFor(index, editedChannel());
    return true;
}

void CDravel::setMidSideCoding(bool on) {
    if (!state_) return;
    SettingsSlot& slot = activeSlot();
    if (on)
        storeRelaxed(slot.info.channelMode, int32_t{kChannelModeMidSide});
    else if (loadRelaxed(slot.info.channelMode) == kChannelModeMidSide)
        storeRelaxed(slot.info.channelMode, int32_t{kChannelModeLinked});
    recomputeSeparateChannels();
    refreshMidSide();
}
