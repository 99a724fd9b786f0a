#include "preview.h"

#include <span>

#include "layout.h"
#include "pictures.h"

namespace skin {

namespace {

constexpr int kSheetWidth = 1300;
constexpr int kSheetHeight = 1000;
constexpr int kSheetGap = 16;
constexpr int kValueField = 1008;
constexpr int kValueFieldWidth = 31;
constexpr int kNameField = 1005;
constexpr int kNameFieldWidth = 52;
constexpr int kFieldHeight = 11;
constexpr int kClipPanel = 4006;
constexpr int kInfoPanel = 2000;
constexpr int kAboutPanel = 2006;
constexpr int kHelpPanel = 2008;
constexpr int kBanner = 1027;
constexpr int kInfoField = 1026;

// Frame `frame` of picture `id` drawn at (x, y) with the colour key left out, as the editor blits it.
void place(Canvas& target, Pictures& pictures, int id, int x, int y, int frame = 0) {
    Canvas& source = pictures.at(id);
    const auto picture = findPicture(id);
    const int h = picture->height / picture->frames;
    std::vector<uint32_t> pixels = source.pixels();
    cairo_surface_t* surface = target.surface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < h; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= target.height()) continue;
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<std::ptrdiff_t>(ty) * stride);
        for (int col = 0; col < picture->width; ++col) {
            const int tx = x + col;
            if (tx < 0 || tx >= target.width()) continue;
            const uint32_t p = pixels[static_cast<std::size_t>(frame * h + row) * picture->width + col];
            if (p != 0x00ff00) out[tx] = 0xff000000u | p;
        }
    }
    cairo_surface_mark_dirty(surface);
}

void sample(Canvas& target, double x, double y, double w, double h, const char* s) {
    text(target.cr(), Face::Condensed, 10, s, x + w / 2, y + h / 2 + capHeight(10) / 2, palette::kAccent, Align::Centre);
}

void composeMain(Canvas& target, Pictures& pictures, bool lit) {
    place(target, pictures, kBackgroundId, 0, 0);
    for (const KnobSpec& k : kKnobs) place(target, pictures, k.id, k.x, k.y, lit ? (k.frames * (k.id % 5 + 3)) / 9 : 0);
    for (const Placement& p : kMainControls) {
        const int frames = findPicture(p.id)->frames;
        place(target, pictures, p.id, p.x, p.y, lit && frames == 3 && p.id % 3 != 0 ? 2 : 0);
    }
    const auto row = [&](int id, std::span<const int> fields, int fieldId) {
        for (const Placement& p : kMainPanels) {
            if (p.id != id) continue;
            place(target, pictures, id, p.x, p.y);
            for (int x : fields) {
                place(target, pictures, fieldId, p.x + x, p.y + kFieldY);
                if (!lit) continue;
                const bool value = fieldId == kValueField;
                sample(target, p.x + x, p.y + kFieldY, value ? kValueFieldWidth : kNameFieldWidth, kFieldHeight,
                       value ? "12.5k" : "Kick");
            }
        }
    };
    row(4001, kFrequencyFieldX, kValueField);
    row(4004, kQFieldX, kValueField);
    row(4000, kGainFieldX, kValueField);
    row(4003, kNameFieldX, kNameField);
    for (const Placement& p : kMainPanels) {
        if (p.id != kClipPanel) continue;
        place(target, pictures, p.id, p.x, p.y);
        place(target, pictures, kClipLamp.id, p.x + kClipLamp.x, p.y + kClipLamp.y, lit ? 1 : 0);
    }
    if (lit) {
        text(target.cr(), Face::Sans, 10, "Factory", 53 + 4, 7 + 11, palette::kText);
        text(target.cr(), Face::Sans, 10, "Vocal presence", 201 + 4, 7 + 11, palette::kText);
    }
}

void composeSide(Canvas& target, Pictures& pictures, int x, int y) {
    place(target, pictures, kSidePanelId, x, y);
    for (const Placement& p : kSidePanelControls) place(target, pictures, p.id, x + p.x, y + p.y, p.id == 1032 ? 2 : 0);
}

}  // namespace

bool writePreviews(Pictures& pictures, const std::string& dir) {
    Canvas main(kEditorWidth, kEditorHeight);
    composeMain(main, pictures, false);
    Canvas lit(kEditorWidth, kEditorHeight);
    composeMain(lit, pictures, true);
    composeSide(lit, pictures, kSidePanel.x, kSidePanel.y);

    Canvas sheet(kSheetWidth, kSheetHeight);
    sheet.fill(rgb(90, 90, 90));
    int x = kSheetGap, y = kSheetGap, rowHeight = 0;
    const auto next = [&](int w, int h) {
        if (x + w > kSheetWidth - kSheetGap) {
            x = kSheetGap;
            y += rowHeight + kSheetGap;
            rowHeight = 0;
        }
        const int left = x;
        x += w + kSheetGap;
        rowHeight = std::max(rowHeight, h);
        return left;
    };
    {
        const int left = next(92, 235);
        composeSide(sheet, pictures, left, y);
    }
    for (const DialogSpec& d : kDialogs) {
        const int left = next(d.width, d.height);
        place(sheet, pictures, d.id, left, y);
        for (const DialogButton& b : d.buttons) place(sheet, pictures, b.id, left + b.x, y + b.y);
    }
    for (int id : {kInfoPanel, kAboutPanel}) {
        const int left = next(320, 240);
        place(sheet, pictures, id, left, y);
        const Placement close = id == kInfoPanel ? kInfoClose : kAboutClose;
        place(sheet, pictures, close.id, left + close.x, y + close.y);
        if (id == kInfoPanel) {
            for (int fy : kInfoFieldY) place(sheet, pictures, kInfoField, left + kInfoFieldX, y + fy);
        } else {
            place(sheet, pictures, kAboutVersionField.id, left + kAboutVersionField.x, y + kAboutVersionField.y);
        }
    }
    {
        const int left = next(590, 240);
        place(sheet, pictures, kHelpPanel, left, y);
    }
    {
        const int left = next(318, 34);
        place(sheet, pictures, kBanner, left, y);
    }
    // Every strip's frames side by side.
    for (const auto& [id, canvas] : pictures) {
        const auto picture = findPicture(id);
        if (!picture || (picture->frames != 2 && picture->frames != 3)) continue;
        const int h = picture->height / picture->frames;
        const int left = next(picture->frames * (picture->width + 2), h);
        for (int f = 0; f < picture->frames; ++f) place(sheet, pictures, id, left + f * (picture->width + 2), y, f);
    }
    return main.writePng(dir + "/skin-preview.png") && lit.writePng(dir + "/skin-preview-lit.png") &&
           sheet.writePng(dir + "/skin-preview-panels.png");
}

}  // namespace skin
