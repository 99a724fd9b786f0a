// The parameter model: storing values with snapping and channel coupling, the editor's side effects,
// and the engine values every parameter drives.
#include <cmath>
#include <cstring>

#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "effect/dravel.h"
#include "effect/parameter_mapping.h"
#include "effect/relaxed.h"
#include "effect/snapping.h"
#include "vst/aeffeditor.h"

using namespace param;

namespace {

float* continuousField(SettingsSlot& slot, int channel, int index) {
    const ContinuousParam& p = kContinuous[static_cast<std::size_t>(index)];
    ChannelValues& values = slot.settings.channel[channel];
    if (p.band < 0) return &values.volume;
    BandTriple& band = values.band[p.band];
    switch (p.quantity) {
        case Quantity::Frequency: return &band.frequency;
        case Quantity::Quality: return &band.quality;
        case Quantity::Gain: return &band.gain;
    }
    return &band.gain;
}

float* switchField(SettingsSlot& slot, int index) {
    const SwitchParam& p = kSwitches[static_cast<std::size_t>(index - kHPOn)];
    switch (p.field) {
        case SwitchField::On: return &slot.settings.band[p.band].on;
        case SwitchField::Type: return &slot.settings.band[p.band].type;
        case SwitchField::GeneralOn: return &slot.settings.generalOn;
    }
    return &slot.settings.generalOn;
}

float* optionField(EffectOptions& o, int index) {
    switch (index) {
        case kOptDspSave: return &o.dspSave;
        case kOptDisplayVal: return &o.displayVal;
        case kOptDisplayName: return &o.displayName;
        case kOptSaveInProject: return &o.saveInProject;
        case kOptBandeOnAuto: return &o.bandeOnAuto;
        case kOptGainOutOn: return &o.gainOutOn;
        case kOptSnapFreq: return &o.snapFreq;
        case kOptSnapRes: return &o.snapRes;
        case kOptSnapGain: return &o.snapGain;
        case kOptDisplayNotes: return &o.displayNotes;
        case kOptDisplayQOct: return &o.displayQOct;
        case kOptShowClip: return &o.showClip;
        case kOptHoldClip: return &o.holdClip;
        case kOptCodageMS: return &o.codageMS;
        case kOptDecodageMS: return &o.decodageMS;
        case kOptIncrWheel: return &o.incrWheel;
        case kOptGainDropAlt: return &o.gainDropAlt;
        default: return nullptr;
    }
}

float* slotValueField(SettingsSlot& slot, int index) {
    switch (index) {
        case kEditedChannel: return &slot.channelSelector;
        case kCoupleLinked: return &slot.coupling.linked;
        case kCoupleMirrored: return &slot.coupling.mirrored;
        case kCoupleRelative: return &slot.coupling.relative;
        case kCoupleKeep: return &slot.coupling.keepRelation;
        case kCoupleLevel: return &slot.coupling.levelCompensation;
        default: return nullptr;
    }
}

int bandKind(int band, float type) {
    const bool alt = type >= 0.5f;
    switch (band) {
        case kBandHP: return alt ? BandKind::kHighPass12 : BandKind::kHighPass6;
        case kBandB1: return alt ? BandKind::kLowShelf : BandKind::kBell;
        case kBandB5: return alt ? BandKind::kHighShelf : BandKind::kBell;
        case kBandLP: return alt ? BandKind::kLowPass12 : BandKind::kLowPass6;
        default: return BandKind::kBell;
    }
}

constexpr float kAirFrequencyHz = 300000.0f;

}  // namespace

float CDravel::bandType(int band) const {
    return loadRelaxed(state_->slot[activeSlotIndex()].settings.band[band].type);
}

float CDravel::storedValue(int index, int channel) const {
    return loadRelaxed(*continuousField(state_->slot[activeSlotIndex()], channel, index));
}

void CDravel::storeContinuous(int slot, int channel, int index, float value) {
    storeRelaxed(*continuousField(state_->slot[slot], channel, index), value);
}

void CDravel::notify(int index, float value) {
    if (EffectListener* listener = listener_.load(std::memory_order_acquire)) listener->parameterChanged(index, value);
}

void CDravel::announceDisplayOption(int index, float value) {
    EffectListener* listener = listener_.load(std::memory_order_acquire);
    if (listener == nullptr) return;
    const bool on = value >= 0.5f;
    const bool valuesShown = loadRelaxed(state_->options.displayVal) >= 0.5f;
    switch (index) {
        case kOptDisplayVal:
            listener->elementShown(editor_element::kFrequencyRow, on);
            listener->elementShown(editor_element::kGainRow, on);
            listener->elementShown(editor_element::kQRow, on);
            break;
        case kOptDisplayName: listener->elementShown(editor_element::kNamesRow, on); break;
        case kOptShowClip: listener->elementShown(editor_element::kClipLamp, on); break;
        // The row's heading changes with the form (numbers or notes, Q or octaves); its texts too.
        case kOptDisplayNotes:
            if (valuesShown) listener->elementShown(editor_element::kFrequencyRow, true);
            listener->redrawAll();
            break;
        case kOptDisplayQOct:
            if (valuesShown) listener->elementShown(editor_element::kQRow, true);
            listener->redrawAll();
            break;
        default: break;
    }
}

void CDravel::setParameter(VstInt32 index, float value) {
    if (!state_) return;
    applyParameter(index, value, Origin::Host, editedChannel());
}

void CDravel::setParameterAutomated(VstInt32 index, float value) {
    if (!state_) return;
    value = sanitize(value);
    automationInProgress_.fetch_add(1, std::memory_order_relaxed);
    applyParameter(index, value, Origin::Editor, editedChannel());
    if (automationClass(index) == 2) callHost(audioMasterAutomate, index, 0, nullptr, value);
    automationInProgress_.fetch_sub(1, std::memory_order_relaxed);
}

float CDravel::getParameter(VstInt32 index) {
    if (!state_ || index < 0 || index > kLastIndex) return 0.0f;
    EffectState& s = *state_;
    SettingsSlot& slot = s.slot[activeSlotIndex()];
    if (isContinuous(index)) return loadRelaxed(*continuousField(slot, editedChannel(), index));
    if (isSwitch(index)) return loadRelaxed(*switchField(slot, index));
    if (float* f = slotValueField(slot, index)) return loadRelaxed(*f);
    if (index == kSlotSelector) return loadRelaxed(s.slotSelector);
    if (float* f = optionField(s.options, index)) return loadRelaxed(*f);
    switch (index) {
        case kSelectA: return loadRelaxed(s.slotSelector) <= 0.5f ? 1.0f : 0.0f;
        case kSelectB: return loadRelaxed(s.slotSelector) > 0.5f ? 1.0f : 0.0f;
        case kEditLeft: return loadRelaxed(slot.channelSelector) > 0.5f ? 1.0f : 0.0f;
        case kEditRight: return loadRelaxed(slot.channelSelector) <= 0.5f ? 1.0f : 0.0f;
        default: return 0.0f;
    }
}

void CDravel::applyParameter(int index, float value, Origin origin, int channel) {
    if (index < 0 || index > kLastIndex) return;
    value = sanitize(value);
    if (index < kNumHostParams) value = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    EffectState& s = *state_;
    const int slotIndex = activeSlotIndex();
    SettingsSlot& slot = s.slot[slotIndex];

    if (isContinuous(index)) {
        if (origin != Origin::Apply) {
            const ContinuousParam& p = kContinuous[static_cast<std::size_t>(index)];
            const float type = p.band < 0 ? 0.0f : bandType(p.band);
            const float snapOption = p.quantity == Quantity::Frequency ? loadRelaxed(s.options.snapFreq)
                                     : p.quantity == Quantity::Quality ? loadRelaxed(s.options.snapRes)
                                                                       : loadRelaxed(s.options.snapGain);
            const auto grid = snapGrid(index, type, snapOption);
            if (!grid.empty()) value = toNormalized(index, type, snapToGrid(grid, toPhysical(index, type, value)));
            coupleOtherChannel(index, value, channel, origin);
        }
        storeContinuous(slotIndex, channel, index, value);
        if (origin == Origin::Editor) runEditorSideEffects(index, value);
        recomputeEngineFor(index, channel);
        notify(index, value);
        return;
    }

    if (isSwitch(index)) {
        storeRelaxed(*switchField(slot, index), value);
        if (origin == Origin::Editor) runEditorSideEffects(index, value);
        recomputeEngineFor(index, channel);
        notify(index, value);
        return;
    }

    if (float* field = slotValueField(slot, index)) {
        storeRelaxed(*field, value);
        if (origin != Origin::Apply && value > 0.5f) {
            // The two coupling modes exclude each other.
            if (index == kCoupleLinked && loadRelaxed(slot.coupling.mirrored) > 0.5f) {
                storeRelaxed(slot.coupling.mirrored, 0.0f);
                notify(kCoupleMirrored, 0.0f);
            } else if (index == kCoupleMirrored && loadRelaxed(slot.coupling.linked) > 0.5f) {
                storeRelaxed(slot.coupling.linked, 0.0f);
                notify(kCoupleLinked, 0.0f);
            }
        }
        notify(index, value);
        return;
    }

    if (index == kSlotSelector || index == kSelectA || index == kSelectB) {
        float selector = value;
        if (index == kSelectA) selector = value >= 0.5f ? 0.0f : 1.0f;
        if (index == kSelectB) selector = value >= 0.5f ? 1.0f : 0.0f;
        storeRelaxed(s.slotSelector, selector);
        notify(kSlotSelector, selector);
        // An A/B change re-sends the newly active slot, so the engine plays what the state says.
        if (origin == Origin::Editor || (origin == Origin::Host && activeSlotIndex() != slotIndex)) {
            recomputeSeparateChannels();
            curProgram = 1;
            setProgram(0);
            refreshMidSide();
        }
        return;
    }

    if (index == kEditLeft || index == kEditRight) {
        const float selector = index == kEditLeft ? 1.0f : 0.0f;
        storeRelaxed(slot.channelSelector, selector);
        notify(kEditedChannel, selector);
        return;
    }

    if (float* field = optionField(s.options, index)) {
        storeRelaxed(*field, value);
        recomputeEngineFor(index, channel);
        notify(index, value);
        if (origin != Origin::Apply) announceDisplayOption(index, value);
        return;
    }

    if (index == kCopySlot || index == kCopyChannel || index == kSaveSlot) {
        if (origin == Origin::Editor) runEditorSideEffects(index, value);
        return;
    }
    // Every other index stores nothing.
}

void CDravel::coupleOtherChannel(int index, float newValue, int channel, Origin origin) {
    EffectState& s = *state_;
    const int slotIndex = activeSlotIndex();
    SettingsSlot& slot = s.slot[slotIndex];
    const int other = 1 - channel;
    const CouplingValues c{loadRelaxed(slot.coupling.linked), loadRelaxed(slot.coupling.mirrored),
                           loadRelaxed(slot.coupling.relative), loadRelaxed(slot.coupling.keepRelation),
                           loadRelaxed(slot.coupling.levelCompensation)};
    const ContinuousParam& p = kContinuous[static_cast<std::size_t>(index)];
    const float type = bandType(p.band < 0 ? 0 : p.band);

    // Start values: the gesture's snapshot when it belongs to this parameter, else the current values.
    const bool fromSnapshot = snapshot_.index.load() == index;
    const float addressedStart = fromSnapshot ? snapshot_.addressed.load() : storedValue(index, channel);
    const float otherStart = fromSnapshot ? snapshot_.other.load() : storedValue(index, other);

    const bool linked = c.linked > 0.5f;
    const bool mirrored = !linked && c.mirrored > 0.5f;
    if (!linked && !mirrored) {
        if (origin == Origin::Editor) refreshLeftRightState();
        return;
    }

    const bool relative = c.relative >= 0.5f;
    float otherValue = newValue;
    if (linked || !isMirrorableGain(index)) {
        if (relative) {
            refreshLeftRightState();
            const float addressedStartPhys = toPhysical(index, type, addressedStart);
            const float otherStartPhys = toPhysical(index, type, otherStart);
            const float newPhys = toPhysical(index, type, newValue);
            float otherPhys;
            if (p.quantity == Quantity::Frequency)
                otherPhys = addressedStartPhys > 0.0f ? otherStartPhys * newPhys / addressedStartPhys : otherStartPhys;
            else
                otherPhys = otherStartPhys + (newPhys - addressedStartPhys);
            otherValue = toNormalized(index, type, otherPhys);
        }
    } else {
        refreshLeftRightState();
        const float g = toPhysical(index, type, newValue);
        if (!relative) {
            otherValue = toNormalized(index, type, -g);
        } else {
            const float otherPhys =
                toPhysical(index, type, otherStart) - (g - toPhysical(index, type, addressedStart));
            otherValue = toNormalized(index, type, otherPhys);
        }
    }
    storeContinuous(slotIndex, other, index, otherValue);
    recomputeEngineFor(index, other);
    if (mirrored && isMirrorableGain(index) && c.levelCompensation > 1.0f / 3.0f)
        applyLevelCompensation(index, toPhysical(index, type, newValue), channel);
    if (relative && c.keepRelation < 0.5f && fromSnapshot) {
        // Without "keep relation" each step starts from where the last one left the channels.
        snapshot_.addressed = newValue;
        snapshot_.other = otherValue;
        snapshot_.volumeAddressed = storedValue(kGenVol, channel);
        snapshot_.volumeOther = storedValue(kGenVol, other);
    }
}

void CDravel::applyLevelCompensation(int index, float gainDb, int channel) {
    SettingsSlot& slot = state_->slot[activeSlotIndex()];
    const float amount = loadRelaxed(slot.coupling.levelCompensation);
    const float factor = amount < 2.0f / 3.0f ? 0.4f : 0.8f;
    const int other = 1 - channel;
    if (loadRelaxed(slot.coupling.relative) < 0.5f) {
        if (gainDb > 0.0f) {
            setVolumeFromCoupling(channel, -gainDb * factor);
            setVolumeFromCoupling(other, 0.0f);
        } else {
            setVolumeFromCoupling(other, gainDb * factor);
            setVolumeFromCoupling(channel, 0.0f);
        }
        return;
    }
    // Relative mirroring: the channel whose gain rose by d dB since the gesture began gets its volume
    // lowered by d x factor from its own start volume; the other channel returns to its start volume.
    const float type = bandType(kContinuous[static_cast<std::size_t>(index)].band);
    const bool fromSnapshot = snapshot_.index.load() == index;
    const float addressedStart = toPhysical(index, type, fromSnapshot ? snapshot_.addressed.load() : storedValue(index, channel));
    const float volumeAddressed = toPhysical(kGenVol, 0.0f, fromSnapshot ? snapshot_.volumeAddressed.load() : storedValue(kGenVol, channel));
    const float volumeOther = toPhysical(kGenVol, 0.0f, fromSnapshot ? snapshot_.volumeOther.load() : storedValue(kGenVol, other));
    const float rise = gainDb - addressedStart;
    if (rise > 0.0f) {
        setVolumeFromCoupling(channel, volumeAddressed - rise * factor);
        setVolumeFromCoupling(other, volumeOther);
    } else {
        setVolumeFromCoupling(other, volumeOther + rise * factor);
        setVolumeFromCoupling(channel, volumeAddressed);
    }
}

void CDravel::setVolumeFromCoupling(int channel, float dB) {
    const float value = toNormalized(kGenVol, 0.0f, dB);
    storeContinuous(activeSlotIndex(), channel, kGenVol, value);
    recomputeEngineFor(kGenVol, channel);
    notify(kGenVol, storedValue(kGenVol, editedChannel()));
}

void CDravel::refreshLeftRightState() {
    SettingsSlot& slot = state_->slot[activeSlotIndex()];
    storeRelaxed(slot.info.channelMode, separateChannels_ ? int32_t{kChannelModeMidSide} : int32_t{kChannelModeLeftRight});
}

void CDravel::recomputeSeparateChannels() {
    const SettingsSlot& slot = state_->slot[activeSlotIndex()];
    separateChannels_ = outputsInUse() > 1 && loadRelaxed(slot.info.channelMode) == kChannelModeMidSide;
}

void CDravel::refreshMidSide() {
    const EffectState& s = *state_;
    const SettingsSlot& slot = s.slot[activeSlotIndex()];
    const bool ms = outputsInUse() > 1 && loadRelaxed(slot.info.channelMode) == kChannelModeMidSide;
    engine_.setMidSide(ms, loadRelaxed(s.options.codageMS) >= 0.5f, loadRelaxed(s.options.decodageMS) >= 0.5f);
}

void CDravel::runEditorSideEffects(int index, float value) {
    EffectState& s = *state_;
    const int slotIndex = activeSlotIndex();
    SettingsSlot& slot = s.slot[slotIndex];
    const bool autoOn = loadRelaxed(s.options.bandeOnAuto) >= 0.5f;
    auto markModified = [&] {
        if (loadRelaxed(slot.modified) == 0) {
            storeRelaxed(slot.modified, int32_t{1});
            notify(kPresetNameText, 0.0f);
        }
    };

    if (isContinuous(index)) {
        const int band = kContinuous[static_cast<std::size_t>(index)].band;
        if (band < 0) return;  // the general volume switches nothing on
        const int onIndex = kBandParams[static_cast<std::size_t>(band)].on;
        if (loadRelaxed(slot.settings.band[band].on) < 0.5f && (autoOn || !userSwitchedBandOff_[slotIndex][band])) {
            storeRelaxed(slot.settings.band[band].on, 1.0f);
            recomputeEngineFor(onIndex, editedChannel());
            notify(onIndex, 1.0f);
            markModified();
        }
        if (loadRelaxed(slot.settings.generalOn) < 0.5f && (autoOn || !userSwitchedGeneralOff_[slotIndex])) {
            storeRelaxed(slot.settings.generalOn, 1.0f);
            recomputeEngineFor(kGenOn, editedChannel());
            notify(kGenOn, 1.0f);
            markModified();
        }
        return;
    }

    if (isSwitch(index)) {
        const SwitchParam& p = kSwitches[static_cast<std::size_t>(index - kHPOn)];
        if (p.field == SwitchField::On) userSwitchedBandOff_[slotIndex][p.band] = value < 0.5f;
        if (p.field == SwitchField::GeneralOn) userSwitchedGeneralOff_[slotIndex] = value < 0.5f;
        markModified();
        return;
    }

    if (index == kCopySlot || index == kCopyChannel || index == kSaveSlot) {
        if (!(value > 0.5f)) {
            actionLatch_ = false;
            return;
        }
        if (actionLatch_) return;
        actionLatch_ = true;
        if (index == kCopySlot) {
            // The destination keeps its own name, so slot B is never called "...A".
            SettingsSlot& destination = s.slot[1 - slotIndex];
            char name[kSlotNameSize];
            std::memcpy(name, destination.name, sizeof(name));
            std::memcpy(&destination, &slot, sizeof(SettingsSlot));
            std::memcpy(destination.name, name, sizeof(name));
        } else if (index == kCopyChannel) {
            const int from = editedChannel();
            const int to = 1 - from;
            for (int b = 0; b < kBandCount; ++b) {
                const BandTriple v = slot.settings.channel[from].band[b];
                storeRelaxed(slot.settings.channel[to].band[b].frequency, v.frequency);
                storeRelaxed(slot.settings.channel[to].band[b].quality, v.quality);
                storeRelaxed(slot.settings.channel[to].band[b].gain, v.gain);
            }
            storeRelaxed(slot.settings.channel[to].volume, loadRelaxed(slot.settings.channel[from].volume));
            for (int b = 0; b < kBandCount; ++b) recomputeBand(b, to);
            recomputeEngineFor(kGenVol, to);
            storeRelaxed(slot.info.channelMode, int32_t{kChannelModeLinked});
        } else {
            saveActiveSlotAsPreset();
        }
    }
}

void CDravel::recomputeBand(int band, int channel) {
    const SettingsSlot& slot = state_->slot[activeSlotIndex()];
    BandTriple v{loadRelaxed(slot.settings.channel[channel].band[band].frequency),
                 loadRelaxed(slot.settings.channel[channel].band[band].quality),
                 loadRelaxed(slot.settings.channel[channel].band[band].gain)};
    // The frequency-finding mode hears the band at full boost.
    if (band == altBand_.load(std::memory_order_relaxed)) v.gain = 1.0f;
    const float type = loadRelaxed(slot.settings.band[band].type);
    const int engineSlot = engineSlotOf(band);
    const bool shelf = (band == kBandB1 || band == kBandB5) && type >= 0.5f;
    float frequency = 0.0f;
    float q = 0.0f;
    float gain = 0.0f;
    switch (band) {
        case kBandHP:
            frequency = mapForward(kFreqHP, v.frequency);
            q = passBandQHighPass(v.quality, frequency);
            break;
        case kBandLP:
            frequency = mapForward(kFreq, v.frequency);
            q = passBandQLowPass(v.quality, frequency);
            break;
        case kBandAir:
            frequency = kAirFrequencyHz;
            gain = mapForward(kAir, v.gain);
            break;
        default:
            frequency = mapForward(kFreq, v.frequency);
            if (shelf) {
                q = mapForward(kQShelf, v.quality);
                gain = mapForward(kGain, v.gain);
            } else {
                q = mapForward(kQBell, v.quality);
                gain = bellGainForQ(mapForward(kGain, v.gain), q);
            }
            break;
    }
    engine_.setBandKind(channel, engineSlot, bandKind(band, type));
    engine_.setBandValues(channel, engineSlot, frequency, gain, q);
}

void CDravel::recomputeEngineFor(int index, int channel) {
    const EffectState& s = *state_;
    const SettingsSlot& slot = s.slot[activeSlotIndex()];
    if (isContinuous(index)) {
        const int band = kContinuous[static_cast<std::size_t>(index)].band;
        if (band >= 0)
            recomputeBand(band, channel);
        else
            engine_.setVolume(channel, mapForward(kGain, loadRelaxed(slot.settings.channel[channel].volume)));
        return;
    }
    if (isSwitch(index)) {
        const SwitchParam& p = kSwitches[static_cast<std::size_t>(index - kHPOn)];
        switch (p.field) {
            case SwitchField::On:
                engine_.setBandOn(-1, engineSlotOf(p.band),
                                  loadRelaxed(slot.settings.band[p.band].on) >= 0.5f);
                break;
            case SwitchField::Type:
                // The type changes the band's recipe and, for B1 and B5, its Q table and gain law.
                for (int ch = 0; ch < kChannelCount; ++ch) recomputeBand(p.band, ch);
                break;
            case SwitchField::GeneralOn: engine_.setGeneralOn(loadRelaxed(slot.settings.generalOn) >= 0.5f); break;
        }
        return;
    }
    switch (index) {
        case kOptDspSave: engine_.setSilenceSkip(loadRelaxed(s.options.dspSave) >= 0.5f); break;
        case kOptGainOutOn: engine_.setVolumeWhenOff(loadRelaxed(s.options.gainOutOn) >= 0.5f); break;
        case kOptCodageMS:
        case kOptDecodageMS: refreshMidSide(); break;
        default: break;
    }
}

bool CDravel::beginEdit(VstInt32 index) {
    // Only the host's parameters have gestures; the editor's own tags are no business of the host's.
    if (index < 0 || index >= kNumHostParams) return false;
    if (state_ && isContinuous(index)) {
        const int channel = editedChannel();
        snapshot_.addressed = storedValue(index, channel);
        snapshot_.other = storedValue(index, 1 - channel);
        snapshot_.volumeAddressed = storedValue(kGenVol, channel);
        snapshot_.volumeOther = storedValue(kGenVol, 1 - channel);
        snapshot_.index = index;
    }
    return AudioEffectX::beginEdit(index);
}

bool CDravel::endEdit(VstInt32 index) {
    if (index < 0 || index >= kNumHostParams) return false;
    // Outside a gesture coupling starts from the current values again.
    if (snapshot_.index.load() == index) snapshot_.index.store(-1);
    return AudioEffectX::endEdit(index);
}
