// Running the built tovin-render as a user does (a child process with its own arguments) and the
// audio files the tests feed it: written and read with libsndfile, measured with a Goertzel filter.
#pragma once

#include <fcntl.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace rendertest {

struct RenderRun {
    int status = -1;        // exit code (-1: did not exit normally)
    std::string out, err;   // what it printed
    long maxRssKb = 0;      // its peak resident memory
};

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs tovin-render with args; stdout and stderr go to files in dir. Presets are looked up in the
// factory bank unless args name a directory, so the user's own installation plays no part.
inline RenderRun runRender(const std::vector<std::string>& args, const std::filesystem::path& dir) {
    std::vector<std::string> all = {TOVIN_RENDER_PATH};
    if (std::find(args.begin(), args.end(), "--install-dir") == args.end()) all.insert(all.end(), {"--install-dir", TOVIN_FACTORY_DIR});
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outPath = (dir / "stdout.txt").string(), errPath = (dir / "stderr.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    RenderRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            run.maxRssKb = usage.ru_maxrss;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    return run;
}

// Writes `frames` frames of a generated signal (sample(frame, channel)) in blocks, so any length
// takes the same memory.
inline bool writeSignal(const std::filesystem::path& path, int format, int rate, int channels, long long frames,
                        const std::function<float(long long, int)>& sample) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    constexpr long long kBlock = 8192;
    std::vector<float> block(static_cast<size_t>(kBlock * channels));
    for (long long start = 0; start < frames; start += kBlock) {
        const long long n = std::min(kBlock, frames - start);
        for (long long i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c) block[static_cast<size_t>(i * channels + c)] = sample(start + i, c);
        sf_writef_float(file, block.data(), n);
    }
    return sf_close(file) == 0;
}

struct Sound {
    int rate = 0, channels = 0, format = 0;
    std::vector<std::vector<float>> channel;
};

inline Sound readSound(const std::filesystem::path& path) {
    Sound s;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return s;
    s.rate = info.samplerate;
    s.channels = info.channels;
    s.format = info.format;
    std::vector<float> all(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(file, all.data(), info.frames);
    sf_close(file);
    s.channel.resize(static_cast<size_t>(info.channels));
    for (long long i = 0; i < info.frames; ++i)
        for (int c = 0; c < info.channels; ++c) s.channel[static_cast<size_t>(c)].push_back(all[static_cast<size_t>(i * info.channels + c)]);
    return s;
}

// Amplitude of the component at f (Hz) over samples [from, end): a Goertzel filter, normalized so a
// sine of amplitude a over whole periods reads a.
inline double amplitudeAt(const std::vector<float>& x, double f, double rate, size_t from) {
    const double w = 2.0 * M_PI * f / rate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (size_t i = from; i < x.size(); ++i) {
        const double s0 = x[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(x.size() - from);
}

// The files a directory holds (to find leftovers of a failed run).
inline std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    return names;
}

// A fresh directory for one test, removed with it.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovin-render-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~ScratchDir() {
        std::error_code error;
        if (!path_.empty()) std::filesystem::remove_all(path_, error);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace rendertest
