#include "dsp/section_chain.h"

#include <utility>

namespace {

// Left and right of one value, side by side in one register where the processor has them.
using Pair = double __attribute__((vector_size(16)));
using FloatPair = float __attribute__((vector_size(8)));

template <class F, int... I>
[[gnu::always_inline]] inline void unrolled(F&& f, std::integer_sequence<int, I...>) {
    (f(std::integral_constant<int, I>{}), ...);
}

// G consecutive stages over n samples of both channels, stage s working on sample t - s at time
// step t. Samples pass between stages rounded to float, exactly as band by band.
template <int G>
struct Group {
    using Stages = std::make_integer_sequence<int, G>;
    Pair b0[G], b1[G], b2[G], a1[G], a2[G], x1[G], x2[G], y1[G], y2[G];
    Pair pipe[G];  // each stage's latest output (float-rounded), the next stage's input
    float* left;
    float* right;
    int n;
    float* firstLeft;
    float* firstRight;

    // One time step; with All every stage is inside the block.
    template <bool All>
    [[gnu::always_inline]] inline void step(int t) {
        unrolled(
            [&](auto rs) __attribute__((always_inline)) {
                constexpr int s = G - 1 - decltype(rs)::value;  // last stage first: pipe[s - 1] is still old
                const int i = t - s;
                if (!All && (i < 0 || i >= n)) return;
                Pair x;
                if constexpr (s == 0) x = Pair{left[i], right[i]};
                else x = pipe[s - 1];
                const Pair y = (b0[s] * x + b1[s] * x1[s] + b2[s] * x2[s] - a2[s] * y2[s]) - a1[s] * y1[s];
                x2[s] = x1[s];
                x1[s] = x;
                y2[s] = y1[s];
                y1[s] = y;
                const FloatPair rounded = __builtin_convertvector(y, FloatPair);
                if (!All && i == 0) {
                    firstLeft[s] = rounded[0];
                    firstRight[s] = rounded[1];
                }
                if constexpr (s == G - 1) {
                    left[i] = rounded[0];
                    right[i] = rounded[1];
                } else {
                    pipe[s] = __builtin_convertvector(rounded, Pair);
                }
            },
            Stages{});
    }

    void run(BiquadSection* const (*sections)[2]) {
        unrolled(
            [&](auto s) {
                const BiquadSection::Snapshot l = sections[s][0]->snapshot();
                const BiquadSection::Snapshot r = sections[s][1]->snapshot();
                b0[s] = Pair{l.b0, r.b0}, b1[s] = Pair{l.b1, r.b1}, b2[s] = Pair{l.b2, r.b2};
                a1[s] = Pair{l.a1, r.a1}, a2[s] = Pair{l.a2, r.a2};
                x1[s] = Pair{l.x1, r.x1}, x2[s] = Pair{l.x2, r.x2};
                y1[s] = Pair{l.y1, r.y1}, y2[s] = Pair{l.y2, r.y2};
                pipe[s] = Pair{0.0, 0.0};
            },
            Stages{});
        // The first G time steps hold every stage's sample 0; the last G - 1 drain the pipeline.
        const int last = n + G - 1;
        const int startEnd = G < last ? G : last;
        int t = 0;
        for (; t < startEnd; ++t) step<false>(t);
        for (; t < n; ++t) step<true>(t);
        for (; t < last; ++t) step<false>(t);
        unrolled(
            [&](auto s) {
                sections[s][0]->setStates(x1[s][0], x2[s][0], y1[s][0], y2[s][0]);
                sections[s][1]->setStates(x1[s][1], x2[s][1], y1[s][1], y2[s][1]);
            },
            Stages{});
    }
};

template <int G>
void runGroup(BiquadSection* const (*sections)[2], float* left, float* right, int n, float* firstLeft,
              float* firstRight) {
    Group<G> g;
    g.left = left;
    g.right = right;
    g.n = n;
    g.firstLeft = firstLeft;
    g.firstRight = firstRight;
    g.run(sections);
}

}  // namespace

void SectionChain::run(float* left, float* right, int n, float firstLeft[kMaxStages], float firstRight[kMaxStages]) {
    BiquadSection* sections[kMaxStages][2];
    for (int s = 0; s < count_; ++s) {
        sections[s][0] = stages_[s].left;
        sections[s][1] = stages_[s].right;
    }
    // Groups of a few stages keep every state in a register.
    constexpr int kGroup = 3;
    for (int s = 0; n > 0 && s < count_; s += kGroup) {
        const int g = count_ - s < kGroup ? count_ - s : kGroup;
        BiquadSection* const (*group)[2] = sections + s;
        switch (g) {
        case 1: runGroup<1>(group, left, right, n, firstLeft + s, firstRight + s); break;
        case 2: runGroup<2>(group, left, right, n, firstLeft + s, firstRight + s); break;
        default: runGroup<3>(group, left, right, n, firstLeft + s, firstRight + s); break;
        }
    }
    count_ = 0;
}
