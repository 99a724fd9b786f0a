#include "panels.h"

#include <cmath>
#include <numbers>
#include <span>
#include <string>

#include "layout.h"
#include "pictures.h"

namespace skin {

namespace {

constexpr double kTitleSize = 11;
constexpr double kBodySize = 10;
constexpr double kSmallSize = 8;
constexpr int kDialogTitleHeight = 22;
constexpr double kDialogBodyBaseline = 50;
constexpr int kPanelTitleHeight = 33;  // information and About: the close button sits in the title bar
constexpr int kValueFieldWidth = 31;
constexpr int kValueFieldHeight = 11;
constexpr int kNameFieldWidth = 52;
constexpr int kCaptionGap = 5;   // caption baseline above its dialog button
constexpr double kLineStep = 11; // two-line captions

void frameBorder(cairo_t* cr, int w, int h) {
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    setColour(cr, palette::kLine);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    hline(cr, 1, w - 1, 1, palette::kHighlight);
}

// Flat body, flat title bar with its text at the left, outline.
void overlayPanel(Canvas& out, int titleHeight, const std::string& title) {
    cairo_t* cr = out.cr();
    out.fill(palette::kDialog);
    cairo_rectangle(cr, 0, 0, out.width(), titleHeight);
    setColour(cr, palette::kDialogTitle);
    cairo_fill(cr);
    hline(cr, 0, out.width(), titleHeight, palette::kLine);
    hline(cr, 0, out.width(), titleHeight + 1, palette::kHighlight);
    frameBorder(cr, out.width(), out.height());
    text(cr, Face::SansBold, kTitleSize, title, 12, titleHeight / 2.0 + capHeight(kTitleSize) / 2, palette::kHeading);
}

void valueRow(Canvas& out, std::span<const int> fieldX, int fieldWidth, const char* unit, const char* lastUnit) {
    cairo_t* cr = out.cr();
    out.fill(palette::kBar);
    hline(cr, 0, out.width(), 0, palette::kLine);
    hline(cr, 0, out.width(), out.height() - 1, palette::kHighlight);
    for (std::size_t i = 0; i < fieldX.size(); ++i) {
        insetField(cr, fieldX[i], kFieldY, fieldWidth, kValueFieldHeight);
        const char* u = i + 1 == fieldX.size() && lastUnit != nullptr ? lastUnit : unit;
        if (u != nullptr) {
            text(cr, Face::Condensed, kSmallSize, u, fieldX[i] + fieldWidth + 2, kFieldY + 8.5, palette::kLabel);
        }
    }
}

void clipPanel(Canvas& out) {
    cairo_t* cr = out.cr();
    out.fill(kClipPanelFill);
    frameBorder(cr, out.width(), out.height());
    spacedText(cr, Face::SansBold, kSmallSize, "CLIP", out.width() / 2.0, 37, 1, palette::kLabel);
}

void sidePanel(Canvas& out) {
    cairo_t* cr = out.cr();
    raisedPanel(cr, 0, 0, out.width(), out.height(), palette::kPanelTop, palette::kPanelBottom, 4);
    const double cx = out.width() / 2.0;
    spacedText(cr, Face::SansBold, kSmallSize, "CHANNEL", cx, 9, 1, palette::kLabel);
    // Separators between the groups, and the group captions.
    for (int y : {66, 170}) {
        hline(cr, 8, out.width() - 8, y, palette::kLine);
        hline(cr, 8, out.width() - 8, y + 1, palette::kHighlight);
    }
    spacedText(cr, Face::SansBold, kSmallSize, "LINK", cx, 79, 1, palette::kLabel);
    spacedText(cr, Face::SansBold, kSmallSize, "AUTO GAIN", cx, 142, 1, palette::kLabel);
    spacedText(cr, Face::SansBold, kSmallSize, "COUPLING", cx, 233, 1, palette::kLabel);
}

void dialog(Canvas& out, const DialogSpec& spec) {
    constexpr int kDialogButtonWidth = 69;
    overlayPanel(out, kDialogTitleHeight, spec.title);
    cairo_t* cr = out.cr();
    if (spec.body != nullptr) text(cr, Face::Sans, kBodySize, spec.body, out.width() / 2.0, kDialogBodyBaseline, palette::kLabel, Align::Centre);
    for (const DialogButton& button : spec.buttons) {
        if (button.caption == nullptr) continue;
        const std::string caption = button.caption;
        const std::size_t split = caption.find('\n');
        const double cx = button.x + kDialogButtonWidth / 2.0;
        const double baseline = button.y - kCaptionGap;
        if (split == std::string::npos) {
            text(cr, Face::Sans, kBodySize, caption, cx, baseline, palette::kText, Align::Centre);
        } else {
            text(cr, Face::Sans, kBodySize, caption.substr(0, split), cx, baseline - kLineStep, palette::kText, Align::Centre);
            text(cr, Face::Sans, kBodySize, caption.substr(split + 1), cx, baseline, palette::kText, Align::Centre);
        }
    }
}

void infoPanel(Canvas& out) {
    constexpr int kLabelRight = 127;
    constexpr int kFieldHeight = 14;
    overlayPanel(out, kPanelTitleHeight, "Preset Information");
    cairo_t* cr = out.cr();
    for (std::size_t i = 0; i < std::size(kInfoFieldY); ++i) {
        text(cr, Face::Sans, kBodySize, kInfoLabels[i], kLabelRight, kInfoFieldY[i] + kFieldHeight / 2.0 + capHeight(kBodySize) / 2,
             palette::kLabel, Align::Right);
    }
}

void aboutPanel(Canvas& out) {
    overlayPanel(out, kPanelTitleHeight, "About");
    cairo_t* cr = out.cr();
    const double cx = out.width() / 2.0;
    text(cr, Face::SansBold, 30, "Tovin", cx, 86, palette::kText, Align::Centre);
    text(cr, Face::Sans, kBodySize, "Parametric stereo equalizer", cx, 106, palette::kLabel, Align::Centre);
    drawEmblem(cr, cx - 60, 118, 120, 26);
    spacedText(cr, Face::SansBold, kBodySize, "CORVANE", cx, 166, 2, palette::kHeading);
    text(cr, Face::Sans, kBodySize, "VST 2.4", cx, 186, palette::kLabel, Align::Centre);
    text(cr, Face::Sans, kBodySize, "Version", kAboutVersionField.x - 8, kAboutVersionField.y + 15 + capHeight(kBodySize) / 2,
         palette::kLabel, Align::Right);
}

struct HelpRow {
    const char* control;  // null: continues the group above
    const char* gesture;
    const char* action;
};

constexpr HelpRow kHelpRows[] = {
    {"Switches", "Left click", "on / off"},
    {nullptr, "Right click or Shift + left click", "momentary (while held)"},
    {"Band names", "Left click", "edits the text"},
    {"Frequency, Q, gain", "Left click", "coarse (or snapped)"},
    {nullptr, "Right click or Shift + left click", "fine"},
    {nullptr, "Ctrl + left click", "resets to the init setting"},
    {nullptr, "Alt + left click (frequency and Q)", "coarse with maximum gain"},
};

void helpPanel(Canvas& out) {
    constexpr double kControlX = 22;
    constexpr double kGestureX = 170;
    constexpr double kActionX = 390;
    constexpr double kFirstRow = 76;
    constexpr double kRowStep = 19;
    constexpr double kGroupGap = 8;
    overlayPanel(out, kPanelTitleHeight, "Mouse Actions");
    cairo_t* cr = out.cr();
    const double headerY = 54;
    text(cr, Face::SansBold, kSmallSize, "CONTROL", kControlX, headerY, palette::kLabel);
    text(cr, Face::SansBold, kSmallSize, "MOUSE", kGestureX, headerY, palette::kLabel);
    text(cr, Face::SansBold, kSmallSize, "ACTION", kActionX, headerY, palette::kLabel);
    hline(cr, kControlX, out.width() - kControlX, headerY + 5, palette::kLine);
    double y = kFirstRow;
    for (std::size_t i = 0; i < std::size(kHelpRows); ++i) {
        const HelpRow& row = kHelpRows[i];
        if (row.control != nullptr && i > 0) {
            hline(cr, kControlX, out.width() - kControlX, y - kRowStep + 4 + kGroupGap / 2, palette::kLine);
            y += kGroupGap;
        }
        if (row.control != nullptr) text(cr, Face::SansBold, kBodySize, row.control, kControlX, y, palette::kHeading);
        text(cr, Face::Sans, kBodySize, row.gesture, kGestureX, y, palette::kText);
        text(cr, Face::Sans, kBodySize, row.action, kActionX, y, palette::kAccent);
        y += kRowStep;
    }
    text(cr, Face::Sans, kSmallSize + 1, "Press ? again to close this panel.", kControlX, out.height() - 10, palette::kLabel);
}

void banner(Canvas& out) {
    cairo_t* cr = out.cr();
    verticalGradient(cr, 0, 0, out.width(), out.height(), palette::kPanelTop, palette::kPanelBottom);
    frameBorder(cr, out.width(), out.height());
    text(cr, Face::SansBold, 18, "Tovin", 12, 24, palette::kText);
    drawEmblem(cr, 80, 8, 90, 18);
    text(cr, Face::SansBold, kBodySize, "CORVANE", out.width() - 12, 21, palette::kLabel, Align::Right);
}

constexpr int kFrequencyRow = 4001;
constexpr int kNoteRow = 4002;
constexpr int kQRow = 4004;
constexpr int kOctaveRow = 4005;
constexpr int kGainRow = 4000;
constexpr int kNamesRow = 4003;
constexpr int kClipPanel = 4006;
constexpr int kInfoPanel = 2000;
constexpr int kAboutPanel = 2006;
constexpr int kHelpPanel = 2008;
constexpr int kBanner = 1027;
constexpr int kBankNameField = 1025;
constexpr int kInfoField = 1026;
constexpr int kNameField = 1005;
constexpr int kValueField = 1008;
constexpr int kVersionField = 1020;

}  // namespace

void drawEmblem(cairo_t* cr, double x, double y, double w, double h) {
    // A response curve: low cut, a bell and a gentle high shelf, over a faint baseline.
    constexpr int kSteps = 120;
    hline(cr, x, x + w, std::round(y + h * 0.6), palette::kHighlight);
    cairo_new_path(cr);
    for (int i = 0; i <= kSteps; ++i) {
        const double t = static_cast<double>(i) / kSteps;
        const double lowCut = -0.5 * (1 - std::tanh((t - 0.08) * 30));
        const double bell = 0.7 * std::exp(-std::pow((t - 0.42) / 0.09, 2));
        const double shelf = 0.3 / (1 + std::exp(-(t - 0.8) * 25));
        const double v = lowCut + bell + shelf;
        const double px = x + t * w;
        const double py = y + h * 0.6 - v * h * 0.55;
        if (i == 0) cairo_move_to(cr, px, py);
        else cairo_line_to(cr, px, py);
    }
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, palette::kAccent);
    cairo_stroke(cr);
}

bool drawPanelPicture(int id, Canvas& out) {
    cairo_t* cr = out.cr();
    switch (id) {
        case kBankNameField:
        case kInfoField:
        case kNameField:
        case kValueField:
        case kVersionField: insetField(cr, 0, 0, out.width(), out.height()); return true;
        case kFrequencyRow: valueRow(out, kFrequencyFieldX, kValueFieldWidth, "Hz", "dB"); return true;
        case kNoteRow: valueRow(out, kFrequencyFieldX, kValueFieldWidth, nullptr, "dB"); return true;
        case kQRow: valueRow(out, kQFieldX, kValueFieldWidth, "Q", nullptr); return true;
        case kOctaveRow: valueRow(out, kQFieldX, kValueFieldWidth, "oct", nullptr); return true;
        case kGainRow: valueRow(out, kGainFieldX, kValueFieldWidth, "dB", nullptr); return true;
        case kNamesRow: valueRow(out, kNameFieldX, kNameFieldWidth, nullptr, nullptr); return true;
        case kClipPanel: clipPanel(out); return true;
        case kSidePanelId: sidePanel(out); return true;
        case kInfoPanel: infoPanel(out); return true;
        case kAboutPanel: aboutPanel(out); return true;
        case kHelpPanel: helpPanel(out); return true;
        case kBanner: banner(out); return true;
        default: break;
    }
    for (const DialogSpec& spec : kDialogs) {
        if (spec.id == id) {
            dialog(out, spec);
            return true;
        }
    }
    return false;
}

}  // namespace skin
