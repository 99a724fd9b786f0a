// Loads an installed Tovin.so through its entry as a host does, with nothing but the user's own
// configuration to find its installation directory, and prints what shows whether it found it: the
// preset the effect's store loaded into slot B (preset 0 of the factory bank when the directory
// holds it). Then one block of audio must come out finite. On Windows a message box from the effect
// ("Alert", its installation messages) is found, reported and closed: headless it would block.
//   tovin_installed_load_check PATH/Tovin.so   (or Tovin.dll)
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "effect/effect_state.h"
#include "tools/vsthost/vst_host.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <thread>

namespace {
std::atomic<bool> messageBoxSeen{false};
std::atomic<bool> watching{true};

// Closes every "Alert" box of this process while the check runs.
void watchForMessageBoxes() {
    while (watching.load()) {
        if (HWND box = FindWindowA(nullptr, "Alert")) {
            DWORD process = 0;
            GetWindowThreadProcessId(box, &process);
            if (process == GetCurrentProcessId()) {
                char text[512] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
                std::fprintf(stderr, "message box: Alert: %s\n", text);
                messageBoxSeen.store(true);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
        Sleep(50);
    }
}
}  // namespace
#endif

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovin_installed_load_check PATH/Tovin.so\n");
        return 2;
    }
    constexpr int kBlock = 512;
#ifdef _WIN32
    std::thread watcher(watchForMessageBoxes);
    struct Stop {
        std::thread& t;
        ~Stop() {
            watching.store(false);
            t.join();
        }
    } stop{watcher};
#endif
    vsthost::Host host;
    if (!host.load(argv[1])) {
        std::fprintf(stderr, "load failed: %s\n", host.error().c_str());
        return 1;
    }
    host.start(48000.0f, kBlock);
    const std::vector<char> chunk = host.getChunk();
    if (chunk.size() != sizeof(EffectState)) {
        std::fprintf(stderr, "chunk of %zu bytes\n", chunk.size());
        return 1;
    }
    EffectState state;
    std::memcpy(&state, chunk.data(), sizeof(state));
    std::printf("effect %s by %s\n", host.effectName().c_str(), host.vendorString().c_str());
    std::printf("slot B preset: %.32s\n", state.slot[1].info.presetName);
    std::vector<float> in(kBlock), outL(kBlock), outR(kBlock);
    for (int i = 0; i < kBlock; ++i) in[static_cast<size_t>(i)] = 0.1f * std::sin(0.05f * static_cast<float>(i));
    host.processStereo(in.data(), in.data(), outL.data(), outR.data(), kBlock);
    for (int i = 0; i < kBlock; ++i)
        if (!std::isfinite(outL[static_cast<size_t>(i)]) || !std::isfinite(outR[static_cast<size_t>(i)])) return 1;
    std::printf("processed %d frames\n", kBlock);
#ifdef _WIN32
    if (messageBoxSeen.load()) return 1;
#endif
    return 0;
}
