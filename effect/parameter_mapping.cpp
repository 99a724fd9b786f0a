#include "effect/parameter_mapping.h"

namespace param {

std::span<const float> mappingTable(int index, float bandType) {
    switch (index) {
        case kHPFreq: return kFreqHP;
        case kHPQual:
        case kLPQual: return kQPass;
        case kB1Qual:
        case kB5Qual: return bandType >= 0.5f ? std::span<const float>(kQShelf) : std::span<const float>(kQBell);
        case kAirGain: return kAir;
        default: break;
    }
    if (index < 0 || index > kLastContinuous) return kGain;  // callers only pass 0..20
    switch (kContinuous[static_cast<std::size_t>(index)].quantity) {
        case Quantity::Frequency: return kFreq;
        case Quantity::Quality: return kQBell;
        case Quantity::Gain: return kGain;
    }
    return kGain;
}

}  // namespace param
