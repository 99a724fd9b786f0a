#include "dsp/eq_engine.h"

#include <cmath>
#include <cstring>

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}

EqEngine::EqEngine() {
    for (auto& v : volumeFactor_) v.store(1.0f, kRelaxed);
}

void EqEngine::setSampleRate(float fs) { sampleRate_.store(fs, kRelaxed); }

void EqEngine::setBandValues(int channel, int slot, float frequencyHz, float gainDb, float q) {
    if (slot < 0 || slot >= kSlots) return;
    for (int ch = 0; ch < kChannels; ++ch) {
        if (channel >= 0 && channel != ch) continue;
        band_[ch][slot].frequency.store(frequencyHz, kRelaxed);
        band_[ch][slot].gain.store(gainDb, kRelaxed);
        band_[ch][slot].q.store(q, kRelaxed);
    }
}

void EqEngine::setBandKind(int channel, int slot, int kind) {
    if (slot < 0 || slot >= kSlots) return;
    for (int ch = 0; ch < kChannels; ++ch)
        if (channel < 0 || channel == ch) band_[ch][slot].kind.store(kind, kRelaxed);
}

void EqEngine::setBandOn(int channel, int slot, bool on) {
    if (slot < 0 || slot >= kSlots) return;
    for (int ch = 0; ch < kChannels; ++ch)
        if (channel < 0 || channel == ch) band_[ch][slot].on.store(on, kRelaxed);
}

void EqEngine::setVolume(int channel, float dB) {
    const float factor = std::pow(10.0f, dB / 20.0f);
    for (int ch = 0; ch < kChannels; ++ch)
        if (channel < 0 || channel == ch) volumeFactor_[ch].store(factor, kRelaxed);
}

void EqEngine::setGeneralOn(bool on) { generalOn_.store(on, kRelaxed); }

void EqEngine::setMidSide(bool msMode, bool encodeInput, bool decodeOutput) {
    msMode_.store(msMode, kRelaxed);
    msEncodeInput_.store(encodeInput, kRelaxed);
    msDecodeOutput_.store(decodeOutput, kRelaxed);
}

void EqEngine::setVolumeWhenOff(bool on) { volumeWhenOff_.store(on, kRelaxed); }
void EqEngine::setSilenceSkip(bool on) { silenceSkip_.store(on, kRelaxed); }
void EqEngine::clearClip() { clip_.store(false, kRelaxed); }
bool EqEngine::clip() const { return clip_.load(kRelaxed); }
void EqEngine::resetFilters() {}

int EqEngine::processSubBlock(int count, const float* inL, const float* inR, float* outL, float* outR,
                              int inputChannels) {
    const int n = count < kSubBlockLength ? count : kSubBlockLength;
    if (n <= 0) return 0;
    // Pass-through until the band designs are in place.
    const float* secondIn = inputChannels >= 2 && inR != nullptr ? inR : inL;
    if (outL != inL) std::memmove(outL, inL, sizeof(float) * static_cast<size_t>(n));
    if (outR != nullptr && outR != secondIn) std::memmove(outR, secondIn, sizeof(float) * static_cast<size_t>(n));
    return n;
}
