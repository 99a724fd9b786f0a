// The single program, its name, the chunk, and the construction steps that fill the state.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "effect/dravel.h"
#include "effect/parameter_tables.h"
#include "effect/relaxed.h"
#include "platform/platform.h"

using namespace param;

namespace {

// Built-in initial settings (normalized), used until the initial-settings file says otherwise.
struct InitialBand {
    float frequency, quality, gain, on, type;
};
constexpr InitialBand kBuiltInInitialBands[kBandCount] = {
    {0.1f, 0.501f, 0.0f, 0.0f, 0.0f}, {0.2f, 0.5f, 0.5f, 0.0f, 0.0f}, {0.3f, 0.5f, 0.5f, 0.0f, 0.0f},
    {0.5f, 0.5f, 0.5f, 0.0f, 0.0f},   {0.7f, 0.5f, 0.5f, 0.0f, 0.0f}, {0.8f, 0.5f, 0.5f, 0.0f, 0.0f},
    {0.9f, 0.501f, 0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.5f, 0.0f, 0.0f},
};
constexpr float kBuiltInVolume = 0.5f;
constexpr float kBuiltInGeneralOn = 0.0f;
constexpr const char* kDefaultBandNames[kBandCount] = {"Band 1", "Band 2", "Band 3", "Band 4",
                                                       "Band 5", "Band 6", "Band 7", "Band Air"};

}  // namespace

void CDravel::setProgram(VstInt32 program) {
    if (program == curProgram) return;
    curProgram = program;
    if (state_) pushActiveSlot();
}

void CDravel::pushActiveSlot() {
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
    // A slot in "one setting for both channels" mode always travels linked.
    for (SettingsSlot& slot : state_->slot) {
        if (loadRelaxed(slot.info.channelMode) == kChannelModeLinked) {
            storeRelaxed(slot.coupling.linked, 1.0f);
            storeRelaxed(slot.coupling.mirrored, 0.0f);
            storeRelaxed(slot.coupling.relative, 0.0f);
        }
    }
    *data = state_.get();
    return static_cast<VstInt32>(sizeof(EffectState));
}

VstInt32 CDravel::setChunk(void* data, VstInt32 byteSize, bool) {
    if (data == nullptr || byteSize < 4 || !state_) return 1;
    if (byteSize < static_cast<VstInt32>(sizeof(EffectState))) return 0;
    EffectState image;
    std::memcpy(&image, data, sizeof(image));
    if (!(image.version >= 2.0f && image.version < 3.0f)) return 0;
    const EffectOptions kept = state_->options;
    std::memcpy(state_.get(), &image, sizeof(image));
    if (state_->options.saveInProject < 0.5f) state_->options = kept;
    curProgram = 1;
    setProgram(0);
    updateDisplay();
    return 0;
}

// Construction steps.

void CDravel::readInstallationSettings() {}

void CDravel::drawInstanceNumber() {
    const int64_t first = platform::clockMilliseconds();
    for (int poll = 0; poll < 100000 && platform::clockMilliseconds() == first; ++poll) {
    }
    const int number = std::rand() + static_cast<int>(first & 0xFFFF);
    instanceNumber_ = number < 0 ? 0 : number;
}

void CDravel::initialiseState() {
    EffectState& s = *state_;
    std::memset(&s, 0, sizeof(s));
    s.version = kStateVersion;
    s.options.bandeOnAuto = 1.0f;
    s.options.showClip = 1.0f;
    s.options.codageMS = 1.0f;
    s.options.decodageMS = 1.0f;
    s.options.channelOrderMark = 1.0f;
    for (int slot = 0; slot < 2; ++slot) {
        resetSlotToInitialSettings(slot);
        SettingsSlot& settings = s.slot[slot];
        settings.info.presetNumber = -1;
        settings.channelSelector = 1.0f;
        settings.coupling = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    }
}

void CDravel::loadInitialPresets() {
    // Preset 0 goes into slot B, then slot A; slot A then returns to the initial settings.
    resetSlotToInitialSettings(0);
    storeRelaxed(state_->slot[0].modified, int32_t{1});
}

void CDravel::resetSlotToInitialSettings(int slot) {
    SettingsSlot& s = state_->slot[slot];
    for (int ch = 0; ch < kChannelCount; ++ch) {
        for (int b = 0; b < kBandCount; ++b) {
            s.settings.channel[ch].band[b] = {kBuiltInInitialBands[b].frequency, kBuiltInInitialBands[b].quality,
                                              kBuiltInInitialBands[b].gain};
        }
        s.settings.channel[ch].volume = kBuiltInVolume;
    }
    for (int b = 0; b < kBandCount; ++b) {
        s.settings.band[b].type = kBuiltInInitialBands[b].type;
        s.settings.band[b].on = kBuiltInInitialBands[b].on;
        vstCopyText(s.settings.band[b].name, kDefaultBandNames[b], kBandNameSize);
    }
    s.settings.generalOn = kBuiltInGeneralOn;
    s.modified = 0;
    s.secondChange = 0;
    setSlotName(slot);
}

void CDravel::setSlotName(int slot) {
    char name[64];
    std::snprintf(name, sizeof(name), slot == 0 ? "%s%.2dA" : "%s%.2dB", kProductWord, instanceNumber_);
    vstCopyText(state_->slot[slot].name, name, kSlotNameSize);
}

void CDravel::saveActiveSlotAsPreset() {}
