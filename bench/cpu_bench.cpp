// CPU cost of the engine per stereo frame, driven as the effect drives it (host blocks cut into
// sub-blocks of at most 44 samples): all bands off, the standard 8-band setting, and the same
// setting with every band's frequency and gain automated every 32 samples.
#include "bench/standard_setting.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

namespace {

enum class Setting { kAllOff, kStandard, kAutomated };

struct Signal {
    std::vector<float> left, right, outLeft, outRight;
    explicit Signal(int n) : left(n), right(n), outLeft(n), outRight(n) {
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> d(-0.25f, 0.25f);
        for (int i = 0; i < n; ++i) {
            left[i] = d(rng);
            right[i] = d(rng);
        }
    }
};

void processCall(EqEngine& e, Signal& s, int offset, int frames, int automationStep, long long& automationClock) {
    for (int done = 0; done < frames;) {
        int chunk = frames - done;
        if (automationStep > 0) {
            // A host with sample-accurate automation splits its block at every change.
            chunk = std::min(chunk, automationStep);
            const double t = static_cast<double>(automationClock++) * automationStep;
            const float scale = static_cast<float>(std::pow(2.0, 0.5 * std::sin(t * 2.0e-4)));
            const float offsetDb = static_cast<float>(2.0 * std::sin(t * 3.1e-4));
            StandardSetting::apply(e, scale, offsetDb);
        }
        const int end = done + chunk;
        while (done < end) {
            const int at = offset + done;
            done += e.process(end - done, &s.left[at], &s.right[at], &s.outLeft[at], &s.outRight[at], 2);
        }
    }
}

void engineBenchmark(benchmark::State& state, Setting setting) {
    const float fs = static_cast<float>(state.range(0));
    const int block = static_cast<int>(state.range(1));
    constexpr int kSignal = 1 << 16;
    Signal signal(kSignal);
    EqEngine e;
    e.setSampleRate(fs);
    StandardSetting::apply(e);
    StandardSetting::switchAll(e, setting != Setting::kAllOff);
    long long clock = 0;
    for (int i = 0; i < kSignal / block * 4; ++i)  // fades and glides settle first
        processCall(e, signal, (i * block) % (kSignal - block), block, 0, clock);

    const int step = setting == Setting::kAutomated ? 32 : 0;
    std::vector<double> calls;
    calls.reserve(1 << 20);
    int offset = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        processCall(e, signal, offset, block, step, clock);
        const auto stop = std::chrono::steady_clock::now();
        if (calls.size() < calls.capacity()) calls.push_back(std::chrono::duration<double, std::nano>(stop - start).count());
        offset += block;
        if (offset + block > kSignal) offset = 0;
        benchmark::DoNotOptimize(signal.outLeft.data());
    }
    state.counters["ns_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * block,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (!calls.empty()) {
        std::sort(calls.begin(), calls.end());
        state.counters["median_call_ns"] = calls[calls.size() / 2];
        // On a shared machine the worst call mostly measures the scheduler; the high percentiles
        // show what the engine itself does.
        state.counters["p99_call_ns"] = calls[calls.size() * 99 / 100];
        state.counters["p999_call_ns"] = calls[calls.size() * 999 / 1000];
        state.counters["worst_call_ns"] = calls.back();
        state.counters["worst_over_median"] = calls.back() / calls[calls.size() / 2];
    }
}

void arguments(benchmark::internal::Benchmark* b) {
    for (int rate : {44100, 48000, 96000})
        for (int block : {32, 64, 512}) b->Args({rate, block});
    b->ArgNames({"rate", "block"});
}

}  // namespace

BENCHMARK_CAPTURE(engineBenchmark, all_bands_off, Setting::kAllOff)->Apply(arguments);
BENCHMARK_CAPTURE(engineBenchmark, standard_8_bands, Setting::kStandard)->Apply(arguments);
BENCHMARK_CAPTURE(engineBenchmark, automated_every_32, Setting::kAutomated)->Apply(arguments);

BENCHMARK_MAIN();
