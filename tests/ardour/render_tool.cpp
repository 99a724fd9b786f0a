// Our own host's side of the Ardour render check (tests/ardour/ardour_render_check.sh):
//
//   tovin_ardour_render signal LIKE.wav LEFT.wav RIGHT.wav [OFFSET]
//       a test signal as two mono files of LIKE's length, rate and format (to replace what Ardour recorded),
//       starting OFFSET frames late (where Ardour's region begins in its files)
//   tovin_ardour_render render PLUGIN CHUNK LEFT.wav RIGHT.wav OUT.wav
//       the signal through the module restored from CHUNK, as Ardour restores it, in blocks of 512
//   tovin_ardour_render params PLUGIN CHUNK
//       "PARAM <index> <value>" for the 34 parameters after the chunk
//   tovin_ardour_render compare OURS.wav THEIRS.wav INPUT_LEFT.wav TOLERANCE
//       the largest difference between two stereo renders; fails above TOLERANCE, when THEIRS is
//       silent or when it is the unprocessed input
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/vsthost/vst_host.h"

namespace {

constexpr VstInt32 kBlock = 512;
constexpr int kNumParams = 34;

struct Audio {
    int rate = 0, channels = 0;
    std::vector<float> samples;  // interleaved
    size_t frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

bool readWav(const char* path, Audio& audio, SF_INFO* infoOut = nullptr) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "cannot read %s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    audio.rate = info.samplerate;
    audio.channels = info.channels;
    audio.samples.assign(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels), 0.0f);
    const sf_count_t read = sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    if (infoOut != nullptr) *infoOut = info;
    return read == info.frames;
}

bool writeWav(const char* path, const Audio& audio, int format) {
    SF_INFO info{};
    info.samplerate = audio.rate;
    info.channels = audio.channels;
    info.format = format;
    SNDFILE* file = sf_open(path, SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(audio.frames());
    const bool ok = sf_writef_float(file, audio.samples.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

std::vector<char> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fifth of a second of silence, then two sines per channel, a sweep and a little noise, near -6 dBFS;
// all of it `offset` frames late.
int signal(const char* like, const char* leftPath, const char* rightPath, size_t offset) {
    Audio model;
    SF_INFO info{};
    if (!readWav(like, model, &info)) return 1;
    Audio left{model.rate, 1, std::vector<float>(model.frames())}, right = left;
    uint32_t noise = 12345;
    const double rate = model.rate;
    for (size_t i = static_cast<size_t>(rate / 5) + offset; i < model.frames(); ++i) {
        const double t = static_cast<double>(i - offset) / rate;
        noise = noise * 1664525u + 1013904223u;
        const double n = 0.05 * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5);
        const double sweep = std::sin(2.0 * M_PI * (40.0 * t + 2000.0 * t * t));
        left.samples[i] = static_cast<float>(0.2 * std::sin(2.0 * M_PI * 440.0 * t) + 0.15 * sweep + n);
        right.samples[i] = static_cast<float>(0.2 * std::sin(2.0 * M_PI * 97.0 * t) + 0.15 * std::sin(2.0 * M_PI * 6100.0 * t) - n);
    }
    return writeWav(leftPath, left, info.format) && writeWav(rightPath, right, info.format) ? 0 : 1;
}

std::unique_ptr<vsthost::Host> restored(const char* plugin, const char* chunkPath, int rate) {
    const std::vector<char> chunk = readFile(chunkPath);
    if (chunk.empty()) {
        std::fprintf(stderr, "no chunk in %s\n", chunkPath);
        return nullptr;
    }
    auto host = std::make_unique<vsthost::Host>();
    if (!host->load(plugin)) {
        std::fprintf(stderr, "%s\n", host->error().c_str());
        return nullptr;
    }
    // The order Ardour restores in: open, rate, block size, not bypassed, program 0, the chunk, resume.
    host->open();
    host->setSampleRate(static_cast<float>(rate));
    host->setBlockSize(kBlock);
    host->dispatch(effSetBypass, 0, 0);
    host->setProgram(0);
    host->setChunk(chunk);
    host->mainsChanged(true);
    return host;
}

int render(const char* plugin, const char* chunkPath, const char* leftPath, const char* rightPath, const char* outPath) {
    Audio left, right;
    if (!readWav(leftPath, left) || !readWav(rightPath, right) || left.frames() != right.frames()) return 1;
    auto host = restored(plugin, chunkPath, left.rate);
    if (!host) return 1;
    const size_t frames = left.frames();
    std::vector<float> outL(frames), outR(frames);
    for (size_t start = 0; start < frames; start += kBlock) {
        const VstInt32 n = static_cast<VstInt32>(std::min<size_t>(kBlock, frames - start));
        host->processStereo(left.samples.data() + start, right.samples.data() + start, outL.data() + start,
                            outR.data() + start, n);
    }
    Audio out{left.rate, 2, std::vector<float>(2 * frames)};
    for (size_t i = 0; i < frames; ++i) {
        out.samples[2 * i] = outL[i];
        out.samples[2 * i + 1] = outR[i];
    }
    return writeWav(outPath, out, SF_FORMAT_WAV | SF_FORMAT_FLOAT) ? 0 : 1;
}

int params(const char* plugin, const char* chunkPath) {
    auto host = restored(plugin, chunkPath, 48000);
    if (!host) return 1;
    for (int i = 0; i < kNumParams; ++i) std::printf("PARAM %d %.9g\n", i, static_cast<double>(host->getParameter(i)));
    return 0;
}

int compare(const char* oursPath, const char* theirsPath, const char* inputPath, double tolerance) {
    Audio ours, theirs, input;
    if (!readWav(oursPath, ours) || !readWav(theirsPath, theirs) || !readWav(inputPath, input)) return 1;
    if (ours.channels != 2 || theirs.channels != 2 || ours.rate != theirs.rate) {
        std::fprintf(stderr, "compare: want two stereo files of one rate\n");
        return 1;
    }
    const size_t frames = std::min(ours.frames(), theirs.frames());
    double worst = 0.0, peak = 0.0, fromInput = 0.0;
    size_t worstAt = 0;
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            const double a = ours.samples[2 * i + static_cast<size_t>(c)], b = theirs.samples[2 * i + static_cast<size_t>(c)];
            const double d = std::fabs(a - b);
            if (!(d <= worst)) {
                worst = d;
                worstAt = i;
            }
            peak = std::max(peak, std::fabs(b));
            if (c == 0 && i < input.frames()) fromInput = std::max(fromInput, std::fabs(b - input.samples[i]));
        }
    }
    std::printf("compare: %zu frames (ours %zu, theirs %zu), largest difference %.3g at frame %zu, peak %.3f, "
                "%.3f from the unprocessed input\n",
                frames, ours.frames(), theirs.frames(), worst, worstAt, peak, fromInput);
    if (frames < ours.frames() * 9 / 10) {
        std::fprintf(stderr, "compare: Ardour's render is shorter than the signal\n");
        return 1;
    }
    if (peak < 0.01) {
        std::fprintf(stderr, "compare: Ardour's render is silent\n");
        return 1;
    }
    if (fromInput < 0.01) {
        std::fprintf(stderr, "compare: Ardour's render is the unprocessed input: the plug-in did nothing\n");
        return 1;
    }
    return worst <= tolerance ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "signal" && (argc == 5 || argc == 6))
        return signal(argv[2], argv[3], argv[4], argc == 6 ? std::strtoul(argv[5], nullptr, 10) : 0);
    if (command == "render" && argc == 7) return render(argv[2], argv[3], argv[4], argv[5], argv[6]);
    if (command == "params" && argc == 4) return params(argv[2], argv[3]);
    if (command == "compare" && argc == 6) return compare(argv[2], argv[3], argv[4], std::atof(argv[5]));
    std::fprintf(stderr,
                 "usage: tovin_ardour_render signal LIKE.wav LEFT.wav RIGHT.wav [OFFSET]\n"
                 "       tovin_ardour_render render PLUGIN CHUNK LEFT.wav RIGHT.wav OUT.wav\n"
                 "       tovin_ardour_render params PLUGIN CHUNK\n"
                 "       tovin_ardour_render compare OURS.wav THEIRS.wav INPUT_LEFT.wav TOLERANCE\n");
    return 2;
}
