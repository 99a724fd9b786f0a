#include "dsp/eq_engine.h"

#include <algorithm>
#include <cassert>
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
    gainGlide_ = static_cast<float>(1.0 - std::exp(-kSubBlockLength / (0.010 * rate)));
    bypassGlide_ = static_cast<float>(1.0 - std::exp(-kSubBlockLength / (0.040 * rate)));
    fadeInAdd_ = static_cast<float>(1.0 - std::exp(-1.0 / (0.010 * rate)));
    fadeDecay_ = 1.0f - fadeInAdd_;
    for (auto& channel : bands_)
        for (auto& b : channel) b.setSampleRate(fs);
}

void EqEngine::setBandValues(int channel, int slot, float frequencyHz, float gainDb, float q) {
    if (slot < 0 || slot >= kSlots) return;
    bool changed = false;
    for (int ch = 0; ch < kChannels; ++ch) {
        if (channel >= 0 && channel != ch) continue;
        changed = storeChanged(band_[ch][slot].frequency, frequencyHz) | changed;
        changed = storeChanged(band_[ch][slot].gain, gainDb) | changed;
        changed = storeChanged(band_[ch][slot].q, q) | changed;
    }
    countChange(changed);
}

void EqEngine::setBandKind(int channel, int slot, int kind) {
    if (slot < 0 || slot >= kSlots) return;
    bool changed = false;
    for (int ch = 0; ch < kChannels; ++ch)
        if (channel < 0 || channel == ch) changed = storeChanged(band_[ch][slot].kind, kind) | changed;
    countChange(changed);
}

void EqEngine::setBandOn(int channel, int slot, bool on) {
    if (slot < 0 || slot >= kSlots) return;
    bool changed = false;
    for (int ch = 0; ch < kChannels; ++ch)
        if (channel < 0 || channel == ch) changed = storeChanged(band_[ch][slot].on, on) | changed;
    countChange(changed);
}

void EqEngine::setVolume(int channel, float dB) {
    const float factor = std::pow(10.0f, dB / 20.0f);
    bool changed = false;
    for (int ch = 0; ch < kChannels; ++ch)
        if (channel < 0 || channel == ch) changed = storeChanged(volumeFactor_[ch], factor) | changed;
    countChange(changed);
}

void EqEngine::setGeneralOn(bool on) { countChange(storeChanged(generalOn_, on)); }

void EqEngine::setMidSide(bool msMode, bool encodeInput, bool decodeOutput) {
    bool changed = storeChanged(msMode_, msMode);
    changed = storeChanged(msEncodeInput_, encodeInput) | changed;
    changed = storeChanged(msDecodeOutput_, decodeOutput) | changed;
    countChange(changed);
}

void EqEngine::setVolumeWhenOff(bool on) { countChange(storeChanged(volumeWhenOff_, on)); }
void EqEngine::setSilenceSkip(bool on) { silenceSkip_.store(on, kRelaxed); }
void EqEngine::clearClip() { clearClipRequest_.store(true, kRelaxed); }
bool EqEngine::clip() const { return clip_.load(kRelaxed) && !clearClipRequest_.load(kRelaxed); }
void EqEngine::resetFilters() { resetRequest_.store(true, kRelaxed); }
void EqEngine::restartSubBlocks() { restartRequest_.store(true, kRelaxed); }

void EqEngine::restartIfRequested() {
    // Each request is its own flag: relaxed stores need not arrive in the order they were made.
    const float fs = sampleRate_.load(kRelaxed);
    const bool rateChanged = fs != activeRate_ && fs > 0.0f;
    const bool restart = restartRequest_.load(kRelaxed) && restartRequest_.exchange(false, kRelaxed);
    if (!(restart || rateChanged || resetRequest_.load(kRelaxed)) || stepPosition_ == 0) return;
    countSilence();
    stepPosition_ = 0;
    stepBegun_ = false;
}

void EqEngine::serveRequests() {
    const float fs = sampleRate_.load(kRelaxed);
    if (fs != activeRate_ && fs > 0.0f) {
        applySampleRate(fs);
        steadyKnown_ = false;
    }
    // Plain loads first: the exchanges are rare.
    if (resetRequest_.load(kRelaxed) && resetRequest_.exchange(false, kRelaxed)) {
        for (auto& channel : bands_)
            for (auto& b : channel) b.reset();
        steadyKnown_ = false;
    }
    if (clearClipRequest_.load(kRelaxed) && clearClipRequest_.exchange(false, kRelaxed)) clip_.store(false, kRelaxed);
    const bool silenceSkip = silenceSkip_.load(kRelaxed);
    if (silenceSkip != lastSilenceSkip_) {
        lastSilenceSkip_ = silenceSkip;
        silent_ = false;
        silentCount_ = 0;
    }
}

void EqEngine::readControls() {
    controlsSeen_ = controlsVersion_.load(std::memory_order_acquire);
    Controls& c = controls_;
    c.generalOn = generalOn_.load(kRelaxed);
    c.msMode = msMode_.load(kRelaxed);
    c.msEncodeInput = msEncodeInput_.load(kRelaxed);
    c.msDecodeOutput = msDecodeOutput_.load(kRelaxed);
    c.volumeWhenOff = volumeWhenOff_.load(kRelaxed);
    for (int ch = 0; ch < kChannels; ++ch) c.volume[ch] = volumeFactor_[ch].load(kRelaxed);
}

// Only a sub-block that runs the bands reads their controls.
void EqEngine::readBandControls() {
    bandsSeen_ = controlsVersion_.load(std::memory_order_acquire);
    Controls& c = controls_;
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int k = 0; k < kSlots; ++k) {
            const BandInbox& in = band_[ch][k];
            c.band[ch][k] = {in.frequency.load(kRelaxed), in.gain.load(kRelaxed), in.q.load(kRelaxed),
                             in.kind.load(kRelaxed)};
            bandOn_[ch][k] = in.on.load(kRelaxed);
        }
    }
}

// The general on/off cross-fade advances one sub-block and decides how this one runs.
void EqEngine::stepGeneralOnOff() {
    const bool generalOn = controls_.generalOn;
    if (generalOn == generalOff_) {
        generalOff_ = !generalOn;
        bypassFading_ = true;
        wetTarget_ = generalOn ? 1.0f : 0.0f;
    }
    wet_ = flushTiny(wet_ - (wet_ - wetTarget_) * bypassGlide_);
    const float target = generalOff_ ? 0.0f : 1.0f;
    if (bypassFading_ && std::fabs(wet_ - target) <= 0.001f) {
        wet_ = target;
        bypassFading_ = false;
    }
    fullyOff_ = generalOff_ && !bypassFading_;
    addDry_ = bypassFading_;
    for (int ch = 0; ch < kChannels; ++ch) offGain_[ch] = controls_.volumeWhenOff ? gain_[ch] : 1.0f;
}

void EqEngine::glideGains() {
    for (int ch = 0; ch < kChannels; ++ch)
        gain_[ch] = flushTiny(gain_[ch] - (gain_[ch] - controls_.volume[ch]) * gainGlide_);
}

void EqEngine::beginStep() {
    stepBegun_ = true;
    serveRequests();
    readControls();
    stepGeneralOnOff();
    processedChannels_ = 0;
    loud_ = false;
    // Fully off, the volume glides whether or not the input is silent.
    if (fullyOff_) glideGains();
    else readBandControls();
}

// The sub-block's first processed sample: the volume glides (the dry share keeps the gain from
// before) and every running band takes its design step.
void EqEngine::startProcessing(int channels) {
    if (processedChannels_ == 0) {
        const float dryShare = 1.0f - wet_;
        for (int ch = 0; ch < kChannels; ++ch) dryGain_[ch] = offGain_[ch] * dryShare;
        glideGains();
        const float wetScale = addDry_ ? wet_ : 1.0f;
        for (int ch = 0; ch < kChannels; ++ch) wetGain_[ch] = gain_[ch] * wetScale;
    }
    // A host that adds a second channel within a sub-block gets its bands stepped then.
    for (int ch = processedChannels_; ch < channels; ++ch)
        for (int k = 0; k < kSlots; ++k)
            if (bandOn_[ch][k] || bandFade_[ch][k] != 0.0f) bands_[ch][k].beginStep(controls_.band[ch][k]);
    processedChannels_ = channels;
}

void EqEngine::countSilence() {
    if (!lastSilenceSkip_ || processedChannels_ == 0) return;
    if (loud_) {
        silentCount_ = 0;
    } else if (++silentCount_ > 10) {
        silentCount_ = 10;
        silent_ = true;
    }
}

// Both channels, slot by slot. Slots whose bands run steadily on both channels have their sections
// collected into one chain that filters both channels at once; any other slot first runs the chain
// collected so far, then runs band by band.
void EqEngine::runStereo(int n, const SectionKernels::Marks& marks) {
    // A run over several sub-blocks takes only the two-channel paths (see steadyRun()).
    [[maybe_unused]] const bool run = n > kSubBlockLength || marks.count != 1 || marks.first != 0;
    for (int k = 0; k < kSlots; ++k) {
        const bool steady = bandOn_[0][k] && bandOn_[1][k] && bandFade_[0][k] == 1.0f && bandFade_[1][k] == 1.0f;
        if (!steady) {
            assert(!run || (!bandOn_[0][k] && !bandOn_[1][k]));
            runChain(n, marks);
            runSlot(0, k, work_[0], n);
            runSlot(1, k, work_[1], n);
            continue;
        }
        BandFilter& left = bands_[0][k];
        BandFilter& right = bands_[1][k];
        const bool bothRun = left.runs() && right.runs();
        if (bothRun && left.chainable(right) && chainSlot(k, n, marks)) continue;
        if (bothRun && left.correctedChainable(right)) {
            runCorrectedSlot(k, n, marks);
            continue;
        }
        assert(!run || (!left.runs() && !right.runs()));
        runChain(n, marks);
        if (left.runs()) left.filter(work_[0], n);
        if (right.runs()) right.filter(work_[1], n);
    }
    runChain(n, marks);
}

// Adds a steady slot's sections to the chain, the output gains on the last ones. False when the slot
// has no section to carry its gain.
bool EqEngine::chainSlot(int k, int n, const SectionKernels::Marks& marks) {
    BandFilter& left = bands_[0][k];
    BandFilter& right = bands_[1][k];
    BiquadSection* leftSections[BandFilter::kSections];
    BiquadSection* rightSections[BandFilter::kSections];
    const int count = left.chainSections(leftSections);
    right.chainSections(rightSections);
    const float gainLeft = left.steadyOutputGain(), gainRight = right.steadyOutputGain();
    if (count == 0) return gainLeft == 1.0f && gainRight == 1.0f;
    if (chain_.size() + count > SectionChain::kMaxStages) runChain(n, marks);
    const int first = chain_.size();
    int last = 0;
    for (int i = 0; i < count; ++i) {
        const bool end = i == count - 1;
        last = chain_.add(*leftSections[i], *rightSections[i], end ? gainLeft : 1.0f, end ? gainRight : 1.0f);
    }
    chained_[chainedCount_++] = {k, first, last};
    return true;
}

void EqEngine::runChain(int n, const SectionKernels::Marks& marks, float* lastInputLeft, float* lastInputRight) {
    if (chain_.empty()) return;
    SectionKernels::Firsts firsts[SectionChain::kMaxStages];
    bool inRange[SectionChain::kMaxStages][2];
    chain_.run(work_[0], work_[1], n, marks, firsts, lastInputLeft, lastInputRight, inRange);
    for (int i = 0; i < chainedCount_; ++i) {
        const ChainedBand& c = chained_[i];
        bool leftInRange = true, rightInRange = true;
        for (int s = c.firstStage; s <= c.lastStage; ++s) {
            leftInRange = leftInRange && inRange[s][0];
            rightInRange = rightInRange && inRange[s][1];
        }
        bands_[0][c.slot].finishChained(firsts[c.lastStage], 0, marks, leftInRange);
        bands_[1][c.slot].finishChained(firsts[c.lastStage], 1, marks, rightInRange);
    }
    chainedCount_ = 0;
}

// A settled correction: its sections end the chain collected so far (their inputs kept for the
// taps), then each channel's taps and gain.
void EqEngine::runCorrectedSlot(int k, int n, const SectionKernels::Marks& marks) {
    BandFilter& left = bands_[0][k];
    BandFilter& right = bands_[1][k];
    BiquadSection* leftSections[BandFilter::kSections];
    BiquadSection* rightSections[BandFilter::kSections];
    const int count = left.chainSections(leftSections);
    right.chainSections(rightSections);
    if (count == 1 && chain_.empty() && CorrectedSectionKernel::pays(n) && left.oneTapSet() && right.oneTapSet()) {
        // Nothing before it to overlap the section with: its taps do instead.
        chain_.add(*leftSections[0], *rightSections[0]);
        chain_.runCorrected(work_[0], work_[1], n, left.takeTaps(n), right.takeTaps(n));
        left.completeTaps(work_[0], n, marks);
        right.completeTaps(work_[1], n, marks);
        return;
    }
    if (count == 0) {
        runChain(n, marks);
        left.recordInput(work_[0], n);
        right.recordInput(work_[1], n);
    } else {
        if (chain_.size() + count > SectionChain::kMaxStages) runChain(n, marks);
        // A band's sections are consecutive stages: the first one's input is the band's.
        if (count > 1) {
            runChain(n, marks);
            left.recordInput(work_[0], n);
            right.recordInput(work_[1], n);
        }
        for (int i = 0; i < count; ++i) chain_.add(*leftSections[i], *rightSections[i]);
        if (count > 1) {
            runChain(n, marks);
        } else {
            runChain(n, marks, left.historyFor(n), right.historyFor(n));
        }
    }
    left.finishCorrected(work_[0], n, marks);
    right.finishCorrected(work_[1], n, marks);
}

void EqEngine::runSlot(int ch, int k, float* work, int n) {
    const bool on = bandOn_[ch][k];
    float f = bandFade_[ch][k];
    if (!on && f == 0.0f) return;  // stopped: its state does not advance
    BandFilter& band = bands_[ch][k];
    if (on && f == 1.0f) {
        band.process(work, n);
        return;
    }
    // Switching: cross-fade from the current fade value toward the on flag; a fade ends with the
    // sub-block in which it comes close enough.
    std::memcpy(dry_, work, sizeof(float) * static_cast<size_t>(n));
    if (!band.process(work, n)) {
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
    if (stepEnds_ && on && f > 0.999f) f = 1.0f;
    if (stepEnds_ && !on && f < 0.001f) {
        f = 0.0f;
        band.stop();
    }
    bandFade_[ch][k] = f;
}

namespace {

// Four samples at a time where the processor has vector registers. Vectors are only ever held in
// local variables, never passed to or returned from functions.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = int __attribute__((vector_size(16)));
constexpr Float4 kTiny4 = {1e-37f, 1e-37f, 1e-37f, 1e-37f};

// Copies a channel pair in, flushing tiny values, optionally encoding mid and side.
void copyIn(int n, const float* inL, const float* inR, float* workL, float* workR, bool encode) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        Float4 l, r;
        std::memcpy(&l, inL + i, sizeof l);
        std::memcpy(&r, inR + i, sizeof r);
        l = ((l < kTiny4) & (l > -kTiny4)) ? Float4{} : l;
        r = ((r < kTiny4) & (r > -kTiny4)) ? Float4{} : r;
        if (encode) {
            const Float4 m = (l + r) * 0.5f;
            r = (l - r) * 0.5f;
            l = m;
        }
        std::memcpy(workL + i, &l, sizeof l);
        std::memcpy(workR + i, &r, sizeof r);
    }
    for (; i < n; ++i) {
        const float l = flushTiny(inL[i]), r = flushTiny(inR[i]);
        workL[i] = encode ? (l + r) * 0.5f : l;
        workR[i] = encode ? (l - r) * 0.5f : r;
    }
}

// Volume (and the wet share of an on/off cross-fade), mid/side decode and the dry share, from the
// band outputs to the host outputs, noting the extreme output values for the clip test. Input i is
// read before output i is written, so in-place host buffers are safe.
template <int Channels, bool Decode, bool Dry>
void writeOutputs(int n, float* const work[2], const float gain[2], const float* const dry[2],
                  const float dryGain[2], float* const out[2], float& high, float& low) {
    float hi = high, lo = low;
    int i = 0;
    Float4 hi4 = {hi, hi, hi, hi}, lo4 = {lo, lo, lo, lo};
    for (; i + 4 <= n; i += 4) {
        Float4 l, r = {}, d;
        std::memcpy(&l, work[0] + i, sizeof l);
        l *= gain[0];
        if constexpr (Channels == 2) {
            std::memcpy(&r, work[1] + i, sizeof r);
            r *= gain[1];
        }
        if constexpr (Decode) {
            const Float4 m = l;
            l = m + r;
            r = m - r;
        }
        if constexpr (Dry) {
            std::memcpy(&d, dry[0] + i, sizeof d);
            l += d * dryGain[0];
            if constexpr (Channels == 2) {
                std::memcpy(&d, dry[1] + i, sizeof d);
                r += d * dryGain[1];
            }
        }
        std::memcpy(out[0] + i, &l, sizeof l);
        hi4 = l > hi4 ? l : hi4;
        lo4 = l < lo4 ? l : lo4;
        if constexpr (Channels == 2) {
            std::memcpy(out[1] + i, &r, sizeof r);
            hi4 = r > hi4 ? r : hi4;
            lo4 = r < lo4 ? r : lo4;
        }
    }
    for (int k = 0; k < 4; ++k) {
        hi = hi4[k] > hi ? hi4[k] : hi;
        lo = lo4[k] < lo ? lo4[k] : lo;
    }
    for (; i < n; ++i) {
        float l = work[0][i] * gain[0];
        float r = Channels == 2 ? work[1][i] * gain[1] : 0.0f;
        if constexpr (Decode) {
            const float m = l;
            l = m + r;
            r = m - r;
        }
        if constexpr (Dry) {
            l += dry[0][i] * dryGain[0];
            if constexpr (Channels == 2) r += dry[1][i] * dryGain[1];
        }
        out[0][i] = l;
        hi = l > hi ? l : hi;
        lo = l < lo ? l : lo;
        if constexpr (Channels == 2) {
            out[1][i] = r;
            hi = r > hi ? r : hi;
            lo = r < lo ? r : lo;
        }
    }
    high = hi;
    low = lo;
}

}  // namespace

int EqEngine::processSubBlock(int count, const float* inL, const float* inR, float* outL, float* outR,
                              int inputChannels) {
    steadyKnown_ = false;  // a sub-block steps the bands
    restartIfRequested();
    const int left = kSubBlockLength - stepPosition_;
    const int n = count < left ? count : left;
    if (n <= 0 || inL == nullptr || outL == nullptr) return n > 0 ? n : 0;
    if (stepPosition_ == 0 && !stepBegun_) beginStep();

    const int channels = inputChannels >= 2 && inR != nullptr && outR != nullptr ? 2 : 1;
    const bool stereo = channels == 2;
    const float* const in[kChannels] = {inL, stereo ? inR : inL};
    float* const out[kChannels] = {outL, stereo ? outR : outL};
    stepEnds_ = stepPosition_ + n == kSubBlockLength;
    if (fullyOff_) passInput(n, in, out, stereo);
    else if (lastSilenceSkip_ && silent_) processSilent(n, in, out, stereo);
    else processAwake(n, in, out, stereo);
    // With one channel in use and two outputs, the second output repeats the first.
    if (!stereo && outR != nullptr) std::memcpy(outR, outL, sizeof(float) * static_cast<size_t>(n));
    endPiece(n);
    return n;
}

int EqEngine::process(int count, const float* inL, const float* inR, float* outL, float* outR, int inputChannels) {
    const bool stereo = inputChannels >= 2 && inR != nullptr && outR != nullptr;
    // General off passes the input a sub-block at a time: nothing there to save.
    if (!stereo || inL == nullptr || outL == nullptr || count <= kSubBlockLength - stepPosition_ ||
        (fullyOff_ && stepBegun_))
        return processSubBlock(count, inL, inR, outL, outR, inputChannels);
    restartIfRequested();
    if (stepPosition_ == 0 && !stepBegun_) beginStep();
    if (fullyOff_) return processSubBlock(count, inL, inR, outL, outR, inputChannels);
    // The bands take this sub-block's step as its first processed sample would make them.
    if (!(lastSilenceSkip_ && silent_) && processedChannels_ < 2) startProcessing(2);
    int n = steadyRun(count);
    // A sample beyond reason ends the run before its sub-block, which then goes on its own: its
    // bands must start afresh at that sub-block's end, as they would one sub-block at a time.
    const int reasonable = withinReason(inL, inR, n);
    if (reasonable < n) n = reasonable - (stepPosition_ + reasonable) % kSubBlockLength;
    if (n <= kSubBlockLength - stepPosition_) return processSubBlock(count, inL, inR, outL, outR, inputChannels);
    const float* const in[kChannels] = {inL, inR};
    float* const out[kChannels] = {outL, outR};
    steadyKnown_ = true;
    steadyVersion_ = bandsSeen_;
    processRun(n, in, out);
    samplesInRuns_ += n;
    return n;
}

// Whether the next samples can run as one piece over the sub-block starts they cross, and how many:
// every step those starts would take must change nothing. The general switch and the volume have
// settled, nothing is requested, no control has moved since this sub-block's snapshot, and every
// slot is off on both channels or steady on both, taking the two-channel paths.
int EqEngine::steadyRun(int count) const {
    if (fullyOff_ || addDry_ || bypassFading_ || lastSilenceSkip_ || processedChannels_ != 2) return 0;
    if (silenceSkip_.load(kRelaxed) || sampleRate_.load(kRelaxed) != activeRate_ || restartRequest_.load(kRelaxed) ||
        resetRequest_.load(kRelaxed) || clearClipRequest_.load(kRelaxed))
        return 0;
    // The volume glide may settle a rounding away from its target: settled is when a step leaves it.
    for (int ch = 0; ch < kChannels; ++ch)
        if (flushTiny(gain_[ch] - (gain_[ch] - controls_.volume[ch]) * gainGlide_) != gain_[ch]) return 0;
    const int n = std::min(count, kMaxRun);
    const int starts = (stepPosition_ + n - 1) / kSubBlockLength;  // sub-block starts after the first sample
    if (starts == 0 || !controlsUnchanged()) return 0;
    // Since the last run nothing but the denormal counts can have moved (see steadyKnown_).
    if (steadyKnown_ && steadyVersion_ == bandsSeen_) {
        for (int ch = 0; ch < kChannels; ++ch)
            for (int k = 0; k < kSlots; ++k)
                if (bandOn_[ch][k] && !bands_[ch][k].untilTinyFlush(starts)) return 0;
        return n;
    }
    for (int k = 0; k < kSlots; ++k) {
        const bool on = bandOn_[0][k];
        if (bandOn_[1][k] != on || bandFade_[0][k] != (on ? 1.0f : 0.0f) || bandFade_[1][k] != (on ? 1.0f : 0.0f)) return 0;
        if (!on) continue;
        const BandFilter& left = bands_[0][k];
        const BandFilter& right = bands_[1][k];
        if (!left.steadyOver(starts) || !right.steadyOver(starts)) return 0;
        if (!left.runs() && !right.runs()) continue;
        const bool chained = left.runs() && right.runs() && left.chainable(right) &&
                             (left.runsSections() || (left.steadyOutputGain() == 1.0f && right.steadyOutputGain() == 1.0f));
        if (!chained && !(left.runs() && right.runs() && left.correctedChainable(right))) return 0;
    }
    return n;
}

// The frames before the first sample of either channel beyond kReasonableInput (or not a number).
// Sixteen frames at a time with one branch, as every sample of a run is looked at; the exact frame
// only within a block that holds one.
int EqEngine::withinReason(const float* inL, const float* inR, int n) {
    constexpr Float4 kHigh = {kReasonableInput, kReasonableInput, kReasonableInput, kReasonableInput};
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        // Comparisons give all bits set where they hold, and none for a NaN.
        Int4 fine = {-1, -1, -1, -1};
        for (int j = i; j < i + 16; j += 4) {
            Float4 l, r;
            std::memcpy(&l, inL + j, sizeof l);
            std::memcpy(&r, inR + j, sizeof r);
            fine &= (l <= kHigh) & (l >= -kHigh) & (r <= kHigh) & (r >= -kHigh);
        }
        if ((fine[0] & fine[1] & fine[2] & fine[3]) == 0) break;
    }
    for (; i < n; ++i)
        if (!(std::fabs(inL[i]) <= kReasonableInput && std::fabs(inR[i]) <= kReasonableInput)) return i;
    return n;
}

// No setter has changed a control since this sub-block's snapshots.
bool EqEngine::controlsUnchanged() const {
    const unsigned now = controlsVersion_.load(kRelaxed);
    return now == controlsSeen_ && now == bandsSeen_;
}

// n samples of both channels as processAwake() runs them, over the sub-block starts they cross
// (see steadyRun()); the bands note their first output of each sub-block at the marks.
void EqEngine::processRun(int n, const float* const in[kChannels], float* const out[kChannels]) {
    active_ = true;
    const bool encode = controls_.msMode && controls_.msEncodeInput;
    const bool decode = controls_.msMode && controls_.msDecodeOutput;
    copyIn(n, in[0], in[1], work_[0], work_[1], encode);
    SectionKernels::Marks marks;
    marks.first = stepPosition_ == 0 ? 0 : kSubBlockLength - stepPosition_;
    marks.count = (n - 1 - marks.first) / kSubBlockLength + 1;
    runStereo(n, marks);
    float* const work[kChannels] = {work_[0], work_[1]};
    const float* const dry[kChannels] = {input_[0], input_[1]};
    float high = 0.0f, low = 0.0f;
    if (decode) writeOutputs<2, true, false>(n, work, wetGain_, dry, dryGain_, out, high, low);
    else writeOutputs<2, false, false>(n, work, wetGain_, dry, dryGain_, out, high, low);
    if ((high > 1.0f || low < -1.0f) && !clip_.load(kRelaxed)) clip_.store(true, kRelaxed);
    if (high > 1e-7f || low < -1e-7f) loud_ = true;
    // The sub-block starts crossed took no step of their own: nothing would have changed.
    stepPosition_ = (stepPosition_ + n) % kSubBlockLength;
    if (stepPosition_ == 0) stepBegun_ = false;
}

void EqEngine::endPiece(int n) {
    stepPosition_ += n;
    if (stepPosition_ == kSubBlockLength) {
        countSilence();
        stepPosition_ = 0;
        stepBegun_ = false;
    }
}

// General off: the input passes with the off gain. Both inputs are read before either output is
// written: the host's buffers may overlap.
void EqEngine::passInput(int n, const float* const in[kChannels], float* const out[kChannels], bool stereo) {
    const float gainL = offGain_[0], gainR = offGain_[1];
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        Float4 l, r;
        std::memcpy(&l, in[0] + i, sizeof l);
        std::memcpy(&r, in[1] + i, sizeof r);
        l = ((l < kTiny4) & (l > -kTiny4)) ? Float4{} : l;
        r = ((r < kTiny4) & (r > -kTiny4)) ? Float4{} : r;
        l *= gainL;
        r *= gainR;
        std::memcpy(out[0] + i, &l, sizeof l);
        if (stereo) std::memcpy(out[1] + i, &r, sizeof r);
    }
    for (; i < n; ++i) {
        const float l = flushTiny(in[0][i]), r = flushTiny(in[1][i]);
        out[0][i] = l * gainL;
        if (stereo) out[1][i] = r * gainR;
    }
}

// Silence: nothing runs until a louder input sample arrives, from that sample on.
void EqEngine::processSilent(int n, const float* const in[kChannels], float* const out[kChannels], bool stereo) {
    const int channels = stereo ? 2 : 1;
    int loud = n;
    for (int i = 0; i < n && loud == n; ++i)
        for (int ch = 0; ch < channels; ++ch)
            if (std::fabs(in[ch][i]) > 1e-7f) loud = i;
    if (loud < n) {
        silent_ = false;
        silentCount_ = 0;
        const float* const rest[kChannels] = {in[0] + loud, in[1] + loud};
        float* const restOut[kChannels] = {out[0] + loud, out[1] + loud};
        processAwake(n - loud, rest, restOut, stereo);
    } else {
        active_ = false;
    }
    for (int ch = 0; ch < channels; ++ch) std::memset(out[ch], 0, sizeof(float) * static_cast<size_t>(loud));
}

void EqEngine::processAwake(int n, const float* const in[kChannels], float* const out[kChannels], bool stereo) {
    const int channels = stereo ? 2 : 1;
    active_ = true;
    if (processedChannels_ < channels) startProcessing(channels);
    const bool midSide = stereo && controls_.msMode;
    const bool encode = midSide && controls_.msEncodeInput;
    const bool decode = midSide && controls_.msDecodeOutput;

    // The inputs are copied before anything is written: the host may pass the same buffers as
    // outputs. The dry share of a cross-fade keeps its own copy.
    copyIn(n, in[0], in[1], work_[0], work_[1], encode);
    if (addDry_)
        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < n; ++i) input_[ch][i] = flushTiny(in[ch][i]);

    // Bands in slot order.
    if (stereo) {
        runStereo(n);
    } else {
        for (int k = 0; k < kSlots; ++k) runSlot(0, k, work_[0], n);
    }

    // Outputs: the wet part decoded, plus the dry part; clipping is judged on the final samples.
    float* const work[kChannels] = {work_[0], work_[1]};
    const float* const dry[kChannels] = {input_[0], input_[1]};
    float high = 0.0f, low = 0.0f;
    if (!stereo) {
        if (addDry_) writeOutputs<1, false, true>(n, work, wetGain_, dry, dryGain_, out, high, low);
        else writeOutputs<1, false, false>(n, work, wetGain_, dry, dryGain_, out, high, low);
    } else if (decode) {
        if (addDry_) writeOutputs<2, true, true>(n, work, wetGain_, dry, dryGain_, out, high, low);
        else writeOutputs<2, true, false>(n, work, wetGain_, dry, dryGain_, out, high, low);
    } else {
        if (addDry_) writeOutputs<2, false, true>(n, work, wetGain_, dry, dryGain_, out, high, low);
        else writeOutputs<2, false, false>(n, work, wetGain_, dry, dryGain_, out, high, low);
    }
    if ((high > 1.0f || low < -1.0f) && !clip_.load(kRelaxed)) clip_.store(true, kRelaxed);
    if (high > 1e-7f || low < -1e-7f) loud_ = true;
}
