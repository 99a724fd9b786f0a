#include "vst/audioeffectx.h"

#include "vst/aeffeditor.h"

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode >= 0 && opcode <= 24) return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    switch (opcode) {
        case effProcessEvents: return ptr != nullptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
        case effCanBeAutomated: return canParameterBeAutomated(index) ? 1 : 0;
        case effString2Parameter: return string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
        case effGetProgramNameIndexed:
            return ptr != nullptr && getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr))
                       ? 1
                       : 0;
        case effGetInputProperties:
            return ptr != nullptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetOutputProperties:
            return ptr != nullptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetPlugCategory: return getPlugCategory();
        case effSetBypass: return setBypass(value != 0) ? 1 : 0;
        case effGetEffectName: return ptr != nullptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetVendorString: return ptr != nullptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetProductString: return ptr != nullptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetVendorVersion: return getVendorVersion();
        case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
        case effCanDo: return ptr != nullptr ? canDo(static_cast<char*>(ptr)) : 0;
        case effGetTailSize: return getGetTailSize();
        case effGetParameterProperties:
            return ptr != nullptr && getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
        case effGetVstVersion: return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp:
            if (editor != nullptr) {
                VstKeyCode key{};
                key.character = index;
                key.virt = static_cast<unsigned char>(value);
                key.modifier = static_cast<unsigned char>(opt);
                const bool handled = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
                return handled ? 1 : 0;
            }
            return 0;
        case effSetEditKnobMode:
            if (editor != nullptr) return editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
            return 0;
        case effGetCurrentMidiProgram: return getCurrentMidiProgram(index);
        case effGetSpeakerArrangement:
            if (value != 0) *reinterpret_cast<VstSpeakerArrangement**>(value) = nullptr;
            if (ptr != nullptr) *static_cast<VstSpeakerArrangement**>(ptr) = nullptr;
            return 0;
        case effSetTotalSampleToProcess: return setTotalSampleToProcess(static_cast<VstInt32>(value));
        default: return 0;
    }
}

bool AudioEffectX::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }

bool AudioEffectX::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }

bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}
