// Editor commands that rearrange a slot: exchanging the channels and ordering the bells by frequency.
#include <utility>

#include "effect/dravel.h"
#include "effect/parameter_tables.h"
#include "effect/relaxed.h"

using namespace param;

void CDravel::switchChannels() {
    if (!state_) return;
    SettingsSlot& slot = state_->slot[activeSlotIndex()];
    ChannelValues& left = slot.settings.channel[0];
    ChannelValues& right = slot.settings.channel[1];
    for (int b = 0; b < kBandCount; ++b) {
        const BandTriple l = {loadRelaxed(left.band[b].frequency), loadRelaxed(left.band[b].quality),
                              loadRelaxed(left.band[b].gain)};
        storeRelaxed(left.band[b].frequency, loadRelaxed(right.band[b].frequency));
        storeRelaxed(left.band[b].quality, loadRelaxed(right.band[b].quality));
        storeRelaxed(left.band[b].gain, loadRelaxed(right.band[b].gain));
        storeRelaxed(right.band[b].frequency, l.frequency);
        storeRelaxed(right.band[b].quality, l.quality);
        storeRelaxed(right.band[b].gain, l.gain);
    }
    const float leftVolume = loadRelaxed(left.volume);
    storeRelaxed(left.volume, loadRelaxed(right.volume));
    storeRelaxed(right.volume, leftVolume);

    curProgram = 1;
    setProgram(0);
    storeRelaxed(slot.modified, int32_t{1});
    storeRelaxed(slot.secondChange, int32_t{1});
    notify(kPresetNameText, 0.0f);
    updateDisplay();
}

void CDravel::classBandsByFrequency() {
    if (!state_) return;
    SettingsSlot& slot = state_->slot[activeSlotIndex()];
    const int c = editedChannel();
    int first = kBandB1;
    int last = kBandB5;
    if (loadRelaxed(slot.settings.band[kBandB1].type) >= 0.5f) first = kBandB2;  // a low shelf stays first
    if (loadRelaxed(slot.settings.band[kBandB5].type) >= 0.5f) last = kBandB4;   // a high shelf stays last
    if (first >= last) return;

    // Selection: each position takes the lowest remaining frequency; ties keep band order.
    int order[kBandCount];
    bool placed[kBandCount] = {};
    for (int position = first; position <= last; ++position) {
        int best = -1;
        for (int b = first; b <= last; ++b) {
            if (placed[b]) continue;
            if (best < 0 || loadRelaxed(slot.settings.channel[c].band[b].frequency) <
                                loadRelaxed(slot.settings.channel[c].band[best].frequency))
                best = b;
        }
        placed[best] = true;
        order[position] = best;
    }

    // Rewrite both channels with the same permutation, so the other channel's settings stay with
    // their bands; names stay where they are.
    BandTriple values[kChannelCount][kBandCount];
    float type[kBandCount];
    float on[kBandCount];
    int engineSlot[kBandCount];
    for (int b = first; b <= last; ++b) {
        for (int ch = 0; ch < kChannelCount; ++ch)
            values[ch][b] = {loadRelaxed(slot.settings.channel[ch].band[b].frequency),
                             loadRelaxed(slot.settings.channel[ch].band[b].quality),
                             loadRelaxed(slot.settings.channel[ch].band[b].gain)};
        type[b] = loadRelaxed(slot.settings.band[b].type);
        on[b] = loadRelaxed(slot.settings.band[b].on);
        engineSlot[b] = engineSlotOf(b);
    }
    for (int position = first; position <= last; ++position) {
        const int from = order[position];
        for (int ch = 0; ch < kChannelCount; ++ch) {
            storeRelaxed(slot.settings.channel[ch].band[position].frequency, values[ch][from].frequency);
            storeRelaxed(slot.settings.channel[ch].band[position].quality, values[ch][from].quality);
            storeRelaxed(slot.settings.channel[ch].band[position].gain, values[ch][from].gain);
        }
        storeRelaxed(slot.settings.band[position].type, type[from]);
        storeRelaxed(slot.settings.band[position].on, on[from]);
        slotMap_[static_cast<std::size_t>(position)].store(engineSlot[from], std::memory_order_relaxed);
    }
    storeRelaxed(slot.modified, int32_t{0});
    storeRelaxed(slot.secondChange, int32_t{0});

    // The engine already runs every moved setting in its slot; only the editor needs the new values.
    notify(kPresetNameText, 0.0f);
    static constexpr int kResent[] = {kB1On,   kB2On,   kB3On,   kB4On,   kB5On,   kB1Freq, kB2Freq,
                                      kB3Freq, kB4Freq, kB5Freq, kB1Qual, kB2Qual, kB3Qual, kB4Qual,
                                      kB5Qual, kB1Gain, kB2Gain, kB3Gain, kB4Gain, kB5Gain};
    for (int index : kResent) notify(index, getParameter(index));
}
