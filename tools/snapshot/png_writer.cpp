#include "png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

bool writePng(const std::string& path, const VSTGUI::PixelImage& image) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> row(static_cast<std::size_t>(image.width) * 3);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const VSTGUI::Pixel p = image.at(x, y);
                row[static_cast<std::size_t>(x) * 3 + 0] = static_cast<png_byte>(VSTGUI::pixelRed(p));
                row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<png_byte>(VSTGUI::pixelGreen(p));
                row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<png_byte>(VSTGUI::pixelBlue(p));
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    return std::fclose(file) == 0 && ok;
}
