#include "hostlib/effect_type.h"

#include <cstdio>

#include "hostlib/effect_process.h"

namespace hostlib {

CEffectTypeRTAS::CEffectTypeRTAS(int32_t typeID, int32_t productID) : typeID_(typeID), productID_(productID) {}

void CEffectTypeRTAS::Info(PITypeInfo& info) const {
    info = PITypeInfo{};
    info.typeID = typeID_;
    info.productID = productID_;
    info.inputFormat = static_cast<int32_t>(input_);
    info.outputFormat = static_cast<int32_t>(output_);
    info.sampleRateSupport = sampleRateSupport_;
    std::snprintf(info.typeName, sizeof(info.typeName), "%s", names_.c_str());
    std::snprintf(info.pageTableResource, sizeof(info.pageTableResource), "%s", pageTable_.c_str());
    constexpr size_t kMax = sizeof(info.properties) / sizeof(info.properties[0]);
    for (size_t i = 0; i < properties_.size() && i < kMax; ++i) info.properties[info.propertyCount++] = properties_[i];
}

CEffectProcess* CEffectTypeRTAS::CreateProcess() const {
    if (creator_ == nullptr) return nullptr;
    CEffectProcess* process = creator_();
    if (process != nullptr) process->AttachType(this);
    return process;
}

}  // namespace hostlib
