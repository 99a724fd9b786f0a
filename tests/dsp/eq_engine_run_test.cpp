// Runs over several sub-blocks: whatever the host's blocks, process() gives the same bits as the
// engine taken one sub-block at a time, through settings that hold still and through every kind of
// change, decays into the denormal guard and silence included.
#include "bench/standard_setting.h"
#include "dsp/band_kind.h"
#include "dsp/eq_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {
using Buffer = std::vector<float>;

// A scene in stages: each stage sets something, then plays `length` samples of its signal.
struct Stage {
    int length;
    std::function<void(EqEngine&)> change;
    std::function<float(int, int)> signal;  // (channel, sample) -> value
};

std::vector<Stage> scene() {
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> d(-0.4f, 0.4f);
    std::vector<float> noise(200000);
    for (float& x : noise) x = d(rng);
    const auto noisy = [noise](int ch, int i) { return noise[static_cast<size_t>((i * 2 + ch) % 200000)]; };
    const auto silent = [](int, int) { return 0.0f; };
    const auto dc = [](int ch, int) { return ch == 0 ? 0.3f : -0.2f; };
    std::vector<Stage> stages;
    stages.push_back({20000, [](EqEngine& e) {
                          StandardSetting::apply(e);
                          StandardSetting::switchAll(e, true);
                      },
                      noisy});
    // A corrected bell moved, a band switched, the volume and mid/side changed, each then held.
    stages.push_back({9000, [](EqEngine& e) { e.setBandValues(-1, 4, 4500.0f, 5.0f, 1.4f); }, noisy});
    stages.push_back({9000, [](EqEngine& e) { e.setBandOn(-1, 2, false); }, noisy});
    stages.push_back({9000, [](EqEngine& e) { e.setVolume(-1, -4.0f); }, noisy});
    stages.push_back({9000, [](EqEngine& e) { e.setMidSide(true, true, true); }, noisy});
    // Different settings on the two channels: the slot runs band by band.
    stages.push_back({9000, [](EqEngine& e) { e.setBandValues(1, 5, 9000.0f, -6.0f, 2.0f); }, noisy});
    stages.push_back({9000, [](EqEngine& e) { e.setBandValues(1, 5, 12000.0f, 6.0f, 0.5f); }, noisy});
    // Off and on again, and a filter reset.
    stages.push_back({9000, [](EqEngine& e) { e.setGeneralOn(false); }, noisy});
    stages.push_back({9000, [](EqEngine& e) { e.setGeneralOn(true); }, noisy});
    stages.push_back({5000, [](EqEngine& e) { e.resetFilters(); }, noisy});
    // A burst far beyond any signal and a sample that is not a number, mid-run: the bands restart at
    // the end of their sub-blocks, as one sub-block at a time.
    const auto burst = [noisy](int ch, int i) {
        const int at = i % 9000;
        if (at >= 3000 && at < 3440) return at % 2 == 0 ? 1e30f : -1e30f;
        if (at == 6001) return std::nanf("");
        return noisy(ch, i);
    };
    stages.push_back({9000, [](EqEngine&) {}, burst});
    stages.push_back({9000, [](EqEngine&) {}, noisy});
    // Both channels alike again; a constant input, then digital silence: the outputs decay through
    // the denormal guard.
    stages.push_back({30000, [](EqEngine& e) { StandardSetting::apply(e); }, dc});
    stages.push_back({60000, [](EqEngine&) {}, silent});
    stages.push_back({9000, [](EqEngine&) {}, noisy});
    return stages;
}

// Renders the scene in host blocks from `block`; with runs, through process(). guards gets every
// band's denormal count after each block.
long long render(bool runs, const std::function<int()>& block, Buffer& left, Buffer& right, std::vector<int>& guards) {
    guards.clear();
    EqEngine e;
    e.setSampleRate(48000.0f);
    left.clear();
    right.clear();
    int at = 0;
    for (const Stage& stage : scene()) {
        stage.change(e);
        Buffer inL(static_cast<size_t>(stage.length)), inR(inL.size());
        for (int i = 0; i < stage.length; ++i) inL[static_cast<size_t>(i)] = stage.signal(0, at + i), inR[static_cast<size_t>(i)] = stage.signal(1, at + i);
        Buffer outL(inL.size()), outR(inL.size());
        for (int start = 0; start < stage.length;) {
            const int len = std::min(block(), stage.length - start);
            for (int done = 0; done < len;) {
                const int rest = len - done;
                const size_t o = static_cast<size_t>(start + done);
                done += runs ? e.process(rest, &inL[o], &inR[o], &outL[o], &outR[o], 2)
                             : e.processSubBlock(rest, &inL[o], &inR[o], &outL[o], &outR[o], 2);
            }
            start += len;
            for (int ch = 0; ch < EqEngine::kChannels; ++ch)
                for (int k = 0; k < EqEngine::kSlots; ++k) guards.push_back(e.band(ch, k).tinySubBlocks());
        }
        left.insert(left.end(), outL.begin(), outL.end());
        right.insert(right.end(), outR.begin(), outR.end());
        at += stage.length;
    }
    return e.samplesInRuns();
}

bool sameBits(const Buffer& a, const Buffer& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), sizeof(float) * a.size()) == 0;
}

}  // namespace

TEST(EqEngineRuns, EveryBlockPatternGivesTheBitsOfOneSubBlockAtATime) {
    const struct {
        const char* name;
        std::function<std::function<int()>()> blocks;  // a fresh pattern for each render
    } patterns[] = {
        {"45", [] { return [] { return 45; }; }},
        {"64", [] { return [] { return 64; }; }},
        {"100", [] { return [] { return 100; }; }},
        {"352", [] { return [] { return 352; }; }},
        {"512", [] { return [] { return 512; }; }},
        {"4096", [] { return [] { return 4096; }; }},
        {"random", [] {
             auto rng = std::make_shared<std::mt19937>(23);
             return [rng] { return std::uniform_int_distribution<int>(1, 1500)(*rng); };
         }},
    };
    for (const auto& p : patterns) {
        Buffer wantL, wantR, gotL, gotR;
        std::vector<int> wantGuards, gotGuards;
        render(false, p.blocks(), wantL, wantR, wantGuards);
        const long long inRuns = render(true, p.blocks(), gotL, gotR, gotGuards);
        // Most of the scene holds still: it goes in runs wherever the blocks are long enough.
        if (std::string(p.name) != "45") {
            EXPECT_GT(inRuns, static_cast<long long>(wantL.size()) / 3) << "blocks " << p.name;
        }
        EXPECT_TRUE(sameBits(gotL, wantL) && sameBits(gotR, wantR)) << "blocks " << p.name;
        EXPECT_EQ(gotGuards, wantGuards) << "blocks " << p.name;
        if (std::string(p.name) == "512") {
            // The decay reached the denormal guard's range: the comparison covers it.
            bool tiny = false;
            for (float x : wantL) tiny = tiny || (x != 0.0f && std::fabs(x) < 1e-20f);
            EXPECT_TRUE(tiny);
            EXPECT_TRUE(std::any_of(wantGuards.begin(), wantGuards.end(), [](int c) { return c > 0; }));
        }
    }
}

TEST(EqEngineRuns, SteadySettingsRunOverSeveralSubBlocks) {
    // Settled, a long block goes in runs of up to kMaxRun samples; a change in between ends a run
    // at the next sub-block start.
    EqEngine e;
    e.setSampleRate(48000.0f);
    StandardSetting::apply(e);
    StandardSetting::switchAll(e, true);
    Buffer in(4096, 0.1f), outL(4096), outR(4096);
    for (int i = 0; i < 200; ++i)
        for (int done = 0; done < 4096;) done += e.process(4096 - done, &in[done], &in[done], &outL[done], &outR[done], 2);
    int done = 0;
    done += e.process(4096, in.data(), in.data(), outL.data(), outR.data(), 2);
    EXPECT_EQ(done, EqEngine::kMaxRun);
    e.setBandValues(-1, 1, 130.0f, -4.0f, 1.0f);
    const int next = e.process(4096 - done, &in[done], &in[done], &outL[done], &outR[done], 2);
    EXPECT_LE(next, EqEngine::kSubBlockLength);
    // One channel: a sub-block at a time.
    EXPECT_LE(e.process(4096, in.data(), nullptr, outL.data(), nullptr, 1), EqEngine::kSubBlockLength);
}

TEST(EqEngineRuns, ResentValuesKeepRunsGoingAndAnyChangeEndsThem) {
    // Hosts send every parameter again and again: values equal to the ones set change nothing, while
    // a change of any one control, even on one channel only, ends the run at the next sub-block, also
    // when it comes between two runs, at a sub-block start.
    EqEngine e;
    e.setSampleRate(48000.0f);
    StandardSetting::apply(e);
    StandardSetting::switchAll(e, true);
    // Blocks of whole sub-blocks: every change below arrives at a sub-block start, right after a run.
    constexpr int kBlock = EqEngine::kMaxRun;
    static_assert(kBlock % EqEngine::kSubBlockLength == 0);
    Buffer in(kBlock, 0.1f), outL(kBlock), outR(kBlock);
    const auto settle = [&] {
        for (int i = 0; i < 1200; ++i)
            for (int done = 0; done < kBlock;) done += e.process(kBlock - done, &in[done], &in[done], &outL[done], &outR[done], 2);
    };
    const auto nextPiece = [&] { return e.process(kBlock, in.data(), in.data(), outL.data(), outR.data(), 2); };
    const auto resend = [&] {
        StandardSetting::apply(e);
        StandardSetting::switchAll(e, true);
        e.setVolume(-1, 0.0f);
        e.setGeneralOn(true);
        e.setMidSide(false, true, true);
        e.setVolumeWhenOff(false);
    };
    settle();
    resend();
    EXPECT_EQ(nextPiece(), EqEngine::kMaxRun);
    const std::function<void(EqEngine&)> changes[] = {
        [](EqEngine& x) { x.setBandValues(1, 3, 1000.0f, -3.5f, 1.7f); },
        [](EqEngine& x) { x.setBandKind(0, 6, BandKind::kLowPass6); },
        [](EqEngine& x) { x.setBandOn(1, 2, false); },
        [](EqEngine& x) { x.setVolume(0, -1.0f); },
    };
    // (Mid/side coding takes effect at once at a sub-block start, and a run may follow it there.)
    for (size_t i = 0; i < std::size(changes); ++i) {
        settle();
        changes[i](e);
        EXPECT_LE(nextPiece(), EqEngine::kSubBlockLength) << "change " << i;
        // Undone (the changes leave the channels unlike), runs come back once it has settled.
        resend();
        settle();
        EXPECT_EQ(nextPiece(), EqEngine::kMaxRun) << "change " << i << ", undone";
    }
}
