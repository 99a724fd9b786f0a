// Construction, destruction, identity and dispatcher answers of the effect.
#include "effect/dravel.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "effect/parameter_tables.h"
#include "effect/relaxed.h"
#include "editor/dravel_edit.h"
#include "vst/aeffeditor.h"

namespace {
constexpr VstInt32 kOpEditorRedraw = -1;
constexpr VstInt32 kOpEditorMouseDown = -2;
constexpr VstInt32 kOpEditorWheel = -3;
constexpr VstInt32 kOpResetFilters = -4;
constexpr VstInt32 kLinearKnobMode = 2;
}  // namespace

AEffect* CDravel::createEffect(audioMasterCallback audioMaster) {
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    CDravel* effect = nullptr;
    try {
        effect = new CDravel(audioMaster);
    } catch (...) {
        return nullptr;
    }
    if (!effect->isConstructed()) {
        // Never hand a half-built effect to the host.
        delete effect;
        return nullptr;
    }
    return effect->getAeffect();
}

CDravel::CDravel(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, 1, param::kNumHostParams) {
    // Step 2 (store containers, engine) happened with the members.
    readInstallationSettings();
    drawInstanceNumber();
    // The editor attaches itself (effect's editor, HasEditor flag, listener); it starts in linear knob mode.
    auto* editorWindow = new (std::nothrow) DravelEdit(audioMaster != nullptr ? this : nullptr, this);
    if (editorWindow == nullptr) return;
    if (editor == nullptr) editor_ = editorWindow;  // without a host the effect still owns it
    editorWindow->setKnobMode(kLinearKnobMode);
    state_.reset(new (std::nothrow) EffectState{});
    if (!state_) return;
    outputsInUse_.store(2, std::memory_order_relaxed);
    inputsInUse_.store(2, std::memory_order_relaxed);
    if (audioMaster != nullptr) {
        cEffect.flags |= effFlagsCanReplacing | effFlagsProgramChunks;
        setNumInputs(2);
        setNumOutputs(2);
        setUniqueID(kUniqueId);
    }
    sampleRateCopy_.store(44100.0f, std::memory_order_relaxed);
    engine_.setSampleRate(44100.0f);
    initialiseState();
    curProgram = 0;
    loadInitialPresets();
    curProgram = 1;
    setProgram(0);
    updateDisplay();
    constructed_.store(true, std::memory_order_release);
}

CDravel::~CDravel() {
    // The editor may still reach the state while it closes: delete it before the state goes.
    setListener(nullptr);
    delete editor;
    editor = nullptr;
    delete editor_;
    editor_ = nullptr;
    state_.reset();
}

VstIntPtr CDravel::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case kOpEditorRedraw:
        case kOpEditorMouseDown:
        case kOpEditorWheel: {
            // The editor always exists; its frame only while it is open.
            auto* window = dynamic_cast<DravelEdit*>(editor);
            if (window == nullptr || !window->isOpen()) return 0;
            if (opcode == kOpEditorWheel) return window->onWheel(opt) ? 1 : 0;
            if (opcode == kOpEditorRedraw) {
                window->hostRedraw(static_cast<const HostRect16*>(ptr));
                return 0;
            }
            window->hostMouseDown(index, static_cast<int>(value));
            return 1;
        }
        case kOpResetFilters: engine_.resetFilters(); return 0;
        default: break;
    }
    if (opcode < 0) return 0;
    return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
}

bool CDravel::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (index < 0 || index >= outputsInUse()) return false;
    std::memset(properties, 0, sizeof(*properties));
    std::snprintf(properties->label, sizeof(properties->label), "%s %1d", kProductWord, static_cast<int>(index + 1));
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool CDravel::setBypass(bool onOff) {
    setParameter(param::kGenOn, onOff ? 0.0f : 1.0f);
    return true;
}

bool CDravel::getEffectName(char* name) {
    vstCopyText(name, kProductWord, kVstMaxEffectNameLen);
    return true;
}

bool CDravel::getVendorString(char* text) {
    vstCopyText(text, kVendor, kVstMaxVendorStrLen);
    return true;
}

bool CDravel::getProductString(char* text) {
    char product[kVstMaxProductStrLen];
    std::snprintf(product, sizeof(product), "%s %s ", kVendor, kProductWord);
    vstCopyText(text, product, kVstMaxProductStrLen);
    return true;
}

VstIntPtr CDravel::vendorSpecific(VstInt32 index, VstIntPtr value, void*, float opt) {
    if (index == fourCharCode('s', 't', 'C', 'A') && value == fourCharCode('W', 'h', 'e', 'e') && editor != nullptr &&
        editor->isOpen())
        return editor->onWheel(opt) ? 1 : 0;
    return 0;
}

VstInt32 CDravel::canDo(char* text) {
    static constexpr const char* kCanDo[] = {"receiveVstEvents", "2in2out", "1in1out"};
    for (const char* capability : kCanDo)
        if (std::strcmp(text, capability) == 0) return 1;
    return -1;
}

int CDravel::activeSlotIndex() const { return loadRelaxed(state_->slotSelector) < 0.5f ? 0 : 1; }

int CDravel::editedChannel() const {
    return loadRelaxed(state_->slot[activeSlotIndex()].channelSelector) >= 0.5f ? 0 : 1;
}
