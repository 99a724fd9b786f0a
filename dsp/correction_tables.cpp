#include "dsp/correction_tables.h"

#include "dsp/air_taps_generated.h"
#include "dsp/correction_tables_generated.h"

#include <cstddef>

namespace CorrectionTables {
namespace {
constexpr Cell kNeutral{};

template <std::size_t M>
constexpr Table sparse(const std::array<Entry, M>& entries) {
    return {nullptr, entries.data(), static_cast<int>(M)};
}

constexpr Set kBuiltIn{sparse(Generated::kBell),
                       {sparse(Generated::kShelf), sparse(Generated::kShelfAlt)},
                       sparse(Generated::kLowPass2),
                       sparse(Generated::kLowPass1),
                       sparse(Generated::kHighPass1),
                       {&kAir44, &Generated::kAir48, &Generated::kAir88, &Generated::kAir96},
                       {&Generated::kAirTaps22, &Generated::kAirTaps24, &Generated::kAirTaps32, &Generated::kAirTaps48, &Generated::kAirTaps64,
                        &Generated::kAirTaps88, &Generated::kAirTaps96, &Generated::kAirTaps176, &Generated::kAirTaps192, &Generated::kAirTaps352,
                        &Generated::kAirTaps384}};
}  // namespace

const Cell& Table::at(int index) const {
    if (dense != nullptr) return dense[index];
    // The listed cells are sorted by index.
    int lo = 0, hi = sparseCount;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (sparse[mid].index < index) lo = mid + 1;
        else hi = mid;
    }
    return lo < sparseCount && sparse[lo].index == index ? sparse[lo].cell : kNeutral;
}

const Set& builtIn() { return kBuiltIn; }

}  // namespace CorrectionTables
