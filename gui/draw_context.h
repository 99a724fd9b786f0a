// Drawing into the frame's pixel picture. A context has an origin (the top-left of the view container
// being drawn, in the picture's pixels) and a clip rectangle (in the picture's pixels); views draw in
// their container's coordinates. COffscreenContext owns its picture.
// User-interface thread only.
#pragma once

#include <string_view>

#include "gui/font_atlas.h"
#include "gui/geometry.h"
#include "gui/pixel_image.h"
#include "gui/text_renderer.h"

namespace VSTGUI {

class CDrawContext {
public:
    explicit CDrawContext(PixelImage& target) : target_(&target), clip_(0, 0, target.width, target.height) {}
    virtual ~CDrawContext() = default;

    PixelImage& target() { return *target_; }
    CPoint getOrigin() const { return origin_; }
    void setOrigin(CPoint origin) { origin_ = origin; }
    // Clip in the picture's pixels.
    CRect getClipRect() const { return clip_; }
    void setClipRect(const CRect& clip) { clip_ = clip.intersect(CRect(0, 0, target_->width, target_->height)); }

    void fillRect(const CRect& area, Pixel colour);
    void drawImage(const PixelImage& image, const CRect& dest, CPoint offset);
    void drawImageKeyed(const PixelImage& image, const CRect& dest, CPoint offset, Pixel key);
    void drawString(std::string_view utf8, const CRect& box, FontId font, Pixel colour,
                    HoriTxtAlign align = HoriTxtAlign::kCenterText);

private:
    CRect toTarget(const CRect& r) const { return r.offset(origin_.x, origin_.y); }

    PixelImage* target_;
    CPoint origin_{};
    CRect clip_;
};

namespace detail {
// Holds the offscreen picture so that it exists before the context that draws into it.
struct OffscreenPicture {
    OffscreenPicture(int width, int height, Pixel fill) { image_.resize(width, height, fill); }
    PixelImage image_;
};
}  // namespace detail

class COffscreenContext : private detail::OffscreenPicture, public CDrawContext {
public:
    COffscreenContext(int width, int height, Pixel fill = 0) : OffscreenPicture(width, height, fill), CDrawContext(image_) {}
    const PixelImage& image() const { return image_; }
    PixelImage& image() { return image_; }
};

}  // namespace VSTGUI
