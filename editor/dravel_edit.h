// The effect's editor window: a 640 × 267 skin with the band controls, the top strip, the value rows and
// the dialog panels. Created with the effect, opened and closed by the host; it reaches the effect only
// through CDravelInterface and hears from it through EffectListener.
//
// Threads: open, close, idle, wheel, keys and the host-window calls on the host's user-interface thread
// (the one that opened the editor). updateControlValue, setControlVariant, showElement, redrawAll and
// setChannelMode on any thread: from another thread they are kept and applied at the next idle.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "editor/aeff_gui_editor.h"
#include "editor/pending_updates.h"
#include "editor/vst_gui_velastro.h"
#include "effect/fonctions_dravel.h"
#include "gui/control_listener.h"

class CChoix;
class CDravelInterface;
class CDravelInterfaceGUI;
namespace VSTGUI {
class CBitmap;
class COptionMenu;
class CViewContainer;
}  // namespace VSTGUI

class DravelEdit : public AEffGUIEditor,
                   public VSTGUI::CControlListener,
                   public VstGuiVelastro,
                   private EffectListener {
public:
    // The panels, in the order open builds them.
    enum class PanelId {
        Info, Help, Side, About, DiscardLR, DiscardMS, CreateNew, BankExists, Bank, Preset, DeletePreset,
        DeleteBank, Clip, FrequencyRow, GainRow, QRow, NamesRow, Count
    };

    // Attaches itself to the effect (its editor, and its listener on `functions`).
    DravelEdit(AudioEffect* effect, CFonctionsDravel* functions);
    ~DravelEdit() override;

    bool open(void* window) override;
    // The host's display where it passes one (Linux hosts), before open.
    void setHostDisplay(void* display) { hostDisplay_ = display; }
    void close() override;
    bool isOpen() override { return open_.load(std::memory_order_acquire); }
    void idle() override;
    bool onWheel(float distance) override;

    virtual void updateControlValue(int tag, float value);
    virtual void setControlVariant(int tag, int index);
    virtual void showElement(int tag, bool visible);
    // Many controls changed at once: redraw everything.
    void redrawAll() override;
    void setChannelMode(int mode);

    // VstGuiVelastro.
    void hostRedraw(const HostRect16* rect) override;
    void hostMouseDown(int x, int y) override;

    // CControlListener.
    void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;

    // CFrameHost: edit gestures of the controls go to the effect.
    void beginEdit(long tag) override;
    void endEdit(long tag) override;

    // The effect asks for the preset or bank menu to be rebuilt at the next idle.
    void requestPresetMenuRebuild() { rebuildPresetMenu_.store(true, std::memory_order_relaxed); }
    void requestBankMenuRebuild() { rebuildBankMenu_.store(true, std::memory_order_relaxed); }

    // Attaches a panel to the frame or detaches it, with a full redraw (menus, dialogs, tests).
    void showPanel(PanelId id, bool visible = true);

    // State for tests and the snapshot tool.
    bool isPanelShown(PanelId id) const { return panels_[index(id)].shown; }
    VSTGUI::CViewContainer* panel(PanelId id) const { return panels_[index(id)].view; }
    CDravelInterfaceGUI* guiInterface() const { return gui_; }
    bool sidePanelLeftRight() const { return leftRightMode_; }
    bool sidePanelMidSide() const { return midSideMode_; }

private:
    struct PanelState {
        VSTGUI::CViewContainer* view = nullptr;
        bool shown = false;
    };
    // What the open dialog will do when confirmed: one at a time, with what it acts on recorded when
    // it opened.
    enum class PendingAction { None, NewPreset, NewBank, DeletePreset, DeleteBank, BankName, PresetName };
    struct Pending {
        PendingAction action = PendingAction::None;
        int presetNumber = -1;
        std::string bankName;
    };
    // What a preset or bank menu entry stood for when the menu was built.
    enum class MenuCommand { Preset, OpenInformation, NewPreset, DeletePreset, NewBank, DeleteBank, ExportBank,
                             ImportBank, None };
    struct MenuMeaning {
        MenuCommand command = MenuCommand::None;
        int presetNumber = -1;
    };
    static std::size_t index(PanelId id) { return static_cast<std::size_t>(id); }

    // EffectListener: the effect's notifications, on whatever thread made the change.
    void parameterChanged(int32_t index, float value) override { updateControlValue(index, value); }
    void variantChanged(int32_t tag, int32_t variant) override { setControlVariant(tag, variant); }
    void elementShown(int32_t tag, bool visible) override { showElement(tag, visible); }
    void channelModeChanged(int32_t mode) override { setChannelMode(mode); }
    bool onEditorThread() const;

    // Open's steps.
    void buildPanels();
    void buildBandArea();
    void buildRows();
    void buildTopStrip();
    void applyDisplayOptions();
    void applyInitialVariants();
    template <typename PanelTable>
    VSTGUI::CViewContainer* buildPanel(const PanelTable& table, PanelId id);
    template <typename Placement>
    void createControl(const Placement& p, VSTGUI::CViewContainer* parent);

    void applyPendingUpdates();
    void applyValue(int tag, float value);
    void applyVariant(int tag, int index);
    void applyVisible(int tag, bool visible);
    void applyChannelMode(int mode);
    void applyRedrawAll();
    void refreshSidePanelVariants();

    // Menus (dravel_edit_menus.cpp).
    void fillOptionsMenu();
    void rebuildPresetMenu();
    void rebuildBankMenu();
    void refreshMenuChecks();
    void refreshEntryChecks(VSTGUI::COptionMenu& submenu, int tag);
    bool onMenuChosen(int tag, int index);
    void runOptionsEntry(int tag, int index);
    void runMenuMeaning(const MenuMeaning& meaning);
    void resetBands(bool active);
    void showChannelSettings(bool midSide);
    void afterStoreAction();

    // Dialogs, name fields and bank files (dravel_edit_dialogs.cpp).
    void closeDialogs();
    void openDialog(PanelId id, Pending pending);
    void onNameTyped(int tag, const std::string& text);
    bool onDialogButton(int tag);
    void keepChannel(bool first);
    void runBankFileDialog(int mode);

    CFonctionsDravel* functions_;
    VSTGUI::CBitmap* background_ = nullptr;
    CDravelInterface* effectInterface_ = nullptr;
    CDravelInterfaceGUI* gui_ = nullptr;
    void* hostDisplay_ = nullptr;
    std::atomic<bool> open_{false};
    std::atomic<std::thread::id> editorThread_{};
    int64_t lastTimedRefresh_ = 0;
    CChoix* bankMenu_ = nullptr;
    CChoix* presetMenu_ = nullptr;
    CChoix* optionsMenu_ = nullptr;
    std::atomic<bool> rebuildPresetMenu_{false};
    std::atomic<bool> rebuildBankMenu_{false};
    std::array<PanelState, static_cast<std::size_t>(PanelId::Count)> panels_{};
    bool leftRightMode_ = false;
    bool midSideMode_ = false;
    PendingUpdates pending_;
    Pending dialog_;
    std::string typedName_;  // the name typed into a store field, for the dialog it opened
    std::vector<MenuMeaning> presetMenuMeanings_;
    std::vector<MenuMeaning> bankMenuMeanings_;
    std::vector<std::vector<int>> bankSubmenuNumbers_;  // preset numbers of each bank submenu
    std::string bankMenuBankName_;  // the bank that "Delete Bank" named when the menu was built
    std::array<VSTGUI::COptionMenu*, 5> optionSubmenus_{};  // Display, Misc, Snap, L/R, M/S by tag − 83
};
