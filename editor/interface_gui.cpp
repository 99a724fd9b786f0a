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

CViewContainer* CDravelInterfaceGUI::parentOr(CViewContainer* parent) const {
    return parent != nullptr ? parent : frame_;
}

template <typename Control>
Control* CDravelInterfaceGUI::finish(Control* control, int tag, CViewContainer* parent) {
    if (effect_ != nullptr) control->updateValue(tag, effect_->getParameter(tag));
    control->setTransparency(true);
    control->setParking(this);
    parent->addView(control);
    registerReceiver(tag, control);
    return control;
}

CBoutonRotatif* CDravelInterfaceGUI::createKnob(int style, int x, int y, int tag, CControlListener* listener,
                                                CViewContainer* parent) {
    const KnobSkin* k = knobSkin(style);
    assert(k != nullptr && "unknown knob style");
    if (k == nullptr) return nullptr;
    parent = parentOr(parent);
    auto* knob = new CBoutonRotatif(CRect::fromSize(x, y, k->frameWidth, k->frameHeight), listener, tag, *k, effect_, parent);
    return finish(knob, tag, parent);
}

CSwitch* CDravelInterfaceGUI::createSwitch(int style, int x, int y, int tag, CControlListener* listener,
                                           CViewContainer* parent) {
    const SwitchSkin* s = switchSkin(style);
    assert(s != nullptr && "unknown switch style");
    if (s == nullptr) return nullptr;
    parent = parentOr(parent);
    auto* control = new CSwitch(CRect::fromSize(x, y, s->width, s->frameHeight), listener, tag, *s, effect_, parent);
    return finish(control, tag, parent);
}

CSwitchXPos* CDravelInterfaceGUI::createSwitchXPos(int style, int x, int y, int tag, CControlListener* listener,
                                                   CViewContainer* parent) {
    const MultiSwitchSkin* m = multiSwitchSkin(style);
    assert(m != nullptr && "unknown multi-position switch style");
    if (m == nullptr) return nullptr;
    parent = parentOr(parent);
    auto* control = new CSwitchXPos(CRect::fromSize(x, y, m->width, m->frameHeight), listener, tag, *m, effect_, parent);
    return finish(control, tag, parent);
}

CLed* CDravelInterfaceGUI::createLed(int style, int x, int y, int tag, CControlListener* listener,
                                     CViewContainer* parent) {
    const LampSkin* l = lampSkin(style);
    assert(l != nullptr && "unknown lamp style");
    if (l == nullptr) return nullptr;
    parent = parentOr(parent);
    auto* control = new CLed(CRect::fromSize(x, y, l->width, l->frameHeight), listener, tag, *l, effect_, parent);
    return finish(control, tag, parent);
}

CKick* CDravelInterfaceGUI::createKick(int style, int x, int y, int tag, CControlListener* listener,
                                       CViewContainer* parent) {
    const SwitchSkin* s = kickSkin(style);
    assert(s != nullptr && "unknown push button style");
    if (s == nullptr) return nullptr;
    parent = parentOr(parent);
    auto* control = new CKick(CRect::fromSize(x, y, s->width, s->frameHeight), listener, tag, *s, effect_, parent);
    control->setTransparency(true);
    control->setParking(this);
    parent->addView(control);
    registerReceiver(tag, control);
    return control;  // a push button starts released whatever the effect's value
}

CChoix* CDravelInterfaceGUI::createChoix(int style, int x, int y, int tag, CControlListener* listener,
                                         CViewContainer* parent) {
    const MenuSkin* m = menuSkin(style);
    assert(m != nullptr && "unknown menu style");
    if (m == nullptr) return nullptr;
    parent = parentOr(parent);
    auto* control = new CChoix(CRect::fromSize(x, y, m->width, m->height), listener, tag, *m, effect_, parent);
    return finish(control, tag, parent);
}

CEditTexte* CDravelInterfaceGUI::createEditTexte(int style, int x, int y, int tag, CControlListener* listener,
                                                 CViewContainer* parent) {
    const TextSkin* t = textSkin(style);
    assert(t != nullptr && "unknown text style");
    if (t == nullptr) return nullptr;
    parent = parentOr(parent);
    auto* control = new CEditTexte(CRect::fromSize(x, y, t->width, t->height), listener, tag, *t, effect_, parent);
    const TextLook& look = kTextLooks[static_cast<std::size_t>(style)];
    control->setFont(look.font);
    control->setFontColor(look.colour);
    control->setHoriAlign(look.align);
    control->setTextInset(look.inset);
    return finish(control, tag, parent);
}

CAfficheTexte* CDravelInterfaceGUI::createAfficheTexte(int style, int x, int y, int tag, CViewContainer* parent) {
    const TextSkin* t = textSkin(style);
    assert(t != nullptr && "unknown text style");
    if (t == nullptr) return nullptr;
    parent = parentOr(parent);
    auto* control = new CAfficheTexte(CRect::fromSize(x, y, t->width, t->height), tag, *t, effect_, parent);
    const TextLook& look = kTextLooks[static_cast<std::size_t>(style)];
    control->setFont(look.font);
    control->setFontColor(look.colour);
    control->setHoriAlign(look.align);
    control->setTextInset(look.inset);
    return finish(control, tag, parent);
}
