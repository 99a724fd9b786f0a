// The single program, its name, the chunk, and the construction steps that fill the state.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "effect/dravel.h"
#include "effect/parameter_tables.h"
#include "effect/relaxed.h"
#include "effect/state_chunk.h"
#include "presets/options_file.h"

using namespace param;

void CDravel::setProgram(VstInt32 program) {
    if (program == curProgram) return;
    curProgram = program;
    if (state_) sendActiveSlot();
}

void CDravel::pushActiveSlot() {
    curProgram = -1;
    setProgram(0);
}

void CDravel::sendActiveSlot() {
    // Re-send every value of the active slot to the engine and the editor; per-channel values first
    // for the edited channel, then for the other.
    const int first = editedChannel();
    for (int index = 0; index <= kOptGainDropAlt; ++index) {
        if (isContinuous(index)) {
            for (int ch : {first, 1 - first}) applyParameter(index, storedValue(index, ch), Origin::Apply, ch);
        } else if (index < kFirstBandName || index > kLastBandName) {
            applyParameter(index, getParameter(index), Origin::Apply, first);
        }
    }
    recomputeSeparateChannels();
    refreshMidSide();
}

void CDravel::getProgramName(char* name) {
    if (name == nullptr) return;
    if (!state_) {
        name[0] = 0;
        return;
    }
    vstCopyText(name, state_->slot[activeSlotIndex()].name, kVstMaxProgNameLen);
}

bool CDravel::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (index != 0) return false;
    getProgramName(text);
    return true;
}

VstInt32 CDravel::getChunk(void** data, bool) {
    if (data == nullptr || !state_) return 0;
    const std::size_t size = PrepareStateChunk(*state_);
    *data = state_.get();
    return static_cast<VstInt32>(size);
}

VstInt32 CDravel::setChunk(void* data, VstInt32 byteSize, bool) {
    if (!state_ || data == nullptr || byteSize < 4) return 1;
    const ChunkReadOutcome outcome = ReadStateChunk(*state_, data, static_cast<std::size_t>(byteSize));
    if (!outcome.accepted) {
        // Nothing readable: both slots start from preset 0, slot B active.
        storeRelaxed(state_->slotSelector, 0.0f);
        store_->loadPreset(0);
        storeRelaxed(state_->slotSelector, 1.0f);
        store_->loadPreset(0);
    }
    recomputeSeparateChannels();
    curProgram = 1;
    setProgram(0);
    if (outcome.result != 0) store_->relinkActiveSlot();
    notify(kPresetNameText, 0.0f);
    applyChannelMode(loadRelaxed(activeSlot().info.channelMode));
    updateDisplay();
    return 0;
}

bool CDravel::runPeriodicTask() {
    if (!state_) return false;
    finishAltBoost();
    if (!notice_.periodicTick()) return false;
    store_->reload();
    return true;
}

void CDravel::applyChannelMode(int mode) {
    const EffectState& s = *state_;
    engine_.setMidSide(outputsInUse() > 1 && mode == kChannelModeMidSide, loadRelaxed(s.options.codageMS) >= 0.5f,
                       loadRelaxed(s.options.decodageMS) >= 0.5f);
    // The editor shows or hides its channel side panel.
    if (EffectListener* listener = listener_.load(std::memory_order_acquire)) listener->channelModeChanged(mode);
}

// Construction steps.

void CDravel::readInstallationSettings() { directory_ = ReadInstallDirectory(); }

void CDravel::drawInstanceNumber() {
    instanceNumber_ = DrawInstanceNumber(directory_);
    notice_ = InstanceNotice(directory_, instanceNumber_);
}

void CDravel::initialiseState() {
    EffectState& s = *state_;
    std::memset(&s, 0, sizeof(s));
    s.version = kStateVersion;
    s.options = DefaultOptions();
    s.options.channelOrderMark = 1.0f;
    initial_.read(directory_);
    for (int slot = 0; slot < 2; ++slot) {
        SettingsSlot& settings = s.slot[slot];
        ApplyInitialSettings(initial_.record(), settings, slot, 1, instanceNumber_);
        ApplyInitialSettings(initial_.record(), settings, slot, 0, instanceNumber_);
        settings.info.presetNumber = -1;
        settings.channelSelector = 1.0f;
        settings.coupling = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    }
    ReadOptionsFile(directory_, s.options);
}

void CDravel::loadInitialPresets() {
    // Preset 0 goes into slot B, then slot A; slot A then returns to the initial settings, so a new
    // instance starts on the initial settings with preset 0 one click away.
    store_ = std::make_unique<PresetStore>(static_cast<PresetStoreHost&>(*this), directory_);
    store_->scan();
    EffectState& s = *state_;
    s.slotSelector = 1.0f;
    store_->loadPreset(0);
    s.slotSelector = 0.0f;
    store_->loadPreset(0);
    SettingsSlot& a = s.slot[0];
    ApplyInitialSettings(initial_.record(), a, 0, 1, instanceNumber_);
    ApplyInitialSettings(initial_.record(), a, 0, 0, instanceNumber_);
    // Loading set the edited channel and coupling for a preset; a new instance edits LEFT, linked.
    a.channelSelector = 1.0f;
    a.coupling = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    a.modified = 1;
}

void CDravel::resetToInitialSettings(SettingsSlot& slot, int channel) {
    const int slotIndex = &slot == &state_->slot[1] ? 1 : 0;
    ApplyInitialSettings(initial_.record(), slot, slotIndex, channel, instanceNumber_);
}

void CDravel::saveActiveSlotAsPreset() { store_->saveActivePreset(); }
