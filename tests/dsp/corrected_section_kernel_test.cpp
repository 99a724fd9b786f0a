// A corrected band's section and taps in one pass give the bits of the section run first and the
// taps after it, for every piece length, every tap length and any output gain.
#include "dsp/corrected_section_kernel.h"
#include "dsp/correction_fir.h"
#include "dsp/section_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

SectionKernels::Stage randomStage(std::mt19937& rng) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    SectionKernels::Stage st{};
    for (int ch = 0; ch < 2; ++ch) {
        const double r = 0.6 + 0.35 * (u(rng) + 1.0) / 2.0, w = 3.0 * (u(rng) + 1.0) / 2.0;
        st.a1[ch] = -2.0 * r * std::cos(w);
        st.a2[ch] = r * r;
        st.b0[ch] = 1.0 + 0.3 * u(rng);
        st.b1[ch] = u(rng);
        st.b2[ch] = 0.5 * u(rng);
        st.x1[ch] = u(rng), st.x2[ch] = u(rng), st.y1[ch] = u(rng), st.y2[ch] = u(rng);
        st.gain[ch] = 1.0f;
    }
    return st;
}

// One channel's taps and its history: the inputs before the piece, then room for the piece's.
struct Channel {
    std::vector<float> taps, history;
    float gain;
    static constexpr int kBefore = 43;
    Channel(std::mt19937& rng, int length, float g) : taps(static_cast<size_t>(length)), history(kBefore + 800), gain(g) {
        std::uniform_real_distribution<float> u(-0.3f, 0.3f);
        for (float& t : taps) t = u(rng);
        for (float& h : history) h = u(rng);
    }
    CorrectedSectionKernel::Taps view() { return {taps.data(), static_cast<int>(taps.size()), history.data() + kBefore, gain}; }
};

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), sizeof(float) * a.size()) == 0;
}

TEST(CorrectedSectionKernel, OnePassGivesTheSectionThenTheTapsBitForBit) {
    const int pieces[] = {1, 3, 4, 5, 12, 15, 16, 17, 20, 31, 32, 33, 44, 47, 48, 64, 100, 128, 176, 177, 191, 250, 512, 704};
    const int lengths[][2] = {{1, 1}, {6, 23}, {23, 16}, {44, 44}, {14, 5}, {18, 43}};
    const float gains[][2] = {{1.0f, 1.0f}, {1.0023f, 0.9994f}};
    std::mt19937 rng(7);
    std::normal_distribution<float> signal(0.0f, 0.3f);
    for (const int n : pieces) {
        for (const auto& length : lengths) {
            for (const auto& gain : gains) {
                SCOPED_TRACE(testing::Message() << "n " << n << ", taps " << length[0] << "/" << length[1] << ", gains "
                                                << gain[0] << "/" << gain[1]);
                const SectionKernels::Stage start = randomStage(rng);
                std::vector<float> left(static_cast<size_t>(n)), right(static_cast<size_t>(n));
                for (size_t i = 0; i < left.size(); ++i) left[i] = signal(rng), right[i] = signal(rng);
                Channel cl(rng, length[0], gain[0]), cr(rng, length[1], gain[1]);

                // The reference: the section over the piece, then each channel's taps.
                SectionKernels::Stage refStage = start;
                std::vector<float> refLeft = left, refRight = right;
                Channel refCl = cl, refCr = cr;
                SectionKernels::Firsts firsts;
                SectionKernels::runSingle(refStage, refLeft.data(), refRight.data(), n, SectionKernels::Marks{}, firsts,
                                          refCl.view().history, refCr.view().history);
                CorrectionFir::accumulate(refCl.taps.data(), length[0], refCl.view().history, refLeft.data(), n, gain[0]);
                CorrectionFir::accumulate(refCr.taps.data(), length[1], refCr.view().history, refRight.data(), n, gain[1]);

                SectionKernels::Stage stage = start;
                CorrectedSectionKernel::run(stage, left.data(), right.data(), n, cl.view(), cr.view());
                EXPECT_TRUE(sameBits(left, refLeft));
                EXPECT_TRUE(sameBits(right, refRight));
                EXPECT_TRUE(sameBits(cl.history, refCl.history));
                EXPECT_TRUE(sameBits(cr.history, refCr.history));
                EXPECT_EQ(0, std::memcmp(&stage, &refStage, sizeof stage));
            }
        }
    }
}

}  // namespace
