// An effect with its editor opened on a headless window, as a host would open it with no display.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "editor/dravel_edit.h"
#include "editor/interface_gui.h"
#include "effect/host_recorder.h"
#include "gui/frame.h"
#include "gui/window_backend.h"
#include "platform/platform.h"
#include "presets/test_directory.h"

// Every frame opened while this lives gets a scriptable headless back end; the last one is kept.
class HeadlessWindows {
public:
    HeadlessWindows() {
        VSTGUI::setWindowBackendFactory([this](const VSTGUI::WindowParent&, int, int, VSTGUI::WindowClient& client) {
            auto backend = std::make_unique<VSTGUI::HeadlessWindowBackend>(client);
            last = backend.get();
            this->client = &client;
            return std::unique_ptr<VSTGUI::WindowBackend>(std::move(backend));
        });
    }
    ~HeadlessWindows() { VSTGUI::setWindowBackendFactory(nullptr); }
    HeadlessWindows(const HeadlessWindows&) = delete;
    HeadlessWindows& operator=(const HeadlessWindows&) = delete;

    VSTGUI::HeadlessWindowBackend* last = nullptr;
    VSTGUI::WindowClient* client = nullptr;  // the last frame, as its window sees it
};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setMessageBoxHandler([](const char*, const char*) {});
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", directory.path().c_str(), 1);
#endif
        handle = std::make_unique<EffectHandle>();
        ASSERT_NE(handle->effect, nullptr);
        editor = dynamic_cast<DravelEdit*>(handle->effect->getEditor());
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override {
        handle.reset();
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", "", 1);
#endif
        platform::setMessageBoxHandler(nullptr);
    }

    bool open() { return handle->dispatch(effEditOpen, 0, 0, nullptr) == 1; }
    void close() { handle->dispatch(effEditClose); }
    void idle() { handle->dispatch(effEditIdle); }
    VSTGUI::CFrame* frame() const { return editor->getFrame(); }
    // The first control registered under `tag`, as a view.
    VSTGUI::CView* control(int tag) const {
        for (CReceptionMiseAJourComposant* r : editor->guiInterface()->receivers(tag))
            if (auto* own = dynamic_cast<OwnControl*>(r)) return &own->view();
        return nullptr;
    }
    template <typename T>
    T* controlAs(int tag) const {
        return dynamic_cast<T*>(control(tag));
    }
    // The middle of the first control under `tag`, in frame pixels.
    VSTGUI::CPoint centreOf(int tag) const {
        const VSTGUI::CRect r = control(tag)->frameRect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // Mouse input as the window delivers it: a press, moves with what is held, the release.
    void press(VSTGUI::CPoint p, long buttons) { windows.client->windowMouseDown(p, buttons); }
    void move(VSTGUI::CPoint p, long buttons) { windows.client->windowMouseMoved(p, buttons); }
    void release(VSTGUI::CPoint p, long heldAfter = 0) { windows.client->windowMouseUp(p, heldAfter); }
    void click(int tag, long buttons) {
        press(centreOf(tag), buttons);
        release(centreOf(tag));
    }

    TestDirectory directory;
    HeadlessWindows windows;
    std::unique_ptr<EffectHandle> handle;
    DravelEdit* editor = nullptr;
};
