#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "store_fixture.h"

TEST(PresetStore, EmptyDirectoryGivesEmptyStoreAndFirstUserPreset) {
    StoreFixture f;
    f.store.scan();
    EXPECT_EQ(f.store.groupCount(), -1);
    EXPECT_EQ(f.store.currentGroup(), -1);
    EXPECT_EQ(f.store.newPresetNumber(), 501);
    EXPECT_EQ(f.store.loadPresetAt(0, 0), 1);
    EXPECT_EQ(f.store.presetNumberAt(0, 0), -1);
    EXPECT_EQ(f.store.groupName(0), "-");
    ASSERT_TRUE(f.store.newPreset(false));
    EXPECT_EQ(f.effect.slot[0].info.presetNumber, 501);
    EXPECT_STREQ(f.effect.slot[0].info.presetName, "Preset0001");
    EXPECT_EQ(f.store.groupCount(), 1);
    EXPECT_EQ(f.effect.notices, 1);
    EXPECT_EQ(f.read(f.store.settingsPath(501)).size() > 0, true);
}

TEST(PresetStore, NumbersHolesAndDeletion) {
    StoreFixture f;
    for (int n : {0, 1, 501, 502, 505}) f.writePreset(n, "P" + std::to_string(n), n < 501 ? "Factory" : "Mine", n < 501);
    f.store.scan();
    EXPECT_EQ(f.store.count(), 5);
    EXPECT_EQ(f.store.newPresetNumber(), 504);

    // Delete 502 (bank "Mine" is group 1 after "Factory").
    ASSERT_EQ(f.store.groupName(1), "Mine");
    ASSERT_EQ(f.store.presetNumberAt(1, 1), 502);
    f.store.deletePreset(1, 1);
    EXPECT_EQ(f.read(f.store.infoPath(502)), "!removed#");
    EXPECT_FALSE(FileExists(f.store.settingsPath(502)));
    PresetInfo info;
    EXPECT_EQ(f.store.loadPresetInfo(502, info), kPresetRemoved);
    f.store.scan();
    EXPECT_EQ(f.store.count(), 4);
    EXPECT_EQ(f.store.presets().count(505), 1u);

    // Factory presets are never deleted; stale positions do nothing.
    f.store.deletePreset(0, 0);
    f.store.deletePreset(9, 0);
    f.store.deleteBank(-1);
    EXPECT_EQ(f.store.count(), 4);
    EXPECT_TRUE(FileExists(f.store.settingsPath(0)));

    // A preset written by another instance and not yet listed is never overwritten.
    f.writePreset(504, "Other", "Mine");
    EXPECT_EQ(f.store.newPresetNumber(), 503);
    f.writePreset(503, "Other2", "Mine");
    EXPECT_EQ(f.store.newPresetNumber(), 502);  // removed presets may be reused
}

TEST(PresetStore, DamagedInformationFileIsMarkedAndItsSettingsKept) {
    StoreFixture f;
    f.writePreset(501, "Good", "B");
    WriteFileReplacing(f.store.infoPath(501), "\x01\x02garbage");
    f.store.scan();
    EXPECT_EQ(f.store.count(), 0);
    EXPECT_FALSE(FileExists(f.store.infoPath(501)));
    EXPECT_TRUE(FileExists(f.store.settingsPath(501)));
    EXPECT_EQ(f.store.newPresetNumber(), 502);
}

TEST(PresetStore, LoadingResetsTheSlotAndReadsTheRecord) {
    StoreFixture f;
    f.writePreset(0, "Kick", "Factory", 1, 3);
    f.store.scan();
    f.effect.slot[0].channelSelector = 1.0f;
    f.effect.slot[0].modified = 1;
    ASSERT_EQ(f.store.loadPreset(0), 0);
    const SettingsSlot& slot = f.effect.slot[0];
    EXPECT_STREQ(slot.info.presetName, "Kick");
    EXPECT_EQ(slot.settings.band[2].on, 1.0f);
    EXPECT_EQ(slot.settings.band[3].on, 0.0f);
    EXPECT_STREQ(slot.settings.band[0].name, "Band 1");  // empty names keep the default
    EXPECT_STREQ(slot.settings.band[7].name, "Band Air");
    EXPECT_EQ(slot.channelSelector, 0.0f);
    EXPECT_EQ(slot.coupling.keepRelation, 1.0f);
    EXPECT_EQ(slot.modified, 0);
    EXPECT_EQ(f.effect.pushes, 1);
    EXPECT_EQ(f.store.loadPreset(77), 1);
}

TEST(PresetStore, RenamingMakesNamesUniqueWithinTheBank) {
    StoreFixture f;
    f.writePreset(501, "Lead", "Vox");
    f.writePreset(502, "Pad.2", "Vox");
    f.writePreset(503, "Lead.1", "Vox");
    f.writePreset(504, "Other", "Vox");
    f.writePreset(505, "Same", "Elsewhere");
    f.store.scan();
    ASSERT_EQ(f.store.loadPreset(504), 0);
    ASSERT_TRUE(f.store.renamePreset("Lead"));
    EXPECT_STREQ(f.effect.slot[0].info.presetName, "Lead.2");  // "Lead.1" exists too
    ASSERT_TRUE(f.store.renamePreset("Pad.2"));
    EXPECT_STREQ(f.effect.slot[0].info.presetName, "Pad.3");
    ASSERT_TRUE(f.store.renamePreset("Same"));  // another bank: no clash
    EXPECT_STREQ(f.effect.slot[0].info.presetName, "Same");
    ASSERT_TRUE(f.store.renamePreset("Same"));  // its own name: unchanged
    EXPECT_STREQ(f.effect.slot[0].info.presetName, "Same");
    f.writePreset(506, std::string(31, 'x'), "Vox");
    f.store.scan();
    ASSERT_TRUE(f.store.renamePreset(std::string(31, 'x')));
    EXPECT_EQ(std::string(f.effect.slot[0].info.presetName), std::string(29, 'x') + ".1");
    EXPECT_FALSE(f.store.renamePreset("bad#name"));
    f.store.scan();
    EXPECT_EQ(f.store.presets().at(504).presetName, std::string(29, 'x') + ".1");
}

TEST(PresetStore, FactoryPresetsAreProtected) {
    StoreFixture f;
    f.writePreset(0, "Kick", "Factory", 1);
    f.store.scan();
    ASSERT_EQ(f.store.loadPreset(0), 0);
    EXPECT_FALSE(f.store.renamePreset("New"));
    EXPECT_FALSE(f.store.setPresetAuthor("Someone"));
    EXPECT_FALSE(f.store.setPresetProject("Song"));
    EXPECT_FALSE(f.store.savePreset(false, false));
    // The save action makes a user preset that takes the factory preset's name.
    ASSERT_TRUE(f.store.saveActivePreset());
    EXPECT_EQ(f.effect.slot[0].info.presetNumber, 501);
    EXPECT_EQ(f.effect.slot[0].info.factory, 0);
    EXPECT_STREQ(f.effect.slot[0].info.presetName, "Kick.1");  // unique within the factory bank
    EXPECT_STREQ(f.effect.slot[0].info.bankName, "Factory");
    EXPECT_EQ(f.read(f.store.infoPath(0)).find("Kick") != std::string::npos, true);
    // Saved again: over itself.
    ASSERT_TRUE(f.store.saveActivePreset());
    EXPECT_EQ(f.store.count(), 2);
}

TEST(PresetStore, UnlinkedSlotsAreSavedAsNewAndFailedSavesKeepEverything) {
    StoreFixture f;
    f.writePreset(501, "Keep", "B");
    f.store.scan();
    f.effect.slot[0].info.presetNumber = -1;
    f.effect.slot[0].modified = 1;
    ASSERT_TRUE(f.store.saveActivePreset());
    EXPECT_EQ(f.effect.slot[0].info.presetNumber, 502);
    EXPECT_EQ(f.read(f.store.infoPath(501)).find("Keep") != std::string::npos, true);

    // The settings file cannot be written: old files, lists and flags stay.
    ASSERT_EQ(f.store.loadPreset(501), 0);
    const std::string before = f.read(f.store.infoPath(501));
    std::filesystem::remove(f.store.settingsPath(501));
    std::filesystem::create_directory(f.store.settingsPath(501));
    f.effect.slot[0].modified = 1;
    const int notices = f.effect.notices;
    EXPECT_FALSE(f.store.saveActivePreset());
    EXPECT_EQ(f.read(f.store.infoPath(501)), before);
    EXPECT_EQ(f.effect.slot[0].modified, 1);
    EXPECT_EQ(f.effect.notices, notices);
}

TEST(PresetStore, SortModesGroupTheShownList) {
    StoreFixture f;
    f.writePreset(0, "Zed", "Factory", 1, 2);
    f.writePreset(501, "Beta", "Mine", 0, 2);
    f.writePreset(502, "Alpha", "Mine", 0, 8);
    f.writePreset(503, "Gamma", "Apple", 0, 0);
    f.store.scan();
    EXPECT_EQ(f.store.groupCount(), 3);
    EXPECT_EQ(f.store.groupName(0), "Apple");
    EXPECT_EQ(f.store.groupName(2), "Mine");
    EXPECT_EQ(f.store.presetNumberAt(2, 0), 502);  // by name within the group

    f.store.setSortMode(kSortActiveBands);
    ASSERT_EQ(f.store.groupCount(), 3);
    EXPECT_EQ(f.store.groupName(0), "00");
    EXPECT_EQ(f.store.groupName(1), "02");
    EXPECT_EQ(f.store.groupSize(1), 2);
    EXPECT_EQ(f.store.groupName(2), "08");

    f.store.setSortMode(kSortAll);
    EXPECT_EQ(f.store.groupCount(), 1);
    EXPECT_EQ(f.store.groupName(0), "All");
    EXPECT_EQ(f.store.presetNumberAt(0, 0), 502);
    EXPECT_EQ(f.store.presetNumberAt(0, 4), -1);

    // "Use Factory" off: factory presets are hidden but still load by number.
    f.store.setSortMode(kSortBank);
    f.store.toggleUseFactory();
    EXPECT_EQ(f.store.groupCount(), 2);
    EXPECT_FALSE(f.store.bankNameExists("Nothing"));
    EXPECT_TRUE(f.store.bankNameExists("Factory"));
    EXPECT_EQ(f.store.loadPreset(0), 0);
    f.store.toggleUseFactory();
    EXPECT_EQ(f.store.groupCount(), 3);
}

TEST(PresetStore, RelinkFindsTheSamePresetOrSavesAndListsANewOne) {
    StoreFixture f;
    f.writePreset(501, "Lead", "Vox");
    f.store.scan();
    SettingsSlot& slot = f.effect.slot[0];
    CopyText(slot.info.presetName, kInfoTextSize, "Lead");
    CopyText(slot.info.bankName, kInfoTextSize, "Vox");
    slot.info.presetNumber = 9999;
    f.store.relinkActiveSlot();
    EXPECT_EQ(slot.info.presetNumber, 501);

    CopyText(slot.info.presetName, kInfoTextSize, "From Elsewhere");
    f.store.relinkActiveSlot();
    EXPECT_EQ(slot.info.presetNumber, 502);
    EXPECT_EQ(f.store.count(), 2);
    EXPECT_NE(f.store.newPresetNumber(), 502);
    f.store.scan();
    EXPECT_STREQ(f.store.presets().at(502).presetName, "From Elsewhere");
}

TEST(PresetStore, BankOperations) {
    StoreFixture f;
    f.writePreset(501, "One", "Drums");
    f.writePreset(502, "Two", "Drums");
    f.writePreset(503, "Three", "Keys");
    f.store.scan();
    ASSERT_EQ(f.store.loadPresetAt(0, 0), 0);
    ASSERT_TRUE(f.store.copyBank("Drums Copy"));
    EXPECT_EQ(f.store.count(), 5);
    EXPECT_TRUE(f.store.bankNameExists("Drums Copy"));
    EXPECT_EQ(f.store.presets().at(504).factory, 0);

    f.store.selectPreset(503);
    ASSERT_EQ(f.store.loadPresetAt(f.store.currentGroup(), 0), 0);
    ASSERT_TRUE(f.store.renameBank("Synths"));
    EXPECT_TRUE(f.store.bankNameExists("Synths"));
    EXPECT_FALSE(f.store.bankNameExists("Keys"));

    f.store.selectPreset(501);
    const int group = f.store.currentGroup();
    f.store.deleteBank(group);
    EXPECT_FALSE(f.store.bankNameExists("Drums"));
    EXPECT_EQ(f.store.count(), 3);

    ASSERT_TRUE(f.store.newBank(false));
    EXPECT_TRUE(f.store.bankNameExists(f.effect.slot[0].info.bankName));
    EXPECT_EQ(std::string(f.effect.slot[0].info.bankName).substr(0, 4), "Bank");
}

// A save that fails puts the slot back as it was: its settings, its information (the active band
// count that a save over the preset recounts; the number, name and date a new preset takes) and
// its change flag. A new preset whose information cannot be written leaves no settings file.
TEST(PresetStore, FailedSavesPutTheSlotBack) {
    StoreFixture f;
    f.writePreset(501, "Keep", "B");
    f.store.scan();
    ASSERT_EQ(f.store.loadPreset(501), 0);
    SettingsSlot& slot = f.effect.slot[0];
    slot.settings.band[kBandB3].on = 1.0f;  // one band more than the listed count
    slot.modified = 1;
    const SettingsSlot over = slot;
    StoreFixture::blockWith(f.store.settingsPath(501));
    EXPECT_FALSE(f.store.saveActivePreset());
    EXPECT_EQ(std::memcmp(&slot, &over, sizeof slot), 0);
    EXPECT_EQ(slot.info.activeBandCount, 0);

    // As new with a reset: the settings file is claimed, its information cannot follow.
    const int next = f.store.newPresetNumber();
    StoreFixture::blockWith(f.store.infoPath(next));
    const auto files = f.files();
    EXPECT_FALSE(f.store.newPreset(true));
    EXPECT_EQ(std::memcmp(&slot, &over, sizeof slot), 0);
    EXPECT_EQ(slot.info.presetNumber, 501);
    EXPECT_EQ(f.files(), files);
    EXPECT_EQ(f.store.count(), 1);
}

namespace {

// Three presets, two of them in bank "Drums", the first of those loaded.
struct BankFixture : StoreFixture {
    BankFixture() {
        writePreset(501, "One", "Drums");
        writePreset(502, "Two", "Drums");
        writePreset(503, "Three", "Keys");
        store.scan();
        EXPECT_EQ(store.loadPresetAt(0, 0), 0);
    }

    // After the first notice (the first file written), `path` is blocked.
    void blockAfterFirstWrite(const std::string& path) {
        blocked = path;
        effect.onFilesChanged = [this] {
            if (!blocked.empty()) blockWith(blocked);
            blocked.clear();
        };
    }
    std::string blocked;

    // What must not change when a bank operation fails.
    void expectUnchanged(const std::string& newName) const {
        EXPECT_EQ(store.count(), 3);
        EXPECT_EQ(store.groupCount(), 2);
        EXPECT_EQ(store.groupName(0), "Drums");
        EXPECT_EQ(store.groupSize(0), 2);
        EXPECT_FALSE(store.bankNameExists(newName));
        EXPECT_EQ(store.currentGroup(), 0);
        EXPECT_EQ(store.currentIndex(), 0);
        EXPECT_STREQ(effect.slot[0].info.bankName, "Drums");
        EXPECT_EQ(effect.slot[0].info.presetNumber, 501);
    }
};

}  // namespace

// A bank rename whose second information file cannot be written reports it and puts the first
// back as it was.
TEST(PresetStore, FailedBankRenameReportsItAndPutsTheWrittenFilesBack) {
    BankFixture f;
    const std::string first = f.read(f.store.infoPath(501));
    f.blockAfterFirstWrite(f.store.infoPath(502));
    EXPECT_FALSE(f.store.renameBank("Synths"));
    EXPECT_EQ(f.read(f.store.infoPath(501)), first);
    f.expectUnchanged("Synths");
    f.store.scan();
    EXPECT_FALSE(f.store.bankNameExists("Synths"));
}

// A bank copy whose second preset cannot be written reports it and removes the copies made so far,
// from the directory and the lists.
TEST(PresetStore, FailedBankCopyReportsItAndRemovesItsCopies) {
    BankFixture f;
    const int second = f.store.newPresetNumber() + 1;  // the first copy takes the number before it
    auto files = f.files();
    files.insert(std::filesystem::path(f.store.infoPath(second)).filename().string());  // the block
    f.blockAfterFirstWrite(f.store.infoPath(second));
    EXPECT_FALSE(f.store.copyBank("Drums Copy"));
    EXPECT_EQ(f.files(), files);
    f.expectUnchanged("Drums Copy");
    f.store.scan();
    EXPECT_EQ(f.store.count(), 3);
}
