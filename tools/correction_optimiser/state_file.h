// The optimiser's state file: every finished cell and Air table is appended as a line, so that a run
// can stop at any time and the next one resumes (the last line of a cell wins).
//   cell <table> <index> <length> <prototype> <phase> <kernel index> <flat> <output gain>
//        <frequency scale> <q1 scale> <q2 scale> <gain offset> <score> <plain score>
//   air <rate index> <point> <frequency> <q> <gain> <phase> <length> <output gain> <kernel index> <flat>
#pragma once

#include "tools/correction_optimiser/working_tables.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>

struct OptimiserState {
    using Cell = CorrectionTables::Cell;
    std::string path;
    std::map<std::string, std::map<int, Cell>> done;   // table -> index -> cell
    std::map<std::string, std::map<int, std::pair<double, double>>> scores;  // table -> index -> (score, plain)
    std::map<int, CorrectionTables::AirTable> air;     // rate index -> table
    std::mutex mutex;                                  // guards everything above and the file

    // Reads the file and puts what it holds into the tables.
    void load(WorkingTables& tables);
    // Records a finished cell (file and maps) and puts it into the shared tables.
    void finishCell(WorkingTables& shared, const std::string& table, int index, const Cell& c, double score, double plain);
    void finishAir(WorkingTables& shared, int rateIndex, const CorrectionTables::AirTable& t);
    bool isDone(const std::string& table, int index);

private:
    void append(const std::string& line);
};
