#include "gui/frame.h"

#include <chrono>
#include <thread>

#include "vst/aeffectx.h"

namespace VSTGUI {

CFrame::CFrame(const CRect& size, const WindowParent& parent, CFrameHost* host)
    : CViewContainer(size, nullptr), host_(host), picture_(size.width(), size.height()) {
    backend_ = createWindowBackend(parent, size.width(), size.height(), *this);
}

CFrame::~CFrame() {
    endTextEdit();
    focus_ = nullptr;
    grab_ = nullptr;
    removeAll(true);
    backend_.reset();
}

void CFrame::idle() {
    if (inIdle_) return;
    inIdle_ = true;
    if (backend_) backend_->pumpEvents();
    presentDirty();
    inIdle_ = false;
}

void CFrame::doIdleStuff() {
    // Also inside an idle whose events started a modal mouse loop: the loop must still see the
    // window's events and show what it changes.
    if (host_ != nullptr) host_->doIdleStuff();
    if (backend_) backend_->pumpEvents();
    presentDirty();
}

void CFrame::presentDirty() {
    CRect region;
    collectDirty(region);
    if (region.isEmpty()) return;
    redraw(region);
    if (backend_) backend_->present(picture_.image(), region);
}

void CFrame::redraw(const CRect& area) {
    picture_.setOrigin({});
    picture_.setClipRect(area);
    draw(&picture_);
    picture_.setClipRect(CRect(0, 0, picture_.image().width, picture_.image().height));
}

void CFrame::drawRect(const CRect& area) {
    redraw(area);
    if (backend_) backend_->present(picture_.image(), area);
}

void CFrame::renderAll() { redraw(CRect(0, 0, picture_.image().width, picture_.image().height)); }

bool CFrame::onWheelAt(CPoint where, float distance, long buttons) { return windowWheel(where, distance, buttons); }

bool CFrame::onKeyDown(int character, int virtualKey, long modifiers) {
    return focus_ != nullptr && focus_->onKeyDown(character, virtualKey, modifiers);
}

long CFrame::getCurrentMouseButtons() const { return backend_ ? backend_->currentButtons() : 0; }

CPoint CFrame::getCurrentMouseLocation() const { return backend_ ? backend_->pointerPosition() : CPoint{}; }

void CFrame::setFocusView(CView* view) {
    if (view == focus_) return;
    CView* old = focus_;
    focus_ = view;
    if (old != nullptr) old->looseFocus();
    if (focus_ != nullptr) focus_->takeFocus();
}

int CFrame::popupMenu(const std::vector<MenuItem>& items, CPoint where) {
    return backend_ ? backend_->popupMenu(items, where) : -1;
}

bool CFrame::beginTextEdit(const CRect& area, const std::string& text, std::function<void(const std::string&, bool)> done) {
    return backend_ && backend_->beginTextEdit(area, text, std::move(done));
}

void CFrame::endTextEdit() {
    if (backend_) backend_->endTextEdit();
}

bool CFrame::contains(const CView* outer, const CView* inner) {
    for (const CView* v = inner; v != nullptr; v = v->getParentView())
        if (v == outer) return true;
    return false;
}

void CFrame::viewRemoved(CView* view) {
    if (contains(view, grab_)) grab_ = nullptr;
    if (contains(view, focus_)) {
        CView* old = focus_;
        focus_ = nullptr;
        old->looseFocus();
    }
}

namespace {
constexpr long kMouseButtons = kLButton | kMButton | kRButton;
// Between two polls of a tracked press, so the loop leaves the processor to the host.
constexpr auto kTrackPollInterval = std::chrono::milliseconds(2);
}  // namespace

void CFrame::windowMouseDown(CPoint where, long buttons) {
    lastPointer_ = where;
    // A further button pressed during a drag is a change of that drag's buttons.
    if (grab_ != nullptr) {
        dragStep(where, buttons);
        return;
    }
    if (inMouse_) return;
    inMouse_ = true;
    CView* hit = viewAt(where);
    if (focus_ != nullptr && hit != focus_) setFocusView(nullptr);
    grab_ = hit;
    mouse(&picture_, where, buttons);
    inMouse_ = false;
}

void CFrame::windowMouseUp(CPoint where, long buttons) {
    lastPointer_ = where;
    dragStep(where, buttons);
}

void CFrame::windowMouseMoved(CPoint where, long buttons) {
    lastPointer_ = where;
    dragStep(where, buttons);
}

void CFrame::dragStep(CPoint where, long buttons) {
    if (grab_ == nullptr) return;
    CView* view = grab_;
    const CRect r = view->frameRect();
    const CRect local = view->getViewSize();
    const CPoint inParent = where.offset(local.left - r.left, local.top - r.top);
    if (buttons & kMouseButtons) {
        view->onMouseMoved(inParent, buttons);
        return;
    }
    grab_ = nullptr;
    view->onMouseUp(inParent, buttons);
}

void CFrame::mouseDownAndTrack(CPoint where, long buttons) {
    windowMouseDown(where, buttons);
    while (grab_ != nullptr && backend_) {
        lastPointer_ = backend_->pointerPosition();
        dragStep(lastPointer_, backend_->currentButtons());
        if (grab_ == nullptr) break;
        doIdleStuff();
        std::this_thread::sleep_for(kTrackPollInterval);
    }
}

bool CFrame::windowWheel(CPoint where, float distance, long buttons) {
    if (inMouse_) return false;
    return onWheel(&picture_, where, distance, buttons);
}

bool CFrame::windowKey(int character, int virtualKey, long modifiers, bool down) {
    // Shift, control or alt pressed or let go during a drag changes its mode (fine, reset) at once.
    if (grab_ != nullptr && (virtualKey == VKEY_SHIFT || virtualKey == VKEY_CONTROL || virtualKey == VKEY_ALT)) {
        const long held = backend_ ? backend_->currentButtons() : modifiers;
        dragStep(lastPointer_, held);
        return true;
    }
    return down && onKeyDown(character, virtualKey, modifiers);
}

void CFrame::windowNeedsPaint(const CRect& area) {
    CRect dirty;
    collectDirty(dirty);
    const CRect all = area.unite(dirty);
    redraw(all);
    if (backend_) backend_->present(picture_.image(), all);
}

void CFrame::windowFocusLost() { setFocusView(nullptr); }

}  // namespace VSTGUI
