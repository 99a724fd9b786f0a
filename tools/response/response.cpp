// Prints the magnitude response of one band as the engine runs it (an impulse through
// processSubBlock, transformed with FFTW) beside the band's analog model and the error in dB.
//
//   tovin_response [--rate 44100] [--kind 14] [--freq 1000] [--gain 15] [--q 1] [--points 40]
//                  [--length 65536] [--from 20] [--to rate/2] [--compensate]
//
// Kinds: 2/3/5 high-pass 6/12/24 dB, 6/7/8/9 low-pass 6/12/18/24 dB, 10/12 high shelf, 11/13 low
// shelf, 14 bell. --compensate passes a bell's gain through the bell gain compensation first.
#include "dsp/band_mapping.h"
#include "tools/response/analog_model.h"
#include "tools/response/measure.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    double rate = 44100.0, freq = 1000.0, gain = 15.0, q = 1.0, from = 20.0, to = 0.0;
    int kind = 14, points = 40, length = 1 << 16;
    bool compensate = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&] { return i + 1 < argc ? std::atof(argv[++i]) : 0.0; };
        if (a == "--rate") rate = next();
        else if (a == "--kind") kind = static_cast<int>(next());
        else if (a == "--freq") freq = next();
        else if (a == "--gain") gain = next();
        else if (a == "--q") q = next();
        else if (a == "--points") points = std::max(2, static_cast<int>(next()));
        else if (a == "--length") length = std::max(256, static_cast<int>(next()));
        else if (a == "--from") from = next();
        else if (a == "--to") to = next();
        else if (a == "--compensate") compensate = true;
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (to <= 0.0 || to > rate / 2) to = rate / 2;
    const double filterGain = compensate && kind == 14 ? bellGainForQ(static_cast<float>(gain), static_cast<float>(q)) : gain;

    const Measure::Band band{2, kind, static_cast<float>(freq), static_cast<float>(filterGain), static_cast<float>(q)};
    const auto h = Measure::impulseResponse(static_cast<float>(rate), {band}, length);

    std::vector<double> in(h.begin(), h.end());
    const int bins = length / 2 + 1;
    fftw_complex* spectrum = fftw_alloc_complex(static_cast<size_t>(bins));
    fftw_plan plan = fftw_plan_dft_r2c_1d(length, in.data(), spectrum, FFTW_ESTIMATE);
    fftw_execute(plan);

    std::printf("# kind %d, %.2f Hz, filter gain %.3f dB, Q %.3f, rate %.0f Hz, %d-sample impulse\n", kind, freq,
                filterGain, q, rate, length);
    std::printf("%12s %12s %12s %10s\n", "Hz", "engine dB", "analog dB", "error dB");
    double worst = 0.0, worstEighth = 0.0;
    for (double f : Measure::logSpaced(from, to, points)) {
        const int bin = std::clamp(static_cast<int>(std::lround(f * length / rate)), 1, bins - 1);
        const double binFreq = bin * rate / length;
        const double engine = 10.0 * std::log10(spectrum[bin][0] * spectrum[bin][0] + spectrum[bin][1] * spectrum[bin][1]);
        const double analog = AnalogModel::magnitudeDb(kind, freq, q, filterGain, binFreq);
        const double error = engine - analog;
        std::printf("%12.2f %12.4f %12.4f %10.4f\n", binFreq, engine, analog, error);
        worst = std::max(worst, std::fabs(error));
        if (binFreq <= rate / 8) worstEighth = std::max(worstEighth, std::fabs(error));
    }
    std::printf("# largest error: %.4f dB from %.0f to %.0f Hz; %.4f dB up to fs/8\n", worst, from, to, worstEighth);
    fftw_destroy_plan(plan);
    fftw_free(spectrum);
    return 0;
}
