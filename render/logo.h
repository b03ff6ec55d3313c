#pragma once
#include <cstddef>
#include <hpdf.h>
#include <string>
#include <string_view>
#include <vector>

// A logo file may be at most this large, and its picture this many pixels a side.
constexpr std::size_t kLogoFileLimit = 10 * 1024 * 1024;
constexpr int kLogoSideLimit = 2000;

// A decoded logo: 8-bit samples row after row, grey (1 a pixel) or RGB (3 a pixel), and one
// 8-bit alpha a pixel when the picture has transparency.
struct LogoPixels {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<unsigned char> colour;
    std::vector<unsigned char> alpha; // empty when every pixel is opaque
};

// Decodes PNG (libpng) or JPEG (TurboJPEG) bytes. A picture larger than kLogoSideLimit a side is
// refused from its header, before any pixel is decoded. False, with the decoder's reason in
// plain words in problem, when the picture cannot be read.
bool decodeLogo(std::string_view data, LogoPixels& pixels, std::string& problem);

// Reads the logo file (a regular file, or a link to one, of at most kLogoFileLimit bytes) once
// and decodes it; false, with the reason in problem, when it cannot be used.
bool loadLogo(const std::string& path, LogoPixels& pixels, std::string& problem);

// The picture brought down to at most width x height pixels by averaging, transparent pixels
// weighing nothing in the colour; a smaller picture is returned as it is.
LogoPixels shrinkLogo(const LogoPixels& pixels, int width, int height);

// Adds the pixels to the document as one image, its alpha as a soft mask; nullptr when the
// PDF library refuses them.
HPDF_Image embedLogo(HPDF_Doc document, const LogoPixels& pixels);

// The message for a logo that cannot be used.
std::string logoProblemMessage(const std::string& path, const std::string& problem);
