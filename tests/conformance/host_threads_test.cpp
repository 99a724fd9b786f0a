// What hosts do from their threads while the audio thread runs: suspend and resume on the audio
// thread itself, the chunk saved and loaded from the user-interface thread, the sample rate changed
// while processing.
#include <atomic>
#include <mutex>
#include <thread>

#include "probe.h"

namespace conformance {
namespace {

constexpr float kRate = 48000.0f;

// What the audio thread saw while another thread worked.
struct Overlap {
    Stereo last;  // the last pass's output
    bool finite = true;
    float peak = 0.0f;
    int passes = 0;
};

// Processes the signal in blocks on this thread, pass after pass, while `other` runs on a second
// thread, until the second one has run at least `otherRuns` times (it starts before the first pass).
Overlap processWhile(vsthost::Host& host, const Stereo& input, VstInt32 block, const std::function<void()>& other,
                     long otherRuns, const std::function<void(size_t)>& beforeBlock = nullptr) {
    std::atomic<bool> done{false};
    std::atomic<long> runs{0};
    std::thread thread([&] {
        while (!done.load()) {
            other();
            runs.fetch_add(1);
        }
    });
    while (runs.load() == 0) std::this_thread::yield();
    Overlap o;
    do {
        o.last = render(host, input, [block] { return block; }, beforeBlock);
        o.finite = o.finite && allFinite(o.last);
        o.peak = std::max(o.peak, peak(o.last));
        ++o.passes;
    } while (runs.load() < otherRuns && o.passes < 200);
    done.store(true);
    thread.join();
    return o;
}

TEST(HostThreads, SuspendAndResumeOnTheAudioThread) {
    auto host = newInstance(kRate, 256);
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    Random random(8);
    int cycles = 0;
    VstInt32 nextBlock = 256;
    const Stereo input = testSignal(2 * 48000, kRate);
    const Overlap out = processWhile(
        *host, input, 256,
        [&] {
            host->setParameter(random.below(21), random.unit());
            std::this_thread::yield();
        },
        100, [&](size_t start) {
            if ((start / 256) % 7 == 3) {
                host->mainsChanged(false);
                nextBlock = nextBlock == 256 ? 1024 : 256;
                host->setBlockSize(nextBlock);
                host->mainsChanged(true);
                ++cycles;
            }
        });
    EXPECT_TRUE(out.finite);
    EXPECT_LT(out.peak, 1.0e3f);
    // Still processing: the last half second is not silent.
    EXPECT_GT(peak(out.last, input.frames() - 24000), 1.0e-3f);
    figure(format("%d suspend/resume pairs from the audio thread, %d s of audio", cycles, 2 * out.passes));
}

TEST(HostThreads, ChunkSavedAndLoadedWhileProcessing) {
    auto host = newInstance(kRate, 512);
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    const std::vector<char> quiet = host->getChunk();
    std::mutex chunksMutex;
    std::vector<std::vector<char>> saved;
    long wrongSize = 0, requests = 0;
    const Stereo input = testSignal(48000, kRate);
    // Saving while only the audio thread runs: the chunk never changes.
    processWhile(*host, input, 512, [&] {
        const std::vector<char> chunk = host->getChunk();
        ++requests;
        if (chunk != quiet) ++wrongSize;
    }, 200);
    EXPECT_EQ(wrongSize, 0) << "of " << requests << " chunks saved while processing differ from the idle one";

    // Saving while automation changes it: every saved chunk is a whole image that loads cleanly.
    Random random(9);
    std::atomic<bool> done{false};
    std::thread automation([&] {
        Random r(10);
        while (!done.load()) host->setParameter(r.below(21), r.unit());
    });
    const Overlap out = processWhile(*host, input, 512, [&] {
        std::vector<char> chunk = host->getChunk();
        if (chunk.size() != static_cast<size_t>(kChunkSize)) ++wrongSize;
        std::lock_guard<std::mutex> lock(chunksMutex);
        if (saved.size() < 40 && random.below(8) == 0) saved.push_back(std::move(chunk));
    }, 400);
    done.store(true);
    automation.join();
    EXPECT_EQ(wrongSize, 0);
    EXPECT_TRUE(out.finite);
    auto probe = newInstance(kRate, 512);
    ASSERT_NE(probe, nullptr);
    for (const std::vector<char>& chunk : saved) {
        probe->setChunk(chunk);
        EXPECT_EQ(probe->getChunk(), chunk) << "a chunk saved during automation does not load back as saved";
    }

    // Loading chunks while processing (a host switching presets during playback).
    auto other = newInstance(kRate, 512);
    ASSERT_NE(other, nullptr);
    Random r(12);
    applySetting(*other, randomSetting(r));
    const std::vector<char> second = other->getChunk();
    int loads = 0;
    const Overlap loaded = processWhile(*host, input, 512, [&] {
        host->setChunk(loads++ % 2 == 0 ? second : quiet);
    }, 200);
    EXPECT_TRUE(loaded.finite);
    figure(format("%ld chunks saved, %zu reloaded, %d loaded while processing", requests, saved.size(), loads));
}

TEST(HostThreads, SampleRateChangedWhileProcessing) {
    auto host = newInstance(kRate, 256);
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    const float rates[] = {44100.0f, 96000.0f, 22050.0f, 48000.0f, 192000.0f};
    int changes = 0;
    const Stereo input = testSignal(48000, kRate);
    const Overlap out = processWhile(*host, input, 256, [&] {
        host->setSampleRate(rates[changes++ % 5]);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }, 200);
    EXPECT_TRUE(out.finite);
    EXPECT_LT(out.peak, 1.0e3f);

    // Settled at 48 kHz again, it sounds like an instance that never changed.
    host->setSampleRate(kRate);
    const Stereo settled = render(*host, input);
    auto fresh = newInstance(kRate, 256);
    ASSERT_NE(fresh, nullptr);
    applySetting(*fresh, busySetting());
    const Stereo reference = render(*fresh, input);
    const float d = largestDifference(settled, reference, 24000);
    EXPECT_LE(d, 1.0e-4f);
    figure(format("%d rate changes during %d s of audio; 0.5 s after the last %.1e from a fresh instance", changes, out.passes, d));
}

}  // namespace
}  // namespace conformance
