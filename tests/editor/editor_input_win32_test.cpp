// The editor in a child of a stand-in host's window under Wine, driven by real input (SetCursorPos and
// SendInput, which reach the window under the cursor and the key state the editor reads): what a drag,
// a right-button hold and typing into a value field's EDIT control tell the host.
#if defined(_WIN32)
#include <windows.h>

#include "real_input_fixture.h"

using namespace VSTGUI;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 267;
// Off the origin, so screen and frame points differ; far enough from the edges for the drags.
constexpr int kHostX = 100, kHostY = 400;
constexpr const wchar_t* kHostClass = L"TovinInputTestHost";

class Win32EditorInput : public RealInputEditor {
protected:
    void SetUp() override {
        RealInputEditor::SetUp();
        if (HasFatalFailure()) return;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kHostClass;
        RegisterClassExW(&wc);
        // Sent input goes to whatever window is under the cursor: keep other programs' windows below ours.
        host_ = CreateWindowExW(WS_EX_TOPMOST, kHostClass, L"host", WS_POPUP | WS_VISIBLE, kHostX, kHostY, kWidth,
                                kHeight, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(host_, nullptr);
        ASSERT_EQ(handle->dispatch(effEditOpen, 0, 0, host_), 1);
        ASSERT_NE(frame(), nullptr);
        child_ = static_cast<HWND>(frame()->backend()->nativeHandle());
        ASSERT_NE(child_, nullptr);
        pumpFor(std::chrono::milliseconds(20));
        HostRecorder::instance().clear();
    }
    void TearDown() override {
        // Nothing held into the next test.
        if (host_) {
            mouse(MOUSEEVENTF_LEFTUP);
            mouse(MOUSEEVENTF_RIGHTUP);
            keyboard(VK_SHIFT, false);
        }
        RealInputEditor::TearDown();
        if (host_) DestroyWindow(host_);
    }

    void pumpOnce() override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    POINT screenPoint(CPoint framePoint) const {
        POINT p{framePoint.x, framePoint.y};
        ClientToScreen(child_, &p);
        return p;
    }
    void moveTo(CPoint framePoint) {
        const POINT p = screenPoint(framePoint);
        SetCursorPos(p.x, p.y);
    }
    // Up from `from` in steps of `step` pixels, with an idle after each, as a hand moves.
    void dragUp(CPoint from, int pixels, int step = 20) {
        for (int dy = step; dy <= pixels; dy += step) {
            moveTo({from.x, from.y - dy});
            pumpFor(std::chrono::milliseconds(4));
        }
    }
    static void mouse(DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
    }
    static void keyboard(WORD key, bool down) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
    }
    static void tap(WORD key) {
        keyboard(key, true);
        keyboard(key, false);
    }
    HWND editControl() const { return FindWindowExW(child_, nullptr, L"EDIT", nullptr); }

    HWND host_ = nullptr;
    HWND child_ = nullptr;
};

TEST_F(Win32EditorInput, ADragOnBell2GainChangesParameter7InOneGestureAndShiftMakesItTwentyTimesFiner) {
    auto* knob = controlAs<CBoutonRotatif>(param::kB2Gain);
    ASSERT_NE(knob, nullptr);
    const CPoint at = centreOf<CBoutonRotatif>(param::kB2Gain);
    ASSERT_EQ(WindowFromPoint(screenPoint(at)), child_);

    // 60 px up of the 200 that cover the range.
    moveTo(at);
    mouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(pumpUntil([] { return !callsFor(param::kB2Gain).empty(); })) << "the press never reached the knob";
    dragUp(at, 60);
    ASSERT_TRUE(pumpUntil([&] { return std::abs(knob->getValue() - 0.8f) < 1e-5f; })) << knob->getValue();
    EXPECT_EQ(count(callsFor(param::kB2Gain), audioMasterEndEdit), 0);  // still held
    mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(pumpUntil([] { return count(callsFor(param::kB2Gain), audioMasterEndEdit) > 0; }));
    EXPECT_NEAR(parameter(param::kB2Gain), 0.8f, 1e-5f);
    expectOneGesture(param::kB2Gain, 0.8f);

    // Shift held from the press: 200 px move 1/20 of the range.
    HostRecorder::instance().clear();
    handle->effect->setParameter(param::kB2Gain, 0.5f);
    moveTo(at);
    keyboard(VK_SHIFT, true);
    mouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(pumpUntil([] { return !callsFor(param::kB2Gain).empty(); }));
    dragUp(at, 200, 25);
    mouse(MOUSEEVENTF_LEFTUP);
    keyboard(VK_SHIFT, false);
    ASSERT_TRUE(pumpUntil([] { return count(callsFor(param::kB2Gain), audioMasterEndEdit) > 0; }));
    EXPECT_NEAR(parameter(param::kB2Gain), 0.55f, 1e-5f);
    expectOneGesture(param::kB2Gain, 0.55f);

    // Shift pressed and let go mid-drag, the cursor still: no jump, each stretch at its own speed.
    HostRecorder::instance().clear();
    handle->effect->setParameter(param::kB2Gain, 0.5f);
    moveTo(at);
    mouse(MOUSEEVENTF_LEFTDOWN);
    dragUp(at, 40);  // +0.2
    ASSERT_TRUE(pumpUntil([&] { return std::abs(knob->getValue() - 0.7f) < 1e-5f; })) << knob->getValue();
    keyboard(VK_SHIFT, true);
    pumpFor(std::chrono::milliseconds(10));
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-5f);
    dragUp({at.x, at.y - 40}, 100);  // +0.025
    ASSERT_TRUE(pumpUntil([&] { return std::abs(knob->getValue() - 0.725f) < 1e-5f; })) << knob->getValue();
    keyboard(VK_SHIFT, false);
    pumpFor(std::chrono::milliseconds(10));
    EXPECT_NEAR(knob->getValue(), 0.725f, 1e-5f);
    dragUp({at.x, at.y - 140}, 20);  // +0.1
    mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(pumpUntil([] { return count(callsFor(param::kB2Gain), audioMasterEndEdit) > 0; }));
    EXPECT_NEAR(parameter(param::kB2Gain), 0.825f, 1e-5f);
    expectOneGesture(param::kB2Gain, 0.825f);
}

TEST_F(Win32EditorInput, ARightButtonHoldTurnsAnOffBandOnOnlyWhileHeld) {
    ASSERT_NE(controlAs<CSwitch>(param::kB2On), nullptr);
    moveTo(centreOf<CSwitch>(param::kB2On));
    mouse(MOUSEEVENTF_RIGHTDOWN);
    ASSERT_TRUE(pumpUntil([&] { return parameter(param::kB2On) >= 0.5f; })) << "the hold did not turn Bell 2 on";
    pumpFor(std::chrono::milliseconds(30));
    EXPECT_GE(parameter(param::kB2On), 0.5f);  // on for as long as it is held
    mouse(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(pumpUntil([&] { return parameter(param::kB2On) < 0.5f; })) << "the release left Bell 2 on";
    // Switches are not automated (automation class 1): the host reads them, as above.
    EXPECT_EQ(count(callsFor(param::kB2On), audioMasterAutomate), 0);
}

TEST_F(Win32EditorInput, AClickedValueFieldTypesIntoItsEditControlReturnCommitsAndEscapeCancels) {
    auto* field = controlAs<CEditTexte>(param::kB2Gain);
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->isShown());
    const CPoint at = centreOf<CEditTexte>(param::kB2Gain);
    const std::string shown = displayText(param::kB2Gain);

    moveTo(at);
    mouse(MOUSEEVENTF_LEFTDOWN);
    mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(pumpUntil([&] { return editControl() != nullptr && GetFocus() == editControl(); }))
        << "the click opened no focused EDIT control";
    tap('6');
    tap(VK_RETURN);
    ASSERT_TRUE(pumpUntil([&] { return editControl() == nullptr; })) << "Return did not end the edit";
    EXPECT_FALSE(field->isEditingText());
    EXPECT_NEAR(toPhysical(param::kB2Gain, 0.0f, parameter(param::kB2Gain)), 6.0f, 1e-3f)
        << "shown before: \"" << shown << "\", now: \"" << displayText(param::kB2Gain) << "\"";
    EXPECT_EQ(displayText(param::kB2Gain), "6.0");
    EXPECT_TRUE(pumpUntil([&] { return field->getText() == "6.0"; })) << "the field shows \"" << field->getText() << "\"";
    EXPECT_GE(count(callsFor(param::kB2Gain), audioMasterAutomate), 1);
    EXPECT_EQ(frame()->getFocusView(), nullptr);

    // Escape: the typed text is dropped, nothing reaches the effect or the host.
    HostRecorder::instance().clear();
    const float before = parameter(param::kB2Gain);
    mouse(MOUSEEVENTF_LEFTDOWN);
    mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(pumpUntil([&] { return editControl() != nullptr && GetFocus() == editControl(); }));
    tap('3');
    tap(VK_ESCAPE);
    ASSERT_TRUE(pumpUntil([&] { return editControl() == nullptr; })) << "Escape did not end the edit";
    EXPECT_FALSE(field->isEditingText());
    EXPECT_EQ(parameter(param::kB2Gain), before);
    EXPECT_TRUE(callsFor(param::kB2Gain).empty());
    EXPECT_EQ(displayText(param::kB2Gain), "6.0");
    EXPECT_EQ(frame()->getFocusView(), nullptr);
}

}  // namespace
#endif
