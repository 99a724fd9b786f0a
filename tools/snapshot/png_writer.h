// Writes a 0x00RRGGBB picture as an 8-bit RGB PNG.
#pragma once

#include <string>

#include "gui/pixel_image.h"

bool writePng(const std::string& path, const VSTGUI::PixelImage& image);
