#include "dsp/band_filter.h"

#include <cmath>

BandFilter::BandFilter() { setSampleRate(44100.0f); }

void BandFilter::setSampleRate(float fs) {
    sampleRate_ = fs;
    rateScale_ = fs / 44100.0f;
    glide_ = 1.0 - std::exp(-1.0 / (0.002 * static_cast<double>(fs)));
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

bool BandFilter::process(float* buf, int n, const BandValues& v) { return prepare(v) && filter(buf, n); }

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
