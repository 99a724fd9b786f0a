#include "tools/correction_optimiser/cell_search.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace CellSearch {
namespace T = CorrectionTables;

void clampCell(Cell& c) {
    c.length = std::clamp(c.length, 0, T::kMaxCorrectionLength);
    c.kernelLengthIndex = std::clamp(c.kernelLengthIndex, 0, static_cast<int>(T::kKernelLengths.size()) - 1);
    c.kernelPhase = std::clamp(c.kernelPhase, kPhaseLow, kPhaseHigh);
    c.flatTaps = std::clamp(c.flatTaps, 0.0f, 1.0f);
    c.frequencyScale = std::clamp(c.frequencyScale, 0.5f, 2.0f);
    c.q1Scale = std::clamp(c.q1Scale, 0.25f, 4.0f);
    c.q2Scale = c.q1Scale;
    c.gainOffset = std::clamp(c.gainOffset, -12.0f, 12.0f);
    c.outputGain = std::clamp(c.outputGain, 0.8f, 1.25f);
}

Cell descend(const Score& score, Cell cell, double& best, int budget, unsigned free) {
    clampCell(cell);
    best = score(cell, 1e30);
    float scale = 1.0f;
    int used = 0;
    while (used < budget && scale > 0.01f) {
        const int lengthStep = std::max(1, static_cast<int>(8.0f * scale));
        const int kernelStep = std::max(1, static_cast<int>(3.0f * scale));
        const auto move = [&](Cell& c, int entry, int d) {
            const float s = static_cast<float>(d) * scale;
            switch (entry) {
            case 0: c.length += d * lengthStep; break;
            case 1: c.kernelLengthIndex += d * kernelStep; break;
            case 2: c.kernelPhase += 0.04f * s; break;
            case 3: c.flatTaps += 0.2f * s; break;
            case 4: c.frequencyScale *= std::exp(0.04f * s); break;
            case 5: c.q1Scale *= std::exp(0.1f * s); break;
            case 6: c.gainOffset += 0.3f * s; break;
            default: c.outputGain *= std::exp(0.01f * s); break;
            }
        };
        // Steps entry a by da and, when b is at or above 0, entry b by db; keeps the trial if better.
        const auto tryStep = [&](int a, int da, int b, int db) {
            Cell trial = cell;
            move(trial, a, da);
            if (b >= 0) move(trial, b, db);
            clampCell(trial);
            if (trial == cell) return false;
            const double s = score(trial, best);
            ++used;
            if (s >= best - 1e-6) return false;
            best = s, cell = trial;
            return true;
        };
        bool improved = false;
        for (int entry = 0; entry < 8 && !improved; ++entry)
            if ((free & (1u << entry)) != 0) improved = tryStep(entry, 1, -1, 0) || tryStep(entry, -1, -1, 0);
        // The score is a largest deviation: at a kink between two settings' deviations no single
        // entry helps, while two moved together can. Pairs of the continuous entries are tried
        // before the steps shrink.
        for (int a = 2; a < 8 && !improved && used < budget; ++a) {
            if ((free & (1u << a)) == 0) continue;
            for (int b = a + 1; b < 8 && !improved && used < budget; ++b)
                if ((free & (1u << b)) != 0)
                    improved = tryStep(a, 1, b, 1) || tryStep(a, 1, b, -1) || tryStep(a, -1, b, 1) || tryStep(a, -1, b, -1);
        }
        if (!improved) scale *= 0.5f;
    }
    return cell;
}

std::vector<Cell> coarseSeeds() {
    std::vector<Cell> seeds;
    for (int n : {2, 4, 8, 12, 16, 24, 32, 44})
        for (int k : {0, 2, 4, 6, 8, 10, 11, 12, 13})
            for (float flat : {0.3f, 0.8f}) {
                Cell c;
                c.length = n, c.kernelLengthIndex = k, c.flatTaps = flat;
                seeds.push_back(c);
            }
    return seeds;
}

Cell fromSeeds(const Score& score, const std::vector<Cell>& seeds, int starts, int budget, double& best,
               unsigned free) {
    // Only the best `starts` seeds are descended from, so a seed is scored against the worst of the
    // best so far and dropped as soon as it cannot join them.
    const size_t kept = static_cast<size_t>(std::max(1, starts));
    std::vector<std::pair<double, Cell>> scored;
    std::vector<Cell> seen;
    const auto byScore = [](const auto& a, const auto& b) { return a.first < b.first; };
    for (const Cell& c : seeds) {
        if (std::find(seen.begin(), seen.end(), c) != seen.end()) continue;
        seen.push_back(c);
        const double bound = scored.size() < kept ? 1e30 : scored.back().first;
        const double s = score(c, bound);
        if (scored.size() == kept && !(s < bound)) continue;
        if (scored.size() == kept) scored.pop_back();
        scored.insert(std::upper_bound(scored.begin(), scored.end(), std::pair{s, c}, byScore), {s, c});
    }
    best = scored.front().first;
    Cell result = scored.front().second;
    for (size_t i = 0; i < scored.size() && i < static_cast<size_t>(starts); ++i) {
        double s = 0.0;
        const Cell c = descend(score, scored[i].second, s, budget, free);
        if (s < best) best = s, result = c;
    }
    return result;
}
}  // namespace CellSearch
