// The audio thread's rules: no allocation while processing, silence instead of stale buffers, and
// values that cross threads without data races (run under ThreadSanitizer).
#include <gtest/gtest.h>

// The replaced operator new below pairs with free(); g++ cannot see that across inlined call sites.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "effect/parameter_tables.h"
#include "host_recorder.h"

// Sanitizer runtimes own operator new; the allocation count runs in the plain builds.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TOVIN_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TOVIN_SANITIZED 1
#endif

namespace {

thread_local bool countingThread = false;
std::atomic<long> allocationsSeen{0};

struct CountAllocations {
    CountAllocations() { countingThread = true; }
    ~CountAllocations() { countingThread = false; }
};

}  // namespace

#if !defined(TOVIN_SANITIZED)
void* operator new(std::size_t size) {
    if (countingThread) allocationsSeen.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

struct Buffers {
    explicit Buffers(int frames) : data(4, std::vector<float>(static_cast<std::size_t>(frames), 0.0f)) {
        for (int i = 0; i < frames; ++i) data[0][static_cast<std::size_t>(i)] = std::sin(0.01f * i);
        for (int i = 0; i < frames; ++i) data[1][static_cast<std::size_t>(i)] = std::cos(0.02f * i);
        in[0] = data[0].data();
        in[1] = data[1].data();
        out[0] = data[2].data();
        out[1] = data[3].data();
    }
    std::vector<std::vector<float>> data;
    float* in[2]{};
    float* out[2]{};
};

}  // namespace

TEST(Realtime, ProcessingAllocatesNothing) {
#if defined(TOVIN_SANITIZED)
    GTEST_SKIP() << "the sanitizer runtime replaces operator new";
#endif
    EffectHandle h;
    h.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    for (int index = 0; index < 34; ++index) h.aeffect->setParameter(h.aeffect, index, 0.8f);
    Buffers b(4096);
    h.aeffect->processReplacing(h.aeffect, b.in, b.out, 512);  // first designs happen here too
    allocationsSeen = 0;
    {
        CountAllocations counting;
        for (int frames : {1, 44, 100, 512, 4096}) {
            for (int i = 0; i < 20; ++i) {
                h.aeffect->setParameter(h.aeffect, param::kB2Freq, 0.01f * static_cast<float>(i));
                h.aeffect->processReplacing(h.aeffect, b.in, b.out, frames);
            }
        }
    }
    EXPECT_EQ(allocationsSeen.load(), 0);
}

TEST(Realtime, OutputsAreNeverLeftStale) {
    EffectHandle h;
    Buffers b(64);
    for (auto& v : b.data[2]) v = 123.0f;  // stale content in the host's buffer
    for (auto& v : b.data[3]) v = 123.0f;
    float* noInput[2] = {nullptr, nullptr};
    h.aeffect->processReplacing(h.aeffect, noInput, b.out, 64);
    for (int ch = 2; ch < 4; ++ch)
        for (float v : b.data[static_cast<std::size_t>(ch)]) ASSERT_EQ(v, 0.0f);
}

TEST(Concurrency, AutomationReadsAndProcessingRaceFree) {
    EffectHandle h;
    CDravel& fx = *h.effect;
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        Buffers b(256);
        while (!stop.load()) h.aeffect->processReplacing(h.aeffect, b.in, b.out, 256);
    });
    std::thread automation([&] {
        for (int i = 0; i < 3000 && !stop.load(); ++i) {
            const int index = i % 34;
            fx.setParameter(index, static_cast<float>(i % 17) / 16.0f);
        }
    });
    std::thread interface([&] {
        for (int i = 0; i < 3000 && !stop.load(); ++i) {
            const int index = i % 21;
            fx.beginEdit(index);
            fx.setParameterAutomated(index, static_cast<float>(i % 11) / 10.0f);
            fx.endEdit(index);
            (void)fx.getParameter(i % 110);
            (void)fx.displayText(index);
            if (i % 500 == 0) h.dispatch(effSetSampleRate, 0, 0, nullptr, i % 1000 ? 48000.0f : 44100.0f);
        }
    });
    automation.join();
    interface.join();
    stop = true;
    audio.join();
    for (int index = 0; index < 34; ++index) {
        const float v = fx.getParameter(index);
        EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << index;
    }
}
