// The update path: effect → controls on the editor's thread and from others, values out of range,
// the clip lamp, the wheel and the private host-window calls.
#include <gtest/gtest.h>

#include <thread>

#include "editor/own_controls.h"
#include "editor_harness.h"
#include "effect/parameter_tables.h"

using namespace VSTGUI;

TEST_F(EditorTest, ControlsShowTheEffectsValuesAndFollowItsChanges) {
    handle->effect->setParameter(param::kB2Freq, 0.25f);
    ASSERT_TRUE(open());
    auto* knob = controlAs<CBoutonRotatif>(param::kB2Freq);
    ASSERT_NE(knob, nullptr);
    EXPECT_FLOAT_EQ(knob->getValue(), handle->effect->getParameter(param::kB2Freq));
    handle->effect->setParameter(param::kB2Freq, 0.75f);  // on the editor's thread: at once
    EXPECT_FLOAT_EQ(knob->getValue(), handle->effect->getParameter(param::kB2Freq));

    // Both preset name fields (top strip and information panel) follow one tag.
    EXPECT_EQ(editor->guiInterface()->receivers(75).size(), 2u);
}

TEST_F(EditorTest, ChangesFromAnotherThreadWaitForTheNextIdle) {
    ASSERT_TRUE(open());
    auto* knob = controlAs<CBoutonRotatif>(param::kB3Gain);
    ASSERT_NE(knob, nullptr);
    const float before = knob->getValue();
    std::thread automation([&] { handle->effect->setParameter(param::kB3Gain, 0.9f); });
    automation.join();
    EXPECT_FLOAT_EQ(knob->getValue(), before);  // nothing touched from the other thread
    idle();
    EXPECT_FLOAT_EQ(knob->getValue(), handle->effect->getParameter(param::kB3Gain));
}

TEST_F(EditorTest, RawOptionCodesAndOutOfRangeValuesShowAValidFrame) {
    ASSERT_TRUE(open());
    // Values beyond the range pick the last frame, never one past the strip.
    EXPECT_EQ(CAnimKnob::frameFor(3.0f, 65), 64);
    EXPECT_EQ(CAnimKnob::frameFor(-1.0f, 65), 0);
    EXPECT_EQ(stripFrame(2.0f, 3), 2);
    EXPECT_EQ(stripFrame(1.0f, 3), 2);
    EXPECT_EQ(stripFrame(0.5f, 3), 1);
    editor->updateControlValue(param::kCoupleLevel, 3.0f);  // a raw three-position code
    editor->updateControlValue(param::kB1Gain, 7.0f);
    editor->setChannelMode(1);
    auto* level = controlAs<CSwitchXPos>(param::kCoupleLevel);
    ASSERT_NE(level, nullptr);
    EXPECT_LT(level->getValue(), 1.0f);
    EXPECT_LE(controlAs<CBoutonRotatif>(param::kB1Gain)->getValue(), 1.0f);
    frame()->renderAll();  // drawing them reads only inside their strips (AddressSanitizer)
}

TEST_F(EditorTest, WheelMovesTheKnobUnderThePointerByTheOptionsStep) {
    handle->effect->setParameter(param::kOptIncrWheel, 1.0f);  // 0.05 per wheel unit
    ASSERT_TRUE(open());
    auto* knob = controlAs<CBoutonRotatif>(param::kB2Gain);
    ASSERT_NE(knob, nullptr);
    const float start = knob->getValue();
    windows.last->setPointer({knob->frameRect().left + 10, knob->frameRect().top + 10});
    EXPECT_EQ(handle->dispatch(effVendorSpecific, fourCharCode('s', 't', 'C', 'A'), fourCharCode('W', 'h', 'e', 'e'), nullptr, 1.0f), 1);
    EXPECT_NEAR(knob->getValue(), start + 0.05f, 1e-5f);
    EXPECT_NEAR(handle->effect->getParameter(param::kB2Gain), knob->getValue(), 0.02f);
    windows.last->setButtons(kShift);
    const float fine = knob->getValue();
    EXPECT_EQ(handle->dispatch(-3, 0, 0, nullptr, -1.0f), 1);
    EXPECT_NEAR(knob->getValue(), fine - 0.0025f, 1e-5f);
}

TEST_F(EditorTest, HostWindowClickAndHelpPanelHideTheLampRefresh) {
    ASSERT_TRUE(open());
    // The help switch's click from an embedding window opens the help panel.
    EXPECT_EQ(handle->dispatch(-2, 607 + 14, 3 + 10), 1);
    EXPECT_TRUE(editor->isPanelShown(DravelEdit::PanelId::Help));
    EXPECT_EQ(handle->dispatch(-2, 607 + 14, 3 + 10), 1);
    EXPECT_FALSE(editor->isPanelShown(DravelEdit::PanelId::Help));
}

namespace {
// A host window that reports only the press (as the adapter does through its private click): then a
// pointer that moves up one pixel per poll while the left button is held, and lets go.
class DraggingPointer : public HeadlessWindowBackend {
public:
    DraggingPointer(WindowClient& client, CPoint start, int polls)
        : HeadlessWindowBackend(client), pointer_(start), polls_(polls) {}
    long currentButtons() override { return polls_-- > 0 ? long{kLButton} : 0L; }
    CPoint pointerPosition() override {
        pointer_.y -= 1;
        return pointer_;
    }

private:
    CPoint pointer_;
    int polls_;
};
}  // namespace

TEST_F(EditorTest, AHostWindowPressFollowsThePointerUntilReleaseAsOneGesture) {
    constexpr int kPolls = 100;  // half the knob's 200-pixel range
    const CPoint start{247 + 15, 203 + 16};  // Bell 2 gain
    DraggingPointer* pointer = nullptr;
    setWindowBackendFactory([&](const WindowParent&, int, int, WindowClient& client) {
        auto backend = std::make_unique<DraggingPointer>(client, start, kPolls);
        pointer = backend.get();
        return std::unique_ptr<WindowBackend>(std::move(backend));
    });
    handle->effect->setParameter(param::kB2Gain, 0.2f);
    ASSERT_TRUE(open());
    ASSERT_NE(pointer, nullptr);
    idle();
    const int presentsBefore = pointer->presentCount();
    HostRecorder::instance().clear();
    EXPECT_EQ(handle->dispatch(-2, start.x, start.y), 1);
    EXPECT_NEAR(handle->effect->getParameter(param::kB2Gain), 0.7f, 0.02f);
    // The window showed the knob as it turned.
    EXPECT_GT(pointer->presentCount() - presentsBefore, kPolls / 2);
    auto& host = HostRecorder::instance();
    EXPECT_EQ(host.count(audioMasterBeginEdit), 1);
    EXPECT_EQ(host.count(audioMasterEndEdit), 1);
    EXPECT_GT(host.count(audioMasterAutomate), kPolls / 2);
}
