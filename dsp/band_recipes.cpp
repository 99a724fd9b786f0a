#include "dsp/band_recipes.h"

#include "dsp/band_kind.h"

namespace {
namespace P = SectionPrototype;

SectionDesign section(float f, float q, float gain, int prototype) { return {f, q, q, gain, prototype}; }
}  // namespace

BandRecipe runRecipe(int kind, float f, float q, float gain, float fs) {
    BandRecipe r;
    r.main = section(f, q, gain, 0);
    switch (kind) {
    case BandKind::kHighPass6:
        r.main = r.reference = section(f, q, gain, P::kHighPass1);
        break;
    case BandKind::kHighPass12:
        r.main = section(f, q, 0.0f, P::kHighPass2);
        break;
    case BandKind::kHighPass24:
        r.main = section(f, q, 0.0f, P::kHighPass2);
        r.second = section(f, 0.707f, 0.0f, P::kHighPass2);
        r.useSecondSection = true;
        break;
    case BandKind::kLowPass6:
        r.main = r.reference = section(f, q, gain, P::kLowPass1);
        break;
    case BandKind::kLowPass12:
        r.main = r.reference = section(f, q, gain, P::kLowPass2);
        break;
    case BandKind::kLowPass18:
        r.main = r.reference = section(f, q, gain, P::kLowPass2);
        r.second = section(f, q, gain, P::kLowPass1);
        r.useSecondSection = true;
        break;
    case BandKind::kLowPass24:
        r.main = r.reference = section(f, q, gain, P::kLowPass2);
        r.second = section(f, 1.0f, gain, P::kLowPass2);
        r.useSecondSection = true;
        break;
    case BandKind::kHighShelf:
    case BandKind::kHighShelfAlt:
        r.main = r.reference = section(f, q, gain, P::kHighShelfMid);
        break;
    case BandKind::kLowShelf:
    case BandKind::kLowShelfAlt:
        r.main = r.reference = section(f, q, gain, P::kLowShelfMid);
        break;
    case BandKind::kBell:
        if (f > kTopBellFrequency * (fs / 44100.0f)) {
            // The Air band: no IIR filtering of its own; it acts through its correction alone,
            // which has no taps yet, so the band is transparent.
            r.main = r.reference = section(f, q, gain, P::kPeakReciprocal);
            r.iirActive = false;
        } else {
            r.main = section(f, q, gain, P::kPeakNyquistSymmetric);
            r.reference = section(f, q, gain, P::kPeakReciprocal);
        }
        break;
    default:
        break;
    }
    return r;
}
