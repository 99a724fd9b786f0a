// Fits the Air band's correction taps at 22.05 to 384 kHz (CorrectionTables::kFittedAirRates) to the
// 44.1 kHz Air band, so that below 20 kHz (0.45 fs at lower rates) the band sounds the same at every
// rate, and prints them as dsp/air_taps_generated.h (about a quarter of an hour on two cores):
//
//   build/<dir>/bench/tovin_air_taps > dsp/air_taps_generated.h
//
// At 44.1 kHz the Air band is a reciprocal peak far above the audio band, realised by its
// correction alone. At the other rates a reference peak designed for that rate cannot follow the
// 44.1 kHz band closely, so there each row holds taps fitted by weighted least squares to the 44.1 kHz
// band's magnitude below 20 kHz, with the weights reshaped until the largest dB error is as small as
// the length allows (Lawson's iteration). Two fits are tried and the better kept: one that starts from
// the 44.1 kHz band's complex response and keeps its phase below kFreePhaseFrom (so its delay, hence
// no added latency), and one that starts from the phase of the rate's reference-peak band. Above
// 20 kHz the response is held below a ceiling. A row takes the fewest taps that meet kRowTolerance.
// The band blends the taps of the two rows around its knob gain, so rows are added between two rows
// until their blend adds at most kBlendTolerance, down to rows T::kAirRowsUnblended apart (which the
// band does not blend).
#include "dsp/band_filter.h"
#include "dsp/band_kind.h"
#include "dsp/correction_tables.h"
#include "tools/response/band_response.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <complex>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern "C" void dgels_(const char* trans, const int* m, const int* n, const int* nrhs, double* a, const int* lda,
                       double* b, const int* ldb, double* work, const int* lwork, int* info);

namespace {
namespace T = CorrectionTables;
using Complex = std::complex<double>;
using Taps = std::vector<double>;

constexpr double kPi = 3.14159265358979323846;
constexpr float kAirFrequency = 300000.0f;  // any bell frequency above the audio band is the Air band
constexpr double kRowTolerance = 0.02;      // dB, a row against the 44.1 kHz band at its gain
constexpr double kBlendTolerance = 0.03;    // dB that a blend of two rows may add to the rows' own error
constexpr double kFreePhaseFrom = 2000.0;   // Hz; below it the fit keeps the 44.1 kHz band's phase

// Points from 20 Hz to `top`: 1 % apart, and 100 Hz apart above 200 Hz where the peak's slope is.
std::vector<double> audibleFrequencies(double top) {
    std::vector<double> f;
    for (double x = 20.0; x <= top; x *= 1.01) f.push_back(x);
    for (double x = 200.0; x <= top; x += 100.0) f.push_back(x);
    std::sort(f.begin(), f.end());
    return f;
}

struct Fit {
    double fs;
    double top;              // the highest audible point: 20 kHz, or 0.45 fs at lower rates
    std::vector<double> hz;  // the audible points, then points from 2 kHz above `top` to just below half the rate
    size_t audible;

    // Below 44.1 kHz the fit stops at 0.45 fs: nearer half the rate the response turns flat (its
    // mirror image), and a steep slope there would take all the taps.
    explicit Fit(double rate)
        : fs(rate), top(std::min(20000.0, 0.45 * rate)), hz(audibleFrequencies(top)), audible(hz.size()) {
        const double step = std::min(250.0, 0.01 * fs);
        for (double x = top + (top < 20000.0 ? 2.0 * step : 2000.0); x < 0.49 * fs; x += step) hz.push_back(x);
    }

    // The 44.1 kHz band's response on the audible points. Above them the band has nothing to
    // follow, but a fit must not use that freedom to boost the ultrasonic range (a cut that boosts
    // it by 20 dB fits as well below 20 kHz): there the response stays below a ceiling, 6 dB above
    // its level at 20 kHz, and unity for a cut whose level is lower.
    struct Target {
        std::vector<Complex> response;  // on the audible points
        std::vector<double> ceiling;    // largest magnitude at each point above them
        std::vector<Complex> tables;    // the band at this rate from its reference-peak table
    };
    Target target(float gain) const {
        BandFilter band;
        band.setSampleRate(44100.0f);
        BandResponse::design(band, {kAirFrequency, gain, 0.0f, BandKind::kBell});
        Target t;
        for (size_t k = 0; k < audible; ++k) t.response.push_back(BandResponse::at(band, hz[k]));
        t.ceiling.assign(hz.size(), std::max(2.0 * std::abs(BandResponse::at(band, top)), 1.0));
        // Below 44.1 kHz the points above the top are still audible, where the 44.1 kHz band goes on
        // rising: each is held below 6 dB over that band's own level there.
        if (top < 20000.0)
            for (size_t k = audible; k < hz.size(); ++k) t.ceiling[k] = std::max(2.0 * std::abs(BandResponse::at(band, hz[k])), 1.0);
        static const T::Set withoutTaps = [] {
            T::Set set = T::builtIn();
            for (auto& taps : set.airTaps) taps = nullptr;
            return set;
        }();
        BandFilter here;
        here.setSampleRate(static_cast<float>(fs));
        here.setCorrectionTables(&withoutTaps);
        BandResponse::design(here, {kAirFrequency, gain, 0.0f, BandKind::kBell});
        for (double x : hz) t.tables.push_back(BandResponse::at(here, x));
        return t;
    }

    // The band with taps c passes its input and adds the taps' output.
    Complex response(const Taps& c, double x) const {
        const Complex z1 = std::polar(1.0, -2.0 * kPi * x / fs);
        Complex sum = 0.0, zk = 1.0;
        for (double tap : c) sum += tap * zk, zk *= z1;
        return 1.0 + sum;
    }

    double worstDb(const Taps& c, const Target& t, std::vector<double>* each = nullptr) const {
        double worst = 0.0;
        for (size_t k = 0; k < audible; ++k) {
            const double d = std::fabs(20.0 * std::log10(std::abs(response(c, hz[k])) / std::abs(t.response[k])));
            if (each != nullptr) (*each)[k] = d;
            worst = std::max(worst, d);
        }
        return worst;
    }

    // n taps minimising the weighted squared difference from t, with a slight pull towards zero
    // that keeps the solution small where the points leave it free.
    Taps leastSquares(int n, const std::vector<Complex>& t, const std::vector<double>& weight) const {
        const int rows = 2 * static_cast<int>(hz.size()) + n;
        std::vector<double> a(static_cast<size_t>(rows) * static_cast<size_t>(n), 0.0), b(static_cast<size_t>(rows), 0.0);
        const auto at = [&](int row, int column) -> double& { return a[static_cast<size_t>(column) * static_cast<size_t>(rows) + static_cast<size_t>(row)]; };
        for (size_t k = 0; k < hz.size(); ++k) {
            const double s = std::sqrt(weight[k]);
            const int row = 2 * static_cast<int>(k);
            for (int j = 0; j < n; ++j) {
                const double phase = -2.0 * kPi * hz[k] * j / fs;
                at(row, j) = s * std::cos(phase);
                at(row + 1, j) = s * std::sin(phase);
            }
            const Complex want = t[k] - 1.0;
            b[static_cast<size_t>(row)] = s * want.real();
            b[static_cast<size_t>(row) + 1] = s * want.imag();
        }
        for (int j = 0; j < n; ++j) at(2 * static_cast<int>(hz.size()) + j, j) = 1e-4;
        const int one = 1;
        int lwork = -1, info = 0;
        double size = 0.0;
        dgels_("N", &rows, &n, &one, a.data(), &rows, b.data(), &rows, &size, &lwork, &info);
        lwork = static_cast<int>(size);
        std::vector<double> work(static_cast<size_t>(lwork));
        dgels_("N", &rows, &n, &one, a.data(), &rows, b.data(), &rows, work.data(), &lwork, &info);
        if (info != 0) return Taps(static_cast<size_t>(n), 0.0);
        return Taps(b.begin(), b.begin() + n);
    }

    // Lawson's iteration: audible points with larger errors gain weight until the largest error
    // settles. Ultrasonic points above the ceiling are pulled down to it, with weight that grows
    // while they stay above. The best fit that keeps below the ceiling (within 0.5 dB) is taken.
    // Only the magnitude has to match: after the first rounds (or from the start, when starting
    // from the table band's phase) each point above kFreePhaseFrom takes the phase the fit gives it.
    Taps minimax(int n, const Target& t, bool fromTables, double* worst) const {
        std::vector<Complex> want(hz.size());
        std::vector<double> weight(hz.size(), 0.0), error(hz.size());
        double sum = 0.0;
        for (size_t k = 0; k < audible; ++k) {
            want[k] = fromTables ? std::abs(t.response[k]) * t.tables[k] / std::abs(t.tables[k]) : t.response[k];
            sum += weight[k] = 1.0 / std::norm(want[k]);  // relative errors: dB
        }
        for (size_t k = 0; k < audible; ++k) weight[k] /= sum;
        const double pull = 1.0 / static_cast<double>(audible);  // an average audible point's weight
        // From the table band, its ultrasonic response (below the ceiling) holds the fit near it.
        if (fromTables)
            for (size_t k = audible; k < hz.size(); ++k) {
                const double m = std::abs(t.tables[k]);
                want[k] = m > t.ceiling[k] ? t.tables[k] * (0.9 * t.ceiling[k] / m) : t.tables[k];
                weight[k] = pull / (t.ceiling[k] * t.ceiling[k]);
            }
        const double freeFrom = fromTables ? 0.0 : kFreePhaseFrom;
        Taps best, bestAny;
        double worstAny = 1e9;
        *worst = 1e9;
        for (int round = 0; round < 80; ++round) {
            const Taps c = leastSquares(n, want, weight);
            const double w = worstDb(c, t, &error);
            if (fromTables || round >= 20)
                for (size_t k = 0; k < audible; ++k)
                    if (hz[k] >= freeFrom) {
                        const Complex h = response(c, hz[k]);
                        want[k] = std::abs(t.response[k]) * h / std::abs(h);
                    }
            double over = 0.0;
            for (size_t k = audible; k < hz.size(); ++k) {
                const Complex h = response(c, hz[k]);
                const double m = std::abs(h);
                over = std::max(over, m / t.ceiling[k]);
                if (m > t.ceiling[k]) {
                    want[k] = h * (0.9 * t.ceiling[k] / m);
                    weight[k] += pull / (t.ceiling[k] * t.ceiling[k]);
                } else if (fromTables) {
                    want[k] = h;  // free below the ceiling
                }
            }
            if (w < worstAny) worstAny = w, bestAny = c;
            if (over < 1.06 && w < *worst) *worst = w, best = c;
            sum = 0.0;
            for (size_t k = 0; k < audible; ++k) sum += weight[k] *= error[k] + 1e-6;
            for (size_t k = 0; k < audible; ++k) weight[k] /= sum;
        }
        if (best.empty()) *worst = worstAny, best = bestAny;
        return best;
    }
};

struct Row {
    Taps taps;
    double worst = 0.0;
};

// The fewest taps (error falls with length) that meet kRowTolerance, else the longest.
Row fitRow(const Fit& fit, float gain) {
    if (gain == 0.0f) return {};  // the flat band: no correction at all
    const Fit::Target t = fit.target(gain);
    // The better of the fits from the two starts.
    const auto fitted = [&](int n) {
        Row a, b;
        a.taps = fit.minimax(n, t, false, &a.worst);
        b.taps = fit.minimax(n, t, true, &b.worst);
        return a.worst <= b.worst ? a : b;
    };
    Row row = fitted(T::kMaxCorrectionLength);
    int lo = 1, hi = T::kMaxCorrectionLength;
    while (lo < hi && row.worst <= kRowTolerance) {
        const int mid = (lo + hi) / 2;
        const Row shorter = fitted(mid);
        if (shorter.worst <= kRowTolerance) hi = mid, row = shorter;
        else lo = mid + 1;
    }
    return row;
}

// The taps the band runs between two rows: (1 - u) r0 + u r1.
Taps blend(const Row& r0, const Row& r1, double u) {
    Taps c(std::max(r0.taps.size(), r1.taps.size()), 0.0);
    for (size_t j = 0; j < c.size(); ++j)
        c[j] = (1.0 - u) * (j < r0.taps.size() ? r0.taps[j] : 0.0) + u * (j < r1.taps.size() ? r1.taps[j] : 0.0);
    return c;
}

// Blends of two rows at a quarter, half and three quarters of the way. Rows that lie as close as
// T::kAirRowsUnblended are not blended: the band takes the nearer one.
double blendWorst(const Fit& fit, float g0, const Row& r0, float g1, const Row& r1) {
    double worst = 0.0;
    for (double u : {0.25, 0.5, 0.75}) {
        const Taps c = blend(r0, r1, u);
        const float g = static_cast<float>((1.0 - u) * g0 + u * g1);
        worst = std::max(worst, fit.worstDb(c, fit.target(g)));
    }
    return worst;
}

std::map<float, Row> fitRate(double fs) {
    const Fit fit(fs);
    std::map<float, Row> rows;
    // The Air table's gain points (where the 44.1 kHz band's response bends) and every whole dB.
    for (float g : T::kAirGainAxis) rows[g] = fitRow(fit, g);
    for (int g = -15; g <= 15; ++g) rows.try_emplace(static_cast<float>(g), fitRow(fit, static_cast<float>(g)));
    for (auto it = rows.begin(); std::next(it) != rows.end();) {
        const auto next = std::next(it);
        const float g0 = it->first, g1 = next->first;
        const double rowsWorst = std::max(it->second.worst, next->second.worst);
        if (g1 - g0 > T::kAirRowsUnblended && blendWorst(fit, g0, it->second, g1, next->second) > rowsWorst + kBlendTolerance) {
            const float mid = 0.5f * (g0 + g1);
            rows[mid] = fitRow(fit, mid);
            continue;  // check the first half again
        }
        it = next;
    }
    return rows;
}

// A float literal that reads back as the same float.
std::string literal(double x) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(static_cast<float>(x)));
    std::string s = text;
    if (s.find_first_of(".en") == std::string::npos) s += ".0";
    return s + "f";
}

// The name a rate's table takes: its kHz without decimals.
std::string name(double fs) { return std::to_string(static_cast<int>(fs / 1000.0)); }

// The largest difference from the 44.1 kHz band over the knob range in fine steps, as the band
// blends the rows (or takes the nearer of two close ones): what a listener sweeping the knob meets.
double sweepWorst(double fs, const std::map<float, Row>& rows) {
    const Fit fit(fs);
    double worst = 0.0;
    for (auto it = rows.begin(); std::next(it) != rows.end(); ++it) {
        const auto next = std::next(it);
        const bool blended = next->first - it->first > T::kAirRowsUnblended;
        for (int step = 1; step < 8; ++step) {
            const double v = step / 8.0, u = blended ? v : v < 0.5 ? 0.0 : 1.0;
            const Taps c = blend(it->second, next->second, u);
            const float g = static_cast<float>((1.0 - v) * it->first + v * next->first);
            worst = std::max(worst, fit.worstDb(c, fit.target(g)));
        }
    }
    return worst;
}

// One rate's rows as source text.
std::string tableText(double fs) {
    const std::map<float, Row> rows = fitRate(fs);
    double worst = 0.0;
    for (const auto& [gain, row] : rows) worst = std::max(worst, row.worst);
    std::fprintf(stderr, "%.0f Hz: %zu rows, rows within %.4f dB, sweep within %.4f dB\n", fs, rows.size(), worst, sweepWorst(fs, rows));
    const std::string n = name(fs);
    std::string text = "constexpr std::array<AirTapRow, " + std::to_string(rows.size()) + "> kAirTapRows" + n + "{{\n";
    char tail[48];
    for (const auto& [gain, row] : rows) {
        text += "    {" + literal(gain) + ", " + std::to_string(row.taps.size()) + ", {";
        for (size_t j = 0; j < row.taps.size(); ++j) text += (j ? ", " : "") + literal(row.taps[j]);
        std::snprintf(tail, sizeof tail, "}},  // %.4f dB\n", row.worst);
        text += tail;
    }
    return text + "}};\nconstexpr AirTaps kAirTaps" + n + "{kAirTapRows" + n + ".data(), static_cast<int>(kAirTapRows" + n +
           ".size()), " + literal(fs) + "};\n";
}
}  // namespace

int main(int argc, char** argv) {
    // With rates given, prints only those rates' tables (for trials). Every run reports on stderr how
    // close each rate's rows and the knob sweep across them stay.
    if (argc > 1) {
        for (int a = 1; a < argc; ++a) std::fputs(tableText(std::atof(argv[a])).c_str(), stdout);
        return 0;
    }
    std::printf("// Generated by tools/generators/air_taps.cpp: do not edit. To regenerate, run\n"
                "//   build/<dir>/bench/tovin_air_taps > dsp/air_taps_generated.h\n"
                "// Taps of the Air band at 22.05, 24, 32, 48, 64, 88.2, 96, 176.4, 192, 352.8 and 384 kHz fitted to\n"
                "// the 44.1 kHz Air band below 20 kHz (0.45 fs at lower rates), by knob gain. Row tolerance %.2f dB,\n"
                "// blend tolerance %.2f dB; each row's fitted error is noted.\n"
                "#pragma once\n\n#include \"dsp/correction_tables.h\"\n\nnamespace CorrectionTables::Generated {\n",
                kRowTolerance, kBlendTolerance);
    // The rates are fitted side by side and printed in order.
    std::vector<std::string> texts(T::kFittedAirRates.size());
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        workers.emplace_back([&] {
            for (size_t r; (r = next.fetch_add(1)) < texts.size();) texts[r] = tableText(T::kFittedAirRates[r]);
        });
    for (auto& w : workers) w.join();
    for (const std::string& text : texts) std::fputs(text.c_str(), stdout);
    std::printf("}  // namespace CorrectionTables::Generated\n");
    return 0;
}
