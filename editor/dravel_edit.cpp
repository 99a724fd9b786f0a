// The editor's life: construction, open (the whole build), close, idle, wheel and the host-window calls.
#include "editor/dravel_edit.h"

#include "editor/bitmap_cache.h"
#include "editor/editor_tags.h"
#include "editor/interface_effet.h"
#include "editor/interface_gui.h"
#include "editor/layout_tables.h"
#include "editor/skin_ids.h"
#include "effect/parameter_tables.h"
#include "gui/bitmap.h"
#include "platform/platform.h"
#include "vst/audioeffect.h"

using namespace VSTGUI;

namespace {
// The effect's periodic task runs at most this often.
constexpr int64_t kTimedRefreshMs = 150;
constexpr float kOn = 0.5f;
}  // namespace

DravelEdit::DravelEdit(AudioEffect* effect, CFonctionsDravel* functions) : AEffGUIEditor(effect), functions_(functions) {
    bitmap_cache::addInstance();
    background_ = bitmap_cache::get(skin::kBackground);
    setEditorSize(background_->getWidth(), background_->getHeight());
    if (effect != nullptr) effect->setEditor(this);
    if (functions_ != nullptr) functions_->setEditorListener(this);
}

DravelEdit::~DravelEdit() {
    if (functions_ != nullptr) functions_->setEditorListener(nullptr);
    close();
    bitmap_cache::releaseInstance();
}

bool DravelEdit::onEditorThread() const {
    return editorThread_.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

bool DravelEdit::open(void* window) {
    if (frame_ != nullptr) close();
    AEffGUIEditor::open(window);
    editorThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    pending_.clear();

    auto* frame = new CFrame(editorRect(), WindowParent{window, hostDisplay_}, this);
    if (!frame->isOpen()) {
        // No window (no display, or a parent that is not a window): the host keeps its own view.
        frame->forget();
        systemWindow = nullptr;
        return false;
    }
    frame_ = frame;
    effectInterface_ = new CDravelInterface(*functions_);
    gui_ = new CDravelInterfaceGUI(frame_);
    effectInterface_->registerGUI(gui_);
    gui_->setEffectInterface(effectInterface_);
    frame_->setBackground(background_);

    buildPanels();
    optionsMenu_ = gui_->createChoix(4, 513, 3, editor_tag::kOptionsMenu, this);
    fillOptionsMenu();
    buildBandArea();
    buildRows();
    applyDisplayOptions();
    buildTopStrip();
    effectInterface_->reloadPresetStore();
    applyInitialVariants();
    rebuildPresetMenu_.store(true, std::memory_order_relaxed);
    rebuildBankMenu_.store(true, std::memory_order_relaxed);
    const int mode = effectInterface_->channelMode();
    if (mode != 0 && !panels_[index(PanelId::Side)].shown) applyChannelMode(mode);
    refreshMenuChecks();
    lastTimedRefresh_ = platform::clockMilliseconds();
    open_.store(true, std::memory_order_release);
    frame_->setDirty(true);
    return true;
}

void DravelEdit::close() {
    // A drag cut short by the close lets go of what it holds (the frequency-finding boost).
    if (effectInterface_ != nullptr && open_.load(std::memory_order_acquire)) {
        effectInterface_->reportMouseButtons(0, -1);
        effectInterface_->periodicTask();
    }
    // Controls may still call the listener while they are torn down: nothing is reachable from here on.
    open_.store(false, std::memory_order_release);
    CFrame* frame = frame_;
    CDravelInterfaceGUI* gui = gui_;
    CDravelInterface* effectInterface = effectInterface_;
    frame_ = nullptr;
    gui_ = nullptr;
    effectInterface_ = nullptr;
    bankMenu_ = presetMenu_ = optionsMenu_ = nullptr;
    optionSubmenus_ = {};
    presetMenuMeanings_.clear();
    bankMenuMeanings_.clear();
    bankSubmenuNumbers_.clear();
    dialog_ = Pending{};
    if (frame != nullptr) {
        // Attached panels die with the frame; the others are the editor's to release.
        frame->forget();
        for (PanelState& p : panels_) {
            if (p.view != nullptr && !p.shown) p.view->forget();
            p = PanelState{};
        }
        delete gui;
        delete effectInterface;
    }
    leftRightMode_ = midSideMode_ = false;
    systemWindow = nullptr;
}

void DravelEdit::idle() {
    if (frame_ == nullptr || !open_.load(std::memory_order_acquire)) return;
    applyPendingUpdates();
    // The menus' entries are rebuilt here when the effect asked for it.
    const bool bankMenu = rebuildBankMenu_.exchange(false, std::memory_order_relaxed);
    const bool presetMenu = rebuildPresetMenu_.exchange(false, std::memory_order_relaxed);
    if (bankMenu) rebuildBankMenu();
    if (presetMenu) rebuildPresetMenu();
    if (bankMenu || presetMenu) refreshMenuChecks();
    const int64_t now = platform::clockMilliseconds();
    if (now - lastTimedRefresh_ > kTimedRefreshMs || now < lastTimedRefresh_) {
        // Another instance changed the preset files: the menus list them anew.
        if (effectInterface_->periodicTask()) afterStoreAction();
        lastTimedRefresh_ = now;
        if (frame_ == nullptr) return;
    }
    if (panels_[index(PanelId::Clip)].shown && !panels_[index(PanelId::Help)].shown)
        updateControlValue(editor_tag::kClipLamp, 0.0f);
    if (!frame_->isInIdle()) frame_->idle();
}

bool DravelEdit::onWheel(float distance) {
    if (frame_ == nullptr) return false;
    // The back end reports the pointer in the frame's own pixels.
    const CPoint where = frame_->getCurrentMouseLocation();
    return frame_->onWheelAt(where, distance, frame_->getCurrentMouseButtons());
}

void DravelEdit::hostRedraw(const HostRect16* rect) {
    if (frame_ == nullptr) return;
    if (rect == nullptr) {
        frame_->setDirty(true);
        return;
    }
    frame_->drawRect(CRect(rect->left, rect->top, rect->right, rect->bottom));
}

void DravelEdit::hostMouseDown(int x, int y) {
    if (frame_ == nullptr) return;
    // The host reports the press only: what is held now (modifiers included) makes it, and the drag
    // it starts follows the pointer until the buttons are let go.
    long buttons = frame_->getCurrentMouseButtons();
    if (!(buttons & (kLButton | kMButton | kRButton))) buttons |= kLButton;
    frame_->mouseDownAndTrack({x, y}, buttons);
}

void DravelEdit::beginEdit(long tag) {
    if (effectInterface_ != nullptr) effectInterface_->beginEdit(static_cast<int>(tag));
}

void DravelEdit::endEdit(long tag) {
    if (effectInterface_ != nullptr) effectInterface_->endEdit(static_cast<int>(tag));
}

// Building.

template <typename Placement>
void DravelEdit::createControl(const Placement& p, CViewContainer* parent) {
    using layout::Kind;
    switch (p.kind) {
        case Kind::Knob: gui_->createKnob(p.style, p.x, p.y, p.tag, this, parent); break;
        case Kind::Switch: gui_->createSwitch(p.style, p.x, p.y, p.tag, this, parent); break;
        case Kind::MultiSwitch: gui_->createSwitchXPos(p.style, p.x, p.y, p.tag, this, parent); break;
        case Kind::Lamp: gui_->createLed(p.style, p.x, p.y, p.tag, this, parent); break;
        case Kind::Kick: gui_->createKick(p.style, p.x, p.y, p.tag, this, parent); break;
        case Kind::Menu: gui_->createChoix(p.style, p.x, p.y, p.tag, this, parent); break;
        case Kind::TextEdit: gui_->createEditTexte(p.style, p.x, p.y, p.tag, this, parent); break;
        case Kind::TextShow: gui_->createAfficheTexte(p.style, p.x, p.y, p.tag, parent); break;
    }
}

template <typename PanelTable>
CViewContainer* DravelEdit::buildPanel(const PanelTable& table, PanelId id) {
    CBitmap* background = bitmap_cache::get(table.background);
    auto* view = new CViewContainer(CRect::fromSize(table.x, table.y, background->getWidth(), background->getHeight()),
                                    frame_, background);
    for (const auto& p : table.controls) createControl(p, view);
    panels_[index(id)] = PanelState{view, false};
    return view;
}

void DravelEdit::buildPanels() {
    buildPanel(layout::kInfoPanel, PanelId::Info);
    buildPanel(layout::kHelpPanel, PanelId::Help);
    buildPanel(layout::kSidePanel, PanelId::Side);
    buildPanel(layout::kAboutPanel, PanelId::About);
    buildPanel(layout::kDiscardLRDialog, PanelId::DiscardLR);
    buildPanel(layout::kDiscardMSDialog, PanelId::DiscardMS);
    buildPanel(layout::kCreateNewDialog, PanelId::CreateNew);
    buildPanel(layout::kBankExistsDialog, PanelId::BankExists);
    buildPanel(layout::kBankDialog, PanelId::Bank);
    buildPanel(layout::kPresetDialog, PanelId::Preset);
    buildPanel(layout::kDeleteDialog, PanelId::DeletePreset);
    buildPanel(layout::kDeleteDialog, PanelId::DeleteBank);
}

void DravelEdit::buildBandArea() {
    for (const auto& p : layout::kBandArea) createControl(p, nullptr);
    createControl(layout::kOutputVolume, nullptr);
}

void DravelEdit::buildRows() {
    buildPanel(layout::kClipIndicator, PanelId::Clip);
    buildPanel(layout::kFrequencyRow, PanelId::FrequencyRow);
    buildPanel(layout::kGainRow, PanelId::GainRow);
    buildPanel(layout::kQRow, PanelId::QRow);
    buildPanel(layout::kNamesRow, PanelId::NamesRow);
}

void DravelEdit::applyDisplayOptions() {
    if (effectInterface_->getParameter(param::kOptDisplayVal) >= kOn) {
        applyVisible(editor_tag::kFrequencyRow, true);
        applyVisible(editor_tag::kQRow, true);
        applyVisible(editor_tag::kGainRow, true);
    }
    if (effectInterface_->getParameter(param::kOptDisplayName) >= kOn) applyVisible(editor_tag::kNamesRow, true);
    if (effectInterface_->getParameter(param::kOptShowClip) >= kOn) applyVisible(editor_tag::kClipLamp, true);
}

void DravelEdit::buildTopStrip() {
    for (const auto& p : layout::kTopStrip) {
        if (p.tag == editor_tag::kOptionsMenu) continue;  // built before the band area
        createControl(p, nullptr);
    }
    const auto receiversOf = [&](int tag) { return gui_->receivers(tag); };
    for (auto* r : receiversOf(editor_tag::kBankMenu)) bankMenu_ = dynamic_cast<CChoix*>(r);
    for (auto* r : receiversOf(editor_tag::kPresetMenu)) presetMenu_ = dynamic_cast<CChoix*>(r);
}

void DravelEdit::applyInitialVariants() {
    applyVariant(editor_tag::kSlotCopy, effectInterface_->getParameter(param::kSlotSelector) >= kOn ? 1 : 0);
    if (effectInterface_->currentPresetReadOnly()) applyVariant(editor_tag::kSave, 1);
}
