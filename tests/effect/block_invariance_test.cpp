// The output does not depend on how the host cuts the stream into blocks: sub-blocks follow the
// stream, and a change sent between two calls lands at the first sub-block boundary at or after it.
#include <gtest/gtest.h>

#include <vector>

#include "host_recorder.h"
#include "tools/block_invariance/scene.h"

using namespace BlockInvariance;

namespace {

constexpr int kSubBlock = EqEngine::kSubBlockLength;

// Transitions (redesigns, glides, fades) and the settled end of the scene.
constexpr double kTransitionBound = 1e-4;
constexpr double kSteadyBound = 1e-6;

class BlockSizes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sceneInput(left(), right());
        reference() = render(fixedBlocks(512), left(), right());
    }
    static std::vector<float>& left() {
        static std::vector<float> v;
        return v;
    }
    static std::vector<float>& right() {
        static std::vector<float> v;
        return v;
    }
    static Render& reference() {
        static Render r;
        return r;
    }
};

}  // namespace

TEST_F(BlockSizes, EveryPatternMatchesBlocksOf512) {
    ASSERT_EQ(reference().left.size(), static_cast<size_t>(kFrames));
    struct Pattern {
        const char* name;
        std::function<int()> blocks;
    };
    const Pattern patterns[] = {{"1", fixedBlocks(1)},          {"7", fixedBlocks(7)},
                                {"45", fixedBlocks(45)},        {"64", fixedBlocks(64)},
                                {"4096", fixedBlocks(4096)},    {"random 1-8192", randomBlocks(8192, 11)},
                                {"random 1-64", randomBlocks(64, 13)}};
    for (const Pattern& p : patterns) {
        const Deviation d = compare(render(p.blocks, left(), right()), reference());
        EXPECT_LT(d.transitions, kTransitionBound) << p.name << " at sample " << d.worstAt;
        EXPECT_LT(d.steady, kSteadyBound) << p.name;
    }
}

// The rule behind it, seen through the output volume, which glides at each sub-block's first sample.
TEST(BlockGrid, ChangesLandAtTheNextBoundaryAndResumeStartsTheGrid) {
    const auto volumeLands = [](bool resume) {
        EffectHandle h;
        h.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        h.dispatch(effMainsChanged, 0, 1);
        h.aeffect->setParameter(h.aeffect, param::kGenOn, 1.0f);
        std::vector<float> in(4 * kSubBlock, 0.25f), outL(in.size()), outR(in.size());
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        h.aeffect->processReplacing(h.aeffect, inputs, outputs, 10);
        if (resume) h.dispatch(effMainsChanged, 0, 1);
        h.aeffect->setParameter(h.aeffect, param::kGenVol, norm(param::kGenVol, -6.64f));
        float* laterIn[2] = {in.data() + 10, in.data() + 10};
        float* laterOut[2] = {outL.data() + 10, outR.data() + 10};
        h.aeffect->processReplacing(h.aeffect, laterIn, laterOut, 3 * kSubBlock);
        int first = -1;
        for (int i = 10; i < 4 * kSubBlock && first < 0; ++i)
            if (outL[static_cast<size_t>(i)] < 0.2499f) first = i;
        return first;
    };
    EXPECT_EQ(volumeLands(false), kSubBlock);  // sent before sample 10: lands at 44
    EXPECT_EQ(volumeLands(true), 10);          // a new grid from the resume on
}
