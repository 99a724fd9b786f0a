// What every conformance check shares: the module under test, loaded once through its exported entry
// as a host loads it, fresh instances of it, test signals, renders and their comparison.
//
// The checks treat the plug-in as a black box: they see only the VST 2.4 binary interface (vst/) and
// drive it through our own host library (tools/vsthost/), never the effect's code.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/vsthost/vst_host.h"

namespace conformance {

constexpr VstInt32 kNumParams = 34;
constexpr VstInt32 kFirstSwitch = 21;  // 0..20 continuous, 21..33 switches
constexpr VstInt32 kGenOn = 33;
constexpr VstInt32 kChunkSize = 1904;

// The module path (TOVIN_PLUGIN overrides the one built with the suite).
std::string pluginPath();
// The module, loaded once for the whole run.
std::shared_ptr<vsthost::Module> sharedModule();
// A new instance of the shared module, opened at the rate and block size as hosts do; null (and a
// failed check) when the entry gives none.
std::unique_ptr<vsthost::Host> newInstance(float rate = 48000.0f, VstInt32 block = 512);

// The effect's installation directory as this platform gives it to the effect (Linux: the environment;
// Windows: the registry), empty when there is none.
std::string installDirectory();

// Files the checks made the effect write into its installation directory go again: a chunk whose
// preset is not in the store brings it in as a new user preset, as a project from another machine does.
class StoreGuard {
public:
    StoreGuard();
    ~StoreGuard();  // removes every file that was not there before
    // How many preset files appeared since construction.
    int added() const;
    StoreGuard(const StoreGuard&) = delete;
    StoreGuard& operator=(const StoreGuard&) = delete;

private:
    std::vector<std::string> before_;
};

// A count that CI makes smaller: the environment variable's value if set, else the default.
int countFromEnvironment(const char* name, int defaultCount);

// A figure for the summary table, shown beside the current check (the last one given wins).
void figure(const std::string& text);
#if defined(_WIN32)
std::string format(const char* pattern, ...) __attribute__((format(gnu_printf, 1, 2)));  // MinGW's C99 printf
#else
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
#endif

// A small deterministic generator (the same sequence on every platform).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    float unit() { return static_cast<float>(next() >> 40) / static_cast<float>(1ull << 24); }  // [0, 1)
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

private:
    uint64_t state_;
};

struct Stereo {
    std::vector<float> left, right;
    size_t frames() const { return left.size(); }
};

// Two sines and a little noise per channel, peaking near `peak`.
Stereo testSignal(size_t frames, float rate, float peak = 0.5f, uint64_t seed = 1);

// Parameter settings as a host sends them: (index, normalized value).
using Setting = std::vector<std::pair<VstInt32, float>>;
// Every band on with moderate values: redesigns and corrections everywhere.
Setting busySetting();
// Random values for all 34 parameters.
Setting randomSetting(Random& random);
void applySetting(vsthost::Host& host, const Setting& setting);

// Renders a signal in blocks whose sizes `nextBlock` gives (512 when null); `beforeBlock(start)` runs
// before each call with the block's first stream sample.
using BlockSizes = std::function<VstInt32()>;
Stereo render(vsthost::Host& host, const Stereo& input, BlockSizes nextBlock = nullptr,
              const std::function<void(size_t)>& beforeBlock = nullptr);

// A parameter change that a host sends before stream sample `at`; renders cut their blocks there.
struct Event {
    size_t at;
    VstInt32 index;
    float value;
};
Stereo renderScene(vsthost::Host& host, const Stereo& input, const std::vector<Event>& events,
                   BlockSizes nextBlock = nullptr);

float largestDifference(const Stereo& a, const Stereo& b, size_t from = 0, size_t to = SIZE_MAX);
float peak(const Stereo& s, size_t from = 0, size_t to = SIZE_MAX);
bool allFinite(const Stereo& s, size_t from = 0, size_t to = SIZE_MAX);
bool bitIdentical(const Stereo& a, const Stereo& b);

}  // namespace conformance
