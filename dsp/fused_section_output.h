// One steady section's output for both channels (one per 64-bit lane) in the fused form of
// SectionArithmetic, shared by the kernels built for AVX2 and FMA so that every one of them rounds
// the same way. 64-bit x86 only; any thread (it touches nothing but its arguments).
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

namespace SectionKernels {

[[gnu::always_inline, gnu::target("avx2,fma")]] inline __m128d fusedOutput(__m128d b0, __m128d b1, __m128d b2, __m128d a1,
                                                                           __m128d a2, __m128d x, __m128d x1, __m128d x2,
                                                                           __m128d y1, __m128d y2) {
    return _mm_fnmadd_pd(a1, y1, _mm_fnmadd_pd(a2, y2, _mm_fmadd_pd(b0, x, _mm_fmadd_pd(b1, x1, _mm_mul_pd(b2, x2)))));
}

}  // namespace SectionKernels
#endif
