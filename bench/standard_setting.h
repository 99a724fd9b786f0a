// The standard 8-band setting used by the benchmarks, in engine terms and as the effect's host
// parameters: high-pass 12 dB/oct at 30 Hz; bells at 120 Hz -4 dB Q 1, 400 Hz +3 dB Q 1, 1 kHz
// -3 dB Q 1.7, 3 kHz +4 dB Q 1, 12 kHz +6 dB Q 0.5; low-pass 12 dB/oct at 18 kHz; Air +5 dB.
#pragma once

#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "dsp/eq_engine.h"

namespace StandardSetting {

struct Bell {
    float frequency, gainDb, q;
};
constexpr Bell kBells[5] = {{120, -4, 1}, {400, 3, 1}, {1000, -3, 1.7f}, {3000, 4, 1}, {12000, 6, 0.5f}};
constexpr float kHighPass = 30.0f, kLowPass = 18000.0f, kAirDb = 5.0f;
constexpr float kAirFrequency = 300000.0f;

// Sets the eight bands on both channels; frequencyScale and gainOffset move them (automation).
inline void apply(EqEngine& e, float frequencyScale = 1.0f, float gainOffset = 0.0f) {
    e.setBandKind(-1, 0, BandKind::kHighPass12);
    e.setBandValues(-1, 0, kHighPass * frequencyScale, 0.0f, passBandQHighPass(0.5f, kHighPass * frequencyScale));
    for (int i = 0; i < 5; ++i) {
        const Bell& b = kBells[i];
        e.setBandKind(-1, 1 + i, BandKind::kBell);
        e.setBandValues(-1, 1 + i, b.frequency * frequencyScale, bellGainForQ(b.gainDb + gainOffset, b.q), b.q);
    }
    const float lowPass = kLowPass * (frequencyScale > 1.0f ? 1.0f : frequencyScale);
    e.setBandKind(-1, 6, BandKind::kLowPass12);
    e.setBandValues(-1, 6, lowPass, 0.0f, passBandQLowPass(0.5f, lowPass));
    e.setBandKind(-1, 7, BandKind::kBell);
    e.setBandValues(-1, 7, kAirFrequency, kAirDb + gainOffset, 0.0f);
}

inline void switchAll(EqEngine& e, bool on) {
    for (int slot = 0; slot < EqEngine::kSlots; ++slot) e.setBandOn(-1, slot, on);
}

}  // namespace StandardSetting
