#include "effect/snapping.h"

#include <array>

#include "effect/note_table.h"
#include "effect/parameter_tables.h"

namespace param {
namespace {

constexpr std::array<float, 41> kFreqFine = {20,   25,   30,   35,   40,    50,    60,    80,    100,   120,  150,
                                             180,  220,  260,  300,  380,   460,   550,   680,   820,   1000, 1150,
                                             1300, 1500, 1800, 2200, 2500,  2800,  3300,  3800,  4500,  5000, 6000,
                                             7000, 8500, 10000, 11000, 12500, 15000, 17000, 20000};
constexpr std::size_t kFreqFineHighPassPoints = 36;  // 20 to 10000 Hz

constexpr std::array<float, 13> kQBellFine = {0.1f, 0.15f, 0.2f, 0.3f, 0.5f, 0.7f, 1.0f,
                                              1.4f, 1.9f,  2.6f, 3.6f, 5.0f, 7.0f};
constexpr std::array<float, 13> kQShelfFine = {0.3f, 0.35f, 0.4f, 0.46f, 0.52f, 0.6f, 0.7f,
                                               0.8f, 1.0f,  1.2f, 1.4f,  1.7f,  2.0f};
constexpr std::array<float, 7> kQPassCoarse = {0.05f, 0.1f, 0.3f, 0.7f, 2.0f, 3.0f, 4.0f};
constexpr std::array<float, 15> kQPassFine = {0.05f, 0.07f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.7f,
                                              1.0f,  1.4f,  1.8f, 2.2f, 2.8f, 3.4f, 4.0f};

constexpr std::array<float, 19> kGainCoarse = {-15, -12, -9, -6, -5, -4, -3, -2, -1, 0,
                                               1,   2,   3,  4,  5,  6,  9,  12, 15};
constexpr std::array<float, 43> kGainFine = [] {
    std::array<float, 43> g{};
    std::size_t i = 0;
    for (int db = -15; db < -6; ++db) g[i++] = static_cast<float>(db);
    for (int half = -12; half < 12; ++half) g[i++] = static_cast<float>(half) * 0.5f;
    for (int db = 6; db <= 15; ++db) g[i++] = static_cast<float>(db);
    return g;
}();
static_assert(kGainFine[9] == -6.0f && kGainFine[33] == 6.0f && kGainFine[42] == 15.0f);

int codeOf(float option) {
    if (!(option >= 0.5f)) return 0;
    if (option < 1.5f) return 1;
    if (option < 2.5f) return 2;
    if (option < 3.5f) return 3;
    return 4;  // above the listed codes: no snapping
}

}  // namespace

float snapToGrid(std::span<const float> grid, float p) {
    const std::size_t m = grid.size();
    const float q = p + 0.01f;
    if (q >= grid[m - 1]) return grid[m - 1];
    if (!(q > grid[0])) return grid[0];
    std::size_t i = 1;
    while (i < m && !(q < grid[i])) ++i;
    return grid[i - 1];
}

std::span<const float> snapGrid(int index, float bandType, float option) {
    if (!isContinuous(index)) return {};
    const int code = codeOf(option);
    const Quantity quantity = kContinuous[static_cast<std::size_t>(index)].quantity;
    switch (quantity) {
        case Quantity::Frequency: {
            const bool highPass = index == kHPFreq;
            if (code == 1) return highPass ? std::span<const float>(kFreqHP) : std::span<const float>(kFreq);
            if (code == 2)
                return highPass ? std::span<const float>(kFreqFine).first(kFreqFineHighPassPoints)
                                : std::span<const float>(kFreqFine);
            if (code == 3) return kNoteFrequencies;
            return {};
        }
        case Quantity::Quality: {
            const bool pass = index == kHPQual || index == kLPQual;
            const bool shelf = (index == kB1Qual || index == kB5Qual) && bandType >= 0.5f;
            if (code == 1) return pass ? std::span<const float>(kQPassCoarse) : shelf ? std::span<const float>(kQShelf) : std::span<const float>(kQBell);
            if (code == 2) return pass ? std::span<const float>(kQPassFine) : shelf ? std::span<const float>(kQShelfFine) : std::span<const float>(kQBellFine);
            return {};
        }
        case Quantity::Gain:
            if (code == 1) return kGainCoarse;
            if (code == 2) return kGainFine;
            return {};
    }
    return {};
}

}  // namespace param
