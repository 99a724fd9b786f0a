#include "dsp/band_filter.h"

#include "dsp/band_kind.h"

#include <cmath>

BandFilter::BandFilter() { setSampleRate(44100.0f); }

void BandFilter::setSampleRate(float fs) {
    sampleRate_ = fs;
    rateScale_ = fs / 44100.0f;
    glide_ = 1.0 - std::exp(-1.0 / (0.002 * static_cast<double>(fs)));
    designStep_ = DesignStep::kRecipe;
}

void BandFilter::detectChange(const BandValues& v) {
    if (v.frequency == lastFrequency_ && v.q == lastQ_ && v.gain == lastGain_ && v.kind == kind_) return;
    lastFrequency_ = v.frequency;
    lastQ_ = v.q;
    lastGain_ = v.gain;
    kind_ = v.kind;
    designStep_ = DesignStep::kRecipe;
}

void BandFilter::advanceDesign() {
    switch (designStep_) {
    case DesignStep::kRecipe: {
        iirActive_ = true;
        recipe_ = runRecipe(kind_, lastFrequency_, lastQ_, lastGain_, sampleRate_);
        iirActive_ = recipe_.iirActive;
        if (recipe_.correctionLength > 0 && sampleRate_ / 2.0f < recipe_.main.frequency) iirActive_ = false;
        const auto designed = [&](bool use, const SectionDesign& s) {
            return use && iirActive_ ? designSection(s, sampleRate_) : BiquadCoefficients::identity();
        };
        designCoeffs_ = designed(true, recipe_.main);
        secondCoeffs_ = designed(recipe_.useSecondSection, recipe_.second);
        thirdCoeffs_ = designed(recipe_.useThirdSection, recipe_.third);
        if (recipe_.correctionLength > 0) {
            designStep_ = DesignStep::kResponses;
        } else {
            install();
            correctionInUse_ = 0;
            designStep_ = DesignStep::kIdle;
        }
        break;
    }
    case DesignStep::kResponses:
    case DesignStep::kWaitFade:
        // Correction taps are not designed yet: nothing to wait for.
        designStep_ = DesignStep::kInstall;
        break;
    case DesignStep::kInstall:
        install();
        designStep_ = DesignStep::kIdle;
        break;
    case DesignStep::kIdle:
        break;
    }
}

void BandFilter::install() {
    // The extra sections are latched here: a dropped one glides to the identity and stops, a new
    // one starts from the identity with cleared states.
    sections_[0].setTarget(designCoeffs_);
    sections_[1].setTarget(secondCoeffs_);
    sections_[2].setTarget(thirdCoeffs_);
    outputGainTarget_ = recipe_.outputGainTarget;
}

bool BandFilter::prepare(const BandValues& v) {
    // A settled flat bell whose gain stays 0 passes its input through bit for bit.
    if (kind_ == BandKind::kBell && v.kind == BandKind::kBell && v.gain == 0.0f && lastGain_ == 0.0f &&
        designStep_ == DesignStep::kIdle && !sections_[0].running() && !sections_[1].running() &&
        !sections_[2].running() && outputGain_ == 1.0f && outputGainTarget_ == 1.0f)
        return false;
    detectChange(v);
    advanceDesign();
    if (snapPending_) {
        for (auto& s : sections_) s.snap();
        outputGain_ = outputGainTarget_;
        snapPending_ = false;
    }
    return true;
}

bool BandFilter::filter(float* buf, int n) {
    const bool touched = sections_[0].running() || sections_[1].running() || sections_[2].running() ||
                         outputGain_ != 1.0f || outputGainTarget_ != 1.0f;
    if (!touched) return false;
    sections_[0].process(buf, n, glide_);
    sections_[1].process(buf, n, glide_);
    sections_[2].process(buf, n, glide_);
    finish(buf, n);
    return true;
}

void BandFilter::finish(float* buf, int n) {
    if (outputGain_ != outputGainTarget_) {
        const float k = static_cast<float>(glide_);
        for (int i = 0; i < n; ++i) {
            outputGain_ -= (outputGain_ - outputGainTarget_) * k;
            if (std::fabs(outputGain_ - outputGainTarget_) <= 0.001f) outputGain_ = outputGainTarget_;
            buf[i] *= outputGain_;
        }
    } else if (outputGain_ != 1.0f) {
        for (int i = 0; i < n; ++i) buf[i] *= outputGain_;
    }

    guardStates();
    if (n > 0) countTinyOutput(buf[0], buf, n);
}

void BandFilter::guardStates() {
    // A non-finite input would otherwise stay in the states for good.
    bool finite = true;
    for (auto& s : sections_) {
        if (!s.running()) continue;
        finite = finite && s.statesFinite();
        s.flushTinyStates();
    }
    if (!finite) reset();
}

// Denormal guard: a long run of sub-blocks starting with tiny non-zero values gets flushed.
void BandFilter::countTinyOutput(float first, float* buf, int n) {
    const float level = std::fabs(first);
    if (level >= 1e-20f) {
        denormalCount_ = 0;
    } else if (level != 0.0f && ++denormalCount_ > 20) {
        denormalCount_ = 20;
        for (int i = 0; buf != nullptr && i < n; ++i)
            if (std::fabs(buf[i]) < 1e-37f) buf[i] = 0.0f;
    }
}

bool BandFilter::process(float* buf, int n, const BandValues& v) { return prepare(v) && filter(buf, n); }

bool BandFilter::chainable(const BandFilter& other) const {
    for (int i = 0; i < kSections; ++i) {
        const BiquadSection& a = sections_[i];
        const BiquadSection& b = other.sections_[i];
        if (a.running() != b.running() || a.gliding() || b.gliding()) return false;
    }
    // A band about to flush tiny outputs needs its own output buffer.
    return outputGain_ == 1.0f && outputGainTarget_ == 1.0f && other.outputGain_ == 1.0f &&
           other.outputGainTarget_ == 1.0f && denormalCount_ < 20 && other.denormalCount_ < 20;
}

int BandFilter::chainSections(BiquadSection* out[kSections]) {
    int count = 0;
    for (auto& s : sections_)
        if (s.running()) out[count++] = &s;
    return count;
}

void BandFilter::finishChained(float firstOutput) {
    guardStates();
    countTinyOutput(firstOutput, nullptr, 0);
}

void BandFilter::stop() {
    for (auto& s : sections_) s.clearStates();
    snapPending_ = true;
    denormalCount_ = 0;
}

void BandFilter::reset() {
    for (auto& s : sections_) {
        s.clearStates();
        s.snap();
    }
    outputGain_ = outputGainTarget_;
}
