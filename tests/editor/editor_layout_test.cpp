// Every control at its place with its size and tag, and the pixels it draws where it sits.
#include <gtest/gtest.h>

#include <array>

#include "editor/bitmap_cache.h"
#include "editor/own_controls.h"
#include "editor_harness.h"
#include "gui/bitmap.h"

using namespace VSTGUI;

namespace {

struct Expected {
    int tag;
    int x, y;       // top-left in the frame
    int minWidth;   // the skin table gives some widths as a range
    int maxWidth;
    int height;
};

// The main frame's controls, with the sizes of their pictures' frames.
constexpr std::array<Expected, 44> kMainFrame{{
    // top strip
    {69, 5, 3, 44, 44, 21}, {74, 53, 7, 94, 94, 15}, {70, 152, 3, 45, 45, 21}, {75, 201, 7, 94, 94, 15},
    {73, 300, 3, 38, 38, 21}, {106, 363, 3, 39, 39, 21}, {107, 406, 3, 39, 39, 21}, {71, 449, 3, 39, 39, 21},
    {82, 513, 3, 69, 69, 21}, {110, 607, 3, 28, 28, 21},
    // on switches
    {21, 130, 37, 44, 44, 25}, {23, 186, 37, 44, 44, 25}, {25, 242, 37, 44, 44, 25}, {26, 299, 37, 44, 44, 25},
    {27, 355, 37, 44, 44, 25}, {28, 412, 37, 44, 44, 25}, {30, 468, 37, 44, 44, 25}, {32, 551, 37, 44, 44, 25},
    // frequency knobs
    {0, 132, 89, 30, 34, 32}, {2, 190, 89, 30, 34, 32}, {5, 247, 89, 30, 34, 32}, {8, 305, 89, 30, 34, 32},
    {11, 361, 89, 30, 34, 32}, {14, 417, 89, 30, 34, 32}, {17, 474, 89, 30, 34, 32},
    // Q knobs
    {1, 134, 148, 28, 31, 28}, {3, 191, 148, 28, 31, 28}, {6, 249, 148, 28, 31, 28}, {9, 306, 148, 28, 31, 28},
    {12, 363, 148, 28, 31, 28}, {15, 419, 148, 28, 31, 28}, {18, 475, 148, 28, 31, 28},
    // gain knobs, Air, volume
    {4, 189, 203, 31, 33, 32}, {7, 247, 203, 31, 33, 32}, {10, 304, 203, 31, 33, 32}, {13, 361, 203, 31, 33, 32},
    {16, 417, 203, 31, 33, 32}, {19, 558, 89, 36, 36, 32}, {20, 558, 203, 36, 36, 32},
    // type switches, general on
    {22, 109, 151, 25, 25, 24}, {24, 164, 206, 25, 25, 24}, {29, 450, 206, 25, 25, 24}, {31, 506, 150, 25, 25, 24},
    {33, 552, 142, 43, 43, 40},
}};

void expectPlaced(const CView* view, const Expected& e) {
    ASSERT_NE(view, nullptr) << "tag " << e.tag;
    const CRect r = view->frameRect();
    EXPECT_EQ(r.left, e.x) << "tag " << e.tag;
    EXPECT_EQ(r.top, e.y) << "tag " << e.tag;
    EXPECT_GE(r.width(), e.minWidth) << "tag " << e.tag;
    EXPECT_LE(r.width(), e.maxWidth) << "tag " << e.tag;
    EXPECT_EQ(r.height(), e.height) << "tag " << e.tag;
}

}  // namespace

TEST_F(EditorTest, EveryMainFrameControlSitsAtItsPlaceWithItsSize) {
    ERect* rect = nullptr;
    ASSERT_EQ(handle->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 640);
    EXPECT_EQ(rect->bottom - rect->top, 267);
    EXPECT_NE(handle->aeffect->flags & effFlagsHasEditor, 0);

    ASSERT_TRUE(open());
    const auto onFrame = [&](int tag) -> CView* {
        for (CReceptionMiseAJourComposant* r : editor->guiInterface()->receivers(tag))
            if (auto* own = dynamic_cast<OwnControl*>(r); own != nullptr && own->view().getParentView() == frame())
                return &own->view();
        return nullptr;
    };
    for (const Expected& e : kMainFrame) expectPlaced(onFrame(e.tag), e);
    // Band names and value fields are rows; shown, their fields sit where the rows put them.
    editor->showElement(111, true);
    editor->showElement(112, true);
    editor->showElement(113, true);
    editor->showElement(114, true);
    editor->showElement(115, true);
    const std::array<Expected, 6> rows{{
        {0, 135 + 2, 128, 31, 31, 11},     // HP frequency at the start of the frequency row
        {19, 135 + 425, 128, 31, 31, 11},  // Air gain at the end of the frequency row
        {18, 135 + 338, 181, 31, 31, 11},  // LP Q
        {20, 191 + 369, 240, 31, 31, 11},  // volume at the end of the gain row
        {42, 125 + 423, 71, 52, 52, 11},   // Air band name
        {115, 506, 199, 25, 25, 23},       // clip lamp
    }};
    for (const Expected& e : rows) {
        bool found = false;
        for (CReceptionMiseAJourComposant* r : editor->guiInterface()->receivers(e.tag)) {
            auto* own = dynamic_cast<OwnControl*>(r);
            if (own == nullptr || own->view().frameRect().top != e.y) continue;
            expectPlaced(&own->view(), e);
            found = true;
        }
        EXPECT_TRUE(found) << "tag " << e.tag;
    }
}

TEST_F(EditorTest, PanelsAndSidePanelControlsSitAtTheirPlaces) {
    ASSERT_TRUE(open());
    const struct {
        DravelEdit::PanelId id;
        int x, y, width, height;
    } panels[] = {
        {DravelEdit::PanelId::Side, 19, 27, 92, 235},       {DravelEdit::PanelId::Help, 25, 27, 590, 240},
        {DravelEdit::PanelId::Info, 160, 27, 320, 240},     {DravelEdit::PanelId::About, 160, 27, 320, 240},
        {DravelEdit::PanelId::CreateNew, 183, 62, 274, 136}, {DravelEdit::PanelId::Bank, 160, 59, 320, 140},
        {DravelEdit::PanelId::DeleteBank, 186, 88, 267, 91}, {DravelEdit::PanelId::DiscardMS, 160, 65, 320, 140},
        {DravelEdit::PanelId::Clip, 501, 195, 39, 42},      {DravelEdit::PanelId::FrequencyRow, 135, 127, 469, 13},
    };
    for (const auto& p : panels) {
        editor->showPanel(p.id, true);
        EXPECT_EQ(editor->panel(p.id)->frameRect(), CRect::fromSize(p.x, p.y, p.width, p.height));
        editor->showPanel(p.id, false);
    }
    editor->setChannelMode(1);
    const Expected side[] = {
        {108, 30, 39, 28, 28, 21}, {109, 71, 39, 28, 28, 21}, {72, 30, 65, 69, 69, 21}, {44, 46, 110, 38, 38, 21},
        {45, 46, 136, 38, 38, 21}, {48, 46, 173, 38, 38, 21}, {46, 30, 203, 69, 69, 21}, {47, 30, 229, 69, 69, 21},
    };
    for (const Expected& e : side) expectPlaced(control(e.tag), e);
}

TEST_F(EditorTest, RenderedPixelsShowEachKnobFrameOverTheBackground) {
    // Knob tag, its strip, frame count and where the skin puts it.
    const struct {
        int tag, strip, frames, x, y;
    } knobs[] = {
        {0, 1, 65, 132, 89},   {2, 2, 65, 190, 89},   {5, 3, 65, 247, 89},   {8, 4, 65, 305, 89},
        {11, 5, 65, 361, 89},  {14, 6, 65, 417, 89},  {17, 7, 65, 474, 89},  {1, 8, 51, 134, 148},
        {3, 9, 51, 191, 148},  {6, 10, 51, 249, 148}, {9, 11, 51, 306, 148}, {12, 12, 51, 363, 148},
        {15, 13, 51, 419, 148}, {18, 14, 51, 475, 148}, {4, 15, 65, 189, 203}, {7, 16, 65, 247, 203},
        {10, 17, 65, 304, 203}, {13, 18, 65, 361, 203}, {16, 19, 65, 417, 203}, {19, 20, 65, 558, 89},
        {20, 21, 65, 558, 203},
    };
    for (const auto& k : knobs) handle->effect->setParameter(k.tag, 0.1f + 0.04f * static_cast<float>(k.tag));
    ASSERT_TRUE(open());
    frame()->renderAll();
    const PixelImage& shown = frame()->pixels();
    const PixelImage& background = bitmap_cache::get(10000)->image();
    for (const auto& k : knobs) {
        const PixelImage& strip = bitmap_cache::get(k.strip)->image();
        const int height = strip.height / k.frames;
        const float value = handle->effect->getParameter(k.tag);
        const int frameIndex = static_cast<int>(value * static_cast<float>(k.frames - 1));
        int differing = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < strip.width; ++x) {
                const Pixel source = strip.at(x, frameIndex * height + y);
                const Pixel expected = source == kTransparentPixel ? background.at(k.x + x, k.y + y) : source;
                if (shown.at(k.x + x, k.y + y) != expected) ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << "knob " << k.tag;
    }
    // Away from every control and panel the background shows unchanged.
    EXPECT_EQ(shown.at(5, 260), background.at(5, 260));
}
