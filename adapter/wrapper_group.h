// The product as the host sees it: Corvane's Tovin in a mono and a stereo type. UI thread.
#pragma once

#include "hostlib/effect_group.h"
#include "hostlib/settings.h"

namespace adapter {

constexpr int32_t kManufacturerID = hostlib::fourCC('V', 'r', 'a', 'x');
constexpr const char* kManufacturerNames = "Corvane\nCorvane\n";
constexpr const char* kProductNames = "Tovin\nTovin";
constexpr int32_t kProductVersion = 1;
constexpr int32_t kProductID = hostlib::fourCC('t', 'o', 'v', 'n');
constexpr int32_t kMonoTypeID = hostlib::fourCC('M', 'o', 'n', 'o');
constexpr int32_t kStereoTypeID = hostlib::fourCC('S', 't', 'e', 'r');
constexpr const char* kTypeName = "Tovin";
constexpr const char* kPageTableResource = "MonoPageTables";
constexpr int32_t kSampleRateSupport = hostlib::kSampleRate44100 | hostlib::kSampleRate48000;
constexpr int32_t kTypeProperties[] = {hostlib::kTypePropertyMasterBypass, hostlib::kTypePropertyChunks,
                                       hostlib::kTypePropertyMidiNode};

class CVelastroWrapperGroup : public hostlib::CEffectGroupMIDI {
public:
    CVelastroWrapperGroup();
};

}  // namespace adapter
