// A cascade of steady sections run on both channels at once, each section one sample behind the one
// before it. The sections' recursions then overlap instead of waiting on each other, while every
// section sees exactly the samples it would see band by band (rounded to float between sections).
#pragma once

#include "dsp/biquad_section.h"

class SectionChain {
public:
    static constexpr int kMaxStages = 8;

    bool full() const { return count_ == kMaxStages; }
    bool empty() const { return count_ == 0; }
    int size() const { return count_; }

    // Appends one section per channel; returns the stage index.
    int add(BiquadSection& left, BiquadSection& right) {
        stages_[count_] = {&left, &right};
        return count_++;
    }

    // Runs the stages over n samples of both channels in place and empties the chain. first[s] gets
    // stage s's output for sample 0 on each channel.
    void run(float* left, float* right, int n, float firstLeft[kMaxStages], float firstRight[kMaxStages]);

private:
    struct Stage {
        BiquadSection* left;
        BiquadSection* right;
    };
    Stage stages_[kMaxStages] = {};
    int count_ = 0;
};
