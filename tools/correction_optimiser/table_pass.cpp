#include "tools/correction_optimiser/table_pass.h"

#include "dsp/band_kind.h"
#include "dsp/band_mapping.h"
#include "dsp/section_design.h"
#include "effect/parameter_tables.h"
#include "tools/correction_optimiser/cell_search.h"
#include "tools/correction_optimiser/scoring.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace TablePass {
namespace {
namespace T = CorrectionTables;
using Cell = T::Cell;
constexpr int kFlatGainIndex = 15;  // the 0 dB column: a flat band, left neutral
// Share of the cell penalty when scores are in dB rather than units of a target: a tap or a shifted
// kernel must not cost as much as a tenth of a decibel.
constexpr double kDbPenaltyShare = 0.02;

// Targets of a setting (dB): the bell's depend on its knob gain and Q.
void setTargets(Scoring::Setting& s, const std::string& table, float knob) {
    if (table != "bell") {
        s.fullTarget = 0.25, s.lowTarget = 0.1;
        return;
    }
    s.fullTarget = std::fabs(knob) <= 6.0f ? 0.15 : s.q <= 2.0f ? 0.25 : 0.4;
    // Above 10 kHz a cell serves 44.1 and 48 kHz only.
    s.lowTarget = s.f <= 10000.0f ? 0.1 : 0.0;
}

// The setting at fractional axis positions.
Scoring::Setting settingAt(const std::string& table, const Shape& shape, const Scoring::Grid& grid, float fi, float qi,
                           float gi) {
    const auto axis = [](const float* a, int n, float x) {
        const int i = std::clamp(static_cast<int>(x), 0, n - 1);
        const float u = x - static_cast<float>(i);
        return i + 1 < n ? (1.0f - u) * a[i] + u * a[i + 1] : a[i];
    };
    Scoring::Setting s;
    s.kind = shape.kind;
    s.f = axis(shape.frequencies, shape.frequencyCount, fi);
    s.q = shape.qs != nullptr ? axis(shape.qs, shape.qCount, qi) : 0.7f;
    const float knob = shape.gainAxis ? gi - 15.0f : 0.0f;
    s.gain = table == "bell" ? bellGainForQ(knob, s.q) : knob;
    s.floorDb = shape.floorDb;
    setTargets(s, table, knob);
    s.prepare(grid);
    return s;
}

// The cell `probe` with a 32-tap correction and the run's kernel (the longest when the run leaves it
// free), as the phase scans measure it.
Cell phaseProbe(Cell probe, const Options& options) {
    probe.length = 32, probe.flatTaps = 0.8f;
    probe.kernelLengthIndex = options.kernel >= 0 ? options.kernel : static_cast<int>(T::kKernelLengths.size()) - 1;
    return probe;
}

// Step `i` of `steps` across the searched kernel phases.
float searchedPhase(int i, int steps) {
    return CellSearch::kPhaseLow + (CellSearch::kPhaseHigh - CellSearch::kPhaseLow) * static_cast<float>(i) / static_cast<float>(steps);
}

// The coarse seeds at every searched kernel phase, in steps of 0.02 (the good ones lie in narrow
// valleys), each passed through `fit`; bells also try the reciprocal main section.
template <typename Fit>
void addEveryPhaseSeeds(std::vector<Cell>& seeds, const std::string& table, const Fit& fit) {
    for (int prototype : {T::kKeepPrototype, SectionPrototype::kPeakReciprocal}) {
        if (prototype != T::kKeepPrototype && table != "bell") continue;
        for (Cell c : CellSearch::coarseSeeds()) {
            c.prototype = prototype;
            c = fit(c);
            for (int k = 0; k <= 30; ++k) {
                c.kernelPhase = searchedPhase(k, 30);
                seeds.push_back(c);
            }
        }
    }
}

// Scores of `probe` on the grid point over the searched kernel phases in `steps` steps, best first.
std::vector<std::pair<double, float>> phaseScan(std::vector<Cell>& cells, int index, Cell probe, const T::Set& set,
                                                const Scoring::Grid& grid, const Scoring::Setting& at, int steps) {
    std::vector<std::pair<double, float>> scan;
    for (int i = 0; i <= steps; ++i) {
        probe.kernelPhase = searchedPhase(i, steps);
        cells[static_cast<size_t>(index)] = probe;
        scan.emplace_back(Scoring::deviation(set, grid, at, true), probe.kernelPhase);
    }
    std::sort(scan.begin(), scan.end());
    return scan;
}

// The Q of a low-pass users can set at f: its pass-band Q runs over a range that narrows with the
// cut-off, and a cell at f serves the band at f times 48 / 44.1, 2 and 96 / 44.1 at the other rates.
float lowPassQ(float f, bool highest) {
    float q = highest ? 0.0f : 1e9f;
    for (float r : {1.0f, 48000.0f / 44100.0f, 2.0f, 96000.0f / 44100.0f}) {
        const float at = passBandQLowPass(highest ? 1.0f : 0.0f, std::min(f * r, 20000.0f));
        q = highest ? std::max(q, at) : std::min(q, at);
    }
    return q;
}

// The same over every frequency of the low-pass grid.
float lowPassQAnywhere(bool highest) {
    float q = highest ? 0.0f : 1e9f;
    for (float f : T::kLowPassFrequencies) q = highest ? std::max(q, lowPassQ(f, true)) : std::min(q, lowPassQ(f, false));
    return q;
}
}  // namespace

Shape shapeOf(const std::string& table) {
    using namespace CellSearch;
    if (table == "bell")
        return {BandKind::kBell, T::kBellFrequencies.data(), 21, T::kBellQs.data(), 12, true, -1e9, kAllEntries,
                param::kQBell.front(), param::kQBell.back()};
    // A low shelf reads the high shelf's cells and keeps its own gain, so a shelf cell adjusts no
    // gain: the low shelf is then the exact mirror of the high one.
    if (table == "shelf")
        return {BandKind::kHighShelf, T::kShelfFrequencies.data(), 21, T::kShelfQs.data(), 6, true, -1e9, kAllEntries & ~kGainOffset,
                param::kQShelf.front(), param::kQShelf.back()};
    if (table == "lowpass2")
        return {BandKind::kLowPass12, T::kLowPassFrequencies.data(), 24, T::kLowPass2Qs.data(), 15, false, -24.0, kAllEntries,
                lowPassQAnywhere(false), lowPassQAnywhere(true), lowPassQ};
    if (table == "lowpass1")
        return {BandKind::kLowPass6, T::kLowPassFrequencies.data(), 24, nullptr, 1, false, -24.0, kAllEntries};
    // The first-order high-pass has its correction's settings fixed; its section has only a frequency,
    // and the band sets its own output gain (it holds the pass band at the top of the range).
    Shape highPass{BandKind::kHighPass6, T::kHighPass1Frequencies.data(), 16, nullptr, 1, false, -24.0,
                   kFrequencyScale};
    highPass.topHz = param::kFreqHP.back();
    return highPass;
}

bool qLineHeard(const Shape& shape, int qi) {
    if (shape.qs == nullptr) return true;
    const bool belowAll = qi + 1 < shape.qCount && shape.qs[qi + 1] <= shape.qLow;
    const bool aboveAll = qi > 0 && shape.qs[qi - 1] >= shape.qHigh;
    return !belowAll && !aboveAll;
}

int cellIndex(const Shape& shape, int fi, int qi, int gi) {
    const int cell = fi * shape.qCount + qi;
    return shape.gainAxis ? cell * T::kGainSteps + gi : cell;
}

bool alignPhase(const std::string& table, int fi, int qi, int gi, const Options& options, WorkingTables& shared,
                OptimiserState& state) {
    const Shape shape = shapeOf(table);
    if ((shape.free & CellSearch::kKernelPhase) == 0) return false;
    const Scoring::Grid grid(44100.0f);
    const int index = cellIndex(shape, fi, qi, gi);
    WorkingTables mine;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        mine = shared;
    }
    std::vector<Cell>& cells = *mine.table(table);
    Cell cell = cells[static_cast<size_t>(index)];
    if (cell.length > 0) return false;
    const Scoring::Setting at = settingAt(table, shape, grid, fi, qi, gi);
    Cell probe = phaseProbe(cell, options);
    const T::Set set = mine.set();
    const auto scan = phaseScan(cells, index, probe, set, grid, at, 240);
    probe.kernelPhase = 0.5f;
    cells[static_cast<size_t>(index)] = probe;
    const double centred = Scoring::deviation(set, grid, at, true);
    if (!(scan.front().first < 0.5 * centred)) return false;
    cell.kernelPhase = scan.front().second;
    cell.kernelLengthIndex = probe.kernelLengthIndex;
    cells[static_cast<size_t>(index)] = cell;
    state.finishCell(shared, table, index, cell, Scoring::deviation(set, grid, at, true), Scoring::deviation(set, grid, at, false));
    return true;
}

Alone alone(const std::string& table, int fi, int qi, int gi, const Options& options, const WorkingTables& shared, float rate) {
    const Shape shape = shapeOf(table);
    const Scoring::Grid grid(rate);
    const int index = cellIndex(shape, fi, qi, gi);
    WorkingTables mine = shared;
    std::vector<Cell>& cells = *mine.table(table);
    Scoring::Setting s = settingAt(table, shape, grid, fi, qi, gi);
    s.f *= rate / 44100.0f;
    s.fullTarget = 1.0, s.lowTarget = 0.0;  // scores in dB
    s.prepare(grid);
    const T::Set set = mine.set();
    Alone out;
    out.table = Scoring::deviation(set, grid, s);
    out.cell = cells[static_cast<size_t>(index)];
    const unsigned free = options.kernel >= 0 ? shape.free & ~CellSearch::kKernelLength : shape.free;
    // The penalty only breaks ties here: the question is what the response can reach.
    const CellSearch::Score score = [&](const Cell& c, double bound) {
        cells[static_cast<size_t>(index)] = c;
        const double p = 0.1 * Scoring::penalty(c);
        return Scoring::deviation(set, grid, s, true, bound - p) + p;
    };
    std::vector<Cell> seeds{out.cell};
    addEveryPhaseSeeds(seeds, table, [&](Cell c) {
        if (options.kernel >= 0) c.kernelLengthIndex = options.kernel;
        return c;
    });
    double found = 0.0;
    const Cell best = CellSearch::fromSeeds(score, seeds, options.starts, options.budget, found, free);
    cells[static_cast<size_t>(index)] = best;
    out.best = std::min(out.table, Scoring::deviation(set, grid, s));
    if (out.best < out.table) out.cell = best;
    return out;
}

namespace {
// The settings a cell is scored on and the neighbour cells it may start from.
struct Neighbourhood {
    std::vector<Scoring::Setting> settings;
    std::vector<Cell> seeds;
};

// Whether users can reach a setting: others are never heard and not scored.
bool heard(const Shape& shape, const Scoring::Setting& s) {
    const bool inQ = shape.heardQ == nullptr || (s.q >= shape.heardQ(s.f, false) * 0.999f && s.q <= shape.heardQ(s.f, true) * 1.001f);
    return inQ && s.q >= shape.qLow * 0.999f && s.q <= shape.qHigh * 1.001f;
}

// With `inside`, whether a neighbour lies outside the run's limits.
bool outsideRun(const Shape& shape, const Options& options, int f2, int q2, int g2) {
    if (!options.inside) return false;
    const float f = shape.frequencies[f2], q = shape.qs != nullptr ? shape.qs[q2] : 0.0f;
    const int knob = shape.gainAxis ? g2 - 15 : 0;
    return f < options.fromHz || f >= options.belowHz || (shape.qs != nullptr && (q < options.qFrom || q > options.qTo)) ||
           knob < options.gainLow || knob > options.gainHigh;
}

// The settings towards the cell's face neighbours (frequency, Q, gain and the frequency-Q
// diagonals), and those neighbours as seeds.
void addFaceSettings(Neighbourhood& n, const std::string& table, const Shape& shape, const Scoring::Grid& grid, int fi, int qi,
                     int gi, const Options& options, OptimiserState& state, const std::vector<Cell>& cells,
                     const std::function<Cell(Cell)>& fitted) {
    const auto add = [&](Scoring::Setting s) {
        if (heard(shape, s)) n.settings.push_back(std::move(s));
    };
    const int around[10][3] = {{-1, 0, 0}, {1, 0, 0},   {0, -1, 0}, {0, 1, 0}, {0, 0, -1},
                               {0, 0, 1},  {-1, -1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}};
    for (const auto& d : around) {
        const int f2 = fi + d[0], q2 = qi + d[1], g2 = gi + d[2];
        if (f2 < 0 || f2 >= shape.frequencyCount || q2 < 0 || q2 >= shape.qCount) continue;
        if (!shape.gainAxis && d[2] != 0) continue;
        if (shape.gainAxis && (g2 < 0 || g2 >= T::kGainSteps)) continue;
        if (outsideRun(shape, options, f2, q2, g2)) continue;
        const int other = cellIndex(shape, f2, q2, g2);
        const bool flat = shape.gainAxis && g2 == kFlatGainIndex;
        const bool finished = flat || state.isDone(table, other);
        if (!options.polish && !finished) continue;
        // Just off the point the band takes the larger kernel of the two cells with this cell's other
        // entries; half-way both mix evenly.
        // The tap count is blended and truncated, so between a cell with many taps and one with
        // none the band passes through every shorter correction: the frequency and Q lines are
        // checked densely.
        std::vector<float> steps{0.05f, 0.5f};
        if (!shape.gainAxis || (d[1] == 0 && d[2] == 0)) steps = {0.05f, 0.1f, 0.17f, 0.25f, 0.35f, 0.5f, 0.65f, 0.75f, 0.9f};
        else if (d[2] == 0 && (d[0] == 0 || d[1] == 0)) steps = {0.05f, 0.25f, 0.5f, 0.75f};
        for (float u : steps) add(settingAt(table, shape, grid, fi + u * d[0], qi + u * d[1], gi + u * d[2]));
        // Inside a frequency-Q face, off its diagonal, on this cell's side: the blend of four cells of
        // different character can dip there while the diagonal stays good.
        if (shape.gainAxis && d[0] != 0 && d[1] != 0 && d[2] == 0)
            for (const auto& [uf, uq] : {std::pair{0.25f, 0.25f}, std::pair{0.25f, 0.5f}, std::pair{0.5f, 0.25f}})
                add(settingAt(table, shape, grid, fi + uf * d[0], qi + uq * d[1], gi));
        if (!flat) n.seeds.push_back(fitted(cells[static_cast<size_t>(other)]));
    }
}

// Along the highest Q users can set, where the band reads this cell: the low-pass deviates most
// there, and the lines above cross that edge only here and there.
void addHighestQSettings(Neighbourhood& n, const std::string& table, const Shape& shape, const Scoring::Grid& grid, int fi,
                         int qi, int gi) {
    if (shape.heardQ == nullptr) return;
    for (int df : {-1, 1}) {
        if (fi + df < 0 || fi + df >= shape.frequencyCount) continue;
        for (float u : {0.0f, 0.1f, 0.25f, 0.5f, 0.75f, 0.9f}) {
            if (u == 0.0f && df < 0) continue;
            const float f = (1.0f - u) * shape.frequencies[fi] + u * shape.frequencies[fi + df];
            const float q = shape.heardQ(f, true);
            float qx;
            if (q >= shape.qs[qi] && qi + 1 < shape.qCount && q <= shape.qs[qi + 1])
                qx = static_cast<float>(qi) + (q - shape.qs[qi]) / (shape.qs[qi + 1] - shape.qs[qi]);
            else if (q < shape.qs[qi] && qi > 0 && q >= shape.qs[qi - 1])
                qx = static_cast<float>(qi) - (shape.qs[qi] - q) / (shape.qs[qi] - shape.qs[qi - 1]);
            else
                continue;
            Scoring::Setting s = settingAt(table, shape, grid, static_cast<float>(fi) + u * static_cast<float>(df), qx, gi);
            if (heard(shape, s)) n.settings.push_back(std::move(s));
        }
    }
}

// Inside the cells of three axes the band blends up to eight cells: half-way along the diagonals
// that involve the gain axis (frequency and gain, Q and gain, and all three), where cells of
// different character meet worst.
void addGainDiagonalSettings(Neighbourhood& n, const std::string& table, const Shape& shape, const Scoring::Grid& grid, int fi,
                             int qi, int gi, const Options& options, OptimiserState& state) {
    if (!shape.gainAxis) return;
    for (int df = -1; df <= 1; ++df)
        for (int dq = -1; dq <= 1; ++dq)
            for (int dg : {-1, 1}) {
                if (df == 0 && dq == 0) continue;
                const int f2 = fi + df, q2 = qi + dq, g2 = gi + dg;
                if (f2 < 0 || f2 >= shape.frequencyCount || q2 < 0 || q2 >= shape.qCount || g2 < 0 || g2 >= T::kGainSteps)
                    continue;
                if (!options.polish && g2 != kFlatGainIndex && !state.isDone(table, cellIndex(shape, f2, q2, g2))) continue;
                if (outsideRun(shape, options, f2, q2, g2)) continue;
                for (float u : {0.25f, 0.5f}) {
                    Scoring::Setting s = settingAt(table, shape, grid, fi + u * df, qi + u * dq, gi + u * dg);
                    if (heard(shape, s)) n.settings.push_back(std::move(s));
                }
            }
}

// Every setting a cell is scored on: its grid point (when users can reach it), the blends towards
// its neighbours, and for the last frequency point every frequency above it users can set (up to
// 20 kHz itself for most bands, where the section's adjusted frequency can pass half the rate).
Neighbourhood neighbourhood(const std::string& table, const Shape& shape, const Scoring::Grid& grid, int fi, int qi, int gi,
                            const Options& options, OptimiserState& state, const std::vector<Cell>& cells,
                            const std::function<Cell(Cell)>& fitted) {
    Neighbourhood n;
    const Scoring::Setting at = settingAt(table, shape, grid, fi, qi, gi);
    if (heard(shape, at)) n.settings.push_back(at);
    addFaceSettings(n, table, shape, grid, fi, qi, gi, options, state, cells, fitted);
    addHighestQSettings(n, table, shape, grid, fi, qi, gi);
    addGainDiagonalSettings(n, table, shape, grid, fi, qi, gi, options, state);
    if (fi == shape.frequencyCount - 1)
        for (float f = shape.frequencies[fi] * 1.25f; f < shape.topHz * 1.25f; f *= 1.25f) {
            Scoring::Setting s = at;
            s.f = std::min(f, shape.topHz);
            s.prepare(grid);
            n.settings.push_back(s);
        }
    for (Scoring::Setting& s : n.settings) {
        if (options.inDb) s.fullTarget = 1.0, s.lowTarget = 0.0;
        s.rules = options.rules, s.fallback = options.fallback;
    }
    return n;
}

// The seeds of a fresh search: the coarse grid (a first pass, or a new prototype), every phase
// (--broad), and cells around the kernel phases that suit the grid point best. Good phases lie in
// valleys about 0.01 wide, which a coarse grid of seeds and the descent's first steps miss: they are
// scanned on the grid point, and seeds made around the best.
void addSearchSeeds(std::vector<Cell>& seeds, const std::string& table, const Shape& shape, const Scoring::Grid& grid, int fi,
                    int qi, int gi, int index, const Options& options, bool fresh, unsigned free, std::vector<Cell>& cells,
                    const T::Set& set, const std::function<Cell(Cell)>& fitted) {
    if (fresh)
        for (const Cell& c : CellSearch::coarseSeeds()) seeds.push_back(fitted(c));
    if (options.broad) addEveryPhaseSeeds(seeds, table, fitted);
    if ((free & CellSearch::kKernelPhase) == 0) return;
    const Cell probe = phaseProbe(fitted(Cell{}), options);
    const auto scan = phaseScan(cells, index, probe, set, grid, settingAt(table, shape, grid, fi, qi, gi), 60);
    for (size_t k = 0; k < 3; ++k)
        for (int n : {8, 16, 24, 32, 44})
            for (float flat : {0.3f, 0.8f}) {
                Cell c = probe;
                c.kernelPhase = scan[k].second, c.length = n, c.flatTaps = flat;
                seeds.push_back(c);
            }
}

// The cell without taps, keeping the kernel phase, so that a corrected neighbour blends towards a
// phase that suits it.
Cell neutralKeepingPhase(const Cell& current) {
    Cell neutral{};
    neutral.kernelPhase = current.kernelPhase, neutral.kernelLengthIndex = current.kernelLengthIndex;
    return neutral;
}

void report(const std::string& table, const Shape& shape, int fi, int qi, int gi, const Options& options, double score,
            double before, double plain, const Cell& best) {
    char gain[32] = "";
    if (shape.gainAxis) std::snprintf(gain, sizeof gain, " gain %+d", gi - 15);
    std::printf("%s%s f %.0f q %.2f%s: %.3f %s (was %.3f, plain %.3f), N %d\n", options.polish ? "polish " : "",
                table.c_str(), shape.frequencies[fi], shape.qs != nullptr ? shape.qs[qi] : 0.7f, gain, score,
                options.inDb ? "dB" : "of target", before, plain, best.length);
    std::fflush(stdout);
}
}  // namespace

double refineCell(const std::string& table, int fi, int qi, int gi, const Options& options, WorkingTables& shared,
                  OptimiserState& state) {
    const Shape shape = shapeOf(table);
    const Scoring::Grid grid(44100.0f);
    const int index = cellIndex(shape, fi, qi, gi);
    WorkingTables mine;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        mine = shared;
    }
    std::vector<Cell>& cells = *mine.table(table);
    // With one kernel for every cell the larger-kernel rule between corners changes nothing, so a
    // cell's neighbours cannot swap its kernel under it.
    const unsigned free = options.kernel >= 0 ? shape.free & ~CellSearch::kKernelLength : shape.free;
    const std::function<Cell(Cell)> fitted = [&](Cell c) {
        if ((shape.free & CellSearch::kGainOffset) == 0) c.gainOffset = 0.0f;
        if (options.kernel >= 0) c.kernelLengthIndex = options.kernel;
        if (options.prototype >= 0) c.prototype = options.prototype;
        return c;
    };
    // A cell searched for another main prototype starts afresh: its entries suited the old one.
    const bool newPrototype = options.prototype >= 0 && cells[static_cast<size_t>(index)].prototype != options.prototype;
    const Cell current = fitted(cells[static_cast<size_t>(index)]);
    Neighbourhood n = neighbourhood(table, shape, grid, fi, qi, gi, options, state, cells, fitted);
    std::vector<Cell> seeds{current, fitted(Cell{})};
    seeds.insert(seeds.end(), n.seeds.begin(), n.seeds.end());

    const T::Set set = mine.set();
    const CellSearch::Score score = [&](const Cell& c, double bound) {
        cells[static_cast<size_t>(index)] = c;
        const double p = (options.inDb ? kDbPenaltyShare : 1.0) * Scoring::penalty(c);
        double worst = 0.0, sum = 0.0;
        // The mean counts deviations alone: a broken rule next to a wild neighbour would swamp it.
        for (const Scoring::Setting& s : n.settings) {
            double rules = 0.0;
            const double d = Scoring::deviation(set, grid, s, true, bound - p, &rules);
            worst = std::max(worst, d), sum += d - rules;
            if (worst + p > bound) break;
        }
        return worst + p + options.soft * sum / static_cast<double>(n.settings.size());
    };
    const double before = score(current, 1e30);
    double plain = 0.0;
    for (const Scoring::Setting& s : n.settings) plain = std::max(plain, Scoring::deviation(set, grid, s, false));

    Cell best = current;
    double bestScore = before;
    if (plain <= options.plainEnough) {
        // No taps where the plain band already does well enough.
        best = neutralKeepingPhase(current);
        bestScore = score(best, 1e30);
    } else if (before > options.keep) {
        addSearchSeeds(seeds, table, shape, grid, fi, qi, gi, index, options, !options.polish || newPrototype, free, cells, set,
                       fitted);
        double found = 0.0;
        const Cell c = CellSearch::fromSeeds(score, seeds, options.starts, options.budget, found, free);
        if (found < bestScore) bestScore = found, best = c;
        // Against its neighbours as they stand, no taps at all may still do best: a search from
        // corrected seeds never lands there by itself.
        const Cell neutral = neutralKeepingPhase(current);
        const double none = score(neutral, bestScore);
        if (none < bestScore) bestScore = none, best = neutral;
    }
    state.finishCell(shared, table, index, best, bestScore, plain);
    report(table, shape, fi, qi, gi, options, bestScore, before, plain, best);
    return bestScore;
}
}  // namespace TablePass
