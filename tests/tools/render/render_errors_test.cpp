// What a user sees when a render cannot be done: the file and the problem named, a failure exit
// code, and nothing half-written left behind (a file already under the output's name untouched).
#include <gtest/gtest.h>

#include "tests/tools/render/render_run.h"

namespace {
using namespace rendertest;

constexpr int kRate = 48000;
constexpr long long kFrames = kRate * 2;

float tone(long long i, int) { return 0.25f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * i / kRate)); }

void cutInHalf(const std::filesystem::path& from, const std::filesystem::path& to) {
    const std::string bytes = slurp(from);
    std::ofstream(to, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
}

TEST(RenderErrors, DamagedInputsNameTheFileAndLeaveNoOutput) {
    ScratchDir dir;
    const auto good = dir / "good.wav";
    ASSERT_TRUE(writeSignal(good, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, kFrames, tone));
    cutInHalf(good, dir / "cut.wav");
    std::ofstream(dir / "noise.wav", std::ios::binary) << "RIFF....WAVEfmt this is no audio file";
    std::ofstream(dir / "empty.flac", std::ios::binary);
    // An output that exists already must survive a failed render as it was.
    std::ofstream(dir / "kept.wav", std::ios::binary) << "the user's earlier file";

    struct Case {
        const char* input;
        const char* expected;
    };
    for (const Case& c : {Case{"cut.wav", "damaged or cut short"}, Case{"noise.wav", "not a readable audio file"},
                          Case{"empty.flac", "not a readable audio file"}, Case{"missing.wav", "no such file"}}) {
        SCOPED_TRACE(c.input);
        for (const char* output : {"out.wav", "kept.wav"}) {
            const RenderRun run = runRender({"--set", "B2Gain=+3dB", (dir / c.input).string(), (dir / output).string()}, dir.path());
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find((dir / c.input).string() + ": " + c.expected), std::string::npos) << run.err;
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
        EXPECT_EQ(slurp(dir / "kept.wav"), "the user's earlier file");
    }
    for (const std::string& name : filesIn(dir.path())) EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
}

TEST(RenderErrors, BadSettingsAreRefusedBeforeAnythingIsWritten) {
    ScratchDir dir;
    const auto input = dir / "in.wav";
    ASSERT_TRUE(writeSignal(input, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, kFrames, tone));
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {{"--set", "B2Gain=+30dB"}, "B2Gain=+30dB: outside the knob's range, -15 to 15 dB"},
        {{"--set", "B2Freq=fast"}, "B2Freq=fast: not a value"},
        {{"--set", "Volume=3"}, "no parameter Volume"},
        {{"--set", "B5Type=loud"}, "B5Type=loud: not a switch value"},
        {{"--preset", "No Such Preset"}, "no preset \"No Such Preset\""},
        {{"--preset", "Kick Punch", "--bank", "Vocals & Speech"}, "in bank \"Vocals & Speech\""},
        {{"--chunk", input.string()}, "not a Tovin state chunk"},
        {{"--preset-file", input.string()}, "not a preset settings file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {input.string(), (dir / "out.wav").string()});
        const RenderRun run = runRender(args, dir.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.expected), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    }
    // Usage errors are told apart from failed renders.
    EXPECT_EQ(runRender({input.string()}, dir.path()).status, 2);
    EXPECT_EQ(runRender({"--block", "0", input.string(), (dir / "out.wav").string()}, dir.path()).status, 2);
}

}  // namespace
