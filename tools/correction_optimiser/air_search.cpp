#include "tools/correction_optimiser/air_search.h"

#include "dsp/band_filter.h"
#include "dsp/band_kind.h"
#include "tools/correction_optimiser/scoring.h"
#include "tools/response/band_response.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {
namespace T = CorrectionTables;
}  // namespace

void optimiseAir(int rateIndex, WorkingTables& shared, OptimiserState& state, int budget) {
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.air.count(rateIndex)) return;
    }
    const float fs = T::kAirRates[static_cast<size_t>(rateIndex)];
    const Scoring::Grid here(fs);
    WorkingTables mine;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        mine = shared;
    }
    T::AirTable& table = mine.air[rateIndex];
    const T::Set set = mine.set();
    // The 44.1 kHz response at a gain, on this rate's points below 20 kHz.
    const auto reference = [&](float gain) {
        BandFilter band;
        band.setSampleRate(44100.0f);
        band.setCorrectionTables(&set);
        BandResponse::design(band, {300000.0f, gain, 0.0f, BandKind::kBell});
        std::vector<double> r;
        for (size_t i = 0; i < here.hz.size(); ++i)
            r.push_back(here.hz[i] <= 20000.0 ? BandResponse::magnitudeDb(band, here.hz[i]) : 0.0);
        return r;
    };
    const auto difference = [&](float gain, const std::vector<double>& want) {
        BandFilter band;
        band.setSampleRate(fs);
        band.setCorrectionTables(&set);
        BandResponse::design(band, {300000.0f, gain, 0.0f, BandKind::kBell});
        double worst = 0.0;
        for (size_t i = 0; i < here.hz.size(); ++i)
            if (here.hz[i] <= 20000.0) worst = std::max(worst, std::fabs(BandResponse::magnitudeDb(band, here.hz[i]) - want[i]));
        return worst;
    };
    const auto& axis = T::kAirGainAxis;
    // The gains a point answers for: its own and those a quarter, half and three quarters of the way
    // to its neighbours, where the band blends the two entries.
    struct Check {
        float gain;
        std::vector<double> want;
    };
    std::vector<std::vector<Check>> checks(T::kAirPoints);
    for (int point = 0; point < T::kAirPoints; ++point) {
        std::vector<float> gains{axis[static_cast<size_t>(point)]};
        for (int side : {-1, 1}) {
            const int other = point + side;
            if (other < 0 || other >= T::kAirPoints) continue;
            for (float u : {0.25f, 0.5f, 0.75f})
                gains.push_back((1.0f - u) * axis[static_cast<size_t>(point)] + u * axis[static_cast<size_t>(other)]);
        }
        for (float g : gains) checks[static_cast<size_t>(point)].push_back({g, reference(g)});
    }
    // The largest difference, plus a share of the mean so that the search keeps improving the points
    // that are not the worst.
    const auto score = [&](int point) {
        double worst = 0.0, sum = 0.0;
        for (const Check& c : checks[static_cast<size_t>(point)]) {
            const double d = difference(c.gain, c.want);
            worst = std::max(worst, d);
            sum += d;
        }
        return worst + 0.25 * sum / static_cast<double>(checks[static_cast<size_t>(point)].size());
    };
    const float topFrequency = 0.45f * 4.0f * fs;
    const auto clampPoint = [&](T::AirPoint& p) {
        p.frequency = std::clamp(p.frequency, 10000.0f, topFrequency);
        p.q = std::clamp(p.q, 0.1f, 20.0f);
        p.gain = std::clamp(p.gain, -60.0f, 40.0f);
        p.kernelPhase = std::clamp(p.kernelPhase, 0.3f, 0.7f);
        p.length = std::clamp(p.length, 1, T::kMaxCorrectionLength);
        p.outputGain = std::clamp(p.outputGain, 0.8f, 1.25f);
        p.kernelLengthIndex = std::clamp(p.kernelLengthIndex, 0, static_cast<int>(T::kKernelLengths.size()) - 1);
        p.flatTaps = std::clamp(p.flatTaps, 0.0f, 1.0f);
    };
    // Flat points (0 and -0.01 dB) keep a 0 dB reference, a centred kernel and unit output gain, so
    // that the band stays transparent there; their frequency, Q and length only shape the blend
    // towards the neighbouring points.
    const auto flat = [&](int point) { return std::fabs(axis[static_cast<size_t>(point)]) < 0.1f; };
    // Coordinate descent over the entries of one point, as for the table cells.
    const auto descend = [&](int point, double current) {
        T::AirPoint& p = table[static_cast<size_t>(point)];
        float step = 1.0f;
        int used = 0;
        while (used < budget && step > 0.002f) {
            bool improved = false;
            for (int entry = 0; entry < 8 && !improved; ++entry) {
                if (flat(point) && (entry == 2 || entry == 3 || entry == 5)) continue;
                for (int d : {1, -1}) {
                    const T::AirPoint keep = p;
                    const float s = static_cast<float>(d) * step;
                    switch (entry) {
                    case 0: p.frequency *= std::exp(0.1f * s); break;
                    case 1: p.q *= std::exp(0.15f * s); break;
                    case 2: p.gain += 1.0f * s; break;
                    case 3: p.kernelPhase += 0.02f * s; break;
                    case 4: p.length += d * std::max(1, static_cast<int>(8.0f * step)); break;
                    case 5: p.outputGain *= std::exp(0.01f * s); break;
                    case 6: p.kernelLengthIndex += d; break;
                    default: p.flatTaps += 0.1f * s; break;
                    }
                    clampPoint(p);
                    if (p == keep) continue;
                    const double v = score(point);
                    ++used;
                    if (v < current - 1e-6) {
                        current = v;
                        improved = true;
                        break;
                    }
                    p = keep;
                }
            }
            if (!improved) step *= 0.5f;
        }
        return current;
    };
    for (int round = 0; round < 5; ++round)
        for (int point = 0; point < T::kAirPoints; ++point) {
            T::AirPoint& p = table[static_cast<size_t>(point)];
            std::vector<std::pair<double, T::AirPoint>> starts{{score(point), p}};
            // The same point of the other rates' tables: nearby rates often share a good entry.
            const T::AirPoint own = p;
            for (int other = 1; other < 4; ++other) {
                if (other == rateIndex) continue;
                p = mine.air[other][static_cast<size_t>(point)];
                if (flat(point)) p.gain = own.gain, p.kernelPhase = own.kernelPhase, p.outputGain = own.outputGain;
                starts.emplace_back(score(point), p);
            }
            p = own;
            if (!flat(point)) {
                // A coarse grid of reference peaks around the 44.1 kHz entry.
                const T::AirPoint base = T::kAir44[static_cast<size_t>(point)];
                for (float f : {12000.0f, 16000.0f, 20000.0f, 25000.0f, 30000.0f, 40000.0f, 50000.0f, 70000.0f, 100000.0f})
                    for (float q : {0.3f, 0.5f, 0.875f, 1.5f, 3.0f, 6.0f, 10.0f, 15.0f})
                        for (float dg : {-10.0f, -5.0f, 0.0f, 5.0f, 10.0f})
                            for (int length : {16, 24, 44})
                                for (int kernel : {6, 9, 12}) {
                                    p = starts.front().second;
                                    p.frequency = f, p.q = q, p.gain = base.gain + dg, p.length = length;
                                    p.kernelLengthIndex = kernel;
                                    if (round == 0) p.kernelPhase = base.kernelPhase, p.outputGain = base.outputGain;
                                    clampPoint(p);
                                    starts.emplace_back(score(point), p);
                                }
            }
            std::sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
            double best = starts.front().first;
            T::AirPoint bestPoint = starts.front().second;
            for (size_t start = 0; start < (flat(point) ? 1u : 4u) && start < starts.size(); ++start) {
                p = starts[start].second;
                const double v = descend(point, starts[start].first);
                if (v < best) best = v, bestPoint = p;
            }
            p = bestPoint;
            std::printf("air %.0f Hz, round %d, gain point %+.2f dB: %.3f dB from the 44.1 kHz band\n", fs, round,
                        axis[static_cast<size_t>(point)], best);
            std::fflush(stdout);
        }
    state.finishAir(shared, rateIndex, table);
}
