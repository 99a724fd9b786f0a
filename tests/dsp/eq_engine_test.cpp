// The processing chain: pass-through, mid/side, fades, clip flag, silence, in-place buffers and the
// guards against bad input.
#include "dsp/band_kind.h"
#include "dsp/eq_engine.h"
#include "tools/response/measure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace {
using Buffer = std::vector<float>;

Buffer noise(int n, unsigned seed, float level = 0.5f) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-level, level);
    Buffer b(static_cast<size_t>(n));
    for (float& x : b) x = d(rng);
    return b;
}

Buffer sine(int n, double f, double fs, float level = 0.5f) {
    Buffer b(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) b[static_cast<size_t>(i)] = level * static_cast<float>(std::sin(2 * 3.14159265358979 * f * i / fs));
    return b;
}

// Feeds n samples in host blocks of `block` samples, each cut into sub-blocks.
void run(EqEngine& e, const Buffer& l, const Buffer& r, Buffer& outL, Buffer& outR, int block = 512, int inputs = 2) {
    outL.resize(l.size());
    outR.resize(l.size());
    const int n = static_cast<int>(l.size());
    for (int start = 0; start < n; start += block) {
        const int len = std::min(block, n - start);
        for (int done = 0; done < len;)
            done += e.processSubBlock(len - done, l.data() + start + done, r.data() + start + done,
                                      outL.data() + start + done, outR.data() + start + done, inputs);
    }
}

float largestStep(const Buffer& b, size_t from = 1) {
    float worst = 0.0f;
    for (size_t i = std::max<size_t>(from, 1); i < b.size(); ++i) worst = std::max(worst, std::fabs(b[i] - b[i - 1]));
    return worst;
}

void settle(EqEngine& e, int samples = 44100) {
    Buffer z(static_cast<size_t>(samples), 0.0f), a, b;
    run(e, z, z, a, b);
}
}  // namespace

TEST(EqEngine, SubBlocksAreAtMost44Samples) {
    EqEngine e;
    Buffer in(100, 0.1f), out(100);
    int done = 0, calls[3] = {};
    for (int i = 0; done < 100; ++i) done += calls[i] = e.processSubBlock(100 - done, in.data() + done, in.data() + done, out.data() + done, out.data() + done, 2);
    EXPECT_EQ(calls[0], 44);
    EXPECT_EQ(calls[1], 44);
    EXPECT_EQ(calls[2], 12);
    EXPECT_EQ(e.processSubBlock(0, in.data(), in.data(), out.data(), out.data(), 2), 0);
}

TEST(EqEngine, FlatBellsPassTheInputBitForBit) {
    EqEngine e;
    for (int slot = 1; slot < 6; ++slot) {
        e.setBandKind(-1, slot, BandKind::kBell);
        e.setBandValues(-1, slot, 300.0f * slot, 0.0f, 1.0f);
        e.setBandOn(-1, slot, true);
    }
    const Buffer l = noise(20000, 1), r = noise(20000, 2);
    Buffer outL, outR;
    run(e, l, r, outL, outR, 333);
    EXPECT_EQ(outL, l);
    EXPECT_EQ(outR, r);
}

TEST(EqEngine, MidSideRoundTripAndModes) {
    const Buffer l = noise(4000, 3), r = noise(4000, 4);
    Buffer outL, outR;
    EqEngine e;
    e.setMidSide(true, true, true);
    run(e, l, r, outL, outR);
    for (size_t i = 0; i < l.size(); ++i) {
        EXPECT_NEAR(outL[i], l[i], 1e-6f);
        EXPECT_NEAR(outR[i], r[i], 1e-6f);
    }
    // Without the encoder the inputs are taken as mid and side and still decoded.
    EqEngine raw;
    raw.setMidSide(true, false, true);
    run(raw, l, r, outL, outR);
    for (size_t i = 0; i < l.size(); ++i) {
        EXPECT_FLOAT_EQ(outL[i], l[i] + r[i]);
        EXPECT_FLOAT_EQ(outR[i], l[i] - r[i]);
    }
    // Only the side channel's band acts on the side signal: a pure mid input stays centred.
    EqEngine side;
    side.setMidSide(true, true, true);
    side.setBandKind(1, 3, BandKind::kBell);
    side.setBandValues(1, 3, 1000.0f, 12.0f, 1.0f);
    side.setBandOn(1, 3, true);
    const Buffer m = sine(8000, 1000.0, 44100.0);
    run(side, m, m, outL, outR);
    for (size_t i = 0; i < m.size(); ++i) EXPECT_NEAR(outL[i], outR[i], 1e-6f);
}

TEST(EqEngine, MonoInputFeedsBothOutputsAndIgnoresMidSide) {
    EqEngine e;
    e.setMidSide(true, true, true);
    e.setBandKind(-1, 2, BandKind::kBell);
    e.setBandValues(0, 2, 1000.0f, 6.0f, 1.0f);
    e.setBandOn(-1, 2, true);
    const Buffer in = noise(3000, 5);
    Buffer outL, outR(3000, 7.0f);
    run(e, in, in, outL, outR, 256, 1);
    EXPECT_EQ(outL, outR);
    EXPECT_NE(outL, in);
    // The same while the equalizer is off.
    e.setGeneralOn(false);
    settle(e);
    std::fill(outR.begin(), outR.end(), 7.0f);
    run(e, in, in, outL, outR, 256, 1);
    EXPECT_EQ(outL, in);
    EXPECT_EQ(outR, in);
}

TEST(EqEngine, GeneralOffPassesOrScalesTheInput) {
    EqEngine e;
    e.setVolume(-1, -6.0f);
    e.setBandKind(-1, 2, BandKind::kBell);
    e.setBandValues(-1, 2, 1000.0f, 12.0f, 1.0f);
    e.setBandOn(-1, 2, true);
    e.setGeneralOn(false);
    settle(e, 44 * 1000);  // whole sub-blocks
    const Buffer in = noise(2000, 6);
    Buffer outL, outR;
    run(e, in, in, outL, outR);
    EXPECT_EQ(outL, in);
    // The option takes effect at the next sub-block: 2000 samples leave 24 of the current one.
    e.setVolumeWhenOff(true);
    run(e, in, in, outL, outR);
    const float g = std::pow(10.0f, -6.0f / 20.0f);
    const size_t landed = 44 - 2000 % 44;
    for (size_t i = 0; i < landed; ++i) EXPECT_EQ(outL[i], in[i]);
    for (size_t i = landed; i < in.size(); ++i) EXPECT_NEAR(outL[i], in[i] * g, 1e-5f);
}

TEST(EqEngine, OnOffCrossFadeHasNoStepInPlaceOrNot) {
    Buffer reference;
    for (bool inPlace : {false, true}) {
        EqEngine e;
        e.setVolume(-1, -12.0f);
        settle(e);
        Buffer dc(44100, 0.5f), outL, outR;
        e.setGeneralOn(false);
        if (inPlace) {
            Buffer l = dc, r = dc;
            run(e, l, r, l, r);  // same buffers in and out
            outL = l;
        } else {
            run(e, dc, dc, outL, outR);
        }
        const float on = 0.5f * std::pow(10.0f, -12.0f / 20.0f);
        EXPECT_NEAR(outL.front(), on, 0.01f) << inPlace;
        EXPECT_FLOAT_EQ(outL.back(), 0.5f) << inPlace;
        // The wet part follows a 40 ms glide per sub-block: no step beyond one sub-block's move.
        EXPECT_LT(largestStep(outL), 0.0095f) << inPlace;
        if (inPlace) {
            EXPECT_EQ(outL, reference);
        }
        reference = outL;
        EXPECT_FALSE(e.bypassFading());
    }
}

TEST(EqEngine, MidSideCrossFadeKeepsTheDryPartUndecoded) {
    EqEngine e;
    e.setMidSide(true, true, true);
    settle(e);
    Buffer left(44100, 0.5f), right(44100, 0.0f), outL, outR;
    e.setGeneralOn(false);
    run(e, left, right, outL, outR);
    for (size_t i = 0; i < left.size(); ++i) {
        ASSERT_NEAR(outL[i], 0.5f, 1e-6f) << i;
        ASSERT_NEAR(outR[i], 0.0f, 1e-6f) << i;
    }
}

TEST(EqEngine, FadeDurationsDoNotDependOnBlockSize) {
    // Band fade: 10 ms time constant, running once above 0.999 (about 69 ms).
    // Volume: 10 ms per sub-block glide. General on/off: 40 ms, done within 0.001 (about 276 ms).
    for (int block : {1, 16, 44, 512}) {
        EqEngine e;
        e.setBandKind(-1, 2, BandKind::kBell);
        e.setBandValues(-1, 2, 1000.0f, 6.0f, 1.0f);
        e.setBandOn(-1, 2, true);
        e.setVolume(-1, -20.0f);
        Buffer dc(441, 0.5f), outL, outR;
        run(e, dc, dc, outL, outR, block);  // 10 ms: ten sub-blocks and one sample
        EXPECT_NEAR(outL[439], 0.5f * (1.0f - 0.632f * 0.9f), 0.012f) << block;
        int samples = 441;
        while (e.bandFade(0, 2) < 1.0f && samples < 44100) {
            run(e, dc, dc, outL, outR, block);
            samples += 441;
        }
        EXPECT_NEAR(samples / 44.1, 70.0, 10.0) << block;

        e.setGeneralOn(false);
        samples = 0;
        do {
            run(e, dc, dc, outL, outR, block);
            samples += 441;
        } while (e.bypassFading() && samples < 44100);
        EXPECT_NEAR(samples / 44.1, 280.0, 15.0) << block;
    }
}

TEST(EqEngine, BandSwitchedDuringItsFadeReversesFromWhereItIs) {
    EqEngine e;
    e.setBandKind(-1, 2, BandKind::kBell);
    e.setBandValues(-1, 2, 100.0f, 12.0f, 1.0f);
    settle(e, 4410);
    Buffer dc(2205, 0.25f), outL, outR;
    e.setBandOn(-1, 2, true);
    run(e, dc, dc, outL, outR, 64);
    const float mid = e.bandFade(0, 2);
    EXPECT_GT(mid, 0.5f);
    EXPECT_LT(mid, 0.999f);
    e.setBandOn(-1, 2, false);
    Buffer out2L, out2R;
    run(e, dc, dc, out2L, out2R, 64);
    EXPECT_LT(std::fabs(out2L.front() - outL.back()), 0.01f);
    EXPECT_LT(largestStep(out2L), 0.01f);
    EXPECT_LT(e.bandFade(0, 2), mid);
    // Back on halfway down: it climbs from there.
    const float low = e.bandFade(0, 2);
    e.setBandOn(-1, 2, true);
    run(e, dc, dc, outL, outR, 64);
    EXPECT_LT(std::fabs(outL.front() - out2L.back()), 0.01f);
    EXPECT_GT(e.bandFade(0, 2), low);
}

TEST(EqEngine, ClipFlagIsStickyAndJudgesTheFinalOutput) {
    EqEngine e;
    Buffer one(10, 1.0f), minusOne(10, -1.0f), above(10, std::nextafter(1.0f, 2.0f)), outL, outR;
    run(e, one, minusOne, outL, outR);
    EXPECT_FALSE(e.clip());
    run(e, above, one, outL, outR);
    EXPECT_TRUE(e.clip());
    run(e, one, one, outL, outR);
    EXPECT_TRUE(e.clip());
    e.clearClip();
    EXPECT_FALSE(e.clip());
    run(e, one, one, outL, outR);
    EXPECT_FALSE(e.clip());
    // Mid/side: the decoded left sample 1.12 is above full scale (from the next sub-block, at 44).
    e.setMidSide(true, false, true);
    Buffer m(44, 0.56f), s(44, 0.56f);
    run(e, m, s, outL, outR);
    EXPECT_FLOAT_EQ(outL[3], 0.56f);
    EXPECT_FLOAT_EQ(outL[4], 1.12f);
    EXPECT_TRUE(e.clip());
}

TEST(EqEngine, SilenceStopsWorkAfterElevenQuietSubBlocks) {
    EqEngine e;
    e.setSilenceSkip(true);
    float loud[44], quiet[44], out[44], outR[44];
    std::fill(std::begin(loud), std::end(loud), 0.3f);
    std::fill(std::begin(quiet), std::end(quiet), 5e-8f);
    e.processSubBlock(44, loud, loud, out, outR, 2);
    for (int i = 0; i < 10; ++i) {
        e.processSubBlock(44, quiet, quiet, out, outR, 2);
        EXPECT_FALSE(e.silent());
    }
    e.processSubBlock(44, quiet, quiet, out, outR, 2);
    EXPECT_TRUE(e.silent());
    EXPECT_TRUE(e.active());
    e.processSubBlock(44, quiet, quiet, out, outR, 2);
    EXPECT_FALSE(e.active());
    EXPECT_TRUE(std::all_of(std::begin(out), std::end(out), [](float x) { return x == 0.0f; }));
    quiet[20] = 2e-7f;
    e.processSubBlock(44, quiet, quiet, out, outR, 2);
    EXPECT_TRUE(e.active());
    EXPECT_FALSE(e.silent());
}

TEST(EqEngine, NonFiniteInputDoesNotPoisonTheBand) {
    EqEngine e;
    e.setBandKind(-1, 2, BandKind::kBell);
    e.setBandValues(-1, 2, 1000.0f, 6.0f, 1.0f);
    e.setBandOn(-1, 2, true);
    settle(e);
    Buffer in = sine(4410, 440.0, 44100.0), outL, outR;
    in[100] = NAN;
    in[200] = INFINITY;
    run(e, in, in, outL, outR);
    EXPECT_TRUE(std::all_of(outL.begin() + 300, outL.end(), [](float x) { return std::isfinite(x); }));
    EXPECT_GT(*std::max_element(outL.begin() + 300, outL.end()), 0.5f);
}

TEST(EqEngine, FlatteningABellGlidesAndLeavesNoState) {
    EqEngine e;
    e.setBandKind(-1, 2, BandKind::kBell);
    e.setBandValues(-1, 2, 200.0f, 12.0f, 1.0f);
    e.setBandOn(-1, 2, true);
    // Whole periods of the sine and whole sub-blocks: the gain changes at a zero crossing (the
    // glide's transient depends on where in the period it starts).
    const Buffer in = sine(19404, 200.0, 44100.0, 0.2f);
    Buffer outL, outR;
    run(e, in, in, outL, outR);
    e.setBandValues(-1, 2, 200.0f, 0.0f, 1.0f);
    Buffer out2L, out2R;
    run(e, in, in, out2L, out2R);
    // No jump from the filtered to the raw signal: the gain glides down.
    EXPECT_LT(std::fabs(out2L[0] - outL.back()), 0.05f);
    EXPECT_LT(largestStep(out2L), largestStep(outL) * 1.05f);
    // Settled at identity: bit-exact again, and no old state comes back when the gain returns.
    run(e, in, in, out2L, out2R);
    EXPECT_EQ(out2L, in);
    EXPECT_FALSE(e.band(0, 2).section(0).running());
}

TEST(EqEngine, SwitchingToTheFourthOrderGlidesTheExtraSection) {
    EqEngine e;
    e.setBandKind(-1, 0, BandKind::kHighPass12);
    e.setBandValues(-1, 0, 1000.0f, 0.0f, 0.707f);
    e.setBandOn(-1, 0, true);
    const Buffer in = sine(8820, 3000.0, 44100.0, 0.5f);
    Buffer outL, outR;
    run(e, in, in, outL, outR);
    const float steady = largestStep(outL, 4000);
    e.setBandKind(-1, 0, BandKind::kHighPass24);
    run(e, in, in, outL, outR);
    EXPECT_TRUE(e.band(0, 0).section(1).running());
    EXPECT_LT(largestStep(outL), steady * 1.1f);
    e.setBandKind(-1, 0, BandKind::kHighPass12);
    run(e, in, in, outL, outR);
    EXPECT_LT(largestStep(outL), steady * 1.1f);
    EXPECT_FALSE(e.band(0, 0).section(1).running());
}

TEST(EqEngine, KindChangeAloneRedesigns) {
    EqEngine e;
    e.setBandKind(-1, 5, BandKind::kBell);
    e.setBandValues(-1, 5, 4000.0f, 9.0f, 0.7f);
    e.setBandOn(-1, 5, true);
    settle(e, 4410);
    const auto bell = e.band(0, 5).section(0).target();
    e.setBandKind(-1, 5, BandKind::kHighShelf);
    settle(e, 4 * 44);  // a design with a correction takes three sub-blocks
    EXPECT_EQ(e.band(0, 5).kind(), BandKind::kHighShelf);
    EXPECT_FALSE(e.band(0, 5).section(0).target() == bell);
}

TEST(EqEngine, ResetFiltersClearsStatesAndSnapsGlides) {
    EqEngine e;
    e.setBandKind(-1, 2, BandKind::kBell);
    e.setBandValues(-1, 2, 100.0f, 15.0f, 7.0f);
    e.setBandOn(-1, 2, true);
    const Buffer in = noise(4410, 7);
    Buffer outL, outR;
    run(e, in, in, outL, outR);
    e.setBandValues(-1, 2, 150.0f, 15.0f, 7.0f);
    e.resetFilters();
    Buffer zeros(441, 0.0f);
    run(e, zeros, zeros, outL, outR);
    EXPECT_TRUE(std::all_of(outL.begin(), outL.end(), [](float x) { return x == 0.0f; }));
    EXPECT_FALSE(e.band(0, 2).section(0).gliding());
}

TEST(EqEngine, TinyInputIsFlushedAndTheRateChangeIsServed) {
    EqEngine e;
    Buffer tiny(100, 1e-38f), outL, outR;
    run(e, tiny, tiny, outL, outR);
    EXPECT_TRUE(std::all_of(outL.begin(), outL.end(), [](float x) { return x == 0.0f; }));
    e.setSampleRate(96000.0f);
    run(e, tiny, tiny, outL, outR);
    EXPECT_FLOAT_EQ(e.band(0, 0).sampleRate(), 96000.0f);
}

TEST(EqEngine, SettersFromAnotherThreadWhileProcessing) {
    EqEngine e;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; !done.load(); ++i) {
            e.setBandValues(-1, i % 8, 100.0f + (i % 1000), float(i % 13) - 6.0f, 1.0f);
            e.setBandKind(i % 2, 5, i % 3 ? BandKind::kBell : BandKind::kHighShelf);
            e.setBandOn(-1, i % 8, i % 5 != 0);
            e.setVolume(-1, float(i % 7) - 3.0f);
            e.setGeneralOn(i % 50 != 0);
            e.setMidSide(i % 2 == 0, true, true);
            e.clearClip();
            (void)e.clip();
        }
    });
    const Buffer in = noise(44100, 8);
    Buffer outL, outR;
    run(e, in, in, outL, outR, 128);
    done = true;
    writer.join();
    EXPECT_TRUE(std::all_of(outL.begin(), outL.end(), [](float x) { return std::isfinite(x); }));
}

TEST(EqEngine, StereoChannelsEqualTheirOwnMonoRun) {
    // Both channels of steady bands are filtered together; the result must equal each channel
    // filtered alone, bit for bit, also across glides, fades and a kind change.
    const auto configure = [](EqEngine& e) {
        e.setBandKind(-1, 0, BandKind::kHighPass24);
        e.setBandValues(-1, 0, 40.0f, 0.0f, 0.9f);
        for (int slot = 1; slot < 6; ++slot) {
            e.setBandKind(-1, slot, BandKind::kBell);
            e.setBandValues(-1, slot, 150.0f * slot * slot, slot % 2 ? 5.0f : -4.0f, 0.5f + slot * 0.3f);
        }
        e.setBandKind(-1, 6, BandKind::kLowPass12);
        e.setBandValues(-1, 6, 15000.0f, 0.0f, 0.7f);
        e.setBandValues(-1, 7, 300000.0f, 4.0f, 0.0f);  // the Air band: its correction alone
        for (int slot = 0; slot < 8; ++slot) e.setBandOn(-1, slot, true);
    };
    EqEngine stereo, mono;
    configure(stereo);
    configure(mono);
    const Buffer l = noise(30000, 9), r = noise(30000, 10);
    Buffer sl, sr, ml, mr;
    for (int part = 0; part < 3; ++part) {
        run(stereo, l, r, sl, sr, 100);
        run(mono, l, l, ml, mr, 100, 1);
        ASSERT_EQ(sl, ml) << part;
        for (EqEngine* e : {&stereo, &mono}) {
            e->setBandValues(-1, 3, 2000.0f + 500.0f * part, 6.0f, 1.0f);
            e->setBandKind(-1, 0, part % 2 ? BandKind::kHighPass12 : BandKind::kHighPass24);
            e->setBandOn(-1, 4, part != 1);
        }
    }
}

TEST(EqEngine, ABellLeavingTheAirRangeFiltersAgain) {
    // Above the top bell frequency a bell is the Air band, which has no IIR of its own; brought back
    // down it must filter again.
    EqEngine e;
    e.setBandKind(-1, 3, BandKind::kBell);
    e.setBandValues(-1, 3, 21000.0f, 9.0f, 1.0f);
    e.setBandOn(-1, 3, true);
    settle(e, 4410);
    EXPECT_FALSE(e.band(0, 3).iirActive());
    EXPECT_FALSE(e.band(0, 3).section(0).running());
    e.setBandValues(-1, 3, 1000.0f, 9.0f, 1.0f);
    settle(e, 4410);
    EXPECT_TRUE(e.band(0, 3).iirActive());
    const auto h = Measure::impulseResponse(44100.0f, {{3, BandKind::kBell, 1000.0f, 9.0f, 1.0f}}, 8192);
    EXPECT_NEAR(Measure::magnitudeDb(h, 1000.0, 44100.0), 9.0, 0.01);
}

TEST(EqEngine, AStoppedBandReturnsWithoutItsOldSound) {
    EqEngine e;
    e.setBandKind(-1, 2, BandKind::kBell);
    e.setBandValues(-1, 2, 60.0f, 15.0f, 7.0f);  // rings for a long time
    e.setBandOn(-1, 2, true);
    const Buffer loud = sine(8820, 60.0, 44100.0, 0.5f);
    Buffer outL, outR;
    run(e, loud, loud, outL, outR);
    e.setBandOn(-1, 2, false);
    Buffer zeros(8820, 0.0f);
    run(e, zeros, zeros, outL, outR);  // fades out and stops
    EXPECT_EQ(e.bandFade(0, 2), 0.0f);
    e.setBandOn(-1, 2, true);
    run(e, zeros, zeros, outL, outR);
    EXPECT_TRUE(std::all_of(outL.begin(), outL.end(), [](float x) { return x == 0.0f; }));
}

TEST(BandFilter, LongRunsOfTinyOutputAreFlushed) {
    BandFilter band;
    const BandValues cut{1000.0f, -6.0f, 1.0f, BandKind::kBell};
    float buf[44];
    for (int block = 1; block <= 25; ++block) {
        std::fill(std::begin(buf), std::end(buf), 5e-38f);
        band.process(buf, 44, cut);
        const bool flushed = std::all_of(std::begin(buf), std::end(buf), [](float x) { return x == 0.0f; });
        EXPECT_EQ(flushed, block > 20) << block;
    }
}
