// A cascade of steady sections run on both channels at once (see SectionKernels): the sections'
// recursions overlap instead of waiting on each other, while every section sees exactly the samples
// it would see band by band (rounded to float between sections).
#pragma once

#include "dsp/biquad_section.h"
#include "dsp/corrected_section_kernel.h"
#include "dsp/section_kernels.h"

class SectionChain {
public:
    static constexpr int kMaxStages = SectionKernels::kMaxStages;
    static constexpr int kMaxFrames = SectionKernels::kMaxFrames;

    bool full() const { return count_ == kMaxStages; }
    bool empty() const { return count_ == 0; }
    int size() const { return count_; }

    // Appends one section per channel, whose float outputs are scaled by the gains (a band's output
    // gain on its last section); returns the stage index.
    int add(BiquadSection& left, BiquadSection& right, float gainLeft = 1.0f, float gainRight = 1.0f) {
        stages_[count_] = {&left, &right, gainLeft, gainRight};
        return count_++;
    }

    // Runs the stages over n (at most kMaxFrames) samples of both channels in place and empties the
    // chain. firsts[s][m] gets stage s's output at mark m on each channel. Given inputLeft and
    // inputRight, the last stage's inputs are copied there. Every stage's tiny states are flushed
    // and inRange[s] tells, per channel, whether its states stayed within BiquadSection's limit.
    void run(float* left, float* right, int n, const SectionKernels::Marks& marks, SectionKernels::Firsts* firsts,
             float* inputLeft = nullptr, float* inputRight = nullptr, bool (*inRange)[2] = nullptr);
    // The same over at most one sub-block, first*[s] getting stage s's output for sample 0.
    void run(float* left, float* right, int n, float firstLeft[kMaxStages], float firstRight[kMaxStages],
             float* inputLeft = nullptr, float* inputRight = nullptr, bool (*inRange)[2] = nullptr);

    // A chain of one stage, a band with a settled correction, run with each channel's taps after it
    // in one pass (see CorrectedSectionKernel) and emptied; its tiny states are flushed.
    void runCorrected(float* left, float* right, int n, const CorrectedSectionKernel::Taps& leftTaps,
                      const CorrectedSectionKernel::Taps& rightTaps);

private:
    // Every stage's tiny states flushed (inRange, if given, tells whether they stayed in range), the
    // states handed back to the sections, and the chain emptied.
    void finish(SectionKernels::Stage* stages, bool (*inRange)[2]);

    struct Stage {
        BiquadSection* left;
        BiquadSection* right;
        float gainLeft, gainRight;
    };
    Stage stages_[kMaxStages] = {};
    int count_ = 0;
    float frames_[2 * kMaxFrames] = {};
    float lastInputs_[2 * kMaxFrames] = {};
};
