// The audio thread's rules, counted in the loaded module: processReplacing allocates nothing, takes
// no lock and opens no file, also while all parameters are automated (from the audio thread and from
// another), the sample rate changes and chunks arrive, so that every band keeps redesigning.
#include <atomic>
#include <thread>

#include "probe.h"
#include "realtime_hooks.h"

namespace conformance {
namespace {

using realtime::CountingScope;
using realtime::Counts;

class Realtime : public ::testing::Test {
protected:
    void SetUp() override {
        if (!realtime::available()) GTEST_SKIP() << "the sanitizer runtime owns the allocator";
        std::shared_ptr<vsthost::Module> module = sharedModule();
        ASSERT_TRUE(module);
        int patched = 0;
        ASSERT_TRUE(realtime::hookModule(reinterpret_cast<const void*>(module->entry()), &patched))
            << "cannot hook the module's imports";
        patched_ = patched;
    }
    int patched_ = 0;
};

TEST_F(Realtime, TheHooksSeeTheModule) {
    // Creating an effect allocates: the hooks must see it, or their zero below would mean nothing.
    realtime::resetCounts();
    {
        CountingScope scope;
        vsthost::Host host;
        ASSERT_TRUE(host.instantiate(sharedModule()));
        host.close();
    }
    const Counts c = realtime::counts();
    EXPECT_GT(c.allocations, 0) << "no allocation seen while an effect was created";
    figure(format("%ld allocations seen creating an effect (%s%s)", c.allocations, realtime::mechanism(),
                  patched_ > 0 ? format(", %d entries", patched_).c_str() : ""));
}

TEST_F(Realtime, NothingInProcessingDuringAutomationAndRedesigns) {
    constexpr float kRate = 48000.0f;
    constexpr VstInt32 kBlock = 64;
    auto host = newInstance(kRate, kBlock);
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    auto other = newInstance(kRate, kBlock);
    ASSERT_NE(other, nullptr);
    Random seed(5);
    applySetting(*other, randomSetting(seed));
    const std::vector<char> chunks[2] = {host->getChunk(), other->getChunk()};

    const Stereo input = testSignal(2 * 48000, kRate);
    Stereo out{std::vector<float>(input.frames()), std::vector<float>(input.frames())};
    std::atomic<bool> done{false};
    std::atomic<int> rateChanges{0}, chunkLoads{0};
    std::thread interfaceThread([&] {
        Random r(6);
        for (int i = 0; !done.load(); ++i) {
            host->setParameter(r.below(21), r.unit());
            if (i % 2000 == 0) {
                host->setChunk(chunks[(i / 2000) % 2]);
                ++chunkLoads;
            }
            if (i % 7000 == 0) {
                host->setSampleRate(i % 14000 == 0 ? 44100.0f : kRate);
                ++rateChanges;
            }
        }
    });
    Random random(7);
    long automationAllocations = 0;
    realtime::resetCounts();
    Counts inProcessing;
    // Passes over the input until the other thread has loaded chunks and changed the rate a few times.
    int passes = 0;
    for (; passes < 40 && (passes == 0 || chunkLoads.load() < 8 || rateChanges.load() < 4); ++passes) {
        for (size_t start = 0; start + kBlock <= input.frames(); start += kBlock) {
            // Host automation on the audio thread, between the calls: every parameter, a redesign each.
            const Counts before = realtime::counts();
            {
                CountingScope scope;
                for (VstInt32 i = 0; i < kNumParams; ++i)
                    host->setParameter(i, i == kGenOn ? 1.0f : i >= kFirstSwitch ? static_cast<float>(random.below(2)) : random.unit());
            }
            const Counts afterAutomation = realtime::counts();
            automationAllocations += afterAutomation.allocations - before.allocations;
            {
                CountingScope scope;
                host->processStereo(input.left.data() + start, input.right.data() + start, out.left.data() + start,
                                    out.right.data() + start, kBlock);
            }
            const Counts after = realtime::counts();
            inProcessing.allocations += after.allocations - afterAutomation.allocations;
            inProcessing.locks += after.locks - afterAutomation.locks;
            inProcessing.files += after.files - afterAutomation.files;
        }
    }
    done.store(true);
    interfaceThread.join();
    EXPECT_EQ(inProcessing.allocations, 0) << "allocations in processReplacing";
    EXPECT_EQ(inProcessing.locks, 0) << "locks, waits or sleeps in processReplacing";
    EXPECT_EQ(inProcessing.files, 0) << "file calls in processReplacing";
    EXPECT_EQ(automationAllocations, 0) << "allocations in setParameter on the audio thread";
    EXPECT_TRUE(allFinite(out));
    figure(format("%d blocks: %ld allocations, %ld locks or waits, %ld file calls; %d rate changes, %d chunks meanwhile",
                  passes * 1500, inProcessing.allocations, inProcessing.locks, inProcessing.files, rateChanges.load(),
                  chunkLoads.load()));
}

}  // namespace
}  // namespace conformance
