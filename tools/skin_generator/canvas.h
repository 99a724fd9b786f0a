// Drawing primitives of the skin generator: an opaque RGB canvas over cairo, the palette, bevels, fields,
// icons and text in the DejaVu faces. Every picture of the skin is drawn with these, so the look stays
// consistent from one picture to the next.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace skin {

struct Rgb {
    double r, g, b;
};
constexpr Rgb rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

// One accent for values, arcs and lit switches; everything else is charcoal and grey.
namespace palette {
constexpr Rgb kAccent = rgb(72, 190, 236);
constexpr Rgb kAccentDim = rgb(58, 146, 184);  // captions of pressed buttons
constexpr Rgb kPanelTop = rgb(50, 53, 58);
constexpr Rgb kPanelBottom = rgb(38, 40, 44);
constexpr Rgb kBar = rgb(28, 30, 33);          // top strip
constexpr Rgb kDialog = rgb(46, 49, 54);       // dialogs and overlay panels (flat: buttons sit anywhere)
constexpr Rgb kDialogTitle = rgb(34, 36, 40);
constexpr Rgb kLine = rgb(22, 23, 26);         // dark separators and outlines
constexpr Rgb kHighlight = rgb(70, 74, 81);    // bevel light edge
constexpr Rgb kLabel = rgb(150, 157, 167);     // static captions
constexpr Rgb kHeading = rgb(214, 219, 225);   // headings and button captions
constexpr Rgb kText = rgb(226, 230, 235);
constexpr Rgb kFieldFill = rgb(20, 21, 24);    // text field insets
constexpr Rgb kFieldEdge = rgb(12, 13, 15);
constexpr Rgb kFieldLight = rgb(64, 68, 74);
constexpr Rgb kFaceTop = rgb(74, 78, 86);      // button face
constexpr Rgb kFaceBottom = rgb(54, 57, 63);
constexpr Rgb kFacePressedTop = rgb(40, 43, 47);
constexpr Rgb kFacePressedBottom = rgb(48, 51, 56);
constexpr Rgb kTrack = rgb(18, 19, 22);        // knob track groove
constexpr Rgb kKnobTop = rgb(98, 103, 112);
constexpr Rgb kKnobBottom = rgb(44, 47, 52);
constexpr Rgb kPointer = rgb(240, 243, 246);
constexpr Rgb kIconOff = rgb(118, 124, 133);
constexpr Rgb kLampOff = rgb(70, 30, 30);
constexpr Rgb kLampRed = rgb(255, 58, 46);
}  // namespace palette

enum class Face { Sans, SansBold, Condensed, CondensedBold };
enum class Align { Left, Centre, Right };

// Loads the DejaVu faces from `fontDir` (a directory of .ttf files). Call once before any text.
bool loadFonts(const std::string& fontDir);
std::string fontPath(Face face);

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    Canvas(Canvas&& other) noexcept;

    int width() const { return width_; }
    int height() const { return height_; }
    cairo_t* cr() { return cr_; }
    cairo_surface_t* surface() { return surface_; }

    void fill(Rgb colour);
    // Copies a w x h area of `source` at (sx, sy) to (dx, dy) unchanged.
    void copyFrom(Canvas& source, int sx, int sy, int dx, int dy, int w, int h);
    // 0x00RRGGBB, rows top to bottom; antialiasing that happened to land on the key colour is moved off it.
    std::vector<uint32_t> pixels();
    bool writePng(const std::string& path);

private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
void verticalGradient(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom);
void hline(cairo_t* cr, double x0, double x1, double y, Rgb c);
void vline(cairo_t* cr, double x, double y0, double y1, Rgb c);

// A raised panel: gradient, dark outline and a light top edge.
void raisedPanel(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom, double radius);
// A sunken text field filling its whole rectangle (square: fields are drawn over anything).
void insetField(cairo_t* cr, double x, double y, double w, double h);

enum class ButtonState { Normal, Pressed, Lit };
// A button face in one of its states; the lit state is the normal face with a faint accent rim.
void buttonFace(cairo_t* cr, double x, double y, double w, double h, ButtonState state);
Rgb captionColour(ButtonState state);

void powerIcon(cairo_t* cr, double cx, double cy, double radius, Rgb colour, double lineWidth);
void ledDot(cairo_t* cr, double cx, double cy, double radius, bool lit, Rgb litColour);

// Text: `y` is the baseline. Sizes are pixels.
double textWidth(Face face, double size, const std::string& utf8);
void text(cairo_t* cr, Face face, double size, const std::string& utf8, double x, double y, Rgb colour,
          Align align = Align::Left);
// Centres the caps height of the text vertically on `cy`.
void textCentred(cairo_t* cr, Face face, double size, const std::string& utf8, double cx, double cy, Rgb colour);
// Letter-spaced capitals for small headings.
void spacedText(cairo_t* cr, Face face, double size, const std::string& utf8, double cx, double y, double spacing,
                Rgb colour);
double capHeight(double size);

}  // namespace skin
