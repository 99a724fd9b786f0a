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
