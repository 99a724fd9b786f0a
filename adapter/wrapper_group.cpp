#include "adapter/wrapper_group.h"

#include "adapter/wrapper_process.h"

namespace adapter {
namespace {

hostlib::CEffectTypeRTAS* newType(int32_t typeID, hostlib::StemFormat format) {
    auto* type = new hostlib::CEffectTypeRTAS(typeID, kProductID);
    type->DefineTypeNames(kTypeName);
    type->DefineSampleRateSupport(kSampleRateSupport);
    type->DefineStemFormats(format, format);
    for (int32_t property : kTypeProperties) type->AddGestalt(property);
    type->DefinePageTableResourceName(kPageTableResource);
    type->AttachEffectProcessCreator(&CVelastroWrapperProcessRTAS::Create);
    return type;
}

}  // namespace

CVelastroWrapperGroup::CVelastroWrapperGroup() {
    DefineManufacturerNamesAndID(kManufacturerNames, kManufacturerID);
    DefinePlugInNamesAndVersion(kProductNames, kProductVersion);
    AddGestalt(hostlib::kGroupSettingMidiInput);
    AddEffectType(newType(kMonoTypeID, hostlib::StemFormat::Mono));
    AddEffectType(newType(kStereoTypeID, hostlib::StemFormat::Stereo));
}

}  // namespace adapter

hostlib::CEffectGroupMIDI* hostlib::CreateEffectGroup() { return new adapter::CVelastroWrapperGroup(); }
