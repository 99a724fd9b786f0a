// A one-line progress bar on a terminal: shown only when stderr is one and the job is long enough to
// wait for; redrawn at most a few times a second.
#pragma once

#include <cstdint>
#include <cstdio>

namespace render {

class ProgressBar {
public:
    // total: frames of the job; rate: frames per second of audio.
    ProgressBar(std::int64_t total, double rate, bool wanted);
    void update(std::int64_t done);
    void finish();  // clears the line

private:
    std::int64_t total_;
    double rate_;
    bool shown_;
    std::int64_t nextDraw_ = 0;
};

}  // namespace render
