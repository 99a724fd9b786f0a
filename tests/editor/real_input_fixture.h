// The editor opened as a host opens it, through the effect's dispatcher in a real window, for tests that
// drive it with the platform's own input (XTest, SendInput) and look at what the host is told.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "editor/dravel_edit.h"
#include "editor/interface_gui.h"
#include "editor/own_controls.h"
#include "effect/host_recorder.h"
#include "effect/parameter_mapping.h"
#include "effect/parameter_tables.h"
#include "gui/frame.h"
#include "gui/real_input_lock.h"
#include "platform/platform.h"
#include "presets/test_directory.h"

class RealInputEditor : public ::testing::Test {
protected:
    static constexpr auto kEventWait = std::chrono::seconds(3);

    void SetUp() override {
        platform::setMessageBoxHandler([](const char*, const char*) {});
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", directory.path().c_str(), 1);
#endif
        handle = std::make_unique<EffectHandle>();
        ASSERT_NE(handle->effect, nullptr);
        // Unsnapped, so the effect keeps exactly what the knob sends; the value rows shown.
        for (int option : {param::kOptSnapFreq, param::kOptSnapRes, param::kOptSnapGain})
            handle->effect->setParameter(option, 0.0f);
        handle->effect->setParameter(param::kOptDisplayVal, 1.0f);
        handle->effect->setParameter(param::kB2Gain, 0.5f);  // 0 dB
        handle->effect->setParameter(param::kB2On, 0.0f);
    }
    void TearDown() override {
        if (handle) handle->dispatch(effEditClose);
        handle.reset();
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", "", 1);
#endif
        platform::setMessageBoxHandler(nullptr);
    }

    DravelEdit* editor() const { return dynamic_cast<DravelEdit*>(handle->effect->getEditor()); }
    VSTGUI::CFrame* frame() const { return editor()->getFrame(); }

    // The first control of kind T under `tag`.
    template <typename T>
    T* controlAs(int tag) const {
        for (CReceptionMiseAJourComposant* r : editor()->guiInterface()->receivers(tag))
            if (auto* own = dynamic_cast<OwnControl*>(r))
                if (auto* view = dynamic_cast<T*>(&own->view())) return view;
        return nullptr;
    }
    template <typename T>
    VSTGUI::CPoint centreOf(int tag) const {
        const VSTGUI::CRect r = controlAs<T>(tag)->frameRect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // Runs the platform's event delivery and the host's idle until `done` holds or the wait runs out.
    virtual void pumpOnce() = 0;
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds wait = kEventWait) {
        const auto end = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < end) {
            pumpOnce();
            handle->dispatch(effEditIdle);
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // A short while of idling, for what must not happen.
    void pumpFor(std::chrono::milliseconds wait) {
        pumpUntil([] { return false; }, wait);
    }

    // As the host reads it, through the module's entry.
    float parameter(int index) const { return handle->aeffect->getParameter(handle->aeffect, index); }
    std::string displayText(int index) const {
        const char* text = handle->effect->displayText(index);
        return text != nullptr ? text : "";
    }

    static std::vector<HostCall> callsFor(int index) {
        std::vector<HostCall> calls;
        for (const HostCall& c : HostRecorder::instance().calls())
            if (c.index == index &&
                (c.opcode == audioMasterAutomate || c.opcode == audioMasterBeginEdit || c.opcode == audioMasterEndEdit))
                calls.push_back(c);
        return calls;
    }
    static int count(const std::vector<HostCall>& calls, VstInt32 opcode) {
        int n = 0;
        for (const HostCall& c : calls) n += c.opcode == opcode;
        return n;
    }

    // One gesture as the host sees it for `index`: begin edit, automated changes, end edit, the last
    // change carrying `last`.
    static void expectOneGesture(int index, float last) {
        const std::vector<HostCall> calls = callsFor(index);
        ASSERT_GE(calls.size(), 3u) << "index " << index;
        EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
        EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
        EXPECT_EQ(count(calls, audioMasterBeginEdit), 1);
        EXPECT_EQ(count(calls, audioMasterEndEdit), 1);
        EXPECT_EQ(count(calls, audioMasterAutomate), static_cast<int>(calls.size()) - 2);
        EXPECT_NEAR(calls[calls.size() - 2].opt, last, 1e-5f);
    }

    tovin_test::RealInputLock inputLock;  // first in, last out
    TestDirectory directory;
    std::unique_ptr<EffectHandle> handle;
};
