#include "vst/audioeffect.h"

#include <cstring>

#include "vst/aeffeditor.h"

void vstCopyText(char* destination, const char* source, int size) {
    if (destination == nullptr || size <= 0) return;
    int i = 0;
    if (source != nullptr) {
        for (; i < size - 1 && source[i] != 0; ++i) destination[i] = source[i];
    }
    destination[i] = 0;
}

AudioEffect::AudioEffect(audioMasterCallback master, VstInt32 programs, VstInt32 params)
    : audioMaster(master), numPrograms(programs), numParams(params) {
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffect;
    cEffect.process = processEffect;
    cEffect.setParameter = setParameterEffect;
    cEffect.getParameter = getParameterEffect;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEffect;
    cEffect.processDoubleReplacing = processDoubleEffect;
}

AudioEffect::~AudioEffect() {
    delete editor;
    editor = nullptr;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    if (newEditor != nullptr)
        cEffect.flags |= effFlagsHasEditor;
    else
        cEffect.flags &= ~effFlagsHasEditor;
}

void AudioEffect::canProcessReplacing(bool state) {
    if (state)
        cEffect.flags |= effFlagsCanReplacing;
    else
        cEffect.flags &= ~effFlagsCanReplacing;
}

void AudioEffect::programsAreChunks(bool state) {
    if (state)
        cEffect.flags |= effFlagsProgramChunks;
    else
        cEffect.flags &= ~effFlagsProgramChunks;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (audioMaster == nullptr) return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

VstInt32 AudioEffect::getMasterVersion() {
    const VstIntPtr version = callHost(audioMasterVersion);
    return version != 0 ? static_cast<VstInt32>(version) : 1;
}

void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getChunk(void** data, bool) {
    if (data != nullptr) *data = nullptr;
    return 0;
}

VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose: close(); return 0;
        case effSetProgram:
            if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName:
            if (ptr != nullptr) setProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetProgramName:
            if (ptr != nullptr) getProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetParamLabel:
            if (ptr != nullptr) getParameterLabel(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamDisplay:
            if (ptr != nullptr) getParameterDisplay(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamName:
            if (ptr != nullptr) getParameterName(index, static_cast<char*>(ptr));
            return 0;
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect:
            if (editor != nullptr && ptr != nullptr) return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
            return 0;
        case effEditOpen:
            if (editor != nullptr) return editor->open(ptr) ? 1 : 0;
            return 0;
        case effEditClose:
            if (editor != nullptr) editor->close();
            return 0;
        case effEditIdle:
            if (editor != nullptr) editor->idle();
            return 0;
        case effIdentify: return fourCharCode('N', 'v', 'E', 'f');
        case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk: return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        default: return 0;
    }
}

VstIntPtr VSTCALLBACK AudioEffect::dispatchEffect(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                  void* ptr, float opt) {
    auto* effect = static_cast<AudioEffect*>(e->object);
    if (effect == nullptr) return 0;
    if (opcode == effClose) {
        // The host's close ends the object's life: the SDK deletes the effect here.
        effect->dispatcher(opcode, index, value, ptr, opt);
        e->object = nullptr;
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK AudioEffect::processEffect(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
    auto* effect = static_cast<AudioEffect*>(e->object);
    if (effect != nullptr) effect->process(inputs, outputs, frames);
}

void VSTCALLBACK AudioEffect::processReplacingEffect(AEffect* e, float** inputs, float** outputs,
                                                    VstInt32 frames) {
    auto* effect = static_cast<AudioEffect*>(e->object);
    if (effect != nullptr) effect->processReplacing(inputs, outputs, frames);
}

void VSTCALLBACK AudioEffect::processDoubleEffect(AEffect* e, double** inputs, double** outputs,
                                                 VstInt32 frames) {
    auto* effect = static_cast<AudioEffect*>(e->object);
    if (effect != nullptr) effect->processDoubleReplacing(inputs, outputs, frames);
}

void VSTCALLBACK AudioEffect::setParameterEffect(AEffect* e, VstInt32 index, float value) {
    auto* effect = static_cast<AudioEffect*>(e->object);
    if (effect != nullptr) effect->setParameter(index, value);
}

float VSTCALLBACK AudioEffect::getParameterEffect(AEffect* e, VstInt32 index) {
    auto* effect = static_cast<AudioEffect*>(e->object);
    return effect != nullptr ? effect->getParameter(index) : 0.0f;
}
