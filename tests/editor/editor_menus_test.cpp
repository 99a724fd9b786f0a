// The options, preset and bank menus and the store's dialogs, driven through the menus a user opens:
// entries and check marks, options, snapping, channel settings, presets and banks on disk, bank files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "editor/editor_tags.h"
#include "editor/file_dialog.h"
#include "editor/own_controls.h"
#include "editor_harness.h"
#include "effect/parameter_mapping.h"
#include "effect/parameter_tables.h"

using namespace VSTGUI;
using Panel = DravelEdit::PanelId;
namespace fs = std::filesystem;

// Windows takes the installation directory from the registry, which the tests leave alone: there the
// store is empty and only the tests of the options run (the menus' code is the same).
#if defined(_WIN32)
#define REQUIRE_PRESET_STORE() GTEST_SKIP() << "no installation directory under the test registry"
#else
#define REQUIRE_PRESET_STORE() (void)0
#endif

namespace {
const MenuItem* findItem(const std::vector<MenuItem>& items, const std::vector<std::string>& path, std::size_t depth = 0) {
    for (const MenuItem& item : items) {
        if (item.title != path[depth]) continue;
        if (depth + 1 == path.size()) return &item;
        return findItem(item.submenu, path, depth + 1);
    }
    return nullptr;
}

std::vector<std::string> titles(const std::vector<MenuItem>& items) {
    std::vector<std::string> out;
    for (const MenuItem& item : items) out.push_back(item.title);
    return out;
}

// Every preset file of a directory by name, with its bytes.
std::map<std::string, std::string> filesIn(const std::string& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".prt" && extension != ".inf") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}
}  // namespace

class MenusTest : public EditorTest {
protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(TOVIN_FACTORY_DIR))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), directory.path() + entry.path().filename().string());
        EditorTest::SetUp();
        ASSERT_TRUE(open());
        idle();  // the preset and bank menus are built at the first idle
    }
    void TearDown() override {
        file_dialog::setDialogForTests(nullptr);
        EditorTest::TearDown();
    }

    bool onScreen(const CView* view) const {
        for (const CView* v = view; v != nullptr; v = v->getParentView())
            if (v == frame()) return true;
        return false;
    }
    // The items the menu button `tag` shows now.
    std::vector<MenuItem> itemsOf(int tag) {
        idle();
        windows.last->scriptMenuChoice(-1);
        click(tag, kLButton);
        return windows.last->lastMenu();
    }
    // Opens the menu and chooses the entry at `path` (titles from the top); false when it is not there.
    bool choose(int tag, const std::vector<std::string>& path) {
        const std::vector<MenuItem> items = itemsOf(tag);
        const MenuItem* item = findItem(items, path);
        if (item == nullptr || !item->enabled) return false;
        windows.last->scriptMenuChoice(item->command);
        click(tag, kLButton);
        idle();
        return true;
    }
    void pressButton(int tag) {
        for (CReceptionMiseAJourComposant* r : editor->guiInterface()->receivers(tag)) {
            auto* kick = dynamic_cast<CKick*>(r);
            if (kick == nullptr || !onScreen(kick)) continue;
            const CRect at = kick->frameRect();
            const CPoint p{(at.left + at.right) / 2, (at.top + at.bottom) / 2};
            press(p, kLButton);
            release(p);
            idle();
            return;
        }
        ADD_FAILURE() << "no button " << tag << " on screen";
    }
    void type(int tag, const std::string& text) {
        for (CReceptionMiseAJourComposant* r : editor->guiInterface()->receivers(tag)) {
            auto* field = dynamic_cast<CEditTexte*>(r);
            if (field == nullptr || !onScreen(field)) continue;
            windows.last->scriptTypedText(text);
            const CRect at = field->frameRect();
            const CPoint p{(at.left + at.right) / 2, (at.top + at.bottom) / 2};
            press(p, kLButton);
            release(p);
            idle();
            return;
        }
        ADD_FAILURE() << "no field " << tag << " on screen";
    }
    int presetsNamed(const std::string& name) const {
        int n = 0;
        for (int b = 0; b < handle->effect->bankCount(); ++b)
            for (int i = 0; i < handle->effect->presetCount(b); ++i) n += handle->effect->presetName(b, i) == name ? 1 : 0;
        return n;
    }
    float option(int index) const { return handle->effect->getParameter(index); }
    std::string text(int index) const { return handle->effect->displayText(index); }
    int openDialogs() const {
        int n = 0;
        for (Panel p : {Panel::DiscardLR, Panel::DiscardMS, Panel::CreateNew, Panel::BankExists, Panel::Bank,
                        Panel::Preset, Panel::DeletePreset, Panel::DeleteBank})
            n += editor->isPanelShown(p) ? 1 : 0;
        return n;
    }
};

TEST_F(MenusTest, TheOptionsMenuListsEveryEntryInOrderWithItsCheckMarks) {
    const std::vector<MenuItem> items = itemsOf(editor_tag::kOptionsMenu);
    EXPECT_EQ(titles(items), (std::vector<std::string>{"Misc", "Display", "L/R Settings", "M/S Settings", "Snap", "-",
                                                        "Options Saved in Host project", "-", "Read Options", "-",
                                                        "Save Options"}));
    EXPECT_EQ(titles(items[1].submenu),
              (std::vector<std::string>{"Value Display", "Name Display", "-", "Frequency as notes", "Q-factor as octaves",
                                        "-", "Show Clip Indicator", "Hold Clip Indicator", "-", "Wheel Incr : 0.01",
                                        "Wheel Incr : 0.05", "Wheel Incr : 0.1", "-", "Alt feature :  No gain drop",
                                        "Alt feature : - 6 dB gain drop", "Alt feature : -15 dB gain drop"}));
    EXPECT_EQ(items[0].submenu.size(), 15u);
    EXPECT_EQ(items[0].submenu.back().title, "Tovin About");
    EXPECT_EQ(items[4].submenu.size(), 16u);
    // Refreshed: the switch entry's refreshed text.
    EXPECT_EQ(items[2].submenu[3].title, "Switch L/R Settings");
    EXPECT_EQ(items[3].submenu[3].title, "Switch M/S Settings");

    // Toggles and choices: set through the menu, checked accordingly.
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Display", "Value Display"}));
    EXPECT_EQ(option(param::kOptDisplayVal), 1.0f);
    EXPECT_TRUE(editor->isPanelShown(Panel::FrequencyRow));
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Display", "Wheel Incr : 0.1"}));
    EXPECT_EQ(option(param::kOptIncrWheel), 2.0f);
    const std::vector<MenuItem> after = itemsOf(editor_tag::kOptionsMenu);
    EXPECT_TRUE(findItem(after, {"Display", "Value Display"})->checked);
    EXPECT_TRUE(findItem(after, {"Display", "Wheel Incr : 0.1"})->checked);
    EXPECT_FALSE(findItem(after, {"Display", "Wheel Incr : 0.01"})->checked);
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Display", "Value Display"}));
    EXPECT_EQ(option(param::kOptDisplayVal), 0.0f);
    EXPECT_FALSE(editor->isPanelShown(Panel::FrequencyRow));
}

TEST_F(MenusTest, SnapEntriesSetTheGridsThatTheKnobsAndFieldsThenUse) {
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Snap", "All Snap Coarse"}));
    for (int o : {param::kOptSnapFreq, param::kOptSnapRes, param::kOptSnapGain}) EXPECT_EQ(option(o), 1.0f);
    EXPECT_TRUE(findItem(itemsOf(editor_tag::kOptionsMenu), {"Snap", "All Snap Coarse"})->checked);
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Display", "Value Display"}));
    type(param::kB2Gain, "7.9");
    EXPECT_NEAR(param::toPhysical(param::kB2Gain, 0.0f, option(param::kB2Gain)), 6.0f, 0.01f);
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Snap", "Frequency Snap Fine"}));
    type(param::kB2Freq, "1234");
    EXPECT_NEAR(param::toPhysical(param::kB2Freq, 0.0f, option(param::kB2Freq)), 1150.0f, 0.5f);
    type(param::kB2Freq, "1149.995");
    EXPECT_NEAR(param::toPhysical(param::kB2Freq, 0.0f, option(param::kB2Freq)), 1150.0f, 0.5f);
}

TEST_F(MenusTest, ChannelSettingsShowDiscardAndGreyTheOtherMode) {
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"L/R Settings", "Show L/R Settings"}));
    EXPECT_TRUE(editor->isPanelShown(Panel::Side));
    EXPECT_TRUE(editor->sidePanelLeftRight());
    EXPECT_EQ(option(param::kCoupleLinked), 0.0f);
    EXPECT_EQ(option(param::kCoupleKeep), 1.0f);
    // Mid/side cannot start while left/right is on: its entries are grey.
    const std::vector<MenuItem> items = itemsOf(editor_tag::kOptionsMenu);
    const MenuItem* show = findItem(items, {"M/S Settings", "Show M/S Settings"});
    ASSERT_NE(show, nullptr);
    EXPECT_FALSE(show->enabled);
    EXPECT_FALSE(choose(editor_tag::kOptionsMenu, {"M/S Settings", "Show M/S Settings"}));

    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"L/R Settings", "Discard L/R Settings"}));
    EXPECT_TRUE(editor->isPanelShown(Panel::DiscardLR));
    pressButton(editor_tag::kDialogKeepFirst);
    EXPECT_FALSE(editor->isPanelShown(Panel::DiscardLR));
    EXPECT_FALSE(editor->isPanelShown(Panel::Side));
    EXPECT_FALSE(editor->sidePanelLeftRight());
    EXPECT_EQ(option(param::kCoupleLinked), 1.0f);

    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"M/S Settings", "Show M/S Settings"}));
    EXPECT_TRUE(editor->sidePanelMidSide());
    EXPECT_EQ(handle->effect->channelMode(), kChannelModeMidSide);
}

TEST_F(MenusTest, NewPresetsAndBanksAreWrittenAndEveryDialogClosesTheOthers) {
    REQUIRE_PRESET_STORE();
    const auto before = filesIn(directory.path());
    // A factory preset is current: typing a name makes a new user preset of that name.
    ASSERT_TRUE(handle->effect->currentPresetReadOnly());
    type(editor_tag::kPresetName, "My Vocal");
    EXPECT_EQ(text(param::kPresetNameText), "My Vocal");
    EXPECT_FALSE(handle->effect->currentPresetReadOnly());
    EXPECT_EQ(filesIn(directory.path()).size(), before.size() + 2);  // its settings and information

    // New Bank, then New Preset: the second dialog replaces the first, one pending action.
    ASSERT_TRUE(choose(editor_tag::kBankMenu, {"New Bank"}));
    EXPECT_TRUE(editor->isPanelShown(Panel::CreateNew));
    ASSERT_TRUE(choose(editor_tag::kPresetMenu, {"Delete Preset : My Vocal"}));
    EXPECT_TRUE(editor->isPanelShown(Panel::DeletePreset));
    EXPECT_EQ(openDialogs(), 1);
    ASSERT_TRUE(choose(editor_tag::kBankMenu, {"New Bank"}));
    EXPECT_EQ(openDialogs(), 1);
    pressButton(editor_tag::kDialogCurrentSettings);
    EXPECT_EQ(openDialogs(), 0);
    const std::string bank = handle->effect->currentBankName();
    EXPECT_EQ(bank.rfind("Bank", 0), 0u) << bank;
    // The new bank holds one preset; "My Vocal" is still there, no delete ran.
    EXPECT_EQ(filesIn(directory.path()).size(), before.size() + 4);

    // The bank's name field: its own name does nothing; a new one asks, and Bank Rename renames.
    type(editor_tag::kBankName, bank);
    EXPECT_EQ(openDialogs(), 0);
    type(editor_tag::kBankName, std::string(32, 'x'));  // too long: refused
    EXPECT_EQ(openDialogs(), 0);
    type(editor_tag::kBankName, "Dot.ted");  // a dot: refused
    EXPECT_EQ(openDialogs(), 0);
    type(editor_tag::kBankName, std::string(31, 'y'));
    EXPECT_TRUE(editor->isPanelShown(Panel::Bank));
    pressButton(editor_tag::kDialogMerge);  // "Bank Rename" in this dialog
    EXPECT_EQ(handle->effect->currentBankName(), std::string(31, 'y'));
    EXPECT_TRUE(handle->effect->bankExists(std::string(31, 'y').c_str()));
}

TEST_F(MenusTest, DeleteActsOnlyOnWhatTheDialogNamedAndVanishedEntriesDoNothing) {
    REQUIRE_PRESET_STORE();
    type(editor_tag::kPresetName, "Keeper");
    ASSERT_TRUE(choose(editor_tag::kPresetMenu, {"New Preset"}));
    pressButton(editor_tag::kDialogCurrentSettings);
    const std::string second = text(param::kPresetNameText);
    ASSERT_NE(second, "Keeper");
    const auto files = filesIn(directory.path()).size();

    // The delete dialog names the preset current when it opened; the confirm deletes that one only.
    ASSERT_TRUE(choose(editor_tag::kPresetMenu, {"Delete Preset : " + second}));
    ASSERT_TRUE(editor->isPanelShown(Panel::DeletePreset));
    pressButton(editor_tag::kDialogConfirmDelete);
    EXPECT_EQ(presetsNamed(second), 0);
    EXPECT_EQ(presetsNamed("Keeper"), 1);
    EXPECT_LE(filesIn(directory.path()).size(), files);

    // A menu built before another instance removed a preset: choosing its entry does nothing.
    const std::vector<MenuItem> stale = itemsOf(editor_tag::kPresetMenu);
    const MenuItem* keeper = findItem(stale, {" Keeper"});
    ASSERT_NE(keeper, nullptr);
    for (int i = 0; i < handle->effect->presetCount(handle->effect->currentBankIndex()); ++i)
        if (handle->effect->presetName(handle->effect->currentBankIndex(), i) == "Keeper") {
            ASSERT_TRUE(handle->effect->deletePresetNumber(handle->effect->presetNumber(handle->effect->currentBankIndex(), i)));
        }
    const std::string shownBefore = text(param::kPresetNameText);
    windows.last->scriptMenuChoice(keeper->command);
    click(editor_tag::kPresetMenu, kLButton);
    idle();
    EXPECT_EQ(text(param::kPresetNameText), shownBefore);
}

TEST_F(MenusTest, AnExportedBankImportsBackWithEveryPresetAndItsInformation) {
    REQUIRE_PRESET_STORE();
    // A user bank of two presets (a factory bank offers no New Bank: a user preset first).
    type(editor_tag::kPresetName, "First Own");
    ASSERT_TRUE(choose(editor_tag::kBankMenu, {"New Bank"}));
    pressButton(editor_tag::kDialogCurrentSettings);
    type(editor_tag::kPresetName, "Exported One");
    pressButton(editor_tag::kDialogRename);
    ASSERT_TRUE(choose(editor_tag::kPresetMenu, {"New Preset"}));
    pressButton(editor_tag::kDialogInitSettings);
    const std::string bank = handle->effect->currentBankName();
    const int bankIndex = handle->effect->currentBankIndex();
    ASSERT_EQ(handle->effect->presetCount(bankIndex), 2);
    std::vector<std::string> names;
    for (int i = 0; i < 2; ++i) names.push_back(handle->effect->presetName(bankIndex, i));
    EXPECT_NE(std::find(names.begin(), names.end(), "Exported One"), names.end());

    const std::string file = directory.path() + "export.tovin";
    int asked = 0;
    file_dialog::setDialogForTests([&](char* path, int mode, const char* extension, const char*, const char* filter) {
        ++asked;
        EXPECT_STREQ(extension, "tovin");
        EXPECT_STREQ(filter, "Tovin Files (*.tovin)|*.tovin|All Files (*.*)|*.*||");
        if (mode == 0) {
            EXPECT_EQ(std::string(path), bank + ".tovin");  // the proposed name
        }
        std::snprintf(path, morvashel::kPathBufferSize, "%s", file.c_str());
        return 1;
    });
    ASSERT_TRUE(choose(editor_tag::kBankMenu, {"Export Bank"}));
    ASSERT_TRUE(fs::exists(file));

    ASSERT_TRUE(choose(editor_tag::kBankMenu, {"Delete Bank : " + bank}));
    pressButton(editor_tag::kDialogConfirmDelete);
    EXPECT_FALSE(handle->effect->bankExists(bank.c_str()));
    ASSERT_TRUE(choose(editor_tag::kBankMenu, {"Import Bank"}));
    EXPECT_EQ(asked, 2);
    ASSERT_TRUE(handle->effect->bankExists(bank.c_str()));
    int found = -1;
    for (int b = 0; b < handle->effect->bankCount(); ++b)
        if (handle->effect->bankLabel(b) == bank) found = b;
    ASSERT_GE(found, 0);
    ASSERT_EQ(handle->effect->presetCount(found), 2);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(handle->effect->presetName(found, i), names[static_cast<std::size_t>(i)]);

    // A dialog that is not confirmed does nothing.
    file_dialog::setDialogForTests([](char*, int, const char*, const char*, const char*) { return 0; });
    const auto files = filesIn(directory.path());
    ASSERT_TRUE(choose(editor_tag::kBankMenu, {"Import Bank"}));
    EXPECT_EQ(filesIn(directory.path()), files);
}

TEST_F(MenusTest, ReadOptionsShowsTheRowsAsTheOptionsFileSays) {
    REQUIRE_PRESET_STORE();
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Display", "Value Display"}));
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Display", "Name Display"}));
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Save Options"}));
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Display", "Value Display"}));
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Display", "Name Display"}));
    EXPECT_FALSE(editor->isPanelShown(Panel::GainRow));
    ASSERT_TRUE(choose(editor_tag::kOptionsMenu, {"Read Options"}));
    EXPECT_TRUE(editor->isPanelShown(Panel::GainRow));
    EXPECT_TRUE(editor->isPanelShown(Panel::NamesRow));
}
