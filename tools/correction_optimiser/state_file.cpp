#include "tools/correction_optimiser/state_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
namespace T = CorrectionTables;

std::string cellText(const T::Cell& c) {
    char t[256];
    std::snprintf(t, sizeof t, "%d %d %.9g %d %.9g %.9g %.9g %.9g %.9g %.9g", c.length, c.prototype, c.kernelPhase,
                  c.kernelLengthIndex, c.flatTaps, c.outputGain, c.frequencyScale, c.q1Scale, c.q2Scale, c.gainOffset);
    return t;
}

bool readCell(std::istringstream& in, T::Cell& c) {
    return static_cast<bool>(in >> c.length >> c.prototype >> c.kernelPhase >> c.kernelLengthIndex >> c.flatTaps >>
                             c.outputGain >> c.frequencyScale >> c.q1Scale >> c.q2Scale >> c.gainOffset);
}
}  // namespace

void OptimiserState::load(WorkingTables& tables) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string what;
        s >> what;
        if (what == "cell") {
            std::string table;
            int index = 0;
            T::Cell c;
            double score = 0, plain = 0;
            if (!(s >> table >> index) || !readCell(s, c)) continue;
            s >> score >> plain;
            auto* v = tables.table(table);
            if (v == nullptr || index < 0 || index >= static_cast<int>(v->size())) continue;
            done[table][index] = c;
            scores[table][index] = {score, plain};
            (*v)[static_cast<size_t>(index)] = c;
        } else if (what == "air") {
            int rate = 0, point = 0;
            T::AirPoint p;
            if (!(s >> rate >> point >> p.frequency >> p.q >> p.gain >> p.kernelPhase >> p.length >> p.outputGain)) continue;
            // Older files end here: the 44.1 kHz kernel and flat share.
            if (!(s >> p.kernelLengthIndex >> p.flatTaps)) p.kernelLengthIndex = T::kAirKernelLengthIndex, p.flatTaps = T::kAirFlatTaps;
            if (rate < 1 || rate > 3 || point < 0 || point >= T::kAirPoints) continue;
            if (air.count(rate) == 0) air[rate] = T::kAir44;
            air[rate][static_cast<size_t>(point)] = p;
            tables.air[rate] = air[rate];
        }
    }
}

void OptimiserState::append(const std::string& line) {
    std::ofstream out(path, std::ios::app);
    out << line << '\n';
}

void OptimiserState::finishCell(WorkingTables& shared, const std::string& table, int index, const Cell& c, double score,
                                double plain) {
    std::lock_guard<std::mutex> lock(mutex);
    char tail[64];
    std::snprintf(tail, sizeof tail, " %.6g %.6g", score, plain);
    append("cell " + table + ' ' + std::to_string(index) + ' ' + cellText(c) + tail);
    done[table][index] = c;
    scores[table][index] = {score, plain};
    (*shared.table(table))[static_cast<size_t>(index)] = c;
}

void OptimiserState::finishAir(WorkingTables& shared, int rateIndex, const T::AirTable& t) {
    std::lock_guard<std::mutex> lock(mutex);
    for (int point = 0; point < T::kAirPoints; ++point) {
        const T::AirPoint& p = t[static_cast<size_t>(point)];
        char line[256];
        std::snprintf(line, sizeof line, "air %d %d %.9g %.9g %.9g %.9g %d %.9g %d %.9g", rateIndex, point, p.frequency, p.q,
                      p.gain, p.kernelPhase, p.length, p.outputGain, p.kernelLengthIndex, p.flatTaps);
        append(line);
    }
    air[rateIndex] = t;
    shared.air[rateIndex] = t;
}

bool OptimiserState::isDone(const std::string& table, int index) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = done.find(table);
    return it != done.end() && it->second.count(index) != 0;
}
