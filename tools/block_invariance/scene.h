// A fixed scene for comparing renders in different host block sizes: four seconds of stereo input at
// -6 dBFS through the effect's processReplacing, with parameter changes, band switches, a type change,
// A/B changes and general on/off at chosen samples. A host calls setParameter between two calls, so
// every render cuts its blocks at the events; otherwise the blocks follow the given sizes.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "effect/dravel.h"
#include "effect/parameter_mapping.h"

namespace BlockInvariance {

constexpr float kRate = 48000.0f;
constexpr int kFrames = 4 * 48000;
// Samples this long after the scene's last event count as steady.
constexpr int kSettleFrames = 48000;

struct Event {
    int at;  // the sample before which the host sends it
    int index;
    float value;
};

inline float norm(int index, float physical, float bandType = 0.0f) {
    return param::toNormalized(index, bandType, physical);
}

// The setting before the first sample, then the scene's changes in stream order.
inline std::vector<Event> sceneEvents() {
    using namespace param;
    std::vector<Event> e = {
        {0, kGenOn, 1.0f},
        {0, kHPFreq, norm(kHPFreq, 30.0f)}, {0, kHPType, 1.0f}, {0, kHPOn, 1.0f},
        {0, kB2Freq, norm(kB2Freq, 400.0f)}, {0, kB2Qual, norm(kB2Qual, 1.0f)},
        {0, kB2Gain, norm(kB2Gain, -6.64f)}, {0, kB2On, 1.0f},
        {0, kB3Freq, norm(kB3Freq, 12000.0f)}, {0, kB3Qual, norm(kB3Qual, 1.7f)},
        {0, kB3Gain, norm(kB3Gain, 6.64f)}, {0, kB3On, 1.0f},
        {0, kB5Type, 1.0f}, {0, kB5Freq, norm(kB5Freq, 8500.0f, 1.0f)}, {0, kB5Gain, norm(kB5Gain, 3.32f, 1.0f)},
        {0, kB5On, 1.0f},
        {0, kAirGain, norm(kAirGain, 5.0f)}, {0, kAirOn, 1.0f},
        // A redesign of the bell without correction, then one with.
        {9601, kB2Freq, norm(kB2Freq, 1000.0f)},
        {14407, kB3Gain, norm(kB3Gain, -4.98f)},
        // A band switched on, a type change with a switch.
        {24011, kB4Freq, norm(kB4Freq, 3000.0f)}, {24011, kB4Qual, norm(kB4Qual, 3.5f)},
        {24011, kB4Gain, norm(kB4Gain, 9.96f)}, {24011, kB4On, 1.0f},
        {33613, kB1Type, 1.0f}, {33613, kB1Freq, norm(kB1Freq, 140.0f, 1.0f)},
        {33613, kB1Gain, norm(kB1Gain, 4.98f, 1.0f)}, {33613, kB1On, 1.0f},
        {43217, kGenVol, norm(kGenVol, -3.32f)},
        // A/B and back.
        {52813, kSlotSelector, 1.0f},
        {72019, kSlotSelector, 0.0f},
        // General off and on again, a band switched off.
        {81623, kGenOn, 0.0f},
        {91201, kGenOn, 1.0f},
        {100003, kB4On, 0.0f},
        {104999, kLPFreq, norm(kLPFreq, 9000.0f)}, {104999, kLPOn, 1.0f},
    };
    // Automation: the bell's gain and frequency moved every 509 samples.
    for (int i = 0; i < 24; ++i) {
        const int at = 110017 + 509 * i;
        const double t = i / 23.0;
        e.push_back({at, kB2Gain, norm(kB2Gain, static_cast<float>(-6.64 + 13.0 * t))});
        e.push_back({at, kB2Freq, norm(kB2Freq, static_cast<float>(1000.0 * std::pow(3.0, t)))});
    }
    return e;
}

inline int lastEventAt(const std::vector<Event>& events) {
    int last = 0;
    for (const Event& e : events) last = std::max(last, e.at);
    return last;
}

// Sines and a little noise, different on the two channels, peaking near 0.5.
inline void sceneInput(std::vector<float>& left, std::vector<float>& right) {
    left.assign(kFrames, 0.0f);
    right.assign(kFrames, 0.0f);
    std::uint32_t seed = 12345u;
    const auto noise = [&] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
    };
    constexpr double kTwoPi = 6.283185307179586;
    for (int i = 0; i < kFrames; ++i) {
        const double t = i / static_cast<double>(kRate);
        const double a = 0.17 * std::sin(kTwoPi * 110.0 * t) + 0.12 * std::sin(kTwoPi * 997.0 * t) +
                         0.08 * std::sin(kTwoPi * 7919.0 * t) + 0.05 * std::sin(kTwoPi * 15013.0 * t);
        const double b = 0.15 * std::sin(kTwoPi * 220.0 * t + 1.0) + 0.12 * std::sin(kTwoPi * 3001.0 * t) +
                         0.08 * std::sin(kTwoPi * 11003.0 * t);
        left[static_cast<size_t>(i)] = static_cast<float>(a) + 0.06f * noise();
        right[static_cast<size_t>(i)] = static_cast<float>(b) + 0.06f * noise();
    }
}

struct Render {
    std::vector<float> left, right;
};

inline VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The scene in blocks whose sizes come from nextBlock (each cut at the next event). The effect starts
// as a host starts it: open, sample rate, block size, resume.
inline Render render(const std::function<int()>& nextBlock, const std::vector<float>& inLeft,
                     const std::vector<float>& inRight) {
    std::vector<Event> events = sceneEvents();
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.at < b.at; });
    Render out;
    out.left.assign(kFrames, 0.0f);
    out.right.assign(kFrames, 0.0f);
    AEffect* effect = CDravel::createEffect(&hostCallback);
    if (effect == nullptr) return out;
    auto* dravel = static_cast<CDravel*>(effect->object);
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, kRate);
    effect->dispatcher(effect, effSetBlockSize, 0, 512, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> inL = inLeft, inR = inRight;
    size_t next = 0;
    for (int pos = 0; pos < kFrames;) {
        while (next < events.size() && events[next].at <= pos) {
            dravel->setParameter(events[next].index, events[next].value);
            ++next;
        }
        int frames = std::clamp(nextBlock(), 1, kFrames - pos);
        if (next < events.size()) frames = std::min(frames, events[next].at - pos);
        float* inputs[2] = {inL.data() + pos, inR.data() + pos};
        float* outputs[2] = {out.left.data() + pos, out.right.data() + pos};
        effect->processReplacing(effect, inputs, outputs, frames);
        pos += frames;
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return out;
}

// Block-size patterns: a fixed size, or sizes drawn from a fixed pseudo-random sequence.
inline std::function<int()> fixedBlocks(int size) {
    return [size] { return size; };
}
inline std::function<int()> randomBlocks(int largest, std::uint32_t seed) {
    return [largest, seed]() mutable {
        seed = seed * 1103515245u + 12345u;
        return 1 + static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(largest));
    };
}

struct Deviation {
    double transitions = 0.0;  // over the whole scene
    double steady = 0.0;       // from kSettleFrames after the last event on
    int worstAt = 0;           // the sample of the largest difference
};

inline Deviation compare(const Render& a, const Render& b) {
    const int steadyFrom = lastEventAt(sceneEvents()) + kSettleFrames;
    Deviation d;
    for (int i = 0; i < kFrames; ++i) {
        const size_t k = static_cast<size_t>(i);
        const double e = std::max(std::fabs(static_cast<double>(a.left[k]) - b.left[k]),
                                  std::fabs(static_cast<double>(a.right[k]) - b.right[k]));
        if (e > d.transitions) {
            d.transitions = e;
            d.worstAt = i;
        }
        if (i >= steadyFrom) d.steady = std::max(d.steady, e);
    }
    return d;
}

}  // namespace BlockInvariance
