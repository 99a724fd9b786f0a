// The magnitude response of a whole setting, per channel and per band, worked out from the state
// image the effect hands a host: each band designed by the engine's own code (the correction
// included), and beside it the plain bilinear design and the analog model it is matched to.
#pragma once

#include <string>
#include <vector>

#include "effect/effect_state.h"

namespace render {

// What the engine is given for one band of one channel, as the effect maps the slot's values.
struct EngineBand {
    int kind = 0;
    float frequency = 0.0f;
    float gain = 0.0f;  // dB; bells after the gain compensation
    float q = 0.0f;
};
EngineBand EngineBandOf(const SettingsSlot& slot, int band, int channel);

struct BandCurve {
    int band = 0;
    std::string label;         // "Bell 2 1200 Hz +3.0 dB Q 1.00"
    std::vector<double> db;    // the engine's response at each frequency
    std::vector<double> plainDb, analogDb;  // the Air band: its engine response
    bool hasModel = true;      // the Air band acts through its correction alone: no bilinear or analog form
};

struct ChannelResponse {
    std::string name;  // "Left", "Right", "Mid", "Side"
    std::vector<BandCurve> bands;  // the bands that are on
    double volumeDb = 0.0;
    std::vector<double> sum, plainSum, analogSum;  // bands and volume
};

struct SettingResponse {
    double sampleRate = 0.0;
    std::vector<double> frequencies;
    ChannelResponse channel[kChannelCount];
    bool generalOn = false;
    bool midSide = false;
    std::string presetName, bankName;
};

constexpr double kPlotLowHz = 20.0;
constexpr double kPlotHighHz = 20000.0;
constexpr int kPlotPoints = 400;

// The response of the state's active slot at `points` frequencies spaced evenly on a log scale from
// kPlotLowHz to kPlotHighHz (those above the Nyquist frequency left out).
SettingResponse ComputeResponse(const EffectState& state, double sampleRate, int points = kPlotPoints);

// The curves as a table: a header line, then one line per frequency (Hz, then per channel the sum,
// the plain bilinear sum, the analog sum and each band's engine response, in dB).
std::string ResponseTable(const SettingResponse& response);

}  // namespace render
