#include "canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace skin {

namespace {

constexpr std::array<const char*, 4> kFontFiles = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansCondensed.ttf",
                                                    "DejaVuSansCondensed-Bold.ttf"};
// DejaVu's capital height as a share of the pixel size (1493 of 2048 units).
constexpr double kCapShare = 0.729;

FT_Library gLibrary = nullptr;
std::array<cairo_font_face_t*, 4> gFaces{};
std::string gFontDir;

cairo_font_face_t* faceOf(Face face) { return gFaces[static_cast<std::size_t>(face)]; }

// Grey antialiasing and slight hinting: the same rendering the font atlas uses, so drawn and atlas
// text look alike.
void applyTextOptions(cairo_t* cr, Face face, double size) {
    cairo_set_font_face(cr, faceOf(face));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

}  // namespace

bool loadFonts(const std::string& fontDir) {
    gFontDir = fontDir;
    if (FT_Init_FreeType(&gLibrary) != 0) return false;
    for (std::size_t i = 0; i < kFontFiles.size(); ++i) {
        FT_Face ftFace = nullptr;
        if (FT_New_Face(gLibrary, fontPath(static_cast<Face>(i)).c_str(), 0, &ftFace) != 0) return false;
        gFaces[i] = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    }
    return true;
}

std::string fontPath(Face face) { return gFontDir + "/" + kFontFiles[static_cast<std::size_t>(face)]; }

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
      cr_(cairo_create(surface_)) {
    fill(rgb(0, 0, 0));
}

Canvas::~Canvas() {
    if (cr_ != nullptr) cairo_destroy(cr_);
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

Canvas::Canvas(Canvas&& other) noexcept
    : width_(other.width_), height_(other.height_), surface_(std::exchange(other.surface_, nullptr)),
      cr_(std::exchange(other.cr_, nullptr)) {}

void Canvas::fill(Rgb colour) {
    setColour(cr_, colour);
    cairo_paint(cr_);
}

void Canvas::copyFrom(Canvas& source, int sx, int sy, int dx, int dy, int w, int h) {
    cairo_surface_flush(source.surface_);
    cairo_save(cr_);
    cairo_rectangle(cr_, dx, dy, w, h);
    cairo_clip(cr_);
    cairo_set_source_surface(cr_, source.surface_, dx - sx, dy - sy);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

std::vector<uint32_t> Canvas::pixels() {
    constexpr uint32_t kKey = 0x00ff00;
    constexpr uint32_t kBesideKey = 0x00fe00;
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    std::vector<uint32_t> out(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width_; ++x) {
            uint32_t p = row[x] & 0x00ffffff;
            out[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
                p == kKey ? kBesideKey : p;
        }
    }
    return out;
}

bool Canvas::writePng(const std::string& path) {
    cairo_surface_flush(surface_);
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

void setColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    constexpr double kQuarter = std::numbers::pi / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -kQuarter, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, kQuarter);
    cairo_arc(cr, x + radius, y + h - radius, radius, kQuarter, 2 * kQuarter);
    cairo_arc(cr, x + radius, y + radius, radius, 2 * kQuarter, 3 * kQuarter);
    cairo_close_path(cr);
}

void verticalGradient(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom) {
    cairo_pattern_t* pattern = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(pattern, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(pattern, 1, bottom.r, bottom.g, bottom.b);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}

void hline(cairo_t* cr, double x0, double x1, double y, Rgb c) {
    cairo_rectangle(cr, x0, y, x1 - x0, 1);
    setColour(cr, c);
    cairo_fill(cr);
}

void vline(cairo_t* cr, double x, double y0, double y1, Rgb c) {
    cairo_rectangle(cr, x, y0, 1, y1 - y0);
    setColour(cr, c);
    cairo_fill(cr);
}

void raisedPanel(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom, double radius) {
    roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius);
    cairo_pattern_t* pattern = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(pattern, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(pattern, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, pattern);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(pattern);
    setColour(cr, palette::kLine);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Light top edge inside the outline.
    setColour(cr, palette::kHighlight, 0.8);
    cairo_move_to(cr, x + radius + 1, y + 1.5);
    cairo_line_to(cr, x + w - radius - 1, y + 1.5);
    cairo_stroke(cr);
}

void insetField(cairo_t* cr, double x, double y, double w, double h) {
    cairo_rectangle(cr, x, y, w, h);
    setColour(cr, palette::kFieldFill);
    cairo_fill(cr);
    hline(cr, x, x + w, y, palette::kFieldEdge);
    vline(cr, x, y, y + h, palette::kFieldEdge);
    hline(cr, x + 1, x + w, y + h - 1, palette::kFieldLight);
    vline(cr, x + w - 1, y + 1, y + h, palette::kFieldLight);
}

void buttonFace(cairo_t* cr, double x, double y, double w, double h, ButtonState state) {
    constexpr double kRadius = 3;
    const bool pressed = state == ButtonState::Pressed;
    roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, kRadius);
    cairo_pattern_t* pattern = cairo_pattern_create_linear(0, y, 0, y + h);
    const Rgb top = pressed ? palette::kFacePressedTop : palette::kFaceTop;
    const Rgb bottom = pressed ? palette::kFacePressedBottom : palette::kFaceBottom;
    cairo_pattern_add_color_stop_rgb(pattern, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(pattern, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, pattern);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(pattern);
    setColour(cr, palette::kLine);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1);
    if (pressed) {
        setColour(cr, rgb(0, 0, 0), 0.35);
        cairo_move_to(cr, x + kRadius, y + 1.5);
        cairo_line_to(cr, x + w - kRadius, y + 1.5);
    } else {
        setColour(cr, rgb(255, 255, 255), 0.12);
        cairo_move_to(cr, x + kRadius, y + 1.5);
        cairo_line_to(cr, x + w - kRadius, y + 1.5);
    }
    cairo_stroke(cr);
    if (state == ButtonState::Lit) {
        roundedRect(cr, x + 1.5, y + 1.5, w - 3, h - 3, kRadius - 1);
        setColour(cr, palette::kAccent, 0.25);
        cairo_stroke(cr);
    }
}

Rgb captionColour(ButtonState state) {
    switch (state) {
        case ButtonState::Lit: return palette::kAccent;
        case ButtonState::Pressed: return palette::kAccentDim;
        case ButtonState::Normal: break;
    }
    return palette::kHeading;
}

void powerIcon(cairo_t* cr, double cx, double cy, double radius, Rgb colour, double lineWidth) {
    constexpr double kGap = 0.3 * std::numbers::pi;  // opening of the ring around the stem
    const double top = -std::numbers::pi / 2;
    setColour(cr, colour);
    cairo_set_line_width(cr, lineWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, radius, top + kGap, top - kGap + 2 * std::numbers::pi);
    cairo_stroke(cr);
    cairo_move_to(cr, cx, cy - radius - lineWidth * 0.3);
    cairo_line_to(cr, cx, cy - radius * 0.15);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void ledDot(cairo_t* cr, double cx, double cy, double radius, bool lit, Rgb litColour) {
    if (lit) {
        // Glow first, then the lens with a bright centre.
        cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, radius * 0.5, cx, cy, radius * 2.2);
        cairo_pattern_add_color_stop_rgba(glow, 0, litColour.r, litColour.g, litColour.b, 0.45);
        cairo_pattern_add_color_stop_rgba(glow, 1, litColour.r, litColour.g, litColour.b, 0);
        cairo_arc(cr, cx, cy, radius * 2.2, 0, 2 * std::numbers::pi);
        cairo_set_source(cr, glow);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    cairo_arc(cr, cx, cy, radius + 0.8, 0, 2 * std::numbers::pi);
    setColour(cr, palette::kLine);
    cairo_fill(cr);
    cairo_pattern_t* lens = cairo_pattern_create_radial(cx - radius * 0.3, cy - radius * 0.3, 0, cx, cy, radius);
    const Rgb base = lit ? litColour : Rgb{litColour.r * 0.28, litColour.g * 0.28, litColour.b * 0.28};
    const double boost = lit ? 0.55 : 0.15;
    cairo_pattern_add_color_stop_rgb(lens, 0, base.r + (1 - base.r) * boost, base.g + (1 - base.g) * boost,
                                     base.b + (1 - base.b) * boost);
    cairo_pattern_add_color_stop_rgb(lens, 1, base.r * 0.8, base.g * 0.8, base.b * 0.8);
    cairo_arc(cr, cx, cy, radius, 0, 2 * std::numbers::pi);
    cairo_set_source(cr, lens);
    cairo_fill(cr);
    cairo_pattern_destroy(lens);
}

double capHeight(double size) { return size * kCapShare; }

double textWidth(Face face, double size, const std::string& utf8) {
    static Canvas measure(1, 1);
    applyTextOptions(measure.cr(), face, size);
    cairo_text_extents_t extents;
    cairo_text_extents(measure.cr(), utf8.c_str(), &extents);
    return extents.x_advance;
}

void text(cairo_t* cr, Face face, double size, const std::string& utf8, double x, double y, Rgb colour,
          Align align) {
    applyTextOptions(cr, face, size);
    const double w = textWidth(face, size, utf8);
    // Whole-pixel pen positions keep hinted stems sharp.
    double left = x;
    if (align == Align::Centre) left = x - w / 2;
    if (align == Align::Right) left = x - w;
    cairo_move_to(cr, std::round(left), std::round(y));
    setColour(cr, colour);
    cairo_show_text(cr, utf8.c_str());
    cairo_new_path(cr);
}

void textCentred(cairo_t* cr, Face face, double size, const std::string& utf8, double cx, double cy, Rgb colour) {
    text(cr, face, size, utf8, cx, cy + capHeight(size) / 2, colour, Align::Centre);
}

void spacedText(cairo_t* cr, Face face, double size, const std::string& utf8, double cx, double y, double spacing,
                Rgb colour) {
    // ASCII captions only: one byte, one letter.
    double total = 0;
    for (char c : utf8) total += textWidth(face, size, std::string(1, c)) + spacing;
    total -= spacing;
    double x = cx - total / 2;
    for (char c : utf8) {
        const std::string letter(1, c);
        text(cr, face, size, letter, x, y, colour);
        x += textWidth(face, size, letter) + spacing;
    }
}

}  // namespace skin
