// Fills the correction tables that the bands read (dsp/correction_tables_generated.h) by a numerical
// search per table cell. Each candidate cell is put into a working copy of the tables and the band
// is designed by the same code as on the audio thread (BandFilter, the recipes, the correction FIR
// in float); the search minimises the largest deviation in dB of the band's magnitude response
// (main IIR plus correction) from its analog model over 300 points from 20 Hz to min(20 kHz,
// 0.45 fs), plus small penalties on the taps and on a shifted kernel (sub-sample delay). The
// half-way setting towards the cell below in frequency is scored too, so that interpolated settings
// stay good. Cells are searched line by line (a Q and gain, frequency rising), each seeded with the
// cell below it (continuation) and a few fixed seeds.
//
// The Air band gets a table per sample rate: its reference frequency, Q, gain, kernel phase, length
// and output gain per gain point are searched so that its response below 20 kHz equals the 44.1 kHz
// Air band's.
//
// Every finished cell is appended to the state file, so a run can stop at any time and resume; the
// header is written from the state file:
//
//   tovin_correction_optimiser --state tables.state [--tables bell,shelf,air,lowpass2,lowpass1,highpass1]
//                              [--threads 1] [--seconds 3600] [--budget 300]
//                              [--polish bell|shelf [--polish-from 5000] [--polish-below HZ]]
//                              [--emit dsp/correction_tables_generated.h]
//
// --polish runs the second pass (see polishLine) over the finished cells from the given frequency up.
#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "dsp/band_recipes.h"
#include "tools/response/analog_model.h"
#include "tools/response/band_response.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {
namespace T = CorrectionTables;
using Cell = T::Cell;
using Complex = std::complex<double>;

// ---- working tables --------------------------------------------------------------------------

struct Tables {
    std::vector<Cell> bell = std::vector<Cell>(T::kBellCells);
    std::vector<Cell> shelf = std::vector<Cell>(T::kShelfCells);
    std::vector<Cell> lowPass2 = std::vector<Cell>(T::kLowPass2Cells);
    std::vector<Cell> lowPass1 = std::vector<Cell>(24);
    std::vector<Cell> highPass1 = std::vector<Cell>(16);
    T::AirTable air[4] = {T::kAir44, T::kAir44, T::kAir44, T::kAir44};

    T::Set set() const {
        return {{bell.data()}, {{shelf.data()}, {shelf.data()}}, {lowPass2.data()}, {lowPass1.data()},
                {highPass1.data()}, {&air[0], &air[1], &air[2], &air[3]}};
    }
    std::vector<Cell>* table(const std::string& name) {
        if (name == "bell") return &bell;
        if (name == "shelf") return &shelf;
        if (name == "lowpass2") return &lowPass2;
        if (name == "lowpass1") return &lowPass1;
        if (name == "highpass1") return &highPass1;
        return nullptr;
    }
};

// ---- measuring a designed band ---------------------------------------------------------------

struct Grid {
    float fs;
    std::vector<double> hz;
    std::vector<Complex> z1;
    explicit Grid(float rate) : fs(rate) {
        const double top = std::min(20000.0, 0.45 * rate);
        for (int i = 0; i < 300; ++i) {
            const double f = 20.0 * std::pow(top / 20.0, i / 299.0);
            hz.push_back(f);
            z1.push_back(std::polar(1.0, -2.0 * 3.14159265358979323846 * f / rate));
        }
    }
};

double magnitudeDb(const BandFilter& band, Complex z1) {
    const auto sec = [&](const BiquadCoefficients& c) { return BandResponse::section(c, z1); };
    Complex h = sec(band.section(0).target()) * sec(band.section(1).target());
    Complex fir(0.0, 0.0), zk(1.0, 0.0);
    for (int k = 0; k < band.correctionInUse(); ++k, zk *= z1) fir += static_cast<double>(band.taps()[k]) * zk;
    const Complex total = (h + fir) * sec(band.section(2).target()) * static_cast<double>(band.outputGainTarget());
    return 10.0 * std::log10(std::norm(total) + 1e-300);
}

// A band setting and the analog response it is held to.
struct Setting {
    int kind;
    float f, q, gain;
    double floorDb = -1e9;  // points where the analog response lies below are not scored
    std::vector<double> analog;
    void prepare(const Grid& g) {
        analog.clear();
        for (double x : g.hz) analog.push_back(AnalogModel::magnitudeDb(kind, f, q, gain, x));
    }
};

double deviation(const T::Set& set, const Grid& g, const Setting& s, bool correct = true) {
    BandFilter band;
    band.setSampleRate(g.fs);
    band.setCorrectionTables(&set);
    band.setCorrectionEnabled(correct);
    BandResponse::design(band, {s.f, s.gain, s.q, s.kind});
    double worst = 0.0;
    for (size_t i = 0; i < g.hz.size(); ++i) {
        if (s.analog[i] < s.floorDb) continue;
        worst = std::max(worst, std::fabs(magnitudeDb(band, g.z1[i]) - s.analog[i]));
    }
    return worst;
}

double penalty(const Cell& c) { return 0.0004 * c.length + 0.05 * std::fabs(c.kernelPhase - 0.5f); }

// Keeps the main section's adjustments small, so that neighbouring cells stay alike.
double adjustmentPenalty(const Cell& c) {
    return 0.05 * (std::fabs(std::log(c.frequencyScale)) + std::fabs(std::log(c.q1Scale))) + 0.01 * std::fabs(c.gainOffset) +
           0.5 * std::fabs(c.outputGain - 1.0f);
}

// ---- the search over one cell ----------------------------------------------------------------

struct Param {
    std::function<void(Cell&, int)> step;  // one step up (+1) or down (-1) at the current scale
};

// Coordinate search from the best of the seeds: every parameter is stepped both ways; improvements
// are kept; the step sizes halve when a round brings nothing.
Cell search(const std::function<double(const Cell&)>& score, const std::vector<Cell>& seeds, double& best, int budget) {
    Cell cell = seeds.front();
    best = score(cell);
    for (size_t i = 1; i < seeds.size(); ++i) {
        const double s = score(seeds[i]);
        if (s < best) best = s, cell = seeds[i];
    }
    double scale = 1.0;
    int used = 0;
    const auto clampCell = [](Cell& c) {
        c.length = std::clamp(c.length, 0, T::kMaxCorrectionLength);
        c.kernelLengthIndex = std::clamp(c.kernelLengthIndex, 0, 13);
        c.kernelPhase = std::clamp(c.kernelPhase, 0.3f, 0.7f);
        c.flatTaps = std::clamp(c.flatTaps, 0.0f, 1.0f);
        c.frequencyScale = std::clamp(c.frequencyScale, 0.5f, 2.0f);
        c.q1Scale = std::clamp(c.q1Scale, 0.25f, 4.0f);
        c.q2Scale = c.q1Scale;
        c.gainOffset = std::clamp(c.gainOffset, -12.0f, 12.0f);
        c.outputGain = std::clamp(c.outputGain, 0.8f, 1.25f);
    };
    while (used < budget && scale > 0.01) {
        bool improved = false;
        const int lengthStep = std::max(1, static_cast<int>(8 * scale));
        const std::function<void(Cell&, int)> moves[] = {
            [&](Cell& c, int d) { c.length += d * lengthStep; },
            [&](Cell& c, int d) { c.kernelLengthIndex += d * std::max(1, static_cast<int>(3 * scale)); },
            [&](Cell& c, int d) { c.kernelPhase += d * 0.04f * static_cast<float>(scale); },
            [&](Cell& c, int d) { c.flatTaps += d * 0.2f * static_cast<float>(scale); },
            [&](Cell& c, int d) { c.frequencyScale *= std::pow(1.0f + 0.04f * static_cast<float>(scale), static_cast<float>(d)); },
            [&](Cell& c, int d) { c.q1Scale *= std::pow(1.0f + 0.1f * static_cast<float>(scale), static_cast<float>(d)); },
            [&](Cell& c, int d) { c.gainOffset += d * 0.3f * static_cast<float>(scale); },
            [&](Cell& c, int d) { c.outputGain *= 1.0f + d * 0.01f * static_cast<float>(scale); },
        };
        for (const auto& move : moves)
            for (int d : {1, -1}) {
                Cell trial = cell;
                move(trial, d);
                clampCell(trial);
                if (trial == cell) continue;
                const double s = score(trial);
                ++used;
                if (s < best - 1e-6) {
                    best = s, cell = trial, improved = true;
                    break;
                }
            }
        if (!improved) scale *= 0.5;
    }
    return cell;
}

// ---- state file ------------------------------------------------------------------------------

std::mutex stateMutex;
std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
bool pastDeadline() { return std::chrono::steady_clock::now() > deadline; }

std::string cellText(const Cell& c) {
    char t[256];
    std::snprintf(t, sizeof t, "%d %d %.6g %d %.6g %.6g %.6g %.6g %.6g %.6g", c.length, c.prototype, c.kernelPhase,
                  c.kernelLengthIndex, c.flatTaps, c.outputGain, c.frequencyScale, c.q1Scale, c.q2Scale, c.gainOffset);
    return t;
}

bool readCell(std::istringstream& in, Cell& c) {
    return static_cast<bool>(in >> c.length >> c.prototype >> c.kernelPhase >> c.kernelLengthIndex >> c.flatTaps >>
                             c.outputGain >> c.frequencyScale >> c.q1Scale >> c.q2Scale >> c.gainOffset);
}

struct State {
    std::string path;
    std::map<std::string, std::map<int, Cell>> done;  // table -> index -> cell
    std::map<int, T::AirTable> air;                    // rate index -> table
    std::map<std::string, std::map<int, std::pair<double, double>>> scores;

    void load(Tables& t) {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream s(line);
            std::string what;
            s >> what;
            if (what == "cell") {
                std::string table;
                int index;
                Cell c;
                double score = 0, plain = 0;
                if (!(s >> table >> index) || !readCell(s, c)) continue;
                s >> score >> plain;
                done[table][index] = c;
                scores[table][index] = {score, plain};
                if (auto* v = t.table(table); v != nullptr && index >= 0 && index < static_cast<int>(v->size()))
                    (*v)[static_cast<size_t>(index)] = c;
            } else if (what == "air") {
                int rate, point;
                T::AirPoint p;
                if (!(s >> rate >> point >> p.frequency >> p.q >> p.gain >> p.kernelPhase >> p.length >> p.outputGain)) continue;
                if (rate < 1 || rate > 3 || point < 0 || point >= T::kAirPoints) continue;
                if (air.count(rate) == 0) air[rate] = T::kAir44;
                air[rate][static_cast<size_t>(point)] = p;
                t.air[rate] = air[rate];
            }
        }
    }
    void append(const std::string& line) {
        std::lock_guard<std::mutex> lock(stateMutex);
        std::ofstream out(path, std::ios::app);
        out << line << '\n';
    }
};

// ---- three-axis tables: bell and shelf -------------------------------------------------------

struct Line {
    std::string table;
    int qi, gi;
};

// The axes of a table and the band kind measured on it.
struct Shape {
    int kind;
    const float* frequencies;
    int frequencyCount;
    const float* qs;  // null: no Q axis (the band is measured at Q 0.7)
    int qCount;
    bool gainAxis;
    double floorDb;  // pass filters: only where the analog response lies above
};

Shape shapeOf(const std::string& table) {
    if (table == "bell") return {BandKind::kBell, T::kBellFrequencies.data(), 21, T::kBellQs.data(), 12, true, -1e9};
    if (table == "shelf") return {BandKind::kHighShelf, T::kShelfFrequencies.data(), 21, T::kShelfQs.data(), 6, true, -1e9};
    if (table == "lowpass2")
        return {BandKind::kLowPass12, T::kLowPassFrequencies.data(), 24, T::kLowPass2Qs.data(), 15, false, -24.0};
    if (table == "lowpass1") return {BandKind::kLowPass6, T::kLowPassFrequencies.data(), 24, nullptr, 1, false, -24.0};
    return {BandKind::kHighPass6, T::kHighPass1Frequencies.data(), 16, nullptr, 1, false, -24.0};
}

double bellGainAt(int qi, int gi) { return bellGainForQ(static_cast<float>(gi - 15), T::kBellQs[static_cast<size_t>(qi)]); }

void optimiseLine(const Line& line, Tables& shared, State& state, const std::atomic<bool>& stop, int budget) {
    const Shape shape = shapeOf(line.table);
    const bool bell = line.table == "bell";
    const Grid grid(44100.0f);
    Cell previous;
    bool havePrevious = false;
    float previousF = 0;
    for (int fi = 0; fi < shape.frequencyCount && !stop.load() && !pastDeadline(); ++fi) {
        const int cell = fi * shape.qCount + line.qi;
        const int index = shape.gainAxis ? cell * T::kGainSteps + line.gi : cell;
        const float f = shape.frequencies[fi];
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            if (state.done[line.table].count(index)) {
                previous = state.done[line.table][index];
                havePrevious = true;
                previousF = f;
                continue;
            }
        }
        const float q = shape.qs != nullptr ? shape.qs[line.qi] : 0.7f;
        const float gain = !shape.gainAxis ? 0.0f : bell ? static_cast<float>(bellGainAt(line.qi, line.gi)) : static_cast<float>(line.gi - 15);
        Setting at{shape.kind, f, q, gain, shape.floorDb, {}};
        at.prepare(grid);
        Setting half = at;
        half.f = havePrevious ? 0.5f * (f + previousF) : f;
        half.prepare(grid);
        // A private copy of the tables holds the candidate cell (and the finished cells so far).
        Tables mine;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            mine = shared;
        }
        std::vector<Cell>& table = *mine.table(line.table);
        const T::Set set = mine.set();
        const auto score = [&](const Cell& c) {
            table[static_cast<size_t>(index)] = c;
            double s = deviation(set, grid, at);
            if (havePrevious) s = std::max(s, deviation(set, grid, half));
            return s + penalty(c);
        };
        const double plain = deviation(set, grid, at, false);
        Cell best;
        double bestScore = score(best);
        if (bestScore > 0.02) {
            // A coarse grid of tap counts, kernel lengths and flat shares, the cell below and the
            // neutral cell; the search then starts from the best three.
            std::vector<std::pair<double, Cell>> starts{{bestScore, best}};
            if (havePrevious) starts.emplace_back(score(previous), previous);
            for (int n : {4, 8, 16, 24, 32, 44})
                for (int k : {0, 1, 2, 4, 6, 8, 10, 12, 13})
                    for (float flat : {0.0f, 0.3f, 0.6f, 0.9f})
                        for (float phase : {0.45f, 0.5f, 0.55f}) {
                            Cell c;
                            c.length = n, c.kernelLengthIndex = k, c.flatTaps = flat, c.kernelPhase = phase;
                            starts.emplace_back(score(c), c);
                        }
            std::sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
            for (size_t i = 0; i < 3 && i < starts.size(); ++i) {
                double s = 0;
                const Cell c = search(score, {starts[i].second}, s, budget);
                if (s < bestScore) bestScore = s, best = c;
            }
        }
        std::ostringstream text;
        text << "cell " << line.table << ' ' << index << ' ' << cellText(best) << ' ' << bestScore << ' ' << plain;
        state.append(text.str());
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            state.done[line.table][index] = best;
            state.scores[line.table][index] = {bestScore, plain};
            (*shared.table(line.table))[static_cast<size_t>(index)] = best;
        }
        std::printf("%s f %.0f q %.2f gain %+.2f: %.3f dB (plain %.3f), N %d\n", line.table.c_str(), f, q, gain,
                    bestScore, plain, best.length);
        std::fflush(stdout);
        previous = best;
        havePrevious = true;
        previousF = f;
    }
}

// A second pass over finished three-axis cells: each is searched again, seeded with itself and its
// neighbours, scoring the cell and the half-way settings towards all its neighbours (frequency, Q
// and gain, both sides), so that settings between cells stay good.
void polishLine(const Line& line, Tables& shared, State& state, int budget, float fromHz, float belowHz) {
    const Shape shape = shapeOf(line.table);
    const bool bell = line.table == "bell";
    const Grid grid(44100.0f);
    const auto indexOf = [&](int fi, int qi, int gi) { return (fi * shape.qCount + qi) * T::kGainSteps + gi; };
    const auto settingAt = [&](float fi, float qi, float gi) {
        const auto axis = [](const float* a, int n, float x) {
            const int i = std::clamp(static_cast<int>(x), 0, n - 1);
            const float u = x - static_cast<float>(i);
            return i + 1 < n ? (1.0f - u) * a[i] + u * a[i + 1] : a[i];
        };
        const float f = axis(shape.frequencies, shape.frequencyCount, fi);
        const float q = axis(shape.qs, shape.qCount, qi);
        const float knob = gi - 15.0f;
        Setting s{shape.kind, f, q, bell ? bellGainForQ(knob, q) : knob, shape.floorDb, {}};
        s.prepare(grid);
        return s;
    };
    for (int fi = shape.frequencyCount - 1; fi >= 0 && !pastDeadline(); --fi) {
        if (shape.frequencies[fi] < fromHz) break;
        if (shape.frequencies[fi] >= belowHz) continue;
        const int index = indexOf(fi, line.qi, line.gi);
        std::vector<Setting> settings{settingAt(fi, line.qi, line.gi)};
        std::vector<Cell> seeds;
        Tables mine;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            mine = shared;
        }
        std::vector<Cell>& table = *mine.table(line.table);
        seeds.push_back(table[static_cast<size_t>(index)]);
        // Along each axis, and diagonally in frequency and Q, where neighbouring cells mix most.
        const int around[10][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1},
                                   {0, 0, 1},  {-1, -1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}};
        for (const auto& d : around) {
            const int f2 = fi + d[0], q2 = line.qi + d[1], g2 = line.gi + d[2];
            if (f2 < 0 || f2 >= shape.frequencyCount || q2 < 0 || q2 >= shape.qCount || g2 < 0 || g2 >= T::kGainSteps) continue;
            if (g2 == 15) continue;  // a flat bell reads no cell
            settings.push_back(settingAt(fi + 0.5f * d[0], line.qi + 0.5f * d[1], line.gi + 0.5f * d[2]));
            seeds.push_back(table[static_cast<size_t>(indexOf(f2, q2, g2))]);
        }
        const T::Set set = mine.set();
        const auto score = [&](const Cell& c) {
            table[static_cast<size_t>(index)] = c;
            double s = 0.0;
            for (const Setting& x : settings) s = std::max(s, deviation(set, grid, x));
            return s + penalty(c) + adjustmentPenalty(c);
        };
        double before = score(seeds.front());
        double bestScore = before;
        Cell best = seeds.front();
        std::vector<std::pair<double, Cell>> starts;
        for (const Cell& c : seeds) starts.emplace_back(score(c), c);
        std::sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = 0; i < 2 && i < starts.size(); ++i) {
            double v = 0;
            const Cell c = search(score, {starts[i].second}, v, budget);
            if (v < bestScore) bestScore = v, best = c;
        }
        std::ostringstream text;
        text << "cell " << line.table << ' ' << index << ' ' << cellText(best) << ' ' << bestScore << ' ' << before;
        state.append(text.str());
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            state.done[line.table][index] = best;
            (*shared.table(line.table))[static_cast<size_t>(index)] = best;
        }
        std::printf("polish %s f %.0f q %.2f knob %+d: %.3f dB around the cell (was %.3f)\n", line.table.c_str(),
                    shape.frequencies[fi], shape.qs[line.qi], line.gi - 15, bestScore, before);
        std::fflush(stdout);
    }
}

// ---- the Air band per rate -------------------------------------------------------------------

void optimiseAir(int rateIndex, Tables& shared, State& state, int budget) {
    if (state.air.count(rateIndex)) return;
    const float fs = T::kAirRates[static_cast<size_t>(rateIndex)];
    const Grid here(fs);
    const Grid base(44100.0f);
    Tables mine = shared;
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
            if (here.hz[i] <= 20000.0) worst = std::max(worst, std::fabs(magnitudeDb(band, here.z1[i]) - want[i]));
        return worst;
    };
    for (int point = 0; point < T::kAirPoints; ++point) {
        const float gain = T::kAirGainAxis[static_cast<size_t>(point)];
        if (gain == 0.0f) continue;  // flat: the reference is the identity at every rate
        const std::vector<double> want = reference(gain);
        const bool halfway = point > 0;
        const float halfGain = halfway ? 0.5f * (gain + T::kAirGainAxis[static_cast<size_t>(point - 1)]) : gain;
        const std::vector<double> wantHalf = reference(halfGain);
        T::AirPoint& p = table[static_cast<size_t>(point)];
        const auto score = [&] {
            double s = difference(gain, want);
            if (halfway) s = std::max(s, difference(halfGain, wantHalf));
            return s;
        };
        // A coarse grid of reference peaks and the current entry; a coordinate search from the best
        // few of them.
        const float topFrequency = 0.45f * 4.0f * fs;
        std::vector<std::pair<double, T::AirPoint>> starts{{score(), p}};
        const float baseGain = p.gain;
        for (float f : {15000.0f, 20000.0f, 25000.0f, 30000.0f, 40000.0f, 50000.0f, 70000.0f})
            for (float q : {0.3f, 0.5f, 0.875f, 1.5f, 3.0f, 6.0f, 10.0f})
                for (float dg : {-8.0f, -4.0f, 0.0f, 4.0f, 8.0f})
                    for (int length : {24, 44}) {
                        if (f > topFrequency) continue;
                        p = {f, q, baseGain + dg, 0.5f, length, starts.front().second.outputGain};
                        starts.emplace_back(score(), p);
                    }
        const T::AirPoint original = starts.front().second;
        std::sort(starts.begin() + 1, starts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        double best = 1e9;
        T::AirPoint bestPoint = original;
        for (size_t start = 0; start < 5 && start < starts.size(); ++start) {
            p = starts[start].second;
            double here = starts[start].first;
            double step = 1.0;
            int used = 0;
            while (used < budget && step > 0.002) {
                bool improved = false;
                for (int param = 0; param < 6 && !improved; ++param)
                    for (int d : {1, -1}) {
                        const T::AirPoint keep = p;
                        const float s = static_cast<float>(step);
                        switch (param) {
                        case 0: p.frequency = std::clamp(p.frequency * std::pow(1.0f + 0.1f * s, static_cast<float>(d)), 10000.0f, topFrequency); break;
                        case 1: p.q = std::clamp(p.q * std::pow(1.0f + 0.15f * s, static_cast<float>(d)), 0.1f, 20.0f); break;
                        case 2: p.gain += d * 1.0f * s; break;
                        case 3: p.kernelPhase = std::clamp(p.kernelPhase + d * 0.02f * s, 0.3f, 0.7f); break;
                        case 4: p.length = std::clamp(p.length + d * std::max(1, static_cast<int>(8 * s)), 1, 44); break;
                        case 5: p.outputGain = std::clamp(p.outputGain * (1.0f + d * 0.01f * s), 0.8f, 1.25f); break;
                        }
                        const double v = score();
                        ++used;
                        if (v < here - 1e-6) {
                            here = v;
                            improved = true;
                            break;
                        }
                        p = keep;
                    }
                if (!improved) step *= 0.5;
            }
            if (here < best) best = here, bestPoint = p;
        }
        p = bestPoint;
        std::printf("air %.0f Hz, gain point %+.2f dB: %.3f dB from the 44.1 kHz band\n", fs, gain, best);
        std::fflush(stdout);
    }
    for (int point = 0; point < T::kAirPoints; ++point) {
        const T::AirPoint& p = table[static_cast<size_t>(point)];
        char t[256];
        std::snprintf(t, sizeof t, "air %d %d %.7g %.7g %.7g %.7g %d %.7g", rateIndex, point, p.frequency, p.q, p.gain,
                      p.kernelPhase, p.length, p.outputGain);
        state.append(t);
    }
    std::lock_guard<std::mutex> lock(stateMutex);
    state.air[rateIndex] = table;
    shared.air[rateIndex] = table;
}

// ---- the generated header --------------------------------------------------------------------

// A float literal: always with a point or an exponent.
std::string lit(float v) {
    char t[48];
    std::snprintf(t, sizeof t, "%.7g", static_cast<double>(v));
    std::string s = t;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s + "f";
}

void emit(const State& state, const std::string& path) {
    std::ofstream out(path);
    out << "// Generated by tools/correction_optimiser from its state file: do not edit. To regenerate, build\n"
           "// tovin_correction_optimiser and run, from the repository root (about 45 minutes on one core):\n"
           "//   S=correction.state\n"
           "//   tovin_correction_optimiser --state $S --tables air,bell,shelf,lowpass2,lowpass1,highpass1\n"
           "//   tovin_correction_optimiser --state $S --tables none --polish bell\n"
           "//   tovin_correction_optimiser --state $S --tables none --polish bell --polish-from 1000\n"
           "//   tovin_correction_optimiser --state $S --tables none --polish shelf\n"
           "//   tovin_correction_optimiser --state $S --tables none --polish bell --polish-from 20 --polish-below 1000\n"
           "//   tovin_correction_optimiser --state $S --tables none --polish shelf --polish-from 20 --polish-below 1000\n"
           "//   tovin_correction_optimiser --state $S --seconds 0 --emit dsp/correction_tables_generated.h\n"
           "// Each run resumes from the state file. Cells not listed are neutral: the plain bilinear band.\n";
    int optimised = 0;
    for (const auto& [table, cells] : state.done) optimised += static_cast<int>(cells.size());
    out << "// Cells searched: " << optimised << "; Air tables per rate: " << state.air.size() << " of 3.\n";
    out << "#pragma once\n\n#include \"dsp/correction_tables.h\"\n\nnamespace CorrectionTables::Generated {\n";
    const auto table = [&](const char* name, const std::string& key) {
        std::vector<std::pair<int, Cell>> list;
        if (auto it = state.done.find(key); it != state.done.end())
            for (const auto& [index, c] : it->second)
                if (!(c == Cell{})) list.emplace_back(index, c);
        out << "constexpr std::array<Entry, " << list.size() << "> " << name << "{{";
        for (const auto& [index, c] : list) {
            out << "\n    {" << index << ", {" << c.length << ", " << c.prototype << ", " << lit(c.kernelPhase) << ", "
                << c.kernelLengthIndex << ", " << lit(c.flatTaps) << ", " << lit(c.outputGain) << ", "
                << lit(c.frequencyScale) << ", " << lit(c.q1Scale) << ", " << lit(c.q2Scale) << ", " << lit(c.gainOffset)
                << "}},";
        }
        out << (list.empty() ? "}};\n" : "\n}};\n");
    };
    table("kBell", "bell");
    out << "// Kinds 10/11 and 12/13 have the same recipes; both sets hold the same cells.\n";
    table("kShelf", "shelf");
    table("kShelfAlt", "shelf");
    table("kLowPass2", "lowpass2");
    table("kLowPass1", "lowpass1");
    table("kHighPass1", "highpass1");
    const char* names[] = {"", "kAir48", "kAir88", "kAir96"};
    for (int r = 1; r <= 3; ++r) {
        auto it = state.air.find(r);
        if (it == state.air.end()) {
            out << "constexpr AirTable " << names[r] << " = kAir44;\n";
            continue;
        }
        out << "constexpr AirTable " << names[r] << "{{";
        for (const T::AirPoint& p : it->second) {
            out << "\n    {" << lit(p.frequency) << ", " << lit(p.q) << ", " << lit(p.gain) << ", " << lit(p.kernelPhase)
                << ", " << p.length << ", " << lit(p.outputGain) << "},";
        }
        out << "\n}};\n";
    }
    out << "}  // namespace CorrectionTables::Generated\n";
}

}  // namespace

int main(int argc, char** argv) {
    State state;
    std::string emitPath, tables = "bell,air,shelf", onlyLine, polish;
    float polishFrom = 5000.0f, polishBelow = 1e9f;
    int threads = 1, budget = 160;
    double seconds = 1e9;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (a == "--state") state.path = next();
        else if (a == "--emit") emitPath = next();
        else if (a == "--tables") tables = next();
        else if (a == "--threads") threads = std::max(1, std::atoi(next().c_str()));
        else if (a == "--seconds") seconds = std::atof(next().c_str());
        else if (a == "--line") onlyLine = next();
        else if (a == "--polish") polish = next();
        else if (a == "--polish-from") polishFrom = static_cast<float>(std::atof(next().c_str()));
        else if (a == "--polish-below") polishBelow = static_cast<float>(std::atof(next().c_str()));
        else if (a == "--budget") budget = std::max(10, std::atoi(next().c_str()));
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (state.path.empty()) {
        std::fprintf(stderr, "usage: tovin_correction_optimiser --state FILE [--tables bell,air,shelf] [--threads N]\n"
                             "       [--seconds S] [--budget EVALUATIONS] [--emit HEADER]\n");
        return 2;
    }
    Tables shared;
    state.load(shared);

    if (seconds > 0) {
        std::atomic<bool> stop{false};
        deadline = std::chrono::steady_clock::now() +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
        // Lines by priority: small gains first (the most used settings), then larger.
        std::vector<Line> lines;
        if (!onlyLine.empty()) {
            char name[32];
            int qi = 0, gi = 0;
            if (std::sscanf(onlyLine.c_str(), "%31[a-z]:%d:%d", name, &qi, &gi) == 3) lines.push_back({name, qi, gi});
            tables.clear();
        }
        for (const char* name : {"bell", "shelf", "lowpass2", "lowpass1", "highpass1"}) {
            if (tables.find(name) == std::string::npos) continue;
            const Shape shape = shapeOf(name);
            if (!shape.gainAxis) {
                for (int qi = 0; qi < shape.qCount; ++qi) lines.push_back({name, qi, 0});
                continue;
            }
            std::vector<int> order;
            for (int g = 1; g <= 15; ++g) order.push_back(g), order.push_back(-g);
            for (int knob : order)
                for (int qi = 0; qi < shape.qCount; ++qi) lines.push_back({name, qi, knob + 15});
        }
        if (tables.find("air") != std::string::npos)
            for (int r = 1; r <= 3; ++r) optimiseAir(r, shared, state, budget);
        if (!polish.empty()) {
            lines.clear();
            const Shape shape = shapeOf(polish);
            for (int g = 1; g <= 15; ++g)
                for (int knob : {g, -g})
                    for (int qi = 0; qi < shape.qCount; ++qi) lines.push_back({polish, qi, knob + 15});
        }
        std::atomic<size_t> next{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&] {
                for (size_t i; !stop.load() && (i = next.fetch_add(1)) < lines.size();) {
                    if (polish.empty()) optimiseLine(lines[i], shared, state, stop, budget);
                    else polishLine(lines[i], shared, state, budget, polishFrom, polishBelow);
                    if (pastDeadline()) stop.store(true);
                }
            });
        for (auto& w : workers) w.join();
    }
    if (!emitPath.empty()) emit(state, emitPath);
    return 0;
}
