#include "dsp/correction_fir.h"

#include <cmath>
#include <cstring>

namespace CorrectionFir {
namespace {
constexpr double kPi = BiquadMath::kPi;

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

void taps(const float* target, int kernelLength, const float* h, int n, float flatTaps, float* out) {
    const float share = flatTaps < 0.0f ? 0.0f : (flatTaps > 1.0f ? 1.0f : flatTaps);
    const int flat = static_cast<int>(static_cast<float>(n) * share);
    const int falling = n - flat;
    const int centre = (kernelLength - 1) / 2;
    for (int i = 0; i < n; ++i) {
        // The falling half of a Blackman window, from just below 1 to just above 0 at the last tap.
        const float w = i < flat ? 1.0f : static_cast<float>(blackman(0.5 + 0.5 * (i - flat + 1) / (falling + 1)));
        out[i] = (target[centre + 4 * i] - h[i]) * w;
    }
}

void accumulate(const float* c, int length, const float* x, float* out, int n) {
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
        std::memcpy(out + i, &a0, sizeof a0);
        std::memcpy(out + i + 4, &a1, sizeof a1);
        std::memcpy(out + i + 8, &a2, sizeof a2);
        std::memcpy(out + i + 12, &a3, sizeof a3);
    }
    for (; i + 4 <= n; i += 4) {
        Float4 acc = load(out + i);
        for (int j = 0; j < length; ++j) acc += c[j] * load(x + i - j);
        std::memcpy(out + i, &acc, sizeof acc);
    }
    for (; i < n; ++i) {
        float acc = out[i];
        for (int j = 0; j < length; ++j) acc += c[j] * x[i - j];
        out[i] = acc;
    }
}

void accumulatePair(const float* a, const float* b, int length, const float* x, float* fresh, float* old, int n) {
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

}  // namespace CorrectionFir
