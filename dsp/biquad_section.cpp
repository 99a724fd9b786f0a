#include "dsp/biquad_section.h"

#include <cassert>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

namespace {
// The processor's instruction, never a library's fma (some C libraries round twice).
[[gnu::always_inline, gnu::target("avx2,fma")]] inline double fusedMultiplyAdd(double a, double b, double c) {
    return _mm_cvtsd_f64(_mm_fmadd_sd(_mm_set_sd(a), _mm_set_sd(b), _mm_set_sd(c)));
}
}  // namespace

// Compiled for the processors that fuse (see SectionArithmetic); never called on others.
__attribute__((target("avx2,fma"))) void BiquadSection::processFixedFused(float* buf, int n) {
    const double b0 = coeffs_.b0, b1 = coeffs_.b1, b2 = coeffs_.b2, a1 = coeffs_.a1, a2 = coeffs_.a2;
    double x1 = x1_, x2 = x2_, y1 = y1_, y2 = y2_;
    for (int i = 0; i < n; ++i) {
        const double x = buf[i];
        const auto f = fusedMultiplyAdd;
        const double y = f(-a1, y1, f(-a2, y2, f(b0, x, f(b1, x1, b2 * x2))));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        buf[i] = static_cast<float>(y);
    }
    x1_ = x1, x2_ = x2, y1_ = y1, y2_ = y2;
}
#else
void BiquadSection::processFixedFused(float* buf, int n) {
    // SectionArithmetic::fused() is false here: the separate form is the only one.
    assert(false);
    processFixedSeparate(buf, n);
}
#endif
