#include "gui/view_container.h"

#include <algorithm>

#include "gui/bitmap.h"
#include "gui/draw_context.h"

namespace VSTGUI {

CViewContainer::CViewContainer(const CRect& size, CFrame*, CBitmap* background) : CView(size) {
    if (background != nullptr) setBackground(background);
}

CViewContainer::~CViewContainer() { removeAll(true); }

void CViewContainer::addView(CView* view) {
    if (view == nullptr || isChild(view)) return;
    children_.push_back(view);
    view->attached(this);
    view->setDirty(true);
    setDirty(true);
}

void CViewContainer::removeView(CView* view, bool withForget) {
    const auto it = std::find(children_.begin(), children_.end(), view);
    if (it == children_.end()) return;
    children_.erase(it);
    view->removed(this);
    CView::setDirty(true);
    if (withForget) view->forget();
}

void CViewContainer::removeAll(bool withForget) {
    while (!children_.empty()) removeView(children_.back(), withForget);
}

bool CViewContainer::isChild(const CView* view) const {
    return std::find(children_.begin(), children_.end(), view) != children_.end();
}

void CViewContainer::draw(CDrawContext* context) {
    CView::draw(context);
    const CPoint savedOrigin = context->getOrigin();
    const CRect savedClip = context->getClipRect();
    const CRect inTarget = size_.offset(savedOrigin.x, savedOrigin.y);
    context->setClipRect(savedClip.intersect(inTarget));
    context->setOrigin(savedOrigin.offset(size_.left, size_.top));
    for (CView* child : children_) {
        if (child->getViewSize().offset(context->getOrigin().x, context->getOrigin().y).intersect(context->getClipRect()).isEmpty())
            continue;
        child->draw(context);
        child->setDirty(false);
    }
    context->setOrigin(savedOrigin);
    context->setClipRect(savedClip);
    dirty_ = false;
}

CView* CViewContainer::viewAt(CPoint where) {
    const CPoint local = where.offset(-size_.left, -size_.top);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* child = *it;
        if (!child->getViewSize().pointInside(local)) continue;
        if (child->isContainer()) {
            if (CView* inner = static_cast<CViewContainer*>(child)->viewAt(local)) return inner;
        }
        return child;
    }
    return nullptr;
}

void CViewContainer::mouse(CDrawContext* context, CPoint where, long buttons) {
    const CPoint local = where.offset(-size_.left, -size_.top);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* child = *it;
        if (!child->getViewSize().pointInside(local)) continue;
        if (child->getMouseEnabled()) child->mouse(context, local, buttons);
        return;  // the topmost view under the point takes the click, even a disabled one
    }
}

bool CViewContainer::onWheel(CDrawContext* context, CPoint where, float distance, long buttons) {
    const CPoint local = where.offset(-size_.left, -size_.top);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* child = *it;
        if (!child->getViewSize().pointInside(local)) continue;
        return child->getMouseEnabled() && child->onWheel(context, local, distance, buttons);
    }
    return false;
}

bool CViewContainer::isDirty() const {
    if (dirty_) return true;
    return std::any_of(children_.begin(), children_.end(), [](const CView* v) { return v->isDirty(); });
}

void CViewContainer::setDirty(bool dirty) {
    CView::setDirty(dirty);
    if (!dirty)
        for (CView* child : children_) child->setDirty(false);
}

void CViewContainer::collectDirty(CRect& region) const {
    if (dirty_) {
        region = region.unite(frameRect());
        return;
    }
    for (const CView* child : children_) {
        if (child->isContainer())
            static_cast<const CViewContainer*>(child)->collectDirty(region);
        else if (child->isDirty())
            region = region.unite(child->frameRect());
    }
}

void CViewContainer::removed(CViewContainer* parent) {
    // The children stay attached to this container; the frame lets go of its focus or grab inside it.
    CView::removed(parent);
}

}  // namespace VSTGUI
