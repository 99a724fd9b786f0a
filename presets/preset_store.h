// The preset and bank store: the presets of the preset directory, listed, grouped and sorted, and
// every operation that loads, saves, renames, moves, copies or deletes them.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "effect/effect_state.h"
#include "presets/install_directory.h"

constexpr int kFirstUserPreset = 501;

enum SortMode : int { kSortBank = 0, kSortAuthor, kSortProject, kSortActiveBands, kSortAll };

// Results of LoadPresetInfo.
constexpr int kPresetFound = 0;
constexpr int kPresetMissing = 1;
constexpr int kPresetRemoved = 2;

// What the store needs from the effect that owns it.
class PresetStoreHost {
public:
    virtual ~PresetStoreHost() = default;
    virtual SettingsSlot& activeSlot() = 0;
    // Resets one channel of slot to the initial settings (names, flags, values).
    virtual void resetToInitialSettings(SettingsSlot& slot, int channel) = 0;
    // Pushes the active slot to the engine and the editor (program number -1, then program 0).
    virtual void pushActiveSlot() = 0;
    virtual void applyChannelMode(int /*mode*/) {}
    // Called after preset files were written or removed: tells the other instances.
    virtual void presetFilesChanged() {}
    virtual void showFactoryIndicator(bool /*factory*/) {}
    // The editor shows the current group and index and clears its preset-change indicators.
    virtual void showSelection(int /*group*/, int /*index*/) {}
    virtual void clearChangeIndicators(bool /*all*/) {}
};

struct PresetGroup {
    int first;
    int last;
    int size;
};

class PresetStore {
public:
    PresetStore(PresetStoreHost& host, PresetDirectory directory) : host_(host), directory_(std::move(directory)) {}

    const PresetDirectory& directory() const { return directory_; }
    std::string settingsPath(int number) const;
    std::string infoPath(int number) const;

    // Rebuilds the store from the directory (every information file listed in it).
    void scan();
    int loadPresetInfo(int number, PresetInfo& info) const;

    int loadPreset(int number);             // 0 loaded, 1 failure
    int loadPresetAt(int group, int index);
    int loadListedPreset(int index);
    bool savePreset(bool asNew, bool reset);
    bool saveActivePreset();
    bool newPreset(bool reset);
    bool newBank(bool reset);
    void deletePreset(int group, int index);
    void deleteBank(int group);
    bool renamePreset(std::string_view name);
    bool setPresetBank(std::string_view name);
    bool setPresetAuthor(std::string_view name);
    bool setPresetProject(std::string_view name);
    bool renameBank(std::string_view name);
    bool copyBank(std::string_view name);
    void setSortMode(int mode);
    void toggleUseFactory();
    // Links the active slot to the listed preset of the same name and bank. After a chunk
    // (saveUnknown), a preset that the store does not have is saved as a new user preset; after a
    // reload it was deleted or renamed by another instance, and the slot becomes unlinked.
    void relinkActiveSlot(bool saveUnknown = true);
    void reload();

    bool bankNameExists(std::string_view name) const;
    int groupSize(int group) const;
    std::string groupName(int group) const;
    const PresetInfo* listedPreset(int group, int index) const;
    int presetNumberAt(int group, int index) const;
    void selectPreset(int number);
    int newPresetNumber() const;
    int newPresetNumber(const std::set<int>& alsoTaken) const;

    int groupCount() const { return groups_.empty() ? -1 : static_cast<int>(groups_.size()); }
    int currentGroup() const { return currentGroup_; }
    int currentIndex() const { return currentIndex_; }
    int sortMode() const { return sortMode_; }
    bool useFactory() const { return useFactory_; }
    int count() const { return static_cast<int>(presets_.size()); }
    const std::map<int, PresetInfo>& presets() const { return presets_; }
    const std::vector<PresetInfo>& shown() const { return shown_; }
    bool isListedUserPreset(int number) const;
    int activeFactoryFlag() { return host_.activeSlot().info.factory; }
    int activeChannelMode() { return host_.activeSlot().info.channelMode; }

    // Writes a new preset (settings first, under a freshly claimed number, then its information with
    // number, factory flag 0 and today's modification date) and lists it. False on failure.
    bool writeNewPreset(PresetInfo& info, std::string_view settingsText);
    // For bank import: adds a written preset to the lists, and regroups and shows the result.
    void addListed(const PresetInfo& info);
    void finishImport();
    PresetStoreHost& host() { return host_; }

private:
    void rebuildShown();
    void regroup();
    void refresh();
    std::string groupKey(const PresetInfo& info) const;
    bool validPosition(int group, int index) const;
    bool writeInfoFile(PresetInfo& info) const;
    bool writeSlotFiles(SettingsSlot& slot) const;
    // Writes the settings of a new preset under a number that no other instance holds; -1 on failure.
    int claimNewNumber(std::string_view settingsText) const;
    void updateListed(const PresetInfo& info);
    void removeListed(int number);
    // A bank rename's information files, renamed and as they were on disk.
    struct Renamed {
        PresetInfo info;
        std::string before;
    };
    // Puts back the first `written` files after a failed write.
    void restoreInfoFiles(const std::vector<Renamed>& renamed, std::size_t written);
    // Removes a failed bank copy's presets from the directory and the lists.
    void removeCopies(const std::vector<int>& copies);
    void markDeleted(int number) const;
    bool setInfoText(char (PresetInfo::*field)[kInfoTextSize], std::string_view text, bool userOnly,
                     int groupingMode);
    bool filesInUse(int number) const;

    PresetStoreHost& host_;
    PresetDirectory directory_;
    std::map<int, PresetInfo> presets_;
    std::vector<PresetInfo> shown_;
    std::vector<PresetGroup> groups_;
    int currentGroup_ = -1;
    int currentIndex_ = -1;
    int sortMode_ = kSortBank;
    bool useFactory_ = true;
    bool saveAsNew_ = false;
};
