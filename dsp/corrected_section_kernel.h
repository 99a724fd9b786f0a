// A band with a settled correction and one running section, on both channels in one pass: the
// section's recursion waits on its previous output at every sample, while the correction's sums
// wait on nothing but their own multiply-adds, so the taps of each chunk of frames run between the
// section's steps over the next chunk instead of after the whole piece. The bits are those of
// SectionKernels::runSingle followed by CorrectionFir::accumulate on each channel.
// Audio thread only; nothing here allocates.
#pragma once

#include "dsp/section_kernels.h"

namespace CorrectedSectionKernel {

// One channel's correction: its tap set, where its inputs go (history[-length + 1 .. -1] holding the
// inputs before them) and the gain on its final outputs.
struct Taps {
    const float* c = nullptr;
    int length = 0;
    float* history = nullptr;
    float gain = 1.0f;
};

// The section's first chunk runs alone and the taps' last one too: over shorter pieces that costs
// what the chunks between them save (measured through the engine: 3 % more at 64 and 128 frames,
// 8 % less from 256).
constexpr int kShortestInterleaved = 4 * SectionKernels::kSubBlock;

// Whether run() is worth it for n frames rather than the section and then the taps: the processor
// has AVX2 and FMA (chosen when the module loads) and the piece is long enough. Any thread.
bool pays(int n);

// The stage (its gains 1) over n (at most SectionKernels::kMaxFrames) frames of both channels in
// place, its inputs kept in the histories, then each channel's taps added and its gain applied;
// the stage's states are updated. On a processor without AVX2 and FMA, one after the other.
void run(SectionKernels::Stage& stage, float* left, float* right, int n, const Taps& leftTaps, const Taps& rightTaps);

}  // namespace CorrectedSectionKernel
