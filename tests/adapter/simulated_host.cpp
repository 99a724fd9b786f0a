#include "simulated_host.h"

#include <cstring>

namespace simhost {
namespace {

void showMessage(void*, const char* caption, const char* text) {
    host().messages.push_back(std::string(caption) + "|" + text);
}
double currentTempo(void*) { return host().tempo; }
uint32_t hostTick(void*) { return host().tick; }
void controlEvent(void*, PIInstance*, int32_t kind, int32_t control, int32_t value) {
    host().controlEvents.push_back({kind, control, value});
}

const PIHostServices kServices{sizeof(PIHostServices), nullptr, showMessage, currentTempo, hostTick, nullptr,
                               controlEvent, nullptr};

Module load() {
    Module loaded;
    loaded.handle = LoadLibraryA(windowsPath(TOVIN_DPM_PATH).c_str());
    if (loaded.handle == nullptr) {
        loaded.error = "cannot load " + windowsPath(TOVIN_DPM_PATH);
        return loaded;
    }
    auto open = reinterpret_cast<PIWinPlugInOpenProc>(reinterpret_cast<void*>(GetProcAddress(loaded.handle, "WinPlugInOpen")));
    auto create = reinterpret_cast<PINewPlugInProc>(reinterpret_cast<void*>(GetProcAddress(loaded.handle, "NewPlugIn")));
    auto routines = reinterpret_cast<PIGetRoutineDescriptorProc>(
        reinterpret_cast<void*>(GetProcAddress(loaded.handle, "_PI_GetRoutineDescriptor")));
    if (open == nullptr || create == nullptr || routines == nullptr) {
        loaded.error = "an entry point is missing";
        return loaded;
    }
    open(GetModuleHandleA(nullptr), &kServices);
    loaded.newPlugIn = create();
    loaded.table = routines(kPIAbiVersion);
    if (loaded.table == nullptr) loaded.error = "no routine table";
    return loaded;
}

}  // namespace

HostState& host() {
    static HostState state;
    return state;
}

const Module& module() {
    static const Module loaded = load();
    return loaded;
}

const PIRoutineTable& routines() {
    static const PIRoutineTable empty{};
    if (module().table == nullptr) {
        ADD_FAILURE() << module().error;
        return empty;
    }
    return *module().table;
}

std::string windowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string converted = "Z:" + path;
    for (char& c : converted)
        if (c == '/') c = '\\';
    return converted;
}

Instance::Instance(int32_t type, bool initialise, double rate) {
    const PIRoutineTable& table = routines();
    if (table.createInstance == nullptr) return;
    instance_ = table.createInstance(type, &error_);
    if (instance_ == nullptr) return;
    if (initialise) {
        EXPECT_EQ(table.setSampleRate(instance_, rate), 0);
        EXPECT_EQ(table.initialize(instance_), 0);
    }
}

Instance::~Instance() {
    if (instance_ != nullptr) routines().destroyInstance(instance_);
}

PIInstanceInfo Instance::info() const {
    PIInstanceInfo result{};
    EXPECT_EQ(routines().instanceInfo(instance_, &result), 0);
    return result;
}

PIControlInfo Instance::control(int32_t number) const {
    PIControlInfo result{};
    EXPECT_EQ(routines().controlInfo(instance_, number, &result), 0) << "control " << number;
    return result;
}

int32_t Instance::value(int32_t number) const {
    int32_t result = -1;
    EXPECT_EQ(routines().controlValue(instance_, number, &result), 0) << "control " << number;
    return result;
}

double Instance::continuous(int32_t number) const {
    double result = -1.0;
    EXPECT_EQ(routines().controlToContinuous(instance_, number, value(number), &result), 0);
    return result;
}

int32_t Instance::setContinuous(int32_t number, double continuous) {
    int32_t converted = 0;
    const int32_t error = routines().continuousToControl(instance_, number, continuous, &converted);
    if (error != 0) return error;
    return routines().setControlValue(instance_, number, converted);
}

std::vector<unsigned char> Instance::chunk(int32_t chunkID) const {
    int32_t size = 0;
    if (routines().chunkSize(instance_, chunkID, &size) != 0 || size <= 0) return {};
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    EXPECT_EQ(routines().getChunk(instance_, chunkID, bytes.data(), size), 0);
    return bytes;
}

int32_t Instance::setChunk(int32_t chunkID, const std::vector<unsigned char>& bytes) {
    return routines().setChunk(instance_, chunkID, bytes.data(), static_cast<int32_t>(bytes.size()));
}

void Instance::render(float** inputs, float** outputs, int32_t frames) {
    EXPECT_EQ(routines().render(instance_, inputs, outputs, frames), 0);
}

std::vector<char> chunkData(const std::vector<unsigned char>& chunk) {
    if (chunk.size() < sizeof(hostlib::ChunkHeader)) return {};
    return std::vector<char>(chunk.begin() + hostlib::kChunkHeaderSize, chunk.end());
}

std::vector<unsigned char> chunkWith(const std::vector<char>& data) {
    std::vector<unsigned char> chunk(hostlib::kChunkHeaderSize + data.size(), 0);
    if (!data.empty()) std::memcpy(chunk.data() + hostlib::kChunkHeaderSize, data.data(), data.size());
    const auto total = static_cast<int32_t>(chunk.size());
    std::memcpy(chunk.data(), &total, sizeof(total));
    return chunk;
}

HostWindow::HostWindow(int width, int height) {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "SimulatedPlugInWindow";
        return RegisterClassA(&windowClass) != 0;
    }();
    EXPECT_TRUE(registered);
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    window_ = CreateWindowExA(0, "SimulatedPlugInWindow", "Tovin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window_, nullptr);
    RECT client{};
    GetClientRect(window_, &client);
    if (client.right != width || client.bottom != height) {
        // The null driver may size frames differently: fix the client area itself.
        SetWindowPos(window_, nullptr, 0, 0, width + (frame.right - frame.left) - client.right,
                     height + (frame.bottom - frame.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    }
}

HostWindow::~HostWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

}  // namespace simhost
