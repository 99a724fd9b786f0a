// The section designers against textbook formulas and the properties each design promises.
#include "dsp/section_design.h"
#include "tools/response/analog_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace {
namespace P = SectionPrototype;
constexpr double kPi = 3.14159265358979323846;

std::complex<double> response(const BiquadCoefficients& c, double f, double fs) {
    const std::complex<double> z = std::polar(1.0, -2.0 * kPi * f / fs);
    return (c.b0 + c.b1 * z + c.b2 * z * z) / (1.0 + c.a1 * z + c.a2 * z * z);
}
double db(const BiquadCoefficients& c, double f, double fs) { return 20.0 * std::log10(std::abs(response(c, f, fs))); }

bool stable(const BiquadCoefficients& c) { return std::fabs(c.a2) < 1.0 && std::fabs(c.a1) < 1.0 + c.a2; }

void expectCoefficients(const BiquadCoefficients& got, const BiquadCoefficients& want, double tol) {
    EXPECT_NEAR(got.a1, want.a1, tol);
    EXPECT_NEAR(got.a2, want.a2, tol);
    EXPECT_NEAR(got.b0, want.b0, tol);
    EXPECT_NEAR(got.b1, want.b1, tol);
    EXPECT_NEAR(got.b2, want.b2, tol);
}

// Audio EQ cookbook (R. Bristow-Johnson) forms, normalised to a0 = 1.
BiquadCoefficients cookbook(double b0, double b1, double b2, double a0, double a1, double a2) {
    return {1.0, a1 / a0, a2 / a0, b0 / a0, b1 / a0, b2 / a0};
}
}  // namespace

TEST(SectionDesigner, PassFiltersMatchTheCookbook) {
    const double fs = 48000.0;
    for (double f : {30.0, 1000.0, 15000.0}) {
        for (double q : {0.5, 0.707, 4.0}) {
            const double w0 = 2.0 * kPi * f / fs, cw = std::cos(w0), alpha = std::sin(w0) / (2.0 * q);
            expectCoefficients(designSection({float(f), float(q), 0, 0, P::kLowPass2}, fs),
                               cookbook((1 - cw) / 2, 1 - cw, (1 - cw) / 2, 1 + alpha, -2 * cw, 1 - alpha), 1e-6);
            expectCoefficients(designSection({float(f), float(q), 0, 0, P::kHighPass2}, fs),
                               cookbook((1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha), 1e-6);
            expectCoefficients(designSection({float(f), float(q), 0, 0, P::kBandPass}, fs),
                               cookbook(alpha, 0, -alpha, 1 + alpha, -2 * cw, 1 - alpha), 1e-6);
            expectCoefficients(designSection({float(f), float(q), 0, 0, P::kNotch}, fs),
                               cookbook(1, -2 * cw, 1, 1 + alpha, -2 * cw, 1 - alpha), 1e-6);
        }
    }
}

TEST(SectionDesigner, ReciprocalPeakMatchesTheCookbookAndInvertsForCuts) {
    const double fs = 44100.0, f = 2500.0, q = 1.4, gainDb = 9.0;
    const double w0 = 2.0 * kPi * f / fs, cw = std::cos(w0), alpha = std::sin(w0) / (2.0 * q);
    const double h = std::pow(10.0, gainDb / 20.0);
    const auto boost = designSection({float(f), float(q), 0, float(gainDb), P::kPeakReciprocal}, fs);
    expectCoefficients(boost, cookbook(1 + alpha * h, -2 * cw, 1 - alpha * h, 1 + alpha, -2 * cw, 1 - alpha), 1e-6);
    const auto cut = designSection({float(f), float(q), 0, float(-gainDb), P::kPeakReciprocal}, fs);
    for (double probe : {50.0, 900.0, 2500.0, 7000.0, 20000.0})
        EXPECT_NEAR(db(boost, probe, fs) + db(cut, probe, fs), 0.0, 1e-9);
}

TEST(SectionDesigner, ShelvesHaveTheirGainsAtDcMidPointAndNyquist) {
    const double fs = 44100.0, f = 3000.0;
    for (double gainDb : {-12.0, 6.0}) {
        const auto high = designSection({float(f), 0.7f, 0, float(gainDb), P::kHighShelfMid}, fs);
        EXPECT_NEAR(db(high, 0.0, fs), 0.0, 1e-9);
        EXPECT_NEAR(db(high, f, fs), gainDb / 2, 1e-5);
        EXPECT_NEAR(db(high, fs / 2, fs), gainDb, 1e-6);
        const auto low = designSection({float(f), 0.7f, 0, float(gainDb), P::kLowShelfMid}, fs);
        EXPECT_NEAR(db(low, 0.0, fs), gainDb, 1e-9);
        EXPECT_NEAR(db(low, f, fs), gainDb / 2, 1e-5);
        EXPECT_NEAR(db(low, fs / 2, fs), 0.0, 1e-6);
    }
}

TEST(SectionDesigner, NyquistPeakMatchesTheAnalogModelAtItsDesignPoints) {
    const double fs = 44100.0;
    for (double gainDb : {-15.0, -4.0, 3.0, 15.0}) {
        for (double f : {100.0, 1000.0, 5000.0}) {
            const double q = 1.0;
            const auto c = designSection({float(f), float(q), 0, float(gainDb), P::kPeakNyquistSymmetric}, fs);
            ASSERT_TRUE(stable(c));
            EXPECT_NEAR(db(c, 0.0, fs), 0.0, 1e-6);
            EXPECT_NEAR(db(c, f, fs), gainDb, 1e-4);
            EXPECT_NEAR(db(c, fs / 2, fs), AnalogModel::magnitudeDb(14, f, q, gainDb, fs / 2), 1e-4);
        }
    }
}

TEST(SectionDesigner, NyquistPeakAgreesWithTheReciprocalPeakAroundItsCentre) {
    // Below Nyquist's influence the two designs are the same bell; with the old band-edge level
    // the prescribed-Nyquist design collapsed into a flat gain.
    const double fs = 44100.0;
    const auto sound = designSection({1000.0f, 1.0f, 0, 15.0f, P::kPeakNyquistSymmetric}, fs);
    const auto reciprocal = designSection({1000.0f, 1.0f, 0, 15.0f, P::kPeakReciprocal}, fs);
    for (double f = 20.0; f <= 2000.0; f *= 1.02) EXPECT_NEAR(db(sound, f, fs), db(reciprocal, f, fs), 0.05) << f;
    // The plain form puts its peak at the centre too (its band edge lies below the peak).
    const auto plain = designSection({1000.0f, 1.0f, 0, 15.0f, P::kPeakNyquist}, fs);
    for (double f = 20.0; f <= fs / 2; f *= 1.02) EXPECT_LE(db(plain, f, fs), 15.0 + 1e-6);
    EXPECT_NEAR(db(plain, 1000.0, fs), 15.0, 1e-4);
}

TEST(SectionDesigner, NoBellSettingIsWildlyWrong) {
    // Every frequency and Q: stable, flat at DC, peak at the centre, never beyond the set gain.
    for (double fs : {22050.0, 44100.0, 96000.0}) {
        for (double q : {0.05, 0.1, 0.3, 0.5, 1.0, 2.0, 7.0}) {
            for (double f = 20.0; f < 0.49 * fs; f *= 1.15) {
                for (double gainDb : {-15.0, 15.0}) {
                    const auto c = designSection({float(f), float(q), 0, float(gainDb), P::kPeakNyquistSymmetric}, fs);
                    ASSERT_TRUE(stable(c)) << fs << " " << q << " " << f;
                    EXPECT_NEAR(db(c, 0.0, fs), 0.0, 0.01) << fs << " " << q << " " << f;
                    // Where the design hands over to the reciprocal one the blend's peak sits a
                    // little lower.
                    const double tolerance = peakNyquistEdge(f, q, fs) > kNyquistBlendStart ? 0.2 : 0.05;
                    EXPECT_NEAR(db(c, f, fs), gainDb, tolerance) << fs << " " << q << " " << f;
                    for (double probe = 10.0; probe < fs / 2; probe *= 1.1)
                        EXPECT_LE(std::fabs(db(c, probe, fs)), 15.0 + 0.01) << fs << " " << q << " " << f;
                }
            }
        }
    }
}

TEST(SectionDesigner, ABellSweptThroughTheNyquistLimitChangesSmoothly) {
    // Where the prescribed-Nyquist design ends (the band's upper edge reaching Nyquist) it hands over
    // to the reciprocal design gradually: a sweep in 0.25 % steps never jumps at any frequency.
    for (double fs : {44100.0, 96000.0})
        for (double q : {0.1, 0.5, 1.0, 3.0})
            for (double gainDb : {-12.0, 9.0}) {
                const double limit = 0.5 * fs / (0.5 / q + std::sqrt(1.0 + 0.25 / (q * q)));
                double step = 0.0;
                for (double f = 0.6 * limit; f < std::min(1.2 * limit, 0.45 * fs); f *= 1.0025) {
                    const auto a = designSection({float(f), float(q), 0, float(gainDb), P::kPeakNyquistSymmetric}, fs);
                    const auto b = designSection({float(f * 1.0025), float(q), 0, float(gainDb), P::kPeakNyquistSymmetric}, fs);
                    // Beyond what the analog band itself changes by at the same point.
                    for (double probe : {0.1 * fs, 0.3 * fs, 0.45 * fs}) {
                        const double analog = AnalogModel::magnitudeDb(BandKind::kBell, f * 1.0025, q, gainDb, probe) -
                                              AnalogModel::magnitudeDb(BandKind::kBell, f, q, gainDb, probe);
                        step = std::max(step, std::fabs(db(b, probe, fs) - db(a, probe, fs) - analog));
                    }
                }
                EXPECT_LT(step, 0.6) << fs << " " << q << " " << gainDb;
            }
}

TEST(SectionDesigner, FrequenciesAtOrAboveNyquistStayStable) {
    const int prototypes[] = {P::kHighPass1, P::kHighPass2, P::kLowPass1, P::kLowPass2, P::kHighShelfMid,
                              P::kHighShelfCorner, P::kLowShelfMid, P::kLowShelfCorner, P::kPeakReciprocal,
                              P::kPeakNyquist, P::kPeakNyquistSymmetric, P::kNotch, P::kBandPass};
    for (double fs : {22050.0, 32000.0, 44100.0}) {
        for (int p : prototypes) {
            for (double f : {0.45 * fs, 0.5 * fs, 18000.0, 0.9 * fs, 300000.0}) {
                const auto c = designSection({float(f), 0.7f, 0, 6.0f, p}, fs);
                EXPECT_TRUE(stable(c)) << p << " at " << f << " / " << fs;
            }
        }
    }
}

TEST(SectionDesigner, FirstOrderHighPassHasNoGainStepAtHalfTheRate) {
    for (double fs : {44100.0, 96000.0}) {
        const auto below = designSection({float(std::nextafter(float(fs / 2), 0.0f)), 1, 0, 0, P::kHighPass1}, fs);
        const auto at = designSection({float(fs / 2), 1, 0, 0, P::kHighPass1}, fs);
        EXPECT_NEAR(at.b0, below.b0, 1e-5) << fs;
        EXPECT_NEAR(at.a1, below.a1, 1e-5) << fs;
        const auto above = designSection({float(fs / 2 + 1000), 1, 0, 0, P::kHighPass1}, fs);
        EXPECT_LT(above.b0, at.b0);
    }
}

TEST(SectionDesigner, DegenerateInputsGiveTheIdentity) {
    const double fs = 44100.0;
    EXPECT_TRUE(designSection({1000, 1, 0, 0, P::kPeakNyquistSymmetric}, fs).isIdentity());
    EXPECT_TRUE(designSection({1000, 0, 0, 6, P::kPeakNyquistSymmetric}, fs).isIdentity());
    EXPECT_TRUE(designSection({1000, 1, 0, 0, P::kPeakReciprocal}, fs).isIdentity());
    EXPECT_TRUE(designSection({1000, 1, 0, 0, P::kHighShelfMid}, fs).isIdentity());
    EXPECT_TRUE(designSection({1000, 1, 0, 6, 1}, fs).isIdentity());
    EXPECT_TRUE(designSection({1000, 1, 0, 6, 99}, fs).isIdentity());
    EXPECT_TRUE(designSection({NAN, 1, 0, 6, P::kLowPass2}, fs).isIdentity());
    EXPECT_TRUE(designSection({1000, NAN, 0, 6, P::kLowPass2}, fs).isIdentity());
}
