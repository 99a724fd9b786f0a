// Where every control of the editor sits: kind, style, position (in its panel, or in the frame) and tag.
#pragma once

#include <array>

#include "editor/editor_tags.h"
#include "effect/parameter_tables.h"

namespace layout {

enum class Kind { Knob, Switch, MultiSwitch, Lamp, Kick, Menu, TextEdit, TextShow };

struct Placement {
    Kind kind;
    int style;
    int x;
    int y;
    int tag;
};

namespace t = editor_tag;

constexpr std::array<Placement, 10> kTopStrip{{
    {Kind::Menu, 1, 5, 3, t::kBankMenu},
    {Kind::TextEdit, 1, 53, 7, t::kBankName},
    {Kind::Menu, 2, 152, 3, t::kPresetMenu},
    {Kind::TextEdit, 1, 201, 7, t::kPresetName},
    {Kind::Kick, 1, 300, 3, t::kSave},
    {Kind::Switch, 13, 363, 3, t::kSlotA},
    {Kind::Switch, 14, 406, 3, t::kSlotB},
    {Kind::Kick, 0, 449, 3, t::kSlotCopy},
    {Kind::Menu, 4, 513, 3, t::kOptionsMenu},
    {Kind::Switch, 15, 607, 3, t::kHelp},
}};

// The band area in build order: HP, B1 .. B5, LP, Air, output; for each band its on switch, frequency,
// Q and gain knobs and type switch where it has them.
constexpr std::array<Placement, 33> kBandArea{{
    // HP
    {Kind::Switch, 0, 130, 37, param::kHPOn},
    {Kind::Knob, 0, 132, 89, param::kHPFreq},
    {Kind::Knob, 7, 134, 148, param::kHPQual},
    {Kind::Switch, 8, 109, 151, param::kHPType},
    // B1
    {Kind::Switch, 1, 186, 37, param::kB1On},
    {Kind::Knob, 1, 190, 89, param::kB1Freq},
    {Kind::Knob, 8, 191, 148, param::kB1Qual},
    {Kind::Knob, 14, 189, 203, param::kB1Gain},
    {Kind::Switch, 10, 164, 206, param::kB1Type},
    // B2
    {Kind::Switch, 2, 242, 37, param::kB2On},
    {Kind::Knob, 2, 247, 89, param::kB2Freq},
    {Kind::Knob, 9, 249, 148, param::kB2Qual},
    {Kind::Knob, 15, 247, 203, param::kB2Gain},
    // B3
    {Kind::Switch, 3, 299, 37, param::kB3On},
    {Kind::Knob, 3, 305, 89, param::kB3Freq},
    {Kind::Knob, 10, 306, 148, param::kB3Qual},
    {Kind::Knob, 16, 304, 203, param::kB3Gain},
    // B4
    {Kind::Switch, 4, 355, 37, param::kB4On},
    {Kind::Knob, 4, 361, 89, param::kB4Freq},
    {Kind::Knob, 11, 363, 148, param::kB4Qual},
    {Kind::Knob, 17, 361, 203, param::kB4Gain},
    // B5
    {Kind::Switch, 5, 412, 37, param::kB5On},
    {Kind::Knob, 5, 417, 89, param::kB5Freq},
    {Kind::Knob, 12, 419, 148, param::kB5Qual},
    {Kind::Knob, 18, 417, 203, param::kB5Gain},
    {Kind::Switch, 11, 450, 206, param::kB5Type},
    // LP
    {Kind::Switch, 6, 468, 37, param::kLPOn},
    {Kind::Knob, 6, 474, 89, param::kLPFreq},
    {Kind::Knob, 13, 475, 148, param::kLPQual},
    {Kind::Switch, 9, 506, 150, param::kLPType},
    // Air
    {Kind::Switch, 7, 551, 37, param::kAirOn},
    {Kind::Knob, 19, 558, 89, param::kAirGain},
    // Output: the general on switch and the volume knob.
    {Kind::Switch, 12, 552, 142, param::kGenOn},
}};
constexpr Placement kOutputVolume{Kind::Knob, 20, 558, 203, param::kGenVol};

// A panel: its background and position in the frame, and the controls inside it (local positions).
template <std::size_t N>
struct Panel {
    int background;
    int x;
    int y;
    std::array<Placement, N> controls;
};

constexpr int kValueFieldStyle = 3;
constexpr int kNameFieldStyle = 2;

constexpr Panel<8> kFrequencyRow{4001, 135, 127, {{
    {Kind::TextEdit, kValueFieldStyle, 2, 1, param::kHPFreq},
    {Kind::TextEdit, kValueFieldStyle, 58, 1, param::kB1Freq},
    {Kind::TextEdit, kValueFieldStyle, 114, 1, param::kB2Freq},
    {Kind::TextEdit, kValueFieldStyle, 170, 1, param::kB3Freq},
    {Kind::TextEdit, kValueFieldStyle, 226, 1, param::kB4Freq},
    {Kind::TextEdit, kValueFieldStyle, 282, 1, param::kB5Freq},
    {Kind::TextEdit, kValueFieldStyle, 338, 1, param::kLPFreq},
    {Kind::TextEdit, kValueFieldStyle, 425, 1, param::kAirGain},
}}};

constexpr Panel<7> kQRow{4004, 135, 180, {{
    {Kind::TextEdit, kValueFieldStyle, 2, 1, param::kHPQual},
    {Kind::TextEdit, kValueFieldStyle, 58, 1, param::kB1Qual},
    {Kind::TextEdit, kValueFieldStyle, 114, 1, param::kB2Qual},
    {Kind::TextEdit, kValueFieldStyle, 170, 1, param::kB3Qual},
    {Kind::TextEdit, kValueFieldStyle, 226, 1, param::kB4Qual},
    {Kind::TextEdit, kValueFieldStyle, 282, 1, param::kB5Qual},
    {Kind::TextEdit, kValueFieldStyle, 338, 1, param::kLPQual},
}}};

constexpr Panel<6> kGainRow{4000, 191, 239, {{
    {Kind::TextEdit, kValueFieldStyle, 2, 1, param::kB1Gain},
    {Kind::TextEdit, kValueFieldStyle, 58, 1, param::kB2Gain},
    {Kind::TextEdit, kValueFieldStyle, 114, 1, param::kB3Gain},
    {Kind::TextEdit, kValueFieldStyle, 170, 1, param::kB4Gain},
    {Kind::TextEdit, kValueFieldStyle, 226, 1, param::kB5Gain},
    {Kind::TextEdit, kValueFieldStyle, 369, 1, param::kGenVol},
}}};

constexpr Panel<8> kNamesRow{4003, 125, 70, {{
    {Kind::TextEdit, kNameFieldStyle, 1, 1, 35},
    {Kind::TextEdit, kNameFieldStyle, 57, 1, 36},
    {Kind::TextEdit, kNameFieldStyle, 113, 1, 37},
    {Kind::TextEdit, kNameFieldStyle, 169, 1, 38},
    {Kind::TextEdit, kNameFieldStyle, 226, 1, 39},
    {Kind::TextEdit, kNameFieldStyle, 282, 1, 40},
    {Kind::TextEdit, kNameFieldStyle, 338, 1, 41},
    {Kind::TextEdit, kNameFieldStyle, 423, 1, 42},
}}};

constexpr Panel<1> kClipIndicator{4006, 501, 195, {{{Kind::Lamp, 0, 5, 4, t::kClipLamp}}}};

constexpr Panel<8> kSidePanel{2009, 19, 27, {{
    {Kind::Switch, 16, 11, 12, t::kEditFirstChannel},
    {Kind::Switch, 17, 52, 12, t::kEditSecondChannel},
    {Kind::Kick, 5, 11, 38, t::kChannelCopy},
    {Kind::Switch, 18, 27, 83, param::kCoupleLinked},
    {Kind::Switch, 19, 27, 109, param::kCoupleMirrored},
    {Kind::MultiSwitch, 0, 27, 146, param::kCoupleLevel},
    {Kind::MultiSwitch, 1, 11, 176, param::kCoupleRelative},
    {Kind::MultiSwitch, 2, 11, 202, param::kCoupleKeep},
}}};

constexpr Panel<0> kHelpPanel{2008, 25, 27, {}};

constexpr Panel<7> kInfoPanel{2000, 160, 27, {{
    {Kind::Kick, 2, 283, 8, t::kClosePanel},
    {Kind::TextEdit, 0, 135, 53, 75},
    {Kind::TextEdit, 0, 135, 84, 76},
    {Kind::TextEdit, 0, 135, 114, 77},
    {Kind::TextEdit, 0, 135, 145, 79},
    {Kind::TextShow, 0, 135, 175, 80},
    {Kind::TextShow, 0, 135, 206, 81},
}}};

constexpr Panel<2> kAboutPanel{2006, 160, 27, {{
    {Kind::Kick, 2, 287, 4, t::kClosePanel},
    {Kind::TextShow, 4, 80, 210, t::kVersionText},
}}};

constexpr Panel<3> kCreateNewDialog{2001, 183, 62, {{
    {Kind::Kick, 3, 39, 62, t::kDialogCurrentSettings},
    {Kind::Kick, 3, 162, 63, t::kDialogInitSettings},
    {Kind::Kick, 4, 101, 100, t::kDialogCancel},
}}};

constexpr Panel<3> kBankExistsDialog{2003, 183, 65, {{
    {Kind::Kick, 3, 41, 65, t::kDialogMove},
    {Kind::Kick, 3, 165, 65, t::kDialogMerge},
    {Kind::Kick, 4, 103, 99, t::kDialogCancel},
}}};

constexpr Panel<4> kBankDialog{2002, 160, 59, {{
    {Kind::Kick, 3, 25, 68, t::kDialogMove},
    {Kind::Kick, 3, 124, 68, t::kDialogMerge},
    {Kind::Kick, 3, 222, 68, t::kDialogBankDuplicate},
    {Kind::Kick, 4, 124, 103, t::kDialogCancel},
}}};

constexpr Panel<3> kPresetDialog{2004, 183, 65, {{
    {Kind::Kick, 3, 39, 62, t::kDialogRename},
    {Kind::Kick, 3, 162, 62, t::kDialogDuplicate},
    {Kind::Kick, 4, 101, 100, t::kDialogCancel},
}}};

constexpr Panel<2> kDeleteDialog{2005, 186, 88, {{
    {Kind::Kick, 3, 38, 49, t::kDialogConfirmDelete},
    {Kind::Kick, 4, 161, 49, t::kDialogCancel},
}}};

constexpr Panel<3> kDiscardLRDialog{2012, 160, 65, {{
    {Kind::Kick, 3, 25, 94, t::kDialogKeepFirst},
    {Kind::Kick, 3, 124, 94, t::kDialogKeepSecond},
    {Kind::Kick, 4, 222, 94, t::kDialogCancel},
}}};

constexpr Panel<3> kDiscardMSDialog{2013, 160, 65, {{
    {Kind::Kick, 3, 25, 94, t::kDialogKeepFirst},
    {Kind::Kick, 3, 124, 94, t::kDialogKeepSecond},
    {Kind::Kick, 4, 222, 94, t::kDialogCancel},
}}};

}  // namespace layout
