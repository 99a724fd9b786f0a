// The command line of tovin-render.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace render {

struct RenderOptions {
    std::string input, output;
    std::string plugin;       // empty: found beside the program or in the build
    std::string installDir;   // where presets are looked up; empty: the effect's own setting
    std::string presetName, bankName, presetFile, chunkFile;
    std::vector<std::pair<std::string, std::string>> sets;  // --set NAME=VALUE, in order
    std::string plot, plotData, saveChunk;
    bool compare = false;
    bool listPresets = false;
    bool progress = true;
    bool quiet = false;
    int rate = 0;     // the plot's rate without an input file
    int block = 0;
};

constexpr int kDefaultBlock = 512;
constexpr int kLargestBlock = 65536;
constexpr int kDefaultPlotRate = 48000;
constexpr int kLowestRate = 8000;
constexpr int kHighestRate = 384000;

// False with a message (usage errors); "--help" gives false with an empty message.
bool ParseOptions(int argc, char** argv, RenderOptions& options, std::string& error);
const char* UsageText();

}  // namespace render
