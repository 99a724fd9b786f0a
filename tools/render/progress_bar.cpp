#include "tools/render/progress_bar.h"

#include <unistd.h>

#include <algorithm>

namespace render {
namespace {
constexpr double kShortestShownSeconds = 5.0;  // shorter files finish before a bar would help
constexpr int kBarWidth = 40;
constexpr int kDraws = 200;  // redraws over the whole job
}  // namespace

ProgressBar::ProgressBar(std::int64_t total, double rate, bool wanted)
    : total_(total), rate_(rate), shown_(wanted && isatty(STDERR_FILENO) && total > rate * kShortestShownSeconds) {}

void ProgressBar::update(std::int64_t done) {
    if (!shown_ || done < nextDraw_) return;
    nextDraw_ = done + std::max<std::int64_t>(1, total_ / kDraws);
    const double fraction = std::clamp(static_cast<double>(done) / static_cast<double>(total_), 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kBarWidth);
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = 0;
    std::fprintf(stderr, "\r[%s] %3.0f%%  %.1f of %.1f s", bar, 100.0 * fraction, static_cast<double>(done) / rate_,
                 static_cast<double>(total_) / rate_);
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (!shown_) return;
    std::fprintf(stderr, "\r%*s\r", kBarWidth + 32, "");
    std::fflush(stderr);
}

}  // namespace render
