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

    VSTGUI::CView& view_;
    CInterfaceEffetVst* effect_;
    VSTGUI::CViewContainer* parent_;
    ControlParking* parking_ = nullptr;
    bool shown_ = true;
    VSTGUI::CRect pressArea_;
};

// Strip frame for a value shown on N frames: value × N truncated, always within 0..N−1.
int stripFrame(float value, int frames);
float clampToFrames(float value, int frames);

class CBoutonRotatif : public VSTGUI::CAnimKnob, public OwnControl {
public:
    CBoutonRotatif(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const KnobSkin& skin,
                   CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void updateValue(int tag, float value) override;
    void setVisible(int tag, bool visible) override;
    bool onWheel(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, float distance, long buttons) override;
    float fineFactor() const { return fineFactor_; }

private:
    float fineFactor_;
};

class CSwitch : public VSTGUI::CVerticalSwitch, public OwnControl {
public:
    CSwitch(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const SwitchSkin& skin,
            CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void draw(VSTGUI::CDrawContext* context) override;
    void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, long buttons) override;
    void updateValue(int tag, float value) override;
    void setVariant(int tag, int index) override;

private:
    std::array<VSTGUI::CBitmap*, 4> variants_;
};

class CSwitchXPos : public VSTGUI::CVerticalSwitch, public OwnControl {
public:
    CSwitchXPos(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int tag, const MultiSwitchSkin& skin,
                CInterfaceEffetVst* effect, VSTGUI::CViewContainer* parent);
    void draw(VSTGUI::CDrawContext* context) override;
    void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint where, long buttons) override;
    void updateValue(int tag, float value) override;
    void setVariant(int tag, int index) override;
    void setVisible(int tag, bool visible) override;
    int positions() const { return positions_; }

private:
    std::array<VSTGUI::CBitmap*, 2> variants_;
    int positions_;
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
