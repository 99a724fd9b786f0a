#include "tools/render/response_plot.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "tools/render/output_file.h"

namespace render {
namespace {

constexpr int kWidth = 1000;
constexpr int kGraphHeight = 400;
constexpr double kLeft = 64, kRight = 24, kTop = 44;
constexpr double kAxisLabels = 44;  // below the graph, above the legend
constexpr double kLegendLine = 17;
constexpr double kMinSpanDb = 12.0;   // the axis shows at least +-12 dB
constexpr double kDeepestDb = -48.0;  // pass filters are drawn down to here
constexpr double kGridStepDb = 3.0;
constexpr double kFontSize = 12.0;
constexpr double kTitleSize = 15.0;
constexpr double kSumWidth = 2.4, kBandWidth = 1.2, kModelWidth = 1.4;
constexpr double kDash[] = {6.0, 4.0};
constexpr double kDot[] = {1.5, 3.0};

struct Colour {
    double r, g, b;
};
constexpr Colour kChannelColour[kChannelCount] = {{0.10, 0.35, 0.80}, {0.85, 0.40, 0.05}};
constexpr Colour kAnalogColour = {0.15, 0.15, 0.15};
constexpr Colour kPlainColour = {0.75, 0.10, 0.45};
constexpr Colour kGridColour = {0.85, 0.85, 0.85};
constexpr Colour kTextColour = {0.1, 0.1, 0.1};

constexpr double kGridFrequencies[] = {20,   30,   40,   50,   60,   70,   80,   90,   100,   200,   300,  400,
                                       500,  600,  700,  800,  900,  1000, 2000, 3000, 4000, 5000, 6000, 7000,
                                       8000, 9000, 10000, 20000};
constexpr double kLabelledFrequencies[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};

struct Axes {
    double lowDb, highDb;
    double bottom = kTop + kGraphHeight;
    double x(double f) const {
        return kLeft + (kWidth - kLeft - kRight) * std::log(f / kPlotLowHz) / std::log(kPlotHighHz / kPlotLowHz);
    }
    double y(double db) const {
        const double clamped = std::clamp(db, lowDb, highDb);
        return kTop + kGraphHeight * (highDb - clamped) / (highDb - lowDb);
    }
};

void setColour(cairo_t* cr, Colour c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

Axes axesFor(const SettingResponse& r, bool compare) {
    double low = 0.0, high = 0.0;
    const auto extend = [&](const std::vector<double>& curve) {
        for (double v : curve) low = std::min(low, v), high = std::max(high, v);
    };
    for (const ChannelResponse& ch : r.channel) {
        extend(ch.sum);
        for (const BandCurve& b : ch.bands) extend(b.db);
        if (compare) extend(ch.plainSum), extend(ch.analogSum);
    }
    const double span = std::max({kMinSpanDb, std::ceil(high / kGridStepDb) * kGridStepDb,
                                  std::ceil(-std::max(low, kDeepestDb) / kGridStepDb) * kGridStepDb});
    return {-span, span};
}

void curve(cairo_t* cr, const Axes& axes, const std::vector<double>& f, const std::vector<double>& db) {
    for (size_t i = 0; i < f.size(); ++i) {
        if (i == 0) cairo_move_to(cr, axes.x(f[i]), axes.y(db[i]));
        else cairo_line_to(cr, axes.x(f[i]), axes.y(db[i]));
    }
    cairo_stroke(cr);
}

void grid(cairo_t* cr, const Axes& axes) {
    cairo_set_line_width(cr, 1.0);
    setColour(cr, kGridColour);
    for (double f : kGridFrequencies) {
        cairo_move_to(cr, axes.x(f), kTop);
        cairo_line_to(cr, axes.x(f), axes.bottom);
    }
    const double step = axes.highDb > 24 ? 2 * kGridStepDb * 2 : (axes.highDb > 12 ? 2 * kGridStepDb : kGridStepDb);
    for (double db = 0; db <= axes.highDb; db += step) {
        for (double v : {db, -db}) {
            if (db == 0 && v < 0) continue;
            cairo_move_to(cr, kLeft, axes.y(v));
            cairo_line_to(cr, kWidth - kRight, axes.y(v));
        }
    }
    cairo_stroke(cr);
    setColour(cr, kTextColour);
    cairo_set_font_size(cr, kFontSize);
    char text[32];
    for (double db = 0; db <= axes.highDb; db += step) {
        for (double v : {db, -db}) {
            if (db == 0 && v < 0) continue;
            std::snprintf(text, sizeof(text), db == 0 ? "0 dB" : "%+.0f dB", v);
            cairo_text_extents_t e;
            cairo_text_extents(cr, text, &e);
            cairo_move_to(cr, kLeft - e.x_advance - 6, axes.y(v) + e.height / 2);
            cairo_show_text(cr, text);
        }
    }
    for (double f : kLabelledFrequencies) {
        if (f >= 1000) std::snprintf(text, sizeof(text), "%gk", f / 1000);
        else std::snprintf(text, sizeof(text), "%g", f);
        cairo_text_extents_t e;
        cairo_text_extents(cr, text, &e);
        cairo_move_to(cr, axes.x(f) - e.x_advance / 2, axes.bottom + 16);
        cairo_show_text(cr, text);
    }
    cairo_move_to(cr, kWidth - kRight - 20, axes.bottom + 32);
    cairo_show_text(cr, "Hz");
    // The 0 dB line stands out.
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_move_to(cr, kLeft, axes.y(0));
    cairo_line_to(cr, kWidth - kRight, axes.y(0));
    cairo_stroke(cr);
    cairo_rectangle(cr, kLeft, kTop, kWidth - kLeft - kRight, kGraphHeight);
    cairo_stroke(cr);
}

// One legend entry: a short stroke in the curve's style and its text.
void legendEntry(cairo_t* cr, double x, double y, Colour c, double width, const double* dash, int dashes,
                 const std::string& text) {
    setColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_set_dash(cr, dash, dashes, 0);
    cairo_move_to(cr, x, y - 4);
    cairo_line_to(cr, x + 28, y - 4);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    setColour(cr, kTextColour);
    cairo_move_to(cr, x + 34, y);
    cairo_show_text(cr, text.c_str());
}

bool sameCurves(const ChannelResponse& a, const ChannelResponse& b) {
    return a.sum == b.sum && a.volumeDb == b.volumeDb && a.bands.size() == b.bands.size();
}

// Rows of the legend: each channel's sum and bands side by side, then the models' line.
int legendRows(const SettingResponse& r) {
    size_t bands = 1;
    for (const ChannelResponse& ch : r.channel) bands = std::max(bands, ch.bands.size());
    return static_cast<int>(bands) + 2;
}

int heightFor(const SettingResponse& r) {
    return static_cast<int>(kTop + kGraphHeight + kAxisLabels + kLegendLine * legendRows(r));
}

void draw(cairo_t* cr, const SettingResponse& r, const PlotOptions& options) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    const Axes axes = axesFor(r, options.compare);
    grid(cr, axes);

    cairo_save(cr);
    cairo_rectangle(cr, kLeft, kTop, kWidth - kLeft - kRight, kGraphHeight);
    cairo_clip(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    // The first channel on top: where both are the same, the legend says so.
    for (int c = kChannelCount - 1; c >= 0; --c) {
        const ChannelResponse& ch = r.channel[c];
        setColour(cr, kChannelColour[c]);
        cairo_set_line_width(cr, kBandWidth);
        cairo_set_dash(cr, kDash, 2, c * kDash[0]);  // the two channels' dashes interleave
        for (const BandCurve& b : ch.bands) curve(cr, axes, r.frequencies, b.db);
        cairo_set_dash(cr, nullptr, 0, 0);
        if (options.compare) {
            setColour(cr, kAnalogColour);
            cairo_set_line_width(cr, kModelWidth);
            curve(cr, axes, r.frequencies, ch.analogSum);
            setColour(cr, kPlainColour);
            cairo_set_dash(cr, kDot, 2, 0);
            curve(cr, axes, r.frequencies, ch.plainSum);
            cairo_set_dash(cr, nullptr, 0, 0);
        }
        setColour(cr, kChannelColour[c]);
        cairo_set_line_width(cr, kSumWidth);
        curve(cr, axes, r.frequencies, ch.sum);
    }
    cairo_restore(cr);

    setColour(cr, kTextColour);
    cairo_set_font_size(cr, kTitleSize);
    char rate[64];
    std::snprintf(rate, sizeof(rate), "  (%g Hz%s)", r.sampleRate, r.generalOn ? "" : ", equalizer switched off");
    cairo_move_to(cr, kLeft, kTop - 16);
    cairo_show_text(cr, (options.title + rate).c_str());

    cairo_set_font_size(cr, kFontSize);
    const double top = axes.bottom + kAxisLabels;
    const double column = (kWidth - kLeft - kRight) / 2;
    const bool same = sameCurves(r.channel[0], r.channel[1]);
    for (int c = 0; c < kChannelCount; ++c) {
        const ChannelResponse& ch = r.channel[c];
        const double x = kLeft + c * column;
        char volume[48];
        std::snprintf(volume, sizeof(volume), " (volume %+.1f dB)", ch.volumeDb);
        std::string sum = ch.name + ": whole setting" + volume;
        if (c == 1 && same) sum += ", the same as " + r.channel[0].name;
        legendEntry(cr, x, top, kChannelColour[c], kSumWidth, nullptr, 0, sum);
        double y = top;
        if (ch.bands.empty()) legendEntry(cr, x, y += kLegendLine, kChannelColour[c], kBandWidth, kDash, 2, "no band on");
        for (const BandCurve& b : ch.bands) legendEntry(cr, x, y += kLegendLine, kChannelColour[c], kBandWidth, kDash, 2, b.label);
    }
    if (options.compare) {
        const double y = top + kLegendLine * (legendRows(r) - 1);
        legendEntry(cr, kLeft, y, kAnalogColour, kModelWidth, nullptr, 0, "analog model (sum)");
        legendEntry(cr, kLeft + column, y, kPlainColour, kModelWidth, kDot, 2, "plain bilinear, without the correction (sum)");
    }
}

}  // namespace

bool WriteResponsePlot(const SettingResponse& response, const PlotOptions& options, const std::string& path,
                       std::string& error) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, heightFor(response));
    cairo_t* cr = cairo_create(surface);
    draw(cr, response, options);
    cairo_destroy(cr);
    OutputFile out(path);
    bool ok = out.valid();
    if (ok) ok = cairo_surface_write_to_png(surface, out.temporaryPath().c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    // The font caches of cairo and fontconfig live until released; a tool that draws once lets them go.
    cairo_debug_reset_static_data();
    FcFini();
    if (!ok || !out.commit()) {
        error = path + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace render
