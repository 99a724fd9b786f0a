// A minimal host for effect tests: answers the version query and records every callback.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "effect/dravel.h"

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

class HostRecorder {
public:
    static VstIntPtr VSTCALLBACK callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                                          float opt) {
        HostRecorder& host = instance();
        std::lock_guard<std::mutex> lock(host.mutex_);
        host.calls_.push_back({opcode, index, value, opt});
        if (opcode == audioMasterVersion) return host.versionAnswer;
        if (opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit) return 1;
        return 0;
    }

    static HostRecorder& instance() {
        static HostRecorder host;
        return host;
    }

    std::vector<HostCall> calls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    int count(VstInt32 opcode) {
        int n = 0;
        for (const HostCall& c : calls())
            if (c.opcode == opcode) ++n;
        return n;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.clear();
    }

    VstIntPtr versionAnswer = 2400;

private:
    std::mutex mutex_;
    std::vector<HostCall> calls_;
};

// The effect as a host gets it, deleted through the host's close path.
struct EffectHandle {
    EffectHandle() {
        HostRecorder::instance().versionAnswer = 2400;
        aeffect = CDravel::createEffect(&HostRecorder::callback);
        effect = aeffect != nullptr ? static_cast<CDravel*>(aeffect->object) : nullptr;
    }
    ~EffectHandle() {
        if (aeffect != nullptr) aeffect->dispatcher(aeffect, effClose, 0, 0, nullptr, 0.0f);
    }
    EffectHandle(const EffectHandle&) = delete;
    EffectHandle& operator=(const EffectHandle&) = delete;

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
    }

    AEffect* aeffect = nullptr;
    CDravel* effect = nullptr;
};

// Records what the effect tells its editor.
class ListenerRecorder : public EffectListener {
public:
    void parameterChanged(int32_t index, float value) override { changes.push_back({index, value}); }
    std::vector<std::pair<int, float>> changes;
};
