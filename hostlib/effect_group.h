// The plug-in group: the product's manufacturer and names, its settings and its types. A plug-in
// derives from CEffectGroupMIDI and supplies CreateEffectGroup; NewPlugIn creates and initialises it.
// UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hostlib/effect_type.h"
#include "hostlib/plugin_abi.h"

namespace hostlib {

class CEffectGroupMIDI {
public:
    CEffectGroupMIDI() = default;
    virtual ~CEffectGroupMIDI() = default;
    CEffectGroupMIDI(const CEffectGroupMIDI&) = delete;
    CEffectGroupMIDI& operator=(const CEffectGroupMIDI&) = delete;

    void DefineManufacturerNamesAndID(const char* names, int32_t id);
    void DefinePlugInNamesAndVersion(const char* names, int32_t version);
    void AddGestalt(int32_t setting) { settings_.push_back(setting); }
    void AddEffectType(CEffectTypeRTAS* type) { types_.emplace_back(type); }  // takes ownership

    // Called once by NewPlugIn; raises LibraryError for a group the host cannot use.
    virtual void Initialize();

    int32_t GetManufacturerID() const { return manufacturerID_; }
    int32_t GetNumTypes() const { return static_cast<int32_t>(types_.size()); }
    const CEffectTypeRTAS* GetType(int32_t index) const;
    void Info(PIGroupInfo& info) const;

private:
    std::string manufacturerNames_;
    int32_t manufacturerID_ = 0;
    std::string productNames_;
    int32_t productVersion_ = 0;
    std::vector<int32_t> settings_;
    std::vector<std::unique_ptr<CEffectTypeRTAS>> types_;
};

// Supplied by the plug-in: its group, or null.
CEffectGroupMIDI* CreateEffectGroup();
// The group NewPlugIn keeps (null before NewPlugIn and after WinPlugInClose).
CEffectGroupMIDI* CurrentGroup();
std::unique_ptr<CEffectGroupMIDI>& GroupSlot();

}  // namespace hostlib
