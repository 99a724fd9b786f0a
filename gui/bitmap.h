// A skin picture loaded from a bitmap resource by numeric id, drawn opaque or colour-keyed.
// User-interface thread only (bitmaps are shared through the editor's cache and reference counted).
#pragma once

#include "gui/geometry.h"
#include "gui/pixel_image.h"
#include "gui/reference_counter.h"

namespace VSTGUI {

class CDrawContext;

class CBitmap : public CReferenceCounter {
public:
    explicit CBitmap(int resourceId);
    explicit CBitmap(PixelImage image);  // a picture made in memory (tests, generated pictures)

    int getResourceId() const { return resourceId_; }
    bool isLoaded() const { return image_.width > 0 && image_.height > 0; }
    int getWidth() const { return image_.width; }
    int getHeight() const { return image_.height; }
    const PixelImage& image() const { return image_; }

    // Draws the part of the picture at `offset` into `dest` (its size gives the part's size).
    void draw(CDrawContext* context, const CRect& dest, CPoint offset = {});
    void drawTransparent(CDrawContext* context, const CRect& dest, CPoint offset = {});

    void setTransparentColor(Pixel colour) {
        transparentColour_ = colour;
        hasTransparentColour_ = true;
    }
    Pixel getTransparentColor() const { return transparentColour_; }
    bool hasTransparentColor() const { return hasTransparentColour_; }

private:
    int resourceId_ = -1;
    PixelImage image_;
    Pixel transparentColour_ = kTransparentPixel;
    bool hasTransparentColour_ = false;
};

}  // namespace VSTGUI
