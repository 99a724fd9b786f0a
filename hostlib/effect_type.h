// One plug-in type (a channel format of the product): IDs, names, stem formats, settings and the
// creator of its processes. Built by the group's constructor; read-only afterwards. UI thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostlib/plugin_abi.h"
#include "hostlib/settings.h"

namespace hostlib {

class CEffectProcess;
using ProcessCreator = CEffectProcess* (*)();

class CEffectTypeRTAS {
public:
    CEffectTypeRTAS(int32_t typeID, int32_t productID);

    void DefineTypeNames(const char* names) { names_ = names != nullptr ? names : ""; }
    void DefineSampleRateSupport(int32_t support) { sampleRateSupport_ = support; }
    void DefineStemFormats(StemFormat input, StemFormat output) {
        input_ = input;
        output_ = output;
    }
    void AddGestalt(int32_t property) { properties_.push_back(property); }
    void DefinePageTableResourceName(const char* name) { pageTable_ = name != nullptr ? name : ""; }
    void AttachEffectProcessCreator(ProcessCreator creator) { creator_ = creator; }

    int32_t GetTypeID() const { return typeID_; }
    int32_t GetProductID() const { return productID_; }
    int32_t GetNumInputs() const { return static_cast<int32_t>(input_); }
    int32_t GetNumOutputs() const { return static_cast<int32_t>(output_); }
    const std::string& GetTypeNames() const { return names_; }
    void Info(PITypeInfo& info) const;

    // A new process of this type, attached to it; null when the type has no creator. May throw.
    CEffectProcess* CreateProcess() const;

private:
    int32_t typeID_;
    int32_t productID_;
    std::string names_;
    int32_t sampleRateSupport_ = 0;
    StemFormat input_ = StemFormat::Stereo;
    StemFormat output_ = StemFormat::Stereo;
    std::vector<int32_t> properties_;
    std::string pageTable_;
    ProcessCreator creator_ = nullptr;
};

}  // namespace hostlib
