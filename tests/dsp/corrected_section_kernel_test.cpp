// A corrected band's section and taps in one pass give the bits of the section run first and the
// taps after it, for every piece length, every tap length and any output gain.
#include "dsp/corrected_section_kernel.h"
#include "dsp/correction_fir.h"
#include "dsp/section_kernels.h"
#include "tests/dsp/random_stages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

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
                // A corrected band's section: its gains are 1.
                SectionKernels::Stage start = TestStages::randomStages(1, static_cast<unsigned>(rng()))[0];
                start.gain[0] = start.gain[1] = 1.0f;
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
