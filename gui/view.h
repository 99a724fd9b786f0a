// Base of everything the frame shows: a rectangle in its parent's coordinates, drawing, mouse, wheel
// and key entry points, and a dirty flag that the frame's idle turns into a redraw.
// User-interface thread only.
#pragma once

#include "gui/geometry.h"
#include "gui/reference_counter.h"

namespace VSTGUI {

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;

class CView : public CReferenceCounter {
public:
    explicit CView(const CRect& size);
    ~CView() override;

    // `where` is in the parent's coordinates, as the view's size.
    virtual void draw(CDrawContext* context);
    // A press starts a drag that belongs to the view under the point: until the last mouse button is
    // let go the frame sends it onMouseMoved for every move of the pointer and every change of the
    // buttons or modifier keys held (`buttons` as held now), then onMouseUp with what is held after.
    virtual void mouse(CDrawContext* context, CPoint where, long buttons);
    virtual void onMouseUp(CPoint where, long buttons);
    virtual void onMouseMoved(CPoint where, long buttons);
    virtual bool onWheel(CDrawContext* context, CPoint where, float distance, long buttons);
    virtual bool onKeyDown(int character, int virtualKey, long modifiers);
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    virtual bool isDirty() const { return dirty_; }
    virtual void setDirty(bool dirty = true) { dirty_ = dirty; }
    // Asks for a redraw at the frame's next idle.
    void invalid() { setDirty(true); }

    const CRect& getViewSize() const { return size_; }
    virtual void setViewSize(const CRect& size) { size_ = size; }
    // The view's rectangle in frame pixels.
    CRect frameRect() const;
    // Converts a point in this view's parent coordinates to frame pixels.
    CPoint parentToFrame(CPoint p) const;

    void setMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    bool getMouseEnabled() const { return mouseEnabled_; }
    void setTransparency(bool transparent) { transparent_ = transparent; }
    bool getTransparency() const { return transparent_; }
    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return background_; }

    CViewContainer* getParentView() const { return parent_; }
    CFrame* getFrame() const;
    bool isAttached() const { return parent_ != nullptr; }
    // Called by the container that takes or lets go of the view.
    virtual void attached(CViewContainer* parent) { parent_ = parent; }
    virtual void removed(CViewContainer* parent);

    virtual bool isContainer() const { return false; }

protected:
    CRect size_;
    CBitmap* background_ = nullptr;
    CViewContainer* parent_ = nullptr;
    bool dirty_ = true;
    bool mouseEnabled_ = true;
    bool transparent_ = false;
};

}  // namespace VSTGUI
