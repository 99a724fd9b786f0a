// The editor's own control tags: they lie above and in the gaps of the parameter indexes (0 to 109),
// which the other controls use as tags.
#pragma once

#include "effect/fonctions_dravel.h"

namespace editor_tag {

constexpr int kBankMenu = 69;
constexpr int kPresetMenu = 70;
constexpr int kSlotCopy = 71;
constexpr int kChannelCopy = 72;
constexpr int kSave = 73;
constexpr int kBankName = 74;
constexpr int kPresetName = 75;
constexpr int kOptionsMenu = 82;
constexpr int kSortMenu = 91;
constexpr int kClosePanel = 92;
constexpr int kDialogInitSettings = 93;
constexpr int kDialogCurrentSettings = 94;
constexpr int kDialogCancel = 95;
constexpr int kDialogKeepFirst = 96;
constexpr int kDialogKeepSecond = 97;
constexpr int kDialogMerge = 98;   // bank dialogs: merge two banks / bank rename
constexpr int kDialogMove = 99;    // move current preset / current preset to new bank
constexpr int kDialogBankDuplicate = 100;
constexpr int kDialogRename = 101;
constexpr int kDialogDuplicate = 102;
constexpr int kDialogConfirmDelete = 103;
constexpr int kVersionText = 105;
constexpr int kSlotA = 106;
constexpr int kSlotB = 107;
constexpr int kEditFirstChannel = 108;
constexpr int kEditSecondChannel = 109;
constexpr int kHelp = 110;
// The rows and the clip indicator, as the effect shows and hides them.
constexpr int kFrequencyRow = editor_element::kFrequencyRow;
constexpr int kGainRow = editor_element::kGainRow;
constexpr int kQRow = editor_element::kQRow;
constexpr int kNamesRow = editor_element::kNamesRow;
constexpr int kClipLamp = editor_element::kClipLamp;  // the lamp's tag too
constexpr int kFirstBankSubmenu = 116;  // bank submenus: 116 + bank

}  // namespace editor_tag
