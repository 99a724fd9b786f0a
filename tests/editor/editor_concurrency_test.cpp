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
