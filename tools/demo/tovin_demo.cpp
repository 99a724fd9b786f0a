// tovin_demo: plays host to Tovin. Loads the plug-in module through its exported entry, prepares it
// as a host does (open, sample rate, block size, resume), runs the built-in demo signal through it in
// host-sized blocks with the effect's start-up setting, writes the result as a WAV file and reports.
//
//   tovin_demo [--plugin PATH] [--output FILE.wav] [--rate HZ] [--block FRAMES] [--install-dir DIR]
//            [--param INDEX=VALUE]...
//
// The effect reads its presets and options from its installation directory. Unless one is given
// (--install-dir, or TOVIN_INSTALL_DIRECTORY already set), the demo prepares its own beside the
// output file, with the factory presets and initial settings, so it never touches the user's.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "demo_signal.h"
#include "tools/vsthost/vst_host.h"

namespace {

struct Options {
    std::string plugin = TOVIN_PLUGIN_PATH;
    std::string output = "tovin-demo.wav";
    int rate = 48000;
    int block = 512;
    std::string installDir;
    std::vector<std::pair<int, float>> parameters;  // host parameter changes before processing
    bool flat = false;                              // keep the start-up setting
};

// The demo setting, as a host sends it (normalized values): a 12 dB/octave high-pass at 30 Hz, a
// -3.3 dB bell at 400 Hz (Q 1) against boxiness, a +3.3 dB high shelf from 8.5 kHz, equalizer on.
const std::vector<std::pair<int, float>> kDemoSetting = {
    {0, 1.0f / 18.0f},   // HPFreq: 30 Hz, the second point of the 19-point high-pass table
    {22, 1.0f},          // HPType: 12 dB/octave
    {21, 1.0f},          // HPOn
    {5, 8.5f / 22.0f},   // B2Freq: 400 Hz, half-way between 300 and 500 Hz of the 23-point table
    {6, 0.5f},           // B2Qual: Q 1
    {7, 7.0f / 18.0f},   // B2Gain: -3.32 dB
    {25, 1.0f},          // B2On
    {29, 1.0f},          // B5Type: high shelf
    {14, 17.0f / 22.0f}, // B5Freq: 8.5 kHz
    {15, 0.5f},          // B5Qual: shelf Q 0.7
    {16, 11.0f / 18.0f}, // B5Gain: +3.32 dB
    {28, 1.0f},          // B5On
    {33, 1.0f},          // GenOn
};

void usage() {
    std::fprintf(stderr,
                 "usage: tovin_demo [--plugin PATH] [--output FILE.wav] [--rate HZ] [--block FRAMES] "
                 "[--install-dir DIR] [--flat] [--param INDEX=VALUE]...\n"
                 "Without --flat the demo setting (high-pass, a bell cut and a high shelf) is applied first.\n");
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return false;
        if (arg == "--flat") {
            options.flat = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--plugin") {
            options.plugin = value;
        } else if (arg == "--output") {
            options.output = value;
        } else if (arg == "--rate") {
            options.rate = std::atoi(value.c_str());
        } else if (arg == "--block") {
            options.block = std::atoi(value.c_str());
        } else if (arg == "--install-dir") {
            options.installDir = value;
        } else if (arg == "--param") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos) return false;
            options.parameters.emplace_back(std::atoi(value.substr(0, equals).c_str()),
                                            static_cast<float>(std::atof(value.substr(equals + 1).c_str())));
        } else {
            return false;
        }
    }
    return options.rate >= 8000 && options.rate <= 384000 && options.block >= 1 && options.block <= 65536;
}

// A fresh installation directory holding the factory presets and initial settings.
bool prepareInstallDirectory(const std::filesystem::path& directory) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) return false;
    for (const fs::directory_entry& entry : fs::directory_iterator(TOVIN_FACTORY_DIR, error)) {
        const std::string name = entry.path().filename().string();
        if (name == "InitSettings" || name.rfind("preset", 0) == 0) {
            fs::copy_file(entry.path(), directory / name, fs::copy_options::overwrite_existing, error);
            if (error) return false;
        }
    }
    return !error;
}

double toDb(float x) { return x > 0.0f ? 20.0 * std::log10(x) : -999.0; }

bool writeWav(const std::string& path, int rate, const std::vector<float>& left, const std::vector<float>& right) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "tovin_demo: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    // Samples beyond full scale are clipped by libsndfile rather than wrapped.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    std::vector<float> interleaved(left.size() * 2);
    for (size_t i = 0; i < left.size(); ++i) {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = right[i];
    }
    const sf_count_t written = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(left.size()));
    sf_close(file);
    return written == static_cast<sf_count_t>(left.size());
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        usage();
        return 2;
    }

    std::string installNote = "from TOVIN_INSTALL_DIRECTORY";
    if (options.installDir.empty() && std::getenv("TOVIN_INSTALL_DIRECTORY") == nullptr) {
        const std::filesystem::path output = std::filesystem::absolute(options.output);
        const std::filesystem::path directory = output.parent_path() / "tovin-demo-install";
        if (!prepareInstallDirectory(directory)) {
            std::fprintf(stderr, "tovin_demo: cannot prepare %s\n", directory.c_str());
            return 1;
        }
        options.installDir = directory.string();
        installNote = "prepared with the factory presets";
    } else if (!options.installDir.empty()) {
        installNote = "given";
    }
    if (!options.installDir.empty()) {
        if (options.installDir.back() != '/') options.installDir += '/';
        setenv("TOVIN_INSTALL_DIRECTORY", options.installDir.c_str(), 1);
    }

    vsthost::Host host;
    if (!host.load(options.plugin)) {
        std::fprintf(stderr, "tovin_demo: %s\n", host.error().c_str());
        return 1;
    }
    AEffect* effect = host.effect();
    std::printf("Plug-in      %s\n", options.plugin.c_str());
    std::printf("Install dir  %s (%s)\n", std::getenv("TOVIN_INSTALL_DIRECTORY"), installNote.c_str());
    std::printf("Effect       %s by %s (VST %ld, ID 0x%08x, %d parameters, %d in / %d out)\n",
                host.effectName().c_str(), host.vendorString().c_str(), static_cast<long>(host.vstVersion()),
                static_cast<unsigned>(effect->uniqueID), effect->numParams, effect->numInputs, effect->numOutputs);
    if (effect->numOutputs < 2 || (effect->flags & effFlagsCanReplacing) == 0) {
        std::fprintf(stderr, "tovin_demo: the effect has no stereo replacing output\n");
        return 1;
    }

    host.start(static_cast<float>(options.rate), options.block);
    std::printf("Setting      %s, program \"%s\"\n", options.flat ? "start-up setting" : "demo setting",
                host.programName().c_str());
    std::vector<std::pair<int, float>> changes = options.flat ? std::vector<std::pair<int, float>>{} : kDemoSetting;
    changes.insert(changes.end(), options.parameters.begin(), options.parameters.end());
    for (const auto& [index, value] : changes) {
        if (index < 0 || index >= effect->numParams) {
            std::fprintf(stderr, "tovin_demo: no parameter %d\n", index);
            return 2;
        }
        host.setParameter(index, value);
        std::printf("Parameter    %d (%s) = %.3f\n", index, host.paramName(index).c_str(), host.getParameter(index));
    }

    const demo::StereoSignal input = demo::makeDemoSignal(options.rate);
    const size_t frames = input.left.size();
    std::vector<float> outLeft(frames), outRight(frames);
    size_t blocks = 0;
    for (size_t start = 0; start < frames; start += static_cast<size_t>(options.block), ++blocks) {
        const auto count = static_cast<VstInt32>(std::min(frames - start, static_cast<size_t>(options.block)));
        host.processStereo(&input.left[start], &input.right[start], &outLeft[start], &outRight[start], count);
    }
    host.mainsChanged(false);

    size_t nonFinite = 0;
    for (const std::vector<float>* channel : {&outLeft, &outRight}) {
        nonFinite += static_cast<size_t>(std::count_if(channel->begin(), channel->end(),
                                                       [](float x) { return !std::isfinite(x); }));
    }
    float difference = 0.0f;
    for (size_t i = 0; i < frames; ++i) {
        difference = std::max({difference, std::fabs(outLeft[i] - input.left[i]), std::fabs(outRight[i] - input.right[i])});
    }
    const demo::Level in = demo::measure(input.left, input.right);
    const demo::Level out = demo::measure(outLeft, outRight);
    std::printf("Processing   %d Hz, blocks of %d frames: %zu frames (%.2f s) in %zu blocks\n", options.rate,
                options.block, frames, static_cast<double>(frames) / options.rate, blocks);
    std::printf("Signal       chord 2 s, noise burst 1 s, sweep 20 Hz - %.0f Hz 3 s\n",
                std::min(20000.0, 0.45 * options.rate));
    std::printf("Input        peak %.4f (%.1f dBFS), RMS %.4f (%.1f dBFS)\n", in.peak, toDb(in.peak), in.rms,
                toDb(in.rms));
    std::printf("Output       peak %.4f (%.1f dBFS), RMS %.4f (%.1f dBFS)\n", out.peak, toDb(out.peak), out.rms,
                toDb(out.rms));
    std::printf("Difference   largest |out - in| %.6f%s\n", difference,
                difference == 0.0f ? " (this setting leaves the signal unchanged)" : "");
    std::printf("Callbacks    %zu host callbacks from the effect\n", host.callbacks().size());
    host.close();

    if (nonFinite > 0) {
        std::fprintf(stderr, "tovin_demo: the output holds %zu samples that are not finite\n", nonFinite);
        return 1;
    }
    if (!writeWav(options.output, options.rate, outLeft, outRight)) return 1;
    std::printf("Written      %s (WAV, stereo, 24-bit, %d Hz)\n", options.output.c_str(), options.rate);
    return 0;
}
