// The shared pieces of the conformance checks.
#include <numbers>

#include "probe.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace conformance {

void noteFigure(const std::string& text);  // summary_table.cpp

std::string pluginPath() {
    if (const char* path = std::getenv("TOVIN_PLUGIN"); path != nullptr && path[0] != 0) return path;
    return TOVIN_PLUGIN_PATH;
}

std::shared_ptr<vsthost::Module> sharedModule() {
    static std::shared_ptr<vsthost::Module> module = [] {
        std::string error;
        std::shared_ptr<vsthost::Module> loaded = vsthost::Module::load(pluginPath(), &error);
        if (!loaded) std::fprintf(stderr, "conformance: %s\n", error.c_str());
        return loaded;
    }();
    return module;
}

std::unique_ptr<vsthost::Host> newInstance(float rate, VstInt32 block) {
    std::shared_ptr<vsthost::Module> module = sharedModule();
    if (!module) {
        ADD_FAILURE() << "the module " << pluginPath() << " cannot be loaded";
        return nullptr;
    }
    auto host = std::make_unique<vsthost::Host>();
    if (!host->instantiate(module)) {
        ADD_FAILURE() << host->error();
        return nullptr;
    }
    host->start(rate, block);
    // As hosts do at every instantiation: not bypassed.
    host->dispatch(effSetBypass, 0, 0);
    return host;
}

std::string installDirectory() {
#if defined(_WIN32)
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Corvane\\Tovin", "InstallDirectory", RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return {};
    return value;
#else
    const char* directory = std::getenv("TOVIN_INSTALL_DIRECTORY");
    return directory != nullptr ? directory : "";
#endif
}

namespace {
std::vector<std::string> filesIn(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    if (directory.empty()) return names;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

StoreGuard::StoreGuard() : before_(filesIn(installDirectory())) {}

StoreGuard::~StoreGuard() {
    const std::string directory = installDirectory();
    for (const std::string& name : filesIn(directory)) {
        if (std::binary_search(before_.begin(), before_.end(), name)) continue;
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::path(directory) / name, ignored);
    }
}

int StoreGuard::added() const {
    int count = 0;
    for (const std::string& name : filesIn(installDirectory()))
        if (!std::binary_search(before_.begin(), before_.end(), name) && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".prt") == 0)
            ++count;
    return count;
}

int countFromEnvironment(const char* name, int defaultCount) {
    const char* text = std::getenv(name);
    if (text == nullptr || text[0] == 0) return defaultCount;
    const int count = std::atoi(text);
    return count > 0 ? count : defaultCount;
}

void figure(const std::string& text) { noteFigure(text); }

std::string format(const char* pattern, ...) {
    char buffer[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

Stereo testSignal(size_t frames, float rate, float peakLevel, uint64_t seed) {
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    Random random(seed);
    const double w1 = 2.0 * std::numbers::pi * 220.0 / rate, w2 = 2.0 * std::numbers::pi * 3150.0 / rate;
    const double w3 = 2.0 * std::numbers::pi * 97.0 / rate, w4 = 2.0 * std::numbers::pi * 7400.0 / rate;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        const float noise = 0.1f * (random.unit() - 0.5f);
        s.left[i] = peakLevel * static_cast<float>(0.5 * std::sin(w1 * t) + 0.3 * std::sin(w2 * t) + noise);
        s.right[i] = peakLevel * static_cast<float>(0.5 * std::sin(w3 * t) + 0.3 * std::sin(w4 * t) - noise);
    }
    return s;
}

Setting busySetting() {
    return {
        {0, 0.15f},  {1, 0.55f},  {21, 1.0f}, {22, 1.0f},               // high-pass
        {2, 0.25f},  {3, 0.5f},   {4, 0.62f}, {23, 1.0f}, {24, 1.0f},   // low shelf
        {5, 0.40f},  {6, 0.45f},  {7, 0.30f}, {25, 1.0f},               // bell 2
        {8, 0.60f},  {9, 0.70f},  {10, 0.68f}, {26, 1.0f},              // bell 3
        {11, 0.75f}, {12, 0.35f}, {13, 0.42f}, {27, 1.0f},              // bell 4
        {14, 0.82f}, {15, 0.5f},  {16, 0.60f}, {28, 1.0f}, {29, 1.0f},  // high shelf
        {17, 0.90f}, {18, 0.55f}, {30, 1.0f}, {31, 1.0f},               // low-pass
        {19, 0.65f}, {32, 1.0f},                                        // Air
        {20, 0.45f}, {33, 1.0f},                                        // volume, general on
    };
}

Setting randomSetting(Random& random) {
    Setting s;
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        const float v = random.unit();
        s.emplace_back(i, i >= kFirstSwitch ? (v < 0.5f ? 0.0f : 1.0f) : v);
    }
    return s;
}

void applySetting(vsthost::Host& host, const Setting& setting) {
    for (const auto& [index, value] : setting) host.setParameter(index, value);
}

Stereo render(vsthost::Host& host, const Stereo& input, BlockSizes nextBlock,
              const std::function<void(size_t)>& beforeBlock) {
    Stereo out{std::vector<float>(input.frames()), std::vector<float>(input.frames())};
    for (size_t start = 0; start < input.frames();) {
        const size_t want = nextBlock ? static_cast<size_t>(std::max<VstInt32>(1, nextBlock())) : 512;
        const size_t n = std::min(want, input.frames() - start);
        if (beforeBlock) beforeBlock(start);
        host.processStereo(input.left.data() + start, input.right.data() + start, out.left.data() + start,
                           out.right.data() + start, static_cast<VstInt32>(n));
        start += n;
    }
    return out;
}

Stereo renderScene(vsthost::Host& host, const Stereo& input, const std::vector<Event>& events, BlockSizes nextBlock) {
    Stereo out{std::vector<float>(input.frames()), std::vector<float>(input.frames())};
    size_t next = 0;
    for (size_t start = 0; start < input.frames();) {
        while (next < events.size() && events[next].at <= start) {
            host.setParameter(events[next].index, events[next].value);
            ++next;
        }
        size_t n = nextBlock ? static_cast<size_t>(std::max<VstInt32>(1, nextBlock())) : 512;
        n = std::min(n, input.frames() - start);
        if (next < events.size()) n = std::min(n, events[next].at - start);
        host.processStereo(input.left.data() + start, input.right.data() + start, out.left.data() + start,
                           out.right.data() + start, static_cast<VstInt32>(n));
        start += n;
    }
    return out;
}

namespace {
size_t end(const Stereo& s, size_t to) { return std::min(to, s.frames()); }
}  // namespace

float largestDifference(const Stereo& a, const Stereo& b, size_t from, size_t to) {
    float worst = 0.0f;
    const size_t stop = std::min(end(a, to), b.frames());
    for (size_t i = from; i < stop; ++i) {
        const float d = std::max(std::fabs(a.left[i] - b.left[i]), std::fabs(a.right[i] - b.right[i]));
        if (!(d <= worst)) worst = d;  // a NaN difference wins
    }
    return worst;
}

float peak(const Stereo& s, size_t from, size_t to) {
    float worst = 0.0f;
    for (size_t i = from; i < end(s, to); ++i) {
        const float d = std::max(std::fabs(s.left[i]), std::fabs(s.right[i]));
        if (!(d <= worst)) worst = d;
    }
    return worst;
}

bool allFinite(const Stereo& s, size_t from, size_t to) {
    for (size_t i = from; i < end(s, to); ++i) {
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i])) return false;
    }
    return true;
}

bool bitIdentical(const Stereo& a, const Stereo& b) {
    return a.frames() == b.frames() &&
           std::memcmp(a.left.data(), b.left.data(), a.frames() * sizeof(float)) == 0 &&
           std::memcmp(a.right.data(), b.right.data(), a.frames() * sizeof(float)) == 0;
}

}  // namespace conformance
