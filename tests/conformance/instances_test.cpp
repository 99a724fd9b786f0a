// Many instances: a hundred created and destroyed, thirty-two alive at once sounding each as it would
// alone, instances created from several threads at once, and the module loaded and unloaded again.
#include <atomic>
#include <ctime>
#include <filesystem>
#include <thread>

#include "probe.h"

namespace conformance {
namespace {

constexpr float kRate = 44100.0f;

TEST(Instances, AHundredCreatedAndDestroyed) {
    const Stereo input = testSignal(512, kRate);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) {
        auto host = newInstance(kRate, 512);
        ASSERT_NE(host, nullptr) << "instance " << i;
        applySetting(*host, busySetting());
        EXPECT_TRUE(allFinite(render(*host, input))) << "instance " << i;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figure(format("%.1f ms per instance", seconds * 10.0));
}

TEST(Instances, ThirtyTwoAliveSoundAsAlone) {
    constexpr int kCount = 32;
    constexpr VstInt32 kBlock = 128;
    const Stereo input = testSignal(40 * kBlock, kRate, 0.5f, 2);
    std::vector<std::unique_ptr<vsthost::Host>> hosts;
    std::vector<Setting> settings;
    std::vector<Stereo> outs;
    Random random(32);
    for (int i = 0; i < kCount; ++i) {
        hosts.push_back(newInstance(kRate, kBlock));
        ASSERT_NE(hosts.back(), nullptr);
        settings.push_back(randomSetting(random));
        settings.back().emplace_back(kGenOn, 1.0f);
        applySetting(*hosts.back(), settings.back());
        outs.push_back({std::vector<float>(input.frames()), std::vector<float>(input.frames())});
    }
    // Interleaved, block by block, as a host runs its tracks.
    for (size_t start = 0; start < input.frames(); start += kBlock) {
        for (int i = 0; i < kCount; ++i) {
            hosts[static_cast<size_t>(i)]->processStereo(input.left.data() + start, input.right.data() + start,
                                                         outs[static_cast<size_t>(i)].left.data() + start,
                                                         outs[static_cast<size_t>(i)].right.data() + start, kBlock);
        }
    }
    for (int i = 0; i < kCount; ++i) {
        auto alone = newInstance(kRate, kBlock);
        ASSERT_NE(alone, nullptr);
        applySetting(*alone, settings[static_cast<size_t>(i)]);
        const Stereo solo = render(*alone, input, [] { return kBlock; });
        EXPECT_TRUE(bitIdentical(solo, outs[static_cast<size_t>(i)])) << "instance " << i;
    }
    figure("32 instances, interleaved blocks, bit for bit as alone");
}

TEST(Instances, ProcessingOnSeveralThreadsAtOnce) {
    // Hosts that render tracks on several cores: no scratch state may be shared between instances.
    constexpr int kThreads = 4;
    const Stereo input = testSignal(48000, kRate, 0.5f, 3);
    std::vector<std::unique_ptr<vsthost::Host>> hosts;
    std::vector<Setting> settings;
    Random random(44);
    for (int i = 0; i < kThreads; ++i) {
        hosts.push_back(newInstance(kRate, 256));
        ASSERT_NE(hosts.back(), nullptr);
        settings.push_back(randomSetting(random));
        settings.back().emplace_back(kGenOn, 1.0f);
        applySetting(*hosts.back(), settings.back());
    }
    std::vector<Stereo> outs(kThreads);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            ++ready;
            while (ready.load() < kThreads) std::this_thread::yield();
            outs[static_cast<size_t>(i)] = render(*hosts[static_cast<size_t>(i)], input, [] { return 256; });
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < kThreads; ++i) {
        auto alone = newInstance(kRate, 256);
        ASSERT_NE(alone, nullptr);
        applySetting(*alone, settings[static_cast<size_t>(i)]);
        EXPECT_TRUE(bitIdentical(render(*alone, input, [] { return 256; }), outs[static_cast<size_t>(i)])) << "instance " << i;
    }
    figure("4 instances on 4 threads at once, bit for bit as alone");
}

TEST(Instances, CreatedFromSeveralThreadsAtOnce) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures, t] {
            for (int i = 0; i < 6; ++i) {
                vsthost::Host host;
                if (!host.instantiate(sharedModule())) {
                    ++failures;
                    continue;
                }
                host.start(kRate, 256);
                const Stereo input = testSignal(256, kRate, 0.5f, static_cast<uint64_t>(t));
                if (!allFinite(render(host, input))) ++failures;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    figure("4 threads x 6 instances");
}

TEST(Instances, ModuleLoadedAndUnloadedAgain) {
    // A copy under another name is a module of its own, really unloaded when its last instance goes
    // (the shared module stays loaded for the other checks).
    namespace fs = std::filesystem;
    const fs::path original(pluginPath());
    const fs::path directory = fs::temp_directory_path() / format("tovin-conformance-%d", static_cast<int>(std::time(nullptr) % 100000));
    fs::create_directories(directory);
    const fs::path copy = directory / ("TovinCopy" + original.extension().string());
    fs::copy_file(original, copy, fs::copy_options::overwrite_existing);
    const Stereo input = testSignal(4410, kRate);
    Stereo first;
    for (int cycle = 0; cycle < 5; ++cycle) {
        std::string error;
        std::shared_ptr<vsthost::Module> module = vsthost::Module::load(copy.string(), &error);
        ASSERT_TRUE(module) << error;
        for (int i = 0; i < 3; ++i) {
            vsthost::Host host;
            ASSERT_TRUE(host.instantiate(module)) << host.error();
            host.start(kRate, 512);
            host.dispatch(effSetBypass, 0, 0);
            applySetting(host, busySetting());
            const Stereo out = render(host, input);
            if (cycle == 0 && i == 0) first = out;
            EXPECT_TRUE(bitIdentical(out, first)) << "cycle " << cycle << ", instance " << i;
        }
    }
    std::error_code ignored;
    fs::remove_all(directory, ignored);
    figure("5 load/unload cycles of a copy, 3 instances each");
}

}  // namespace
}  // namespace conformance
