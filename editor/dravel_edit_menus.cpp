// The options menu with its submenus, the preset and bank menus, their check marks and what their
// entries do.
#include <cstdio>

#include "editor/dravel_edit.h"
#include "editor/editor_tags.h"
#include "editor/interface_effet.h"
#include "editor/menu_tables.h"
#include "editor/own_controls.h"
#include "effect/parameter_tables.h"

using namespace VSTGUI;

namespace {
constexpr float kOn = 0.5f;
constexpr int kChannelsForSettings = 2;
constexpr std::size_t kMenuTextSize = 96;

// The code an option's value stands for in its choice group (the wheel step tells 0, 1 and the rest).
int codeOf(int option, float value) {
    if (option == param::kOptIncrWheel) return value < 0.5f ? 0 : value < 1.5f ? 1 : 2;
    return static_cast<int>(value + 0.5f);
}

std::string formatted(const char* format, const std::string& text) {
    char line[kMenuTextSize];
    std::snprintf(line, sizeof line, format, text.c_str());
    return line;
}

std::size_t submenuSlot(int tag) { return static_cast<std::size_t>(tag - menu::kDisplayTag); }
}  // namespace

// Building.

void DravelEdit::fillOptionsMenu() {
    if (optionsMenu_ == nullptr) return;
    optionsMenu_->removeAllEntry();
    for (const menu::Entry& e : menu::kOptionsEntries) {
        if (e.submenuTag == 0) {
            optionsMenu_->addEntry(e.title);
            continue;
        }
        auto* submenu = new COptionMenu(CRect{}, this, e.submenuTag);
        for (const menu::Entry& entry : menu::submenuEntries(e.submenuTag)) submenu->addEntry(entry.title);
        optionsMenu_->addEntry(submenu, e.title);
        optionSubmenus_[submenuSlot(e.submenuTag)] = submenu;
        submenu->forget();  // the options menu holds it
    }
}

void DravelEdit::rebuildPresetMenu() {
    presetMenuMeanings_.clear();
    if (presetMenu_ == nullptr) return;
    presetMenu_->removeAllEntry();
    const int bank = effectInterface_->currentBankIndex();
    if (bank < 0) {
        presetMenu_->addEntry(menu::kNoPresets);
        presetMenuMeanings_.push_back({});
        return;
    }
    const int count = effectInterface_->presetCount(bank);
    for (int i = 0; i < count; ++i) {
        presetMenu_->addEntry(" " + effectInterface_->presetName(bank, i));
        presetMenuMeanings_.push_back({MenuCommand::Preset, effectInterface_->presetNumber(bank, i)});
    }
    const auto add = [&](const std::string& title, MenuCommand command) {
        presetMenu_->addEntry(title);
        presetMenuMeanings_.push_back({command, -1});
    };
    add(menu::kSeparator, MenuCommand::None);
    add(menu::kOpenInformation, MenuCommand::OpenInformation);
    add(menu::kSeparator, MenuCommand::None);
    add(menu::kNewPreset, MenuCommand::NewPreset);
    if (!effectInterface_->currentPresetReadOnly()) {
        const int current = effectInterface_->currentPresetIndex();
        presetMenu_->addEntry(formatted(menu::kDeletePresetFormat, effectInterface_->presetName(bank, current)));
        presetMenuMeanings_.push_back({MenuCommand::DeletePreset, effectInterface_->presetNumber(bank, current)});
    }
}

void DravelEdit::rebuildBankMenu() {
    bankMenuMeanings_.clear();
    bankSubmenuNumbers_.clear();
    if (bankMenu_ == nullptr) return;
    bankMenu_->removeAllEntry();
    const auto add = [&](const std::string& title, MenuCommand command) {
        bankMenu_->addEntry(title);
        bankMenuMeanings_.push_back({command, -1});
    };
    const int banks = effectInterface_->bankCount();
    for (int b = 0; b < banks; ++b) {
        auto* submenu = new COptionMenu(CRect{}, this, editor_tag::kFirstBankSubmenu + b);
        std::vector<int> numbers;
        for (int i = 0; i < effectInterface_->presetCount(b); ++i) {
            submenu->addEntry(" " + effectInterface_->presetName(b, i));
            numbers.push_back(effectInterface_->presetNumber(b, i));
        }
        bankMenu_->addEntry(submenu, " " + effectInterface_->bankLabel(b));
        submenu->forget();
        bankMenuMeanings_.push_back({});
        bankSubmenuNumbers_.push_back(std::move(numbers));
    }
    add(menu::kSeparator, MenuCommand::None);
    if (!effectInterface_->currentBankReadOnly()) {
        bankMenuBankName_ = effectInterface_->currentBankName();
        add(menu::kNewBank, MenuCommand::NewBank);
        add(formatted(menu::kDeleteBankFormat, bankMenuBankName_), MenuCommand::DeleteBank);
        add(menu::kSeparator, MenuCommand::None);
        add(menu::kExportBank, MenuCommand::ExportBank);
        add(menu::kImportBank, MenuCommand::ImportBank);
        add(menu::kSeparator, MenuCommand::None);
    } else {
        bankMenuBankName_.clear();
        add(menu::kImportBank, MenuCommand::ImportBank);
        add(menu::kSeparator, MenuCommand::None);
    }
    auto* sort = new COptionMenu(CRect{}, this, editor_tag::kSortMenu);
    for (const char* criterion : menu::kSortEntries) sort->addEntry(criterion);
    bankMenu_->addEntry(sort, menu::kSortBy);
    sort->forget();
    bankMenuMeanings_.push_back({});
    add(menu::kSeparator, MenuCommand::None);
    add(menu::kUseFactory, MenuCommand::None);
}

// Check marks.

void DravelEdit::refreshEntryChecks(COptionMenu& submenu, int tag) {
    const std::span<const menu::Entry> entries = menu::submenuEntries(tag);
    const float snap[] = {effectInterface_->getParameter(param::kOptSnapFreq),
                          effectInterface_->getParameter(param::kOptSnapRes),
                          effectInterface_->getParameter(param::kOptSnapGain)};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const menu::Entry& e = entries[i];
        const int index = static_cast<int>(i);
        switch (e.action) {
            case menu::Action::Toggle: submenu.checkEntry(index, effectInterface_->getParameter(e.option) >= kOn); break;
            case menu::Action::Choice:
                submenu.checkEntry(index, codeOf(e.option, effectInterface_->getParameter(e.option)) == static_cast<int>(e.code));
                break;
            case menu::Action::AllSnap: {
                bool all = true;
                for (float v : snap) all = all && codeOf(param::kOptSnapFreq, v) == static_cast<int>(e.code);
                submenu.checkEntry(index, all);
                break;
            }
            default: break;
        }
    }
    // The channel entries are grey where they cannot act: one channel, or the other mode in use.
    if (tag != menu::kLeftRightTag && tag != menu::kMidSideTag) return;
    const bool midSide = tag == menu::kMidSideTag;
    const bool grey = effectInterface_->outputChannels() < kChannelsForSettings || (midSide ? leftRightMode_ : midSideMode_);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string title = entries[i].title;
        if (static_cast<int>(i) == menu::kSwitchEntry)
            title = midSide ? menu::kSwitchMidSideRefreshed : menu::kSwitchLeftRightRefreshed;
        if (grey && title != menu::kSeparator) title = "-G" + title;
        submenu.setEntryTitle(static_cast<int>(i), title);
    }
}

void DravelEdit::refreshMenuChecks() {
    if (effectInterface_ == nullptr) return;
    for (int tag = menu::kDisplayTag; tag <= menu::kMidSideTag; ++tag)
        if (COptionMenu* submenu = optionSubmenus_[submenuSlot(tag)]) refreshEntryChecks(*submenu, tag);
    if (optionsMenu_ != nullptr) {
        for (std::size_t i = 0; i < std::size(menu::kOptionsEntries); ++i) {
            const menu::Entry& e = menu::kOptionsEntries[i];
            if (e.action == menu::Action::Toggle)
                optionsMenu_->checkEntry(static_cast<int>(i), effectInterface_->getParameter(e.option) >= kOn);
        }
    }
    const int bank = effectInterface_->currentBankIndex();
    const int preset = effectInterface_->currentPresetIndex();
    if (presetMenu_ != nullptr)
        for (std::size_t i = 0; i < presetMenuMeanings_.size(); ++i)
            presetMenu_->checkEntry(static_cast<int>(i),
                                    presetMenuMeanings_[i].command == MenuCommand::Preset && static_cast<int>(i) == preset);
    if (bankMenu_ != nullptr) {
        for (int b = 0; b < static_cast<int>(bankSubmenuNumbers_.size()); ++b) {
            bankMenu_->checkEntry(b, b == bank);
            if (const COptionMenu::Entry* e = bankMenu_->getEntry(b); e != nullptr && e->submenu != nullptr)
                for (int i = 0; i < e->submenu->getNbEntries(); ++i) e->submenu->checkEntry(i, b == bank && i == preset);
        }
        bankMenu_->checkEntry(bankMenu_->getNbEntries() - 1, effectInterface_->factoryBankInUse());
    }
}

// Choosing.

bool DravelEdit::onMenuChosen(int tag, int index) {
    if (tag == editor_tag::kOptionsMenu || (tag >= menu::kDisplayTag && tag <= menu::kMidSideTag)) {
        runOptionsEntry(tag, index);
    } else if (tag == editor_tag::kPresetMenu) {
        if (index >= 0 && index < static_cast<int>(presetMenuMeanings_.size())) runMenuMeaning(presetMenuMeanings_[index]);
    } else if (tag == editor_tag::kBankMenu) {
        if (index >= 0 && index < static_cast<int>(bankMenuMeanings_.size())) {
            if (index == static_cast<int>(bankMenuMeanings_.size()) - 1) {
                effectInterface_->toggleFactoryBank();  // "Use Factory", always last
                afterStoreAction();
            } else {
                runMenuMeaning(bankMenuMeanings_[index]);
            }
        }
    } else if (tag == editor_tag::kSortMenu) {
        effectInterface_->sortBanks(index);
        afterStoreAction();
    } else if (tag >= editor_tag::kFirstBankSubmenu) {
        // The preset as it was listed; nothing when it has gone since.
        const std::size_t bank = static_cast<std::size_t>(tag - editor_tag::kFirstBankSubmenu);
        if (bank < bankSubmenuNumbers_.size() && index >= 0 && index < static_cast<int>(bankSubmenuNumbers_[bank].size()))
            runMenuMeaning({MenuCommand::Preset, bankSubmenuNumbers_[bank][static_cast<std::size_t>(index)]});
    } else {
        return false;
    }
    refreshMenuChecks();
    return true;
}

void DravelEdit::runMenuMeaning(const MenuMeaning& meaning) {
    switch (meaning.command) {
        case MenuCommand::Preset:
            effectInterface_->loadPresetNumber(meaning.presetNumber);
            afterStoreAction();
            break;
        case MenuCommand::OpenInformation: showPanel(PanelId::Info, true); break;
        case MenuCommand::NewPreset: openDialog(PanelId::CreateNew, {PendingAction::NewPreset, -1, {}}); break;
        case MenuCommand::DeletePreset:
            openDialog(PanelId::DeletePreset, {PendingAction::DeletePreset, meaning.presetNumber, {}});
            break;
        case MenuCommand::NewBank: openDialog(PanelId::CreateNew, {PendingAction::NewBank, -1, {}}); break;
        case MenuCommand::DeleteBank:
            if (!effectInterface_->currentBankReadOnly())
                openDialog(PanelId::DeleteBank, {PendingAction::DeleteBank, -1, bankMenuBankName_});
            break;
        case MenuCommand::ExportBank:
            if (!effectInterface_->currentBankReadOnly()) runBankFileDialog(0);
            break;
        case MenuCommand::ImportBank: runBankFileDialog(1); break;
        case MenuCommand::None: break;
    }
}

void DravelEdit::afterStoreAction() {
    rebuildPresetMenu_.store(true, std::memory_order_relaxed);
    rebuildBankMenu_.store(true, std::memory_order_relaxed);
    if (frame_ != nullptr) frame_->setDirty(true);
}

void DravelEdit::runOptionsEntry(int tag, int index) {
    const std::span<const menu::Entry> entries =
        tag == editor_tag::kOptionsMenu ? std::span<const menu::Entry>(menu::kOptionsEntries) : menu::submenuEntries(tag);
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    const menu::Entry& e = entries[static_cast<std::size_t>(index)];
    switch (e.action) {
        case menu::Action::None: return;
        case menu::Action::Toggle:
            effectInterface_->setParameter(e.option, effectInterface_->getParameter(e.option) < kOn ? 1.0f : 0.0f);
            return;
        case menu::Action::Choice: effectInterface_->setParameter(e.option, e.code); return;
        case menu::Action::AllSnap:
            for (int option : {param::kOptSnapFreq, param::kOptSnapRes, param::kOptSnapGain})
                effectInterface_->setParameter(option, e.code);
            return;
        case menu::Action::ReadOptions:
            if (effectInterface_->readOptions())
                // Each display option again as it is now, so every row follows what was read.
                for (int option : {param::kOptDisplayName, param::kOptDisplayVal, param::kOptDisplayNotes,
                                   param::kOptDisplayQOct, param::kOptShowClip})
                    effectInterface_->setParameter(option, effectInterface_->getParameter(option));
            return;
        case menu::Action::SaveOptions: effectInterface_->saveOptions(); return;
        case menu::Action::ClassBands:
            effectInterface_->classBandsByFrequency();
            frame_->setDirty(true);
            return;
        case menu::Action::ResetBandGains:
            for (const menu::BandReset& b : menu::kBandResets) {
                if (b.gain < 0) continue;
                effectInterface_->setParameter(b.gain, menu::kResetValue);
            }
            for (const menu::BandReset& b : menu::kBandResets) {
                if (b.gain < 0) continue;
                effectInterface_->setParameter(b.on, effectInterface_->getParameter(b.on) >= kOn ? 1.0f : 0.0f);
            }
            return;
        case menu::Action::ResetOutputGain:
            effectInterface_->setParameter(param::kGenVol, menu::kResetValue);
            effectInterface_->setParameter(param::kGenOn, effectInterface_->getParameter(param::kGenOn) >= kOn ? 1.0f : 0.0f);
            return;
        case menu::Action::ResetActiveBands: resetBands(true); return;
        case menu::Action::ResetInactiveBands: resetBands(false); return;
        case menu::Action::InitFromCurrent: effectInterface_->initFromCurrentSettings(); return;
        case menu::Action::ShowAbout: showPanel(PanelId::About, true); return;
        case menu::Action::ShowLeftRight: showChannelSettings(false); return;
        case menu::Action::ShowMidSide: showChannelSettings(true); return;
        case menu::Action::DiscardLeftRight:
            if (leftRightMode_ && !isPanelShown(PanelId::DiscardLR)) openDialog(PanelId::DiscardLR, {});
            return;
        case menu::Action::DiscardMidSide:
            if (midSideMode_ && !isPanelShown(PanelId::DiscardMS)) openDialog(PanelId::DiscardMS, {});
            return;
        case menu::Action::SwitchChannels: effectInterface_->switchChannels(); return;
    }
}

void DravelEdit::resetBands(bool active) {
    for (const menu::BandReset& b : menu::kBandResets) {
        if ((effectInterface_->getParameter(b.on) > kOn) != active) continue;
        for (int index : {b.gain, b.frequency, b.quality})
            if (index >= 0) effectInterface_->setParameter(index, menu::kResetValue);
        if (b.type >= 0) effectInterface_->setParameter(b.type, b.typeValue);
    }
}

void DravelEdit::showChannelSettings(bool midSide) {
    if (isPanelShown(PanelId::Side) || (midSide ? leftRightMode_ : midSideMode_)) return;
    if (effectInterface_->outputChannels() < kChannelsForSettings) return;
    // Edit the first channel, channels unlinked and not mirrored, plain level coupling.
    effectInterface_->setParameter(param::kEditedChannel, 1.0f);
    effectInterface_->setParameter(param::kCoupleLinked, 0.0f);
    effectInterface_->setParameter(param::kCoupleMirrored, 0.0f);
    effectInterface_->setParameter(param::kCoupleRelative, 0.0f);
    effectInterface_->setParameter(param::kCoupleKeep, 1.0f);
    effectInterface_->setParameter(param::kCoupleLevel, 0.0f);
    leftRightMode_ = !midSide;
    midSideMode_ = midSide;
    refreshSidePanelVariants();
    showPanel(PanelId::Side, true);
    if (midSide) effectInterface_->setMidSideCoding(true);
}
