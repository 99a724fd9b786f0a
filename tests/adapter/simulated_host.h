// A simulated Pro Tools host: loads Tovin.dpm through its four exports as the host does, answers the
// host services (messages recorded, never shown; a settable tempo and tick; the plug-in's control
// events recorded) and drives instances through the routine table.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hostlib/plugin_abi.h"
#include "hostlib/settings.h"

namespace simhost {

struct ControlEvent {
    int32_t kind;
    int32_t control;
    int32_t value;
};

// What the host services saw and answer. Reset by every Instance's test fixture.
struct HostState {
    std::vector<std::string> messages;
    double tempo = 0.0;
    uint32_t tick = 1;
    std::vector<ControlEvent> controlEvents;
};
HostState& host();

// The loaded module (loaded and opened once per program; null table when that failed).
struct Module {
    HMODULE handle = nullptr;
    int16_t newPlugIn = 1;
    const PIRoutineTable* table = nullptr;
    std::string error;
};
const Module& module();
const PIRoutineTable& routines();  // fails the test when the module is missing

// A Windows path for a Unix one (Wine shows the Unix file system as Z:).
std::string windowsPath(const std::string& path);

constexpr int32_t kMonoType = 0;
constexpr int32_t kStereoType = 1;

class Instance {
public:
    explicit Instance(int32_t type = kStereoType, bool initialise = true, double rate = 44100.0);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    PIInstance* get() const { return instance_; }
    int32_t createError() const { return error_; }
    PIInstanceInfo info() const;
    PIControlInfo control(int32_t number) const;
    int32_t value(int32_t number) const;
    double continuous(int32_t number) const;
    int32_t setContinuous(int32_t number, double continuous);
    // The whole chunk as the host stores it; empty when there is none.
    std::vector<unsigned char> chunk(int32_t chunkID) const;
    int32_t setChunk(int32_t chunkID, const std::vector<unsigned char>& bytes);
    void render(float** inputs, float** outputs, int32_t frames);

private:
    PIInstance* instance_ = nullptr;
    int32_t error_ = 0;
};

// The state chunk's ID (the effect's unique ID).
constexpr int32_t kStateChunk = hostlib::fourCC('R', 'v', 'k', 't');
// The data behind a chunk's header, and a chunk made of data with a header in front.
std::vector<char> chunkData(const std::vector<unsigned char>& chunk);
std::vector<unsigned char> chunkWith(const std::vector<char>& data);

// A shown top-level window of the given client size, the host's plug-in window.
class HostWindow {
public:
    HostWindow(int width, int height);
    ~HostWindow();
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

}  // namespace simhost
