#include "dsp/correction_fir.h"

#include <cmath>
#include <cstring>

// Processors with AVX2 and FMA run the correction FIR eight outputs at a time; others (and builds for
// other processors) use the portable vector code below.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TOVIN_FIR_AVX2 1
#include <immintrin.h>
#else
#define TOVIN_FIR_AVX2 0
#endif

namespace CorrectionFir {
namespace {
constexpr double kPi = BiquadMath::kPi;

// The fewest taps that match the slope near DC as well as the gain.
constexpr int kTapsForSlope = 8;

inline double flush(double v) { return std::fabs(v) < 1e-38 ? 0.0 : v; }

double blackman(double x) { return 0.42 - 0.5 * std::cos(2.0 * kPi * x) + 0.08 * std::cos(4.0 * kPi * x); }

// Four outputs at a time where the processor has vector registers; vectors only in local variables.
using Float4 = float __attribute__((vector_size(16)));

inline Float4 load(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
}  // namespace

void buildKernel(float* kernel, int length, float phase) {
    const double d = (2.0 * phase - 1.0) / 2.0 + 0.375;
    const double centre = ((length - 7) + 16.0 * d) / 2.0;
    for (int i = 0; i < length; ++i) {
        const double x = (i - centre) / 4.0;
        double k;
        if (x == 0.0) k = 1.0;
        else if (x == std::floor(x)) k = 0.0;  // the sinc's exact zeros
        else k = std::sin(kPi * x) / (kPi * x);
        const double w = length > 1 ? blackman(static_cast<double>(i) / (length - 1)) : 1.0;
        kernel[i] = static_cast<float>(flush(k * w));
    }
}

void referenceResponse(const float* kernel, int kernelLength, const BiquadCoefficients& r,
                       const BiquadCoefficients* r2, float* target, int count) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double u1 = 0, u2 = 0, v1 = 0, v2 = 0;
    for (int i = 0; i < count; ++i) {
        const double x = i < kernelLength ? kernel[i] : 0.0;
        double y = flush(r.b0 * x + r.b1 * x1 + r.b2 * x2 - r.a1 * y1 - r.a2 * y2);
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        if (r2 != nullptr) {
            const double z = flush(r2->b0 * y + r2->b1 * u1 + r2->b2 * u2 - r2->a1 * v1 - r2->a2 * v2);
            u2 = u1, u1 = y, v2 = v1, v1 = z;
            y = z;
        }
        target[i] = static_cast<float>(y);
    }
}

void impulseResponse(const BiquadCoefficients& m, const BiquadCoefficients* second, float* h, int n) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double u1 = 0, u2 = 0, v1 = 0, v2 = 0;
    for (int i = 0; i < n; ++i) {
        const double x = i == 0 ? 1.0 : 0.0;
        double y = flush(m.b0 * x + m.b1 * x1 + m.b2 * x2 - m.a1 * y1 - m.a2 * y2);
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        if (second != nullptr) {
            const BiquadCoefficients& s = *second;
            const double z = flush(s.b0 * y + s.b1 * u1 + s.b2 * u2 - s.a1 * v1 - s.a2 * v2);
            u2 = u1, u1 = y, v2 = v1, v1 = z;
            y = z;
        }
        h[i] = static_cast<float>(y);
    }
}

void taps(const float* target, int kernelLength, const float* h, int n, float flatTaps, float* out, std::optional<NearDc> want,
          bool slope) {
    const float share = flatTaps < 0.0f ? 0.0f : (flatTaps > 1.0f ? 1.0f : flatTaps);
    const int flat = static_cast<int>(static_cast<float>(n) * share);
    const int falling = n - flat;
    const int centre = (kernelLength - 1) / 2;
    // The falling half of a Blackman window, from just below 1 to just above 0 at the last tap.
    const auto window = [&](int i) {
        return i < flat ? 1.0f : static_cast<float>(blackman(0.5 + 0.5 * (i - flat + 1) / (falling + 1)));
    };
    double c0 = 0.0, c1 = 0.0;  // sums of c[n] and n c[n]
    for (int i = 0; i < n; ++i) {
        out[i] = (target[centre + 4 * i] - h[i]) * window(i);
        c0 += out[i], c1 += static_cast<double>(i) * out[i];
    }
    if (!want || !std::isfinite(want->h0) || !std::isfinite(want->h1)) return;
    // The shape of the move, zero just outside the taps, and its moments v0, v1, v2.
    const auto shape = [n](int i) { return blackman(static_cast<double>(i + 1) / (n + 1)); };
    double v0 = 0.0, v1 = 0.0, v2 = 0.0;
    for (int i = 0; i < n; ++i) {
        const double v = shape(i);
        v0 += v, v1 += i * v, v2 += static_cast<double>(i) * i * v;
    }
    // Near DC the taps respond c0 - j w c1: solve for a + b n with both moments as wanted. A slope
    // forced onto fewer taps would take them all and undo the correction above DC: short sets match
    // the gain alone.
    const double d0 = want->h0 - c0, d1 = -want->h1 - c1;
    const double det = v0 * v2 - v1 * v1;
    double a = 0.0, b = 0.0;
    if (slope && n >= kTapsForSlope && std::fabs(det) > 1e-12 * v0 * v2) {
        a = (d0 * v2 - d1 * v1) / det, b = (d1 * v0 - d0 * v1) / det;
    } else if (v0 > 0.0) {
        a = d0 / v0;
    }
    for (int i = 0; i < n; ++i) out[i] = static_cast<float>(out[i] + (a + b * i) * shape(i));
}

NearDc nearDc(const BiquadCoefficients& c) {
    // H = N / D with N = b0 + b1 z^-1 + b2 z^-2 and z^-1 = 1 - j w to first order.
    const double n0 = c.b0 + c.b1 + c.b2, n1 = -(c.b1 + 2.0 * c.b2);
    const double d0 = 1.0 + c.a1 + c.a2, d1 = -(c.a1 + 2.0 * c.a2);
    return {n0 / d0, (n1 * d0 - n0 * d1) / (d0 * d0)};
}

NearDc nearDcDifference(const NearDc& model, double outputGain, const BiquadCoefficients& main,
                        const BiquadCoefficients* second) {
    const double gain = outputGain > 0.0 && std::isfinite(outputGain) ? outputGain : 1.0;
    NearDc m = nearDc(main);
    if (second != nullptr) {
        const NearDc s = nearDc(*second);
        m = {m.h0 * s.h0, m.h1 * s.h0 + m.h0 * s.h1};
    }
    return {model.h0 / gain - m.h0, model.h1 / gain - m.h1};
}

namespace Portable {
void accumulatePortable(const float* c, int length, const float* x, float* out, int n, float gain) {
    int i = 0;
    // Sixteen outputs at a time: four independent sums keep the adder busy.
    for (; i + 16 <= n; i += 16) {
        Float4 a0 = load(out + i), a1 = load(out + i + 4), a2 = load(out + i + 8), a3 = load(out + i + 12);
        for (int j = 0; j < length; ++j) {
            const float k = c[j];
            const float* p = x + i - j;
            a0 += k * load(p);
            a1 += k * load(p + 4);
            a2 += k * load(p + 8);
            a3 += k * load(p + 12);
        }
        a0 *= gain, a1 *= gain, a2 *= gain, a3 *= gain;
        std::memcpy(out + i, &a0, sizeof a0);
        std::memcpy(out + i + 4, &a1, sizeof a1);
        std::memcpy(out + i + 8, &a2, sizeof a2);
        std::memcpy(out + i + 12, &a3, sizeof a3);
    }
    for (; i + 4 <= n; i += 4) {
        Float4 acc = load(out + i);
        for (int j = 0; j < length; ++j) acc += c[j] * load(x + i - j);
        acc *= gain;
        std::memcpy(out + i, &acc, sizeof acc);
    }
    for (; i < n; ++i) {
        float acc = out[i];
        for (int j = 0; j < length; ++j) acc += c[j] * x[i - j];
        out[i] = acc * gain;
    }
}

void accumulatePairPortable(const float* a, const float* b, int length, const float* x, float* fresh, float* old,
                              int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        Float4 p = {}, q = {};
        for (int j = 0; j < length; ++j) {
            const Float4 v = load(x + i - j);
            p += a[j] * v;
            q += b[j] * v;
        }
        std::memcpy(fresh + i, &p, sizeof p);
        std::memcpy(old + i, &q, sizeof q);
    }
    for (; i < n; ++i) {
        float p = 0.0f, q = 0.0f;
        for (int j = 0; j < length; ++j) {
            p += a[j] * x[i - j];
            q += b[j] * x[i - j];
        }
        fresh[i] = p;
        old[i] = q;
    }
}
}  // namespace Portable

namespace {
using Portable::accumulatePairPortable;
using Portable::accumulatePortable;

#if TOVIN_FIR_AVX2
// The sums start from outputs the sections have just written four at a time: read back in the same
// halves, they come straight from the stores instead of waiting for them to reach the cache.
[[gnu::always_inline, gnu::target("avx2,fma")]] inline __m256 loadHalves(const float* p) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(p)), _mm_loadu_ps(p + 4), 1);
}

// At most this many groups of eight outputs in a pass over the taps, each group on a sum of its own:
// fewer would wait on their own chains of multiply-adds, more would not fit the sixteen vector
// registers (measured through the engine: a 64-frame piece in one pass of eight instead of a
// sub-block of six and a rest of three is 3 to 5 % faster).
constexpr int kMostGroups = 8;

// G groups (rest outputs) on sums of their own in one pass over the taps. The last group holds
// eight outputs, four, or fewer (masked: its other lanes read and write nothing).
enum class LastGroup { kEight, kFour, kMasked };
template <int G, LastGroup L>
[[gnu::always_inline, gnu::target("avx2,fma")]] inline void restAvx2(const float* c, int length, const float* x,
                                                                   float* out, int rest, __m256 gain) {
    static_assert(G >= 1 && G <= kMostGroups);
    constexpr int kLast = 8 * (G - 1);
    const __m256i inside =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(rest - kLast), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    // kFour keeps its last sum in a 128-bit register, the others in 256-bit ones.
    const auto load8 = [&](const float* p) __attribute__((always_inline, target("avx2,fma"))) {
        if constexpr (L == LastGroup::kEight) return _mm256_loadu_ps(p);
        else return _mm256_maskload_ps(p, inside);
    };
    __m256 a[G];
    __m128 four = _mm_setzero_ps();
#pragma GCC unroll 8
    for (int q = 0; q < G - 1; ++q) a[q] = loadHalves(out + 8 * q);
    if constexpr (L == LastGroup::kFour) four = _mm_loadu_ps(out + kLast);
    else if constexpr (L == LastGroup::kEight) a[G - 1] = loadHalves(out + kLast);
    else a[G - 1] = load8(out + kLast);
    for (int j = 0; j < length; ++j) {
        const __m256 k = _mm256_set1_ps(c[j]);
        const float* p = x - j;
#pragma GCC unroll 8
        for (int q = 0; q < G - 1; ++q) a[q] = _mm256_fmadd_ps(k, _mm256_loadu_ps(p + 8 * q), a[q]);
        if constexpr (L == LastGroup::kFour) four = _mm_fmadd_ps(_mm256_castps256_ps128(k), _mm_loadu_ps(p + kLast), four);
        else a[G - 1] = _mm256_fmadd_ps(k, load8(p + kLast), a[G - 1]);
    }
#pragma GCC unroll 8
    for (int q = 0; q < G - 1; ++q) _mm256_storeu_ps(out + 8 * q, _mm256_mul_ps(a[q], gain));
    if constexpr (L == LastGroup::kFour) {
        _mm_storeu_ps(out + kLast, _mm_mul_ps(four, _mm256_castps256_ps128(gain)));
    } else {
        const __m256 last = _mm256_mul_ps(a[G - 1], gain);
        if constexpr (L == LastGroup::kEight) _mm256_storeu_ps(out + kLast, last);
        else _mm256_maskstore_ps(out + kLast, inside, last);
    }
}

template <int G>
[[gnu::always_inline, gnu::target("avx2,fma")]] inline void restAvx2(const float* c, int length, const float* x,
                                                                   float* out, int rest, __m256 gain) {
    const int last = rest - 8 * (G - 1);
    if (last == 8) restAvx2<G, LastGroup::kEight>(c, length, x, out, rest, gain);
    else if (last == 4) restAvx2<G, LastGroup::kFour>(c, length, x, out, rest, gain);
    else restAvx2<G, LastGroup::kMasked>(c, length, x, out, rest, gain);
}

// The same sums eight outputs at a time with fused multiply-adds, for processors that have them: the
// piece's groups of eight split as evenly as they can be into passes of at most kMostGroups.
__attribute__((target("avx2,fma"))) void accumulateAvx2(const float* c, int length, const float* x, float* out, int n, float gain) {
    const __m256 g = _mm256_set1_ps(gain);
    const int groups = (n + 7) / 8;
    const int passes = (groups + kMostGroups - 1) / kMostGroups;
    int i = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const int remaining = passes - pass, these = (groups - i / 8 + remaining - 1) / remaining;
        const int rest = n - i < 8 * these ? n - i : 8 * these;
        switch (these) {
        case 1: restAvx2<1>(c, length, x + i, out + i, rest, g); break;
        case 2: restAvx2<2>(c, length, x + i, out + i, rest, g); break;
        case 3: restAvx2<3>(c, length, x + i, out + i, rest, g); break;
        case 4: restAvx2<4>(c, length, x + i, out + i, rest, g); break;
        case 5: restAvx2<5>(c, length, x + i, out + i, rest, g); break;
        case 6: restAvx2<6>(c, length, x + i, out + i, rest, g); break;
        case 7: restAvx2<7>(c, length, x + i, out + i, rest, g); break;
        default: restAvx2<8>(c, length, x + i, out + i, rest, g); break;
        }
        i += 8 * these;
    }
}

__attribute__((target("avx2,fma"))) void accumulatePairAvx2(const float* a, const float* b, int length, const float* x,
                                                            float* fresh, float* old, int n) {
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        __m256 p0 = _mm256_setzero_ps(), p1 = _mm256_setzero_ps(), q0 = _mm256_setzero_ps(), q1 = _mm256_setzero_ps();
        for (int j = 0; j < length; ++j) {
            const __m256 v0 = _mm256_loadu_ps(x + i - j), v1 = _mm256_loadu_ps(x + i + 8 - j);
            const __m256 ka = _mm256_set1_ps(a[j]), kb = _mm256_set1_ps(b[j]);
            p0 = _mm256_fmadd_ps(ka, v0, p0);
            p1 = _mm256_fmadd_ps(ka, v1, p1);
            q0 = _mm256_fmadd_ps(kb, v0, q0);
            q1 = _mm256_fmadd_ps(kb, v1, q1);
        }
        _mm256_storeu_ps(fresh + i, p0);
        _mm256_storeu_ps(fresh + i + 8, p1);
        _mm256_storeu_ps(old + i, q0);
        _mm256_storeu_ps(old + i + 8, q1);
    }
    for (; i + 4 <= n; i += 4) {
        __m128 p = _mm_setzero_ps(), q = _mm_setzero_ps();
        for (int j = 0; j < length; ++j) {
            const __m128 v = _mm_loadu_ps(x + i - j);
            p = _mm_fmadd_ps(_mm_set1_ps(a[j]), v, p);
            q = _mm_fmadd_ps(_mm_set1_ps(b[j]), v, q);
        }
        _mm_storeu_ps(fresh + i, p);
        _mm_storeu_ps(old + i, q);
    }
    for (; i < n; ++i) {
        float p = 0.0f, q = 0.0f;
        for (int j = 0; j < length; ++j) {
            p = std::fma(a[j], x[i - j], p);
            q = std::fma(b[j], x[i - j], q);
        }
        fresh[i] = p;
        old[i] = q;
    }
}
#endif

using Accumulate = void (*)(const float*, int, const float*, float*, int, float);
using AccumulatePair = void (*)(const float*, const float*, int, const float*, float*, float*, int);

struct Kernels {
    Accumulate accumulate = accumulatePortable;
    AccumulatePair accumulatePair = accumulatePairPortable;
    Kernels() {
#if TOVIN_FIR_AVX2
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
            accumulate = accumulateAvx2;
            accumulatePair = accumulatePairAvx2;
        }
#endif
    }
};
// Chosen once when the module loads, before any audio runs.
const Kernels kernels;
}  // namespace

void accumulate(const float* c, int length, const float* x, float* out, int n, float gain) {
    kernels.accumulate(c, length, x, out, n, gain);
}

void accumulatePair(const float* a, const float* b, int length, const float* x, float* fresh, float* old, int n) {
    kernels.accumulatePair(a, b, length, x, fresh, old, n);
}

bool usesFusedVectors() { return kernels.accumulate != accumulatePortable; }

}  // namespace CorrectionFir
