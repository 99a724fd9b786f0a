// The two-channel section cascade: whichever code the processor runs, and however many sections it
// groups, the result is the sections run one after the other, bit for bit.
#include "dsp/biquad_section.h"
#include "dsp/section_arithmetic.h"
#include "dsp/section_chain.h"
#include "dsp/section_kernels.h"
#include "tests/dsp/random_stages.h"

#include <gtest/gtest.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using TestStages::randomStages;

#if defined(__x86_64__)
// The processor's fused multiply-add (some C libraries' fma rounds twice); only where it has one.
__attribute__((target("avx2,fma"))) double fusedMultiplyAdd(double a, double b, double c) {
    return _mm_cvtsd_f64(_mm_fmadd_sd(_mm_set_sd(a), _mm_set_sd(b), _mm_set_sd(c)));
}
#else
double fusedMultiplyAdd(double a, double b, double c) { return std::fma(a, b, c); }
#endif

// One output in the form of the arithmetic the path uses.
double sectionOutput(const SectionKernels::Stage& st, int ch, double x, bool fused) {
    const auto f = fusedMultiplyAdd;
    if (fused)
        return f(-st.a1[ch], st.y1[ch], f(-st.a2[ch], st.y2[ch], f(st.b0[ch], x, f(st.b1[ch], st.x1[ch], st.b2[ch] * st.x2[ch]))));
    return (st.b0[ch] * x + st.b1[ch] * st.x1[ch] + st.b2[ch] * st.x2[ch] - st.a2[ch] * st.y2[ch]) - st.a1[ch] * st.y1[ch];
}

// Stage by stage, channel by channel, the way a single band runs.
void runOneByOne(std::vector<SectionKernels::Stage>& stages, std::vector<float>& frames, int n, float (*first)[2],
                 std::vector<float>& lastInputs, bool fused) {
    for (size_t s = 0; s < stages.size(); ++s) {
        if (s + 1 == stages.size()) lastInputs = frames;
        SectionKernels::Stage& st = stages[s];
        for (int ch = 0; ch < 2; ++ch) {
            for (int i = 0; i < n; ++i) {
                const double x = frames[static_cast<size_t>(2 * i + ch)];
                const double y = sectionOutput(st, ch, x, fused);
                st.x2[ch] = st.x1[ch], st.x1[ch] = x, st.y2[ch] = st.y1[ch], st.y1[ch] = y;
                frames[static_cast<size_t>(2 * i + ch)] = static_cast<float>(y) * st.gain[ch];
            }
            first[s][ch] = frames[static_cast<size_t>(ch)];
        }
    }
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(SectionKernels, EveryPathMatchesTheSectionsOneByOne) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    // With some gains and with every gain 1 (the kernels leave the product out then).
    for (bool unity : {false, true}) {
        for (int count = 1; count <= SectionKernels::kMaxStages; ++count)
            for (int n : {1, 2, 3, 5, 8, 9, 10, 11, 12, 13, 17, 24, 27, 31, 43, 44}) {
                std::vector<float> input(static_cast<size_t>(2 * n));
                for (float& x : input) x = d(rng);
                auto stages = randomStages(count, static_cast<unsigned>(100 * count + n));
                if (unity)
                    for (auto& st : stages) st.gain[0] = st.gain[1] = 1.0f;
                // The processor's choice, in the arithmetic every path of this process uses, then the
                // portable code, which always keeps products and sums apart.
                for (bool portable : {false, true}) {
                    auto want = stages;
                    std::vector<float> wantFrames = input;
                    float wantFirst[SectionKernels::kMaxStages][2] = {};
                    std::vector<float> wantInputs;
                    runOneByOne(want, wantFrames, n, wantFirst, wantInputs, !portable && SectionArithmetic::fused());
                    auto got = stages;
                    std::vector<float> frames = input;
                    float first[SectionKernels::kMaxStages][2] = {};
                    // The last stage's inputs are what a band with a correction keeps.
                    std::vector<float> inputs(frames.size());
                    if (portable) SectionKernels::Portable::runPortable(got.data(), count, frames.data(), n, first, inputs.data());
                    else SectionKernels::run(got.data(), count, frames.data(), n, first, inputs.data());
                    ASSERT_EQ(frames, wantFrames) << count << " stages, " << n << " frames, portable " << portable;
                    ASSERT_EQ(inputs, wantInputs) << count << " stages, " << n << " frames, portable " << portable;
                    for (int s = 0; s < count; ++s) {
                        const auto& a = got[static_cast<size_t>(s)];
                        const auto& b = want[static_cast<size_t>(s)];
                        for (int ch = 0; ch < 2; ++ch) {
                            EXPECT_TRUE(sameBits(a.x1[ch], b.x1[ch]) && sameBits(a.x2[ch], b.x2[ch]) &&
                                        sameBits(a.y1[ch], b.y1[ch]) && sameBits(a.y2[ch], b.y2[ch]))
                                << count << " stages, " << n << " frames, stage " << s << ", portable " << portable;
                            EXPECT_EQ(first[s][ch], wantFirst[s][ch]) << count << " " << n << " " << s;
                        }
                    }
                }
            }
    }
}

TEST(SectionKernels, TheChainCarriesTheSectionsStatesAndGains) {
    // Through SectionChain: separate left and right buffers, states written back into the sections,
    // for one stage (run on its own) and for several; the last stage's inputs kept on request.
    for (int stagesInChain : {1, 3}) {
        const int last = stagesInChain - 1;
        BiquadCoefficients c;
        c.b0 = 0.9, c.b1 = -0.4, c.b2 = 0.2, c.a1 = -0.5, c.a2 = 0.3;
        BiquadSection chained[2][3], alone[2][3];
        for (auto* set : {&chained, &alone})
            for (auto& channel : *set)
                for (auto& s : channel) {
                    s.setTarget(c);
                    s.snap();
                }
        std::vector<float> left(44), right(44);
        for (int i = 0; i < 44; ++i) left[static_cast<size_t>(i)] = 0.01f * i, right[static_cast<size_t>(i)] = -0.02f * i + 0.3f;
        std::vector<float> wantLeft = left, wantRight = right;
        for (int round = 0; round < 3; ++round) {
            SectionChain chain;
            for (int s = 0; s < stagesInChain; ++s)
                chain.add(chained[0][s], chained[1][s], s == last ? 0.75f : 1.0f, s == last ? 1.25f : 1.0f);
            float firstLeft[SectionChain::kMaxStages], firstRight[SectionChain::kMaxStages];
            std::vector<float> inputLeft(44), inputRight(44);
            chain.run(left.data(), right.data(), 44, firstLeft, firstRight, inputLeft.data(), inputRight.data());
            EXPECT_TRUE(chain.empty());
            std::vector<float> wantInputLeft, wantInputRight;
            for (int s = 0; s < stagesInChain; ++s) {
                if (s == last) wantInputLeft = wantLeft, wantInputRight = wantRight;
                alone[0][s].process(wantLeft.data(), 44, 0.0);
                alone[1][s].process(wantRight.data(), 44, 0.0);
            }
            for (float& x : wantLeft) x *= 0.75f;
            for (float& x : wantRight) x *= 1.25f;
            ASSERT_EQ(left, wantLeft) << stagesInChain << " " << round;
            ASSERT_EQ(right, wantRight) << stagesInChain << " " << round;
            EXPECT_EQ(inputLeft, wantInputLeft) << stagesInChain << " " << round;
            EXPECT_EQ(inputRight, wantInputRight) << stagesInChain << " " << round;
            EXPECT_EQ(firstLeft[last], wantLeft[0]);
            EXPECT_EQ(firstRight[last], wantRight[0]);
        }
    }
}

TEST(SectionKernels, TheGuardFlagsStatesOutOfRangeAndFlushesTinyOnes) {
    auto stages = randomStages(3, 7);
    stages[0].y1[1] = 2e15;                                  // right channel beyond the limit
    stages[1].x2[0] = std::numeric_limits<double>::quiet_NaN();  // left channel not finite
    stages[2].x1[0] = 1e-38, stages[2].y2[1] = -1e-40;      // tiny: flushed, in range
    const double kept = stages[2].x2[0];
    bool inRange[3][2] = {};
    SectionKernels::guard(stages.data(), 3, BiquadSection::kStateLimit, BiquadSection::kTinyState, inRange);
    EXPECT_TRUE(inRange[0][0]);
    EXPECT_FALSE(inRange[0][1]);
    EXPECT_FALSE(inRange[1][0]);
    EXPECT_TRUE(inRange[1][1]);
    EXPECT_TRUE(inRange[2][0] && inRange[2][1]);
    EXPECT_EQ(stages[2].x1[0], 0.0);
    EXPECT_EQ(stages[2].y2[1], 0.0);
    EXPECT_EQ(stages[2].x2[0], kept);
}

TEST(SectionKernels, TheFusedAndSeparateFormsDifferByRoundingOnly) {
    // The worst case for rounding: a narrow +15 dB peak at 20 Hz at 96 kHz, its poles 1e-3 from the
    // unit circle, over two seconds of noise. The forms must agree far within 1e-6 of the signal.
    if (!SectionArithmetic::fused()) GTEST_SKIP() << "this processor keeps products and sums apart";
    const double w = 2.0 * 3.141592653589793 * 20.0 / 96000.0, alpha = std::sin(w) / (2.0 * 7.0);
    const double A = std::pow(10.0, 15.0 / 40.0), a0 = 1.0 + alpha / A;
    SectionKernels::Stage st{};
    for (int ch = 0; ch < 2; ++ch) {
        st.b0[ch] = (1.0 + alpha * A) / a0, st.b1[ch] = -2.0 * std::cos(w) / a0, st.b2[ch] = (1.0 - alpha * A) / a0;
        st.a1[ch] = -2.0 * std::cos(w) / a0, st.a2[ch] = (1.0 - alpha / A) / a0;
        st.gain[ch] = 1.0f;
    }
    SectionKernels::Stage fused = st, separate = st;
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    double worst = 0.0, energy = 0.0;
    const int count = 192000;
    for (int i = 0; i < count; ++i) {
        const double x = d(rng);
        double y[2];
        for (bool f : {true, false}) {
            SectionKernels::Stage& s = f ? fused : separate;
            const double out = sectionOutput(s, 0, x, f);
            s.x2[0] = s.x1[0], s.x1[0] = x, s.y2[0] = s.y1[0], s.y1[0] = out;
            y[f ? 0 : 1] = out;
        }
        worst = std::max(worst, std::fabs(y[0] - y[1]));
        energy += y[1] * y[1];
    }
    const double rms = std::sqrt(energy / count);
    EXPECT_GT(worst, 0.0) << "the two forms should round differently somewhere";
    EXPECT_LT(worst, 1e-9 * rms);
}

TEST(SectionKernels, RunsOverSeveralSubBlocksNoteEveryStagesOutputAtEachMark) {
    // A run of up to kMaxFrames frames starting anywhere in a sub-block: each stage's output at every
    // sub-block start it crosses, on every path, and the same frames as sections run one by one.
    std::mt19937 rng(8);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    for (int count : {1, 2, 3, 4, 5, 8})
        for (int n : {45, 100, 352, SectionKernels::kMaxFrames})
            for (int firstMark : {0, 1, 30, 43}) {
                SectionKernels::Marks marks;
                marks.first = firstMark;
                marks.count = (n - 1 - firstMark) / SectionKernels::kSubBlock + 1;
                std::vector<float> input(static_cast<size_t>(2 * n));
                for (float& x : input) x = d(rng);
                const auto stages = randomStages(count, static_cast<unsigned>(7 * count + n + firstMark));
                for (bool portable : {false, true}) {
                    const bool fused = !portable && SectionArithmetic::fused();
                    // One by one, keeping every stage's outputs.
                    auto want = stages;
                    std::vector<float> frames = input;
                    std::vector<std::vector<float>> outputs;
                    for (auto& st : want) {
                        for (int ch = 0; ch < 2; ++ch)
                            for (int i = 0; i < n; ++i) {
                                float& v = frames[static_cast<size_t>(2 * i + ch)];
                                const double x = v, y = sectionOutput(st, ch, x, fused);
                                st.x2[ch] = st.x1[ch], st.x1[ch] = x, st.y2[ch] = st.y1[ch], st.y1[ch] = y;
                                v = static_cast<float>(y) * st.gain[ch];
                            }
                        outputs.push_back(frames);
                    }
                    auto got = stages;
                    std::vector<float> gotFrames = input;
                    SectionKernels::Firsts firsts[SectionKernels::kMaxStages] = {};
                    if (portable) SectionKernels::Portable::runPortable(got.data(), count, gotFrames.data(), n, marks, firsts);
                    else SectionKernels::run(got.data(), count, gotFrames.data(), n, marks, firsts);
                    ASSERT_EQ(gotFrames, frames) << count << " stages, " << n << " frames from " << firstMark;
                    if (count == 1 && !portable) {
                        // The single stage over separate channel buffers.
                        auto single = stages;
                        std::vector<float> left(static_cast<size_t>(n)), right(left.size());
                        SectionKernels::deinterleave(input.data(), left.data(), right.data(), n);
                        SectionKernels::Firsts singleFirsts = {};
                        SectionKernels::runSingle(single[0], left.data(), right.data(), n, marks, singleFirsts, nullptr, nullptr);
                        std::vector<float> wantLeft(left.size()), wantRight(left.size());
                        SectionKernels::deinterleave(frames.data(), wantLeft.data(), wantRight.data(), n);
                        ASSERT_EQ(left, wantLeft) << n << " frames from " << firstMark;
                        ASSERT_EQ(right, wantRight) << n << " frames from " << firstMark;
                        for (int m = 0; m < marks.count; ++m)
                            for (int ch = 0; ch < 2; ++ch)
                                ASSERT_EQ(singleFirsts[m][ch], frames[static_cast<size_t>(2 * marks.frame(m) + ch)]) << "mark " << m;
                    }
                    for (int s = 0; s < count; ++s)
                        for (int m = 0; m < marks.count; ++m)
                            for (int ch = 0; ch < 2; ++ch)
                                ASSERT_EQ(firsts[s][m][ch], outputs[static_cast<size_t>(s)][static_cast<size_t>(2 * marks.frame(m) + ch)])
                                    << count << " stages, " << n << " frames from " << firstMark << ", stage " << s << " mark " << m;
                }
            }
}
