// 24-bit uncompressed Windows bitmaps: file header, 40-byte info header, bottom-up rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skin {

// `pixels` are 0x00RRGGBB, rows top to bottom.
std::vector<uint8_t> encodeBmp(int width, int height, const std::vector<uint32_t>& pixels);
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool writeFile(const std::string& path, const std::string& text);

}  // namespace skin
