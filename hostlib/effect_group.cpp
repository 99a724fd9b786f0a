#include "hostlib/effect_group.h"

#include <cstdio>

#include "hostlib/library_error.h"
#include "hostlib/settings.h"

namespace hostlib {

std::unique_ptr<CEffectGroupMIDI>& GroupSlot() {
    static std::unique_ptr<CEffectGroupMIDI> group;
    return group;
}

CEffectGroupMIDI* CurrentGroup() { return GroupSlot().get(); }

void CEffectGroupMIDI::DefineManufacturerNamesAndID(const char* names, int32_t id) {
    manufacturerNames_ = names != nullptr ? names : "";
    manufacturerID_ = id;
}

void CEffectGroupMIDI::DefinePlugInNamesAndVersion(const char* names, int32_t version) {
    productNames_ = names != nullptr ? names : "";
    productVersion_ = version;
}

void CEffectGroupMIDI::Initialize() {
    if (types_.empty()) throw LibraryError(kErrUnknown, "a plug-in group without types");
}

const CEffectTypeRTAS* CEffectGroupMIDI::GetType(int32_t index) const {
    if (index < 0 || index >= GetNumTypes()) return nullptr;
    return types_[static_cast<size_t>(index)].get();
}

void CEffectGroupMIDI::Info(PIGroupInfo& info) const {
    info = PIGroupInfo{};
    info.manufacturerID = manufacturerID_;
    info.productVersion = productVersion_;
    std::snprintf(info.manufacturerNames, sizeof(info.manufacturerNames), "%s", manufacturerNames_.c_str());
    std::snprintf(info.productNames, sizeof(info.productNames), "%s", productNames_.c_str());
    constexpr size_t kMax = sizeof(info.settings) / sizeof(info.settings[0]);
    for (size_t i = 0; i < settings_.size() && i < kMax; ++i) info.settings[info.settingCount++] = settings_[i];
    info.typeCount = GetNumTypes();
}

}  // namespace hostlib
