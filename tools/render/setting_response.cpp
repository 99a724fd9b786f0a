#include "tools/render/setting_response.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "dsp/band_filter.h"
#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "effect/parameter_tables.h"
#include "tools/response/analog_model.h"
#include "tools/response/band_response.h"

namespace render {
namespace {

// Where the effect places the Air band: far above any audio rate, so only its correction acts.
constexpr float kAirFrequencyHz = 300000.0f;
// A response of exactly zero (a pass filter far in its stop band) is drawn at this floor.
constexpr double kFloorDb = -200.0;

constexpr const char* kBandNames[kBandCount] = {"High-pass", "Band 1", "Bell 2", "Bell 3",
                                                "Bell 4",    "Band 5", "Low-pass", "Air"};

int kindOf(int band, float type) {
    const bool alt = type >= 0.5f;
    switch (band) {
        case kBandHP: return alt ? BandKind::kHighPass12 : BandKind::kHighPass6;
        case kBandB1: return alt ? BandKind::kLowShelf : BandKind::kBell;
        case kBandB5: return alt ? BandKind::kHighShelf : BandKind::kBell;
        case kBandLP: return alt ? BandKind::kLowPass12 : BandKind::kLowPass6;
        default: return BandKind::kBell;
    }
}

double toDb(double magnitude) { return magnitude > 0.0 ? 20.0 * std::log10(magnitude) : kFloorDb; }

std::string labelOf(int band, const EngineBand& e, const SettingsSlot& slot, int channel) {
    const BandTriple& v = slot.settings.channel[channel].band[band];
    char label[96];
    switch (band) {
        case kBandHP:
        case kBandLP:
            std::snprintf(label, sizeof(label), "%s %s %.0f Hz Q %.2f", kBandNames[band],
                          e.kind == BandKind::kHighPass6 || e.kind == BandKind::kLowPass6 ? "6 dB/oct" : "12 dB/oct",
                          static_cast<double>(e.frequency), static_cast<double>(e.q));
            break;
        case kBandAir:
            std::snprintf(label, sizeof(label), "Air %+.1f dB", static_cast<double>(mapForward(param::kAir, v.gain)));
            break;
        default: {
            const bool shelf = e.kind != BandKind::kBell;
            std::snprintf(label, sizeof(label), "%s %s %.0f Hz %+.1f dB Q %.2f", kBandNames[band],
                          shelf ? (band == kBandB1 ? "low shelf" : "high shelf") : "bell",
                          static_cast<double>(e.frequency), static_cast<double>(mapForward(param::kGain, v.gain)),
                          static_cast<double>(e.q));
        }
    }
    return label;
}

std::string text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

}  // namespace

EngineBand EngineBandOf(const SettingsSlot& slot, int band, int channel) {
    const BandTriple& v = slot.settings.channel[channel].band[band];
    const float type = slot.settings.band[band].type;
    EngineBand e;
    e.kind = kindOf(band, type);
    switch (band) {
        case kBandHP:
            e.frequency = mapForward(param::kFreqHP, v.frequency);
            e.q = passBandQHighPass(v.quality, e.frequency);
            break;
        case kBandLP:
            e.frequency = mapForward(param::kFreq, v.frequency);
            e.q = passBandQLowPass(v.quality, e.frequency);
            break;
        case kBandAir:
            e.frequency = kAirFrequencyHz;
            e.gain = mapForward(param::kAir, v.gain);
            break;
        default:
            e.frequency = mapForward(param::kFreq, v.frequency);
            if (e.kind != BandKind::kBell) {
                e.q = mapForward(param::kQShelf, v.quality);
                e.gain = mapForward(param::kGain, v.gain);
            } else {
                e.q = mapForward(param::kQBell, v.quality);
                e.gain = bellGainForQ(mapForward(param::kGain, v.gain), e.q);
            }
    }
    return e;
}

SettingResponse ComputeResponse(const EffectState& state, double sampleRate, int points) {
    SettingResponse r;
    r.sampleRate = sampleRate;
    const double top = std::min(kPlotHighHz, 0.5 * sampleRate * (1.0 - 1e-6));
    for (int i = 0; i < points; ++i) {
        const double f = kPlotLowHz * std::pow(kPlotHighHz / kPlotLowHz, points > 1 ? i / double(points - 1) : 0.0);
        if (f <= top) r.frequencies.push_back(f);
    }
    const SettingsSlot& slot = state.slot[state.slotSelector < 0.5f ? 0 : 1];
    r.generalOn = slot.settings.generalOn >= 0.5f;
    r.midSide = slot.info.channelMode == kChannelModeMidSide;
    r.presetName = text(slot.info.presetName, kInfoTextSize);
    r.bankName = text(slot.info.bankName, kInfoTextSize);
    const size_t n = r.frequencies.size();
    for (int c = 0; c < kChannelCount; ++c) {
        ChannelResponse& ch = r.channel[c];
        ch.name = r.midSide ? (c == 0 ? "Mid" : "Side") : (c == 0 ? "Left" : "Right");
        ch.volumeDb = mapForward(param::kGain, slot.settings.channel[c].volume);
        ch.sum.assign(n, ch.volumeDb);
        ch.plainSum.assign(n, ch.volumeDb);
        ch.analogSum.assign(n, ch.volumeDb);
        for (int b = 0; b < kBandCount; ++b) {
            if (slot.settings.band[b].on < 0.5f) continue;
            const EngineBand e = EngineBandOf(slot, b, c);
            BandCurve curve;
            curve.band = b;
            curve.label = labelOf(b, e, slot, c);
            curve.hasModel = b != kBandAir;
            const BandValues values{e.frequency, e.gain, e.q, e.kind};
            BandFilter corrected, plain;
            corrected.setSampleRate(static_cast<float>(sampleRate));
            BandResponse::design(corrected, values);
            plain.setSampleRate(static_cast<float>(sampleRate));
            plain.setCorrectionEnabled(false);
            BandResponse::design(plain, values);
            for (size_t i = 0; i < n; ++i) {
                const double f = r.frequencies[i];
                const double engine = toDb(std::abs(BandResponse::at(corrected, f)));
                // The Air band has no other form: the comparison sums take it as the engine runs it.
                const double bilinear = curve.hasModel ? toDb(std::abs(BandResponse::at(plain, f))) : engine;
                const double analog =
                    curve.hasModel ? toDb(std::abs(AnalogModel::response(e.kind, e.frequency, e.q, e.gain, f))) : engine;
                curve.db.push_back(engine);
                curve.plainDb.push_back(bilinear);
                curve.analogDb.push_back(analog);
                ch.sum[i] += engine;
                ch.plainSum[i] += bilinear;
                ch.analogSum[i] += analog;
            }
            ch.bands.push_back(std::move(curve));
        }
    }
    return r;
}

std::string ResponseTable(const SettingResponse& r) {
    std::string out = "# Hz";
    for (const ChannelResponse& ch : r.channel) {
        out += "\t" + ch.name + " sum\t" + ch.name + " plain bilinear\t" + ch.name + " analog";
        for (const BandCurve& b : ch.bands) out += "\t" + ch.name + " " + b.label;
    }
    out += "\n";
    char cell[32];
    for (size_t i = 0; i < r.frequencies.size(); ++i) {
        std::snprintf(cell, sizeof(cell), "%.3f", r.frequencies[i]);
        out += cell;
        for (const ChannelResponse& ch : r.channel) {
            for (double v : {ch.sum[i], ch.plainSum[i], ch.analogSum[i]}) {
                std::snprintf(cell, sizeof(cell), "\t%.4f", v);
                out += cell;
            }
            for (const BandCurve& b : ch.bands) {
                std::snprintf(cell, sizeof(cell), "\t%.4f", b.db[i]);
                out += cell;
            }
        }
        out += "\n";
    }
    return out;
}

}  // namespace render
