// The editor as a host reaches it through the module's entry: its size, a window-less open (a host
// without a display), idle while parameters change, the private adapter opcodes, close and re-open.
#include <gtest/gtest.h>

#include "plugin_under_test.h"

TEST(PluginEditor, OpensWithoutAWindowAndFollowsTheHostsChanges) {
    auto host = integration::loadPlugin();
    ASSERT_NE(host, nullptr);
    AEffect* effect = host->effect();
    EXPECT_NE(effect->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 640);
    EXPECT_EQ(rect->bottom - rect->top, 267);

    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_EQ(host->dispatch(effEditOpen, 0, 0, nullptr), 1);
        for (VstInt32 index = 0; index < integration::kNumParams; ++index) {
            effect->setParameter(effect, index, 0.4f);
            host->dispatch(effEditIdle);
        }
        // An embedding host's redraw and click reach the open editor.
        EXPECT_EQ(host->dispatch(-2, 320, 260), 1);
        EXPECT_EQ(host->dispatch(-1, 0, 0, nullptr), 0);
        host->dispatch(effEditClose);
        EXPECT_EQ(host->dispatch(-2, 320, 260), 0);
    }
}
