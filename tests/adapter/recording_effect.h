// A small VST effect linked into the test program that records what the adapter asks of it: the
// adapter linked in and given this effect's entry shows what no host can see from outside.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

#include "vst/aeffect.h"
#include "vst/aeffectx.h"

namespace recording {

struct Call {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
    bool editorWindowAlive;  // the window effEditOpen got still exists
};

struct MidiBlock {
    std::vector<VstMidiEvent> events;
};

constexpr VstInt32 kParams = 4;  // 0, 1 continuous, 2 a switch, 3 not automatable
constexpr VstInt32 kUniqueID = fourCharCode('R', 'v', 'k', 't');

struct Effect {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    std::vector<Call> calls;
    std::vector<std::pair<VstInt32, float>> setParameters;
    float parameters[kParams] = {0.1f, 0.2f, 0.0f, 0.5f};
    ERect rect{0, 0, 267, 640};
    HWND editorWindow = nullptr;
    std::vector<MidiBlock> midi;
    int processCalls = 0;
    bool secondInputNull = false;
    float* outputs[2] = {};
    std::vector<char> chunk = std::vector<char>(100, 'c');
    std::vector<char> restored;
    bool restoreCalled = false;

    size_t count(VstInt32 opcode) const {
        size_t n = 0;
        for (const Call& call : calls) n += call.opcode == opcode ? 1 : 0;
        return n;
    }
    const Call* last(VstInt32 opcode) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->opcode == opcode) return &*it;
        return nullptr;
    }
};

inline Effect& current() {
    static Effect effect;
    return effect;
}

inline VstIntPtr VSTCALLBACK dispatcher(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                        float opt) {
    Effect& e = current();
    e.calls.push_back({opcode, index, value, opt, e.editorWindow != nullptr && IsWindow(e.editorWindow) != 0});
    switch (opcode) {
        case effEditGetRect: *static_cast<ERect**>(ptr) = &e.rect; return 1;
        case effEditOpen: e.editorWindow = static_cast<HWND>(ptr); return 1;
        case effGetChunk: *static_cast<void**>(ptr) = e.chunk.data(); return static_cast<VstIntPtr>(e.chunk.size());
        case effSetChunk:
            e.restoreCalled = true;
            e.restored.assign(static_cast<char*>(ptr), static_cast<char*>(ptr) + value);
            return 0;
        case effCanBeAutomated: return index == 3 ? 0 : 1;
        case effGetParameterProperties: {
            auto* properties = static_cast<VstParameterProperties*>(ptr);
            if (index == 1) return 0;  // answered by name only
            std::strcpy(properties->label, index == 2 ? "A Switch" : "Level A");
            std::memcpy(properties->shortLabel, index == 2 ? "Switch  " : "LevA    ", 8);
            if (index == 2) {
                properties->flags = kVstParameterIsSwitch;
                properties->stepInteger = 2;
            }
            return 1;
        }
        case effGetParamName: std::strcpy(static_cast<char*>(ptr), "Level B"); return 0;
        case effProcessEvents: {
            auto* events = static_cast<VstEvents*>(ptr);
            MidiBlock block;
            for (VstInt32 i = 0; i < events->numEvents; ++i)
                block.events.push_back(*reinterpret_cast<VstMidiEvent*>(events->events[i]));
            e.midi.push_back(block);
            return 1;
        }
        case effEditKeyDown:
        case effEditKeyUp: return index == '+' ? 1 : 0;
        case -2: return 1;
        default: return 0;
    }
}

inline void VSTCALLBACK setParameter(AEffect*, VstInt32 index, float value) {
    Effect& e = current();
    e.setParameters.emplace_back(index, value);
    if (index >= 0 && index < kParams) e.parameters[index] = value;
}

inline float VSTCALLBACK getParameter(AEffect*, VstInt32 index) {
    return index >= 0 && index < kParams ? current().parameters[index] : 0.0f;
}

// Writes both outputs, as the effect does.
inline void VSTCALLBACK processReplacing(AEffect*, float** inputs, float** outputs, VstInt32 frames) {
    Effect& e = current();
    ++e.processCalls;
    e.secondInputNull = inputs[1] == nullptr;
    e.outputs[0] = outputs[0];
    e.outputs[1] = outputs[1];
    for (VstInt32 i = 0; i < frames; ++i) {
        outputs[0][i] = 0.5f * inputs[0][i];
        outputs[1][i] = 0.5f * (inputs[1] != nullptr ? inputs[1][i] : inputs[0][i]);
    }
}

// Starts a fresh recording effect; the adapter calls this as the library's main.
inline AEffect* VSTCALLBACK entry(audioMasterCallback host) {
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    Effect& e = current();
    e = Effect{};
    e.host = host;
    e.effect.magic = kEffectMagic;
    e.effect.dispatcher = dispatcher;
    e.effect.setParameter = setParameter;
    e.effect.getParameter = getParameter;
    e.effect.processReplacing = processReplacing;
    e.effect.numParams = kParams;
    e.effect.numInputs = 2;
    e.effect.numOutputs = 2;
    e.effect.uniqueID = kUniqueID;
    // As the effect does at the end of its construction: the adapter answers 0, its user field is unset.
    host(&e.effect, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
    return &e.effect;
}

inline AEffect* VSTCALLBACK failingEntry(audioMasterCallback) { return nullptr; }

// The effect calling its host.
inline VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                          float opt = 0.0f) {
    Effect& e = current();
    return e.host(&e.effect, opcode, index, value, ptr, opt);
}

}  // namespace recording
