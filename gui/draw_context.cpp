#include "gui/draw_context.h"

#include "gui/blitter.h"

namespace VSTGUI {

void CDrawContext::fillRect(const CRect& area, Pixel colour) { blit::fill(*target_, clip_, toTarget(area), colour); }

void CDrawContext::drawImage(const PixelImage& image, const CRect& dest, CPoint offset) {
    blit::copyOpaque(*target_, clip_, toTarget(dest), image, offset);
}

void CDrawContext::drawImageKeyed(const PixelImage& image, const CRect& dest, CPoint offset, Pixel key) {
    blit::copyKeyed(*target_, clip_, toTarget(dest), image, offset, key);
}

void CDrawContext::drawString(std::string_view utf8, const CRect& box, FontId font, Pixel colour, HoriTxtAlign align) {
    text::draw(*target_, clip_, toTarget(box), fontFace(font), utf8, colour, align);
}

}  // namespace VSTGUI
