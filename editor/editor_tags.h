// The editor's own control tags: they lie above and in the gaps of the parameter indexes (0 to 109),
// which the other controls use as tags.
#pragma once

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
constexpr int kFrequencyRow = 111;
constexpr int kGainRow = 112;
constexpr int kQRow = 113;
constexpr int kNamesRow = 114;
constexpr int kClipLamp = 115;  // also the clip indicator panel for showElement
constexpr int kFirstBankSubmenu = 116;  // bank submenus: 116 + bank

}  // namespace editor_tag
