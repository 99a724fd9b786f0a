#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "presets/bank_transfer.h"
#include "store_fixture.h"

namespace {

std::string exportThree(StoreFixture& source) {
    source.writePreset(0, "Factory Kick", "Drums", 1, 2);
    source.writePreset(501, "Snare Crack", "Drums", 0, 3);
    source.writePreset(502, "Tom Body", "Drums", 0, 1);
    source.store.scan();
    source.store.selectPreset(501);
    const std::string path = source.dir.path() + "drums.tovin";
    EXPECT_TRUE(ExportBank(source.store, path));
    return path;
}

}  // namespace

TEST(BankTransfer, ExportWrapsThePresetFilesUnchanged) {
    StoreFixture source;
    const std::string path = exportThree(source);
    const std::string text = source.read(path);
    EXPECT_EQ(text.rfind("!TYPE_EXPORT#Tovin#\n!VERSION#1.34#\n!DEBUT_INFORMATION#\n", 0), 0u);
    const std::string firstBlock = "!DEBUT_INFORMATION#\n" + source.read(source.store.infoPath(0)) +
                                   "!FIN_INFORMATION#\n!DEBUT_PRESET#\n" + source.read(source.store.settingsPath(0)) +
                                   "!FIN_PRESET#\n";
    EXPECT_NE(text.find(firstBlock), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 13), "!FIN_PRESET#\n");

    // A file without a final line end still ends before the next marker.
    std::string settings = source.read(source.store.settingsPath(501));
    settings.pop_back();
    WriteFileReplacing(source.store.settingsPath(501), settings);
    ASSERT_TRUE(ExportBank(source.store, path));
    EXPECT_NE(source.read(path).find(settings + "\n!FIN_PRESET#\n"), std::string::npos);

    // Presets whose files cannot be read are left out; other sort modes export nothing.
    RemoveFile(source.store.settingsPath(502));
    ASSERT_TRUE(ExportBank(source.store, path));
    EXPECT_EQ(source.read(path).find("Tom Body"), std::string::npos);
    source.store.setSortMode(kSortAuthor);
    EXPECT_FALSE(ExportBank(source.store, source.dir.path() + "none.tovin"));
}

TEST(BankTransfer, ImportIntoAnEmptyStoreAndAgain) {
    StoreFixture source;
    const std::string path = exportThree(source);
    StoreFixture target;
    target.store.scan();
    ASSERT_EQ(ImportBank(target.store, path), 3);
    ASSERT_EQ(target.store.count(), 3);
    for (int number : {501, 502, 503}) {
        const PresetInfo& info = target.store.presets().at(number);
        EXPECT_STREQ(info.bankName, "Drums");
        EXPECT_EQ(info.factory, 0);
        EXPECT_EQ(std::string(info.modificationDate), TodayText());
    }
    std::set<std::string> names;
    for (const auto& [n, info] : target.store.presets()) names.insert(info.presetName);
    EXPECT_EQ(names, (std::set<std::string>{"Factory Kick", "Snare Crack", "Tom Body"}));
    // Settings arrive unchanged.
    const PresetInfo& snare = *std::find_if(target.store.shown().begin(), target.store.shown().end(),
                                            [](const PresetInfo& i) { return std::string(i.presetName) == "Snare Crack"; });
    EXPECT_EQ(target.read(target.store.settingsPath(snare.presetNumber)), source.read(source.store.settingsPath(501)));
    EXPECT_EQ(target.store.loadPreset(snare.presetNumber), 0);
    EXPECT_EQ(target.effect.slot[0].settings.band[2].on, 1.0f);

    ASSERT_EQ(ImportBank(target.store, path), 3);
    EXPECT_TRUE(target.store.bankNameExists("Drums1"));
    ASSERT_EQ(ImportBank(target.store, path), 3);
    EXPECT_TRUE(target.store.bankNameExists("Drums2"));
    EXPECT_EQ(target.store.count(), 9);
    target.store.scan();
    EXPECT_EQ(target.store.count(), 9);
}

TEST(BankTransfer, RefusesForeignFilesAndStopsAtTruncation) {
    StoreFixture source;
    const std::string path = exportThree(source);
    const std::string text = source.read(path);
    StoreFixture target;
    target.store.scan();
    const std::string bad = target.dir.path() + "bad.tovin";

    WriteFileReplacing(bad, "!VERSION#1.34#\n" + text);
    EXPECT_EQ(ImportBank(target.store, bad), -1);
    WriteFileReplacing(bad, "!TYPE_EXPORT#Tovin2#\n!VERSION#1.34#\n");
    EXPECT_EQ(ImportBank(target.store, bad), -1);
    EXPECT_EQ(ImportBank(target.store, target.dir.path() + "missing.tovin"), -1);

    // Cut inside the second preset's settings: one preset imported, no endless loop, nothing partial.
    const std::size_t second = text.find("!DEBUT_PRESET#", text.find("!DEBUT_PRESET#") + 1);
    WriteFileReplacing(bad, text.substr(0, second + 200));
    EXPECT_EQ(ImportBank(target.store, bad), 1);
    EXPECT_EQ(target.store.count(), 1);
    EXPECT_FALSE(FileExists(target.store.settingsPath(502)));

    // A missing "DEBUT_PRESET" marker stops the import there.
    std::string shifted = text;
    shifted.erase(shifted.find("!DEBUT_PRESET#\n"), 15);
    WriteFileReplacing(bad, shifted);
    EXPECT_EQ(ImportBank(target.store, bad), 0);
    EXPECT_EQ(target.store.count(), 1);
}

TEST(BankTransfer, EmptyBandNamesSurviveExportAndImport) {
    StoreFixture source;
    source.writePreset(501, "Plain", "Names");
    SettingsRecord record = BuiltInInitialSettings();
    CopyText(record.band[kBandB2].name, kBandNameSize, "Body");
    record.band[kBandB2].on = 1.0f;  // every other name empty, the air name last
    std::string settings;
    WriteSettingsRecord(settings, record);
    WriteFileReplacing(source.store.settingsPath(501), settings);
    source.writePreset(502, "Second", "Names");
    source.store.scan();
    source.store.selectPreset(501);
    const std::string path = source.dir.path() + "names.tovin";
    ASSERT_TRUE(ExportBank(source.store, path));

    StoreFixture target;
    target.store.scan();
    ASSERT_EQ(ImportBank(target.store, path), 2);
    ASSERT_EQ(target.store.loadPreset(501), 0);
    EXPECT_STREQ(target.effect.slot[0].settings.band[kBandB2].name, "Body");
    EXPECT_STREQ(target.effect.slot[0].settings.band[kBandB1].name, "Band 2");
    EXPECT_EQ(target.effect.slot[0].settings.band[kBandB2].on, 1.0f);
    EXPECT_STREQ(target.store.presets().at(502).presetName, "Second");
}
