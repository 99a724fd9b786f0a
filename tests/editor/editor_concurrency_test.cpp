// An open editor while audio runs and another thread automates every parameter: the editor's thread
// alone touches the controls (ThreadSanitizer runs the tests named Concurrency).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "editor/own_controls.h"
#include "editor_harness.h"
#include "effect/parameter_tables.h"

using EditorConcurrency = EditorTest;

TEST_F(EditorConcurrency, AutomationAndAudioWhileTheEditorIdles) {
    ASSERT_TRUE(open());
    handle->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    handle->dispatch(effSetBlockSize, 0, 256);
    handle->dispatch(effMainsChanged, 0, 1);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> left(256), right(256), outLeft(256), outRight(256);
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        while (!stop.load()) handle->aeffect->processReplacing(handle->aeffect, in, out, 256);
    });
    std::thread automation([&] {
        for (int pass = 0; pass < 200; ++pass)
            for (int index = 0; index < param::kNumHostParams; ++index)
                handle->aeffect->setParameter(handle->aeffect, index, static_cast<float>((pass + index) % 10) / 10.0f);
        for (int index = 0; index < param::kNumHostParams; ++index)
            handle->aeffect->setParameter(handle->aeffect, index, 0.3f);
    });
    for (int i = 0; i < 200; ++i) idle();
    automation.join();
    stop = true;
    audio.join();
    idle();
    // Every knob shows the final value the effect holds.
    for (int index = 0; index <= param::kLastContinuous; ++index) {
        auto* knob = controlAs<CBoutonRotatif>(index);
        ASSERT_NE(knob, nullptr) << index;
        EXPECT_FLOAT_EQ(knob->getValue(), handle->effect->getParameter(index)) << index;
    }
}

TEST_F(EditorConcurrency, HostAutomationLandsWhileTheUserDragsAnotherKnob) {
    for (int option : {param::kOptSnapFreq, param::kOptSnapRes, param::kOptSnapGain})
        handle->effect->setParameter(option, 0.0f);
    handle->effect->setParameter(param::kB2Gain, 0.0f);
    ASSERT_TRUE(open());
    const VSTGUI::CPoint at = centreOf(param::kB2Gain);
    std::atomic<bool> stop{false};
    std::thread automation([&] {
        int pass = 0;
        while (!stop.load())
            handle->aeffect->setParameter(handle->aeffect, param::kB4Freq, static_cast<float>(pass++ % 10) / 10.0f);
        handle->aeffect->setParameter(handle->aeffect, param::kB4Freq, 0.25f);
    });
    press(at, VSTGUI::kLButton);
    for (int step = 1; step <= 100; ++step) {
        move({at.x, at.y - step}, VSTGUI::kLButton);
        idle();
    }
    release({at.x, at.y - 100});
    stop = true;
    automation.join();
    idle();
    // Both land: the drag's value and the host's, each shown by its knob.
    EXPECT_NEAR(handle->effect->getParameter(param::kB2Gain), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kB4Freq), 0.25f);
    EXPECT_FLOAT_EQ(controlAs<CBoutonRotatif>(param::kB4Freq)->getValue(), 0.25f);
    EXPECT_NEAR(controlAs<CBoutonRotatif>(param::kB2Gain)->getValue(), 0.5f, 1e-5f);
}
