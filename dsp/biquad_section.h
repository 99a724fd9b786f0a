// A running second-order section: direct form I with 64-bit states, whose coefficients glide toward
// a target set. A section whose target is the identity stops once the glide has finished and then
// passes the signal through untouched; it starts again from the identity with cleared states.
#pragma once

#include "dsp/biquad.h"
#include "dsp/section_arithmetic.h"

#include <cmath>

class BiquadSection {
public:
    // Sets the coefficients the section glides to.
    void setTarget(const BiquadCoefficients& c) {
        target_ = c;
        if (!running_) {
            if (c.isIdentity()) return;
            running_ = true;
            coeffs_ = BiquadCoefficients::identity();
            clearStates();
        }
        gliding_ = !(coeffs_ == target_);
    }

    // Jumps to the target without a glide.
    void snap() {
        coeffs_ = target_;
        gliding_ = false;
        if (running_ && target_.isIdentity()) stop();
        else if (!running_ && !target_.isIdentity()) {
            running_ = true;
            clearStates();
        }
    }

    void clearStates() { x1_ = x2_ = y1_ = y2_ = 0.0; }

    bool running() const { return running_; }
    bool gliding() const { return gliding_; }
    const BiquadCoefficients& coefficients() const { return coeffs_; }
    const BiquadCoefficients& target() const { return target_; }

    // States no signal within reason can make: a +40 dBFS input through eight +15 dB bands keeps
    // them below 1e8 (100 times 5.6 to the eighth). Beyond 1e15 they come from absurd input (a burst
    // of 1e30), which would take seconds to decay to the signal's level, yet stay far from overflow.
    static constexpr double kStateLimit = 1e15;
    // States below this are flushed to zero (denormals are slow).
    static constexpr double kTinyState = 1e-37;

    // False for a NaN or infinity too: any comparison with NaN fails.
    bool statesInRange() const {
        return std::fabs(x1_) + std::fabs(x2_) + std::fabs(y1_) + std::fabs(y2_) < kStateLimit;
    }
    void flushTinyStates() {
        x1_ = flush(x1_);
        x2_ = flush(x2_);
        y1_ = flush(y1_);
        y2_ = flush(y2_);
    }

    // Filters n samples in place; k is the per-sample glide factor.
    void process(float* buf, int n, double k) {
        if (!running_) return;
        int i = 0;
        if (gliding_) i = processGliding(buf, n, k);
        if (i < n) processFixed(buf + i, n - i);
        if (!gliding_ && target_.isIdentity()) stop();
    }

    // Coefficients and states, for running the section elsewhere (see SectionChain).
    struct Snapshot {
        double b0, b1, b2, a1, a2;
        double x1, x2, y1, y2;
    };
    Snapshot snapshot() const { return {coeffs_.b0, coeffs_.b1, coeffs_.b2, coeffs_.a1, coeffs_.a2, x1_, x2_, y1_, y2_}; }
    void setStates(double x1, double x2, double y1, double y2) {
        x1_ = x1;
        x2_ = x2;
        y1_ = y1;
        y2_ = y2;
    }

private:
    static double flush(double v) { return std::fabs(v) < kTinyState ? 0.0 : v; }

    void stop() {
        running_ = false;
        gliding_ = false;
        coeffs_ = BiquadCoefficients::identity();
        clearStates();
    }

    // One coefficient step per sample while the five coefficients differ from their targets by
    // more than 0.001 in sum; then they are set to the targets. Returns the samples consumed.
    int processGliding(float* buf, int n, double k) {
        BiquadCoefficients& c = coeffs_;
        const BiquadCoefficients& t = target_;
        int i = 0;
        for (; i < n; ++i) {
            const double distance = std::fabs(c.a1 - t.a1) + std::fabs(c.a2 - t.a2) + std::fabs(c.b0 - t.b0) +
                                    std::fabs(c.b1 - t.b1) + std::fabs(c.b2 - t.b2);
            if (distance <= 0.001) {
                c = t;
                gliding_ = false;
                break;
            }
            c.a1 -= (c.a1 - t.a1) * k;
            c.a2 -= (c.a2 - t.a2) * k;
            c.b0 -= (c.b0 - t.b0) * k;
            c.b1 -= (c.b1 - t.b1) * k;
            c.b2 -= (c.b2 - t.b2) * k;
            const double x = buf[i];
            const double y = (c.b0 * x + c.b1 * x1_ + c.b2 * x2_ - c.a2 * y2_) - c.a1 * y1_;
            x2_ = x1_;
            x1_ = x;
            y2_ = y1_;
            y1_ = y;
            buf[i] = static_cast<float>(y);
        }
        return i;
    }

    void processFixed(float* buf, int n) {
        if (SectionArithmetic::fused()) processFixedFused(buf, n);
        else processFixedSeparate(buf, n);
    }

    void processFixedSeparate(float* buf, int n) {
        const double b0 = coeffs_.b0, b1 = coeffs_.b1, b2 = coeffs_.b2, a1 = coeffs_.a1, a2 = coeffs_.a2;
        double x1 = x1_, x2 = x2_, y1 = y1_, y2 = y2_;
        for (int i = 0; i < n; ++i) {
            const double x = buf[i];
            const double y = (b0 * x + b1 * x1 + b2 * x2 - a2 * y2) - a1 * y1;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            buf[i] = static_cast<float>(y);
        }
        x1_ = x1, x2_ = x2, y1_ = y1, y2_ = y2;
    }

    // The same in the fused form (biquad_section.cpp); only where SectionArithmetic::fused().
    void processFixedFused(float* buf, int n);

    BiquadCoefficients coeffs_;  // running
    BiquadCoefficients target_;
    double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
    bool running_ = false;
    bool gliding_ = false;
};
