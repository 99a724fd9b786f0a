#include "adapter/vst_interface.h"

#include <cstring>

#include "adapter/editor_window.h"
#include "adapter/library_path.h"
#include "adapter/vst_callback.h"

namespace adapter {
namespace {

constexpr char kMidiControlChange = static_cast<char>(0xB0);
constexpr char kAllNotesOff = 123;

}  // namespace

VstInterface::VstInterface()
    : events_(std::make_unique<std::array<VstMidiEvent, kMidiEventCapacity>>()),
      list_(std::make_unique<EventList>()) {
    for (int i = 0; i < kMidiEventCapacity; ++i) {
        VstMidiEvent& event = (*events_)[static_cast<size_t>(i)];
        std::memset(&event, 0, sizeof(event));
        event.type = kVstMidiType;
        event.byteSize = kMidiEventByteSize;
        list_->events[i] = reinterpret_cast<VstEvent*>(&event);
    }
    list_->numEvents = 0;
    list_->reserved = 0;
}

VstInterface::~VstInterface() { close(); }

int VstInterface::load(VstCallBack* callback, EffectEntry entry) {
    if (effect_ != nullptr || active_ == 0) return 1;
    if (entry == nullptr) {
        const std::optional<std::string> path = ReadLibraryPath();
        if (!path) return 1;
        // Never freed: the effect's editor windows and classes live on in the process.
        HMODULE library = LoadLibraryA(path->c_str());
        if (library == nullptr) return 1;
        entry = reinterpret_cast<EffectEntry>(reinterpret_cast<void*>(GetProcAddress(library, "main")));
        if (entry == nullptr) return 1;
    }
    AEffect* effect = entry(HostCallback);
    if (effect == nullptr || effect->magic != kEffectMagic) return 1;
    effect->user = nullptr;
    effect_ = effect;
    effect->user = callback;
    return 0;
}

void VstInterface::close() {
    if (window_) closeEditor();
    const bool wasLoaded = loaded();
    active_ = 0;
    if (wasLoaded) effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
    effect_ = nullptr;
    rect_ = nullptr;
    events_.reset();
    list_.reset();
}

VstIntPtr VstInterface::dispatch(bool isPrivate, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
    if (!loaded()) return -1;
    return effect_->dispatcher(effect_, isPrivate ? -opcode : opcode, index, value, ptr, opt);
}

float VstInterface::getParameter(VstInt32 index) { return loaded() ? effect_->getParameter(effect_, index) : 0.0f; }

void VstInterface::setParameter(VstInt32 index, float value) {
    if (loaded()) effect_->setParameter(effect_, index, value);
}

void VstInterface::process(float** inputs, float** outputs, VstInt32 frames) {
    if (loaded()) effect_->processReplacing(effect_, inputs, outputs, frames);
}

VstInt32 VstInterface::numParams() { return loaded() ? effect_->numParams : 0; }
VstInt32 VstInterface::uniqueID() { return loaded() ? effect_->uniqueID : 0; }

ERect* VstInterface::editorRect() {
    if (!loaded()) return nullptr;
    ERect* rect = nullptr;
    effect_->dispatcher(effect_, effEditGetRect, 0, 0, &rect, 0.0f);
    rect_ = rect;
    return rect;
}

int VstInterface::editorSize(int* width, int* height) {
    ERect* rect = editorRect();
    if (rect == nullptr) return 2;
    if (width != nullptr) *width = rect->right - rect->left;
    if (height != nullptr) *height = rect->bottom - rect->top;
    return 0;
}

void VstInterface::sendMidi(const hostlib::MidiPacket* packets, int count) {
    if (!loaded() || !list_ || count <= 0) return;
    if (count > kMidiEventCapacity) count = kMidiEventCapacity;
    for (int i = 0; i < count; ++i) {
        VstMidiEvent& event = (*events_)[static_cast<size_t>(i)];
        event.deltaFrames = packets[i].deltaFrames;
        for (int b = 0; b < 3; ++b) event.midiData[b] = static_cast<char>(packets[i].bytes[b]);
    }
    list_->numEvents = count;
    effect_->dispatcher(effect_, effProcessEvents, 0, 0, list_.get(), 0.0f);
}

void VstInterface::sendAllNotesOff() {
    const hostlib::MidiPacket allOff{0, {static_cast<uint8_t>(kMidiControlChange), kAllNotesOff, 0}};
    sendMidi(&allOff, 1);
}

}  // namespace adapter
