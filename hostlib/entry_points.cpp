// The module's four exports and the routine table behind them (plugin_abi.h). Every call is checked
// against the live instances and catches what the plug-in raises, so nothing throws into the host.
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <set>

#include "hostlib/effect_group.h"
#include "hostlib/effect_process.h"
#include "hostlib/host_services.h"
#include "hostlib/library_error.h"
#include "hostlib/plugin_abi.h"

namespace hostlib {
namespace {

std::unique_ptr<CEffectGroupMIDI>& group = GroupSlot();
std::mutex instancesMutex;
std::set<CEffectProcess*> instances;

CEffectProcess* live(PIInstance* instance) {
    auto* process = reinterpret_cast<CEffectProcess*>(instance);
    std::lock_guard lock(instancesMutex);
    return instances.count(process) != 0 ? process : nullptr;
}

template <typename Body>
int32_t guarded(Body body) {
    try {
        return body();
    } catch (const LibraryError& error) {
        return error.code();
    } catch (...) {
        return kErrUnknown;
    }
}

template <typename Body>
int32_t onInstance(PIInstance* instance, Body body) {
    CEffectProcess* process = live(instance);
    if (process == nullptr) return kErrBadInstance;
    return guarded([&] { return body(*process); });
}

int32_t groupInfo(PIGroupInfo* info) {
    if (info == nullptr) return kErrBadArgument;
    if (!group) return kErrNotOpen;
    group->Info(*info);
    return kNoErr;
}

int32_t typeInfo(int32_t typeIndex, PITypeInfo* info) {
    if (info == nullptr) return kErrBadArgument;
    if (!group) return kErrNotOpen;
    const CEffectTypeRTAS* type = group->GetType(typeIndex);
    if (type == nullptr) return kErrBadArgument;
    type->Info(*info);
    return kNoErr;
}

PIInstance* createInstance(int32_t typeIndex, int32_t* error) {
    int32_t ignored = 0;
    int32_t& result = error != nullptr ? *error : ignored;
    const CEffectTypeRTAS* type = group ? group->GetType(typeIndex) : nullptr;
    if (type == nullptr) {
        result = group ? kErrBadArgument : kErrNotOpen;
        return nullptr;
    }
    CEffectProcess* process = nullptr;
    result = guarded([&] {
        process = type->CreateProcess();
        return process != nullptr ? kNoErr : static_cast<int32_t>(kErrUnknown);
    });
    if (process == nullptr) return nullptr;
    std::lock_guard lock(instancesMutex);
    instances.insert(process);
    return process->Handle();
}

void destroyInstance(PIInstance* instance) {
    CEffectProcess* process = live(instance);
    if (process == nullptr) return;
    {
        std::lock_guard lock(instancesMutex);
        instances.erase(process);
    }
    guarded([&] {
        delete process;
        return kNoErr;
    });
}

int32_t instanceInfo(PIInstance* instance, PIInstanceInfo* info) {
    return onInstance(instance, [&](CEffectProcess& p) {
        if (info == nullptr) return kErrBadArgument;
        *info = PIInstanceInfo{};
        info->inputs = p.GetNumInputs();
        info->outputs = p.GetNumOutputs();
        info->channelSetting = p.GetChannelSetting();
        info->controlCount = p.GetNumControls();
        info->masterBypassControl = p.GetMasterBypassControlIndex();
        info->chunkCount = static_cast<int32_t>(p.GetChunks().size());
        if (const CEffectMIDIBufferedNode* node = p.GetMIDINode()) {
            info->midiNodeID = node->GetID();
            std::strncpy(info->midiNodeName, node->GetName().c_str(), sizeof(info->midiNodeName) - 1);
        }
        return kNoErr;
    });
}

int32_t initialize(PIInstance* instance) {
    return onInstance(instance, [](CEffectProcess& p) { return p.Initialize(); });
}

int32_t setSampleRate(PIInstance* instance, double rate) {
    return onInstance(instance, [&](CEffectProcess& p) { return p.SetSampleRate(rate); });
}

int32_t idle(PIInstance* instance) {
    return onInstance(instance, [](CEffectProcess& p) {
        p.DoIdle();
        return kNoErr;
    });
}

int32_t controlInfo(PIInstance* instance, int32_t control, PIControlInfo* info) {
    return onInstance(instance, [&](CEffectProcess& p) {
        if (info == nullptr) return kErrBadArgument;
        CPluginControl* c = p.GetControl(control);
        if (c == nullptr) return kErrBadControl;
        c->Info(*info);
        return kNoErr;
    });
}

int32_t controlValue(PIInstance* instance, int32_t control, int32_t* value) {
    return onInstance(instance, [&](CEffectProcess& p) { return p.GetControlValue(control, value); });
}

int32_t setControlValue(PIInstance* instance, int32_t control, int32_t value) {
    return onInstance(instance, [&](CEffectProcess& p) { return p.SetControlValue(control, value); });
}

int32_t continuousToControl(PIInstance* instance, int32_t control, double continuous, int32_t* value) {
    return onInstance(instance, [&](CEffectProcess& p) {
        CPluginControl* c = p.GetControl(control);
        if (c == nullptr) return kErrBadControl;
        if (value == nullptr) return kErrBadArgument;
        *value = c->ConvertContinuousToControl(continuous);
        return kNoErr;
    });
}

int32_t controlToContinuous(PIInstance* instance, int32_t control, int32_t value, double* continuous) {
    return onInstance(instance, [&](CEffectProcess& p) {
        CPluginControl* c = p.GetControl(control);
        if (c == nullptr) return kErrBadControl;
        if (continuous == nullptr) return kErrBadArgument;
        *continuous = c->ConvertControlToContinuous(value);
        return kNoErr;
    });
}

// Audio thread: no lock, no allocation; the host calls it only between create and destroy.
int32_t render(PIInstance* instance, float** inputs, float** outputs, int32_t frames) {
    if (instance == nullptr) return kErrBadInstance;
    if (inputs == nullptr || outputs == nullptr) return kErrBadArgument;
    auto* process = reinterpret_cast<CEffectProcess*>(instance);
    float* in[2] = {};
    float* out[2] = {};
    const int32_t inCount = process->GetNumInputs() < 2 ? process->GetNumInputs() : 2;
    const int32_t outCount = process->GetNumOutputs() < 2 ? process->GetNumOutputs() : 2;
    for (int32_t start = 0; start < frames; start += kMaxRenderFrames) {
        const int32_t piece = frames - start < kMaxRenderFrames ? frames - start : kMaxRenderFrames;
        for (int32_t ch = 0; ch < inCount; ++ch) in[ch] = inputs[ch] != nullptr ? inputs[ch] + start : nullptr;
        for (int32_t ch = 0; ch < outCount; ++ch) out[ch] = outputs[ch] != nullptr ? outputs[ch] + start : nullptr;
        process->RenderAudio(in, out, piece);
    }
    return kNoErr;
}

int32_t midiEvent(PIInstance* instance, int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2) {
    if (instance == nullptr) return kErrBadInstance;
    CEffectMIDIBufferedNode* node = reinterpret_cast<CEffectProcess*>(instance)->GetMIDINode();
    if (node == nullptr) return kErrNotOpen;
    return node->Push({deltaFrames, {status, data1, data2}}) ? kNoErr : kErrBufferTooSmall;
}

int32_t chunkInfo(PIInstance* instance, int32_t index, PIChunkInfo* info) {
    return onInstance(instance, [&](CEffectProcess& p) {
        const auto& chunks = p.GetChunks();
        if (info == nullptr || index < 0 || index >= static_cast<int32_t>(chunks.size())) return kErrBadArgument;
        *info = PIChunkInfo{};
        info->chunkID = chunks[static_cast<size_t>(index)].chunkID;
        std::strncpy(info->name, chunks[static_cast<size_t>(index)].name.c_str(), sizeof(info->name) - 1);
        return kNoErr;
    });
}

int32_t chunkSize(PIInstance* instance, int32_t chunkID, int32_t* size) {
    return onInstance(instance, [&](CEffectProcess& p) {
        if (size == nullptr) return kErrBadArgument;
        if (p.FindChunk(chunkID) == nullptr) return kErrChunkUnknown;
        *size = 0;
        return p.GetChunkSize(chunkID, size);
    });
}

int32_t getChunk(PIInstance* instance, int32_t chunkID, void* buffer, int32_t bufferSize) {
    return onInstance(instance, [&](CEffectProcess& p) {
        if (buffer == nullptr) return kErrBadArgument;
        if (p.FindChunk(chunkID) == nullptr) return kErrChunkUnknown;
        if (bufferSize < kChunkHeaderSize) return kErrBufferTooSmall;
        auto* header = static_cast<ChunkHeader*>(buffer);
        p.FillChunkHeader(chunkID, *header);
        return p.GetChunk(chunkID, header, bufferSize);
    });
}

int32_t setChunk(PIInstance* instance, int32_t chunkID, const void* chunk, int32_t size) {
    return onInstance(instance, [&](CEffectProcess& p) {
        if (chunk == nullptr) return kErrBadArgument;
        if (p.FindChunk(chunkID) == nullptr) return kErrChunkUnknown;
        if (size < kChunkHeaderSize) return kErrChunkDamaged;
        return p.SetChunk(chunkID, static_cast<const ChunkHeader*>(chunk), size);
    });
}

int32_t keyEvent(PIInstance* instance, int32_t kind, int32_t character, int32_t modifiers, int32_t* handled) {
    return onInstance(instance, [&](CEffectProcess& p) {
        const bool used = p.HandleKeystroke(kind, character, modifiers);
        if (handled != nullptr) *handled = used ? 1 : 0;
        return kNoErr;
    });
}

int32_t viewSize(PIInstance* instance, PIRect16* rect) {
    return onInstance(instance, [&](CEffectProcess& p) { return p.GetViewRect(rect); });
}

int32_t setWindow(PIInstance* instance, void* windowReference) {
    return onInstance(instance, [&](CEffectProcess& p) { return p.SetViewPort(windowReference); });
}

int32_t draw(PIInstance* instance, const PIRect16* rect) {
    return onInstance(instance, [&](CEffectProcess& p) { return p.Draw(rect); });
}

int32_t mouseDown(PIInstance* instance, int32_t x, int32_t y, int32_t* handled) {
    return onInstance(instance, [&](CEffectProcess& p) {
        const bool used = p.MouseDown(x, y);
        if (handled != nullptr) *handled = used ? 1 : 0;
        return kNoErr;
    });
}

constexpr PIRoutineTable kRoutines{
    sizeof(PIRoutineTable), kPIAbiVersion, groupInfo, typeInfo, createInstance, destroyInstance, instanceInfo,
    initialize, setSampleRate, idle, controlInfo, controlValue, setControlValue, continuousToControl,
    controlToContinuous, render, midiEvent, chunkInfo, chunkSize, getChunk, setChunk, keyEvent, viewSize,
    setWindow, draw, mouseDown,
};

}  // namespace

}  // namespace hostlib

using namespace hostlib;

extern "C" int32_t WinPlugInOpen(void*, const PIHostServices* services) {
    SetHostServices(services);
    return kNoErr;
}

extern "C" int32_t WinPlugInClose() {
    {
        std::lock_guard lock(instancesMutex);
        // The host destroys its instances first; any left over still need the group's types.
        if (!instances.empty()) return kErrBadInstance;
    }
    group.reset();
    SetHostServices(nullptr);
    return kNoErr;
}

extern "C" int16_t NewPlugIn() {
    if (group) return kNoErr;  // one group per module
    try {
        std::unique_ptr<CEffectGroupMIDI> created(CreateEffectGroup());
        if (!created) return kErrNoGroup;
        created->Initialize();
        group = std::move(created);
        return kNoErr;
    } catch (const LibraryError& error) {
        return static_cast<int16_t>(error.code());
    } catch (...) {
        return kErrUnknown;
    }
}

// Exported as _PI_GetRoutineDescriptor (module definition file).
extern "C" const PIRoutineTable* PI_GetRoutineDescriptor(int32_t abiVersion) {
    return abiVersion == kPIAbiVersion ? &kRoutines : nullptr;
}
