// Tovin against a peer equalizer (LSP Parametric Equalizer x16 Stereo), both loaded through our VST
// host, set to the same eight filters and timed in alternation in one run.
//
//   tovin_peer_compare [--tovin path] [--peer path] [--rate 48000] [--rounds 15] [--seconds 1]
#include "dsp/piecewise_map.h"
#include "tools/vsthost/vst_host.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#ifndef TOVIN_PLUGIN_PATH
#define TOVIN_PLUGIN_PATH "Tovin.so"
#endif

namespace {

constexpr const char* kPeerPath = "/usr/lib/vst/lsp-plugins/para-equalizer-x16-stereo.so";

// Tovin's host parameters (normalized through its display tables).
constexpr std::array<float, 19> kFreqHp{20, 30, 45, 60, 80, 100, 140, 200, 300, 500, 700, 1000, 1500, 2000, 3000, 5000, 7000, 8500, 10000};
constexpr std::array<float, 23> kFreq{20, 30, 45, 60, 80, 100, 140, 200, 300, 500, 700, 1000,
                                      1500, 2000, 3000, 5000, 7000, 8500, 10000, 12000, 14000, 17000, 20000};
constexpr std::array<float, 7> kQBell{0.1f, 0.2f, 0.5f, 1.0f, 1.7f, 3.5f, 7.0f};
constexpr std::array<float, 19> kGain{-15, -13.28f, -11.62f, -9.96f, -8.3f, -6.64f, -4.98f, -3.32f, -1.66f, 0,
                                      1.66f, 3.32f, 4.98f, 6.64f, 8.3f, 9.96f, 11.62f, 13.28f, 15};
constexpr std::array<float, 9> kAir{-15, -10, -5, -2, 0, 2, 5, 10, 15};

struct Bell {
    float frequency, gainDb, q;
};
constexpr Bell kBells[5] = {{120, -4, 1}, {400, 3, 1}, {1000, -3, 1.7f}, {3000, 4, 1}, {12000, 6, 0.5f}};

void setTovin(vsthost::Host& h) {
    for (float channel : {1.0f, 0.0f}) {  // internal index 43: the edited channel, left then right
        h.setParameter(43, channel);
        h.setParameter(0, mapInverse(kFreqHp, 30.0f));
        h.setParameter(1, 0.5f);  // pass-band Q 0.7
        for (int i = 0; i < 5; ++i) {
            h.setParameter(2 + 3 * i, mapInverse(kFreq, kBells[i].frequency));
            h.setParameter(3 + 3 * i, mapInverse(kQBell, kBells[i].q));
            h.setParameter(4 + 3 * i, mapInverse(kGain, kBells[i].gainDb));
        }
        h.setParameter(17, mapInverse(kFreq, 18000.0f));
        h.setParameter(18, 0.5f);
        h.setParameter(19, mapInverse(kAir, 5.0f));
        h.setParameter(20, mapInverse(kGain, 0.0f));
    }
    const int on[] = {21, 23, 25, 26, 27, 28, 30, 32, 33};
    for (int index : on) h.setParameter(index, 1.0f);
    h.setParameter(22, 1.0f);  // high-pass 12 dB
    h.setParameter(24, 0.0f);  // bell
    h.setParameter(29, 0.0f);  // bell
    h.setParameter(31, 1.0f);  // low-pass 12 dB
}

// The peer: band k's parameters start at 13 + 9k: type, mode, slope, two switches, frequency, gain, width.
enum PeerType { kOff = 0, kBell = 1, kHiPass = 2, kHiShelf = 3, kLoPass = 4 };
void setPeerBand(vsthost::Host& h, int band, int type, float frequency, float gainDb, float width) {
    const int base = 13 + 9 * band;
    h.setParameter(base + 0, type / 8.0f);
    h.setParameter(base + 1, 0.0f);  // RLC (BT)
    h.setParameter(base + 2, 0.0f);  // slope x1
    h.setParameter(base + 5, static_cast<float>(std::log(frequency / 10.0) / std::log(2400.0)));
    h.setParameter(base + 6, (gainDb + 36.0f) / 72.0f);
    h.setParameter(base + 7, width / 100.0f);
}

void setPeer(vsthost::Host& h) {
    setPeerBand(h, 0, kHiPass, 30.0f, 0.0f, 0.0f);
    for (int i = 0; i < 5; ++i) {
        // The peer's bell width q relates to the analog Q as Q = (q + 0.5) / sqrt(G + 1/G).
        const double g = std::pow(10.0, kBells[i].gainDb / 20.0);
        const float width = static_cast<float>(kBells[i].q * std::sqrt(g + 1.0 / g) - 0.5);
        setPeerBand(h, 1 + i, kBell, kBells[i].frequency, kBells[i].gainDb, width);
    }
    setPeerBand(h, 6, kLoPass, 18000.0f, 0.0f, 0.0f);
    setPeerBand(h, 7, kHiShelf, 10000.0f, 5.0f, 0.0f);
    for (int band = 8; band < 16; ++band) h.setParameter(13 + 9 * band, 0.0f);
}

struct Runner {
    vsthost::Host host;
    std::vector<double> nsPerFrame;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::string tovinPath = TOVIN_PLUGIN_PATH, peerPath = kPeerPath;
    float rate = 48000.0f;
    int rounds = 15;
    double seconds = 1.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--tovin") tovinPath = argv[i + 1];
        else if (a == "--peer") peerPath = argv[i + 1];
        else if (a == "--rate") rate = static_cast<float>(std::atof(argv[i + 1]));
        else if (a == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--seconds") seconds = std::atof(argv[i + 1]);
    }

    const int frames = static_cast<int>(rate * seconds);
    std::vector<float> inL(static_cast<size_t>(frames)), inR(inL.size()), outL(inL.size()), outR(inL.size());
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> d(-0.25f, 0.25f);
    for (size_t i = 0; i < inL.size(); ++i) {
        inL[i] = d(rng);
        inR[i] = d(rng);
    }

    std::printf("Standard 8-band setting, stereo, %.0f Hz, %d alternating rounds of %.2f s each\n", rate, rounds, seconds);
    std::printf("%6s %16s %16s %8s\n", "block", "Tovin ns/frame", "peer ns/frame", "ratio");
    for (int block : {512, 64}) {
        Runner runners[2];
        const std::string paths[2] = {tovinPath, peerPath};
        for (int r = 0; r < 2; ++r) {
            if (!runners[r].host.load(paths[r])) {
                std::fprintf(stderr, "cannot load %s: %s\n", paths[r].c_str(), runners[r].host.error().c_str());
                return 1;
            }
            runners[r].host.start(rate, block);
        }
        setTovin(runners[0].host);
        setPeer(runners[1].host);
        const auto pass = [&](vsthost::Host& h) {
            const auto start = std::chrono::steady_clock::now();
            for (int at = 0; at + block <= frames; at += block)
                h.processStereo(&inL[at], &inR[at], &outL[at], &outR[at], block);
            const auto stop = std::chrono::steady_clock::now();
            return std::chrono::duration<double, std::nano>(stop - start).count() / (frames / block * block);
        };
        for (auto& r : runners) pass(r.host);  // fades, glides and caches settle
        for (int round = 0; round < rounds; ++round)
            for (auto& r : runners) r.nsPerFrame.push_back(pass(r.host));
        const double tovin = median(runners[0].nsPerFrame), peer = median(runners[1].nsPerFrame);
        std::printf("%6d %16.2f %16.2f %8.2f\n", block, tovin, peer, tovin / peer);
    }
    return 0;
}
