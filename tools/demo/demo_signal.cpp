#include "demo_signal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace demo {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Small deterministic generator: the demo writes the same file on every machine.
class Noise {
public:
    float next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<float>(static_cast<double>(state_ >> 40) / static_cast<double>(1ULL << 24) * 2.0 - 1.0);
    }

private:
    uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

// Short raised-cosine fades at both ends of a section avoid clicks between sections.
double fade(size_t i, size_t length, size_t fadeLength) {
    const size_t fromEdge = std::min(i, length - 1 - i);
    if (fromEdge >= fadeLength) return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(fromEdge) / static_cast<double>(fadeLength));
}

}  // namespace

StereoSignal makeDemoSignal(double sampleRate) {
    const auto frames = [sampleRate](double seconds) { return static_cast<size_t>(seconds * sampleRate); };
    const size_t chord = frames(2.0), burst = frames(1.0), sweep = frames(3.0);
    const size_t fadeLength = frames(0.01);
    StereoSignal signal;
    signal.left.reserve(chord + burst + sweep);
    signal.right.reserve(chord + burst + sweep);

    // A minor chord with a few harmonics; the right channel an octave lower on the root.
    const double left[] = {220.0, 261.63, 329.63, 440.0};
    const double right[] = {110.0, 261.63, 329.63, 523.25};
    for (size_t i = 0; i < chord; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double l = 0.0, r = 0.0;
        for (int k = 0; k < 4; ++k) {
            for (int harmonic = 1; harmonic <= 3; ++harmonic) {
                l += std::sin(kTwoPi * left[k] * harmonic * t) / (harmonic * 8.0);
                r += std::sin(kTwoPi * right[k] * harmonic * t) / (harmonic * 8.0);
            }
        }
        const double gain = 0.5 * fade(i, chord, fadeLength);
        signal.left.push_back(static_cast<float>(l * gain));
        signal.right.push_back(static_cast<float>(r * gain));
    }

    // Noise burst with a fast attack and an exponential decay.
    Noise noise;
    for (size_t i = 0; i < burst; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double envelope = 0.3 * std::exp(-3.0 * t) * fade(i, burst, fadeLength);
        signal.left.push_back(static_cast<float>(noise.next() * envelope));
        signal.right.push_back(static_cast<float>(noise.next() * envelope));
    }

    // Logarithmic sweep 20 Hz -> 20 kHz (kept below Nyquist), the same on both channels.
    const double f0 = 20.0, f1 = std::min(20000.0, 0.45 * sampleRate);
    const double duration = static_cast<double>(sweep) / sampleRate;
    const double rate = std::log(f1 / f0);
    for (size_t i = 0; i < sweep; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double phase = kTwoPi * f0 * duration / rate * (std::exp(t / duration * rate) - 1.0);
        const float value = static_cast<float>(0.25 * std::sin(phase) * fade(i, sweep, fadeLength));
        signal.left.push_back(value);
        signal.right.push_back(value);
    }
    return signal;
}

Level measure(const std::vector<float>& left, const std::vector<float>& right) {
    Level level;
    double sum = 0.0;
    for (const std::vector<float>* channel : {&left, &right}) {
        for (float x : *channel) {
            level.peak = std::max(level.peak, std::fabs(x));
            sum += static_cast<double>(x) * x;
        }
    }
    const size_t count = left.size() + right.size();
    level.rms = count > 0 ? static_cast<float>(std::sqrt(sum / static_cast<double>(count))) : 0.0f;
    return level;
}

}  // namespace demo
