// The correction taps alone: both channels' sums over pieces and runs of 4 to 512 frames for tap
// sets of 12, 28 and 44, one channel at a time and both at once (best of several runs of the
// thread's CPU time). A piece that is not a whole number of sub-blocks ends in a remainder whose
// groups of eight each keep a sum of their own.
//
//   tovin_correction_fir_bench
#include "dsp/correction_fir.h"

#include <algorithm>
#include <cstdio>
#include <time.h>
#include <vector>

namespace {

constexpr int kRuns = 9;
constexpr int kHistory = 64;  // taps read up to 43 frames before a piece
constexpr int kLongest = 512;

double threadNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return 1e9 * static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec);
}

}  // namespace

int main() {
    std::vector<float> left(kHistory + kLongest), right(left.size()), outLeft(kLongest), outRight(kLongest);
    std::vector<float> tapsLeft(44), tapsRight(44);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = 0.001f * static_cast<float>(i % 37);
        right[i] = 0.002f * static_cast<float>(i % 29);
    }
    for (int j = 0; j < 44; ++j) tapsLeft[static_cast<size_t>(j)] = 0.01f * j, tapsRight[static_cast<size_t>(j)] = -0.01f * j;
    const float* xLeft = left.data() + kHistory;
    const float* xRight = right.data() + kHistory;
    std::printf("fused vectors: %s\n%5s %6s %14s %14s %12s\n", CorrectionFir::usesFusedVectors() ? "yes" : "no", "taps",
                "frames", "channels ns", "together ns", "ns/frame");
    for (int length : {12, 28, 44})
        for (int n : {4, 8, 12, 20, 32, 44, 64, 88, 512}) {
            const int calls = std::max(500, 400000 / n);
            double alone = 1e30, together = 1e30;
            for (int run = 0; run < kRuns; ++run) {
                double start = threadNanoseconds();
                for (int call = 0; call < calls; ++call) {
                    CorrectionFir::accumulate(tapsLeft.data(), length, xLeft, outLeft.data(), n);
                    CorrectionFir::accumulate(tapsRight.data(), length, xRight, outRight.data(), n);
                }
                alone = std::min(alone, (threadNanoseconds() - start) / calls);
                start = threadNanoseconds();
                for (int call = 0; call < calls; ++call)
                    CorrectionFir::accumulateStereo(tapsLeft.data(), tapsRight.data(), length, xLeft, xRight,
                                                    outLeft.data(), outRight.data(), n);
                together = std::min(together, (threadNanoseconds() - start) / calls);
            }
            std::printf("%5d %6d %14.1f %14.1f %12.2f\n", length, n, alone, together, std::min(alone, together) / n);
        }
    return 0;
}
