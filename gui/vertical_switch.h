// Switches over a vertical strip of pictures: CVerticalSwitch picks a frame from the value,
// CKickButton is pressed while held. User-interface thread only.
#pragma once

#include "gui/control.h"

namespace VSTGUI {

class CVerticalSwitch : public CControl {
public:
    CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, int subPixmaps, int heightOfOneImage,
                    int iMaxPositions, CBitmap* strip, CPoint offset = {});
    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint where, long buttons) override;

    int getNumSubPixmaps() const { return subPixmaps_; }
    int getHeightOfOneImage() const { return heightOfOneImage_; }
    // Draws frame `index` (clamped to the strip) of the background.
    void drawFrame(CDrawContext* context, int index);

protected:
    int subPixmaps_;
    int heightOfOneImage_;
    int maxPositions_;
    CPoint offset_;
};

class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, long tag, int heightOfOneImage, CBitmap* strip,
                CPoint offset = {});
    void draw(CDrawContext* context) override;
    // Pressed while the left button is held.
    void mouse(CDrawContext* context, CPoint where, long buttons) override;
    void onMouseUp(CPoint where, long buttons) override;

protected:
    int heightOfOneImage_;
    bool held_ = false;
    CPoint offset_;
};

}  // namespace VSTGUI
