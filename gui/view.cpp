#include "gui/view.h"

#include "gui/bitmap.h"
#include "gui/frame.h"
#include "gui/view_container.h"

namespace VSTGUI {

CView::CView(const CRect& size) : size_(size) {}

CView::~CView() {
    if (background_ != nullptr) background_->forget();
}

void CView::draw(CDrawContext* context) {
    if (background_ == nullptr) return;
    if (transparent_)
        background_->drawTransparent(context, size_);
    else
        background_->draw(context, size_);
}

void CView::mouse(CDrawContext*, CPoint, long) {}
void CView::onMouseUp(CPoint, long) {}
void CView::onMouseMoved(CPoint, long) {}
bool CView::onWheel(CDrawContext*, CPoint, float, long) { return false; }
bool CView::onKeyDown(int, int, long) { return false; }

void CView::setBackground(CBitmap* background) {
    if (background == background_) return;
    if (background != nullptr) background->remember();
    if (background_ != nullptr) background_->forget();
    background_ = background;
    setDirty(true);
}

CRect CView::frameRect() const {
    const CPoint topLeft = parentToFrame({size_.left, size_.top});
    return CRect::fromSize(topLeft.x, topLeft.y, size_.width(), size_.height());
}

CPoint CView::parentToFrame(CPoint p) const {
    for (const CViewContainer* c = parent_; c != nullptr && c->getParentView() != nullptr; c = c->getParentView())
        p = p.offset(c->getViewSize().left, c->getViewSize().top);
    return p;
}

CFrame* CView::getFrame() const {
    const CView* v = this;
    while (v->parent_ != nullptr) v = v->parent_;
    return v->isContainer() ? static_cast<const CViewContainer*>(v)->asFrame() : nullptr;
}

void CView::removed(CViewContainer*) {
    if (CFrame* frame = getFrame()) frame->viewRemoved(this);
    parent_ = nullptr;
}

}  // namespace VSTGUI
