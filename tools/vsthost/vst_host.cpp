// The host library: module loading per platform, the shared host callback and the dispatcher wrappers.
#include "tools/vsthost/vst_host.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vsthost {
namespace {

// Effects that called back before their host knew their record (during the entry call) are
// attributed to the host that is calling the entry on this thread.
thread_local Host* hostInEntry = nullptr;

// Effect record -> host, for callbacks from any thread.
std::mutex registryMutex;
std::vector<std::pair<AEffect*, Host*>> registry;

void registerEffect(AEffect* effect, Host* host) {
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.emplace_back(effect, host);
}

void unregisterEffect(AEffect* effect) {
    std::lock_guard<std::mutex> lock(registryMutex);
    std::erase_if(registry, [effect](const auto& entry) { return entry.first == effect; });
}

Host* hostOf(AEffect* effect) {
    if (effect != nullptr) {
        std::lock_guard<std::mutex> lock(registryMutex);
        for (const auto& [known, host] : registry) {
            if (known == effect) return host;
        }
    }
    return hostInEntry;
}

void copyText(void* ptr, const std::string& text, size_t limit) {
    if (ptr == nullptr || limit == 0) return;
    const size_t length = std::min(text.size(), limit - 1);
    std::memcpy(ptr, text.data(), length);
    static_cast<char*>(ptr)[length] = 0;
}

#if defined(_WIN32)
std::string nativePath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string converted = "Z:" + path;
    std::replace(converted.begin(), converted.end(), '/', '\\');
    return converted;
}
#endif

}  // namespace

// ---- Module ----

std::unique_ptr<Module> Module::load(const std::string& path, std::string* error) {
    std::unique_ptr<Module> module(new Module());
    module->path_ = path;
#if defined(_WIN32)
    HMODULE handle = LoadLibraryA(nativePath(path).c_str());
    if (handle == nullptr) {
        if (error != nullptr) *error = "LoadLibrary failed for " + path + " (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
#else
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) *error = "dlopen failed: " + std::string(dlerror());
        return nullptr;
    }
#endif
    module->handle_ = reinterpret_cast<void*>(handle);
    module->entry_ = reinterpret_cast<Entry>(module->symbol("VSTPluginMain"));
    if (module->entry_ == nullptr) module->entry_ = reinterpret_cast<Entry>(module->symbol("main"));
    if (module->entry_ == nullptr) {
        if (error != nullptr) *error = path + " exports neither VSTPluginMain nor main";
        return nullptr;
    }
    return module;
}

void* Module::symbol(const char* name) const {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

Module::~Module() {
    if (handle_ == nullptr) return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

// ---- Host ----

Host::Host(HostConfig config) : config_(std::move(config)) {}

Host::~Host() { close(); }

bool Host::load(const std::string& path) {
    close();
    std::shared_ptr<Module> module = Module::load(path, &error_);
    if (!module) return false;
    return instantiate(std::move(module));
}

bool Host::instantiate(std::shared_ptr<Module> module) {
    close();
    error_.clear();
    Host* outer = hostInEntry;
    hostInEntry = this;
    AEffect* effect = module->entry()(&Host::hostCallback);
    hostInEntry = outer;
    if (effect == nullptr) {
        error_ = "the entry of " + module->path() + " returned no effect";
        return false;
    }
    if (effect->magic != kEffectMagic) {
        error_ = "the entry of " + module->path() + " returned a record without the VstP magic";
        return false;
    }
    module_ = std::move(module);
    effect_ = effect;
    registerEffect(effect_, this);
    return true;
}

void Host::close() {
    if (effect_ != nullptr) {
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
        unregisterEffect(effect_);
        effect_ = nullptr;
    }
    module_.reset();
}

void Host::start(float sampleRate, VstInt32 blockSize) {
    config_.sampleRate = sampleRate;
    config_.blockSize = blockSize;
    open();
    setSampleRate(sampleRate);
    setBlockSize(blockSize);
    mainsChanged(true);
}

VstIntPtr Host::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void Host::open() { dispatch(effOpen); }
void Host::setSampleRate(float rate) { dispatch(effSetSampleRate, 0, 0, nullptr, rate); }
void Host::setBlockSize(VstInt32 frames) { dispatch(effSetBlockSize, 0, frames); }
void Host::mainsChanged(bool on) { dispatch(effMainsChanged, 0, on ? 1 : 0); }

std::string Host::dispatchText(VstInt32 opcode, VstInt32 index, size_t textLimit, bool* overrun) {
    // Hosts differ in how much they give; this one gives a generous buffer and checks the limit.
    constexpr size_t kBufferSize = 256;
    constexpr char kMarker = '\x7f';
    char buffer[kBufferSize];
    std::memset(buffer, kMarker, sizeof buffer);
    buffer[0] = 0;
    dispatch(opcode, index, 0, buffer);
    buffer[kBufferSize - 1] = 0;
    if (overrun != nullptr) {
        *overrun = false;
        for (size_t i = textLimit; i + 1 < kBufferSize; ++i) {
            if (buffer[i] != kMarker) *overrun = true;
        }
    }
    return std::string(buffer, strnlen(buffer, kBufferSize));
}

std::string Host::paramName(VstInt32 index) { return dispatchText(effGetParamName, index, kVstMaxParamStrLen + 1); }
std::string Host::paramLabel(VstInt32 index) { return dispatchText(effGetParamLabel, index, kVstMaxParamStrLen + 1); }
std::string Host::paramDisplay(VstInt32 index) { return dispatchText(effGetParamDisplay, index, kVstMaxParamStrLen + 1); }

bool Host::parameterProperties(VstInt32 index, VstParameterProperties& properties) {
    std::memset(&properties, 0, sizeof properties);
    return dispatch(effGetParameterProperties, index, 0, &properties) != 0;
}

VstIntPtr Host::canDo(const char* text) { return dispatch(effCanDo, 0, 0, const_cast<char*>(text)); }
std::string Host::effectName() { return dispatchText(effGetEffectName, 0, kVstMaxEffectNameLen); }
std::string Host::vendorString() { return dispatchText(effGetVendorString, 0, kVstMaxVendorStrLen); }
std::string Host::productString() { return dispatchText(effGetProductString, 0, kVstMaxProductStrLen); }
VstIntPtr Host::vendorVersion() { return dispatch(effGetVendorVersion); }
VstIntPtr Host::vstVersion() { return dispatch(effGetVstVersion); }
VstIntPtr Host::plugCategory() { return dispatch(effGetPlugCategory); }

void Host::setProgram(VstInt32 program) { dispatch(effSetProgram, 0, program); }
VstInt32 Host::program() { return static_cast<VstInt32>(dispatch(effGetProgram)); }
std::string Host::programName() { return dispatchText(effGetProgramName, 0, kVstMaxProgNameLen); }

std::vector<char> Host::getChunk(bool preset) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const char* bytes = static_cast<const char*>(data);
    return std::vector<char>(bytes, bytes + size);
}

VstIntPtr Host::setChunk(const std::vector<char>& chunk, bool preset) {
    // The effect may keep nothing of the host's buffer; hand it a copy that dies after the call.
    std::vector<char> copy = chunk;
    return dispatch(effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data());
}

void Host::setParameter(VstInt32 index, float value) { effect_->setParameter(effect_, index, value); }
float Host::getParameter(VstInt32 index) { return effect_->getParameter(effect_, index); }

void Host::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
}

void Host::processStereo(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames) {
    float* inputs[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
    float* outputs[2] = {outL, outR};
    effect_->processReplacing(effect_, inputs, outputs, frames);
}

std::vector<CallbackRecord> Host::callbacks() const {
    std::lock_guard<std::mutex> lock(recordsMutex_);
    return records_;
}

size_t Host::countCallbacks(VstInt32 opcode) const {
    std::lock_guard<std::mutex> lock(recordsMutex_);
    return static_cast<size_t>(std::count_if(records_.begin(), records_.end(),
                                             [opcode](const CallbackRecord& r) { return r.opcode == opcode; }));
}

void Host::clearCallbacks() {
    std::lock_guard<std::mutex> lock(recordsMutex_);
    records_.clear();
}

VstIntPtr VSTCALLBACK Host::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                         void* ptr, float opt) {
    Host* host = hostOf(effect);
    if (host == nullptr) {
        // An effect this library never created: answer like a plain 2.4 host.
        return opcode == audioMasterVersion ? kVstVersion : 0;
    }
    {
        std::lock_guard<std::mutex> lock(host->recordsMutex_);
        host->records_.push_back({opcode, index, value, opt, effect});
    }
    return host->answer(opcode, index, value, ptr, opt);
}

VstIntPtr Host::answer(VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
        case audioMasterVersion:
            return config_.versionAnswer;
        case audioMasterGetSampleRate:
            return static_cast<VstIntPtr>(config_.sampleRate);
        case audioMasterGetBlockSize:
            return config_.blockSize;
        case audioMasterGetVendorString:
            copyText(ptr, config_.vendor, kVstMaxVendorStrLen);
            return 1;
        case audioMasterGetProductString:
            copyText(ptr, config_.product, kVstMaxProductStrLen);
            return 1;
        case audioMasterGetVendorVersion:
            return config_.vendorVersion;
        case audioMasterCanDo: {
            if (ptr == nullptr) return 0;
            const std::string asked(static_cast<const char*>(ptr));
            return std::find(config_.canDo.begin(), config_.canDo.end(), asked) != config_.canDo.end() ? 1 : 0;
        }
        case audioMasterUpdateDisplay:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
        case audioMasterSizeWindow:
            return 1;
        default:
            return 0;
    }
}

}  // namespace vsthost
