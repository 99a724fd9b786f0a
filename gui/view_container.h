// A view holding other views (the frame and the editor's panels). Children are in the container's own
// coordinates; the last attached is drawn on top and hit first. User-interface thread only.
#pragma once

#include <vector>

#include "gui/view.h"

namespace VSTGUI {

class CViewContainer : public CView {
public:
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    ~CViewContainer() override;

    // Takes over the caller's reference.
    void addView(CView* view);
    // Detaches `view`; with `withForget` also drops the container's reference (usually deleting it).
    void removeView(CView* view, bool withForget = true);
    void removeAll(bool withForget = true);
    bool isChild(const CView* view) const;
    const std::vector<CView*>& children() const { return children_; }

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint where, long buttons) override;
    bool onWheel(CDrawContext* context, CPoint where, float distance, long buttons) override;
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;
    bool isContainer() const override { return true; }
    void removed(CViewContainer* parent) override;

    // The child hit at `where` (this container's parent coordinates), searching nested containers.
    CView* viewAt(CPoint where);
    virtual CFrame* asFrame() const { return nullptr; }

    // Adds the dirty rectangles of this container's tree to `region` (frame pixels).
    void collectDirty(CRect& region) const;

protected:
    std::vector<CView*> children_;
};

}  // namespace VSTGUI
