// The editor base that puts a toolkit frame behind the host's editor opcodes: the editor rectangle,
// idle, keys, the knob mode and the edit gestures of the frame's controls.
// Host's user-interface thread only.
#pragma once

#include "gui/frame.h"
#include "vst/aeffeditor.h"

class AEffGUIEditor : public AEffEditor, public VSTGUI::CFrameHost {
public:
    explicit AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {}

    bool getRect(ERect** rect) override;
    bool open(void* window) override;
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool setKnobMode(VstInt32 mode) override;
    long getKnobMode() const override { return knobMode_; }

    VSTGUI::CFrame* getFrame() const { return frame_; }
    // The editor size, as getRect reports it.
    VSTGUI::CRect editorRect() const { return {rect_.left, rect_.top, rect_.right, rect_.bottom}; }

    // Toolkit modifier bits for a VST key code's modifiers.
    static long toolkitModifiers(unsigned char vstModifiers);

protected:
    void setEditorSize(int width, int height);

    ERect rect_{};
    VSTGUI::CFrame* frame_ = nullptr;
    long knobMode_ = 2;  // linear
};
