// Tovin against a peer equalizer (LSP Parametric Equalizer x16 Stereo), both loaded through our VST
// host, set to the same filters and timed in alternation in one run: four settings (the standard
// 8-band one, a heavy one with five high bells, one with IIR sections only, and the standard one
// with General On off) at blocks of 32 to 1024 frames. Each figure is the median of the rounds.
// With --baseline, another build of Tovin runs in the same alternation (before/after a change).
//
//   tovin_peer_compare [--tovin path] [--peer path] [--baseline path] [--rate 48000] [--rounds 15]
//                      [--seconds 1] [--only setting] [--block n]
//   (--only, --block: that setting or block size alone, e.g. for a profile)
#include "dsp/piecewise_map.h"
#include "tools/vsthost/vst_host.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <time.h>
#include <vector>

#ifndef TOVIN_PLUGIN_PATH
#define TOVIN_PLUGIN_PATH "Tovin.so"
#endif

namespace {

constexpr const char* kPeerPath = "/usr/lib/vst/lsp-plugins/para-equalizer-x16-stereo.so";
constexpr int kBlocks[] = {32, 64, 128, 256, 512, 1024};

// Tovin's host parameters (normalized through its display tables).
constexpr std::array<float, 19> kFreqHp{20, 30, 45, 60, 80, 100, 140, 200, 300, 500, 700, 1000, 1500, 2000, 3000, 5000, 7000, 8500, 10000};
constexpr std::array<float, 23> kFreq{20, 30, 45, 60, 80, 100, 140, 200, 300, 500, 700, 1000,
                                      1500, 2000, 3000, 5000, 7000, 8500, 10000, 12000, 14000, 17000, 20000};
constexpr std::array<float, 7> kQBell{0.1f, 0.2f, 0.5f, 1.0f, 1.7f, 3.5f, 7.0f};
constexpr std::array<float, 19> kGain{-15, -13.28f, -11.62f, -9.96f, -8.3f, -6.64f, -4.98f, -3.32f, -1.66f, 0,
                                      1.66f, 3.32f, 4.98f, 6.64f, 8.3f, 9.96f, 11.62f, 13.28f, 15};
constexpr std::array<float, 9> kAir{-15, -10, -5, -2, 0, 2, 5, 10, 15};
constexpr int kTovinEditedChannel = 43;  // internal: the channel the band parameters edit, left then right
constexpr int kTovinLowPassOn = 30, kTovinAirOn = 32, kTovinGeneralOn = 33;

struct Bell {
    float frequency, gainDb, q;
};

// One comparison: Tovin's high-pass at 30 Hz and five bells, optionally its low-pass at 18 kHz and
// Air +5 dB; the peer gets the equivalent filters.
struct Setting {
    const char* name;
    Bell bells[5];
    bool lowPassAndAir;
    bool generalOn;
};
constexpr Setting kSettings[] = {
    {"standard", {{120, -4, 1}, {400, 3, 1}, {1000, -3, 1.7f}, {3000, 4, 1}, {12000, 6, 0.5f}}, true, true},
    {"heavy", {{3000, 4, 1}, {5000, -3, 1}, {7000, 3, 1.7f}, {8500, -4, 1}, {12000, 6, 0.5f}}, true, true},
    {"IIR only", {{60, 3, 1}, {120, -4, 1}, {200, 2, 1.7f}, {300, -3, 1}, {500, 3, 0.5f}}, false, true},
    {"bypassed", {{120, -4, 1}, {400, 3, 1}, {1000, -3, 1.7f}, {3000, 4, 1}, {12000, 6, 0.5f}}, true, false},
};

void setTovin(vsthost::Host& h, const Setting& s) {
    for (float channel : {1.0f, 0.0f}) {
        h.setParameter(kTovinEditedChannel, channel);
        h.setParameter(0, mapInverse(kFreqHp, 30.0f));
        h.setParameter(1, 0.5f);  // pass-band Q 0.7
        for (int i = 0; i < 5; ++i) {
            h.setParameter(2 + 3 * i, mapInverse(kFreq, s.bells[i].frequency));
            h.setParameter(3 + 3 * i, mapInverse(kQBell, s.bells[i].q));
            h.setParameter(4 + 3 * i, mapInverse(kGain, s.bells[i].gainDb));
        }
        h.setParameter(17, mapInverse(kFreq, 18000.0f));
        h.setParameter(18, 0.5f);
        h.setParameter(19, mapInverse(kAir, 5.0f));
        h.setParameter(20, mapInverse(kGain, 0.0f));
    }
    const int on[] = {21, 23, 25, 26, 27, 28};
    for (int index : on) h.setParameter(index, 1.0f);
    h.setParameter(kTovinLowPassOn, s.lowPassAndAir ? 1.0f : 0.0f);
    h.setParameter(kTovinAirOn, s.lowPassAndAir ? 1.0f : 0.0f);
    h.setParameter(22, 1.0f);  // high-pass 12 dB
    h.setParameter(24, 0.0f);  // bell
    h.setParameter(29, 0.0f);  // bell
    h.setParameter(31, 1.0f);  // low-pass 12 dB
    // Set last: a band parameter switches General On back on.
    h.setParameter(kTovinGeneralOn, s.generalOn ? 1.0f : 0.0f);
}

// The peer: band k's parameters start at 13 + 9k: type, mode, slope, two switches, frequency, gain, width.
enum PeerType { kOff = 0, kBell = 1, kHiPass = 2, kHiShelf = 3, kLoPass = 4 };
constexpr int kPeerBypass = 0;
void setPeerBand(vsthost::Host& h, int band, int type, float frequency, float gainDb, float width) {
    const int base = 13 + 9 * band;
    h.setParameter(base + 0, type / 8.0f);
    h.setParameter(base + 1, 0.0f);  // RLC (BT)
    h.setParameter(base + 2, 0.0f);  // slope x1
    h.setParameter(base + 5, static_cast<float>(std::log(frequency / 10.0) / std::log(2400.0)));
    h.setParameter(base + 6, (gainDb + 36.0f) / 72.0f);
    h.setParameter(base + 7, width / 100.0f);
}

void setPeer(vsthost::Host& h, const Setting& s) {
    setPeerBand(h, 0, kHiPass, 30.0f, 0.0f, 0.0f);
    for (int i = 0; i < 5; ++i) {
        // The peer's bell width q relates to the analog Q as Q = (q + 0.5) / sqrt(G + 1/G).
        const double g = std::pow(10.0, s.bells[i].gainDb / 20.0);
        const float width = static_cast<float>(s.bells[i].q * std::sqrt(g + 1.0 / g) - 0.5);
        setPeerBand(h, 1 + i, kBell, s.bells[i].frequency, s.bells[i].gainDb, width);
    }
    int band = 6;
    if (s.lowPassAndAir) {
        setPeerBand(h, band++, kLoPass, 18000.0f, 0.0f, 0.0f);
        setPeerBand(h, band++, kHiShelf, 10000.0f, 5.0f, 0.0f);
    }
    for (; band < 16; ++band) h.setParameter(13 + 9 * band, 0.0f);
    h.setParameter(kPeerBypass, s.generalOn ? 0.0f : 1.0f);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Signal {
    std::vector<float> inL, inR, outL, outR;
};

// The calling thread's CPU time: on a shared machine the time other programs take is not counted.
double threadNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return 1e9 * static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec);
}

// CPU ns per frame of one pass over the whole signal.
double pass(vsthost::Host& h, Signal& s, int block) {
    const int frames = static_cast<int>(s.inL.size()) / block * block;
    const double start = threadNanoseconds();
    for (int at = 0; at < frames; at += block) h.processStereo(&s.inL[at], &s.inR[at], &s.outL[at], &s.outR[at], block);
    return (threadNanoseconds() - start) / frames;
}

constexpr int kSettingCount = static_cast<int>(std::size(kSettings));
constexpr int kBlockCount = static_cast<int>(std::size(kBlocks));
using Table = double[kSettingCount][kBlockCount];

void printTable(const char* title, const Table& t, const char* format) {
    std::printf("\n%s\n| Setting |", title);
    for (int block : kBlocks) std::printf(" b%d |", block);
    std::printf("\n|---|");
    for (int b = 0; b < kBlockCount; ++b) std::printf("---|");
    std::printf("\n");
    for (int s = 0; s < kSettingCount; ++s) {
        std::printf("| %s |", kSettings[s].name);
        for (int b = 0; b < kBlockCount; ++b) std::printf(format, t[s][b]);
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string tovinPath = TOVIN_PLUGIN_PATH, peerPath = kPeerPath, baselinePath, only;
    float rate = 48000.0f;
    int rounds = 15, onlyBlock = 0;
    double seconds = 1.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--tovin") tovinPath = argv[i + 1];
        else if (a == "--peer") peerPath = argv[i + 1];
        else if (a == "--baseline") baselinePath = argv[i + 1];
        else if (a == "--rate") rate = static_cast<float>(std::atof(argv[i + 1]));
        else if (a == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--seconds") seconds = std::atof(argv[i + 1]);
        else if (a == "--only") only = argv[i + 1];
        else if (a == "--block") onlyBlock = std::atoi(argv[i + 1]);
    }

    Signal signal;
    const size_t frames = static_cast<size_t>(std::max(1.0, rate * seconds));
    signal.inL.resize(frames), signal.inR.resize(frames), signal.outL.resize(frames), signal.outR.resize(frames);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> d(-0.25f, 0.25f);
    for (size_t i = 0; i < frames; ++i) {
        signal.inL[i] = d(rng);
        signal.inR[i] = d(rng);
    }

    std::vector<std::string> paths = {tovinPath, peerPath};
    if (!baselinePath.empty()) paths.push_back(baselinePath);
    const int players = static_cast<int>(paths.size());
    Table tovin{}, peer{}, baseline{}, ratio{}, gain{};
    for (int s = 0; s < kSettingCount; ++s) {
        if (!only.empty() && only != kSettings[s].name) continue;
        for (int b = 0; b < kBlockCount; ++b) {
            const int block = kBlocks[b];
            if (onlyBlock != 0 && block != onlyBlock) continue;
            std::vector<std::unique_ptr<vsthost::Host>> hosts;
            for (int p = 0; p < players; ++p) {
                hosts.push_back(std::make_unique<vsthost::Host>());
                if (!hosts.back()->load(paths[static_cast<size_t>(p)])) {
                    std::fprintf(stderr, "cannot load %s: %s\n", paths[static_cast<size_t>(p)].c_str(),
                                 hosts.back()->error().c_str());
                    return 1;
                }
                hosts.back()->start(rate, block);
                if (p == 1) setPeer(*hosts.back(), kSettings[s]);
                else setTovin(*hosts.back(), kSettings[s]);
            }
            std::vector<std::vector<double>> times(static_cast<size_t>(players));
            for (auto& h : hosts) pass(*h, signal, block);  // fades, glides and caches settle
            for (int round = 0; round < rounds; ++round)
                for (int p = 0; p < players; ++p)
                    times[static_cast<size_t>(p)].push_back(pass(*hosts[static_cast<size_t>(p)], signal, block));
            tovin[s][b] = median(times[0]);
            peer[s][b] = median(times[1]);
            ratio[s][b] = tovin[s][b] / peer[s][b];
            if (players > 2) {
                baseline[s][b] = median(times[2]);
                gain[s][b] = tovin[s][b] / baseline[s][b];
            }
        }
    }

    std::printf("Stereo, %.0f Hz, thread CPU time, median of %d alternating rounds of %.2f s each\n", rate, rounds, seconds);
    printTable("Tovin's CPU time / the peer's", ratio, " %.2f |");
    printTable("Tovin, CPU ns per stereo frame", tovin, " %.1f |");
    printTable("Peer, CPU ns per stereo frame", peer, " %.1f |");
    if (players > 2) {
        printTable(("Baseline (" + baselinePath + "), CPU ns per stereo frame").c_str(), baseline, " %.1f |");
        printTable("Tovin / baseline", gain, " %.2f |");
    }
    return 0;
}
