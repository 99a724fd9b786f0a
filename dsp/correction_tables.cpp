#include "dsp/correction_tables.h"

#include "dsp/correction_tables_generated.h"

#include <cstddef>

namespace CorrectionTables {
namespace {
// The generated tables list only the cells that differ from the neutral cell.
template <int N, std::size_t M>
constexpr std::array<Cell, N> expand(const std::array<Generated::Entry, M>& entries) {
    std::array<Cell, N> cells{};
    for (const Generated::Entry& e : entries) cells[static_cast<std::size_t>(e.index)] = e.cell;
    return cells;
}

constexpr auto kBell = expand<kBellCells>(Generated::kBell);
constexpr auto kShelf = expand<kShelfCells>(Generated::kShelf);
constexpr auto kShelfAlt = expand<kShelfCells>(Generated::kShelfAlt);
constexpr auto kLowPass2 = expand<kLowPass2Cells>(Generated::kLowPass2);
constexpr auto kLowPass1 = expand<24>(Generated::kLowPass1);
constexpr auto kHighPass1 = expand<16>(Generated::kHighPass1);

constexpr Set kBuiltIn{kBell.data(),
                       {kShelf.data(), kShelfAlt.data()},
                       kLowPass2.data(),
                       kLowPass1.data(),
                       kHighPass1.data(),
                       {&kAir44, &Generated::kAir48, &Generated::kAir88, &Generated::kAir96}};
}  // namespace

const Set& builtIn() { return kBuiltIn; }

}  // namespace CorrectionTables
