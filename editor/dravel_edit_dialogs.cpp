// The dialogs of the preset store: at most one open, each with what it will act on recorded when it
// opened; the name fields that open them; their buttons; and the bank file dialog.
#include <cstring>
#include <string_view>

#include "editor/dravel_edit.h"
#include "editor/editor_tags.h"
#include "editor/file_dialog.h"
#include "editor/interface_effet.h"
#include "editor/name_rules.h"
#include "effect/parameter_tables.h"

using namespace VSTGUI;

namespace {
constexpr DravelEdit::PanelId kDialogs[] = {
    DravelEdit::PanelId::DiscardLR, DravelEdit::PanelId::DiscardMS,   DravelEdit::PanelId::CreateNew,
    DravelEdit::PanelId::BankExists, DravelEdit::PanelId::Bank,       DravelEdit::PanelId::Preset,
    DravelEdit::PanelId::DeletePreset, DravelEdit::PanelId::DeleteBank,
};
constexpr const char* kExportSuffix = ".tovin";
}  // namespace

void DravelEdit::closeDialogs() {
    for (PanelId id : kDialogs)
        if (isPanelShown(id)) showPanel(id, false);
    dialog_ = Pending{};
}

void DravelEdit::openDialog(PanelId id, Pending pending) {
    closeDialogs();
    dialog_ = std::move(pending);
    showPanel(id, true);
}

// Name fields.

void DravelEdit::onNameTyped(int tag, const std::string& text) {
    if (tag >= param::kFirstBandName && tag <= param::kLastBandName) {
        if (name_rules::accepted(text, name_rules::kBandNameLength)) effectInterface_->setBandName(tag, text.c_str());
        return;
    }
    if (!name_rules::accepted(text, name_rules::kStoreNameLength)) return;
    switch (tag) {
        case editor_tag::kBankName:
            // Its own name again is no rename (and no merge with itself).
            if (effectInterface_->currentBankReadOnly() || text == effectInterface_->currentBankName()) return;
            typedName_ = text;
            openDialog(effectInterface_->bankExists(text.c_str()) ? PanelId::BankExists : PanelId::Bank,
                       {PendingAction::BankName, -1, text});
            return;
        case editor_tag::kPresetName:
            if (effectInterface_->currentPresetReadOnly()) {
                // A factory preset stays as it is: the name goes to a new preset of the current settings.
                if (effectInterface_->newPreset(false)) effectInterface_->renamePreset(text.c_str());
                afterStoreAction();
                return;
            }
            typedName_ = text;
            openDialog(PanelId::Preset, {PendingAction::PresetName, -1, {}});
            return;
        case param::kPresetNameText + 1:  // the information panel's bank
            if (!effectInterface_->currentPresetReadOnly()) effectInterface_->movePresetToBank(text.c_str());
            break;
        case param::kPresetNameText + 2:  // author
            if (!effectInterface_->currentPresetReadOnly()) effectInterface_->setAuthorName(text.c_str());
            break;
        case param::kPresetNameText + 4:  // project
            if (!effectInterface_->currentPresetReadOnly()) effectInterface_->setProjectName(text.c_str());
            break;
        default: return;
    }
    afterStoreAction();
}

// Dialog buttons: push buttons, acting at their release.

bool DravelEdit::onDialogButton(int tag) {
    const PendingAction pending = dialog_.action;
    const auto done = [&] {
        closeDialogs();
        afterStoreAction();
        refreshMenuChecks();
    };
    switch (tag) {
        case editor_tag::kDialogInitSettings:
        case editor_tag::kDialogCurrentSettings: {
            const bool init = tag == editor_tag::kDialogInitSettings;
            if (pending == PendingAction::NewPreset) effectInterface_->newPreset(init);
            if (pending == PendingAction::NewBank && !effectInterface_->currentBankReadOnly()) effectInterface_->newBank(init);
            done();
            return true;
        }
        case editor_tag::kDialogCancel: done(); return true;
        case editor_tag::kDialogKeepFirst:
        case editor_tag::kDialogKeepSecond: keepChannel(tag == editor_tag::kDialogKeepFirst); return true;
        case editor_tag::kDialogMerge:
            if (pending == PendingAction::BankName) effectInterface_->renameBank(typedName_.c_str());
            done();
            return true;
        case editor_tag::kDialogMove:
            if (pending == PendingAction::BankName) effectInterface_->movePresetToBank(typedName_.c_str());
            done();
            return true;
        case editor_tag::kDialogBankDuplicate:
            if (pending == PendingAction::BankName) effectInterface_->duplicateBank(typedName_.c_str());
            done();
            return true;
        case editor_tag::kDialogRename:
            if (pending == PendingAction::PresetName) effectInterface_->renamePreset(typedName_.c_str());
            done();
            return true;
        case editor_tag::kDialogDuplicate:
            if (pending == PendingAction::PresetName && effectInterface_->newPreset(false))
                effectInterface_->renamePreset(typedName_.c_str());
            done();
            return true;
        case editor_tag::kDialogConfirmDelete:
            // Only what the dialog named when it opened, and only if it is still there.
            if (pending == PendingAction::DeletePreset) effectInterface_->deletePresetNumber(dialog_.presetNumber);
            if (pending == PendingAction::DeleteBank) effectInterface_->deleteBankNamed(dialog_.bankName.c_str());
            done();
            return true;
        default: return false;
    }
}

void DravelEdit::keepChannel(bool first) {
    closeDialogs();
    effectInterface_->setParameterAutomated(param::kEditedChannel, first ? 1.0f : 0.0f);
    effectInterface_->setParameterAutomated(param::kCopyChannel, 1.0f);
    effectInterface_->setParameterAutomated(param::kCopyChannel, 0.0f);
    if (isPanelShown(PanelId::Side)) {
        showPanel(PanelId::Side, false);
        leftRightMode_ = midSideMode_ = false;
        effectInterface_->setMidSideCoding(false);
    }
    effectInterface_->setParameter(param::kCoupleLinked, 1.0f);
    effectInterface_->setParameter(param::kCoupleMirrored, 0.0f);
    effectInterface_->setParameter(param::kCoupleRelative, 0.0f);
    afterStoreAction();
    refreshMenuChecks();
}

// Bank files.

void DravelEdit::runBankFileDialog(int mode) {
    closeDialogs();
    file_dialog::PathBuffer path{};
    if (mode == morvashel::kExport) {
        // Proposes the bank's name as the file name.
        const std::string proposal = effectInterface_->currentBankName() + kExportSuffix;
        if (name_rules::accepted(effectInterface_->currentBankName(), name_rules::kStoreNameLength))
            std::memcpy(path.data(), proposal.data(), std::min(proposal.size(), path.size() - 1));
    }
    if (file_dialog::ask(mode, path)) {
        if (mode == morvashel::kExport)
            effectInterface_->exportBank(path.data());
        else
            effectInterface_->importBank(path.data());
    }
    afterStoreAction();
    refreshMenuChecks();
}
