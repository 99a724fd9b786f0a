// The correction taps alone: both channels' sums, one channel after the other as the bands run
// them, over pieces and runs of 4 to 512 frames for tap sets of 12, 28 and 44 (best of several runs
// of the thread's CPU time). A piece's groups of eight outputs each keep a sum of their own, up to
// eight groups in a pass over the taps.
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
    std::printf("fused vectors: %s\n%5s %6s %14s %12s\n", CorrectionFir::usesFusedVectors() ? "yes" : "no", "taps",
                "frames", "both ns", "ns/frame");
    for (int length : {12, 28, 44})
        for (int n : {4, 8, 12, 20, 32, 44, 64, 88, 512}) {
            const int calls = std::max(500, 400000 / n);
            double best = 1e30;
            for (int run = 0; run < kRuns; ++run) {
                const double start = threadNanoseconds();
                for (int call = 0; call < calls; ++call) {
                    CorrectionFir::accumulate(tapsLeft.data(), length, xLeft, outLeft.data(), n);
                    CorrectionFir::accumulate(tapsRight.data(), length, xRight, outRight.data(), n);
                }
                best = std::min(best, (threadNanoseconds() - start) / calls);
            }
            std::printf("%5d %6d %14.1f %12.2f\n", length, n, best, best / n);
        }
    return 0;
}
