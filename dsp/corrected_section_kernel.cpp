#include "dsp/corrected_section_kernel.h"

#include "dsp/correction_fir.h"
#include "dsp/correction_tables.h"
#include "dsp/fused_section_output.h"
#include "dsp/section_arithmetic.h"

#include <array>
#include <cassert>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TOVIN_CORRECTED_AVX 1
#include <immintrin.h>
#else
#define TOVIN_CORRECTED_AVX 0
#endif

namespace CorrectedSectionKernel {
namespace {

// The section runs a chunk while the taps sum the chunk before it, on two sums of eight per channel.
// Both share the multiply-add units, which the section alone leaves mostly idle; a longer chunk
// holds more work than the processor can look ahead over, a shorter one leaves the sums waiting on
// their own chains.
constexpr int kChunk = 16;
// The section's steps over a chunk go four frames at a time; a share of the taps follows each.
constexpr int kParts = kChunk / 4;

#if TOVIN_CORRECTED_AVX
using SectionKernels::Stage;

// The section wrote its outputs four at a time: read back in the same halves, they come straight
// from the stores.
[[gnu::always_inline, gnu::target("avx2,fma")]] inline __m256 loadHalves(const float* p) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(p)), _mm_loadu_ps(p + 4), 1);
}

[[gnu::always_inline]] inline void copyInputs(const float* from, float* to, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) _mm_storeu_ps(to + i, _mm_loadu_ps(from + i));
    for (; i < n; ++i) to[i] = from[i];
}

// The section's recursion for both channels, in registers for the length of a run.
struct Section {
    __m128d b0, b1, b2, a1, a2, x1, x2, y1, y2;

    [[gnu::always_inline, gnu::target("avx2,fma")]] inline __m128 sample(__m128 in) {
        const __m128d x = _mm_cvtps_pd(in);
        const __m128d y = SectionKernels::fusedOutput(b0, b1, b2, a1, a2, x, x1, x2, y1, y2);
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return _mm_cvtpd_ps(y);
    }

    // Frames i .. i + 3, read and written in whole vectors.
    [[gnu::always_inline, gnu::target("avx2,fma")]] inline void four(float* left, float* right, int i) {
        const __m128 l = _mm_loadu_ps(left + i), r = _mm_loadu_ps(right + i);
        const __m128 low = _mm_unpacklo_ps(l, r), high = _mm_unpackhi_ps(l, r);
        const __m128 o0 = sample(low), o1 = sample(_mm_movehl_ps(low, low));
        const __m128 o2 = sample(high), o3 = sample(_mm_movehl_ps(high, high));
        const __m128 p = _mm_movelh_ps(o0, o1), q = _mm_movelh_ps(o2, o3);
        _mm_storeu_ps(left + i, _mm_shuffle_ps(p, q, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(right + i, _mm_shuffle_ps(p, q, _MM_SHUFFLE(3, 1, 3, 1)));
    }

    [[gnu::always_inline, gnu::target("avx2,fma")]] inline void one(float* left, float* right, int i) {
        const __m128 out = sample(_mm_unpacklo_ps(_mm_load_ss(left + i), _mm_load_ss(right + i)));
        _mm_store_ss(left + i, out);
        _mm_store_ss(right + i, _mm_shuffle_ps(out, out, 1));
    }

    // Frames i .. end - 1 (at most four).
    [[gnu::always_inline, gnu::target("avx2,fma")]] inline void upTo(float* left, float* right, int i, int end) {
        if (i + 4 <= end) four(left, right, i);
        else
            for (; i < end; ++i) one(left, right, i);
    }
};

// One channel's sums over a chunk: out[i] = (out[i] + sum over j of c[j] x[i - j]) * gain, taps
// taken in order as CorrectionFir::accumulate takes them.
struct ChunkSums {
    __m256 low, high;
    const float* x;
    int tap = 0;

    [[gnu::always_inline, gnu::target("avx2,fma")]] inline void start(const float* out, const float* inputs) {
        low = loadHalves(out);
        high = loadHalves(out + 8);
        x = inputs;
        tap = 0;
    }
    [[gnu::always_inline, gnu::target("avx2,fma")]] inline void taps(const float* c, int end) {
        for (; tap < end; ++tap) {
            const __m256 k = _mm256_set1_ps(c[tap]);
            low = _mm256_fmadd_ps(k, _mm256_loadu_ps(x - tap), low);
            high = _mm256_fmadd_ps(k, _mm256_loadu_ps(x + 8 - tap), high);
        }
    }
    [[gnu::always_inline, gnu::target("avx2,fma")]] inline void store(float* out, float gain) const {
        const __m256 g = _mm256_set1_ps(gain);
        _mm256_storeu_ps(out, _mm256_mul_ps(low, g));
        _mm256_storeu_ps(out + 8, _mm256_mul_ps(high, g));
    }
};

// Both channels' taps first .. first + P - 1 over a chunk, unrolled: a loop of a few turns between
// the section's steps would cost a mispredicted exit each time.
template <int P>
[[gnu::always_inline, gnu::target("avx2,fma")]] inline void bothTaps(ChunkSums& sl, ChunkSums& sr, const float* cl,
                                                                    const float* cr, int first) {
#pragma GCC unroll 16
    for (int t = 0; t < P; ++t) {
        const int j = first + t;
        const __m256 kl = _mm256_set1_ps(cl[j]), kr = _mm256_set1_ps(cr[j]);
        sl.low = _mm256_fmadd_ps(kl, _mm256_loadu_ps(sl.x - j), sl.low);
        sl.high = _mm256_fmadd_ps(kl, _mm256_loadu_ps(sl.x + 8 - j), sl.high);
        sr.low = _mm256_fmadd_ps(kr, _mm256_loadu_ps(sr.x - j), sr.low);
        sr.high = _mm256_fmadd_ps(kr, _mm256_loadu_ps(sr.x + 8 - j), sr.high);
    }
}

// P: the taps both channels have, divided among the section's four steps over a chunk (the rest
// follow them).
template <int P>
__attribute__((target("avx2,fma"))) void runFused(Stage& st, float* left, float* right, int n, const Taps& tl, const Taps& tr) {
    // The inputs kept before any is overwritten, in whole vectors (the sums read them so).
    copyInputs(left, tl.history, n);
    copyInputs(right, tr.history, n);
    Section s{_mm_loadu_pd(st.b0), _mm_loadu_pd(st.b1), _mm_loadu_pd(st.b2), _mm_loadu_pd(st.a1), _mm_loadu_pd(st.a2),
              _mm_loadu_pd(st.x1), _mm_loadu_pd(st.x2), _mm_loadu_pd(st.y1), _mm_loadu_pd(st.y2)};
    ChunkSums sl, sr;
    int i = 0, done = 0;  // frames the section has run, frames the taps have finished
    bool pending = false;  // whether the frames done .. done + kChunk - 1 wait for their taps
    while (i < n) {
        const int m = n - i < kChunk ? n - i : kChunk;
        if (pending) {
            sl.start(left + done, tl.history + done);
            sr.start(right + done, tr.history + done);
#pragma GCC unroll 4
            for (int q = 0; q < kParts; ++q) {
                const int from = i + 4 * q, to = i + m < from + 4 ? i + m : from + 4;
                s.upTo(left, right, from, to);
                bothTaps<P>(sl, sr, tl.c, tr.c, P * q);
            }
            sl.tap = sr.tap = P * kParts;
            sl.taps(tl.c, tl.length);
            sr.taps(tr.c, tr.length);
            sl.store(left + done, tl.gain);
            sr.store(right + done, tr.gain);
            done += kChunk;
        } else {
            for (int f = i; f < i + m; f += 4) s.upTo(left, right, f, i + m < f + 4 ? i + m : f + 4);
        }
        i += m;
        // A whole chunk's taps go with the section's next one; a shorter last one's go on their own.
        pending = m == kChunk;
    }
    _mm_storeu_pd(st.x1, s.x1), _mm_storeu_pd(st.x2, s.x2), _mm_storeu_pd(st.y1, s.y1), _mm_storeu_pd(st.y2, s.y2);
    CorrectionFir::accumulate(tl.c, tl.length, tl.history + done, left + done, n - done, tl.gain);
    CorrectionFir::accumulate(tr.c, tr.length, tr.history + done, right + done, n - done, tr.gain);
}

using Fused = void (*)(Stage&, float*, float*, int, const Taps&, const Taps&);
template <int... P>
constexpr std::array<Fused, sizeof...(P)> fusedKernels(std::integer_sequence<int, P...>) {
    return {runFused<P>...};
}
// One for each share of the longest tap set.
constexpr int kMaxShare = CorrectionTables::kMaxCorrectionLength / kParts;
constexpr auto kFusedKernels = fusedKernels(std::make_integer_sequence<int, kMaxShare + 1>{});

void runFused(Stage& st, float* left, float* right, int n, const Taps& tl, const Taps& tr) {
    const int both = tl.length < tr.length ? tl.length : tr.length;
    const int share = both / kParts;
    assert(share <= kMaxShare);
    kFusedKernels[static_cast<size_t>(share < kMaxShare ? share : kMaxShare)](st, left, right, n, tl, tr);
}
#endif

// Whether the sections run their fused form and the taps their eight-wide sums: both modules chose
// when they loaded, before any audio runs.
bool interleaves() {
#if TOVIN_CORRECTED_AVX
    return SectionArithmetic::fused() && CorrectionFir::usesFusedVectors();
#else
    return false;
#endif
}

}  // namespace

bool pays(int n) { return n >= kShortestInterleaved && interleaves(); }

void run(SectionKernels::Stage& stage, float* left, float* right, int n, const Taps& leftTaps, const Taps& rightTaps) {
    assert(n <= SectionKernels::kMaxFrames);
#if TOVIN_CORRECTED_AVX
    if (interleaves()) {
        runFused(stage, left, right, n, leftTaps, rightTaps);
        return;
    }
#endif
    // The same work one part after the other.
    SectionKernels::Firsts firsts;
    SectionKernels::runSingle(stage, left, right, n, SectionKernels::Marks{}, firsts, leftTaps.history, rightTaps.history);
    CorrectionFir::accumulate(leftTaps.c, leftTaps.length, leftTaps.history, left, n, leftTaps.gain);
    CorrectionFir::accumulate(rightTaps.c, rightTaps.length, rightTaps.history, right, n, rightTaps.gain);
}

}  // namespace CorrectedSectionKernel
