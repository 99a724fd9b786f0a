#include "dsp/eq_engine.h"

#include <cmath>
#include <cstring>

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;

inline float flushTiny(float v) { return std::fabs(v) < 1e-37f ? 0.0f : v; }
}  // namespace

EqEngine::EqEngine() {
    for (auto& v : volumeFactor_) v.store(1.0f, kRelaxed);
    applySampleRate(44100.0f);
}

void EqEngine::setSampleRate(float fs) { sampleRate_.store(fs, kRelaxed); }

void EqEngine::applySampleRate(float fs) {
    activeRate_ = fs;
    const double rate = fs;
    for (int n = 0; n <= kSubBlockLength; ++n) {
        gainGlide_[n] = static_cast<float>(1.0 - std::exp(-n / (0.010 * rate)));
        bypassGlide_[n] = static_cast<float>(1.0 - std::exp(-n / (0.040 * rate)));
    }
    fadeInAdd_ = static_cast<float>(1.0 - std::exp(-1.0 / (0.010 * rate)));
    fadeDecay_ = 1.0f - fadeInAdd_;
    for (auto& channel : bands_)
        for (auto& b : channel) b.setSampleRate(fs);
}

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
void EqEngine::clearClip() { clearClipRequest_.store(true, kRelaxed); }
bool EqEngine::clip() const { return clip_.load(kRelaxed) && !clearClipRequest_.load(kRelaxed); }
void EqEngine::resetFilters() { resetRequest_.store(true, kRelaxed); }

void EqEngine::serveRequests() {
    const float fs = sampleRate_.load(kRelaxed);
    if (fs != activeRate_ && fs > 0.0f) applySampleRate(fs);
    if (resetRequest_.exchange(false, kRelaxed))
        for (auto& channel : bands_)
            for (auto& b : channel) b.reset();
    if (clearClipRequest_.exchange(false, kRelaxed)) clip_.store(false, kRelaxed);
    const bool silenceSkip = silenceSkip_.load(kRelaxed);
    if (silenceSkip != lastSilenceSkip_) {
        lastSilenceSkip_ = silenceSkip;
        silent_ = false;
        silentCount_ = 0;
    }
}

BandValues EqEngine::valuesOf(int ch, int slot) const {
    const BandInbox& in = band_[ch][slot];
    return {in.frequency.load(kRelaxed), in.gain.load(kRelaxed), in.q.load(kRelaxed), in.kind.load(kRelaxed)};
}

// Both channels, slot by slot. Slots whose bands run steadily on both channels have their sections
// collected into one chain that filters both channels at once; any other slot first runs the chain
// collected so far, then runs band by band.
void EqEngine::runStereo(int n) {
    const auto runChain = [&] {
        if (chain_.empty()) return;
        float firstLeft[SectionChain::kMaxStages], firstRight[SectionChain::kMaxStages];
        chain_.run(work_[0], work_[1], n, firstLeft, firstRight);
        for (int i = 0; i < chainedCount_; ++i) {
            const ChainedBand& c = chained_[i];
            bands_[0][c.slot].finishChained(firstLeft[c.lastStage]);
            bands_[1][c.slot].finishChained(firstRight[c.lastStage]);
        }
        chainedCount_ = 0;
    };
    for (int k = 0; k < kSlots; ++k) {
        const bool steady = band_[0][k].on.load(kRelaxed) && band_[1][k].on.load(kRelaxed) &&
                            bandFade_[0][k] == 1.0f && bandFade_[1][k] == 1.0f;
        if (!steady) {
            runChain();
            runSlot(0, k, work_[0], n);
            runSlot(1, k, work_[1], n);
            continue;
        }
        BandFilter& left = bands_[0][k];
        BandFilter& right = bands_[1][k];
        const bool leftRuns = left.prepare(valuesOf(0, k));
        const bool rightRuns = right.prepare(valuesOf(1, k));
        if (leftRuns && rightRuns && left.chainable(right)) {
            BiquadSection* leftSections[BandFilter::kSections];
            BiquadSection* rightSections[BandFilter::kSections];
            const int count = left.chainSections(leftSections);
            right.chainSections(rightSections);
            if (count == 0) continue;
            if (chain_.size() + count > SectionChain::kMaxStages) runChain();
            int last = 0;
            for (int i = 0; i < count; ++i) last = chain_.add(*leftSections[i], *rightSections[i]);
            chained_[chainedCount_++] = {k, last};
            continue;
        }
        runChain();
        if (leftRuns) left.filter(work_[0], n);
        if (rightRuns) right.filter(work_[1], n);
    }
    runChain();
}

void EqEngine::runSlot(int ch, int k, float* work, int n) {
    const bool on = band_[ch][k].on.load(kRelaxed);
    float f = bandFade_[ch][k];
    if (!on && f == 0.0f) return;  // stopped: its state does not advance
    const BandValues v = valuesOf(ch, k);
    BandFilter& band = bands_[ch][k];
    if (on && f == 1.0f) {
        band.process(work, n, v);
        return;
    }
    // Switching: cross-fade from the current fade value toward the on flag.
    std::memcpy(dry_, work, sizeof(float) * static_cast<size_t>(n));
    if (!band.process(work, n, v)) {
        // Nothing to cross-fade: the band left the samples as they were.
        for (int i = 0; i < n; ++i) f = on ? fadeInAdd_ + fadeDecay_ * f : fadeDecay_ * f;
    } else if (on) {
        for (int i = 0; i < n; ++i) {
            f = fadeInAdd_ + fadeDecay_ * f;
            work[i] = work[i] * f + (1.0f - f) * dry_[i];
        }
    } else {
        for (int i = 0; i < n; ++i) {
            f = fadeDecay_ * f;
            work[i] = work[i] * f + (1.0f - f) * dry_[i];
        }
    }
    if (on && f > 0.999f) f = 1.0f;
    if (!on && f < 0.001f) {
        f = 0.0f;
        band.stop();
    }
    bandFade_[ch][k] = f;
}

int EqEngine::processSubBlock(int count, const float* inL, const float* inR, float* outL, float* outR,
                              int inputChannels) {
    const int n = count < kSubBlockLength ? count : kSubBlockLength;
    if (n <= 0 || inL == nullptr || outL == nullptr) return n > 0 ? n : 0;
    serveRequests();

    // One snapshot of everything other threads write.
    const int channels = inputChannels >= 2 && inR != nullptr && outR != nullptr ? 2 : 1;
    const bool generalOn = generalOn_.load(kRelaxed);
    const bool midSide = channels == 2 && msMode_.load(kRelaxed);
    const bool encode = midSide && msEncodeInput_.load(kRelaxed);
    const bool decode = midSide && msDecodeOutput_.load(kRelaxed);
    const bool volumeWhenOff = volumeWhenOff_.load(kRelaxed);
    const bool silenceSkip = lastSilenceSkip_;
    const float volume[kChannels] = {volumeFactor_[0].load(kRelaxed), volumeFactor_[1].load(kRelaxed)};
    float* const out[kChannels] = {outL, outR};
    // With one channel in use and two outputs, the second output repeats the first.
    const auto finishOutputs = [&] {
        if (channels == 1 && outR != nullptr) std::memcpy(outR, outL, sizeof(float) * static_cast<size_t>(n));
    };

    // The inputs are copied first: the host may pass the same buffers as outputs.
    const float* const in[kChannels] = {inL, inR};
    for (int ch = 0; ch < channels; ++ch)
        for (int i = 0; i < n; ++i) input_[ch][i] = flushTiny(in[ch][i]);

    // General on/off and its cross-fade.
    if (generalOn == generalOff_) {
        generalOff_ = !generalOn;
        bypassFading_ = true;
        wetTarget_ = generalOn ? 1.0f : 0.0f;
    }
    wet_ = flushTiny(wet_ - (wet_ - wetTarget_) * bypassGlide_[n]);
    bool addDry = false;
    if (generalOff_ || bypassFading_) {
        const float target = generalOff_ ? 0.0f : 1.0f;
        if (bypassFading_ && std::fabs(wet_ - target) <= 0.001f) {
            wet_ = target;
            bypassFading_ = false;
        }
        if (generalOff_ && !bypassFading_) {
            for (int ch = 0; ch < channels; ++ch) {
                const float g = volumeWhenOff ? gain_[ch] : 1.0f;
                for (int i = 0; i < n; ++i) out[ch][i] = input_[ch][i] * g;
            }
            for (int ch = 0; ch < kChannels; ++ch) gain_[ch] = flushTiny(gain_[ch] - (gain_[ch] - volume[ch]) * gainGlide_[n]);
            finishOutputs();
            return n;
        }
        addDry = bypassFading_;
    }
    const float dryGain[kChannels] = {volumeWhenOff ? gain_[0] : 1.0f, volumeWhenOff ? gain_[1] : 1.0f};

    // Silence: nothing runs until a louder input sample arrives.
    if (silenceSkip && silent_) {
        bool loud = false;
        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < n; ++i) loud |= std::fabs(input_[ch][i]) > 1e-7f;
        if (!loud) {
            for (int ch = 0; ch < channels; ++ch) std::memset(out[ch], 0, sizeof(float) * static_cast<size_t>(n));
            active_ = false;
            finishOutputs();
            return n;
        }
        silent_ = false;
        silentCount_ = 0;
    }
    active_ = true;

    if (encode) {
        for (int i = 0; i < n; ++i) {
            const float l = input_[0][i], r = input_[1][i];
            work_[0][i] = (l + r) * 0.5f;
            work_[1][i] = (l - r) * 0.5f;
        }
    } else {
        for (int ch = 0; ch < channels; ++ch) std::memcpy(work_[ch], input_[ch], sizeof(float) * static_cast<size_t>(n));
    }

    for (int ch = 0; ch < channels; ++ch) gain_[ch] = flushTiny(gain_[ch] - (gain_[ch] - volume[ch]) * gainGlide_[n]);

    // Bands in slot order.
    if (channels == 2) {
        runStereo(n);
    } else {
        for (int k = 0; k < kSlots; ++k) runSlot(0, k, work_[0], n);
    }

    // Volume, then the wet part of an on/off cross-fade.
    const float wetScale = addDry ? wet_ : 1.0f;
    for (int ch = 0; ch < channels; ++ch) {
        const float g = gain_[ch] * wetScale;
        for (int i = 0; i < n; ++i) work_[ch][i] *= g;
    }
    if (decode) {
        for (int i = 0; i < n; ++i) {
            const float m = work_[0][i], s = work_[1][i];
            work_[0][i] = m + s;
            work_[1][i] = m - s;
        }
    }

    // Outputs: the decoded wet part plus the dry part; clipping is judged on the final samples.
    bool clipped = false;
    for (int ch = 0; ch < channels; ++ch) {
        float* o = out[ch];
        if (addDry) {
            const float dry = dryGain[ch] * (1.0f - wet_);
            for (int i = 0; i < n; ++i) o[i] = work_[ch][i] + input_[ch][i] * dry;
        } else {
            std::memcpy(o, work_[ch], sizeof(float) * static_cast<size_t>(n));
        }
        for (int i = 0; i < n; ++i) clipped |= (o[i] > 1.0f) | (o[i] < -1.0f);
    }
    if (clipped && !clip_.load(kRelaxed)) clip_.store(true, kRelaxed);

    if (silenceSkip) {
        bool loud = false;
        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < n; ++i) loud |= std::fabs(out[ch][i]) > 1e-7f;
        if (loud) {
            silentCount_ = 0;
        } else if (++silentCount_ > 10) {
            silentCount_ = 10;
            silent_ = true;
        }
    }
    finishOutputs();
    return n;
}
