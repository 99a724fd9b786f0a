// A WindowClient that keeps every call, for the back-end tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/window_backend.h"

namespace tovin_test {

struct WindowEvent {
    enum Kind { kDown, kUp, kMoved, kWheel, kKey, kPaint, kFocusLost } kind;
    VSTGUI::CPoint where{};
    long buttons = 0;
    float distance = 0;
    int character = 0;
    int virtualKey = 0;
    bool down = false;
    VSTGUI::CRect area{};
};

class RecordingClient : public VSTGUI::WindowClient {
public:
    std::vector<WindowEvent> events;
    std::function<void(const VSTGUI::CRect&)> onPaint;  // e.g. presents, as a frame does

    void windowMouseDown(VSTGUI::CPoint p, long b) override { events.push_back({WindowEvent::kDown, p, b}); }
    void windowMouseUp(VSTGUI::CPoint p, long b) override { events.push_back({WindowEvent::kUp, p, b}); }
    void windowMouseMoved(VSTGUI::CPoint p, long b) override { events.push_back({WindowEvent::kMoved, p, b}); }
    bool windowWheel(VSTGUI::CPoint p, float distance, long b) override {
        events.push_back({WindowEvent::kWheel, p, b, distance});
        return true;
    }
    bool windowKey(int character, int virtualKey, long modifiers, bool down) override {
        events.push_back({WindowEvent::kKey, {}, modifiers, 0, character, virtualKey, down});
        return true;
    }
    void windowNeedsPaint(const VSTGUI::CRect& area) override {
        WindowEvent e{WindowEvent::kPaint};
        e.area = area;
        events.push_back(e);
        if (onPaint) onPaint(area);
    }
    void windowFocusLost() override { events.push_back({WindowEvent::kFocusLost}); }

    // The first recorded event of `kind`, or null.
    const WindowEvent* first(WindowEvent::Kind kind) const {
        for (const auto& e : events)
            if (e.kind == kind) return &e;
        return nullptr;
    }
    int count(WindowEvent::Kind kind) const {
        int n = 0;
        for (const auto& e : events) n += e.kind == kind;
        return n;
    }
};

// A menu entry without spelling out every field (aggregate initialisation would warn).
inline VSTGUI::MenuItem menuItem(std::string title, int command = -1, bool checked = false, bool enabled = true,
                                 std::vector<VSTGUI::MenuItem> submenu = {}) {
    VSTGUI::MenuItem item;
    item.title = std::move(title);
    item.command = command;
    item.checked = checked;
    item.enabled = enabled;
    item.submenu = std::move(submenu);
    return item;
}

// A picture no two neighbouring pixels share, so a shifted or swapped channel shows.
inline VSTGUI::PixelImage testPattern(int width, int height, int seed = 0) {
    VSTGUI::PixelImage image;
    image.resize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.at(x, y) = VSTGUI::makePixel(x + seed, y * 3 + seed, (x * 7) ^ (y * 5));
    return image;
}

}  // namespace tovin_test
