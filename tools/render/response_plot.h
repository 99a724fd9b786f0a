// Draws a setting's response as a PNG with cairo: 20 Hz to 20 kHz on a log axis, dB upward, each
// channel in its own colour with every band dashed and the whole setting solid; on request the plain
// bilinear design's and the analog model's sums beside it.
#pragma once

#include <string>

#include "tools/render/setting_response.h"

namespace render {

struct PlotOptions {
    bool compare = false;  // add the plain bilinear and analog sums
    std::string title;
};

// Writes the picture to path (through a temporary name). False with a message on failure.
bool WriteResponsePlot(const SettingResponse& response, const PlotOptions& options, const std::string& path,
                       std::string& error);

}  // namespace render
