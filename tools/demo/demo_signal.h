// The demo's built-in test signal: a stereo chord, a noise burst and a logarithmic sine sweep.
#pragma once

#include <vector>

namespace demo {

struct StereoSignal {
    std::vector<float> left;
    std::vector<float> right;
};

// About 2 s of a soft chord (different voicing left and right), 1 s of an enveloped noise burst and
// 3 s of a sweep from 20 Hz to 20 kHz, all well below full scale. Deterministic.
StereoSignal makeDemoSignal(double sampleRate);

struct Level {
    float peak = 0.0f;
    float rms = 0.0f;
};
Level measure(const std::vector<float>& left, const std::vector<float>& right);

}  // namespace demo
