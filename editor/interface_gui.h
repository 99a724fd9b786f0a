// The editor's side of the effect link: builds the controls from their skin descriptors, keeps the
// registry of controls by tag and hands the effect's updates to every control of a tag, in the order
// they were registered. User-interface thread only.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <vector>

#include "editor/own_controls.h"
#include "editor/skin_descriptors.h"

class CInterfaceEffetVst;

namespace VSTGUI {
class CControlListener;
class CFrame;
class CViewContainer;
}  // namespace VSTGUI

class CInterfaceComposantGraphique {
public:
    explicit CInterfaceComposantGraphique(VSTGUI::CFrame* frame) : frame_(frame) {}
    virtual ~CInterfaceComposantGraphique() = default;

    void setEffectInterface(CInterfaceEffetVst* effect) { effect_ = effect; }
    CInterfaceEffetVst* effectInterface() const { return effect_; }
    VSTGUI::CFrame* frame() const { return frame_; }

    virtual void dispatchValue(int tag, float value);
    virtual void dispatchVariant(int tag, int index);
    virtual void dispatchVisible(int tag, bool visible);
    virtual void dispatchNotify(int tag, float first, float second);

    void registerReceiver(int tag, CReceptionMiseAJourComposant* receiver);
    // The receivers of a tag in registry order.
    std::vector<CReceptionMiseAJourComposant*> receivers(int tag) const;

protected:
    std::multimap<int, CReceptionMiseAJourComposant*> registry_;
    CInterfaceEffetVst* effect_ = nullptr;
    VSTGUI::CFrame* frame_;
};

class CDravelInterfaceGUI : public CInterfaceComposantGraphique, private ControlParking {
public:
    explicit CDravelInterfaceGUI(VSTGUI::CFrame* frame) : CInterfaceComposantGraphique(frame) {}
    // Releases the controls that are hidden at close; shown ones die with their parent.
    ~CDravelInterfaceGUI() override;

    // Descriptors by style, built on first use; null for a style the skin does not have.
    const KnobSkin* knobSkin(int style);
    const SwitchSkin* switchSkin(int style);
    const SwitchSkin* kickSkin(int style);
    const MultiSwitchSkin* multiSwitchSkin(int style);
    const LampSkin* lampSkin(int style);
    const MenuSkin* menuSkin(int style);
    const TextSkin* textSkin(int style);

    // Creation: the control at (x, y) in `parent` (null: the frame), its initial value from the effect,
    // transparent drawing on, attached and registered under `tag`. Null for an unknown style.
    CBoutonRotatif* createKnob(int style, int x, int y, int tag, VSTGUI::CControlListener* listener,
                               VSTGUI::CViewContainer* parent = nullptr);
    CSwitch* createSwitch(int style, int x, int y, int tag, VSTGUI::CControlListener* listener,
                          VSTGUI::CViewContainer* parent = nullptr);
    CSwitchXPos* createSwitchXPos(int style, int x, int y, int tag, VSTGUI::CControlListener* listener,
                                  VSTGUI::CViewContainer* parent = nullptr);
    CLed* createLed(int style, int x, int y, int tag, VSTGUI::CControlListener* listener,
                    VSTGUI::CViewContainer* parent = nullptr);
    CKick* createKick(int style, int x, int y, int tag, VSTGUI::CControlListener* listener,
                      VSTGUI::CViewContainer* parent = nullptr);
    CChoix* createChoix(int style, int x, int y, int tag, VSTGUI::CControlListener* listener,
                        VSTGUI::CViewContainer* parent = nullptr);
    CEditTexte* createEditTexte(int style, int x, int y, int tag, VSTGUI::CControlListener* listener,
                                VSTGUI::CViewContainer* parent = nullptr);
    CAfficheTexte* createAfficheTexte(int style, int x, int y, int tag, VSTGUI::CViewContainer* parent = nullptr);

private:
    void buildKnobTable();
    void buildSwitchTables();
    void buildMultiSwitchTable();
    void buildLampTable();
    void buildMenuTable();
    void buildTextTable();
    // Every kind: the control at its place, its initial value from the effect (unless `readValue` is
    // false), transparent drawing, attached to `parent` (null: the frame) and registered under `tag`.
    template <typename Control, typename Skin>
    Control* build(const Skin* skin, int x, int y, int tag, VSTGUI::CControlListener* listener,
                   VSTGUI::CViewContainer* parent, bool readValue = true);

    void park(OwnControl* control) override { parked_.insert(control); }
    void unpark(OwnControl* control) override { parked_.erase(control); }

    std::optional<std::vector<KnobSkin>> knobs_;
    std::optional<std::vector<SwitchSkin>> switches_;
    std::optional<std::vector<SwitchSkin>> kicks_;
    std::optional<std::vector<MultiSwitchSkin>> multiSwitches_;
    std::optional<std::vector<LampSkin>> lamps_;
    std::optional<std::vector<MenuSkin>> menus_;
    std::optional<std::vector<TextSkin>> texts_;
    std::set<OwnControl*> parked_;
};
