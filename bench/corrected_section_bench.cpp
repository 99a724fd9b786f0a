// A corrected band's lone section and both channels' taps: in one pass (CorrectedSectionKernel)
// against the section first and the taps after it, over pieces and runs of 16 to 704 frames for tap
// sets of 16, 23 and 44 (best of several runs of the thread's CPU time).
//
//   tovin_corrected_section_bench
#include "dsp/corrected_section_kernel.h"
#include "dsp/correction_fir.h"
#include "dsp/section_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <time.h>
#include <vector>

namespace {

constexpr int kRuns = 9;
constexpr int kHistory = 64;  // taps read up to 43 frames before a piece
constexpr int kLongest = SectionKernels::kMaxFrames;

double threadNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return 1e9 * static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec);
}

// A 5 kHz bell at 48 kHz, a little different on each channel.
SectionKernels::Stage bell() {
    SectionKernels::Stage st{};
    for (int ch = 0; ch < 2; ++ch) {
        const double w = 2.0 * 3.14159265358979 * (5000.0 + 100.0 * ch) / 48000.0, r = 0.93;
        st.a1[ch] = -2.0 * r * std::cos(w), st.a2[ch] = r * r;
        st.b0[ch] = 1.1, st.b1[ch] = st.a1[ch], st.b2[ch] = 0.9 * st.a2[ch];
        st.gain[ch] = 1.0f;
    }
    return st;
}

template <class Work>
double best(int n, Work&& work) {
    const int calls = std::max(500, 400000 / n);
    double fastest = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        const double start = threadNanoseconds();
        for (int call = 0; call < calls; ++call) work();
        fastest = std::min(fastest, (threadNanoseconds() - start) / calls);
    }
    return fastest;
}

}  // namespace

int main() {
    std::vector<float> input(kLongest), left(kLongest), right(kLongest);
    std::vector<float> historyLeft(kHistory + kLongest), historyRight(kHistory + kLongest);
    std::vector<float> tapsLeft(44), tapsRight(44);
    for (size_t i = 0; i < input.size(); ++i) input[i] = 0.001f * static_cast<float>(i % 37) - 0.018f;
    for (int j = 0; j < 44; ++j) tapsLeft[static_cast<size_t>(j)] = 0.01f / (1 + j), tapsRight[static_cast<size_t>(j)] = -0.01f / (1 + j);
    std::printf("one pass: %s\n%5s %6s %14s %14s %8s %12s\n", CorrectedSectionKernel::pays(CorrectedSectionKernel::kShortestInterleaved) ? "yes" : "no (the same code)",
                "taps", "frames", "one pass ns", "in turn ns", "ratio", "section ns");
    for (int length : {16, 23, 44})
        for (int n : {16, 32, 44, 64, 128, 512, 704}) {
            SectionKernels::Stage stage = bell();
            const CorrectedSectionKernel::Taps l{tapsLeft.data(), length, historyLeft.data() + kHistory, 1.0023f};
            const CorrectedSectionKernel::Taps r{tapsRight.data(), length, historyRight.data() + kHistory, 0.9994f};
            const auto refill = [&] {
                std::copy(input.begin(), input.begin() + n, left.begin());
                std::copy(input.begin(), input.begin() + n, right.begin());
            };
            const double together = best(n, [&] {
                refill();
                CorrectedSectionKernel::run(stage, left.data(), right.data(), n, l, r);
            });
            SectionKernels::Firsts firsts;
            const double apart = best(n, [&] {
                refill();
                SectionKernels::runSingle(stage, left.data(), right.data(), n, SectionKernels::Marks{}, firsts, l.history, r.history);
                CorrectionFir::accumulate(l.c, length, l.history, left.data(), n, l.gain);
                CorrectionFir::accumulate(r.c, length, r.history, right.data(), n, r.gain);
            });
            const double section = best(n, [&] {
                refill();
                SectionKernels::runSingle(stage, left.data(), right.data(), n, SectionKernels::Marks{}, firsts, l.history, r.history);
            });
            std::printf("%5d %6d %14.1f %14.1f %8.2f %12.1f\n", length, n, together, apart, together / apart, section);
        }
    return 0;
}
