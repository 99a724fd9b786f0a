// Open, close and re-open; panels after re-opening; the shared bitmap cache.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "editor/bitmap_cache.h"
#include "editor_harness.h"

using Panel = DravelEdit::PanelId;

TEST_F(EditorTest, ReopeningBuildsANewFrameWithPanelsHiddenButTheSidePanelInChannelModes) {
    ASSERT_TRUE(open());
    VSTGUI::CFrame* first = frame();
    ASSERT_NE(first, nullptr);
    editor->showPanel(Panel::Help);
    editor->showPanel(Panel::About);
    close();
    EXPECT_EQ(frame(), nullptr);
    EXPECT_FALSE(editor->isOpen());

    ASSERT_TRUE(open());
    EXPECT_NE(frame(), nullptr);
    EXPECT_FALSE(editor->isPanelShown(Panel::Help));
    EXPECT_FALSE(editor->isPanelShown(Panel::About));
    EXPECT_FALSE(editor->isPanelShown(Panel::Side));
    EXPECT_NE(control(0), nullptr);
    close();

    // In left/right mode the side panel comes back with the editor.
    handle->effect->state().slot[handle->effect->activeSlotIndex()].info.channelMode = kChannelModeLeftRight;
    ASSERT_TRUE(open());
    EXPECT_TRUE(editor->isPanelShown(Panel::Side));
    EXPECT_TRUE(editor->sidePanelLeftRight());
    close();
    handle->effect->state().slot[handle->effect->activeSlotIndex()].info.channelMode = kChannelModeMidSide;
    ASSERT_TRUE(open());
    EXPECT_TRUE(editor->isPanelShown(Panel::Side));
    EXPECT_TRUE(editor->sidePanelMidSide());
}

TEST_F(EditorTest, HundredOpenCloseCyclesWithPanelsAndHiddenControls) {
    // Leaks show under AddressSanitizer; here every cycle must build a complete editor again.
    for (int cycle = 0; cycle < 100; ++cycle) {
        ASSERT_TRUE(open());
        ASSERT_NE(control(20), nullptr);
        if (cycle % 2 == 0) editor->showPanel(Panel::Info);
        if (cycle % 3 == 0) editor->setChannelMode(2);
        if (cycle % 5 == 0) editor->showElement(20, false);  // a knob hidden at close
        idle();
        close();
    }
    ASSERT_TRUE(open());
    EXPECT_NE(control(20), nullptr);
}

TEST_F(EditorTest, TwoEditorsShareTheBitmapCacheUntilTheLastIsDestroyed) {
    ASSERT_TRUE(open());
    const int held = bitmap_cache::size();
    EXPECT_GT(held, 50);
    {
        EffectHandle second;
        ASSERT_NE(second.effect, nullptr);
        ASSERT_EQ(second.dispatch(effEditOpen, 0, 0, nullptr), 1);
        EXPECT_EQ(bitmap_cache::size(), held);  // nothing loaded twice
        second.dispatch(effEditClose);
    }
    // The second editor is gone; the first still draws from the same pictures.
    EXPECT_EQ(bitmap_cache::size(), held);
    frame()->renderAll();
    close();
    handle.reset();
    EXPECT_EQ(bitmap_cache::size(), 0);
}

TEST_F(EditorTest, EditorCallsWithoutAnOpenFrameAnswerZero) {
    HostRect16 rect{0, 0, 10, 10};
    EXPECT_EQ(handle->dispatch(-1, 0, 0, &rect), 0);
    EXPECT_EQ(handle->dispatch(-2, 10, 10), 0);
    EXPECT_EQ(handle->dispatch(-3, 0, 0, nullptr, 1.0f), 0);
    EXPECT_EQ(handle->dispatch(effVendorSpecific, fourCharCode('s', 't', 'C', 'A'), fourCharCode('W', 'h', 'e', 'e'), nullptr, 1.0f), 0);
    EXPECT_EQ(handle->dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    handle->dispatch(effEditIdle);
    handle->dispatch(effEditClose);
    // The effect's notifications are harmless while closed.
    editor->updateControlValue(5, 0.3f);
    editor->showElement(111, true);
    editor->setControlVariant(73, 1);
    editor->setChannelMode(1);

    ASSERT_TRUE(open());
    EXPECT_EQ(handle->dispatch(-2, 600, 260), 1);
    EXPECT_EQ(handle->dispatch(-1, 0, 0, nullptr), 0);
    EXPECT_EQ(handle->dispatch(-1, 0, 0, &rect), 0);
}

TEST_F(EditorTest, ARestoredChunkInLeftRightModeShowsTheSidePanelAndLinkedModeHidesIt) {
    ASSERT_TRUE(open());
    EffectState& state = handle->effect->state();
    const auto restoreWithMode = [&](int32_t mode) {
        state.slot[handle->effect->activeSlotIndex()].info.channelMode = mode;
        void* data = nullptr;
        const auto size = handle->dispatch(effGetChunk, 0, 0, &data);
        ASSERT_GT(size, 0);
        const std::vector<char> copy(static_cast<char*>(data), static_cast<char*>(data) + size);
        handle->dispatch(effSetChunk, 0, size, const_cast<char*>(copy.data()));
    };
    restoreWithMode(kChannelModeLeftRight);
    EXPECT_TRUE(editor->isPanelShown(Panel::Side));
    EXPECT_TRUE(editor->sidePanelLeftRight());
    restoreWithMode(kChannelModeLinked);
    EXPECT_FALSE(editor->isPanelShown(Panel::Side));
    // From another thread the change waits for the editor's idle.
    std::thread host([&] { restoreWithMode(kChannelModeMidSide); });
    host.join();
    EXPECT_FALSE(editor->isPanelShown(Panel::Side));
    idle();
    EXPECT_TRUE(editor->isPanelShown(Panel::Side));
    EXPECT_TRUE(editor->sidePanelMidSide());
}
