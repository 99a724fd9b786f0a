// Rotary knobs: CKnob holds the drag behaviour, CAnimKnob draws one frame of a vertical strip chosen by
// the value. User-interface thread only.
#pragma once

#include "gui/control.h"

namespace VSTGUI {

class CKnob : public CControl {
public:
    // Pixels of vertical drag for the whole range.
    static constexpr float kDragRange = 200.0f;
    // Share of the range per wheel unit, and with shift.
    static constexpr float kWheelStep = 0.01f;
    static constexpr float kFineWheelStep = 0.001f;

    CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background);
    // Linear vertical drag with the left button: up increases.
    void mouse(CDrawContext* context, CPoint where, long buttons) override;
    void onMouseMoved(CPoint where, long buttons) override;
    void onMouseUp(CPoint where, long buttons) override;
    bool onWheel(CDrawContext* context, CPoint where, float distance, long buttons) override;

protected:
    // Moves the value by `delta` (clamped); a change is one edit gesture for the listener.
    void nudge(CDrawContext* context, float delta);

private:
    bool dragging_ = false;
    float dragStart_ = 0.0f;
    CPoint dragAnchor_{};
};

class CAnimKnob : public CKnob {
public:
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, int subPixmaps, int heightOfOneImage,
              CBitmap* strip, CPoint offset = {});
    void draw(CDrawContext* context) override;

    int getNumSubPixmaps() const { return subPixmaps_; }
    int getHeightOfOneImage() const { return heightOfOneImage_; }
    // The strip frame that `value` shows: value·(N−1) taken down to a whole frame, within 0..N−1.
    static int frameFor(float value, int subPixmaps);

protected:
    int subPixmaps_;
    int heightOfOneImage_;
    CPoint offset_;
};

}  // namespace VSTGUI
