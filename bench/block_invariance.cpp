// How far the effect's output depends on the host's block size: the scene of
// tools/block_invariance/scene.h rendered in blocks of 512 and in other patterns, with the largest
// difference from the 512 render over the whole scene (through its transitions) and once it has
// settled.
//
//   tovin_block_invariance [--install-dir DIR] [--save FILE] [--against FILE]
//
// --save writes the 512 render (raw floats, left then right); --against compares the 512 render
// with one saved earlier, e.g. by another version of the effect.
#include "tools/block_invariance/scene.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool save(const BlockInvariance::Render& r, const char* path) {
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(r.left.data(), sizeof(float), r.left.size(), f) == r.left.size() &&
                    std::fwrite(r.right.data(), sizeof(float), r.right.size(), f) == r.right.size();
    return std::fclose(f) == 0 && ok;
}

bool load(BlockInvariance::Render& r, const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    r.left.assign(BlockInvariance::kFrames, 0.0f);
    r.right.assign(BlockInvariance::kFrames, 0.0f);
    const bool ok = std::fread(r.left.data(), sizeof(float), r.left.size(), f) == r.left.size() &&
                    std::fread(r.right.data(), sizeof(float), r.right.size(), f) == r.right.size();
    std::fclose(f);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    // Slot B comes from the preset store: an empty directory keeps the user's presets out of it.
    std::string directory = "/tmp/tovin-block-invariance/";
    const char* savePath = nullptr;
    const char* againstPath = nullptr;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--install-dir") == 0) directory = argv[++i];
        else if (std::strcmp(argv[i], "--save") == 0) savePath = argv[++i];
        else if (std::strcmp(argv[i], "--against") == 0) againstPath = argv[++i];
    }
    setenv("TOVIN_INSTALL_DIRECTORY", directory.c_str(), 1);

    using namespace BlockInvariance;
    std::vector<float> left, right;
    sceneInput(left, right);
    const Render reference = render(fixedBlocks(512), left, right);
    if (savePath != nullptr && !save(reference, savePath)) {
        std::fprintf(stderr, "cannot write %s\n", savePath);
        return 1;
    }
    if (againstPath != nullptr) {
        Render earlier;
        if (!load(earlier, againstPath)) {
            std::fprintf(stderr, "cannot read %s\n", againstPath);
            return 1;
        }
        const Deviation d = compare(reference, earlier);
        std::printf("512 against %s: transitions %.3e at sample %d, steady %.3e\n", againstPath, d.transitions,
                    d.worstAt, d.steady);
    }
    struct Pattern {
        const char* name;
        std::function<int()> blocks;
    };
    const Pattern patterns[] = {
        {"1", fixedBlocks(1)},           {"2", fixedBlocks(2)},
        {"7", fixedBlocks(7)},           {"44", fixedBlocks(44)},
        {"45", fixedBlocks(45)},         {"64", fixedBlocks(64)},
        {"4096", fixedBlocks(4096)},     {"8192", fixedBlocks(8192)},
        {"random 1-64", randomBlocks(64, 3)}, {"random 1-8192", randomBlocks(8192, 5)},
    };
    std::printf("%-16s %14s %10s %14s\n", "blocks", "transitions", "at sample", "steady");
    double worstTransitions = 0.0, worstSteady = 0.0;
    for (const Pattern& p : patterns) {
        const Deviation d = compare(render(p.blocks, left, right), reference);
        std::printf("%-16s %14.3e %10d %14.3e\n", p.name, d.transitions, d.worstAt, d.steady);
        worstTransitions = std::max(worstTransitions, d.transitions);
        worstSteady = std::max(worstSteady, d.steady);
    }
    std::printf("%-16s %14.3e %10s %14.3e\n", "worst", worstTransitions, "", worstSteady);
    return 0;
}
