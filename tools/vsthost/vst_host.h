// A small VST 2.4 host for tests, benchmarks and tools: loads a plug-in module by path, obtains the
// effect through its exported entry (VSTPluginMain, else main) exactly as a host does, answers and
// records the effect's host callbacks, and drives the dispatcher, parameters and processing.
//
// One Host is one effect instance. Several hosts may live side by side, also on different modules.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vst/aeffect.h"
#include "vst/aeffectx.h"

namespace vsthost {

// One host callback as the effect issued it.
struct CallbackRecord {
    VstInt32 opcode = 0;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    float opt = 0.0f;
    AEffect* effect = nullptr;  // the record the effect passed (null when it passed none)
};

// What the host answers.
struct HostConfig {
    VstIntPtr versionAnswer = kVstVersion;  // audioMasterVersion; 0 plays a host the effect refuses
    float sampleRate = 44100.0f;            // audioMasterGetSampleRate
    VstIntPtr blockSize = 512;              // audioMasterGetBlockSize
    std::string vendor = "Tovin developers";
    std::string product = "vsthost";
    VstIntPtr vendorVersion = 1;
    std::vector<std::string> canDo = {"sendVstEvents", "sendVstMidiEvent", "sizeWindow", "supplyIdle"};
};

// A loaded plug-in module. Unloaded when destroyed.
class Module {
public:
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // Loads the module file; null (and the reason in *error) when it cannot be loaded or exports
    // neither VSTPluginMain nor main. Under Windows an absolute Unix path ("/x/y") is taken as on
    // drive Z:, where Wine shows the Unix file system.
    static std::unique_ptr<Module> load(const std::string& path, std::string* error = nullptr);

    using Entry = AEffect*(VSTCALLBACK*)(audioMasterCallback);
    Entry entry() const { return entry_; }
    // The address of an exported symbol (null when absent).
    void* symbol(const char* name) const;
    const std::string& path() const { return path_; }

private:
    Module() = default;
    void* handle_ = nullptr;
    Entry entry_ = nullptr;
    std::string path_;
};

class Host {
public:
    explicit Host(HostConfig config = {});
    ~Host();  // closes the effect (effClose) and unloads the module
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Loads the module and calls its entry. False (reason in error()) when the module cannot be loaded
    // or the entry returns null or a record without the 'VstP' magic.
    bool load(const std::string& path);
    // Calls the entry of an already loaded module again: a second instance from the same module.
    bool instantiate(std::shared_ptr<Module> module);
    const std::string& error() const { return error_; }
    AEffect* effect() const { return effect_; }
    std::shared_ptr<Module> module() const { return module_; }
    HostConfig& config() { return config_; }

    // The usual start of a host: effOpen, sample rate, block size, effMainsChanged(1).
    void start(float sampleRate, VstInt32 blockSize);
    // effClose, then the module is released (when no other host holds it). Called by the destructor.
    void close();

    // Dispatcher.
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    void open();
    void setSampleRate(float rate);
    void setBlockSize(VstInt32 frames);
    void mainsChanged(bool on);
    std::string paramName(VstInt32 index);
    std::string paramLabel(VstInt32 index);
    std::string paramDisplay(VstInt32 index);
    // The returned text comes from a buffer of bufferSize bytes pre-filled with a marker; *overrun is
    // set when the effect wrote beyond textLimit bytes (terminator included).
    std::string dispatchText(VstInt32 opcode, VstInt32 index, size_t textLimit, bool* overrun = nullptr);
    bool parameterProperties(VstInt32 index, VstParameterProperties& properties);
    VstIntPtr canDo(const char* text);
    std::string effectName();
    std::string vendorString();
    std::string productString();
    VstIntPtr vendorVersion();
    VstIntPtr vstVersion();
    VstIntPtr plugCategory();

    // Programs and chunks.
    void setProgram(VstInt32 program);
    VstInt32 program();
    std::string programName();
    std::vector<char> getChunk(bool preset = false);
    VstIntPtr setChunk(const std::vector<char>& chunk, bool preset = false);

    // Parameters through the AEffect record.
    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);

    // processReplacing with the effect's own channel counts. inputs/outputs hold numInputs/numOutputs
    // pointers.
    void processReplacing(float** inputs, float** outputs, VstInt32 frames);
    // Stereo in, stereo out (inR may be null for a mono input: the effect then sees a null second
    // input channel).
    void processStereo(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames);

    // Recorded host callbacks, in order (thread-safe).
    std::vector<CallbackRecord> callbacks() const;
    size_t countCallbacks(VstInt32 opcode) const;
    void clearCallbacks();

    // The callback every effect of every Host calls.
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                              void* ptr, float opt);

private:
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    HostConfig config_;
    std::shared_ptr<Module> module_;
    AEffect* effect_ = nullptr;
    std::string error_;
    mutable std::mutex recordsMutex_;
    std::vector<CallbackRecord> records_;
};

}  // namespace vsthost
