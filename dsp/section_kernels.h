// The inner loops of the two-channel section cascade (see SectionChain): several steady sections of
// both channels run over a sub-block in place, each section working a few samples behind the one
// before it so that their recursions overlap. Every section sees exactly the samples it would see
// band by band (rounded to float between sections, then scaled by the section's output gain), so
// every path gives the same bits as running the sections one after the other.
//
// Processors with AVX run two sections per 256-bit register (chosen when the module loads); others,
// and the 32-bit build, use the 128-bit code, both channels of one section per register.
// Audio thread only; nothing here allocates.
#pragma once

namespace SectionKernels {

constexpr int kMaxStages = 8;
// A run covers at most this many sub-blocks' worth of frames; outputs are noted where a sub-block
// starts (its first output decides the band's denormal guard).
constexpr int kSubBlock = 44;
constexpr int kMaxMarks = 16;
constexpr int kMaxFrames = kMaxMarks * kSubBlock;

// The frames of a run where a sub-block starts: first, first + 44, ... (count of them).
struct Marks {
    int first = 0;
    int count = 1;
    // The frame of mark j, or a frame beyond any run.
    int frame(int j) const { return j < count ? first + kSubBlock * j : 1 << 30; }
};
// Per stage, per mark, per channel: the stage's output (after its gain) at that frame.
using Firsts = float[kMaxMarks][2];

// One section of each channel: index 0 left, 1 right.
struct Stage {
    double b0[2], b1[2], b2[2], a1[2], a2[2];
    double x1[2], x2[2], y1[2], y2[2];
    float gain[2];  // scales the section's float output: a band's output gain on its last section, else 1
};

// Runs stages[0..count) in order over n (at most kMaxFrames) frames of interleaved left/right
// samples in place and updates their states; first[s][m] gets stage s's output (after its gain) at
// mark m. Given lastInputs (n frames), the last stage's inputs are kept there: a band with a
// correction needs them.
void run(Stage* stages, int count, float* frames, int n, const Marks& marks, Firsts* first, float* lastInputs = nullptr);
// The same over at most one sub-block, first[s] getting stage s's output at frame 0.
void run(Stage* stages, int count, float* frames, int n, float (*first)[2], float* lastInputs = nullptr);

// For each stage and channel: whether the states' magnitudes sum to less than limit (false for a
// NaN or infinity), then states below tiny in magnitude set to zero.
void guard(Stage* stages, int count, double limit, double tiny, bool (*inRange)[2]);

// Between separate channel buffers and interleaved frames.
void interleave(const float* left, const float* right, float* frames, int n);
void deinterleave(const float* frames, float* left, float* right, int n);

// One stage over separate channel buffers in place, the same as run() with count 1; given inputLeft
// and inputRight, its inputs are kept there.
void runSingle(Stage& stage, float* left, float* right, int n, const Marks& marks, Firsts& first, float* inputLeft,
               float* inputRight);

// Whether run() uses the 256-bit code.
bool usesWideVectors();

namespace Portable {
void runPortable(Stage* stages, int count, float* frames, int n, const Marks& marks, Firsts* first,
                 float* lastInputs = nullptr);
void runPortable(Stage* stages, int count, float* frames, int n, float (*first)[2], float* lastInputs = nullptr);
}  // namespace Portable

}  // namespace SectionKernels
