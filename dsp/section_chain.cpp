#include "dsp/section_chain.h"

#include <cassert>

namespace {

SectionKernels::Stage kernelStage(const BiquadSection& left, const BiquadSection& right, float gainLeft, float gainRight) {
    const BiquadSection::Snapshot l = left.snapshot();
    const BiquadSection::Snapshot r = right.snapshot();
    return {{l.b0, r.b0}, {l.b1, r.b1}, {l.b2, r.b2}, {l.a1, r.a1}, {l.a2, r.a2},
            {l.x1, r.x1}, {l.x2, r.x2}, {l.y1, r.y1}, {l.y2, r.y2}, {gainLeft, gainRight}};
}

}  // namespace

void SectionChain::run(float* left, float* right, int n, float firstLeft[kMaxStages], float firstRight[kMaxStages],
                       float* inputLeft, float* inputRight, bool (*inRange)[2]) {
    SectionKernels::Firsts firsts[kMaxStages] = {};
    const int count = count_;
    run(left, right, n, SectionKernels::Marks{}, firsts, inputLeft, inputRight, inRange);
    for (int s = 0; s < count; ++s) firstLeft[s] = firsts[s][0][0], firstRight[s] = firsts[s][0][1];
}

void SectionChain::run(float* left, float* right, int n, const SectionKernels::Marks& marks, SectionKernels::Firsts* first,
                       float* inputLeft, float* inputRight, bool (*inRange)[2]) {
    assert(n <= kMaxFrames);
    if (n > kMaxFrames) n = kMaxFrames;  // the engine never asks for more
    SectionKernels::Stage stages[kMaxStages];
    for (int s = 0; s < count_; ++s)
        stages[s] = kernelStage(*stages_[s].left, *stages_[s].right, stages_[s].gainLeft, stages_[s].gainRight);
    const bool keepInputs = inputLeft != nullptr && inputRight != nullptr;
    if (count_ == 1) {
        // Nothing to overlap: no interleaving either.
        SectionKernels::runSingle(stages[0], left, right, n, marks, first[0], inputLeft, inputRight);
    } else {
        SectionKernels::interleave(left, right, frames_, n);
        SectionKernels::run(stages, count_, frames_, n, marks, first, keepInputs ? lastInputs_ : nullptr);
        SectionKernels::deinterleave(frames_, left, right, n);
        if (keepInputs) SectionKernels::deinterleave(lastInputs_, inputLeft, inputRight, n);
    }
    finish(stages, inRange);
}

void SectionChain::finish(SectionKernels::Stage* stages, bool (*inRange)[2]) {
    if (inRange != nullptr) SectionKernels::guard(stages, count_, BiquadSection::kStateLimit, BiquadSection::kTinyState, inRange);
    for (int s = 0; s < count_; ++s) {
        const SectionKernels::Stage& k = stages[s];
        stages_[s].left->setStates(k.x1[0], k.x2[0], k.y1[0], k.y2[0]);
        stages_[s].right->setStates(k.x1[1], k.x2[1], k.y1[1], k.y2[1]);
    }
    count_ = 0;
}

void SectionChain::runCorrected(float* left, float* right, int n, const CorrectedSectionKernel::Taps& leftTaps,
                                const CorrectedSectionKernel::Taps& rightTaps) {
    assert(count_ == 1 && n <= kMaxFrames);
    if (count_ != 1) {  // the engine never asks for that: nothing runs rather than taps on the wrong section
        count_ = 0;
        return;
    }
    if (n > kMaxFrames) n = kMaxFrames;
    SectionKernels::Stage stage = kernelStage(*stages_[0].left, *stages_[0].right, 1.0f, 1.0f);
    CorrectedSectionKernel::run(stage, left, right, n, leftTaps, rightTaps);
    bool inRange[1][2];  // the band's own guard judges its states
    finish(&stage, inRange);
}
