// The process object, one per plug-in instance: controls, chunks, sample rate, idle, render, keys and
// the plug-in window. A plug-in derives from CEffectProcessRTAS and CEffectProcessMIDI and overrides
// the virtual operations. Everything runs on the host's UI thread except RenderAudio (audio thread).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hostlib/midi_node.h"
#include "hostlib/plugin_abi.h"
#include "hostlib/plugin_control.h"
#include "hostlib/settings.h"

namespace hostlib {

class CEffectTypeRTAS;

struct RegisteredChunk {
    int32_t chunkID;
    std::string name;
    int32_t formatTag;
};

class CEffectProcess {
public:
    CEffectProcess();
    virtual ~CEffectProcess();
    CEffectProcess(const CEffectProcess&) = delete;
    CEffectProcess& operator=(const CEffectProcess&) = delete;

    // The host's handle of this instance.
    PIInstance* Handle() { return reinterpret_cast<PIInstance*>(this); }
    // The type that created it: channel counts, IDs and the initial channel setting.
    void AttachType(const CEffectTypeRTAS* type);
    const CEffectTypeRTAS* GetType() const { return type_; }
    int32_t GetNumInputs() const { return inputs_; }
    int32_t GetNumOutputs() const { return outputs_; }
    int32_t GetChannelSetting() const { return channelSetting_; }
    void SetChannelSetting(int32_t setting) { channelSetting_ = setting; }

    // Controls, numbered from 1 in the order they are added.
    int32_t AddControl(std::unique_ptr<CPluginControl> control);
    void DefineMasterBypassControlIndex(int32_t index) { masterBypass_ = index; }
    int32_t GetMasterBypassControlIndex() const { return masterBypass_; }
    int32_t GetNumControls() const { return static_cast<int32_t>(controls_.size()); }
    CPluginControl* GetControl(int32_t index);
    // A host's change: stores the value and calls UpdateControlValueInAlgorithm.
    int32_t SetControlValue(int32_t index, int32_t value);
    // The plug-in's own change: as SetControlValue, and the host records it as automation.
    int32_t SetControlValueFromPlugIn(int32_t index, int32_t value);
    int32_t GetControlValue(int32_t index, int32_t* value);
    // Start and end of a user's gesture on a control.
    void TouchControl(int32_t index);
    void ReleaseControl(int32_t index);

    // Chunks. The library fills the header's fields after totalSize before GetChunk.
    void AddChunk(int32_t chunkID, const char* name, int32_t formatTag);
    const std::vector<RegisteredChunk>& GetChunks() const { return chunks_; }
    const RegisteredChunk* FindChunk(int32_t chunkID) const;
    void FillChunkHeader(int32_t chunkID, ChunkHeader& header) const;
    virtual int32_t GetChunkSize(int32_t chunkID, int32_t* size);
    // chunk points at capacity bytes; the process writes totalSize and the data behind the header.
    virtual int32_t GetChunk(int32_t chunkID, ChunkHeader* chunk, int32_t capacity);
    // size is what the host handed over (header included).
    virtual int32_t SetChunk(int32_t chunkID, const ChunkHeader* chunk, int32_t size);

    // Lifecycle.
    virtual int32_t Initialize();
    bool IsInitialized() const { return initialized_; }
    virtual int32_t SetSampleRate(double rate);
    double GetSampleRate() const { return sampleRate_; }
    virtual void DoIdle() {}
    uint32_t GetHostTick() const;
    // The host's current tempo (beats per minute); false when the host has none.
    bool GetHostTempo(double* bpm) const;

    // Audio thread. inputs and outputs hold GetNumInputs() / GetNumOutputs() pointers, some maybe null;
    // frames is at most kMaxRenderFrames.
    virtual void RenderAudio(float** inputs, float** outputs, int32_t frames) = 0;

    // Keys (kind kKeyDown or kKeyUp): true when handled.
    virtual bool HandleKeystroke(int32_t kind, int32_t character, int32_t modifiers);

    // The plug-in window.
    virtual int32_t GetViewRect(PIRect16* rect);
    virtual int32_t SetViewPort(void* windowReference);  // null: removed
    virtual int32_t Draw(const PIRect16* rect);
    virtual bool MouseDown(int32_t x, int32_t y);
    // The Windows window handle of a host window reference (host library service).
    void* WindowOfReference(void* reference) const;

    // The MIDI node render reads, if any (set by CEffectProcessMIDI).
    CEffectMIDIBufferedNode* GetMIDINode() const { return midiNode_; }

protected:
    void SetMIDINode(CEffectMIDIBufferedNode* node) { midiNode_ = node; }
    // Called after every change of a control's value.
    virtual void UpdateControlValueInAlgorithm(int32_t index);

private:
    const CEffectTypeRTAS* type_ = nullptr;
    int32_t inputs_ = 2;
    int32_t outputs_ = 2;
    int32_t channelSetting_ = kChannelSettingStereoPair;
    std::vector<std::unique_ptr<CPluginControl>> controls_;
    int32_t masterBypass_ = 0;
    std::vector<RegisteredChunk> chunks_;
    bool initialized_ = false;
    double sampleRate_ = 44100.0;
    CEffectMIDIBufferedNode* midiNode_ = nullptr;
};

// A process with a buffered MIDI input node and the 'midi' chunk that keeps the node's ID.
class CEffectProcessMIDI : public virtual CEffectProcess {
public:
    CEffectProcessMIDI();
    int32_t GetChunkSize(int32_t chunkID, int32_t* size) override;
    int32_t GetChunk(int32_t chunkID, ChunkHeader* chunk, int32_t capacity) override;
    int32_t SetChunk(int32_t chunkID, const ChunkHeader* chunk, int32_t size) override;

protected:
    // A new node with the host's name for it (fallback: the type name and a serial number) and a new ID.
    std::unique_ptr<CEffectMIDIBufferedNode> NewMIDINode();
    void AttachMIDINode(CEffectMIDIBufferedNode* node) { SetMIDINode(node); }

private:
    std::vector<unsigned char> midiChunkBody() const;
};

// The host-native process: render is called with the host's own buffers.
class CEffectProcessRTAS : public virtual CEffectProcess {
public:
    CEffectProcessRTAS() = default;
};

}  // namespace hostlib
