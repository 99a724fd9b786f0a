// The two-channel section cascade alone: the processor's code (256-bit where it has AVX) against the
// 128-bit code, for chains of 1 to 8 sections over pieces of 8 to 44 frames and over runs that cross
// sub-block starts (each section's output noted at every start, as the engine's runs do), timed in
// alternation (best of several runs of the thread's CPU time).
//
//   tovin_section_kernels_bench
#include "dsp/section_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <time.h>

namespace {

constexpr int kCalls = 20000;
constexpr int kRuns = 7;

double threadNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return 1e9 * static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec);
}

}  // namespace

int main() {
    using namespace SectionKernels;
    Stage stages[kMaxStages] = {};
    for (Stage& st : stages)
        for (int ch = 0; ch < 2; ++ch) {
            st.b0[ch] = 0.9, st.b1[ch] = -1.2, st.b2[ch] = 0.4, st.a1[ch] = -1.3, st.a2[ch] = 0.5;
            st.gain[ch] = 1.0f;
        }
    static float frames[2 * kMaxFrames];
    for (int i = 0; i < 2 * kMaxFrames; ++i) frames[i] = 0.2f * std::sin(0.3f * static_cast<float>(i));
    Firsts firsts[kMaxStages];
    std::printf("wide vectors: %s\n%6s %6s %6s %12s %12s %6s %10s\n", usesWideVectors() ? "yes" : "no", "stages",
                "frames", "first", "chosen ns", "128-bit ns", "ratio", "ns/frame");
    for (int count : {1, 2, 3, 4, 5, 6, 8})
        for (int n : {8, 16, 28, 44, 64, 128, kMaxFrames}) {
            // A piece of one sub-block starts at its first frame; a longer run part-way into one.
            Marks marks;
            marks.first = n <= kSubBlock ? 0 : 20;
            marks.count = (n - 1 - marks.first) / kSubBlock + 1;
            const int calls = std::max(200, kCalls * 44 / std::max(n, 44));
            double best[2] = {1e30, 1e30};
            for (int run = 0; run < kRuns; ++run)
                for (int k = 0; k < 2; ++k) {
                    const double start = threadNanoseconds();
                    for (int call = 0; call < calls; ++call) {
                        if (k == 0) SectionKernels::run(stages, count, frames, n, marks, firsts);
                        else Portable::runPortable(stages, count, frames, n, marks, firsts);
                    }
                    best[k] = std::min(best[k], (threadNanoseconds() - start) / calls);
                }
            std::printf("%6d %6d %6d %12.1f %12.1f %6.2f %10.2f\n", count, n, marks.first, best[0], best[1],
                        best[0] / best[1], best[0] / n);
        }
    return 0;
}
