// The value rows, the band names and their display options: what shows when, texts typed into the
// fields, and the effect's forms (numbers, notes, octaves) reaching the rows at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/bitmap_cache.h"
#include "editor/editor_tags.h"
#include "editor/own_controls.h"
#include "editor/skin_ids.h"
#include "editor_harness.h"
#include "effect/parameter_mapping.h"
#include "effect/parameter_tables.h"

using namespace VSTGUI;

namespace {
// The value rows' fields: frequencies (with the Air gain), qualities, gains (with the output volume).
const std::vector<int> kValueFieldTags = {0, 2, 5, 8, 11, 14, 17, 19, 1, 3, 6, 9, 12, 15, 18, 4, 7, 10, 13, 16, 20};
}  // namespace

class TextFieldsTest : public EditorTest {
protected:
    CEditTexte* field(int tag) const {
        for (CReceptionMiseAJourComposant* r : editor->guiInterface()->receivers(tag))
            if (auto* text = dynamic_cast<CEditTexte*>(r)) return text;
        return nullptr;
    }
    // Attached all the way up to the frame: on screen.
    bool onScreen(const CView* view) const {
        for (const CView* v = view; v != nullptr; v = v->getParentView())
            if (v == frame()) return true;
        return false;
    }
    int valueFieldsOnScreen() const {
        int n = 0;
        for (int tag : kValueFieldTags) n += field(tag) != nullptr && onScreen(field(tag)) ? 1 : 0;
        return n;
    }
    // Types `text` into the field of `tag` as a user would: a click, the text, Enter (or Escape).
    void type(int tag, const std::string& text, bool cancel = false) {
        windows.last->scriptTypedText(text, cancel);
        const CRect r = field(tag)->frameRect();
        const CPoint at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        press(at, kLButton);
        release(at);
        idle();
    }
    std::string shown(int tag) const { return handle->effect->displayText(tag); }
    float physical(int index) const { return param::toPhysical(index, 0.0f, handle->effect->getParameter(index)); }
};

TEST_F(TextFieldsTest, ValueDisplayShowsAndHidesAllThreeRowsAtOnce) {
    handle->effect->setParameter(param::kOptDisplayVal, 0.0f);
    handle->effect->setParameter(param::kOptDisplayName, 0.0f);
    ASSERT_TRUE(open());
    for (int tag : kValueFieldTags) ASSERT_NE(field(tag), nullptr) << tag;
    EXPECT_EQ(valueFieldsOnScreen(), 0);
    handle->effect->setParameter(param::kOptDisplayVal, 1.0f);  // as the Display menu sets it
    EXPECT_EQ(valueFieldsOnScreen(), 21);
    EXPECT_FALSE(editor->isPanelShown(DravelEdit::PanelId::NamesRow));
    handle->effect->setParameter(param::kOptDisplayName, 1.0f);
    EXPECT_TRUE(editor->isPanelShown(DravelEdit::PanelId::NamesRow));
    handle->effect->setParameter(param::kOptShowClip, 0.0f);
    EXPECT_FALSE(editor->isPanelShown(DravelEdit::PanelId::Clip));
    handle->effect->setParameter(param::kOptDisplayVal, 0.0f);
    EXPECT_EQ(valueFieldsOnScreen(), 0);
    frame()->renderAll();
}

TEST_F(TextFieldsTest, NotesAndOctavesChangeTheTextsAndTheRowsHeadingsAtOnce) {
    handle->effect->setParameter(param::kOptDisplayVal, 1.0f);
    ASSERT_TRUE(open());
    CViewContainer* frequencyRow = editor->panel(DravelEdit::PanelId::FrequencyRow);
    EXPECT_EQ(frequencyRow->getBackground(), bitmap_cache::get(skin::kFrequencyRowNumbers));
    frame()->renderAll();
    const std::string asNumber = field(param::kB2Freq)->getText();
    handle->effect->setParameter(param::kOptDisplayNotes, 1.0f);
    frame()->renderAll();
    EXPECT_NE(field(param::kB2Freq)->getText(), asNumber);
    EXPECT_EQ(field(param::kB2Freq)->getText(), shown(param::kB2Freq));
    EXPECT_EQ(frequencyRow->getBackground(), bitmap_cache::get(skin::kFrequencyRowNotes));

    const std::string asQ = field(param::kB2Qual)->getText();
    handle->effect->setParameter(param::kOptDisplayQOct, 1.0f);
    frame()->renderAll();
    EXPECT_NE(field(param::kB2Qual)->getText(), asQ);
    EXPECT_EQ(editor->panel(DravelEdit::PanelId::QRow)->getBackground(), bitmap_cache::get(skin::kQRowOctaves));

    // A knob turned by the host shows its new text in the row at the next draw.
    handle->effect->setParameter(param::kOptDisplayNotes, 0.0f);
    handle->effect->setParameter(param::kB2Freq, 0.9f);
    frame()->renderAll();
    EXPECT_EQ(field(param::kB2Freq)->getText(), shown(param::kB2Freq));
}

TEST_F(TextFieldsTest, TypedValuesSetTheParameterAndTextThatIsNoNumberReadsAsZero) {
    for (int option : {param::kOptSnapFreq, param::kOptSnapRes, param::kOptSnapGain})
        handle->effect->setParameter(option, 0.0f);
    handle->effect->setParameter(param::kOptDisplayVal, 1.0f);
    ASSERT_TRUE(open());
    HostRecorder::instance().clear();
    type(param::kB2Gain, "6");
    EXPECT_NEAR(physical(param::kB2Gain), 6.0f, 0.01f);
    EXPECT_EQ(HostRecorder::instance().count(audioMasterAutomate), 1);  // the host hears of it
    type(param::kB2Gain, "-4.5 dB");
    EXPECT_NEAR(physical(param::kB2Gain), -4.5f, 0.01f);
    type(param::kB2Gain, "loud");
    EXPECT_NEAR(physical(param::kB2Gain), 0.0f, 0.01f);
    type(param::kB2Freq, "1e300");  // far beyond the table: its end, never past it
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kB2Freq), 1.0f);
    type(param::kB2Freq, std::string(4000, '9'));
    EXPECT_FLOAT_EQ(handle->effect->getParameter(param::kB2Freq), 1.0f);
    // Escape leaves the value alone.
    type(param::kB2Gain, "12", true);
    EXPECT_NEAR(physical(param::kB2Gain), 0.0f, 0.01f);
    frame()->renderAll();
    EXPECT_EQ(field(param::kB2Gain)->getText(), shown(param::kB2Gain));
}

TEST_F(TextFieldsTest, BandNamesTakeOnlyNamesThatPassTheNameRules) {
    handle->effect->setParameter(param::kOptDisplayName, 1.0f);
    ASSERT_TRUE(open());
    const int bell1 = param::kFirstBandName + int{kBandB1};
    type(bell1, "Kick (low) 2");
    EXPECT_EQ(shown(bell1), "Kick (low) 2");
    frame()->renderAll();
    EXPECT_EQ(field(bell1)->getText(), "Kick (low) 2");
    // Refused: a character outside the set, empty, longer than 23; the field shows the stored name again.
    for (const std::string& bad : {std::string("Snare*"), std::string(), std::string(24, 'a'), std::string(500, 'b')}) {
        type(bell1, bad);
        EXPECT_EQ(shown(bell1), "Kick (low) 2") << bad;
        frame()->renderAll();
        EXPECT_EQ(field(bell1)->getText(), "Kick (low) 2") << bad;
    }
    type(bell1, std::string(23, 'z'));
    EXPECT_EQ(shown(bell1), std::string(23, 'z'));
    // The name travels with the state.
    void* chunk = nullptr;
    const auto size = handle->dispatch(effGetChunk, 0, 0, &chunk);
    EffectHandle other;
    std::vector<char> copy(static_cast<const char*>(chunk), static_cast<const char*>(chunk) + size);
    other.dispatch(effSetChunk, 0, size, copy.data());
    EXPECT_EQ(std::string(other.effect->displayText(bell1)), std::string(23, 'z'));
}
