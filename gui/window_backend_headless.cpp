// The headless back end, the test factory and the choice between them and the platform's window.
#include <algorithm>
#include <mutex>
#include <utility>

#include "gui/window_backend.h"
#include "gui/window_backend_platform.h"

namespace VSTGUI {

namespace {

// Frames open on the UI thread, but tests may set the factory from another one.
std::mutex factoryMutex;
WindowBackendFactory factoryOverride;

}  // namespace

void setWindowBackendFactory(WindowBackendFactory factory) {
    std::lock_guard lock(factoryMutex);
    factoryOverride = std::move(factory);
}

std::unique_ptr<WindowBackend> createWindowBackend(const WindowParent& parent, int width, int height,
                                                   WindowClient& client) {
    WindowBackendFactory factory;
    {
        std::lock_guard lock(factoryMutex);
        factory = factoryOverride;
    }
    if (factory) return factory(parent, width, height, client);
    if (!parent.handle) return std::make_unique<HeadlessWindowBackend>(client);
    return createPlatformWindowBackend(parent, width, height, client);
}

void HeadlessWindowBackend::present(const PixelImage& image, const CRect& area) {
    if (presented_.width != image.width || presented_.height != image.height)
        presented_.resize(image.width, image.height);
    const CRect clipped = area.intersect(CRect{0, 0, image.width, image.height});
    for (int y = clipped.top; y < clipped.bottom; ++y)
        std::copy_n(&image.at(clipped.left, y), clipped.width(), &presented_.at(clipped.left, y));
    ++presentCount_;
}

void HeadlessWindowBackend::pumpEvents() {
    if (pendingPaint_.isEmpty()) return;
    const CRect area = pendingPaint_;
    pendingPaint_ = CRect{};  // the client may invalidate again while it paints
    client_.windowNeedsPaint(area);
}

int HeadlessWindowBackend::popupMenu(const std::vector<MenuItem>& items, CPoint where) {
    lastMenu_ = items;
    lastMenuPoint_ = where;
    return std::exchange(menuChoice_, -1);
}

bool HeadlessWindowBackend::beginTextEdit(const CRect&, const std::string& text,
                                          std::function<void(const std::string&, bool)> done) {
    if (hasTyped_) {
        hasTyped_ = false;
        done(std::exchange(typed_, std::string{}), !typedCancel_);
        return true;
    }
    editText_ = text;
    editDone_ = std::move(done);
    return true;
}

void HeadlessWindowBackend::endTextEdit() {
    auto done = std::exchange(editDone_, nullptr);
    if (done) done(editText_, true);
}

}  // namespace VSTGUI
