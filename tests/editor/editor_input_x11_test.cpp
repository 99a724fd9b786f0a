// The editor in a child of a stand-in host's X11 window, driven by real input (XTest) and pumped by the
// host's idle: what a drag, a right-button hold and typing into a value field tell the host.
#if !defined(_WIN32)
#include "real_input_fixture.h"

#include "gui/x_server_linux.h"
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace VSTGUI;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 267;
// Away from the screen's edges, so a drag of a few hundred pixels is not stopped by them.
constexpr int kHostX = 100, kHostY = 400;

class X11EditorInput : public RealInputEditor {
protected:
    void SetUp() override {
        TOVIN_REQUIRE_X_SERVER();
        RealInputEditor::SetUp();
        if (HasFatalFailure()) return;
        host_ = XOpenDisplay(nullptr);
        ASSERT_NE(host_, nullptr);
        const int screen = DefaultScreen(host_);
        window_ = XCreateSimpleWindow(host_, RootWindow(host_, screen), kHostX, kHostY, kWidth, kHeight, 0,
                                      BlackPixel(host_, screen), BlackPixel(host_, screen));
        XSelectInput(host_, window_, StructureNotifyMask);
        XMapWindow(host_, window_);
        XEvent event;
        do XWindowEvent(host_, window_, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        // The focus as a server without a window manager starts (or one that focuses under the pointer).
        XSetInputFocus(host_, PointerRoot, RevertToPointerRoot, CurrentTime);
        XSync(host_, False);
        ASSERT_EQ(handle->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window_)), 1);
        ASSERT_NE(frame(), nullptr);
        pumpFor(std::chrono::milliseconds(20));  // the first exposure
        HostRecorder::instance().clear();
    }
    void TearDown() override {
        // Nothing held into the next test.
        if (host_) {
            for (unsigned b : {Button1, Button3}) XTestFakeButtonEvent(host_, b, False, CurrentTime);
            XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, XK_Shift_L), False, CurrentTime);
            XSync(host_, False);
        }
        RealInputEditor::TearDown();
        if (host_) {
            XDestroyWindow(host_, window_);
            XCloseDisplay(host_);
        }
    }

    // The editor's X events are read in its idle, which pumpUntil calls.
    void pumpOnce() override {}

    void moveTo(CPoint framePoint) {
        int rootX = 0, rootY = 0;
        Window child;
        XTranslateCoordinates(host_, window_, DefaultRootWindow(host_), framePoint.x, framePoint.y, &rootX, &rootY,
                              &child);
        XTestFakeMotionEvent(host_, DefaultScreen(host_), rootX, rootY, CurrentTime);
        XSync(host_, False);
    }
    // Up from `from` in steps of `step` pixels, with an idle after each, as a hand moves.
    void dragUp(CPoint from, int pixels, int step = 20) {
        for (int dy = step; dy <= pixels; dy += step) {
            moveTo({from.x, from.y - dy});
            pumpFor(std::chrono::milliseconds(4));
        }
    }
    void button(unsigned number, bool down) {
        XTestFakeButtonEvent(host_, number, down, CurrentTime);
        XSync(host_, False);
    }
    void key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, keysym), down, CurrentTime);
        XSync(host_, False);
    }
    void tap(KeySym keysym) {
        key(keysym, true);
        key(keysym, false);
    }

    Display* host_ = nullptr;
    Window window_ = 0;
};

TEST_F(X11EditorInput, ADragOnBell2GainChangesParameter7InOneGestureAndShiftMakesItTwentyTimesFiner) {
    auto* knob = controlAs<CBoutonRotatif>(param::kB2Gain);
    ASSERT_NE(knob, nullptr);
    const CPoint at = centreOf<CBoutonRotatif>(param::kB2Gain);

    // 60 px up of the 200 that cover the range.
    moveTo(at);
    button(Button1, true);
    ASSERT_TRUE(pumpUntil([] { return !callsFor(param::kB2Gain).empty(); })) << "the press never reached the knob";
    dragUp(at, 60);
    ASSERT_TRUE(pumpUntil([&] { return std::abs(knob->getValue() - 0.8f) < 1e-5f; })) << knob->getValue();
    EXPECT_EQ(count(callsFor(param::kB2Gain), audioMasterEndEdit), 0);  // still held
    button(Button1, false);
    ASSERT_TRUE(pumpUntil([] { return count(callsFor(param::kB2Gain), audioMasterEndEdit) > 0; }));
    EXPECT_NEAR(parameter(param::kB2Gain), 0.8f, 1e-5f);
    expectOneGesture(param::kB2Gain, 0.8f);

    // Shift held from the press: 200 px move 1/20 of the range.
    HostRecorder::instance().clear();
    handle->effect->setParameter(param::kB2Gain, 0.5f);
    pumpFor(std::chrono::milliseconds(4));
    moveTo(at);
    key(XK_Shift_L, true);
    button(Button1, true);
    ASSERT_TRUE(pumpUntil([] { return !callsFor(param::kB2Gain).empty(); }));
    dragUp(at, 200, 25);
    button(Button1, false);
    key(XK_Shift_L, false);
    ASSERT_TRUE(pumpUntil([] { return count(callsFor(param::kB2Gain), audioMasterEndEdit) > 0; }));
    EXPECT_NEAR(parameter(param::kB2Gain), 0.55f, 1e-5f);
    expectOneGesture(param::kB2Gain, 0.55f);

    // Shift pressed and let go mid-drag, the pointer still: no jump, each stretch at its own speed.
    HostRecorder::instance().clear();
    handle->effect->setParameter(param::kB2Gain, 0.5f);
    moveTo(at);
    button(Button1, true);
    dragUp(at, 40);  // +0.2
    ASSERT_TRUE(pumpUntil([&] { return std::abs(knob->getValue() - 0.7f) < 1e-5f; })) << knob->getValue();
    key(XK_Shift_L, true);
    pumpFor(std::chrono::milliseconds(10));
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-5f);
    dragUp({at.x, at.y - 40}, 100);  // +0.025
    ASSERT_TRUE(pumpUntil([&] { return std::abs(knob->getValue() - 0.725f) < 1e-5f; })) << knob->getValue();
    key(XK_Shift_L, false);
    pumpFor(std::chrono::milliseconds(10));
    EXPECT_NEAR(knob->getValue(), 0.725f, 1e-5f);
    dragUp({at.x, at.y - 140}, 20);  // +0.1
    button(Button1, false);
    ASSERT_TRUE(pumpUntil([] { return count(callsFor(param::kB2Gain), audioMasterEndEdit) > 0; }));
    EXPECT_NEAR(parameter(param::kB2Gain), 0.825f, 1e-5f);
    expectOneGesture(param::kB2Gain, 0.825f);
}

TEST_F(X11EditorInput, ARightButtonHoldTurnsAnOffBandOnOnlyWhileHeld) {
    ASSERT_NE(controlAs<CSwitch>(param::kB2On), nullptr);
    moveTo(centreOf<CSwitch>(param::kB2On));
    button(Button3, true);
    ASSERT_TRUE(pumpUntil([&] { return parameter(param::kB2On) >= 0.5f; })) << "the hold did not turn Bell 2 on";
    pumpFor(std::chrono::milliseconds(30));
    EXPECT_GE(parameter(param::kB2On), 0.5f);  // on for as long as it is held
    button(Button3, false);
    ASSERT_TRUE(pumpUntil([&] { return parameter(param::kB2On) < 0.5f; })) << "the release left Bell 2 on";
    // Switches are not automated (automation class 1): the host reads them, as above.
    EXPECT_EQ(count(callsFor(param::kB2On), audioMasterAutomate), 0);
}

TEST_F(X11EditorInput, AClickedValueFieldTakesTheKeysReturnCommitsAndEscapeCancels) {
    auto* field = controlAs<CEditTexte>(param::kB2Gain);
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->isShown());
    const CPoint at = centreOf<CEditTexte>(param::kB2Gain);
    const std::string shown = displayText(param::kB2Gain);

    moveTo(at);
    button(Button1, true);
    button(Button1, false);
    ASSERT_TRUE(pumpUntil([&] { return frame()->getFocusView() == field; })) << "the click gave the field no focus";
    tap(XK_6);
    tap(XK_Return);
    ASSERT_TRUE(pumpUntil([&] { return !field->isEditingText(); })) << "Return did not end the edit";
    EXPECT_NEAR(toPhysical(param::kB2Gain, 0.0f, parameter(param::kB2Gain)), 6.0f, 1e-3f)
        << "shown before: \"" << shown << "\", now: \"" << displayText(param::kB2Gain) << "\"";
    EXPECT_EQ(displayText(param::kB2Gain), "6.0");
    EXPECT_TRUE(pumpUntil([&] { return field->getText() == "6.0"; })) << "the field shows \"" << field->getText() << "\"";
    EXPECT_GE(count(callsFor(param::kB2Gain), audioMasterAutomate), 1);
    EXPECT_EQ(frame()->getFocusView(), nullptr);

    // Escape: the typed text is dropped, nothing reaches the effect or the host.
    HostRecorder::instance().clear();
    const float before = parameter(param::kB2Gain);
    button(Button1, true);
    button(Button1, false);
    ASSERT_TRUE(pumpUntil([&] { return frame()->getFocusView() == field; }));
    tap(XK_3);
    tap(XK_Escape);
    ASSERT_TRUE(pumpUntil([&] { return !field->isEditingText(); })) << "Escape did not end the edit";
    EXPECT_EQ(parameter(param::kB2Gain), before);
    EXPECT_TRUE(callsFor(param::kB2Gain).empty());
    EXPECT_EQ(displayText(param::kB2Gain), "6.0");
    EXPECT_EQ(frame()->getFocusView(), nullptr);
}

}  // namespace
#endif
