// The options menu and its five submenus: every entry's text, in order, and what choosing it does.
#pragma once

#include <array>
#include <span>

#include "effect/parameter_tables.h"

namespace menu {

// Tags of the options menu's submenus, the Sort By submenu and the first bank submenu.
constexpr int kDisplayTag = 83;
constexpr int kMiscTag = 84;
constexpr int kSnapTag = 85;
constexpr int kLeftRightTag = 86;
constexpr int kMidSideTag = 87;

enum class Action {
    None,          // a separator or a submenu's title
    Toggle,        // option := 1.0 when below 0.5, else 0.0
    Choice,        // option := code
    AllSnap,       // options 57, 58 and 59 := code
    ReadOptions,
    SaveOptions,
    ClassBands,
    ResetBandGains,
    ResetOutputGain,
    ResetActiveBands,
    ResetInactiveBands,
    InitFromCurrent,
    ShowAbout,
    ShowLeftRight,
    DiscardLeftRight,
    ShowMidSide,
    DiscardMidSide,
    SwitchChannels,
};

struct Entry {
    const char* title;
    Action action = Action::None;
    int option = -1;
    float code = 0.0f;
    int submenuTag = 0;  // nonzero: this entry opens the submenu of that tag
};

inline constexpr const char* kSeparator = "-";

inline constexpr Entry kOptionsEntries[] = {
    {"Misc", Action::None, -1, 0.0f, kMiscTag},
    {"Display", Action::None, -1, 0.0f, kDisplayTag},
    {"L/R Settings", Action::None, -1, 0.0f, kLeftRightTag},
    {"M/S Settings", Action::None, -1, 0.0f, kMidSideTag},
    {"Snap", Action::None, -1, 0.0f, kSnapTag},
    {kSeparator},
    {"Options Saved in Host project", Action::Toggle, param::kOptSaveInProject},
    {kSeparator},
    {"Read Options", Action::ReadOptions},
    {kSeparator},
    {"Save Options", Action::SaveOptions},
};

inline constexpr Entry kMiscEntries[] = {
    {"Class Bands by freq. order", Action::ClassBands},
    {kSeparator},
    {"Reset Band Gains", Action::ResetBandGains},
    {"Reset Output Gain", Action::ResetOutputGain},
    {"Reset Active Bands", Action::ResetActiveBands},
    {"Reset Inactive Bands", Action::ResetInactiveBands},
    {kSeparator},
    {"Init settings from current settings", Action::InitFromCurrent},
    {kSeparator},
    {"Auto On Active", Action::Toggle, param::kOptBandeOnAuto},
    {"Out Gain always active", Action::Toggle, param::kOptGainOutOn},
    {kSeparator},
    {"AutoDspSave", Action::Toggle, param::kOptDspSave},
    {kSeparator},
    {"Tovin About", Action::ShowAbout},
};

inline constexpr Entry kDisplayEntries[] = {
    {"Value Display", Action::Toggle, param::kOptDisplayVal},
    {"Name Display", Action::Toggle, param::kOptDisplayName},
    {kSeparator},
    {"Frequency as notes", Action::Toggle, param::kOptDisplayNotes},
    {"Q-factor as octaves", Action::Toggle, param::kOptDisplayQOct},
    {kSeparator},
    {"Show Clip Indicator", Action::Toggle, param::kOptShowClip},
    {"Hold Clip Indicator", Action::Toggle, param::kOptHoldClip},
    {kSeparator},
    {"Wheel Incr : 0.01", Action::Choice, param::kOptIncrWheel, 0.0f},
    {"Wheel Incr : 0.05", Action::Choice, param::kOptIncrWheel, 1.0f},
    {"Wheel Incr : 0.1", Action::Choice, param::kOptIncrWheel, 2.0f},
    {kSeparator},
    {"Alt feature :  No gain drop", Action::Choice, param::kOptGainDropAlt, 0.0f},
    {"Alt feature : - 6 dB gain drop", Action::Choice, param::kOptGainDropAlt, 1.0f},
    {"Alt feature : -15 dB gain drop", Action::Choice, param::kOptGainDropAlt, 2.0f},
};

// Entry 3 of the two channel submenus is written anew at every refresh of the check marks.
inline constexpr int kSwitchEntry = 3;
inline constexpr const char* kSwitchLeftRightRefreshed = "Switch L/R Settings";
inline constexpr const char* kSwitchMidSideRefreshed = "Switch M/S Settings";

inline constexpr Entry kLeftRightEntries[] = {
    {"Show L/R Settings", Action::ShowLeftRight},
    {"Discard L/R Settings", Action::DiscardLeftRight},
    {kSeparator},
    {"Switch L/R Channels", Action::SwitchChannels},
};

inline constexpr Entry kMidSideEntries[] = {
    {"Show M/S Settings", Action::ShowMidSide},
    {"Discard M/S Settings", Action::DiscardMidSide},
    {kSeparator},
    {"Switch M/S Channels", Action::SwitchChannels},
    {kSeparator},
    {"Disable Input MS Coding", Action::Toggle, param::kOptCodageMS},
    {"Disable Output MS Decoding", Action::Toggle, param::kOptDecodageMS},
};

inline constexpr Entry kSnapEntries[] = {
    {"Frequency Snap Off", Action::Choice, param::kOptSnapFreq, 0.0f},
    {"Frequency Snap Coarse", Action::Choice, param::kOptSnapFreq, 1.0f},
    {"Frequency Snap Fine", Action::Choice, param::kOptSnapFreq, 2.0f},
    {"Frequency Snap Notes", Action::Choice, param::kOptSnapFreq, 3.0f},
    {kSeparator},
    {"Q Snap Off", Action::Choice, param::kOptSnapRes, 0.0f},
    {"Q Snap Coarse", Action::Choice, param::kOptSnapRes, 1.0f},
    {"Q Snap Fine", Action::Choice, param::kOptSnapRes, 2.0f},
    {kSeparator},
    {"Gain Snap Off", Action::Choice, param::kOptSnapGain, 0.0f},
    {"Gain Snap Coarse", Action::Choice, param::kOptSnapGain, 1.0f},
    {"Gain Snap Fine", Action::Choice, param::kOptSnapGain, 2.0f},
    {kSeparator},
    {"All Snap Off", Action::AllSnap, -1, 0.0f},
    {"All Snap Coarse", Action::AllSnap, -1, 1.0f},
    {"All Snap Fine", Action::AllSnap, -1, 2.0f},
};

// The submenu tables by tag.
inline std::span<const Entry> submenuEntries(int tag) {
    switch (tag) {
        case kMiscTag: return kMiscEntries;
        case kDisplayTag: return kDisplayEntries;
        case kLeftRightTag: return kLeftRightEntries;
        case kMidSideTag: return kMidSideEntries;
        case kSnapTag: return kSnapEntries;
        default: return {};
    }
}

// Sort By (tag 91): the store's sort criteria 0 to 4.
inline constexpr std::array<const char*, 5> kSortEntries = {"Bank Name", "Author Name", "Project Name", "Active Bands",
                                                            "All Presets"};

// Preset and bank menus.
inline constexpr const char* kNoPresets = "No Presets available";
inline constexpr const char* kOpenInformation = "Open Preset Information";
inline constexpr const char* kNewPreset = "New Preset";
inline constexpr const char* kDeletePresetFormat = "Delete Preset : %s";
inline constexpr const char* kNewBank = "New Bank";
inline constexpr const char* kDeleteBankFormat = "Delete Bank : %s";
inline constexpr const char* kExportBank = "Export Bank";
inline constexpr const char* kImportBank = "Import Bank";
inline constexpr const char* kSortBy = "Sort By ...";
inline constexpr const char* kUseFactory = "Use Factory";

// Reset values of the Misc menu's band resets, by band HP … Air: frequency, Q and gain (negative:
// the band has none), and type or slope (negative: none).
struct BandReset {
    int frequency, quality, gain, type, on;
    float typeValue;
};
inline constexpr BandReset kBandResets[] = {
    {param::kHPFreq, param::kHPQual, -1, param::kHPType, param::kHPOn, 0.0f},
    {param::kB1Freq, param::kB1Qual, param::kB1Gain, param::kB1Type, param::kB1On, 1.0f},
    {param::kB2Freq, param::kB2Qual, param::kB2Gain, -1, param::kB2On, 0.0f},
    {param::kB3Freq, param::kB3Qual, param::kB3Gain, -1, param::kB3On, 0.0f},
    {param::kB4Freq, param::kB4Qual, param::kB4Gain, -1, param::kB4On, 0.0f},
    {param::kB5Freq, param::kB5Qual, param::kB5Gain, param::kB5Type, param::kB5On, 1.0f},
    {param::kLPFreq, param::kLPQual, -1, param::kLPType, param::kLPOn, 0.0f},
    {-1, -1, param::kAirGain, -1, param::kAirOn, 0.0f},
};
inline constexpr float kResetValue = 0.5f;

}  // namespace menu
