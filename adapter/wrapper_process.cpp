#include "adapter/wrapper_process.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "adapter/key_mapping.h"
#include "hostlib/host_services.h"

namespace adapter {
namespace {

using hostlib::ChunkHeader;
using hostlib::kChunkHeaderSize;
using hostlib::kMaxRenderFrames;

constexpr int32_t kBypassControl = 1;
std::atomic<bool> failureShown{false};

// The failure is the installation's, not the instance's: one message per process.
void showLoadFailure() {
    if (failureShown.exchange(true)) return;
    char text[256];
    std::snprintf(text, sizeof(text), kLoadFailureFormat, kLoadFailureProduct);
    hostlib::ShowMessage("", text);
}

std::string controlName(const char* longName, const char* shortName, size_t shortSize) {
    std::string name = longName;
    const std::string shortText(shortName, strnlen(shortName, shortSize));
    if (!shortText.empty()) name += "\n" + shortText;
    return name;
}

}  // namespace

hostlib::CEffectProcess* CVelastroWrapperProcessRTAS::Create() { return new CVelastroWrapperProcessRTAS(); }

CVelastroWrapperProcessRTAS::CVelastroWrapperProcessRTAS(EffectEntry entry) : callback_(this) {
    const std::string chunkName = std::string(kLoadFailureProduct) + kStateChunkSuffix;
    if (vst_.load(&callback_, entry) != 0) {
        showLoadFailure();
        // Still a state chunk: a document's settings survive a session without the effect.
        AddChunk(stateChunkID_, chunkName.c_str(), kStateChunkFormatTag);
        return;
    }
    loaded_ = 1;
    stateChunkID_ = vst_.uniqueID();
    AddChunk(stateChunkID_, chunkName.c_str(), kStateChunkFormatTag);
    const int32_t bypass = AddControl(std::make_unique<hostlib::CPluginControl_OnOff>(kMasterBypassID, kMasterBypassName, false));
    DefineMasterBypassControlIndex(bypass);
    parameterOfControl_.assign(static_cast<size_t>(bypass) + 1, -1);
    createControls();
}

CVelastroWrapperProcessRTAS::~CVelastroWrapperProcessRTAS() {
    // Everything the effect may call back into is still alive here.
    vst_.close();
}

void CVelastroWrapperProcessRTAS::createControls() {
    const VstInt32 count = vst_.numParams();
    controlOfParameter_.assign(count > 0 ? static_cast<size_t>(count) : 0, 0);
    for (VstInt32 i = 0; i < count; ++i) {
        if (vst_.dispatch(false, effCanBeAutomated, i) == 0) continue;
        const float value = vst_.getParameter(i);
        VstParameterProperties properties;
        std::memset(&properties, 0, sizeof(properties));
        std::unique_ptr<hostlib::CPluginControl> control;
        if (vst_.dispatch(false, effGetParameterProperties, i, 0, &properties) == 1) {
            properties.label[sizeof(properties.label) - 1] = 0;
            const std::string name = controlName(properties.label, properties.shortLabel, sizeof(properties.shortLabel));
            const bool isSwitch = (properties.flags & kVstParameterIsSwitch) != 0;
            if (isSwitch && properties.stepInteger == kOnOffStepCount)
                control = std::make_unique<hostlib::CPluginControl_OnOff>(i, name, value >= 0.5f);
            else {
                const double step = isSwitch && properties.stepInteger > 0 ? 1.0 / properties.stepInteger : kContinuousStep;
                control = std::make_unique<hostlib::CPluginControl_LinearLevel>(i, name, 0.0, 1.0, step, value);
            }
        } else {
            char name[kVstMaxLabelLen + 1] = {};
            vst_.dispatch(false, effGetParamName, i, 0, name);
            name[kVstMaxLabelLen] = 0;
            control = std::make_unique<hostlib::CPluginControl_LinearLevel>(i, name, 0.0, 1.0, kContinuousStep, value);
        }
        const int32_t number = AddControl(std::move(control));
        controlOfParameter_[static_cast<size_t>(i)] = number;
        parameterOfControl_.resize(static_cast<size_t>(number) + 1, -1);
        parameterOfControl_[static_cast<size_t>(number)] = i;
    }
}

int32_t CVelastroWrapperProcessRTAS::controlOfParameter(VstInt32 index) const {
    if (index < 0 || static_cast<size_t>(index) >= controlOfParameter_.size()) return 0;
    return controlOfParameter_[static_cast<size_t>(index)];
}

int32_t CVelastroWrapperProcessRTAS::Initialize() {
    if (IsInitialized()) return hostlib::kNoErr;
    if (loaded_) {
        vst_.dispatch(false, effOpen);
        vst_.dispatch(false, effMainsChanged, 0, 1);
    }
    SetChannelSetting(GetChannelSetting() == hostlib::kChannelSettingStereoPair ? hostlib::kChannelSettingStereoPair
                                                                                 : hostlib::kChannelSettingPerChannel);
    const int32_t result = CEffectProcessRTAS::Initialize();
    if (result != hostlib::kNoErr) return result;
    midiNode_ = NewMIDINode();
    midiNode_->Activate();
    AttachMIDINode(midiNode_.get());
    if (loaded_) scratch_.assign(3 * static_cast<size_t>(kMaxRenderFrames), 0.0f);
    return hostlib::kNoErr;
}

int32_t CVelastroWrapperProcessRTAS::SetSampleRate(double rate) {
    if (!(rate > 0.0)) return hostlib::kErrBadArgument;
    vst_.dispatch(false, effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    return CEffectProcessRTAS::SetSampleRate(rate);
}

void CVelastroWrapperProcessRTAS::DoIdle() {
    CEffectProcessRTAS::DoIdle();
    const uint32_t tick = GetHostTick();
    if (tick == lastTick_) return;
    lastTick_ = tick;
    vst_.dispatch(false, effEditIdle);
}

// Controls and parameters.

void CVelastroWrapperProcessRTAS::UpdateControlValueInAlgorithm(int32_t index) {
    // The adapter's own writes carry the effect's values already.
    if (ownWrite_ || !loaded_) return;
    hostlib::CPluginControl* control = GetControl(index);
    if (control == nullptr) return;
    const double value = control->GetContinuousValue();
    if (index == kBypassControl) {
        bypass_ = value > 0.0 ? 1 : 0;
        vst_.dispatch(false, effSetBypass, 0, bypass_ != 0 ? 1 : 0);
        return;
    }
    if (index < 0 || static_cast<size_t>(index) >= parameterOfControl_.size()) return;
    const VstInt32 parameter = parameterOfControl_[static_cast<size_t>(index)];
    if (parameter >= 0) vst_.setParameter(parameter, static_cast<float>(value));
}

void CVelastroWrapperProcessRTAS::setControlQuietly(int32_t control, double continuous, bool recordAsAutomation) {
    hostlib::CPluginControl* target = GetControl(control);
    if (target == nullptr) return;
    const int32_t value = target->ConvertContinuousToControl(continuous);
    const bool outer = !ownWrite_;
    ownWrite_ = true;
    if (recordAsAutomation)
        SetControlValueFromPlugIn(control, value);
    else
        SetControlValue(control, value);
    if (outer) ownWrite_ = false;
}

void CVelastroWrapperProcessRTAS::automate(VstInt32 index, float value) {
    if (const int32_t control = controlOfParameter(index)) setControlQuietly(control, value, true);
}

void CVelastroWrapperProcessRTAS::updateDisplay() {
    const VstInt32 count = std::min<VstInt32>(vst_.numParams(), static_cast<VstInt32>(controlOfParameter_.size()));
    for (VstInt32 i = 0; i < count; ++i)
        if (const int32_t control = controlOfParameter(i)) setControlQuietly(control, vst_.getParameter(i), false);
}

void CVelastroWrapperProcessRTAS::beginEdit(VstInt32 index) {
    if (const int32_t control = controlOfParameter(index)) TouchControl(control);
}

void CVelastroWrapperProcessRTAS::endEdit(VstInt32 index) {
    if (const int32_t control = controlOfParameter(index)) ReleaseControl(control);
}

void CVelastroWrapperProcessRTAS::resendSampleRate() {
    vst_.dispatch(false, effSetSampleRate, 0, 0, nullptr, static_cast<float>(GetSampleRate()));
}

bool CVelastroWrapperProcessRTAS::tempo(int* bpm) const {
    double hostTempo = 0.0;
    if (bpm == nullptr || !GetHostTempo(&hostTempo) || hostTempo >= static_cast<double>(std::numeric_limits<int>::max()))
        return false;
    *bpm = static_cast<int>(hostTempo);
    return *bpm > 0;
}

// Audio.

void CVelastroWrapperProcessRTAS::passThrough(float** inputs, float** outputs, int32_t frames) const {
    const auto bytes = sizeof(float) * static_cast<size_t>(frames);
    for (int32_t ch = 0; ch < GetNumOutputs() && ch < 2; ++ch) {
        if (outputs[ch] == nullptr) continue;
        // A channel without its own input hears the first one.
        const float* source = ch < GetNumInputs() && inputs[ch] != nullptr ? inputs[ch] : inputs[0];
        if (source == nullptr)
            std::memset(outputs[ch], 0, bytes);
        else if (source != outputs[ch])
            std::memmove(outputs[ch], source, bytes);
    }
}

void CVelastroWrapperProcessRTAS::RenderAudio(float** inputs, float** outputs, int32_t frames) {
    if (frames <= 0) return;
    if (!loaded_ || scratch_.empty() || frames > kMaxRenderFrames) {
        passThrough(inputs, outputs, frames);
        return;
    }
    if (bypass_ != 0) {
        // Notes played while bypassed are not played late when the bypass ends.
        if (midiNode_) midiNode_->TakePending(packets_.data(), static_cast<int32_t>(packets_.size()));
        vst_.sendAllNotesOff();
        passThrough(inputs, outputs, frames);
        return;
    }
    if (midiNode_) {
        const int32_t count = midiNode_->TakePending(packets_.data(), static_cast<int32_t>(packets_.size()));
        if (count > 0) vst_.sendMidi(packets_.data(), count);
    }
    float* silentInput = scratch_.data();
    float* spareOutput[2] = {scratch_.data() + kMaxRenderFrames, scratch_.data() + 2 * kMaxRenderFrames};
    inputs_[0] = inputs[0] != nullptr ? inputs[0] : silentInput;
    // A missing second input is a mono source: the effect processes it as such.
    inputs_[1] = GetNumInputs() > 1 ? inputs[1] : nullptr;
    // The effect writes two outputs; those the host does not supply go to scratch.
    for (int ch = 0; ch < 2; ++ch)
        outputs_[ch] = ch < GetNumOutputs() && outputs[ch] != nullptr ? outputs[ch] : spareOutput[ch];
    vst_.process(inputs_, outputs_, frames);
}

// The state chunk.

int32_t CVelastroWrapperProcessRTAS::GetChunkSize(int32_t chunkID, int32_t* size) {
    if (chunkID != stateChunkID_) return CVelastroWrapperProcess::GetChunkSize(chunkID, size);
    if (size == nullptr) return hostlib::kErrBadArgument;
    if (!loaded_) {
        *size = static_cast<int32_t>(keptChunk_.size());
        return hostlib::kNoErr;
    }
    if (cachedChunkSize_ == 0) {
        void* data = nullptr;
        const VstIntPtr bytes = vst_.dispatch(false, effGetChunk, 0, 0, &data);
        cachedChunkSize_ = bytes > 0 && data != nullptr ? static_cast<int32_t>(bytes) : 0;
    }
    *size = cachedChunkSize_ > 0 ? cachedChunkSize_ + kChunkHeaderSize : 0;
    return hostlib::kNoErr;
}

int32_t CVelastroWrapperProcessRTAS::GetChunk(int32_t chunkID, ChunkHeader* chunk, int32_t capacity) {
    if (chunkID != stateChunkID_) return CVelastroWrapperProcess::GetChunk(chunkID, chunk, capacity);
    if (chunk == nullptr) return hostlib::kErrBadArgument;
    auto* bytes = reinterpret_cast<unsigned char*>(chunk);
    if (!loaded_) {
        if (keptChunk_.empty()) return hostlib::kErrChunkUnknown;
        if (static_cast<size_t>(capacity) < keptChunk_.size()) return hostlib::kErrBufferTooSmall;
        std::memcpy(bytes, keptChunk_.data(), keptChunk_.size());
        return hostlib::kNoErr;
    }
    void* data = nullptr;
    const VstIntPtr size = vst_.dispatch(false, effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr) return hostlib::kErrUnknown;
    cachedChunkSize_ = static_cast<int32_t>(size);
    if (size > capacity - kChunkHeaderSize) return hostlib::kErrBufferTooSmall;
    chunk->totalSize = cachedChunkSize_ + kChunkHeaderSize;
    std::memcpy(bytes + kChunkHeaderSize, data, static_cast<size_t>(size));
    return hostlib::kNoErr;
}

int32_t CVelastroWrapperProcessRTAS::SetChunk(int32_t chunkID, const ChunkHeader* chunk, int32_t size) {
    if (chunkID != stateChunkID_) return CVelastroWrapperProcess::SetChunk(chunkID, chunk, size);
    if (chunk == nullptr) return hostlib::kErrBadArgument;
    // The size the chunk says it has, which must fit in what the host handed over and hold data.
    int32_t stored = 0;
    std::memcpy(&stored, chunk, sizeof(stored));
    if (size <= kChunkHeaderSize || stored <= kChunkHeaderSize || stored > size) return hostlib::kErrChunkDamaged;
    const auto* bytes = reinterpret_cast<const unsigned char*>(chunk);
    if (!loaded_) {
        keptChunk_.assign(bytes, bytes + stored);
        return hostlib::kNoErr;
    }
    std::vector<unsigned char> data(bytes + kChunkHeaderSize, bytes + stored);
    vst_.dispatch(false, effSetChunk, 0, static_cast<VstIntPtr>(data.size()), data.data());
    cachedChunkSize_ = 0;  // the next save asks the effect again
    return hostlib::kNoErr;
}

// Keys and the plug-in window.

bool CVelastroWrapperProcessRTAS::HandleKeystroke(int32_t kind, int32_t character, int32_t modifiers) {
    VstInt32 opcode = 0;
    if (kind == hostlib::kKeyDown)
        opcode = effEditKeyDown;
    else if (kind == hostlib::kKeyUp)
        opcode = effEditKeyUp;
    else
        return false;
    return vst_.dispatch(false, opcode, character, virtualKeyOf(character), nullptr, static_cast<float>(modifiers)) == 1;
}

int32_t CVelastroWrapperProcessRTAS::GetViewRect(PIRect16* rect) {
    if (rect == nullptr) return hostlib::kErrBadArgument;
    *rect = PIRect16{};
    if (ERect* editor = vst_.editorRect()) *rect = {editor->top, editor->left, editor->bottom, editor->right};
    return hostlib::kNoErr;
}

int32_t CVelastroWrapperProcessRTAS::SetViewPort(void* windowReference) {
    if (windowReference != nullptr) {
        vst_.openEditor(static_cast<HWND>(WindowOfReference(windowReference)));
        return hostlib::kNoErr;
    }
    if (!vst_.editorOpen()) return hostlib::kNoErr;
    vst_.dispatch(false, effEditKeyDown, kCloseKeyCharacter, kCloseKeyVirtual);
    vst_.closeEditor();
    return hostlib::kNoErr;
}

int32_t CVelastroWrapperProcessRTAS::Draw(const PIRect16* rect) {
    EditorPlacement at{};
    if (vst_.editorPlacement(&at)) {
        if (rect == nullptr) {
            vst_.dispatch(true, kPrivateRedraw, 0, 0, nullptr);
        } else {
            // The host's rectangle is in its window; the editor's frame starts at the child's corner.
            const int left = std::max(rect->left - at.x, 0);
            const int top = std::max(rect->top - at.y, 0);
            const int right = std::min(rect->right - at.x, at.width);
            const int bottom = std::min(rect->bottom - at.y, at.height);
            if (left < right && top < bottom) {
                ERect local{static_cast<VstInt16>(top), static_cast<VstInt16>(left), static_cast<VstInt16>(bottom),
                            static_cast<VstInt16>(right)};
                vst_.dispatch(true, kPrivateRedraw, 0, 0, &local);
            }
        }
    }
    return CEffectProcessRTAS::Draw(rect);
}

bool CVelastroWrapperProcessRTAS::MouseDown(int32_t x, int32_t y) {
    bool handled = false;
    EditorPlacement at{};
    if (vst_.editorPlacement(&at)) {
        const int32_t localX = x - at.x;
        const int32_t localY = y - at.y;
        // A point beside the editor is the host's, not the editor's.
        if (localX >= 0 && localY >= 0 && localX < at.width && localY < at.height)
            handled = vst_.dispatch(true, kPrivateMouseDown, localX, localY) == 1;
    }
    return CEffectProcessRTAS::MouseDown(x, y) || handled;
}

}  // namespace adapter
