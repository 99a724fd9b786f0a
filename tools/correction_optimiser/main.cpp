// Fills the correction tables that the bands read (dsp/correction_tables_generated.h) by a numerical
// search per table cell; the cells are designed and measured by the runtime code itself (see
// table_pass.h and scoring.h), the Air band per rate by air_search.h.
//
//   tovin_correction_optimiser --state FILE [--seeds FILE] [--tables bell,shelf,lowpass2,lowpass1,highpass1,air]
//                              [--polish | --align-phases] [--threads N] [--seconds S] [--starts N] [--budget N] [--keep X]
//                              [--plain-enough X] [--from-hz F] [--below-hz F] [--q-from Q] [--q-to Q]
//                              [--gains LOW:HIGH] [--kernel K] [--prototype P] [--broad] [--inside] [--in-db] [--soft X]
//                              [--alone RATE] [--seeds-finished] [--fit-high-pass] [--emit HEADER]
//
// --fit-high-pass fits the first-order high-pass points without written taps directly (see
// high_pass_fit.h) before anything else runs.
// --seeds-finished records every seeded cell of the listed tables as finished, as it stands, so that
// a polish can search a part of tables made earlier again (under new rules) against the rest.
// Every finished cell is appended to the state file, so a run can stop at any time (--seconds) and
// the next resumes. --seeds puts another state file's cells (or, with "builtin", the compiled
// tables) into the tables as starting points without counting them as finished. The first pass
// searches the cells not yet finished; --polish searches finished cells again against all their
// neighbours, skipping those whose score is at or below --keep (units of their targets). Cells
// around which the plain band scores at or below --plain-enough (default 0.5) stay neutral.
// --from-hz, --below-hz, --q-from, --q-to and --gains (knob gains) limit a run to part of the
// tables. --kernel gives every searched cell kernel length index K (the band takes the largest kernel
// of a cell's corners, so mixed kernels make neighbouring cells change each other). --prototype
// gives every searched cell with a correction that main prototype entry; a cell that had another
// starts afresh from the coarse seeds. --broad starts a polish from the coarse seeds at every kernel
// phase too; --inside scores no setting towards a cell outside the run's limits; --in-db scores in dB
// (see TablePass::Options): together they search a region as a whole. --soft X adds X times the mean
// deviation over a cell's scored settings to the largest, so that a cell below a neighbour's limit
// still mends what it can. --align-phases gives every cell without taps the kernel phase that suits
// a correction on its grid point (see TablePass::alignPhase), ahead of a polish. --alone changes
// nothing: it prints, per cell, the largest deviation in dB of the setting on its grid point with the
// table's cell and with the best cell found for that setting alone (TablePass::alone), at RATE, and
// the largest of each per table: what no table can beat. --emit writes the header from the
// tables: the seeds with the state file's cells over them.
#include "tools/correction_optimiser/air_search.h"
#include "tools/correction_optimiser/emit_header.h"
#include "tools/correction_optimiser/high_pass_fit.h"
#include "tools/correction_optimiser/state_file.h"
#include "tools/correction_optimiser/table_pass.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {
namespace T = CorrectionTables;

struct Job {
    std::string table;
    int qi, gi;  // a line of cells along the frequency axis
};

bool listed(const std::string& list, const char* name);

// Every cell of the listed tables not yet in the state, recorded as it stands.
void markSeedsFinished(const std::string& tables, WorkingTables& shared, OptimiserState& state) {
    for (const char* name : {"bell", "shelf", "lowpass2", "lowpass1", "highpass1"}) {
        if (!listed(tables, name)) continue;
        const std::vector<CorrectionTables::Cell> cells = *shared.table(name);
        for (size_t i = 0; i < cells.size(); ++i)
            if (!state.isDone(name, static_cast<int>(i))) state.finishCell(shared, name, static_cast<int>(i), cells[i], 0.0, 0.0);
    }
}

bool listed(const std::string& list, const char* name) {
    const std::string n = name;
    size_t at = 0;
    while (at <= list.size()) {
        const size_t end = std::min(list.find(',', at), list.size());
        if (list.compare(at, end - at, n) == 0) return true;
        at = end + 1;
    }
    return false;
}

// Lines by priority: small gains first (the most used settings), then larger; only knob gains from
// `gainLow` to `gainHigh`, Q points from `qFrom` to `qTo` and Q lines that users hear.
std::vector<Job> linesOf(const std::string& tables, int gainLow, int gainHigh, float qFrom, float qTo) {
    std::vector<Job> jobs;
    for (const char* name : {"bell", "shelf", "lowpass2", "lowpass1", "highpass1"}) {
        if (!listed(tables, name)) continue;
        const TablePass::Shape shape = TablePass::shapeOf(name);
        if (!shape.gainAxis) {
            for (int qi = 0; qi < shape.qCount; ++qi)
                if ((shape.qs == nullptr || (shape.qs[qi] >= qFrom && shape.qs[qi] <= qTo)) && TablePass::qLineHeard(shape, qi))
                    jobs.push_back({name, qi, 0});
            continue;
        }
        for (int g = 1; g <= 15; ++g)
            for (int knob : {g, -g})
                for (int qi = 0; qi < shape.qCount; ++qi)
                    if (knob >= gainLow && knob <= gainHigh && shape.qs[qi] >= qFrom && shape.qs[qi] <= qTo &&
                        TablePass::qLineHeard(shape, qi))
                        jobs.push_back({name, qi, knob + 15});
    }
    return jobs;
}

struct Worst {
    double table = 0.0, best = 0.0;
    std::string tableAt, bestAt;
};

// --alone: every cell of the jobs' lines between `fromHz` and `belowHz`, searched alone; nothing is
// recorded.
void reportAlone(const std::vector<Job>& jobs, const TablePass::Options& options, const WorkingTables& shared, float rate,
                 int threads, float fromHz, float belowHz) {
    std::map<std::string, Worst> worst;
    std::mutex mutex;
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (size_t j; (j = next.fetch_add(1)) < jobs.size();) {
                const Job& job = jobs[j];
                const TablePass::Shape shape = TablePass::shapeOf(job.table);
                for (int fi = 0; fi < shape.frequencyCount; ++fi) {
                    if (shape.frequencies[fi] < fromHz || shape.frequencies[fi] >= belowHz) continue;
                    const TablePass::Alone a = TablePass::alone(job.table, fi, job.qi, job.gi, options, shared, rate);
                    char at[96];
                    std::snprintf(at, sizeof at, "f %.0f q %.2f gain %+d", shape.frequencies[fi] * rate / 44100.0f,
                                  shape.qs != nullptr ? shape.qs[job.qi] : 0.7f, shape.gainAxis ? job.gi - 15 : 0);
                    std::lock_guard<std::mutex> lock(mutex);
                    std::printf("alone %s %s at %.1f kHz: table %.3f dB, alone %.3f dB (N %d, prototype %d)\n", job.table.c_str(),
                                at, rate / 1000.0f, a.table, a.best, a.cell.length, a.cell.prototype);
                    std::fflush(stdout);
                    Worst& w = worst[job.table];
                    if (a.table > w.table) w.table = a.table, w.tableAt = at;
                    if (a.best > w.best) w.best = a.best, w.bestAt = at;
                }
            }
        });
    for (auto& w : workers) w.join();
    for (const auto& [table, w] : worst)
        std::printf("largest %s: table %.3f dB (%s), alone %.3f dB (%s)\n", table.c_str(), w.table, w.tableAt.c_str(), w.best,
                    w.bestAt.c_str());
}
}  // namespace

int main(int argc, char** argv) {
    OptimiserState state;
    std::string emitPath, seedsPath, tables = "bell,shelf,lowpass2,lowpass1,highpass1,air";
    TablePass::Options options;
    bool keepGiven = false, alignPhases = false;
    float aloneRate = 0.0f;
    // The limits of a run live in the options, which the searches read too.
    float& fromHz = options.fromHz;
    float& belowHz = options.belowHz;
    float& qFrom = options.qFrom;
    float& qTo = options.qTo;
    int& gainLow = options.gainLow;
    int& gainHigh = options.gainHigh;
    int threads = 1;
    double seconds = 1e9;
    bool seedsFinished = false, fitHighPass = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (a == "--state") state.path = next();
        else if (a == "--seeds") seedsPath = next();
        else if (a == "--emit") emitPath = next();
        else if (a == "--tables") tables = next();
        else if (a == "--polish") options.polish = true;
        else if (a == "--seeds-finished") seedsFinished = true;
        else if (a == "--align-phases") alignPhases = true;
        else if (a == "--fit-high-pass") fitHighPass = true;
        else if (a == "--alone") aloneRate = static_cast<float>(std::atof(next().c_str()));
        else if (a == "--threads") threads = std::max(1, std::atoi(next().c_str()));
        else if (a == "--seconds") seconds = std::atof(next().c_str());
        else if (a == "--starts") options.starts = std::max(1, std::atoi(next().c_str()));
        else if (a == "--budget") options.budget = std::max(10, std::atoi(next().c_str()));
        else if (a == "--keep") options.keep = std::atof(next().c_str()), keepGiven = true;
        else if (a == "--broad") options.broad = true;
        else if (a == "--inside") options.inside = true;
        else if (a == "--in-db") options.inDb = true;
        else if (a == "--soft") options.soft = std::max(0.0, std::atof(next().c_str()));
        else if (a == "--plain-enough") options.plainEnough = std::atof(next().c_str());
        else if (a == "--from-hz") fromHz = static_cast<float>(std::atof(next().c_str()));
        else if (a == "--below-hz") belowHz = static_cast<float>(std::atof(next().c_str()));
        else if (a == "--kernel") options.kernel = std::clamp(std::atoi(next().c_str()), 0, 13);
        else if (a == "--q-from") qFrom = static_cast<float>(std::atof(next().c_str()));
        else if (a == "--q-to") qTo = static_cast<float>(std::atof(next().c_str()));
        else if (a == "--prototype") options.prototype = std::max(0, std::atoi(next().c_str()));
        else if (a == "--gains") {
            const std::string range = next();
            if (std::sscanf(range.c_str(), "%d:%d", &gainLow, &gainHigh) != 2) {
                std::fprintf(stderr, "--gains takes LOW:HIGH knob gains in dB\n");
                return 2;
            }
        }
        else {
            std::fprintf(stderr, "unknown option %s (see the program's header)\n", a.c_str());
            return 2;
        }
    }
    if (state.path.empty()) {
        std::fprintf(stderr, "usage: tovin_correction_optimiser --state FILE [options] (see the program's header)\n");
        return 2;
    }
    if (!keepGiven) options.keep = options.polish ? 0.6 : 0.2;
    WorkingTables shared;
    if (seedsPath == "builtin") {
        shared.copyFrom(CorrectionTables::builtIn());
    } else if (!seedsPath.empty()) {
        OptimiserState seeds;
        seeds.path = seedsPath;
        seeds.load(shared);
    }
    state.load(shared);
    if (seedsFinished) markSeedsFinished(tables, shared, state);
    if (fitHighPass) HighPassFit::fitPointsWithoutTaps(shared, state);

    if (seconds > 0) {
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
        const auto pastDeadline = [&] { return std::chrono::steady_clock::now() > deadline; };
        const std::vector<Job> jobs = linesOf(tables, gainLow, gainHigh, qFrom, qTo);
        if (aloneRate > 0.0f) {
            reportAlone(jobs, options, shared, aloneRate, threads, fromHz, belowHz);
            return 0;
        }
        if (listed(tables, "air"))
            for (int r = 1; r <= 3; ++r) optimiseAir(r, shared, state, options.budget);
        std::atomic<size_t> next{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&] {
                for (size_t j; !pastDeadline() && (j = next.fetch_add(1)) < jobs.size();) {
                    const Job& job = jobs[j];
                    const TablePass::Shape shape = TablePass::shapeOf(job.table);
                    // The first pass rises in frequency (each cell then sees the one below finished);
                    // the polish comes down from the top, where the deviations are largest.
                    for (int k = 0; k < shape.frequencyCount && !pastDeadline(); ++k) {
                        const int fi = options.polish ? shape.frequencyCount - 1 - k : k;
                        const float f = shape.frequencies[fi];
                        if (f < fromHz || f >= belowHz) continue;
                        if (alignPhases) {
                            TablePass::alignPhase(job.table, fi, job.qi, job.gi, options, shared, state);
                            continue;
                        }
                        const bool finished = state.isDone(job.table, TablePass::cellIndex(shape, fi, job.qi, job.gi));
                        if (finished != options.polish) continue;
                        TablePass::refineCell(job.table, fi, job.qi, job.gi, options, shared, state);
                    }
                }
            });
        for (auto& w : workers) w.join();
    }
    if (!emitPath.empty()) emitHeader(state, shared, emitPath);
    return 0;
}
