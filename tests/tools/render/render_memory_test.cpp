// A long file streams through in blocks: the program's peak memory does not grow with the file's
// length, and every frame arrives. Ten minutes against six seconds (about 5 s on two cores, and
// 230 MB of scratch files; a minute in sanitizer builds); TOVIN_RENDER_LONG_SECONDS sets another length.
#include <gtest/gtest.h>

#include "tests/tools/render/render_run.h"

namespace {
using namespace rendertest;

constexpr int kRate = 48000;
constexpr long long kShortSeconds = 6;
#ifdef TOVIN_RENDER_DEFAULT_SECONDS
constexpr long long kDefaultLongSeconds = TOVIN_RENDER_DEFAULT_SECONDS;
#else
constexpr long long kDefaultLongSeconds = 600;
#endif
// Peak memory may differ by allocator noise, never by the file: a minute of stereo 16-bit audio
// is 11 MB, ten minutes 115 MB.
constexpr long kGrowthLimitKb = 2048;

float signal(long long i, int channel) {
    // A slow sweep per channel, so every band meets something.
    const double t = static_cast<double>(i) / kRate;
    return static_cast<float>(0.3 * std::sin(2.0 * M_PI * (50.0 * t + 40.0 * t * t) * (channel + 1)));
}

long long longSeconds() {
    const char* text = std::getenv("TOVIN_RENDER_LONG_SECONDS");
    return text != nullptr && std::atoll(text) > kShortSeconds ? std::atoll(text) : kDefaultLongSeconds;
}

TEST(RenderMemory, PeakMemoryStaysTheSameForALongFile) {
    ScratchDir dir;
    const long long seconds = longSeconds();
    const auto shortFile = dir / "short.wav", longFile = dir / "long.wav";
    ASSERT_TRUE(writeSignal(shortFile, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, kShortSeconds * kRate, signal));
    ASSERT_TRUE(writeSignal(longFile, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, seconds * kRate, signal));
    const std::vector<std::string> setting = {"--preset", "Master Gentle Smile", "--set", "B2Gain=-3dB"};
    std::vector<std::string> args = setting;
    args.insert(args.end(), {shortFile.string(), (dir / "short-out.wav").string()});
    const RenderRun small = runRender(args, dir.path());
    ASSERT_EQ(small.status, 0) << small.err;
    std::filesystem::remove(shortFile);
    args = setting;
    args.insert(args.end(), {longFile.string(), (dir / "long-out.wav").string()});
    const RenderRun large = runRender(args, dir.path());
    ASSERT_EQ(large.status, 0) << large.err;
    std::printf("peak memory: %lld s file %ld kB, %lld s file %ld kB\n", kShortSeconds, small.maxRssKb, seconds,
                large.maxRssKb);
    EXPECT_LT(large.maxRssKb - small.maxRssKb, kGrowthLimitKb);

    SF_INFO info{};
    SNDFILE* out = sf_open((dir / "long-out.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(out, nullptr);
    sf_close(out);
    EXPECT_EQ(info.frames, seconds * kRate);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    // Not a terminal: no progress bar in what the program printed.
    EXPECT_EQ(large.err.find('\r'), std::string::npos);
}

}  // namespace
