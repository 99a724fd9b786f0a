// The editor's frequency-finding mode: while the user drags a bell's or shelf's frequency or Q with
// alt and the left button held, that band sounds at full boost (+15 dB), optionally with the output
// lowered, so its frequency is easy to hear; the gains and the volume come back when the mouse lets go.
#include "effect/dravel.h"
#include "effect/parameter_mapping.h"
#include "effect/parameter_tables.h"
#include "effect/relaxed.h"

using namespace param;

namespace {
// Mouse bits as the editor reports them.
constexpr int32_t kLeftButton = 1;
constexpr int32_t kAltKey = 32;
// General Volume while the mode boosts a band, for the gain-drop option's codes 0, 1 and 2.
constexpr float kNoDropDb = 0.0f;
constexpr float kMildDropDb = -6.0f;
constexpr float kFullDropNormalized = 0.0f;  // the bottom of the GAIN table, -15 dB
// The bell and shelf gains that the end of the mode sends again.
constexpr int kBoostableGains[] = {kB1Gain, kB2Gain, kB3Gain, kB4Gain, kB5Gain};

// The band whose frequency or Q the tag is, when that band has a gain to boost; -1 otherwise.
int boostableBand(int32_t tag) {
    if (!isContinuous(tag)) return -1;
    const ContinuousParam& p = kContinuous[static_cast<std::size_t>(tag)];
    if (p.quantity == Quantity::Gain || p.band < kBandB1 || p.band > kBandB5) return -1;
    return p.band;
}
}  // namespace

float CDravel::gainDropVolume() const {
    const float code = loadRelaxed(state_->options.gainDropAlt);
    if (code < 0.5f) return toNormalized(kGenVol, 0.0f, kNoDropDb);
    if (code < 1.5f) return toNormalized(kGenVol, 0.0f, kMildDropDb);
    return kFullDropNormalized;
}

void CDravel::reportMouseButtons(int32_t buttons, int32_t tag) {
    mouseButtons_.store(buttons, std::memory_order_relaxed);
    mouseButtonsTag_.store(tag, std::memory_order_relaxed);
    if (!state_) return;
    const int band = (buttons & kAltKey) && (buttons & kLeftButton) ? boostableBand(tag) : -1;
    if (band >= 0) {
        beginAltBoost(band);
    } else if (altBand_.load(std::memory_order_relaxed) >= 0 && !(buttons & kLeftButton)) {
        // Let go: the editor's next periodic task puts everything back.
        altRestorePending_.store(true, std::memory_order_relaxed);
    }
}

void CDravel::beginAltBoost(int band) {
    const int previous = altBand_.exchange(band, std::memory_order_relaxed);
    altRestorePending_.store(false, std::memory_order_relaxed);
    if (previous == band) return;
    if (previous < 0 && loadRelaxed(state_->options.gainDropAlt) >= 0.5f) {
        if (!altVolumeSaved_) {
            altSavedVolume_ = getParameter(kGenVol);
            altVolumeSaved_ = true;
        }
        setParameter(kGenVol, gainDropVolume());
    }
    for (int channel = 0; channel < 2; ++channel) {
        if (previous >= 0) recomputeBand(previous, channel);
        recomputeBand(band, channel);
    }
}

bool CDravel::finishAltBoost() {
    if (!altRestorePending_.exchange(false, std::memory_order_relaxed)) return false;
    const int band = altBand_.exchange(-1, std::memory_order_relaxed);
    if (band < 0) return false;
    // Every bell and shelf gain from its stored value again, in both channels.
    for (const int index : kBoostableGains) {
        const int b = kContinuous[static_cast<std::size_t>(index)].band;
        for (int channel = 0; channel < 2; ++channel) recomputeBand(b, channel);
        notify(index, getParameter(index));
    }
    if (altVolumeSaved_) {
        altVolumeSaved_ = false;
        setParameter(kGenVol, altSavedVolume_);
    }
    return true;
}
