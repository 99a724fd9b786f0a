#include "switches.h"

#include <array>
#include <cmath>
#include <numbers>
#include <string>

namespace skin {

namespace {

constexpr double kCaptionSize = 9;
constexpr double kLargeCaptionSize = 11;
constexpr int kPressedFrame = 1;
constexpr int kOnFrame = 2;

ButtonState stateOfFrame(int frame) {
    if (frame == kOnFrame) return ButtonState::Lit;
    if (frame == kPressedFrame) return ButtonState::Pressed;
    return ButtonState::Normal;
}

void paintBackdrop(Canvas& out, const Backdrop& backdrop, int top, int frameHeight) {
    if (backdrop.source != nullptr) {
        out.copyFrom(*backdrop.source, backdrop.x, backdrop.y, 0, top, out.width(), frameHeight);
        return;
    }
    cairo_rectangle(out.cr(), 0, top, out.width(), frameHeight);
    setColour(out.cr(), backdrop.flat);
    cairo_fill(out.cr());
}

// Runs `draw(cr, top, frameHeight, frame)` for each frame, clipped to it, over the backdrop.
template <typename Draw>
void eachFrame(Canvas& out, int frames, const Backdrop& backdrop, Draw draw) {
    const int frameHeight = out.height() / frames;
    for (int frame = 0; frame < frames; ++frame) {
        const int top = frame * frameHeight;
        paintBackdrop(out, backdrop, top, frameHeight);
        cairo_t* cr = out.cr();
        cairo_save(cr);
        cairo_rectangle(cr, 0, top, out.width(), frameHeight);
        cairo_clip(cr);
        draw(cr, top, frameHeight, frame);
        cairo_restore(cr);
    }
}

// A button with one centred caption; the caption lights in the accent colour when on.
void captionButton(Canvas& out, int frames, const Backdrop& backdrop, const std::string& caption, Face face,
                   double size) {
    eachFrame(out, frames, backdrop, [&](cairo_t* cr, int top, int h, int frame) {
        const ButtonState state = stateOfFrame(frame);
        buttonFace(cr, 0, top, out.width(), h, state);
        textCentred(cr, face, size, caption, out.width() / 2.0, top + h / 2.0 + (state == ButtonState::Pressed ? 1 : 0),
                    captionColour(state));
    });
}

// Band on switches: a power symbol that lights up.
void bandSwitch(Canvas& out, const Backdrop& backdrop) {
    constexpr double kIconRadius = 5;
    eachFrame(out, 3, backdrop, [&](cairo_t* cr, int top, int h, int frame) {
        const ButtonState state = stateOfFrame(frame);
        buttonFace(cr, 1, top + 1, out.width() - 2, h - 2, state);
        const double cx = out.width() / 2.0;
        const double cy = top + h / 2.0 + 0.5;
        if (state == ButtonState::Lit) {
            cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 2, cx, cy, 12);
            cairo_pattern_add_color_stop_rgba(glow, 0, palette::kAccent.r, palette::kAccent.g, palette::kAccent.b, 0.3);
            cairo_pattern_add_color_stop_rgba(glow, 1, palette::kAccent.r, palette::kAccent.g, palette::kAccent.b, 0);
            cairo_arc(cr, cx, cy, 12, 0, 2 * std::numbers::pi);
            cairo_set_source(cr, glow);
            cairo_fill(cr);
            cairo_pattern_destroy(glow);
        }
        const Rgb colour = state == ButtonState::Normal ? palette::kIconOff : captionColour(state);
        powerIcon(cr, cx, cy, kIconRadius, colour, 1.6);
    });
}

void generalSwitch(Canvas& out, const Backdrop& backdrop) {
    constexpr double kIconRadius = 8;
    eachFrame(out, 3, backdrop, [&](cairo_t* cr, int top, int h, int frame) {
        const ButtonState state = stateOfFrame(frame);
        buttonFace(cr, 1, top + 1, out.width() - 2, h - 2, state);
        const double cx = out.width() / 2.0;
        const double cy = top + 17;
        const Rgb colour = state == ButtonState::Normal ? palette::kIconOff : captionColour(state);
        powerIcon(cr, cx, cy, kIconRadius, colour, 2.0);
        textCentred(cr, Face::SansBold, 8, state == ButtonState::Lit ? "ON" : "OFF", cx, top + 32, colour);
    });
}

// The small response curve symbols of the type switches, drawn in a box of 19 x 9 at (x, y).
enum class Curve { HighPassGentle, HighPassSteep, LowPassGentle, LowPassSteep, Bell, LowShelf, HighShelf };

double curveAt(Curve curve, double t) {  // t 0..1 across, answer 0 (bottom) .. 1 (top)
    const auto ramp = [](double x, double steep) { return 1.0 / (1.0 + std::exp(-steep * x)); };
    switch (curve) {
        case Curve::HighPassGentle: return 0.5 + 0.5 * std::tanh((t - 0.35) * 5);
        case Curve::HighPassSteep: return 0.5 + 0.5 * std::tanh((t - 0.45) * 12);
        case Curve::LowPassGentle: return 0.5 - 0.5 * std::tanh((t - 0.65) * 5);
        case Curve::LowPassSteep: return 0.5 - 0.5 * std::tanh((t - 0.55) * 12);
        case Curve::Bell: return 0.3 + 0.6 * std::exp(-std::pow((t - 0.5) / 0.17, 2));
        case Curve::LowShelf: return 0.3 + 0.55 * (1 - ramp(t - 0.5, 12));
        case Curve::HighShelf: return 0.3 + 0.55 * ramp(t - 0.5, 12);
    }
    return 0;
}

void curveSymbol(cairo_t* cr, Curve curve, double x, double y, double w, double h, Rgb colour) {
    constexpr int kSteps = 40;
    cairo_new_path(cr);
    for (int i = 0; i <= kSteps; ++i) {
        const double t = static_cast<double>(i) / kSteps;
        const double px = x + t * w;
        const double py = y + h - curveAt(curve, t) * h;
        if (i == 0) cairo_move_to(cr, px, py);
        else cairo_line_to(cr, px, py);
    }
    cairo_set_line_width(cr, 1.4);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, colour);
    cairo_stroke(cr);
}

struct TypeSwitchLook {
    Curve off;
    Curve on;
    const char* offCaption;
    const char* onCaption;
};

// Frame 0 shows the first type, frame 2 the second; the pressed frame shows the second type dimmed.
void typeSwitch(Canvas& out, const Backdrop& backdrop, const TypeSwitchLook& look) {
    eachFrame(out, 3, backdrop, [&](cairo_t* cr, int top, int h, int frame) {
        const ButtonState state = stateOfFrame(frame);
        buttonFace(cr, 0, top, out.width(), h, state);
        const bool second = frame != 0;
        const Rgb colour = state == ButtonState::Normal ? palette::kHeading : captionColour(state);
        const Curve curve = second ? look.on : look.off;
        const char* caption = second ? look.onCaption : look.offCaption;
        if (caption == nullptr) {
            // The curve alone says it, drawn larger.
            curveSymbol(cr, curve, 4, top + 5, out.width() - 8, 13, colour);
            return;
        }
        curveSymbol(cr, curve, 3, top + 3.5, out.width() - 6, 8, colour);
        textCentred(cr, Face::CondensedBold, 8, caption, out.width() / 2.0, top + 17.5, colour);
    });
}

// The auto-gain amount: off, low, high, shown as two pips under the caption.
void autoGainSwitch(Canvas& out, const Backdrop& backdrop) {
    eachFrame(out, 3, backdrop, [&](cairo_t* cr, int top, int h, int frame) {
        buttonFace(cr, 0, top, out.width(), h, ButtonState::Normal);
        const Rgb caption = frame == 0 ? palette::kHeading : palette::kAccent;
        textCentred(cr, Face::SansBold, 8, "AG", 12, top + h / 2.0, caption);
        for (int pip = 0; pip < 2; ++pip) ledDot(cr, 24 + pip * 7, top + h / 2.0, 2, pip < frame, palette::kAccent);
    });
}

// Two positions, each frame naming its position and marking it with a lit dot.
void twoPositionSwitch(Canvas& out, const Backdrop& backdrop, const char* first, const char* second) {
    eachFrame(out, 2, backdrop, [&](cairo_t* cr, int top, int h, int frame) {
        buttonFace(cr, 0, top, out.width(), h, ButtonState::Normal);
        ledDot(cr, 8, top + h / 2.0 - 3, 1.8, frame == 0, palette::kAccent);
        ledDot(cr, 8, top + h / 2.0 + 3, 1.8, frame == 1, palette::kAccent);
        textCentred(cr, Face::SansBold, 8, frame == 0 ? first : second, 38, top + h / 2.0, palette::kAccent);
    });
}

// Menu buttons: normal, pressed and a variant with an accent underline (three pictures, one frame each).
enum class MenuLook { Normal, Pressed, Variant };

void menuButton(Canvas& out, const Backdrop& backdrop, const std::string& caption, MenuLook look) {
    eachFrame(out, 1, backdrop, [&](cairo_t* cr, int top, int h, int) {
        const ButtonState state = look == MenuLook::Pressed ? ButtonState::Pressed : ButtonState::Normal;
        buttonFace(cr, 0, top, out.width(), h, state);
        constexpr double arrowWidth = 6;
        const double captionWidth = caption.empty() ? 0 : textWidth(Face::CondensedBold, kCaptionSize, caption) + 3;
        const double left = (out.width() - captionWidth - arrowWidth) / 2;
        const Rgb colour = look == MenuLook::Normal ? palette::kHeading : palette::kAccent;
        const double cy = top + h / 2.0 + (state == ButtonState::Pressed ? 1 : 0);
        if (!caption.empty()) {
            text(cr, Face::CondensedBold, kCaptionSize, caption, left, cy + capHeight(kCaptionSize) / 2, colour);
        }
        const double ax = std::round(left + captionWidth);
        cairo_move_to(cr, ax, cy - 1.5);
        cairo_line_to(cr, ax + arrowWidth, cy - 1.5);
        cairo_line_to(cr, ax + arrowWidth / 2, cy + 1.5);
        cairo_close_path(cr);
        setColour(cr, look == MenuLook::Normal ? palette::kLabel : palette::kAccent);
        cairo_fill(cr);
        if (look == MenuLook::Variant) {
            cairo_rectangle(cr, 4, top + h - 4, out.width() - 8, 1.5);
            setColour(cr, palette::kAccent, 0.8);
            cairo_fill(cr);
        }
    });
}

void lamp(Canvas& out, const Backdrop& backdrop) {
    constexpr double kLensRadius = 6;
    eachFrame(out, 2, backdrop, [&](cairo_t* cr, int top, int h, int frame) {
        ledDot(cr, out.width() / 2.0, top + h / 2.0, kLensRadius, frame == 1, palette::kLampRed);
    });
}

struct CaptionPicture {
    int id;
    const char* caption;
    Face face;
    double size;
};

// Three-frame switches and push buttons that differ only in their caption.
constexpr CaptionPicture kCaptionPictures[] = {
    {1013, "A", Face::SansBold, kLargeCaptionSize},
    {1023, "B", Face::SansBold, kLargeCaptionSize},
    {1007, "?", Face::SansBold, kLargeCaptionSize},
    {1014, "A\u25B8B", Face::SansBold, kCaptionSize},
    {1015, "A\u25C2B", Face::SansBold, kCaptionSize},
    {1016, "SAVE", Face::SansBold, kCaptionSize},
    {1017, "NEW", Face::SansBold, kCaptionSize},
    {2007, "\u00D7", Face::Sans, 14},
    {2011, "OK", Face::SansBold, kCaptionSize},
    {2010, "Cancel", Face::SansBold, kCaptionSize},
    // side panel: channel switches, copy, link and opposite link in their left/right and mid/side forms
    {1028, "L", Face::SansBold, kLargeCaptionSize},
    {1040, "L", Face::SansBold, kLargeCaptionSize},
    {1043, "M", Face::SansBold, kLargeCaptionSize},
    {1049, "M", Face::SansBold, kLargeCaptionSize},
    {1029, "R", Face::SansBold, kLargeCaptionSize},
    {1041, "R", Face::SansBold, kLargeCaptionSize},
    {1044, "S", Face::SansBold, kLargeCaptionSize},
    {1050, "S", Face::SansBold, kLargeCaptionSize},
    {1030, "L \u25B8 R", Face::SansBold, kCaptionSize},
    {1031, "L \u25C2 R", Face::SansBold, kCaptionSize},
    {1045, "M \u25B8 S", Face::SansBold, kCaptionSize},
    {1046, "M \u25C2 S", Face::SansBold, kCaptionSize},
    {1032, "L//R", Face::SansBold, kCaptionSize},
    {1042, "L//R", Face::SansBold, kCaptionSize},
    {1047, "M//S", Face::SansBold, kCaptionSize},
    {1051, "M//S", Face::SansBold, kCaptionSize},
    {1033, "L+R\u2212", Face::SansBold, kCaptionSize},
    {1048, "M+S\u2212", Face::SansBold, kCaptionSize},
};

struct TypePicture {
    int id;
    TypeSwitchLook look;
};

constexpr TypePicture kTypePictures[] = {
    {3008, {Curve::HighPassGentle, Curve::HighPassSteep, "6dB", "12dB"}},
    {3009, {Curve::LowPassGentle, Curve::LowPassSteep, "6dB", "12dB"}},
    {3010, {Curve::Bell, Curve::LowShelf, nullptr, nullptr}},
    {3011, {Curve::Bell, Curve::HighShelf, nullptr, nullptr}},
};

struct MenuPicture {
    int id;
    const char* caption;
    MenuLook look;
};

constexpr MenuPicture kMenuPictures[] = {
    {1010, "BANK", MenuLook::Normal},    {1009, "BANK", MenuLook::Pressed},    {1024, "BANK", MenuLook::Variant},
    {1012, "PRESET", MenuLook::Normal},  {1011, "PRESET", MenuLook::Pressed},  {1022, "PRESET", MenuLook::Variant},
    {1018, "OPTIONS", MenuLook::Normal}, {1019, "OPTIONS", MenuLook::Pressed}, {1021, "OPTIONS", MenuLook::Variant},
    {1006, "", MenuLook::Normal},
};

constexpr int kAutoGainLeftRight = 1039;
constexpr int kAutoGainMidSide = 1038;
constexpr int kAbsoluteRelative = 1034;
constexpr int kAbsoluteRelativeMidSide = 1035;
constexpr int kOverflowKeepDiff = 1036;
constexpr int kOverflowKeepDiffMidSide = 1037;
constexpr int kFirstBandSwitch = 3000;
constexpr int kLastBandSwitch = 3007;
constexpr int kGeneralSwitch = 3012;
constexpr int kClipLampId = 22;

}  // namespace

bool drawSwitchPicture(int id, int frames, const Backdrop& backdrop, Canvas& out) {
    if (id >= kFirstBandSwitch && id <= kLastBandSwitch) {
        bandSwitch(out, backdrop);
        return true;
    }
    if (id == kGeneralSwitch) {
        generalSwitch(out, backdrop);
        return true;
    }
    if (id == kClipLampId) {
        lamp(out, backdrop);
        return true;
    }
    if (id == kAutoGainLeftRight || id == kAutoGainMidSide) {
        autoGainSwitch(out, backdrop);
        return true;
    }
    if (id == kAbsoluteRelative || id == kAbsoluteRelativeMidSide) {
        twoPositionSwitch(out, backdrop, "ABSOLUTE", "RELATIVE");
        return true;
    }
    if (id == kOverflowKeepDiff || id == kOverflowKeepDiffMidSide) {
        twoPositionSwitch(out, backdrop, "OVERFLOW", "KEEP DIFF");
        return true;
    }
    for (const auto& picture : kCaptionPictures) {
        if (picture.id == id) {
            captionButton(out, frames, backdrop, picture.caption, picture.face, picture.size);
            return true;
        }
    }
    for (const auto& picture : kTypePictures) {
        if (picture.id == id) {
            typeSwitch(out, backdrop, picture.look);
            return true;
        }
    }
    for (const auto& picture : kMenuPictures) {
        if (picture.id == id) {
            menuButton(out, backdrop, picture.caption, picture.look);
            return true;
        }
    }
    return false;
}

}  // namespace skin
