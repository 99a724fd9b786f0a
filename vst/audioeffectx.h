// The AudioEffectX level of the VST 2.4 class design: dispatcher for opcodes 25 to 79 and the extended
// host calls (automation gestures, display update, window size).
#pragma once

#include "vst/audioeffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
        : AudioEffect(audioMaster, numPrograms, numParams) {}

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual VstInt32 processEvents(VstEvents*) { return 0; }
    virtual bool canParameterBeAutomated(VstInt32) { return true; }
    virtual bool string2parameter(VstInt32, char*) { return false; }
    virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
    virtual bool getInputProperties(VstInt32, VstPinProperties*) { return false; }
    virtual bool getOutputProperties(VstInt32, VstPinProperties*) { return false; }
    virtual VstInt32 getPlugCategory() { return kPlugCategUnknown; }
    virtual bool setBypass(bool) { return false; }
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
    virtual VstInt32 canDo(char*) { return 0; }
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual bool getParameterProperties(VstInt32, VstParameterProperties*) { return false; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstInt32 getCurrentMidiProgram(VstInt32) { return -1; }
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }

    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    virtual bool updateDisplay();
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
};
