#include "tools/render/render_options.h"

#include <charconv>
#include <cstring>

namespace render {
namespace {

bool integer(const std::string& text, int low, int high, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

}  // namespace

const char* UsageText() {
    return "usage: tovin-render [options] INPUT OUTPUT\n"
           "       tovin-render [options] --plot RESPONSE.png        (the setting's response only)\n"
           "Renders INPUT (WAV, FLAC, AIFF, ... mono or stereo) through Tovin into OUTPUT, same format and rate.\n"
           "The setting (applied in this order):\n"
           "  --chunk FILE            a saved state chunk (raw, or a program file holding one)\n"
           "  --preset NAME           a preset of the installation directory's store\n"
           "  --bank BANK             ... in this bank (when the name is in several)\n"
           "  --preset-file FILE.prt  a preset's settings file\n"
           "  --set NAME=VALUE        a parameter in its own units, repeatable: B2Freq=1.2k B2Gain=+3dB\n"
           "                          B2Qual=0.7 B2On=on B5Type=shelf GenVol=-2dB ...; a value turns its\n"
           "                          band and the equalizer on, as in the editor (\"Auto On Active\")\n"
           "Pictures and data:\n"
           "  --plot FILE.png         the setting's magnitude response, both channels, bands dashed\n"
           "  --compare               ... with the analog model and the plain bilinear design beside it\n"
           "  --plot-data FILE.txt    the plotted curves as a table\n"
           "  --rate HZ               the plot's sample rate without an input file (48000)\n"
           "  --save-chunk FILE       the final setting as a state chunk\n"
           "Other:\n"
           "  --list-presets          the presets of the installation directory, as bank / name\n"
           "  --install-dir DIR       look presets up here (default: the effect's own installation directory)\n"
           "  --plugin PATH           the Tovin.so to load\n"
           "  --block FRAMES          frames per processing call (512)\n"
           "  --no-progress, --quiet  no progress bar; no report either\n";
}

bool ParseOptions(int argc, char** argv, RenderOptions& o, std::string& error) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return error.clear(), false;
        if (arg == "--compare") { o.compare = true; continue; }
        if (arg == "--list-presets") { o.listPresets = true; continue; }
        if (arg == "--no-progress") { o.progress = false; continue; }
        if (arg == "--quiet") { o.quiet = true, o.progress = false; continue; }
        if (arg.rfind("--", 0) != 0 || arg == "-") {
            files.push_back(arg);
            continue;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (arg == "--plugin") o.plugin = value;
        else if (arg == "--install-dir") o.installDir = value;
        else if (arg == "--preset") o.presetName = value;
        else if (arg == "--bank") o.bankName = value;
        else if (arg == "--preset-file") o.presetFile = value;
        else if (arg == "--chunk") o.chunkFile = value;
        else if (arg == "--plot") o.plot = value;
        else if (arg == "--plot-data") o.plotData = value;
        else if (arg == "--save-chunk") o.saveChunk = value;
        else if (arg == "--set") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0) {
                error = "--set " + value + ": expected NAME=VALUE, e.g. B2Gain=+3dB";
                return false;
            }
            o.sets.emplace_back(value.substr(0, equals), value.substr(equals + 1));
        } else if (arg == "--rate") {
            if (!integer(value, kLowestRate, kHighestRate, o.rate)) {
                error = "--rate " + value + ": expected " + std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate);
                return false;
            }
        } else if (arg == "--block") {
            if (!integer(value, 1, kLargestBlock, o.block)) {
                error = "--block " + value + ": expected 1 to " + std::to_string(kLargestBlock);
                return false;
            }
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (o.block == 0) o.block = kDefaultBlock;
    if (!o.presetFile.empty() + !o.presetName.empty() + !o.chunkFile.empty() > 1) {
        error = "give one of --chunk, --preset and --preset-file";
        return false;
    }
    if (!o.bankName.empty() && o.presetName.empty()) {
        error = "--bank needs --preset";
        return false;
    }
    if (files.size() == 2) {
        o.input = files[0];
        o.output = files[1];
    } else if (!files.empty() || (o.plot.empty() && o.plotData.empty() && o.saveChunk.empty() && !o.listPresets)) {
        error = files.size() == 1 ? "an OUTPUT file is needed after " + files[0] : "expected INPUT and OUTPUT";
        return false;
    }
    if (!o.input.empty() && o.input == o.output) {
        error = "OUTPUT must differ from INPUT";
        return false;
    }
    return true;
}

}  // namespace render
