#pragma once
// Pictures made for the tests by the reference PNG and JPEG libraries.
#include <string>

// PNG colour types as the format numbers them.
enum PngColour { PngGrey = 0, PngRgb = 2, PngPalette = 3, PngGreyAlpha = 4, PngRgba = 6 };

// A width x height PNG of the colour type and bit depth, stripes of two colours; a palette
// picture with transparent set has a tRNS chunk making its first colour clear, its second half so.
std::string pngPicture(int width, int height, int colour, int depth, bool interlaced = false,
                       bool transparent = false);
// A width x height JPEG of 1 (grey), 3 (colour) or 4 (CMYK) components.
std::string jpegPicture(int width, int height, int components, bool progressive = false);
