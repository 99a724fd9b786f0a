// Band values that depend on more than one parameter: the pass-band Q of the high-pass and low-pass
// (a normalized Q read from several tables and blended by the cut-off frequency) and the bell gain
// compensation (the filter gain that makes a bell of a given Q sound like the displayed gain).
#pragma once

#include "dsp/piecewise_map.h"

#include <array>

namespace PassBandQTables {
// High-pass: below 20 Hz, around 1 kHz and from 10 kHz on.
constexpr std::array<float, 5> kHighPassLow{0.05f, 0.1f, 0.7f, 6.35f, 12.0f};
constexpr std::array<float, 5> kHighPassMid{0.05f, 0.375f, 0.7f, 2.35f, 4.0f};
constexpr std::array<float, 5> kHighPassHigh{0.5f, 0.6f, 0.7f, 1.35f, 2.0f};

// Low-pass: one table per breakpoint, blended between neighbouring breakpoints.
constexpr std::array<float, 6> kLowPassBreakpoints{20.0f, 100.0f, 200.0f, 1000.0f, 10000.0f, 20000.0f};
constexpr std::array<std::array<float, 5>, 6> kLowPass{{
    {0.5f, 0.75f, 1.0f, 7.0f, 12.0f},
    {0.1f, 0.4f, 0.7f, 2.35f, 4.0f},
    {0.05f, 0.375f, 0.7f, 2.35f, 4.0f},
    {0.05f, 0.375f, 0.7f, 2.35f, 4.0f},
    {0.05f, 0.375f, 0.7f, 1.85f, 3.0f},
    {0.05f, 0.375f, 0.7f, 1.35f, 2.0f},
}};
}  // namespace PassBandQTables

namespace BellGainTable {
constexpr std::array<float, 9> kGainAxis{-15.0f, -10.0f, -5.0f, -2.5f, 0.0f, 2.5f, 5.0f, 10.0f, 15.0f};
constexpr std::array<float, 11> kQAxis{0.05f, 0.1f, 0.2f, 0.3f, 0.5f, 0.7f, 1.0f, 2.0f, 3.0f, 5.0f, 7.0f};
// Filter gain in dB, rows by the gain axis, columns by the Q axis.
constexpr std::array<std::array<float, 11>, 9> kFilterGainDb{{
    {-9, -9.37f, -10.13f, -11, -12.69f, -14.17f, -15.99f, -19.63f, -22.51f, -25.97f, -28.7f},
    {-6, -6.36f, -6.99f, -7.73f, -9.19f, -10.51f, -12.19f, -16.04f, -18.5f, -21.7f, -23.84f},
    {-3, -3.3425f, -3.775f, -4.275f, -5.3125f, -6.29f, -7.6025f, -10.922f, -13.208f, -16.305f, -18.405f},
    {-1, -1.621f, -1.864f, -2.119f, -2.678f, -3.228f, -4.016f, -6.266f, -8.037f, -10.641f, -12.491f},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {2, 2.29f, 2.55f, 2.84f, 3.41f, 3.95f, 4.67f, 6.45f, 7.73f, 9.5f, 10.77f},
    {4, 4.38f, 4.79f, 5.24f, 6.12f, 6.89f, 7.85f, 10.16f, 11.72f, 13.838f, 15.312f},
    {7, 7.185f, 7.7175f, 8.2975f, 9.3425f, 10.222f, 11.3f, 13.705f, 15.705f, 17.295f, 18.675f},
    {10, 10.295f, 10.945f, 11.635f, 12.85f, 13.83f, 15, 17.54f, 19.15f, 21.23f, 22.64f},
}};
}  // namespace BellGainTable

namespace BandMappingDetail {
// Bracket of x on an ascending axis: the largest index at or below x, kept inside the last pair so
// that the top of the axis reads the last entry with fraction 1 (never one past the table).
struct Bracket {
    int index;
    float fraction;
};

template <size_t N>
constexpr Bracket bracket(const std::array<float, N>& axis, float x) {
    if (!(x > axis[0])) return {0, 0.0f};
    if (x >= axis[N - 1]) return {static_cast<int>(N) - 2, 1.0f};
    int i = 0;
    while (i < static_cast<int>(N) - 2 && axis[i + 1] <= x) ++i;
    return {i, (x - axis[i]) / (axis[i + 1] - axis[i])};
}

inline float clamp01(float t) { return t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t); }
}  // namespace BandMappingDetail

// Q of the high-pass for a normalized quality value at cut-off frequency f.
inline float passBandQHighPass(float normalizedQ, float frequencyHz) {
    using namespace PassBandQTables;
    const float low = mapForward(kHighPassLow, normalizedQ);
    if (frequencyHz < 20.0f) return low;
    const float mid = mapForward(kHighPassMid, normalizedQ);
    if (frequencyHz < 1000.0f) {
        const float t = BandMappingDetail::clamp01((frequencyHz - 20.0f) / 980.0f);
        return (1.0f - t) * low + t * mid;
    }
    const float high = mapForward(kHighPassHigh, normalizedQ);
    const float t = BandMappingDetail::clamp01((frequencyHz - 1000.0f) / 9000.0f);
    return (1.0f - t) * mid + t * high;
}

// Q of the low-pass for a normalized quality value at cut-off frequency f.
inline float passBandQLowPass(float normalizedQ, float frequencyHz) {
    using namespace PassBandQTables;
    if (frequencyHz < kLowPassBreakpoints[0]) return mapForward(kLowPass[0], normalizedQ);
    int i = 0;
    while (i < 4 && frequencyHz >= kLowPassBreakpoints[i + 1]) ++i;
    // Above the 10 kHz breakpoint the last pair keeps blending with t = (f - 10000) / 10000.
    const float t = (frequencyHz - kLowPassBreakpoints[i]) / (kLowPassBreakpoints[i + 1] - kLowPassBreakpoints[i]);
    const float from = mapForward(kLowPass[i], normalizedQ);
    const float to = mapForward(kLowPass[i + 1], normalizedQ);
    return (1.0f - t) * from + t * to;
}

// Filter gain (dB) of a bell set to gainDb with quality q, read bilinearly from the compensation table.
inline float bellGainForQ(float gainDb, float q) {
    using namespace BellGainTable;
    const auto g = BandMappingDetail::bracket(kGainAxis, gainDb);
    const auto c = BandMappingDetail::bracket(kQAxis, q);
    const float u = c.fraction;
    const float w = g.fraction;
    const auto& lo = kFilterGainDb[static_cast<size_t>(g.index)];
    const auto& hi = kFilterGainDb[static_cast<size_t>(g.index) + 1];
    const size_t j = static_cast<size_t>(c.index);
    return ((1.0f - u) * lo[j] + u * lo[j + 1]) * (1.0f - w) + (u * hi[j + 1] + (1.0f - u) * hi[j]) * w;
}
