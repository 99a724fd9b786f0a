// The editor's own controls: the toolkit's controls with the skin's drawing rules, reading their texts
// and the clip state from the effect, and receiving the effect's updates by tag.
// User-interface thread only.
#pragma once

#include <array>

#include "editor/skin_descriptors.h"
#include "editor/update_receiver.h"
#include "gui/knob.h"
#include "gui/param_display.h"
#include "gui/vertical_switch.h"
#include "gui/view_container.h"

class CInterfaceEffetVst;
class OwnControl;

// Keeps the controls that are hidden (detached from their parent) until they are shown again, and
// releases those still hidden when the editor closes.
class ControlParking {
public:
    virtual ~ControlParking() = default;
    virtual void park(OwnControl* control) = 0;
    virtual void unpark(OwnControl* control) = 0;
};

// What every own control holds beside its toolkit base.
class OwnControl : public CReceptionMiseAJourComposant {
public:
    VSTGUI::CView& view() { return view_; }
    bool isShown() const { return shown_; }
    const VSTGUI::CRect& pressArea() const { return pressArea_; }
    void setParking(ControlParking* parking) { parking_ = parking; }

protected:
    OwnControl(VSTGUI::CView& view, CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    // Attaches the control to its parent or detaches it (keeping it alive for a later show).
    void show(bool visible);
    // Centre ± half the frame's width and height.
    static VSTGUI::CRect centredArea(const VSTGUI::CRect& size, int halfWidth, int halfHeight);
    // Tells the effect which buttons and modifiers are held over the control `tag` (0: none).
    void reportButtons(long buttons, long tag);

    VSTGUI::CView& view_;
    CInterfaceEffetVst* effect_;
    VSTGUI::CViewContainer* parent_;
    ControlParking* parking_ = nullptr;
    bool shown_ = true;
    VSTGUI::CRect pressArea_;
};

// Mouse masks the controls share: any of these starts a press; right and shift alike ask for the fine
// (knobs) or momentary (switches) mode.
constexpr long kPressButtons = VSTGUI::kLButton | VSTGUI::kRButton | VSTGUI::kShift;
constexpr long kFineButtons = VSTGUI::kRButton | VSTGUI::kShift;

// Strip frame for a value shown on N frames: value × N truncated, always within 0..N−1.
int stripFrame(float value, int frames);
float clampToFrames(float value, int frames);

class CBoutonRotatif : public VSTGUI::CAnimKnob, public OwnControl {
public:
    CBoutonRotatif(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const KnobSkin& skin,
                   CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void updateValue(int tag, float value) override;
    void setVisible(int tag, bool visible) override;
    // Drag: 200 pixels right or up for the whole range, fine (×20 slower) with right or shift, which may
    // change mid-drag without a jump; control resets to the initial setting, control with fine rewrites it.
    void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, long buttons) override;
    void onMouseMoved(VSTGUI::CPoint where, long buttons) override;
    void onMouseUp(VSTGUI::CPoint where, long buttons) override;
    bool onWheel(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, float distance, long buttons) override;
    float fineFactor() const { return fineFactor_; }

private:
    float coefficientFor(bool fine) const;
    float dragDistance(VSTGUI::CPoint p) const;
    void finishDrag(long buttons);

    float fineFactor_;
    bool dragging_ = false;
    bool controlAtPress_ = false;
    bool fine_ = false;  // the state the coefficient was made for
    float start_ = 0.0f;
    float coefficient_ = 0.0f;
    VSTGUI::CPoint anchor_{};
    VSTGUI::CPoint last_{};
    long lastButtons_ = 0;
};

class CSwitch : public VSTGUI::CVerticalSwitch, public OwnControl {
public:
    CSwitch(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const SwitchSkin& skin,
            CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void draw(VSTGUI::CDrawContext* context) override;
    // Left click toggles (the middle frame shows while held); right or shift shows the other state only
    // while held (a band auditioned on or off).
    void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, long buttons) override;
    void onMouseMoved(VSTGUI::CPoint where, long buttons) override;
    void onMouseUp(VSTGUI::CPoint where, long buttons) override;
    void updateValue(int tag, float value) override;
    void setVariant(int tag, int index) override;

private:
    // Sets the value, telling the listener when it changed.
    void change(float value);
    float heldValue(long buttons) const;

    std::array<VSTGUI::CBitmap*, 4> variants_;
    bool pressed_ = false;
    float start_ = 0.0f;
    long lastButtons_ = 0;
};

class CSwitchXPos : public VSTGUI::CVerticalSwitch, public OwnControl {
public:
    CSwitchXPos(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const MultiSwitchSkin& skin,
                CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void draw(VSTGUI::CDrawContext* context) override;
    // Dragging more than 5 pixels up or down steps one position; a click steps forward (left) or back
    // (right or shift), wrapping; a two-position switch held with right or shift shows its other state.
    void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, long buttons) override;
    void onMouseMoved(VSTGUI::CPoint where, long buttons) override;
    void onMouseUp(VSTGUI::CPoint where, long buttons) override;
    void updateValue(int tag, float value) override;
    void setVariant(int tag, int index) override;
    void setVisible(int tag, bool visible) override;
    int positions() const { return positions_; }

private:
    void change(float value);
    bool momentary(long buttons) const;

    std::array<VSTGUI::CBitmap*, 2> variants_;
    int positions_;
    bool pressed_ = false;
    bool stepped_ = false;
    float start_ = 0.0f;
    VSTGUI::CPoint previous_{};
    long lastButtons_ = 0;
};

class CLed : public VSTGUI::CVerticalSwitch, public OwnControl {
public:
    CLed(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const LampSkin& skin,
         CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void draw(VSTGUI::CDrawContext* context) override;
    void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, long buttons) override;
    void updateValue(int tag, float value) override;
    void setVariant(int tag, int index) override;
    void setVisible(int tag, bool visible) override;

private:
    VSTGUI::CBitmap* strip_;
};

class CKick : public VSTGUI::CKickButton, public OwnControl {
public:
    CKick(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const SwitchSkin& skin,
          CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void draw(VSTGUI::CDrawContext* context) override;
    // Pressed while held with left, right or shift; its action fires at the release.
    void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, long buttons) override;
    void onMouseUp(VSTGUI::CPoint where, long buttons) override;
    void updateValue(int tag, float value) override;
    void setVariant(int tag, int index) override;

private:
    std::array<VSTGUI::CBitmap*, 4> variants_;
    int frameHeight_;
};

class CChoix : public VSTGUI::COptionMenu, public OwnControl {
public:
    CChoix(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const MenuSkin& skin,
           CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, long buttons) override;
    void updateValue(int tag, float value) override;
};

class CEditTexte : public VSTGUI::CTextEdit, public OwnControl {
public:
    CEditTexte(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const TextSkin& skin,
               CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void draw(VSTGUI::CDrawContext* context) override;
    void updateValue(int tag, float value) override;
    void setVisible(int tag, bool visible) override;
};

class CAfficheTexte : public VSTGUI::CParamDisplay, public OwnControl {
public:
    CAfficheTexte(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const TextSkin& skin,
                  CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void draw(VSTGUI::CDrawContext* context) override;
    void updateValue(int tag, float value) override;
    void setVisible(int tag, bool visible) override;
};
