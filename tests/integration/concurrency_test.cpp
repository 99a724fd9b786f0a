// Threads as a host runs them: processing on the audio thread while automation arrives on another and
// the user-interface thread reads parameters or saves the chunk. Run under ThreadSanitizer these must
// report nothing; everywhere they must leave the output finite.
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "plugin_under_test.h"

namespace integration {
namespace {

constexpr VstInt32 kFrames = 256;
constexpr int kBlocks = 300;

// Runs blocks until told to stop, then reports whether every sample stayed finite.
class AudioThread {
public:
    explicit AudioThread(vsthost::Host& host) : host_(host), thread_([this] { run(); }) {}
    ~AudioThread() { stop(); }
    void stop() {
        if (thread_.joinable()) thread_.join();
    }
    bool allFinite() const { return finite_.load(); }

private:
    void run() {
        std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
        for (int block = 0; block < kBlocks; ++block) {
            for (VstInt32 i = 0; i < kFrames; ++i) {
                inL[static_cast<size_t>(i)] = 0.3f * std::sin(0.07f * static_cast<float>(block * kFrames + i));
                inR[static_cast<size_t>(i)] = -inL[static_cast<size_t>(i)];
            }
            host_.processStereo(inL.data(), inR.data(), outL.data(), outR.data(), kFrames);
            for (VstInt32 i = 0; i < kFrames; ++i) {
                if (!std::isfinite(outL[static_cast<size_t>(i)]) || !std::isfinite(outR[static_cast<size_t>(i)]))
                    finite_.store(false);
            }
        }
    }

    vsthost::Host& host_;
    std::atomic<bool> finite_{true};
    std::thread thread_;
};

TEST(PluginConcurrency, AutomationAndParameterReadsWhileProcessing) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    host->start(44100.0f, kFrames);

    std::atomic<bool> done{false};
    std::thread automation([&] {
        for (int round = 0; !done.load(); ++round) {
            for (VstInt32 index = 0; index < kNumParams; ++index) {
                host->setParameter(index, static_cast<float>((round * 7 + index * 3) % 11) / 10.0f);
            }
        }
    });
    std::atomic<bool> readsInRange{true};
    std::thread interface([&] {
        while (!done.load()) {
            for (VstInt32 index = 0; index < kNumParams; ++index) {
                const float value = host->getParameter(index);
                if (!(value >= 0.0f && value <= 1.0f)) readsInRange.store(false);
            }
        }
    });
    AudioThread audio(*host);
    audio.stop();
    done.store(true);
    automation.join();
    interface.join();
    EXPECT_TRUE(readsInRange.load());
    EXPECT_TRUE(audio.allFinite());
}

TEST(PluginConcurrency, ChunkSavedWhileProcessing) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    host->start(48000.0f, kFrames);
    std::atomic<bool> done{false};
    std::atomic<int> wrongSizes{0};
    std::thread interface([&] {
        while (!done.load()) {
            if (host->getChunk().size() != 1904u) ++wrongSizes;
        }
    });
    AudioThread audio(*host);
    audio.stop();
    done.store(true);
    interface.join();
    EXPECT_EQ(wrongSizes.load(), 0);
    EXPECT_TRUE(audio.allFinite());
}

}  // namespace
}  // namespace integration
