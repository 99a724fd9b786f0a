// The high-frequency correction: grid lookups, the design spread over sub-blocks, the cross-fade
// between tap sets, the Air band, and the band's response with its correction.
#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "dsp/band_recipes.h"
#include "dsp/correction_fir.h"
#include "dsp/correction_lookup.h"
#include "dsp/eq_engine.h"
#include "tools/response/analog_model.h"
#include "tools/response/band_response.h"
#include "tools/response/measure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

// Every allocation of the test program is counted, to show that designing and filtering allocate
// nothing. Sanitizer runtimes own operator new; there the count stays 0 and proves nothing.
namespace {
std::atomic<long> allocations{0};
}
#if !defined(TOVIN_SANITIZED)
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

namespace {
namespace T = CorrectionTables;
constexpr float kAir = 300000.0f;

// Tables in which every bell cell carries the same correction.
struct UniformBell {
    std::vector<T::Cell> bell = std::vector<T::Cell>(T::kBellCells);
    T::Set set = T::builtIn();
    explicit UniformBell(int length, int kernelIndex = 12, float flat = 0.6f) {
        for (auto& c : bell) c.length = length, c.kernelLengthIndex = kernelIndex, c.flatTaps = flat;
        set.bell = T::Table{bell.data()};
    }
};

std::vector<float> noise(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> v(static_cast<size_t>(n));
    for (float& x : v) x = d(rng);
    return v;
}

// Runs n samples through a band in sub-blocks of `block`, with the values of `at(sample)`.
template <class Values>
std::vector<float> run(BandFilter& band, std::vector<float> x, int block, Values at) {
    for (size_t i = 0; i < x.size(); i += static_cast<size_t>(block)) {
        const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(block), x.size() - i));
        band.process(x.data() + i, n, at(i));
    }
    return x;
}
}  // namespace

TEST(CorrectionTables, EveryCellWithTapsTakesTheLongestKernel) {
    // The band uses the largest kernel among a cell's corners: one kernel everywhere keeps a cell from
    // changing how its neighbours sound (the first-order high-pass has its kernels fixed).
    const T::Set& set = T::builtIn();
    const int longest = static_cast<int>(T::kKernelLengths.size()) - 1;
    for (const T::Table* table : {&set.bell, &set.shelf[0], &set.shelf[1], &set.lowPass2, &set.lowPass1})
        for (int i = 0; i < table->sparseCount; ++i) {
            const T::Cell& c = table->sparse[i].cell;
            if (c.length > 0) {
                EXPECT_EQ(c.kernelLengthIndex, longest) << "entry " << table->sparse[i].index;
            }
        }
}

TEST(CorrectionLookup, GridRules) {
    using namespace CorrectionLookup;
    // Frequencies scale with the rate; below the first point there is no correction; the last
    // point is used alone.
    bool below = false;
    onGrid(T::kHighPass1Frequencies, 19.0f, 1.0f, &below);
    EXPECT_TRUE(below);
    const Bracket mid = onGrid(T::kHighPass1Frequencies, 2000.0f * 96000.0f / 44100.0f, 96000.0f / 44100.0f);
    EXPECT_EQ(mid.index, 7);
    EXPECT_NEAR(mid.fraction, 0.0f, 1e-5f);
    EXPECT_TRUE(onGrid(T::kBellFrequencies, 25000.0f, 1.0f).last);
    // The gain axis: 1 dB steps, clamped with fraction 0.
    EXPECT_EQ(onGainAxis(-2.25f).index, 12);
    EXPECT_FLOAT_EQ(onGainAxis(-2.25f).fraction, 0.75f);
    EXPECT_EQ(onGainAxis(22.6f).index, 30);
    EXPECT_EQ(onGainAxis(22.6f).fraction, 0.0f);
    EXPECT_EQ(onGainAxis(-28.7f).index, 0);

    // Blending: the length truncated, the kernel length the largest of every corner with weight
    // (at a grid point the cell's own), the prototype from the heaviest corner.
    T::Cell a, b;
    a.length = 10, a.kernelLengthIndex = 3, a.kernelPhase = 0.4f, a.prototype = 10;
    b.length = 13, b.kernelLengthIndex = 9, b.kernelPhase = 0.6f, b.prototype = 1;
    Corners c;
    c.add(a, 0.75f);
    c.add(b, 0.25f);
    const T::Cell mix = blend(c);
    EXPECT_EQ(mix.length, 10);
    EXPECT_EQ(mix.kernelLengthIndex, 9);
    EXPECT_FLOAT_EQ(mix.kernelPhase, 0.45f);
    EXPECT_EQ(mix.prototype, 10);
    Corners edge;
    edge.add(a, 1.0f);
    edge.add(b, 0.0f);
    EXPECT_EQ(blend(edge).kernelLengthIndex, 3);
    // Corners that agree on the output gain give exactly it, whatever rounding the weights carry.
    a.outputGain = b.outputGain = 1.0f;
    Corners four;
    for (float w : {0.1f, 0.2f, 0.3f, 0.39999998f}) four.add(w < 0.25f ? a : b, w);
    EXPECT_EQ(blend(four).outputGain, 1.0f);
    a.outputGain = 1.5f;
    EXPECT_NEAR(blend(c).outputGain, 1.375f, 1e-6f);
}

TEST(CorrectionLookup, BellsAreLookedUpByTheGainTheUserSet) {
    // The compensated gain runs from -28.7 to +22.6 dB; the tables' gain axis is the knob's.
    for (float q : {0.1f, 1.0f, 3.0f, 7.0f})
        for (float knob : {-15.0f, -6.5f, -1.0f, 0.5f, 4.0f, 15.0f})
            EXPECT_NEAR(bellKnobGain(bellGainForQ(knob, q), q), knob, 1e-3f) << q << " " << knob;
    EXPECT_EQ(bellKnobGain(40.0f, 1.0f), 15.0f);
}

TEST(CorrectionLookup, FirstOrderHighPassAndGridScaling) {
    // Up to 500 Hz (times the rate scale) no correction; at 2000 Hz five taps on an 81-tap kernel.
    for (float fs : {44100.0f, 96000.0f}) {
        const float scale = fs / 44100.0f;
        EXPECT_EQ(runRecipe(BandKind::kHighPass6, 500.0f * scale, 0.7f, 0.0f, fs).correction.length, 0) << fs;
        const BandRecipe r = runRecipe(BandKind::kHighPass6, 2000.0f * scale, 0.7f, 0.0f, fs);
        EXPECT_EQ(r.correction.length, 5) << fs;
        EXPECT_EQ(r.correction.kernelLengthIndex, 8) << fs;
        EXPECT_NEAR(r.correction.kernelPhase, 0.483f, 1e-4f) << fs;
    }
    // 1000 Hz at 96 kHz lies below 500 Hz on the 44.1 kHz grid.
    EXPECT_EQ(runRecipe(BandKind::kHighPass6, 1000.0f, 0.7f, 0.0f, 96000.0f).correction.length, 0);
    EXPECT_EQ(runRecipe(BandKind::kHighPass6, 1000.0f, 0.7f, 0.0f, 44100.0f).correction.length, 2);
}

TEST(CorrectionLookup, AirEntriesBlendAlongTheGainAxis) {
    // The table of the rate is read: entries mix linearly, the kernel is the larger of the two (at a
    // point its own), a gain at or above the last point takes that entry alone.
    T::AirTable table = T::kAir44;
    table[6].kernelLengthIndex = 6, table[6].flatTaps = 0.5f, table[6].length = 20;  // +2 dB
    table[7].kernelLengthIndex = 9, table[7].flatTaps = 0.7f, table[7].length = 31;  // +5 dB
    T::Set set = T::builtIn();
    set.air[3] = &table;  // 96 kHz
    for (auto& fitted : set.airTaps) fitted = nullptr;
    const BandRecipe at2 = runRecipe(BandKind::kBell, kAir, 0.0f, 2.0f, 96000.0f, &set);
    EXPECT_EQ(at2.correction.kernelLengthIndex, 6);
    EXPECT_FLOAT_EQ(at2.correction.flatTaps, 0.5f);
    const BandRecipe at35 = runRecipe(BandKind::kBell, kAir, 0.0f, 3.5f, 96000.0f, &set);
    EXPECT_EQ(at35.correction.kernelLengthIndex, 9);
    EXPECT_FLOAT_EQ(at35.correction.flatTaps, 0.6f);
    EXPECT_EQ(at35.correction.length, 25);
    EXPECT_FALSE(at35.iirActive);
    // 44.1 kHz keeps its own kernel and flat share.
    const BandRecipe base = runRecipe(BandKind::kBell, kAir, 0.0f, 3.5f, 44100.0f, &set);
    EXPECT_EQ(base.correction.kernelLengthIndex, T::kAirKernelLengthIndex);
    EXPECT_FLOAT_EQ(base.correction.flatTaps, T::kAirFlatTaps);
    EXPECT_EQ(runRecipe(BandKind::kBell, kAir, 0.0f, 40.0f, 96000.0f, &set).correction.length, table[9].length);
}

TEST(CorrectionFir, TheProcessorsSumsAgreeWithThePortableOnes) {
    // Whichever code the processor runs, every length and piece size (up to runs of several
    // sub-blocks) gives the same sums within float rounding, with the history read before the block.
    const std::vector<float> signal = noise(400, 3);
    const std::vector<float> a = noise(44, 4), b = noise(44, 5);
    const float* x = signal.data() + 100;
    constexpr int kLongest = 132;
    for (int length : {1, 5, 17, 44})
        for (int n : {1, 3, 4, 7, 16, 20, 31, 32, 43, 44, 45, 60, 64, 84, 100, 127, 132})
        for (float gain : {1.0f, 1.0044f}) {
            std::vector<float> out(kLongest, 0.25f), want(kLongest, 0.25f);
            // The output gain rides on the sums' store: the same as a separate pass after them.
            CorrectionFir::accumulate(a.data(), length, x, out.data(), n, gain);
            CorrectionFir::Portable::accumulatePortable(a.data(), length, x, want.data(), n, gain);
            std::vector<float> plain(kLongest, 0.25f), plainPortable(kLongest, 0.25f);
            CorrectionFir::accumulate(a.data(), length, x, plain.data(), n);
            CorrectionFir::Portable::accumulatePortable(a.data(), length, x, plainPortable.data(), n);
            for (int i = 0; i < n; ++i) {
                const size_t k = static_cast<size_t>(i);
                EXPECT_EQ(out[k], plain[k] * gain) << length << " " << n << " " << i;
                EXPECT_EQ(want[k], plainPortable[k] * gain) << length << " " << n << " " << i;
            }
            std::vector<float> fresh(kLongest), old(kLongest), wantFresh(kLongest), wantOld(kLongest);
            CorrectionFir::accumulatePair(a.data(), b.data(), length, x, fresh.data(), old.data(), n);
            CorrectionFir::Portable::accumulatePairPortable(a.data(), b.data(), length, x, wantFresh.data(), wantOld.data(), n);
            for (int i = 0; i < kLongest; ++i) {
                const size_t k = static_cast<size_t>(i);
                EXPECT_NEAR(out[k], want[k], 1e-5f) << length << " " << n << " " << i;
                if (i >= n) continue;
                EXPECT_NEAR(fresh[k], wantFresh[k], 1e-5f) << length << " " << n << " " << i;
                EXPECT_NEAR(old[k], wantOld[k], 1e-5f) << length << " " << n << " " << i;
            }
        }
}

TEST(CorrectionFir, TapsMeetTheWantedResponseNearDc) {
    // The taps' sum is their gain at DC and minus their first moment the slope there. A set of
    // fewer than 8 taps takes the gain alone, moved in proportion to a window that rises from its
    // ends to its middle; a response that is not finite leaves the taps as designed.
    const std::vector<float> target = noise(401 + 4 * 44, 5), h = noise(44, 6);
    std::vector<float> plain(44), c(44);
    for (int n : {2, 5, 10, 44}) {
        CorrectionFir::taps(target.data(), 401, h.data(), n, 0.5f, plain.data());
        CorrectionFir::taps(target.data(), 401, h.data(), n, 0.5f, c.data(), CorrectionFir::NearDc{0.25, -0.75});
        double sum = 0.0, first = 0.0;
        for (int i = 0; i < n; ++i) sum += c[static_cast<size_t>(i)], first += i * static_cast<double>(c[static_cast<size_t>(i)]);
        EXPECT_NEAR(sum, 0.25, 1e-5) << n;
        if (n >= 8) {
            EXPECT_NEAR(-first, -0.75, 1e-4) << n;
        } else {
            const auto moved = [&](int i) { return c[static_cast<size_t>(i)] - plain[static_cast<size_t>(i)]; };
            for (int i = 0; i < n; ++i) {
                EXPECT_NEAR(moved(i), moved(n - 1 - i), 1e-6f) << n << " " << i;
                EXPECT_GT(moved(i) / moved((n - 1) / 2), 0.0f) << n << " " << i;
                EXPECT_LE(std::fabs(moved(i)), std::fabs(moved((n - 1) / 2)) + 1e-6f) << n << " " << i;
            }
        }
        CorrectionFir::taps(target.data(), 401, h.data(), n, 0.5f, c.data(), CorrectionFir::NearDc{std::nan(""), 0.0});
        EXPECT_EQ(c, plain) << n;
    }
}

TEST(CorrectionLookup, ALowShelfIsItsGainTimesTheHighShelfOfTheReversedGain) {
    // The low shelf reads the high shelf's cells with the gain reversed and keeps its own gain, so
    // with its correction it still mirrors the high shelf exactly, at every rate.
    for (float fs : {44100.0f, 96000.0f})
        for (float f : {300.0f, 2500.0f, 9000.0f, 17500.0f})
            for (float q : {0.4f, 1.0f, 1.8f})
                for (float gain : {-15.0f, -7.5f, 3.0f, 12.0f}) {
                    BandFilter low, high;
                    low.setSampleRate(fs), high.setSampleRate(fs);
                    BandResponse::design(low, {f, gain, q, BandKind::kLowShelf});
                    BandResponse::design(high, {f, -gain, q, BandKind::kHighShelf});
                    EXPECT_EQ(low.correctionInUse(), high.correctionInUse());
                    for (double x : {20.0, 200.0, 2000.0, 8000.0, 15000.0, 20000.0})
                        EXPECT_NEAR(BandResponse::magnitudeDb(low, x), gain + BandResponse::magnitudeDb(high, x), 2e-3)
                            << fs << " " << f << " " << q << " " << gain << " at " << x;
                }
}

TEST(CorrectionDesign, BelowTheCorrectionRangeTheDesignIsDoneInOneStep) {
    BandFilter band;
    band.prepare({400.0f, 0.0f, 0.7f, BandKind::kHighPass6});
    EXPECT_EQ(band.designStep(), DesignStep::kIdle);
    EXPECT_EQ(band.correctionInUse(), 0);
}

TEST(CorrectionDesign, ABandSweptOntoAHarmfulBlendSettlesOnTheJudgedDesignAndAllocatesNothing) {
    // Swept every sub-block, the designs overtaken by newer values are not judged; the one that
    // stays is, and the band ends exactly as a band designed at rest there (2.5 kHz, Q 5, knob
    // -12 dB: half-way between two cells, where the plain design takes over).
    const float q = 5.0f, gain = bellGainForQ(-12.0f, q);
    const BandValues rest{2518.0f, gain, q, BandKind::kBell};
    BandFilter swept, still;
    float buf[44] = {};
    swept.process(buf, 44, {1500.0f, gain, q, BandKind::kBell});
    const long before = allocations.load();
    for (int i = 0; i < 40; ++i) {
        std::fill(buf, buf + 44, 0.0f);
        swept.process(buf, 44, {1500.0f + 25.5f * static_cast<float>(i), gain, q, BandKind::kBell});
    }
    for (int i = 0; i < 40; ++i) {
        std::fill(buf, buf + 44, 0.0f);
        swept.process(buf, 44, rest);
    }
    EXPECT_EQ(allocations.load(), before);
    ASSERT_EQ(swept.designStep(), DesignStep::kIdle);
    BandResponse::design(still, rest);
    EXPECT_EQ(swept.correctionInUse(), still.correctionInUse());
    for (double f : {100.0, 2000.0, 2518.0, 3000.0, 12000.0})
        EXPECT_NEAR(BandResponse::magnitudeDb(swept, f), BandResponse::magnitudeDb(still, f), 1e-9) << f;
    // And the design at rest is the judged one: the tables alone would be 0.5 dB off at the cut.
    BandFilter tablesAlone;
    tablesAlone.setPlainFallback(false);
    BandResponse::design(tablesAlone, rest);
    EXPECT_GT(std::fabs(BandResponse::magnitudeDb(tablesAlone, 2440.0) - BandResponse::magnitudeDb(still, 2440.0)), 0.2);
}

TEST(CorrectionDesign, StepsAreSpreadOverSubBlocksAndAllocateNothing) {
    BandFilter band;
    float buf[44] = {};
    band.process(buf, 44, {kAir, 5.0f, 0.0f, BandKind::kBell});  // first design: taken at once
    for (int i = 0; i < 4; ++i) band.process(buf, 44, {kAir, 5.0f, 0.0f, BandKind::kBell});
    ASSERT_GT(band.correctionInUse(), 0);

    const long before = allocations.load();
    // A new gain: recipe and kernel, then the responses, then window and taps; the previous set
    // has long faded in, so no wait.
    const BandValues next{kAir, 7.0f, 0.0f, BandKind::kBell};
    const float* oldTaps = band.taps();
    band.process(buf, 44, next);
    EXPECT_EQ(band.designStep(), DesignStep::kResponses);
    band.process(buf, 44, next);
    EXPECT_EQ(band.designStep(), DesignStep::kInstall);
    EXPECT_EQ(band.taps(), oldTaps);
    band.process(buf, 44, next);
    EXPECT_EQ(band.designStep(), DesignStep::kIdle);
    EXPECT_NE(band.taps(), oldTaps);
    EXPECT_LT(band.fadeIn(), 0.5f);

    // Another change while the new set still fades in waits in state 4.
    const BandValues third{kAir, 9.0f, 0.0f, BandKind::kBell};
    band.process(buf, 44, third);
    band.process(buf, 44, third);
    EXPECT_EQ(band.designStep(), DesignStep::kWaitFade);
    int blocks = 0;
    while (band.designStep() != DesignStep::kIdle && blocks < 100) {
        band.process(buf, 44, third);
        ++blocks;
    }
    EXPECT_GT(blocks, 3);
    EXPECT_LT(blocks, 30);
    EXPECT_EQ(allocations.load(), before);
}

TEST(CorrectionDesign, ACorrectionGoneAndBackDoesNotWaitForever) {
    // A first-order high-pass swept across the edge of its correction range: N -> 0 -> N.
    BandFilter band;
    float buf[44] = {};
    for (float f : {2000.0f, 300.0f, 2000.0f, 300.0f, 4000.0f}) {
        int blocks = 0;
        do {
            band.process(buf, 44, {f, 0.0f, 0.7f, BandKind::kHighPass6});
        } while (band.designStep() != DesignStep::kIdle && ++blocks < 60);
        EXPECT_LT(blocks, 30) << f;
    }
    // The last design installed its taps.
    EXPECT_EQ(band.correctionInUse(), 10);
}

TEST(AirBand, AtZeroDbItIsBitTransparent) {
    for (float fs : {44100.0f, 48000.0f, 88200.0f, 96000.0f}) {
        EqEngine e;
        e.setSampleRate(fs);
        e.setBandKind(-1, 7, BandKind::kBell);
        e.setBandValues(-1, 7, kAir, 0.0f, 0.0f);
        e.setBandOn(-1, 7, true);
        const std::vector<float> in = noise(8820, 3);
        std::vector<float> outL(in.size()), outR(in.size());
        Measure::processBlock(e, in.data(), in.data(), outL.data(), outR.data(), static_cast<int>(in.size()));
        EXPECT_EQ(outL, in) << fs;
        EXPECT_EQ(e.band(0, 7).correctionInUse(), 0) << fs;
    }
    // Leaving 0 dB it acts, coming back it is transparent again once the old set has faded out.
    BandFilter band;
    auto x = noise(44 * 60, 5);
    run(band, x, 44, [](size_t) { return BandValues{kAir, 6.0f, 0.0f, BandKind::kBell}; });
    EXPECT_GT(band.correctionInUse(), 0);
    const auto y = run(band, x, 44, [](size_t) { return BandValues{kAir, 0.0f, 0.0f, BandKind::kBell}; });
    EXPECT_FALSE(band.correctionRunning());
    EXPECT_TRUE(std::equal(y.end() - 440, y.end(), x.end() - 440));
}

// The rates with fitted Air taps.
constexpr auto& kAllAirRates = T::kFittedAirRates;

// The audible top at a rate: 20 kHz, or 0.45 fs below 44.1 kHz.
double airTop(float fs) { return std::min(20000.0, 0.45 * fs); }

// The largest difference below the audible top between the Air band at fs and at 44.1 kHz, at a knob gain.
double airDifferenceDb(float fs, float gain) {
    BandFilter base, band;
    band.setSampleRate(fs);
    BandResponse::design(base, {kAir, gain, 0.0f, BandKind::kBell});
    BandResponse::design(band, {kAir, gain, 0.0f, BandKind::kBell});
    double worst = 0.0;
    for (double f : Measure::logSpaced(20.0, airTop(fs), 60))
        worst = std::max(worst, std::fabs(BandResponse::magnitudeDb(band, f) - BandResponse::magnitudeDb(base, f)));
    return worst;
}

// How far the Air band at fs may stray from the 44.1 kHz one. At 176.4 and 192 kHz 44 taps span a
// quarter of the time and at 352.8 and 384 kHz an eighth, which the deepest cuts miss by up to about
// one and three dB.
double airBound(float fs, float gain) {
    return fs < 100000.0f ? 0.2 : fs < 300000.0f ? (gain > -10.0f ? 0.2 : 1.25) : (gain > -8.0f ? 0.2 : 3.25);
}

TEST(AirBand, SoundsAlikeAtEveryRate) {
    // Below 20 kHz (0.45 fs at lower rates) the Air band follows the 44.1 kHz one at every knob gain.
    for (float fs : kAllAirRates)
        for (float gain = -15.0f; gain <= 15.0f; gain += 0.3f) EXPECT_LT(airDifferenceDb(fs, gain), airBound(fs, gain)) << gain << " dB at " << fs;
    // Between the fitted rows too, however close they lie: two rows whose taps take different
    // shapes blend into a response far from both.
    for (size_t r = 0; r < kAllAirRates.size(); ++r) {
        const T::AirTaps& fitted = *T::builtIn().airTaps[r];
        for (int i = 0; i + 1 < fitted.count; ++i)
            for (float u : {0.25f, 0.5f, 0.75f}) {
                const float gain = (1.0f - u) * fitted.rows[i].gain + u * fitted.rows[i + 1].gain;
                EXPECT_LT(airDifferenceDb(fitted.rate, gain), airBound(fitted.rate, gain)) << gain << " dB at " << fitted.rate;
            }
    }
    // Other rates take the nearest rate's reference-peak table instead of taps fitted for another
    // rate.
    for (float gain : {-10.0f, 5.0f, 10.0f}) EXPECT_LT(airDifferenceDb(96010.0f, gain), 2.0) << gain;
    BandFilter near96;
    near96.setSampleRate(96010.0f);
    BandResponse::design(near96, {kAir, 5.0f, 0.0f, BandKind::kBell});
    EXPECT_EQ(near96.recipe().correction.fitted[0], nullptr);
    // No latency either: below 16 kHz the group delay stays within a 44.1 kHz sample of the 44.1 kHz
    // band's, within two from 176.4 kHz and three and a half from 352.8 kHz, where the deepest cuts
    // are approximated (the impulse response itself carries the ultrasonic part of a boost, which
    // rings).
    for (float gain : {-15.0f, -5.0f, 2.0f, 8.0f, 15.0f}) {
        BandFilter base;
        BandResponse::design(base, {kAir, gain, 0.0f, BandKind::kBell});
        for (float fs : kAllAirRates) {
            BandFilter band;
            band.setSampleRate(fs);
            BandResponse::design(band, {kAir, gain, 0.0f, BandKind::kBell});
            double worst = 0.0;
            for (double f : Measure::logSpaced(20.0, std::min(16000.0, 0.8 * airTop(fs)), 40))
                worst = std::max(worst, std::fabs(BandResponse::groupDelay(band, f) / fs - BandResponse::groupDelay(base, f) / 44100.0));
            // Below 44.1 kHz: within one of the band's own samples.
            const double bound = std::max((fs < 100000.0f ? 1.0 : fs < 300000.0f ? 2.0 : 3.5) / 44100.0, 1.0 / fs);
            EXPECT_LT(worst, bound) << gain << " dB at " << fs;
        }
    }
}

TEST(AirBand, LeavesTheUltrasonicRangeAlone) {
    // Above 20 kHz (0.45 fs at lower rates) the fitted taps follow nothing, but they must not boost
    // there: a cut stays at most unity, a boost at most 6 dB (and a little for the blend) over its
    // level at that top.
    for (float fs : kAllAirRates)
        for (float gain = -15.0f; gain <= 15.0f; gain += 0.5f) {
            BandFilter band;
            band.setSampleRate(fs);
            BandResponse::design(band, {kAir, gain, 0.0f, BandKind::kBell});
            // Below 44.1 kHz the points above the top are audible still, and the 44.1 kHz band goes
            // on rising there: the ceiling follows it.
            BandFilter base;
            BandResponse::design(base, {kAir, gain, 0.0f, BandKind::kBell});
            double over = -200.0;
            for (double f = airTop(fs); f < 0.49 * fs; f += 100.0) {
                const double level = BandResponse::magnitudeDb(fs < 44100.0f ? base : band, fs < 44100.0f ? f : airTop(fs));
                over = std::max(over, BandResponse::magnitudeDb(band, f) - std::max(level + 6.5, 0.5));
            }
            // At 22.05 and 24 kHz the strongest boosts (13 to 15 dB) cannot follow below 0.45 fs and
            // stay under that ceiling too; they pass it by up to 3 dB in the last 5 % below half the rate.
            EXPECT_LT(over, fs < 44100.0f && gain >= 13.0f ? 3.5 : 0.0) << gain << " dB at " << fs;
        }
}

TEST(AirBand, FittedRowsAreWellFormed) {
    // A regenerated tap table must keep what the band's lookup relies on: ascending gains, lengths
    // the correction can run, unused taps zero, and no taps at all at 0 dB (a transparent band).
    for (size_t r = 0; r < T::kFittedAirRates.size(); ++r) {
        const T::AirTaps& fitted = *T::builtIn().airTaps[r];
        EXPECT_EQ(fitted.rate, T::kFittedAirRates[r]);
        ASSERT_GT(fitted.count, 1);
        for (int i = 0; i < fitted.count; ++i) {
            const T::AirTapRow& row = fitted.rows[i];
            if (i > 0) {
                EXPECT_GT(row.gain, fitted.rows[i - 1].gain);
            }
            EXPECT_GE(row.length, 0);
            EXPECT_LE(row.length, T::kMaxCorrectionLength);
            for (int k = std::max(row.length, 0); k < T::kMaxCorrectionLength; ++k) EXPECT_EQ(row.taps[static_cast<size_t>(k)], 0.0f);
            if (row.gain == 0.0f) {
                EXPECT_EQ(row.length, 0);
            }
        }
        EXPECT_LE(fitted.rows[0].gain, -15.0f);
        EXPECT_GE(fitted.rows[fitted.count - 1].gain, 15.0f);
    }
}

TEST(CorrectionResponse, TheMeasuredBandIsTheComputedOne) {
    // The engine's impulse response against the response computed from the band's coefficients
    // and taps (what the fidelity report and the optimiser read).
    const Measure::Band air{7, BandKind::kBell, kAir, 8.0f, 0.0f};
    const auto h = Measure::impulseResponse(44100.0f, {air}, 4096);
    BandFilter band;
    BandResponse::design(band, {kAir, 8.0f, 0.0f, BandKind::kBell});
    for (double f : {100.0, 3000.0, 12000.0, 19000.0})
        EXPECT_NEAR(Measure::magnitudeDb(h, f, 44100.0), BandResponse::magnitudeDb(band, f), 0.01) << f;
    // No latency: the Air band's impulse response is largest at its first sample.
    const auto peak = std::max_element(h.begin(), h.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    EXPECT_EQ(peak - h.begin(), 0);
}

TEST(CorrectionResponse, ACorrectedBellKeepsTheAnalogGroupDelay) {
    // A bell at 15 kHz with a correction: the group delay stays that of the analog model within a
    // fraction of a sample where the bell acts.
    const UniformBell tables(24);
    BandFilter band;
    band.setCorrectionTables(&tables.set);
    const float f0 = 15000.0f, q = 1.0f, gain = 9.0f;
    BandResponse::design(band, {f0, gain, q, BandKind::kBell});
    ASSERT_EQ(band.correctionInUse(), 24);
    for (double f : {5000.0, 10000.0, 14000.0}) {
        const double delayAnalog = AnalogModel::groupDelay(BandKind::kBell, f0, q, gain, f) * 44100.0;
        const double delayBand = BandResponse::groupDelay(band, f);
        EXPECT_NEAR(delayBand, delayAnalog, 0.25) << f;
    }
}

TEST(CorrectionResponse, AFirstOrderHighPassBlocksDcAndFollowsItsSlope) {
    // The windowed difference leaves part of the section's slow tail uncancelled; left alone the
    // corrected band passed DC at -30 to -50 dB, 20 to 60 dB above the analog response at 1 Hz.
    // Through the engine the impulse response sums to nothing, and well below the cut-off the band
    // follows the analog 6 dB per octave (within the cells' output gains), up to the knob's top.
    for (float fs : {44100.0f, 96000.0f})
        for (float fc : {1000.0f, 2000.0f, 3500.0f, 8000.0f, 10000.0f}) {
            BandFilter band;
            band.setSampleRate(fs);
            BandResponse::design(band, {fc, 0.0f, 0.7f, BandKind::kHighPass6});
            if (fc * 44100.0f / fs >= 1000.0f) {
                ASSERT_GT(band.correctionInUse(), 0) << fs << " " << fc;
            }
            const auto h = Measure::impulseResponse(fs, {{2, BandKind::kHighPass6, fc, 0.0f, 0.7f}}, 8192);
            double dc = 0.0;
            for (float v : h) dc += v;
            EXPECT_LT(std::fabs(dc), 3e-5) << fs << " " << fc;
            for (double f : {fc / 64.0, fc / 16.0}) {
                const double analog = AnalogModel::magnitudeDb(BandKind::kHighPass6, fc, 0.7f, 0.0f, f);
                EXPECT_NEAR(BandResponse::magnitudeDb(band, f), analog, 0.75) << fs << " " << fc << " at " << f;
            }
        }
}

// The largest second difference of the band's contribution (output minus input): a step shows as a
// spike, while a 200 Hz sine of amplitude a curves by at most a (2 pi 200 / 44100)^2 = 0.0008 a.
namespace {
float largestKink(const std::vector<float>& y, const std::vector<float>& x) {
    float worst = 0.0f;
    for (size_t i = 2000; i < y.size(); ++i) {
        const float d0 = y[i] - x[i], d1 = y[i - 1] - x[i - 1], d2 = y[i - 2] - x[i - 2];
        worst = std::max(worst, std::fabs(d0 - 2.0f * d1 + d2));
    }
    return worst;
}

}  // namespace

TEST(CorrectionCrossFade, AutomationAcrossCellsMakesNoClick) {
    // A slow sine through a bell at 14 kHz whose gain sweeps across every gain cell, new tap sets
    // following each other (each cell places its kernel differently): the band's contribution
    // moves smoothly.
    UniformBell tables(24);
    for (size_t i = 0; i < tables.bell.size(); ++i) tables.bell[i].kernelPhase = 0.45f + 0.1f * static_cast<float>(i % 31) / 30.0f;
    BandFilter band;
    band.setCorrectionTables(&tables.set);
    const int n = 44100;
    std::vector<float> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) x[static_cast<size_t>(i)] = 0.5f * static_cast<float>(std::sin(2 * 3.14159265358979 * 200.0 * i / 44100.0));
    const auto gainAt = [&](size_t i) { return -15.0f + 30.0f * static_cast<float>(i) / n; };
    const auto y = run(band, x, 32, [&](size_t i) {
        return BandValues{14000.0f, bellGainForQ(gainAt(i), 1.0f), 1.0f, BandKind::kBell};
    });
    EXPECT_GT(band.correctionInUse(), 0);
    EXPECT_LT(largestKink(y, x), 0.001f);

    // The Air band swept through 0 dB (a correction dropped and taken up again) likewise, at 96 kHz
    // across its fitted rows as well.
    BandFilter air;
    const auto z = run(air, x, 44, [&](size_t i) { return BandValues{kAir, gainAt(i) / 3.0f, 0.0f, BandKind::kBell}; });
    EXPECT_LT(largestKink(z, x), 0.001f);
    BandFilter air96;
    air96.setSampleRate(96000.0f);
    const auto w = run(air96, x, 44, [&](size_t i) { return BandValues{kAir, gainAt(i), 0.0f, BandKind::kBell}; });
    EXPECT_LT(largestKink(w, x), 0.001f);
}
