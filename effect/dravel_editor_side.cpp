// What the editor asks of the effect beyond the parameters: clip state, wheel step, initial settings,
// the active preset's protection, the channel mode and the preset store.
#include <array>

#include "effect/dravel.h"
#include "effect/parameter_tables.h"
#include "effect/relaxed.h"

using namespace param;

namespace {
// Knob change per wheel unit, by wheel option code.
constexpr std::array<float, 3> kWheelSteps{0.01f, 0.05f, 0.1f};
}  // namespace

bool CDravel::readClip() {
    const bool clipped = engine_.clip();
    if (clipped && loadRelaxed(state_->options.holdClip) < 0.5f) engine_.clearClip();
    return clipped;
}

void CDravel::clearClip() { engine_.clearClip(); }

float CDravel::wheelStep() {
    const float code = loadRelaxed(state_->options.incrWheel);
    const int index = code < 0.5f ? 0 : code < 1.5f ? 1 : 2;
    return kWheelSteps[static_cast<std::size_t>(index)];
}

float CDravel::initSettingValue(int32_t index) {
    if (index < 0 || index >= kNumHostParams) return getParameter(index);
    return initial_.value(index, state_->slot[activeSlotIndex()]);
}

void CDravel::storeInitSetting(int32_t index, float value) {
    if (index < 0 || index >= kNumHostParams) return;
    initial_.setValue(index, value, state_->slot[activeSlotIndex()], directory_);
}

void CDravel::initFromCurrentSettings() { initial_.initFromCurrent(state_->slot[activeSlotIndex()], directory_); }

bool CDravel::currentPresetReadOnly() { return store_ && store_->activeFactoryFlag() != 0; }

int CDravel::channelMode() {
    const int32_t mode = loadRelaxed(state_->slot[activeSlotIndex()].info.channelMode);
    return mode == kChannelModeLeftRight || mode == kChannelModeMidSide ? mode : kChannelModeLinked;
}

void CDravel::reloadPresetStore() {
    if (store_) store_->reload();
}
