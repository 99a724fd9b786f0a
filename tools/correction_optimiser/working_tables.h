// A working copy of every correction table, dense, that the search writes candidate cells into and
// the bands read through a table set.
#pragma once

#include "dsp/correction_tables.h"

#include <string>
#include <vector>

struct WorkingTables {
    using Cell = CorrectionTables::Cell;
    std::vector<Cell> bell = std::vector<Cell>(CorrectionTables::kBellCells);
    std::vector<Cell> shelf = std::vector<Cell>(CorrectionTables::kShelfCells);
    std::vector<Cell> lowPass2 = std::vector<Cell>(CorrectionTables::kLowPass2Cells);
    std::vector<Cell> lowPass1 = std::vector<Cell>(24);
    std::vector<Cell> highPass1 = std::vector<Cell>(16);
    CorrectionTables::AirTable air[4] = {CorrectionTables::kAir44, CorrectionTables::kAir44, CorrectionTables::kAir44,
                                         CorrectionTables::kAir44};

    // Both shelf sets read the same cells (kinds 10/11 and 12/13 have the same recipes). The Air band
    // takes its tables at every rate, since those are what the search fills.
    CorrectionTables::Set set() const {
        return {{bell.data()}, {{shelf.data()}, {shelf.data()}}, {lowPass2.data()}, {lowPass1.data()},
                {highPass1.data()}, {&air[0], &air[1], &air[2], &air[3]}, {}};
    }
    // Every cell and Air table of a compiled set.
    void copyFrom(const CorrectionTables::Set& from) {
        const auto copy = [](std::vector<Cell>& to, const CorrectionTables::Table& t) {
            for (size_t i = 0; i < to.size(); ++i) to[i] = t.at(static_cast<int>(i));
        };
        copy(bell, from.bell);
        copy(shelf, from.shelf[0]);
        copy(lowPass2, from.lowPass2);
        copy(lowPass1, from.lowPass1);
        copy(highPass1, from.highPass1);
        for (int r = 0; r < 4; ++r) air[r] = *from.air[r];
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
