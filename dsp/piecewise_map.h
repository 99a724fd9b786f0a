// Piecewise-linear lookup over an ascending table, in both directions. Normalized values run from 0.0
// to 1.0 across the table's points; physical values are the table's units (Hz, Q, dB).
#pragma once

#include <span>

// Normalized to physical: v <= 0 gives the first point, v >= 1 the last, otherwise linear between the
// two points around v * (n - 1).
inline float mapForward(std::span<const float> t, float v) {
    const int n = static_cast<int>(t.size());
    if (!(v > 0.0f)) return t[0];  // also catches NaN
    if (v >= 1.0f) return t[n - 1];
    const float x = v * static_cast<float>(n - 1);
    int i = static_cast<int>(x);
    if (i > n - 2) i = n - 2;
    const float f = x - static_cast<float>(i);
    return (1.0f - f) * t[i] + f * t[i + 1];
}

// Physical to normalized: the inverse of mapForward, clamped to 0.0 to 1.0.
inline float mapInverse(std::span<const float> t, float p) {
    const int n = static_cast<int>(t.size());
    if (p >= t[n - 1]) return 1.0f;
    if (!(p > t[0])) return 0.0f;  // also catches NaN
    int i = 1;
    while (i < n - 1 && !(t[i] > p)) ++i;
    return (static_cast<float>(i - 1) + (p - t[i - 1]) / (t[i] - t[i - 1])) / static_cast<float>(n - 1);
}

// The same lookups over a plain array of n points.
inline float mapForward(const float* table, int n, float v) {
    return mapForward(std::span<const float>(table, static_cast<size_t>(n)), v);
}
inline float mapInverse(const float* table, int n, float p) {
    return mapInverse(std::span<const float>(table, static_cast<size_t>(n)), p);
}
