// The adapter's answers to the effect's host callback. One VstCallBack per process object; the
// effect's AEffect user field points at it.
//
// Threads: automate, begin and end edit and update display come from the UI thread (the editor, a
// chunk restore); getTime may come from the audio thread and answers this object's own record.
#pragma once

#include "vst/aeffect.h"
#include "vst/aeffectx.h"

namespace adapter {

class CVelastroWrapperProcessRTAS;

constexpr VstIntPtr kHostVersionAnswer = 7;
constexpr VstInt32 kHostCurrentId = fourCharCode('A', 'A', 'S', 'H');
constexpr const char* kHostVendorString = "Corvane Rtas Wrapper";

class VstCallBack {
public:
    explicit VstCallBack(CVelastroWrapperProcessRTAS* process) : process_(process) {}
    VstCallBack(const VstCallBack&) = delete;
    VstCallBack& operator=(const VstCallBack&) = delete;

    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    // The record getTime fills (for tests).
    const VstTimeInfo& timeInfo() const { return timeInfo_; }

private:
    VstTimeInfo* getTime();

    CVelastroWrapperProcessRTAS* process_;
    VstTimeInfo timeInfo_{};
};

// The callback handed to the effect's entry.
VstIntPtr VSTCALLBACK HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt);

}  // namespace adapter
