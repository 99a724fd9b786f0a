#include "editor/interface_effet.h"

#include "effect/fonctions_dravel.h"

void CDravelInterface::setParameter(int index, float value) { effect_.setParameter(index, value); }
void CDravelInterface::setParameterAutomated(int index, float value) { effect_.setParameterAutomated(index, value); }
float CDravelInterface::getParameter(int index) { return effect_.getParameter(index); }
bool CDravelInterface::readClip() { return effect_.readClip(); }
void CDravelInterface::clearClip() { effect_.clearClip(); }
void CDravelInterface::reportMouseButtons(long buttons, int tag) {
    effect_.reportMouseButtons(static_cast<int32_t>(buttons), tag);
}
float CDravelInterface::wheelStep() { return effect_.wheelStep(); }
const char* CDravelInterface::longName(int index) { return effect_.longName(index); }
const char* CDravelInterface::displayText(int index) { return effect_.displayText(index); }
int CDravelInterface::automationClass(int index) { return effect_.automationClass(index); }
void CDravelInterface::initFromCurrentSettings() { effect_.initFromCurrentSettings(); }
void CDravelInterface::storeInitSetting(int tag, float value) { effect_.storeInitSetting(tag, value); }
float CDravelInterface::initSettingValue(int tag) { return effect_.initSettingValue(tag); }
bool CDravelInterface::currentPresetReadOnly() { return effect_.currentPresetReadOnly(); }
int CDravelInterface::channelMode() { return effect_.channelMode(); }
void CDravelInterface::reloadPresetStore() { effect_.reloadPresetStore(); }
bool CDravelInterface::periodicTask() { return effect_.periodicTask(); }
void CDravelInterface::setFromTypedText(int index, const char* text) { effect_.setFromTypedText(index, text); }
bool CDravelInterface::setBandName(int tag, const char* text) { return effect_.setBandName(tag, text); }
void CDravelInterface::switchChannels() { effect_.switchChannels(); }
void CDravelInterface::classBandsByFrequency() { effect_.classBandsByFrequency(); }
bool CDravelInterface::beginEdit(int index) { return effect_.beginEdit(index); }
bool CDravelInterface::endEdit(int index) { return effect_.endEdit(index); }

bool CDravelInterface::factoryBankInUse() { return effect_.factoryBankInUse(); }
bool CDravelInterface::currentBankReadOnly() { return effect_.currentBankReadOnly(); }
int CDravelInterface::currentBankIndex() { return effect_.currentBankIndex(); }
int CDravelInterface::currentPresetIndex() { return effect_.currentPresetIndex(); }
int CDravelInterface::bankCount() { return effect_.bankCount(); }
int CDravelInterface::presetCount(int bank) { return effect_.presetCount(bank); }
std::string CDravelInterface::bankLabel(int bank) { return effect_.bankLabel(bank); }
std::string CDravelInterface::presetName(int bank, int preset) { return effect_.presetName(bank, preset); }
int CDravelInterface::presetNumber(int bank, int preset) { return effect_.presetNumber(bank, preset); }
std::string CDravelInterface::currentBankName() { return effect_.currentBankName(); }
bool CDravelInterface::newPreset(bool initSettings) { return effect_.newPreset(initSettings); }
bool CDravelInterface::newBank(bool initSettings) { return effect_.newBank(initSettings); }
bool CDravelInterface::loadPresetNumber(int number) { return effect_.loadPresetNumber(number); }
bool CDravelInterface::deletePresetNumber(int number) { return effect_.deletePresetNumber(number); }
bool CDravelInterface::deleteBankNamed(const char* name) { return effect_.deleteBankNamed(name); }
void CDravelInterface::sortBanks(int criterion) { return effect_.sortBanks(criterion); }
void CDravelInterface::toggleFactoryBank() { return effect_.toggleFactoryBank(); }
bool CDravelInterface::bankExists(const char* name) { return effect_.bankExists(name); }
bool CDravelInterface::duplicateBank(const char* name) { return effect_.duplicateBank(name); }
bool CDravelInterface::renameBank(const char* name) { return effect_.renameBank(name); }
bool CDravelInterface::movePresetToBank(const char* name) { return effect_.movePresetToBank(name); }
bool CDravelInterface::renamePreset(const char* name) { return effect_.renamePreset(name); }
bool CDravelInterface::setAuthorName(const char* name) { return effect_.setAuthorName(name); }
bool CDravelInterface::setProjectName(const char* name) { return effect_.setProjectName(name); }
int CDravelInterface::importBank(const char* path) { return effect_.importBank(path); }
bool CDravelInterface::exportBank(const char* path) { return effect_.exportBank(path); }
bool CDravelInterface::saveOptions() { return effect_.saveOptions(); }
bool CDravelInterface::readOptions() { return effect_.readOptions(); }
void CDravelInterface::setMidSideCoding(bool on) { return effect_.setMidSideCoding(on); }
int CDravelInterface::outputChannels() { return effect_.outputChannels(); }
