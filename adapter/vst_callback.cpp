#include "adapter/vst_callback.h"

#include <cstring>

#include "adapter/wrapper_process.h"

namespace adapter {

VstIntPtr VSTCALLBACK HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    switch (opcode) {
        case audioMasterVersion: return kHostVersionAnswer;
        case audioMasterCurrentId: return kHostCurrentId;
        case audioMasterGetVendorString:
            if (ptr != nullptr) std::strcpy(static_cast<char*>(ptr), kHostVendorString);
            return 0;
        case audioMasterAutomate:
        case audioMasterGetTime:
        case audioMasterSizeWindow:
        case audioMasterGetSampleRate:
        case audioMasterUpdateDisplay:
        case audioMasterBeginEdit:
        case audioMasterEndEdit: {
            // Null while the effect is still being constructed inside its entry.
            auto* callback = effect != nullptr ? static_cast<VstCallBack*>(effect->user) : nullptr;
            return callback != nullptr ? callback->answer(opcode, index, value, ptr, opt) : 0;
        }
        default: return 0;
    }
}

VstIntPtr VstCallBack::answer(VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    switch (opcode) {
        case audioMasterAutomate: process_->automate(index, opt); return 0;
        case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(getTime());
        case audioMasterGetSampleRate: process_->resendSampleRate(); return 0;
        case audioMasterUpdateDisplay: process_->updateDisplay(); return 0;
        case audioMasterBeginEdit: process_->beginEdit(index); return 0;
        case audioMasterEndEdit: process_->endEdit(index); return 0;
        default: return 0;  // audioMasterSizeWindow: the host window does not change size
    }
}

VstTimeInfo* VstCallBack::getTime() {
    std::memset(&timeInfo_, 0, sizeof(timeInfo_));
    timeInfo_.sampleRate = static_cast<double>(static_cast<long long>(process_->GetSampleRate()));
    int tempo = 0;
    if (process_->tempo(&tempo)) {
        timeInfo_.tempo = static_cast<double>(tempo);
        timeInfo_.flags = kVstTempoValid;
    }
    return &timeInfo_;
}

}  // namespace adapter
