#include "dsp/section_kernels.h"

#include "dsp/fused_section_output.h"
#include "dsp/section_arithmetic.h"

#include <utility>

// Every build targets x86 with at least SSE2 (the 32-bit one is built with -msse2).
#include <emmintrin.h>
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TOVIN_SECTIONS_AVX 1
#include <immintrin.h>
#else
#define TOVIN_SECTIONS_AVX 0
#endif

namespace {

bool processorFuses() {
#if TOVIN_SECTIONS_AVX
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}
// Chosen once when the module loads, before any audio runs.
const bool kFused = processorFuses();

}  // namespace

bool SectionArithmetic::fused() { return kFused; }

namespace SectionKernels {
namespace {

template <class F, int... I>
[[gnu::always_inline]] inline void unrolled(F&& f, std::integer_sequence<int, I...>) {
    (f(std::integral_constant<int, I>{}), ...);
}

// One frame (left, right) as two floats in the low half of a register; the integer loads and
// stores are the ones that may touch float memory.
[[gnu::always_inline]] inline __m128 loadFrame(const float* p) {
    return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}
[[gnu::always_inline]] inline void storeFrame(float* p, __m128 v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(v));
}
[[gnu::always_inline]] inline void storeFirst(float* first, __m128 v) {
    first[0] = _mm_cvtss_f32(v);
    first[1] = _mm_cvtss_f32(_mm_shuffle_ps(v, v, 1));
}

// Steps 0 .. n + lag - 1 of a pipeline whose stage s works s stride frames behind the first (lag for
// the last): the steps on which every stage's frame lies inside the run go to the fast step, the
// filling and the draining to the checked one. Stage s's output at a mark is what it left in the
// frames after step mark + s stride, before the next stage reads it: it is taken there, between
// steps, so that no step looks for marks. The marks are further apart than the lag, so those
// moments come in order of mark, then stage.
// Defined once for each processor target (a step compiled for one cannot be inlined into the other).
#define TOVIN_RUN_STEPS(NAME, ATTRIBUTES)                                                              \
    template <class Step>                                                                              \
    [[gnu::always_inline]] ATTRIBUTES inline void NAME(Step& step, int n, int stride, int stages, const Marks& marks, \
                                                       const float* frames, Firsts* first) {           \
        const int lag = stride * (stages - 1);                                                         \
        int t = 0;                                                                                     \
        const auto stepTo = [&](int end) __attribute__((always_inline)) ATTRIBUTES {                   \
            while (t < end) {                                                                          \
                if (t <= lag || t >= n) {                                                              \
                    step(std::false_type{}, t);                                                        \
                    ++t;                                                                               \
                    continue;                                                                          \
                }                                                                                      \
                const int stop = end < n ? end : n;                                                    \
                for (; t < stop; ++t) step(std::true_type{}, t);                                       \
            }                                                                                          \
        };                                                                                             \
        for (int m = 0; m < marks.count; ++m) {                                                        \
            const int f = marks.frame(m);                                                              \
            for (int s = 0; s < stages; ++s) {                                                         \
                stepTo(f + s * stride + 1);                                                            \
                first[s][m][0] = frames[2 * f];                                                        \
                first[s][m][1] = frames[2 * f + 1];                                                    \
            }                                                                                          \
        }                                                                                              \
        stepTo(n + lag);                                                                               \
    }
TOVIN_RUN_STEPS(runSteps, )

// One section's output for both channels in the separate form of SectionArithmetic.
[[gnu::always_inline]] inline __m128d separateOutput(__m128d b0, __m128d b1, __m128d b2, __m128d a1, __m128d a2, __m128d x,
                                                     __m128d x1, __m128d x2, __m128d y1, __m128d y2) {
    return _mm_sub_pd(
        _mm_sub_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1)), _mm_mul_pd(b2, x2)), _mm_mul_pd(a2, y2)),
        _mm_mul_pd(a1, y1));
}

// Stages that fit in the 16 vector registers of x86-64 with their states and the sums.
constexpr int kPortableGroup = 3;

// G consecutive stages, stage s working on frame t - s at time step t.
template <int G>
void portableGroup(Stage* st, float* frames, int n, const Marks& marks, Firsts* first, float* lastInputs) {
    using Stages = std::make_integer_sequence<int, G>;
    __m128d b0[G], b1[G], b2[G], a1[G], a2[G], x1[G], x2[G], y1[G], y2[G];
    __m128 gain[G];
    unrolled(
        [&](auto s) {
            b0[s] = _mm_loadu_pd(st[s].b0), b1[s] = _mm_loadu_pd(st[s].b1), b2[s] = _mm_loadu_pd(st[s].b2);
            a1[s] = _mm_loadu_pd(st[s].a1), a2[s] = _mm_loadu_pd(st[s].a2);
            x1[s] = _mm_loadu_pd(st[s].x1), x2[s] = _mm_loadu_pd(st[s].x2);
            y1[s] = _mm_loadu_pd(st[s].y1), y2[s] = _mm_loadu_pd(st[s].y2);
            gain[s] = _mm_setr_ps(st[s].gain[0], st[s].gain[1], 1.0f, 1.0f);
        },
        Stages{});
    // With All every stage is inside the block.
    const auto step = [&](auto all, int t) __attribute__((always_inline)) {
        unrolled(
            [&](auto s) __attribute__((always_inline)) {
                const int i = t - s;
                if (!all && (i < 0 || i >= n)) return;
                float* p = frames + 2 * i;
                const __m128 in = loadFrame(p);
                if constexpr (s == G - 1)
                    if (lastInputs != nullptr) storeFrame(lastInputs + 2 * i, in);
                const __m128d x = _mm_cvtps_pd(in);
                const __m128d y = separateOutput(b0[s], b1[s], b2[s], a1[s], a2[s], x, x1[s], x2[s], y1[s], y2[s]);
                x2[s] = x1[s];
                x1[s] = x;
                y2[s] = y1[s];
                y1[s] = y;
                const __m128 out = _mm_mul_ps(_mm_cvtpd_ps(y), gain[s]);
                storeFrame(p, out);
            },
            Stages{});
    };
    runSteps(step, n, 1, G, marks, frames, first);
    unrolled(
        [&](auto s) {
            _mm_storeu_pd(st[s].x1, x1[s]), _mm_storeu_pd(st[s].x2, x2[s]);
            _mm_storeu_pd(st[s].y1, y1[s]), _mm_storeu_pd(st[s].y2, y2[s]);
        },
        Stages{});
}

}  // namespace

namespace Portable {
void runPortable(Stage* stages, int count, float* frames, int n, const Marks& marks, Firsts* first, float* lastInputs) {
    for (int s = 0; n > 0 && s < count; s += kPortableGroup) {
        const int g = count - s < kPortableGroup ? count - s : kPortableGroup;
        float* inputs = s + g == count ? lastInputs : nullptr;
        switch (g) {
        case 1: portableGroup<1>(stages + s, frames, n, marks, first + s, inputs); break;
        case 2: portableGroup<2>(stages + s, frames, n, marks, first + s, inputs); break;
        default: portableGroup<3>(stages + s, frames, n, marks, first + s, inputs); break;
        }
    }
}

void runPortable(Stage* stages, int count, float* frames, int n, float (*first)[2], float* lastInputs) {
    Firsts firsts[kMaxStages];
    runPortable(stages, count, frames, n, Marks{}, firsts, lastInputs);
    for (int s = 0; n > 0 && s < count; ++s) first[s][0] = firsts[s][0][0], first[s][1] = firsts[s][0][1];
}
}  // namespace Portable

#if TOVIN_SECTIONS_AVX
namespace {

// The fused arithmetic: two sections per 256-bit register, stage s working on frame t - s lag at step t: each
// stage takes its input from memory lag steps after the stage before wrote it, so that no
// register's recursion waits on the pass between sections, and a register only ever feeds the
// ones after it.
// The most stages in a group: two 256-bit registers of two stages each.
constexpr int kWideGroup = 4;
// The lag covers the pass from one stage's output to the next one's (three multiply-adds deep, and
// the conversions): fewer steps where a group has more stages and each step takes longer (measured
// with tovin_section_kernels_bench over 64 to 704 frames). Indexed by the group's stages.
constexpr int kLaneLagForGroup[kWideGroup + 1] = {0, 6, 6, 5, 4};
constexpr bool marksInOrder() {
    for (int g = 1; g <= kWideGroup; ++g)
        if (g * kLaneLagForGroup[g] >= kSubBlock) return false;
    return true;
}
static_assert(marksInOrder(), "a group's marks are taken in order");

using Wide = __m256d;
using Narrow = __m128d;

[[gnu::always_inline, gnu::target("avx2,fma")]] inline Wide mul(Wide a, Wide b) { return _mm256_mul_pd(a, b); }
[[gnu::always_inline, gnu::target("avx2,fma")]] inline Wide fmadd(Wide a, Wide b, Wide c) { return _mm256_fmadd_pd(a, b, c); }
[[gnu::always_inline, gnu::target("avx2,fma")]] inline Wide fnmadd(Wide a, Wide b, Wide c) { return _mm256_fnmadd_pd(a, b, c); }
[[gnu::always_inline]] inline Narrow mul(Narrow a, Narrow b) { return _mm_mul_pd(a, b); }
[[gnu::always_inline, gnu::target("avx2,fma")]] inline Narrow fmadd(Narrow a, Narrow b, Narrow c) { return _mm_fmadd_pd(a, b, c); }
[[gnu::always_inline, gnu::target("avx2,fma")]] inline Narrow fnmadd(Narrow a, Narrow b, Narrow c) { return _mm_fnmadd_pd(a, b, c); }

// One register's sections: coefficients, states and the float outputs' gains.
#define TOVIN_SECTIONS_MEMBERS(V)                                                                              \
    V b0, b1, b2, a1, a2, x1, x2, y1, y2;                                                                      \
    __m128 gain;                                                                                               \
    /* The fused form of SectionArithmetic. */                                                               \
    [[gnu::always_inline, gnu::target("avx2,fma")]] inline V output(V x) const {                               \
        return fnmadd(a1, y1, fnmadd(a2, y2, fmadd(b0, x, fmadd(b1, x1, mul(b2, x2)))));                       \
    }                                                                                                          \
    [[gnu::always_inline, gnu::target("avx2,fma")]] inline void advance(V x, V y) {                                 \
        x2 = x1;                                                                                               \
        x1 = x;                                                                                                \
        y2 = y1;                                                                                               \
        y1 = y;                                                                                                \
    }
struct WideSections {
    TOVIN_SECTIONS_MEMBERS(Wide)
};
struct NarrowSections {
    TOVIN_SECTIONS_MEMBERS(Narrow)
};
#undef TOVIN_SECTIONS_MEMBERS

template <class F, int... I>
[[gnu::always_inline, gnu::target("avx2,fma")]] inline void unrolledWide(F&& f, std::integer_sequence<int, I...>) {
    (f(std::integral_constant<int, I>{}), ...);
}

[[gnu::always_inline, gnu::target("avx2,fma")]] inline Wide join(const double* low, const double* high) {
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(low)), _mm_loadu_pd(high), 1);
}
[[gnu::always_inline, gnu::target("avx2,fma")]] inline void split(Wide v, double* low, double* high) {
    _mm_storeu_pd(low, _mm256_castpd256_pd128(v));
    _mm_storeu_pd(high, _mm256_extractf128_pd(v, 1));
}

[[gnu::always_inline, gnu::target("avx2,fma")]] inline void load(WideSections& w, const Stage& lo, const Stage& hi) {
    w.b0 = join(lo.b0, hi.b0), w.b1 = join(lo.b1, hi.b1), w.b2 = join(lo.b2, hi.b2);
    w.a1 = join(lo.a1, hi.a1), w.a2 = join(lo.a2, hi.a2);
    w.x1 = join(lo.x1, hi.x1), w.x2 = join(lo.x2, hi.x2), w.y1 = join(lo.y1, hi.y1), w.y2 = join(lo.y2, hi.y2);
    w.gain = _mm_setr_ps(lo.gain[0], lo.gain[1], hi.gain[0], hi.gain[1]);
}
[[gnu::always_inline, gnu::target("avx2,fma")]] inline void store(const WideSections& w, Stage& lo, Stage& hi) {
    split(w.x1, lo.x1, hi.x1), split(w.x2, lo.x2, hi.x2), split(w.y1, lo.y1, hi.y1), split(w.y2, lo.y2, hi.y2);
}
[[gnu::always_inline]] inline void load(NarrowSections& w, const Stage& s) {
    w.b0 = _mm_loadu_pd(s.b0), w.b1 = _mm_loadu_pd(s.b1), w.b2 = _mm_loadu_pd(s.b2);
    w.a1 = _mm_loadu_pd(s.a1), w.a2 = _mm_loadu_pd(s.a2);
    w.x1 = _mm_loadu_pd(s.x1), w.x2 = _mm_loadu_pd(s.x2), w.y1 = _mm_loadu_pd(s.y1), w.y2 = _mm_loadu_pd(s.y2);
    w.gain = _mm_setr_ps(s.gain[0], s.gain[1], 1.0f, 1.0f);
}
[[gnu::always_inline]] inline void store(const NarrowSections& w, Stage& s) {
    _mm_storeu_pd(s.x1, w.x1), _mm_storeu_pd(s.x2, w.x2), _mm_storeu_pd(s.y1, w.y1), _mm_storeu_pd(s.y2, w.y2);
}

TOVIN_RUN_STEPS(runWideSteps, __attribute__((target("avx2,fma"))))
#undef TOVIN_RUN_STEPS

// G stages (1 to 4): stages 2v and 2v + 1 in register v; with an odd G the last stage has a 128-bit
// register of its own. Unscaled: every gain is 1, and a product by 1 would change nothing.
template <int G, bool Scaled>
__attribute__((target("avx2,fma"))) void wideGroup(Stage* st, float* frames, int n, const Marks& marks, Firsts* first,
                                                   float* lastInputs) {
    constexpr int W = G / 2;  // registers with two stages
    constexpr bool narrowLast = G % 2 != 0;
    constexpr int lag = kLaneLagForGroup[G];
    constexpr int lastLag = (G - 1) * lag;
    using Wides = std::make_integer_sequence<int, W>;
    WideSections wide[W > 0 ? W : 1];
    NarrowSections narrow;
    unrolledWide([&](auto v) __attribute__((always_inline, target("avx2,fma"))) { load(wide[v], st[2 * v], st[2 * v + 1]); }, Wides{});
    if constexpr (narrowLast) load(narrow, st[G - 1]);

    const __m256d lowLanes = _mm256_castsi256_pd(_mm256_setr_epi64x(-1, -1, 0, 0));
    const __m256d highLanes = _mm256_castsi256_pd(_mm256_setr_epi64x(0, 0, -1, -1));
    const auto inside = [n](int i) { return i >= 0 && i < n; };
    const auto step = [&](auto all, int t) __attribute__((always_inline, target("avx2,fma"))) {
        unrolledWide(
            [&](auto v) __attribute__((always_inline, target("avx2,fma"))) {
                const int lo = t - 2 * v * lag, hi = lo - lag;
                const bool loIn = all || inside(lo), hiIn = all || inside(hi);
                if (!all && !loIn && !hiIn) return;
                // Outside lanes read a frame inside and keep their states.
                float* pLo = frames + 2 * (loIn ? lo : hi);
                float* pHi = frames + 2 * (hiIn ? hi : lo);
                const __m128 in = _mm_castsi128_ps(_mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pLo)),
                                                                      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pHi))));
                if constexpr (!narrowLast && v == W - 1)
                    if (lastInputs != nullptr && hiIn) storeFrame(lastInputs + 2 * hi, _mm_movehl_ps(in, in));
                WideSections& w = wide[v];
                const Wide x = _mm256_cvtps_pd(in);
                const Wide y = w.output(x);
                if (all || (loIn && hiIn)) {
                    w.advance(x, y);
                } else {
                    const Wide keep = loIn ? lowLanes : highLanes;
                    w.x2 = _mm256_blendv_pd(w.x2, w.x1, keep);
                    w.x1 = _mm256_blendv_pd(w.x1, x, keep);
                    w.y2 = _mm256_blendv_pd(w.y2, w.y1, keep);
                    w.y1 = _mm256_blendv_pd(w.y1, y, keep);
                }
                const __m128 out = Scaled ? _mm_mul_ps(_mm256_cvtpd_ps(y), w.gain) : _mm256_cvtpd_ps(y);
                const __m128 outHigh = _mm_movehl_ps(out, out);
                if (loIn) storeFrame(pLo, out);
                if (hiIn) storeFrame(pHi, outHigh);
            },
            Wides{});
        if constexpr (narrowLast) {
            const int i = t - lastLag;
            if (!all && !inside(i)) return;
            float* p = frames + 2 * i;
            const __m128 in = loadFrame(p);
            if (lastInputs != nullptr) storeFrame(lastInputs + 2 * i, in);
            const Narrow x = _mm_cvtps_pd(in);
            const Narrow y = narrow.output(x);
            narrow.advance(x, y);
            const __m128 out = Scaled ? _mm_mul_ps(_mm_cvtpd_ps(y), narrow.gain) : _mm_cvtpd_ps(y);
            storeFrame(p, out);
        }
    };
    runWideSteps(step, n, lag, G, marks, frames, first);
    unrolledWide([&](auto v) __attribute__((always_inline, target("avx2,fma"))) { store(wide[v], st[2 * v], st[2 * v + 1]); }, Wides{});
    if constexpr (narrowLast) store(narrow, st[G - 1]);
}

bool scaled(const Stage* stages, int count) {
    for (int s = 0; s < count; ++s)
        if (stages[s].gain[0] != 1.0f || stages[s].gain[1] != 1.0f) return true;
    return false;
}

template <bool Scaled>
void runGroup(int g, Stage* st, float* frames, int n, const Marks& marks, Firsts* first, float* inputs) {
    switch (g) {
    case 1: wideGroup<1, Scaled>(st, frames, n, marks, first, inputs); break;
    case 2: wideGroup<2, Scaled>(st, frames, n, marks, first, inputs); break;
    case 3: wideGroup<3, Scaled>(st, frames, n, marks, first, inputs); break;
    default: wideGroup<4, Scaled>(st, frames, n, marks, first, inputs); break;
    }
}

// Shorter pieces spend too many steps filling and draining the lag: one stage at a time is faster there.
constexpr int kWideFrames = 12;
// Pieces up to a sub-block choose their groups as though every group had this lag (measured: with
// their own lags, the larger groups they would take are slower over 16 and 28 frames).
constexpr int kShortPieceLag = 6;

void runWide(Stage* stages, int count, float* frames, int n, const Marks& marks, Firsts* first, float* lastInputs) {
    // A group's pipeline fills and drains over its lag: short pieces take smaller groups, whose lag
    // is at most half the piece.
    int most = n < kWideFrames ? 1 : kWideGroup;
    while (most > 1 && (most - 1) * kShortPieceLag > n / 2) --most;
    for (int s = 0; n > 0 && s < count;) {
        // Groups as even as they can be: a stage or two left on their own would wait on their
        // recursions with little to overlap them (measured: 3 + 2 beats 4 + 1 and 5, 3 + 3 beats 4 + 2).
        const int left = count - s, groups = (left + most - 1) / most;
        const int g = (left + groups - 1) / groups;
        float* inputs = s + g == count ? lastInputs : nullptr;
        if (scaled(stages + s, g)) runGroup<true>(g, stages + s, frames, n, marks, first + s, inputs);
        else runGroup<false>(g, stages + s, frames, n, marks, first + s, inputs);
        s += g;
    }
}

}  // namespace
#endif

[[gnu::always_inline]] inline void copyPair(const float* left, const float* right, float* toLeft, float* toRight, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        _mm_storeu_ps(toLeft + i, _mm_loadu_ps(left + i));
        _mm_storeu_ps(toRight + i, _mm_loadu_ps(right + i));
    }
    for (; i < n; ++i) toLeft[i] = left[i], toRight[i] = right[i];
}

// One stage over separate channel buffers, in each form of the arithmetic.
#define TOVIN_SINGLE_STAGE(NAME, ATTRIBUTES, OUTPUT)                                                                    \
    ATTRIBUTES void NAME(Stage& st, float* left, float* right, int n, const Marks& marks, Firsts& first, float* inputLeft, \
                         float* inputRight) {                                                                   \
        const __m128d b0 = _mm_loadu_pd(st.b0), b1 = _mm_loadu_pd(st.b1), b2 = _mm_loadu_pd(st.b2);                     \
        const __m128d a1 = _mm_loadu_pd(st.a1), a2 = _mm_loadu_pd(st.a2);                                               \
        __m128d x1 = _mm_loadu_pd(st.x1), x2 = _mm_loadu_pd(st.x2), y1 = _mm_loadu_pd(st.y1), y2 = _mm_loadu_pd(st.y2); \
        const __m128 gain = _mm_setr_ps(st.gain[0], st.gain[1], 1.0f, 1.0f);                                           \
        /* The inputs kept in whole vectors before any is overwritten: the taps read them back in vectors, */        \
        /* which a run of single-float stores would hold up. */                                                        \
        if (inputLeft != nullptr && inputRight != nullptr) copyPair(left, right, inputLeft, inputRight, n);            \
        /* One sample of both channels: in holds the pair in its low half. */                                        \
        const auto sample = [&](__m128 in) __attribute__((always_inline)) ATTRIBUTES {                                  \
            const __m128d x = _mm_cvtps_pd(in);                                                                         \
            const __m128d y = OUTPUT(b0, b1, b2, a1, a2, x, x1, x2, y1, y2);                                            \
            x2 = x1, x1 = x, y2 = y1, y1 = y;                                                                           \
            return _mm_mul_ps(_mm_cvtpd_ps(y), gain);                                                                   \
        };                                                                                                              \
        /* Four at a time, read and written in whole vectors (the taps that follow read them so). */                  \
        int i = 0, mark = 0;                                                                                            \
        for (; i + 4 <= n; i += 4) {                                                                                    \
            const __m128 l = _mm_loadu_ps(left + i), r = _mm_loadu_ps(right + i);                                       \
            const __m128 low = _mm_unpacklo_ps(l, r), high = _mm_unpackhi_ps(l, r);                                     \
            const __m128 o0 = sample(low), o1 = sample(_mm_movehl_ps(low, low));                                        \
            const __m128 o2 = sample(high), o3 = sample(_mm_movehl_ps(high, high));                                     \
            const __m128 p = _mm_movelh_ps(o0, o1), q = _mm_movelh_ps(o2, o3);                                          \
            _mm_storeu_ps(left + i, _mm_shuffle_ps(p, q, _MM_SHUFFLE(2, 0, 2, 0)));                                     \
            _mm_storeu_ps(right + i, _mm_shuffle_ps(p, q, _MM_SHUFFLE(3, 1, 3, 1)));                                    \
            for (; marks.frame(mark) < i + 4; ++mark) {                                                                 \
                const int k = marks.frame(mark) - i;                                                                    \
                storeFirst(first[mark], k == 0 ? o0 : k == 1 ? o1 : k == 2 ? o2 : o3);                                 \
            }                                                                                                           \
        }                                                                                                               \
        for (; i < n; ++i) {                                                                                            \
            const __m128 out = sample(_mm_unpacklo_ps(_mm_load_ss(left + i), _mm_load_ss(right + i)));                  \
            _mm_store_ss(left + i, out);                                                                                \
            _mm_store_ss(right + i, _mm_shuffle_ps(out, out, 1));                                                       \
            if (marks.frame(mark) == i) storeFirst(first[mark++], out);                                                 \
        }                                                                                                               \
        _mm_storeu_pd(st.x1, x1), _mm_storeu_pd(st.x2, x2), _mm_storeu_pd(st.y1, y1), _mm_storeu_pd(st.y2, y2);         \
    }

namespace {
TOVIN_SINGLE_STAGE(runSinglePortable, , separateOutput)
#if TOVIN_SECTIONS_AVX
TOVIN_SINGLE_STAGE(runSingleFused, __attribute__((target("avx2,fma"))), fusedOutput)
#endif
}  // namespace
#undef TOVIN_SINGLE_STAGE

namespace {
using Run = void (*)(Stage*, int, float*, int, const Marks&, Firsts*, float*);
using Single = void (*)(Stage&, float*, float*, int, const Marks&, Firsts&, float*, float*);

struct Kernels {
    Run run = Portable::runPortable;
    Single single = runSinglePortable;
    Kernels() {
#if TOVIN_SECTIONS_AVX
        if (kFused) run = runWide, single = runSingleFused;
#endif
    }
};
// Chosen once when the module loads, before any audio runs.
const Kernels kernels;
}  // namespace

void run(Stage* stages, int count, float* frames, int n, const Marks& marks, Firsts* first, float* lastInputs) {
    kernels.run(stages, count, frames, n, marks, first, lastInputs);
}

void run(Stage* stages, int count, float* frames, int n, float (*first)[2], float* lastInputs) {
    Firsts firsts[kMaxStages];
    kernels.run(stages, count, frames, n, Marks{}, firsts, lastInputs);
    for (int s = 0; n > 0 && s < count; ++s) first[s][0] = firsts[s][0][0], first[s][1] = firsts[s][0][1];
}

void runSingle(Stage& st, float* left, float* right, int n, const Marks& marks, Firsts& first, float* inputLeft,
               float* inputRight) {
    kernels.single(st, left, right, n, marks, first, inputLeft, inputRight);
}

void guard(Stage* stages, int count, double limit, double tiny, bool (*inRange)[2]) {
    const __m128d sign = _mm_set1_pd(-0.0), limits = _mm_set1_pd(limit), tinies = _mm_set1_pd(tiny);
    for (int s = 0; s < count; ++s) {
        Stage& st = stages[s];
        const __m128d x1 = _mm_loadu_pd(st.x1), x2 = _mm_loadu_pd(st.x2), y1 = _mm_loadu_pd(st.y1), y2 = _mm_loadu_pd(st.y2);
        const __m128d mx1 = _mm_andnot_pd(sign, x1), mx2 = _mm_andnot_pd(sign, x2);
        const __m128d my1 = _mm_andnot_pd(sign, y1), my2 = _mm_andnot_pd(sign, y2);
        // ((|x1| + |x2|) + |y1|) + |y2|, as BiquadSection sums them.
        const __m128d sum = _mm_add_pd(_mm_add_pd(_mm_add_pd(mx1, mx2), my1), my2);
        const int below = _mm_movemask_pd(_mm_cmplt_pd(sum, limits));
        inRange[s][0] = (below & 1) != 0;
        inRange[s][1] = (below & 2) != 0;
        _mm_storeu_pd(st.x1, _mm_andnot_pd(_mm_cmplt_pd(mx1, tinies), x1));
        _mm_storeu_pd(st.x2, _mm_andnot_pd(_mm_cmplt_pd(mx2, tinies), x2));
        _mm_storeu_pd(st.y1, _mm_andnot_pd(_mm_cmplt_pd(my1, tinies), y1));
        _mm_storeu_pd(st.y2, _mm_andnot_pd(_mm_cmplt_pd(my2, tinies), y2));
    }
}

void interleave(const float* left, const float* right, float* frames, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 l = _mm_loadu_ps(left + i), r = _mm_loadu_ps(right + i);
        _mm_storeu_ps(frames + 2 * i, _mm_unpacklo_ps(l, r));
        _mm_storeu_ps(frames + 2 * i + 4, _mm_unpackhi_ps(l, r));
    }
    for (; i < n; ++i) {
        frames[2 * i] = left[i];
        frames[2 * i + 1] = right[i];
    }
}

// The kernels write one frame at a time: reading the frames back one at a time lets each come
// straight from its store.
[[gnu::always_inline]] inline __m128 loadTwoFrames(const float* p) {
    return _mm_castpd_ps(_mm_loadh_pd(_mm_load_sd(reinterpret_cast<const double*>(p)), reinterpret_cast<const double*>(p + 2)));
}

void deinterleave(const float* frames, float* left, float* right, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 a = loadTwoFrames(frames + 2 * i), b = loadTwoFrames(frames + 2 * i + 4);
        _mm_storeu_ps(left + i, _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(right + i, _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
    }
    for (; i < n; ++i) {
        left[i] = frames[2 * i];
        right[i] = frames[2 * i + 1];
    }
}

bool usesWideVectors() { return kernels.run != static_cast<Run>(Portable::runPortable); }

}  // namespace SectionKernels
