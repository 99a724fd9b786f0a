#include "hostlib/effect_process.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "hostlib/effect_group.h"
#include "hostlib/effect_type.h"
#include "hostlib/host_services.h"
#include "hostlib/key_value_chunk.h"

namespace hostlib {

CEffectProcess::CEffectProcess() = default;
CEffectProcess::~CEffectProcess() = default;

void CEffectProcess::AttachType(const CEffectTypeRTAS* type) {
    type_ = type;
    if (type == nullptr) return;
    inputs_ = type->GetNumInputs();
    outputs_ = type->GetNumOutputs();
    channelSetting_ = outputs_;  // the library reports its output channel count
}

int32_t CEffectProcess::AddControl(std::unique_ptr<CPluginControl> control) {
    if (!control) return 0;
    controls_.push_back(std::move(control));
    return static_cast<int32_t>(controls_.size());
}

CPluginControl* CEffectProcess::GetControl(int32_t index) {
    if (index < 1 || index > GetNumControls()) return nullptr;
    return controls_[static_cast<size_t>(index - 1)].get();
}

int32_t CEffectProcess::SetControlValue(int32_t index, int32_t value) {
    CPluginControl* control = GetControl(index);
    if (control == nullptr) return kErrBadControl;
    control->SetValue(value);
    UpdateControlValueInAlgorithm(index);
    return kNoErr;
}

int32_t CEffectProcess::SetControlValueFromPlugIn(int32_t index, int32_t value) {
    const int32_t result = SetControlValue(index, value);
    if (result == kNoErr) ReportControlEvent(Handle(), kPIControlSet, index, GetControl(index)->GetValue());
    return result;
}

int32_t CEffectProcess::GetControlValue(int32_t index, int32_t* value) {
    CPluginControl* control = GetControl(index);
    if (control == nullptr) return kErrBadControl;
    if (value == nullptr) return kErrBadArgument;
    *value = control->GetValue();
    return kNoErr;
}

void CEffectProcess::TouchControl(int32_t index) {
    if (GetControl(index) != nullptr) ReportControlEvent(Handle(), kPIControlTouch, index, 0);
}

void CEffectProcess::ReleaseControl(int32_t index) {
    if (GetControl(index) != nullptr) ReportControlEvent(Handle(), kPIControlRelease, index, 0);
}

void CEffectProcess::UpdateControlValueInAlgorithm(int32_t) {}

void CEffectProcess::AddChunk(int32_t chunkID, const char* name, int32_t formatTag) {
    if (FindChunk(chunkID) != nullptr) return;
    chunks_.push_back({chunkID, name != nullptr ? name : "", formatTag});
}

const RegisteredChunk* CEffectProcess::FindChunk(int32_t chunkID) const {
    for (const auto& chunk : chunks_)
        if (chunk.chunkID == chunkID) return &chunk;
    return nullptr;
}

void CEffectProcess::FillChunkHeader(int32_t chunkID, ChunkHeader& header) const {
    header = ChunkHeader{};
    header.version = kChunkHeaderVersion;
    const CEffectGroupMIDI* group = CurrentGroup();
    header.manufacturerID = group != nullptr ? group->GetManufacturerID() : 0;
    header.productID = type_ != nullptr ? type_->GetProductID() : 0;
    header.typeID = type_ != nullptr ? type_->GetTypeID() : 0;
    header.chunkID = chunkID;
    if (const RegisteredChunk* chunk = FindChunk(chunkID)) {
        header.formatTag = chunk->formatTag;
        std::snprintf(header.name, sizeof(header.name), "%s", chunk->name.c_str());
    }
}

int32_t CEffectProcess::GetChunkSize(int32_t, int32_t*) { return kErrChunkUnknown; }
int32_t CEffectProcess::GetChunk(int32_t, ChunkHeader*, int32_t) { return kErrChunkUnknown; }
int32_t CEffectProcess::SetChunk(int32_t, const ChunkHeader*, int32_t) { return kErrChunkUnknown; }

int32_t CEffectProcess::Initialize() {
    initialized_ = true;
    return kNoErr;
}

int32_t CEffectProcess::SetSampleRate(double rate) {
    if (!(rate > 0.0)) return kErrBadArgument;
    sampleRate_ = rate;
    return kNoErr;
}

uint32_t CEffectProcess::GetHostTick() const { return HostTick(); }
bool CEffectProcess::GetHostTempo(double* bpm) const { return bpm != nullptr && HostTempo(bpm); }

bool CEffectProcess::HandleKeystroke(int32_t, int32_t, int32_t) { return false; }

int32_t CEffectProcess::GetViewRect(PIRect16* rect) {
    if (rect == nullptr) return kErrBadArgument;
    *rect = PIRect16{};
    return kNoErr;
}

int32_t CEffectProcess::SetViewPort(void*) { return kNoErr; }
int32_t CEffectProcess::Draw(const PIRect16*) { return kNoErr; }
bool CEffectProcess::MouseDown(int32_t, int32_t) { return false; }
void* CEffectProcess::WindowOfReference(void* reference) const { return hostlib::WindowOfReference(reference); }

// MIDI.

namespace {
std::atomic<int32_t> nextNodeID{1};
std::atomic<int32_t> nextNodeSerial{1};
}  // namespace

CEffectProcessMIDI::CEffectProcessMIDI() { AddChunk(kMidiChunkID, "MIDI Node", 0); }

std::unique_ptr<CEffectMIDIBufferedNode> CEffectProcessMIDI::NewMIDINode() {
    char fallback[64];
    const std::string typeName = GetType() != nullptr ? GetType()->GetTypeNames() : std::string("MIDI");
    std::snprintf(fallback, sizeof(fallback), "%s %d", typeName.substr(0, typeName.find('\n')).c_str(),
                  static_cast<int>(nextNodeSerial.fetch_add(1)));
    return std::make_unique<CEffectMIDIBufferedNode>(MidiNodeName(Handle(), fallback), nextNodeID.fetch_add(1));
}

std::vector<unsigned char> CEffectProcessMIDI::midiChunkBody() const {
    KeyValueChunk body;
    body.Set(kMidiNodeKey, GetMIDINode() != nullptr ? GetMIDINode()->GetID() : 0);
    return body.Write();
}

int32_t CEffectProcessMIDI::GetChunkSize(int32_t chunkID, int32_t* size) {
    if (chunkID != kMidiChunkID) return CEffectProcess::GetChunkSize(chunkID, size);
    if (size == nullptr) return kErrBadArgument;
    *size = kChunkHeaderSize + static_cast<int32_t>(midiChunkBody().size());
    return kNoErr;
}

int32_t CEffectProcessMIDI::GetChunk(int32_t chunkID, ChunkHeader* chunk, int32_t capacity) {
    if (chunkID != kMidiChunkID) return CEffectProcess::GetChunk(chunkID, chunk, capacity);
    const std::vector<unsigned char> body = midiChunkBody();
    const auto total = static_cast<int32_t>(kChunkHeaderSize + body.size());
    if (chunk == nullptr) return kErrBadArgument;
    if (capacity < total) return kErrBufferTooSmall;
    chunk->totalSize = total;
    std::memcpy(reinterpret_cast<unsigned char*>(chunk) + kChunkHeaderSize, body.data(), body.size());
    return kNoErr;
}

int32_t CEffectProcessMIDI::SetChunk(int32_t chunkID, const ChunkHeader* chunk, int32_t size) {
    if (chunkID != kMidiChunkID) return CEffectProcess::SetChunk(chunkID, chunk, size);
    if (chunk == nullptr || size < kChunkHeaderSize || chunk->totalSize < kChunkHeaderSize || chunk->totalSize > size)
        return kErrChunkDamaged;
    KeyValueChunk body;
    if (!body.Read(reinterpret_cast<const unsigned char*>(chunk) + kChunkHeaderSize,
                   static_cast<size_t>(chunk->totalSize - kChunkHeaderSize)))
        return kErrChunkDamaged;
    std::optional<int32_t> id = body.Get(kMidiNodeKey);
    if (!id) id = body.Get(kMidiNodeKeyOld);
    if (!id) return kErrMidiChunkNoKey;
    if (CEffectMIDIBufferedNode* node = GetMIDINode(); node != nullptr && node->GetID() != *id) node->Reconnect(*id);
    return kNoErr;
}

}  // namespace hostlib
