#include "background.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "layout.h"
#include "panels.h"
#include "pictures.h"

namespace skin {

namespace {

struct Box {
    double left, top, right, bottom;
    bool intersects(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

constexpr int kTopBarHeight = 27;
constexpr int kLogoRight = 107;  // the logo column, under the side panel when that is shown
constexpr int kLogoLeft = 24;    // the side panel covers from x 19
constexpr int kHeadingBaseline = 35;  // between the top strip and the band switches
constexpr int kSectionDivider = 545;  // between the bands and Air/Output
constexpr double kHeadingSize = 8;
constexpr double kCaptionSize = 8;
constexpr double kSeparatorTop = 40;
constexpr double kSeparatorBottom = 262;

inline constexpr const char* kBandHeadings[] = {"HP", "LOW", "LOW MID", "MID", "HIGH MID", "HIGH", "LP", "AIR"};

// Rectangles of everything the editor draws over the background (the side panel excepted: it covers the
// logo column on purpose).
std::vector<Box> controlBoxes() {
    std::vector<Box> boxes;
    const auto add = [&](int id, int x, int y) {
        const auto picture = findPicture(id);
        if (!picture) return;
        boxes.push_back({double(x), double(y), double(x + picture->width), double(y + picture->height / picture->frames)});
    };
    for (const KnobSpec& k : kKnobs) add(k.id, k.x, k.y);
    for (const Placement& p : kMainControls) add(p.id, p.x, p.y);
    for (const Placement& p : kMainPanels) add(p.id, p.x, p.y);
    return boxes;
}

class Labeller {
public:
    Labeller(cairo_t* cr, std::vector<std::string>& errors) : cr_(cr), boxes_(controlBoxes()), errors_(errors) {}

    // Text centred on cx at baseline y; letter-spaced small capitals.
    void heading(const std::string& s, double cx, double y, double size, Rgb colour, double spacing = 1) {
        double w = 0;
        for (char c : s) w += textWidth(Face::SansBold, size, std::string(1, c)) + spacing;
        check(s, {cx - w / 2, y - capHeight(size) - 1, cx + w / 2, y + 2});
        spacedText(cr_, Face::SansBold, size, s, cx, y, spacing, colour);
    }
    void caption(const std::string& s, Face face, double x, double y, double size, Rgb colour, Align align) {
        const double w = textWidth(face, size, s);
        const double left = align == Align::Left ? x : align == Align::Right ? x - w : x - w / 2;
        check(s, {left, y - capHeight(size) - 1, left + w, y + 3});
        text(cr_, face, size, s, x, y, colour, align);
    }
    // A 1-pixel vertical separator from y0 to y1 with gaps wherever a control or panel sits.
    void separator(double x, double y0, double y1) {
        std::vector<Box> blocking;
        for (const Box& b : boxes_) {
            if (x + 1 > b.left - 2 && x < b.right + 2) blocking.push_back(b);
        }
        std::sort(blocking.begin(), blocking.end(), [](const Box& a, const Box& b) { return a.top < b.top; });
        double y = y0;
        for (const Box& b : blocking) {
            if (b.top - 3 > y) segment(x, y, std::min(y1, b.top - 3));
            y = std::max(y, b.bottom + 3);
        }
        if (y < y1) segment(x, y, y1);
    }

private:
    void segment(double x, double y0, double y1) {
        vline(cr_, x, y0, y1, palette::kLine);
        vline(cr_, x + 1, y0, y1, palette::kHighlight);
    }
    void check(const std::string& s, const Box& box) {
        for (const Box& b : boxes_) {
            if (box.intersects(b)) {
                errors_.push_back("background label \"" + s + "\" lies under a control at " + std::to_string(int(b.left)) +
                                  "," + std::to_string(int(b.top)));
                return;
            }
        }
    }

    cairo_t* cr_;
    std::vector<Box> boxes_;
    std::vector<std::string>& errors_;
};

void shading(cairo_t* cr) {
    verticalGradient(cr, 0, 0, kEditorWidth, kEditorHeight, palette::kPanelTop, palette::kPanelBottom);
    // Top strip.
    cairo_rectangle(cr, 0, 0, kEditorWidth, kTopBarHeight);
    setColour(cr, palette::kBar);
    cairo_fill(cr);
    hline(cr, 0, kEditorWidth, kTopBarHeight - 1, palette::kLine);
    hline(cr, 0, kEditorWidth, kTopBarHeight, palette::kHighlight);
    // Logo column, a shade darker.
    verticalGradient(cr, 0, kTopBarHeight + 1, kLogoRight, kEditorHeight - kTopBarHeight - 1, rgb(40, 42, 46),
                     rgb(32, 34, 37));
    vline(cr, kLogoRight, kTopBarHeight + 1, kEditorHeight, palette::kLine);
    vline(cr, kLogoRight + 1, kTopBarHeight + 1, kEditorHeight, palette::kHighlight);
    // Outer edge.
    cairo_rectangle(cr, 0.5, 0.5, kEditorWidth - 1, kEditorHeight - 1);
    setColour(cr, palette::kLine);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void topStrip(cairo_t* cr) {
    // Grooves between the groups: bank/preset, slots, options/help.
    for (int x : {350, 500, 595}) {
        vline(cr, x, 5, 23, palette::kLine);
        vline(cr, x + 1, 5, 23, palette::kHighlight);
    }
}

void logo(Labeller& l, cairo_t* cr) {
    const double cx = (kLogoLeft + kLogoRight) / 2.0;
    l.caption("Tovin", Face::SansBold, cx, 60, 22, palette::kText, Align::Centre);
    l.heading("CORVANE", cx, 74, 8, palette::kLabel, 2);
    drawEmblem(cr, kLogoLeft, 78, kLogoRight - kLogoLeft - 6, 16);
}

// Row captions at the right of the logo column, level with the knob rows.
void rowCaptions(Labeller& l) {
    constexpr double kRight = kLogoRight - 6;
    const auto row = [&](const char* name, const char* unit, double centreY) {
        l.heading(name, kRight - textWidth(Face::SansBold, kCaptionSize, name) / 2 - 2, centreY + 2, kCaptionSize,
                  palette::kHeading);
        if (unit != nullptr) l.caption(unit, Face::Sans, kRight, centreY + 12, kCaptionSize, palette::kLabel, Align::Right);
    };
    row("FREQ", "Hz", 104);
    row("Q", nullptr, 161);
    row("GAIN", "dB", 218);
}

void bandArea(Labeller& l) {
    for (std::size_t i = 0; i < std::size(kBandHeadings); ++i) {
        l.heading(kBandHeadings[i], kColumnCentre[i], kHeadingBaseline, kHeadingSize, palette::kHeading);
    }
    // Separators halfway between the band columns and before the Air/Output section.
    for (std::size_t i = 0; i + 2 < std::size(kColumnCentre); ++i) {
        l.separator(std::floor((kColumnCentre[i] + kColumnCentre[i + 1]) / 2), kSeparatorTop, kSeparatorBottom);
    }
    l.separator(kSectionDivider, kTopBarHeight + 4, kEditorHeight - 4);
    l.heading("OUTPUT", kColumnCentre[kAirColumn], 262, kHeadingSize, palette::kHeading);
}

}  // namespace

void drawBackground(Canvas& out, std::vector<std::string>& errors) {
    cairo_t* cr = out.cr();
    shading(cr);
    topStrip(cr);
    Labeller labeller(cr, errors);
    logo(labeller, cr);
    rowCaptions(labeller);
    bandArea(labeller);
}

}  // namespace skin
