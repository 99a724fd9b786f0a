// A rendered file carries the setting: the level of each test tone changes by what the response
// picture's table says at its frequency, per channel; and the picture's curves agree with the
// response tools (the engine's impulse response measured, and the analog models).
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "effect/effect_state.h"
#include "tests/tools/render/render_run.h"
#include "tools/render/setting_response.h"
#include "tools/response/analog_model.h"
#include "tools/response/measure.h"
#include "tools/vsthost/vst_host.h"

namespace {
using namespace rendertest;

constexpr int kRate = 48000;
constexpr long long kFrames = kRate * 3;
constexpr double kToneAmplitude = 0.05;
// The tones are measured after the first half second: the filters' start has died away there.
constexpr size_t kSkip = kRate / 2;
constexpr double kToleranceDb = 0.05;

// The plotted table: frequency, then columns by header name.
struct Table {
    std::vector<double> hz;
    std::map<std::string, std::vector<double>> column;
};

Table readTable(const std::filesystem::path& path) {
    Table t;
    std::istringstream lines(slurp(path));
    std::string header;
    std::getline(lines, header);
    std::vector<std::string> names;
    std::istringstream cells(header.substr(2));
    for (std::string name; std::getline(cells, name, '\t');) names.push_back(name);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream row(line);
        for (size_t i = 0; i < names.size(); ++i) {
            double v = 0.0;
            row >> v;
            if (i == 0) t.hz.push_back(v);
            else t.column[names[i]].push_back(v);
        }
    }
    return t;
}

size_t nearest(const Table& t, double hz) {
    size_t best = 0;
    for (size_t i = 0; i < t.hz.size(); ++i)
        if (std::fabs(std::log(t.hz[i] / hz)) < std::fabs(std::log(t.hz[best] / hz))) best = i;
    return best;
}

// Renders tones at the table's frequencies nearest to `wanted` with `setting`, and compares each
// tone's gain on each channel with the channel's plotted sum.
void expectTonesFollowThePlot(const std::vector<std::string>& setting, const std::vector<double>& wanted,
                              const char* left, const char* right) {
    ScratchDir dir;
    std::vector<std::string> args = setting;
    args.insert(args.end(), {"--rate", std::to_string(kRate), "--plot-data", (dir / "plot.txt").string()});
    RenderRun run = runRender(args, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const Table table = readTable(dir / "plot.txt");
    std::vector<size_t> rows;
    for (double f : wanted) rows.push_back(nearest(table, f));
    const auto input = dir / "tones.wav";
    ASSERT_TRUE(writeSignal(input, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, kFrames, [&](long long i, int) {
        double x = 0.0;
        for (size_t r : rows) x += kToneAmplitude * std::sin(2.0 * M_PI * table.hz[r] * static_cast<double>(i) / kRate);
        return static_cast<float>(x);
    }));
    args = setting;
    args.insert(args.end(), {input.string(), (dir / "out.wav").string()});
    run = runRender(args, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const Sound in = readSound(input), out = readSound(dir / "out.wav");
    ASSERT_EQ(out.channel.size(), 2u);
    ASSERT_EQ(out.channel[0].size(), in.channel[0].size());
    for (int c = 0; c < 2; ++c) {
        for (size_t r : rows) {
            const double f = table.hz[r];
            const double measured = 20.0 * std::log10(amplitudeAt(out.channel[c], f, kRate, kSkip) /
                                                      amplitudeAt(in.channel[c], f, kRate, kSkip));
            const double plotted = table.column.at(std::string(c == 0 ? left : right) + " sum")[r];
            EXPECT_NEAR(measured, plotted, kToleranceDb) << "channel " << c << " at " << f << " Hz";
        }
    }
}

TEST(RenderSpectrum, TonesChangeByThePlottedResponse) {
    // Bells, shelves, both pass filters, the Air band and the volume: every mapping from the knobs
    // to the engine that the picture repeats.
    expectTonesFollowThePlot({"--set", "HPOn=on", "--set", "HPType=12dB", "--set", "HPFreq=60", "--set", "HPQual=2",
                              "--set", "B1Type=shelf", "--set", "B1Freq=200", "--set", "B1Gain=+4dB",
                              "--set", "B2Freq=1.2k", "--set", "B2Gain=+9dB", "--set", "B2Qual=3.5",
                              "--set", "B4Freq=5k", "--set", "B4Gain=-6dB", "--set", "B5Type=shelf", "--set", "B5Freq=8.5k",
                              "--set", "B5Gain=-3dB", "--set", "LPOn=on", "--set", "LPFreq=17k", "--set", "AirOn=on",
                              "--set", "AirGain=+5dB", "--set", "GenVol=-2dB"},
                             {40, 100, 300, 1200, 2500, 5000, 10000, 16000, 19000}, "Left", "Right");
}

TEST(RenderSpectrum, SeparateChannelsFromASavedChunk) {
    // A chunk with different left and right values: each channel follows its own curve.
    ScratchDir dir;
    vsthost::Host host;
    setenv("TOVIN_INSTALL_DIRECTORY", (dir.path().string() + "/").c_str(), 1);
    ASSERT_TRUE(host.load(TOVIN_PLUGIN_PATH)) << host.error();
    host.start(kRate, 512);
    std::vector<char> chunk = host.getChunk();
    ASSERT_EQ(chunk.size(), sizeof(EffectState));
    EffectState state;
    std::memcpy(&state, chunk.data(), sizeof(state));
    SettingsSlot& slot = state.slot[state.slotSelector < 0.5f ? 0 : 1];
    slot.info.channelMode = kChannelModeLeftRight;
    slot.coupling.linked = 0.0f;
    slot.settings.generalOn = 1.0f;
    slot.settings.band[kBandB2].on = 1.0f;
    slot.settings.band[kBandB4].on = 1.0f;
    slot.settings.channel[0].band[kBandB2] = {11.0f / 22.0f, 0.5f, 15.0f / 18.0f};  // 1 kHz, +10 dB
    slot.settings.channel[1].band[kBandB2] = {11.0f / 22.0f, 0.5f, 3.0f / 18.0f};   // 1 kHz, -10 dB
    slot.settings.channel[1].band[kBandB4] = {16.0f / 22.0f, 0.7f, 12.0f / 18.0f};  // 7 kHz, +5 dB
    std::memcpy(chunk.data(), &state, sizeof(state));
    std::ofstream(dir / "lr.chunk", std::ios::binary).write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    host.close();
    expectTonesFollowThePlot({"--chunk", (dir / "lr.chunk").string()}, {200, 1000, 3000, 7000, 12000}, "Left", "Right");
}

TEST(RenderPlot, CurvesAgreeWithTheResponseTools) {
    // One band at a time, at 44.1 kHz where the correction matters most: the plotted engine curve
    // against the engine's measured impulse response, and the analog and plain bilinear curves
    // against the analog model (the plain design drifts from it towards the Nyquist frequency).
    struct Case {
        int band, kind;
        float frequency, gain, q;  // what the engine runs (bells after compensation)
        float quality;             // the knob
    };
    constexpr double kRate44 = 44100.0;
    constexpr int kImpulse = 1 << 15;
    for (const Case& c : {Case{kBandB2, BandKind::kBell, 12000.0f, bellGainForQ(9.96f, 3.5f), 3.5f, 5.0f / 6.0f},
                          Case{kBandB5, BandKind::kHighShelf, 10000.0f, 6.64f, 0.7f, 0.5f},
                          Case{kBandLP, BandKind::kLowPass12, 8500.0f, 0.0f, 0.0f, 0.5f}}) {
        SCOPED_TRACE(c.band);
        EffectState state{};
        SettingsSlot& slot = state.slot[0];
        slot.settings.generalOn = 1.0f;
        slot.settings.band[c.band].on = 1.0f;
        slot.settings.band[c.band].type = c.kind == BandKind::kBell ? 0.0f : 1.0f;
        for (auto& ch : slot.settings.channel) {
            ch.volume = 0.5f;  // 0 dB
            ch.band[c.band] = {c.band == kBandLP ? 17.0f / 22.0f : (c.kind == BandKind::kBell ? 19.0f / 22.0f : 18.0f / 22.0f),
                               c.quality, c.kind == BandKind::kBell ? 15.0f / 18.0f : 13.0f / 18.0f};
        }
        const render::SettingResponse r = render::ComputeResponse(state, kRate44, 60);
        ASSERT_EQ(r.channel[0].bands.size(), 1u);
        const render::EngineBand e = render::EngineBandOf(slot, c.band, 0);
        const float q = c.band == kBandLP ? passBandQLowPass(0.5f, c.frequency) : c.q;
        EXPECT_EQ(e.kind, c.kind);
        EXPECT_FLOAT_EQ(e.frequency, c.frequency);
        EXPECT_NEAR(e.gain, c.gain, 1e-4);
        EXPECT_NEAR(e.q, q, 1e-5);
        const std::vector<float> h = Measure::impulseResponse(
            static_cast<float>(kRate44), {Measure::Band{2, c.kind, c.frequency, c.gain, q}}, kImpulse);
        for (size_t i = 0; i < r.frequencies.size(); i += 6) {
            const double f = r.frequencies[i];
            SCOPED_TRACE(f);
            EXPECT_NEAR(r.channel[0].sum[i], Measure::magnitudeDb(h, f, kRate44), 0.01);
            EXPECT_NEAR(r.channel[0].analogSum[i], AnalogModel::magnitudeDb(c.kind, c.frequency, q, c.gain, f), 1e-6);
            if (f < 1000.0) {
                EXPECT_NEAR(r.channel[0].plainSum[i], r.channel[0].analogSum[i], 0.1);
            }
        }
        // Near the top the plain design falls away from the model and the correction brings it back.
        const size_t top = r.frequencies.size() - 1;
        EXPECT_LT(std::fabs(r.channel[0].sum[top] - r.channel[0].analogSum[top]),
                  std::fabs(r.channel[0].plainSum[top] - r.channel[0].analogSum[top]));
    }
}

}  // namespace
