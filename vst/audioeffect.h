// The AudioEffect level of the VST 2.4 class design: the AEffect record handed to the host, the static
// trampolines into the object's virtual operations, and the dispatcher for opcodes 0 to 24.
#pragma once

#include "vst/aeffectx.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    AEffect* getAeffect() { return &cEffect; }
    audioMasterCallback getAudioMaster() const { return audioMaster; }
    AEffEditor* getEditor() const { return editor; }
    void setEditor(AEffEditor* newEditor);

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual float getSampleRate() const { return sampleRate; }
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }

    virtual void process(float**, float**, VstInt32) {}
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double**, double**, VstInt32) {}

    virtual void setParameter(VstInt32, float) {}
    virtual float getParameter(VstInt32) { return 0.0f; }
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char*) {}
    virtual void getProgramName(char* name) { name[0] = 0; }

    virtual void getParameterLabel(VstInt32, char* label) { label[0] = 0; }
    virtual void getParameterDisplay(VstInt32, char* text) { text[0] = 0; }
    virtual void getParameterName(VstInt32, char* text) { text[0] = 0; }

    virtual VstInt32 getChunk(void** data, bool isPreset = false);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);

    // Host calls made by the effect.
    virtual VstInt32 getMasterVersion();
    virtual void masterIdle();

protected:
    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setNumInputs(VstInt32 n) { cEffect.numInputs = n; }
    void setNumOutputs(VstInt32 n) { cEffect.numOutputs = n; }
    void canProcessReplacing(bool state = true);
    void programsAreChunks(bool state = true);
    void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    audioMasterCallback audioMaster = nullptr;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms = 0;
    VstInt32 numParams = 0;
    VstInt32 curProgram = 0;
    AEffect cEffect{};

private:
    static VstIntPtr VSTCALLBACK dispatchEffect(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                void* ptr, float opt);
    static void VSTCALLBACK processEffect(AEffect* e, float** inputs, float** outputs, VstInt32 frames);
    static void VSTCALLBACK processReplacingEffect(AEffect* e, float** inputs, float** outputs,
                                                  VstInt32 frames);
    static void VSTCALLBACK processDoubleEffect(AEffect* e, double** inputs, double** outputs,
                                               VstInt32 frames);
    static void VSTCALLBACK setParameterEffect(AEffect* e, VstInt32 index, float value);
    static float VSTCALLBACK getParameterEffect(AEffect* e, VstInt32 index);
};

// Copies at most size - 1 characters and always terminates; size counts the terminator.
void vstCopyText(char* destination, const char* source, int size);
