// One plug-in instance: loads the effect, shows its parameters as the host's controls (control 1 the
// master bypass, then one control per automatable parameter), keeps both in step, stores the effect's
// state as a chunk, passes MIDI and audio, and hosts the editor in the host's plug-in window.
//
// Threads: RenderAudio on the audio thread; everything else, and the VstCallBack's requests but
// getTime, on the UI thread.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "adapter/vst_callback.h"
#include "adapter/vst_interface.h"
#include "hostlib/effect_process.h"

namespace adapter {

constexpr int32_t kEffectUniqueID = fourCharCode('R', 'v', 'k', 't');  // the effect's, also without it
constexpr int32_t kStateChunkFormatTag = -152;
constexpr const char* kStateChunkSuffix = " Controls Data";
constexpr int32_t kMasterBypassID = hostlib::fourCC('b', 'y', 'p', 'a');
constexpr const char* kMasterBypassName = "Master Bypass\nMastrByp";
constexpr const char* kLoadFailureFormat = "Unable to load %s \n you should reinstall your Corvane product";
constexpr const char* kLoadFailureProduct = "Tovin";
constexpr double kContinuousStep = 0.0001;
constexpr VstInt32 kOnOffStepCount = 2;
// The private dispatcher opcodes the adapter sends (as -n).
constexpr VstInt32 kPrivateRedraw = 1;
constexpr VstInt32 kPrivateMouseDown = 2;

class CVelastroWrapperProcess : public hostlib::CEffectProcessMIDI {
protected:
    CVelastroWrapperProcess() = default;
};

class CVelastroWrapperProcessRTAS : public hostlib::CEffectProcessRTAS, public CVelastroWrapperProcess {
public:
    // entry: the effect's entry instead of the installed library's (tests).
    explicit CVelastroWrapperProcessRTAS(EffectEntry entry = nullptr);
    ~CVelastroWrapperProcessRTAS() override;

    static hostlib::CEffectProcess* Create();

    bool effectLoaded() const { return loaded_ != 0; }
    int32_t stateChunkID() const { return stateChunkID_; }
    bool bypassed() const { return bypass_ != 0; }
    VstInterface& vst() { return vst_; }
    // The host control of effect parameter index; 0 when it has none.
    int32_t controlOfParameter(VstInt32 index) const;

    // Library operations.
    int32_t Initialize() override;
    int32_t SetSampleRate(double rate) override;
    void DoIdle() override;
    void RenderAudio(float** inputs, float** outputs, int32_t frames) override;
    int32_t GetChunkSize(int32_t chunkID, int32_t* size) override;
    int32_t GetChunk(int32_t chunkID, hostlib::ChunkHeader* chunk, int32_t capacity) override;
    int32_t SetChunk(int32_t chunkID, const hostlib::ChunkHeader* chunk, int32_t size) override;
    bool HandleKeystroke(int32_t kind, int32_t character, int32_t modifiers) override;
    int32_t GetViewRect(PIRect16* rect) override;
    int32_t SetViewPort(void* windowReference) override;
    int32_t Draw(const PIRect16* rect) override;
    bool MouseDown(int32_t x, int32_t y) override;

    // The effect's requests (VstCallBack).
    void automate(VstInt32 index, float value);
    void updateDisplay();
    void beginEdit(VstInt32 index);
    void endEdit(VstInt32 index);
    void resendSampleRate();
    // The host's tempo truncated to whole beats per minute; false without one.
    bool tempo(int* bpm) const;

protected:
    void UpdateControlValueInAlgorithm(int32_t index) override;

private:
    void createControls();
    void passThrough(float** inputs, float** outputs, int32_t frames) const;
    // Sets a control for the effect without handing the change back to it.
    void setControlQuietly(int32_t control, double continuous, bool recordAsAutomation);

    int loaded_ = 0;
    VstCallBack callback_;
    VstInterface vst_;  // after callback_: the effect may call back while it closes
    unsigned char bypass_ = 0;
    int32_t cachedChunkSize_ = 0;
    uint32_t lastTick_ = 0;
    float* inputs_[2] = {};
    float* outputs_[2] = {};
    std::unique_ptr<hostlib::CEffectMIDIBufferedNode> midiNode_;
    int32_t stateChunkID_ = kEffectUniqueID;
    std::vector<int32_t> controlOfParameter_;  // by parameter index; 0: none
    std::vector<VstInt32> parameterOfControl_;  // by control number; -1: not a parameter
    bool ownWrite_ = false;
    // Channels the host does not supply: a silent input and two outputs nobody reads, each
    // kMaxRenderFrames long, allocated at initialisation.
    std::vector<float> scratch_;
    std::array<hostlib::MidiPacket, kMidiEventCapacity> packets_{};
    // Without the effect, the state chunk a document held, handed back unchanged.
    std::vector<unsigned char> keptChunk_;
};

}  // namespace adapter
