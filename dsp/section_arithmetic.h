// How every steady section evaluates its recursion, the same way on every path (BiquadSection and
// SectionKernels), so that a band gives the same bits whichever path runs it:
//   fused:    y = fma(-a1, y1, fma(-a2, y2, fma(b0, x, fma(b1, x1, b2 x2))))
//   separate: y = ((b0 x + b1 x1 + b2 x2) - a2 y2) - a1 y1
// Fused where the processor has AVX2 and FMA (64-bit x86; chosen when the module loads): fewer
// operations and a shorter wait on the previous outputs: y1 is one operation from the end and y2
// two, so a lone section's recursion waits two operations per sample, not three. In the
// two-channel cascade the input comes from the section before, three operations deep; the
// sections' lag (SectionKernels) covers that pass. The two differ by rounding only, about 1e-16
// relative in the 64-bit states. Gliding sections always use the separate form.
// Any thread; the answer never changes while the module is loaded.
#pragma once

namespace SectionArithmetic {

bool fused();

}  // namespace SectionArithmetic
