#include "editor/interface_gui.h"

#include <cassert>

#include "editor/bitmap_cache.h"
#include "editor/interface_effet.h"
#include "editor/skin_ids.h"
#include "gui/bitmap.h"
#include "gui/frame.h"

using namespace VSTGUI;

namespace {

// How each text style sets its text.
struct TextLook {
    FontId font;
    Pixel colour;
    HoriTxtAlign align;
    int inset;  // pixels kept clear left and right
};
constexpr Pixel kTextLight = makePixel(226, 228, 232);
constexpr Pixel kTextValue = makePixel(255, 196, 92);
constexpr std::array<TextLook, 5> kTextLooks{{
    {FontId::Sans10, kTextLight, HoriTxtAlign::kLeftText, 3},         // 0 preset information fields
    {FontId::Sans10, kTextLight, HoriTxtAlign::kLeftText, 3},         // 1 bank and preset names
    {FontId::Condensed10, kTextLight, HoriTxtAlign::kCenterText, 1},  // 2 band names
    {FontId::Condensed10, kTextValue, HoriTxtAlign::kCenterText, 0},  // 3 value fields: "13.60k" fills 31 px
    {FontId::Sans10, kTextLight, HoriTxtAlign::kCenterText, 2},       // 4 version text
}};

CBitmap* picture(int id) {
    if (id == skin::kNoBitmap) return nullptr;
    CBitmap* bitmap = bitmap_cache::get(id);
    bitmap->setTransparentColor(kTransparentPixel);
    return bitmap;
}

template <typename T>
const T* styleOf(const std::optional<std::vector<T>>& table, int style) {
    if (!table || style < 0 || style >= static_cast<int>(table->size())) return nullptr;
    return &(*table)[static_cast<std::size_t>(style)];
}

}  // namespace

// Registry and dispatch.

void CInterfaceComposantGraphique::registerReceiver(int tag, CReceptionMiseAJourComposant* receiver) {
    registry_.emplace(tag, receiver);  // equal tags keep their registration order
}

std::vector<CReceptionMiseAJourComposant*> CInterfaceComposantGraphique::receivers(int tag) const {
    std::vector<CReceptionMiseAJourComposant*> result;
    const auto [first, last] = registry_.equal_range(tag);
    for (auto it = first; it != last; ++it) result.push_back(it->second);
    return result;
}

void CInterfaceComposantGraphique::dispatchValue(int tag, float value) {
    const auto [first, last] = registry_.equal_range(tag);
    for (auto it = first; it != last; ++it) it->second->updateValue(tag, value);
}

void CInterfaceComposantGraphique::dispatchVariant(int tag, int index) {
    const auto [first, last] = registry_.equal_range(tag);
    for (auto it = first; it != last; ++it) it->second->setVariant(tag, index);
}

void CInterfaceComposantGraphique::dispatchVisible(int tag, bool visible) {
    const auto [first, last] = registry_.equal_range(tag);
    for (auto it = first; it != last; ++it) it->second->setVisible(tag, visible);
}

void CInterfaceComposantGraphique::dispatchNotify(int tag, float a, float b) {
    const auto [first, last] = registry_.equal_range(tag);
    for (auto it = first; it != last; ++it) it->second->notify(tag, a, b);
}

CDravelInterfaceGUI::~CDravelInterfaceGUI() {
    for (OwnControl* control : parked_) control->view().forget();
    parked_.clear();
}

// Descriptor tables.

void CDravelInterfaceGUI::buildKnobTable() {
    knobs_.emplace();
    for (int style = 0; style < skin::kKnobStyles; ++style) {
        KnobSkin k;
        k.bitmap = picture(skin::knobStrip(style));
        k.frameCount = skin::knobFrames(style);
        k.frameWidth = k.bitmap->getWidth();
        k.frameHeight = k.bitmap->getHeight() / k.frameCount;
        k.transparent = true;
        k.halfWidth = k.frameWidth / 2;
        k.halfHeight = k.frameHeight / 2;
        k.fineFactor = skin::kKnobFineFactor;
        knobs_->push_back(k);
    }
}

void CDravelInterfaceGUI::buildSwitchTables() {
    const auto build = [](const auto& ids) {
        SwitchSkin s;
        for (std::size_t v = 0; v < ids.size(); ++v) s.variants[v] = picture(ids[v]);
        s.hasVariants = ids[1] != skin::kNoBitmap;
        s.frameCount = skin::kSwitchFrames;
        if (s.variants[0] != nullptr) {
            s.width = s.variants[0]->getWidth();
            s.frameHeight = s.variants[0]->getHeight() / s.frameCount;
        }
        return s;
    };
    switches_.emplace();
    for (const auto& ids : skin::kSwitchVariants) switches_->push_back(build(ids));
    kicks_.emplace();
    for (const auto& ids : skin::kKickVariants) kicks_->push_back(build(ids));
}

void CDravelInterfaceGUI::buildMultiSwitchTable() {
    multiSwitches_.emplace();
    for (const auto& style : skin::kMultiSwitchStyles) {
        MultiSwitchSkin m;
        m.variants = {picture(style.strips[0]), picture(style.strips[1])};
        m.positions = style.positions;
        if (m.variants[0] != nullptr) {
            m.width = m.variants[0]->getWidth();
            m.frameHeight = m.variants[0]->getHeight() / m.positions;
        }
        multiSwitches_->push_back(m);
    }
}

void CDravelInterfaceGUI::buildLampTable() {
    lamps_.emplace();
    for (int id : skin::kLampStrips) {
        LampSkin l;
        l.bitmap = picture(id);
        l.frameCount = skin::kLampFrames;
        l.width = l.bitmap->getWidth();
        l.frameHeight = l.bitmap->getHeight() / l.frameCount;
        lamps_->push_back(l);
    }
}

void CDravelInterfaceGUI::buildMenuTable() {
    menus_.emplace();
    for (const auto& ids : skin::kMenuButtons) {
        MenuSkin m;
        for (std::size_t i = 0; i < ids.size(); ++i) m.bitmaps[i] = picture(ids[i]);
        if (m.bitmaps[0] != nullptr) {
            m.width = m.bitmaps[0]->getWidth();
            m.height = m.bitmaps[0]->getHeight();
        }
        menus_->push_back(m);
    }
}

void CDravelInterfaceGUI::buildTextTable() {
    texts_.emplace();
    for (int id : skin::kTextBackgrounds) {
        TextSkin t;
        t.background = picture(id);
        t.width = t.background->getWidth();
        t.height = t.background->getHeight();
        texts_->push_back(t);
    }
}

const KnobSkin* CDravelInterfaceGUI::knobSkin(int style) {
    if (!knobs_) buildKnobTable();
    return styleOf(knobs_, style);
}
const SwitchSkin* CDravelInterfaceGUI::switchSkin(int style) {
    if (!switches_) buildSwitchTables();
    return styleOf(switches_, style);
}
const SwitchSkin* CDravelInterfaceGUI::kickSkin(int style) {
    if (!kicks_) buildSwitchTables();
    return styleOf(kicks_, style);
}
const MultiSwitchSkin* CDravelInterfaceGUI::multiSwitchSkin(int style) {
    if (!multiSwitches_) buildMultiSwitchTable();
    return styleOf(multiSwitches_, style);
}
const LampSkin* CDravelInterfaceGUI::lampSkin(int style) {
    if (!lamps_) buildLampTable();
    return styleOf(lamps_, style);
}
const MenuSkin* CDravelInterfaceGUI::menuSkin(int style) {
    if (!menus_) buildMenuTable();
    const MenuSkin* m = styleOf(menus_, style);
    return m != nullptr && m->bitmaps[0] != nullptr ? m : nullptr;
}
const TextSkin* CDravelInterfaceGUI::textSkin(int style) {
    if (!texts_) buildTextTable();
    return styleOf(texts_, style);
}

// Creation.

namespace {
// The size a control of each kind takes: one frame of its strip, or its background.
CRect placed(int x, int y, const KnobSkin& k) { return CRect::fromSize(x, y, k.frameWidth, k.frameHeight); }
CRect placed(int x, int y, const SwitchSkin& s) { return CRect::fromSize(x, y, s.width, s.frameHeight); }
CRect placed(int x, int y, const MultiSwitchSkin& m) { return CRect::fromSize(x, y, m.width, m.frameHeight); }
CRect placed(int x, int y, const LampSkin& l) { return CRect::fromSize(x, y, l.width, l.frameHeight); }
CRect placed(int x, int y, const MenuSkin& m) { return CRect::fromSize(x, y, m.width, m.height); }
CRect placed(int x, int y, const TextSkin& t) { return CRect::fromSize(x, y, t.width, t.height); }

template <typename Text>
Text* withLook(Text* control, int style) {
    if (control == nullptr) return nullptr;
    const TextLook& look = kTextLooks[static_cast<std::size_t>(style)];
    control->setFont(look.font);
    control->setFontColor(look.colour);
    control->setHoriAlign(look.align);
    control->setTextInset(look.inset);
    return control;
}
}  // namespace

template <typename Control, typename Skin>
Control* CDravelInterfaceGUI::build(const Skin* skin, int x, int y, int tag, CControlListener* listener,
                                    CViewContainer* parent, bool readValue) {
    assert(skin != nullptr && "unknown control style");
    if (skin == nullptr) return nullptr;
    parent = parent != nullptr ? parent : frame_;
    auto* control = new Control(placed(x, y, *skin), listener, tag, *skin, effect_, parent);
    if (readValue && effect_ != nullptr) control->updateValue(tag, effect_->getParameter(tag));
    control->setTransparency(true);
    control->setParking(this);
    parent->addView(control);
    registerReceiver(tag, control);
    return control;
}

CBoutonRotatif* CDravelInterfaceGUI::createKnob(int style, int x, int y, int tag, CControlListener* listener,
                                                CViewContainer* parent) {
    return build<CBoutonRotatif>(knobSkin(style), x, y, tag, listener, parent);
}

CSwitch* CDravelInterfaceGUI::createSwitch(int style, int x, int y, int tag, CControlListener* listener,
                                           CViewContainer* parent) {
    return build<CSwitch>(switchSkin(style), x, y, tag, listener, parent);
}

CSwitchXPos* CDravelInterfaceGUI::createSwitchXPos(int style, int x, int y, int tag, CControlListener* listener,
                                                   CViewContainer* parent) {
    return build<CSwitchXPos>(multiSwitchSkin(style), x, y, tag, listener, parent);
}

CLed* CDravelInterfaceGUI::createLed(int style, int x, int y, int tag, CControlListener* listener,
                                     CViewContainer* parent) {
    return build<CLed>(lampSkin(style), x, y, tag, listener, parent);
}

CKick* CDravelInterfaceGUI::createKick(int style, int x, int y, int tag, CControlListener* listener,
                                       CViewContainer* parent) {
    // A push button starts released whatever the effect's value.
    return build<CKick>(kickSkin(style), x, y, tag, listener, parent, false);
}

CChoix* CDravelInterfaceGUI::createChoix(int style, int x, int y, int tag, CControlListener* listener,
                                         CViewContainer* parent) {
    return build<CChoix>(menuSkin(style), x, y, tag, listener, parent);
}

CEditTexte* CDravelInterfaceGUI::createEditTexte(int style, int x, int y, int tag, CControlListener* listener,
                                                 CViewContainer* parent) {
    return withLook(build<CEditTexte>(textSkin(style), x, y, tag, listener, parent), style);
}

CAfficheTexte* CDravelInterfaceGUI::createAfficheTexte(int style, int x, int y, int tag, CViewContainer* parent) {
    return withLook(build<CAfficheTexte>(textSkin(style), x, y, tag, nullptr, parent), style);
}
