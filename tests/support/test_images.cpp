#include "support/test_images.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <vector>

namespace {
void appendBytes(png_structp png, png_bytep data, png_size_t size) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), size);
}
void flushNothing(png_structp) {}
} // namespace

std::string pngPicture(int width, int height, int colour, int depth, bool interlaced,
                       bool transparent) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, width, height, depth, colour,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const png_color palette[2] = {{20, 40, 120}, {220, 30, 40}};
    if (colour == PngPalette) png_set_PLTE(png, info, palette, 2);
    const png_byte opacity[2] = {0, 128};
    if (colour == PngPalette && transparent) png_set_tRNS(png, info, opacity, 2, nullptr);
    png_write_info(png, info);
    const int channels = colour == PngRgb         ? 3
                         : colour == PngRgba      ? 4
                         : colour == PngGreyAlpha ? 2
                                                  : 1;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * channels * depth + 7) / 8;
    const int passes = interlaced ? png_set_interlace_handling(png) : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) {
            // Index 0 or 1 for every pixel of a palette's row, otherwise dark or light samples.
            const unsigned char index1 = depth == 1   ? 0xFF
                                         : depth == 2 ? 0x55
                                         : depth == 4 ? 0x11
                                                      : 1;
            const unsigned char sample = colour == PngPalette ? (y / 4 % 2 == 0 ? 0x00 : index1)
                                                              : (y / 4 % 2 == 0 ? 0x30 : 0xC0);
            std::vector<png_byte> row(rowBytes, sample);
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string jpegPicture(int width, int height, int components, bool progressive) {
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&jpeg, &buffer, &size);
    jpeg.image_width = static_cast<JDIMENSION>(width);
    jpeg.image_height = static_cast<JDIMENSION>(height);
    jpeg.input_components = components;
    jpeg.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&jpeg);
    if (progressive) jpeg_simple_progression(&jpeg);
    jpeg_start_compress(&jpeg, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * components, 0x60);
    while (jpeg.next_scanline < jpeg.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&jpeg, rows, 1);
    }
    jpeg_finish_compress(&jpeg);
    std::string out(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&jpeg);
    std::free(buffer);
    return out;
}
