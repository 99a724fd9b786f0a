#include "knobs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace skin {

namespace {

constexpr double kPi = std::numbers::pi;
// 270 degrees of travel, open at the bottom (cairo angles grow clockwise from +x).
constexpr double kStartAngle = 0.75 * kPi;
constexpr double kSweep = 1.5 * kPi;
constexpr double kTrackWidth = 2.6;
constexpr double kBodyShare = 0.66;    // body radius / outer radius
constexpr double kPointerInner = 0.3;  // pointer from this share of the body radius ...
constexpr double kPointerOuter = 0.86;  // ... to this one
constexpr double kEndDotRadius = 0.8;
constexpr double kEndDotDrop = 1.6;

void drawFrame(cairo_t* cr, double cx, double cy, double outer, double value, bool bipolar) {
    const double arcRadius = outer - kTrackWidth / 2;
    const double angle = kStartAngle + kSweep * value;
    cairo_set_line_width(cr, kTrackWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, arcRadius, kStartAngle, kStartAngle + kSweep);
    setColour(cr, palette::kTrack);
    cairo_stroke(cr);

    const double neutral = bipolar ? kStartAngle + kSweep / 2 : kStartAngle;
    const double from = std::min(neutral, angle);
    const double to = std::max(neutral, angle);
    if (to - from > 1e-6) {
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, arcRadius, from, to);
        setColour(cr, palette::kAccent);
        cairo_stroke(cr);
    }
    // Dots just outside both ends of the travel.
    for (double end : {kStartAngle, kStartAngle + kSweep}) {
        cairo_new_path(cr);
        cairo_arc(cr, cx + std::cos(end) * (arcRadius - 0.5), cy + std::sin(end) * (arcRadius - 0.5) + kEndDotDrop,
                  kEndDotRadius, 0, 2 * kPi);
        setColour(cr, palette::kLabel, 0.7);
        cairo_fill(cr);
    }
    if (bipolar) {
        // A tick at the centre detent.
        cairo_new_path(cr);
        cairo_move_to(cr, cx, cy - outer);
        cairo_line_to(cr, cx, cy - outer + kTrackWidth);
        cairo_set_line_width(cr, 1);
        setColour(cr, palette::kLabel);
        cairo_stroke(cr);
    }

    // Body: drop shadow, shaded disc, rim and a light upper edge.
    const double body = outer * kBodyShare;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy + 1, body + 0.5, 0, 2 * kPi);
    setColour(cr, rgb(0, 0, 0), 0.45);
    cairo_fill(cr);
    cairo_pattern_t* shade = cairo_pattern_create_linear(cx, cy - body, cx, cy + body);
    cairo_pattern_add_color_stop_rgb(shade, 0, palette::kKnobTop.r, palette::kKnobTop.g, palette::kKnobTop.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, palette::kKnobBottom.r, palette::kKnobBottom.g,
                                     palette::kKnobBottom.b);
    cairo_arc(cr, cx, cy, body, 0, 2 * kPi);
    cairo_set_source(cr, shade);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
    cairo_pattern_t* cap = cairo_pattern_create_linear(cx, cy - body, cx, cy + body);
    cairo_pattern_add_color_stop_rgb(cap, 0, 0.30, 0.32, 0.35);
    cairo_pattern_add_color_stop_rgb(cap, 1, 0.20, 0.21, 0.24);
    cairo_arc(cr, cx, cy, body - 1.6, 0, 2 * kPi);
    cairo_set_source(cr, cap);
    cairo_fill(cr);
    cairo_pattern_destroy(cap);
    cairo_arc(cr, cx, cy, body - 0.5, 0, 2 * kPi);
    cairo_set_line_width(cr, 1);
    setColour(cr, palette::kLine, 0.9);
    cairo_stroke(cr);

    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx + std::cos(angle) * body * kPointerInner, cy + std::sin(angle) * body * kPointerInner);
    cairo_line_to(cr, cx + std::cos(angle) * body * kPointerOuter, cy + std::sin(angle) * body * kPointerOuter);
    setColour(cr, palette::kPointer);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

}  // namespace

Canvas drawKnobStrip(const KnobSpec& spec, Canvas& background) {
    Canvas strip(spec.width, spec.frameHeight * spec.frames);
    const double cx = kColumnCentre[spec.column] - spec.x;
    const double cy = spec.frameHeight / 2.0;
    for (int i = 0; i < spec.frames; ++i) {
        const int top = i * spec.frameHeight;
        strip.copyFrom(background, spec.x, spec.y, 0, top, spec.width, spec.frameHeight);
        cairo_t* cr = strip.cr();
        cairo_save(cr);
        cairo_rectangle(cr, 0, top, spec.width, spec.frameHeight);
        cairo_clip(cr);
        drawFrame(cr, cx, top + cy, spec.outerRadius, static_cast<double>(i) / (spec.frames - 1), spec.bipolar);
        cairo_restore(cr);
    }
    return strip;
}

}  // namespace skin
