#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// A logo file may be at most this large, and its picture this many pixels a side.
constexpr std::size_t kLogoFileLimit = 10 * 1024 * 1024;
constexpr int kLogoSideLimit = 2000;

enum class ImageKind { Png, Jpeg };

struct ImageFacts {
    ImageKind kind;
    int width;
    int height;
};

// Whether the bytes are a PNG or JPEG picture the PDF library takes whole and every PDF reader
// shows; facts then describe it. Otherwise problem says why not, in words. Nothing is decoded
// into pixels, so a hostile file costs no more than its own size.
bool checkImageData(std::string_view data, ImageFacts& facts, std::string& problem);

// Reads the logo file (a regular file, or a link to one, of at most kLogoFileLimit bytes) and
// checks its picture; false, with the reason in problem, when it cannot be used.
bool readLogoFile(const std::string& path, std::string& bytes, ImageFacts& facts,
                  std::string& problem);

// The message for a logo that cannot be used.
std::string logoProblemMessage(const std::string& path, const std::string& problem);
