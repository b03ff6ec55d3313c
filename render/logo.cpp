#include "render/logo.h"

#include "common/atomic_file.h"
#include "common/translate.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

std::uint32_t bigEndian32(std::string_view data, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 3]));
}

unsigned bigEndian16(std::string_view data, std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(data[at])) << 8 |
           static_cast<unsigned char>(data[at + 1]);
}

// What the decoders say, as a user can read it: the first entry whose words the decoder's
// message holds (ignoring case) gives the reason; any other message is quoted.
struct DecoderReason {
    const char* words;
    const char* reason;
};
constexpr DecoderReason kDecoderReasons[] = {
    {"crc error", N_("it is damaged (a checksum does not match)")},
    {"not enough image data", N_("the file is cut short")},
    {"read beyond end", N_("the file is cut short")},
    {"premature end", N_("the file is cut short")},
    {"invalid chunk type", N_("it holds a part no PNG reader knows")},
    {"unknown critical chunk", N_("it holds a part no PNG reader knows")},
    {"unsupported jpeg process", N_("it is a kind of JPEG (lossless) no common reader knows")},
    {"unsupported jpeg data precision", N_("only 8-bit JPEG pictures can be read")},
    {"out of memory", N_("there is not enough memory to read it")},
    {"insufficient memory", N_("there is not enough memory to read it")},
};

bool holdsWords(std::string_view message, std::string_view words) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::search(message.begin(), message.end(), words.begin(), words.end(),
                       [&](char a, char b) { return lower(a) == b; }) != message.end();
}

std::string decoderProblem(std::string_view message) {
    for (const DecoderReason& known : kDecoderReasons)
        if (holdsWords(message, known.words)) return translate(known.reason);
    return fillIn(translate("it is damaged (%1)"), {message});
}

bool withinSideLimit(long long width, long long height, std::string& problem) {
    if (width < 1 || height < 1) {
        problem = translate("the picture declares no pixels");
        return false;
    }
    if (width > kLogoSideLimit || height > kLogoSideLimit) {
        problem =
            fillIn(translate("the picture is %1 x %2 pixels; a logo may be at most %3 pixels "
                             "a side"),
                   {std::to_string(width), std::to_string(height), std::to_string(kLogoSideLimit)});
        return false;
    }
    return true;
}

// Four samples a pixel become three (or two become one) in place, the fourth going to alpha;
// an alpha that is opaque everywhere is dropped.
void splitAlpha(LogoPixels& pixels) {
    const std::size_t count = static_cast<std::size_t>(pixels.width) * pixels.height;
    const int stride = pixels.channels + 1;
    pixels.alpha.resize(count);
    bool opaque = true;
    for (std::size_t i = 0; i < count; ++i) {
        for (int c = 0; c < pixels.channels; ++c)
            pixels.colour[i * pixels.channels + c] = pixels.colour[i * stride + c];
        pixels.alpha[i] = pixels.colour[i * stride + pixels.channels];
        opaque = opaque && pixels.alpha[i] == 0xFF;
    }
    pixels.colour.resize(count * pixels.channels);
    pixels.colour.shrink_to_fit();
    if (opaque) pixels.alpha = {};
}

// libpng's simplified reader reports errors by its return value; a warning (an odd colour
// profile, a stray chunk) leaves the picture readable. Palette, tRNS, every bit depth and
// interlacing come out as 8-bit grey or RGB with alpha where the file has transparency.
bool decodePng(std::string_view data, LogoPixels& pixels, std::string& problem) {
    // The size, from the header that must come first, is checked before libpng reads on.
    if (data.size() >= 24 && data.substr(12, 4) == "IHDR" &&
        !withinSideLimit(bigEndian32(data, 16), bigEndian32(data, 20), problem))
        return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) {
        problem = decoderProblem(image.message);
        png_image_free(&image);
        return false;
    }
    if (!withinSideLimit(image.width, image.height, problem)) {
        png_image_free(&image);
        return false;
    }
    const bool colour = (image.format & PNG_FORMAT_FLAG_COLOR) != 0;
    const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = (colour ? PNG_FORMAT_FLAG_COLOR : 0) | (alpha ? PNG_FORMAT_FLAG_ALPHA : 0);
    // 16-bit samples are taken as sRGB-coded, as viewers show them, not as linear light.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    pixels = {
        static_cast<int>(image.width), static_cast<int>(image.height), colour ? 3 : 1, {}, {}};
    pixels.colour.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.colour.data(), 0, nullptr)) {
        problem = decoderProblem(image.message);
        png_image_free(&image);
        pixels = {};
        return false;
    }
    if (alpha) splitAlpha(pixels);
    return true;
}

struct JpegHeader {
    long long width = 0;
    long long height = 0;
    bool framed = false; // a frame header was found, giving the size
    bool adobe = false;  // Adobe's APP14 segment: CMYK samples are stored inverted
};

// The segments before the first scan, walked only for the size in the frame header (C0 to CF
// but C4, C8 and CC) and for Adobe's segment; whether the rest can be read is TurboJPEG's call.
JpegHeader jpegHeader(std::string_view data) {
    JpegHeader header;
    std::size_t at = 2;
    while (at + 4 <= data.size() && static_cast<unsigned char>(data[at]) == 0xFF) {
        const unsigned marker = static_cast<unsigned char>(data[at + 1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) break;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        const std::size_t length = bigEndian16(data, at + 2);
        const std::string_view body = data.substr(at + 4, length >= 2 ? length - 2 : 0);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && !header.framed && body.size() >= 5) {
            header = {bigEndian16(body, 3), bigEndian16(body, 1), true, header.adobe};
        }
        if (marker == 0xEE && body.substr(0, 5) == "Adobe") header.adobe = true;
        at += 2 + length;
    }
    return header;
}

// Ink amounts to light: each colour is what its ink and black leave of white.
void cmykToRgb(LogoPixels& pixels, bool inverted) {
    const std::size_t count = static_cast<std::size_t>(pixels.width) * pixels.height;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned ink[4];
        for (int c = 0; c < 4; ++c) {
            const unsigned sample = pixels.colour[i * 4 + c];
            ink[c] = inverted ? 255 - sample : sample;
        }
        for (int c = 0; c < 3; ++c)
            pixels.colour[i * 3 + c] =
                static_cast<unsigned char>(((255 - ink[c]) * (255 - ink[3]) + 127) / 255);
    }
    pixels.colour.resize(count * 3);
    pixels.colour.shrink_to_fit();
    pixels.channels = 3;
}

// TurboJPEG reads the size from the frame header before decoding; baseline, progressive and
// arithmetic-coded grey, colour and CMYK pictures decode. A warning leaves the picture usable,
// except the end of the data coming before the end of the picture.
bool decodeJpeg(std::string_view data, LogoPixels& pixels, std::string& problem) {
    tjhandle decoder = tjInitDecompress();
    if (!decoder) {
        problem = translate("there is not enough memory to read it");
        return false;
    }
    const JpegHeader header = jpegHeader(data);
    if (header.framed && !withinSideLimit(header.width, header.height, problem)) {
        tjDestroy(decoder);
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    int width = 0, height = 0, subsampling = 0, colourSpace = 0;
    if (tjDecompressHeader3(decoder, bytes, data.size(), &width, &height, &subsampling,
                            &colourSpace) != 0) {
        problem = decoderProblem(tjGetErrorStr2(decoder));
        tjDestroy(decoder);
        return false;
    }
    if (!withinSideLimit(width, height, problem)) {
        tjDestroy(decoder);
        return false;
    }
    const bool cmyk = colourSpace == TJCS_CMYK || colourSpace == TJCS_YCCK;
    const bool grey = colourSpace == TJCS_GRAY;
    const int format = cmyk ? TJPF_CMYK : grey ? TJPF_GRAY : TJPF_RGB;
    pixels = {width, height, cmyk ? 4 : grey ? 1 : 3, {}, {}};
    pixels.colour.resize(static_cast<std::size_t>(width) * height * pixels.channels);
    if (tjDecompress2(decoder, bytes, data.size(), pixels.colour.data(), width, 0, height, format,
                      TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS) != 0) {
        const std::string message = tjGetErrorStr2(decoder);
        if (tjGetErrorCode(decoder) != TJERR_WARNING || holdsWords(message, "premature end")) {
            problem = decoderProblem(message);
            tjDestroy(decoder);
            pixels = {};
            return false;
        }
    }
    tjDestroy(decoder);
    if (cmyk) cmykToRgb(pixels, header.adobe);
    return true;
}

std::string kindOfFile(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return translate("it is a folder");
    if (S_ISFIFO(info.st_mode)) return translate("it is a pipe, not a file");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return translate("it is a device, not a file");
    return translate("it is not a regular file");
}

std::string tooLargeText() {
    return fillIn(translate("it is larger than %1 MB"),
                  {std::to_string(kLogoFileLimit / (1024 * 1024))});
}

// The file's bytes, read once; nothing is opened but a regular file.
bool readLogoFile(const std::string& path, std::string& bytes, std::string& problem) {
    bytes.clear();
    // The kind is known before opening, so no device is ever opened and no FIFO waited on.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        problem = errno == ENOENT ? translate("there is no such file") : fileErrorText(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = kindOfFile(info);
        return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        problem = fileErrorText(errno);
        return false;
    }
    // The name may have been given to something else since it was looked at.
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = kindOfFile(info);
        close(fd);
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > kLogoFileLimit) {
        problem = tooLargeText();
        close(fd);
        return false;
    }
    // Room for the file as it stands and a little more, growing only while it grows.
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (bytes.size() > kLogoFileLimit) break;
            bytes.resize(std::min(bytes.size() * 2, kLogoFileLimit + 1));
        }
        const ssize_t got = read(fd, bytes.data() + total, bytes.size() - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            problem = fileErrorText(errno);
            close(fd);
            bytes.clear();
            return false;
        }
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    close(fd);
    bytes.resize(total);
    if (total > kLogoFileLimit) {
        problem = tooLargeText();
        bytes.clear();
        return false;
    }
    return true;
}

} // namespace

bool decodeLogo(std::string_view data, LogoPixels& pixels, std::string& problem) {
    pixels = {};
    if (data.substr(0, kPngSignature.size()) == kPngSignature)
        return decodePng(data, pixels, problem);
    if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
        static_cast<unsigned char>(data[1]) == 0xD8)
        return decodeJpeg(data, pixels, problem);
    problem = translate("it is not a PNG or JPEG picture");
    return false;
}

bool loadLogo(const std::string& path, LogoPixels& pixels, std::string& problem) {
    pixels = {};
    std::string bytes;
    return readLogoFile(path, bytes, problem) && decodeLogo(bytes, pixels, problem);
}

LogoPixels shrinkLogo(const LogoPixels& pixels, int width, int height) {
    if (width >= pixels.width && height >= pixels.height) return pixels;
    width = std::clamp(width, 1, pixels.width);
    height = std::clamp(height, 1, pixels.height);
    const bool masked = !pixels.alpha.empty();
    LogoPixels out{width, height, pixels.channels, {}, {}};
    out.colour.resize(static_cast<std::size_t>(width) * height * pixels.channels);
    if (masked) out.alpha.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int top = static_cast<int>(static_cast<long long>(y) * pixels.height / height);
        const int bottom = static_cast<int>(static_cast<long long>(y + 1) * pixels.height / height);
        for (int x = 0; x < width; ++x) {
            const int left = static_cast<int>(static_cast<long long>(x) * pixels.width / width);
            const int right =
                static_cast<int>(static_cast<long long>(x + 1) * pixels.width / width);
            std::uint64_t sums[3] = {0, 0, 0}, weight = 0, alpha = 0;
            for (int row = top; row < bottom; ++row) {
                for (int column = left; column < right; ++column) {
                    const std::size_t at = static_cast<std::size_t>(row) * pixels.width + column;
                    const unsigned opacity = masked ? pixels.alpha[at] : 255;
                    for (int c = 0; c < pixels.channels; ++c)
                        sums[c] +=
                            static_cast<std::uint64_t>(pixels.colour[at * pixels.channels + c]) *
                            opacity;
                    weight += opacity;
                    alpha += opacity;
                }
            }
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            const std::uint64_t area = static_cast<std::uint64_t>(bottom - top) * (right - left);
            for (int c = 0; c < pixels.channels; ++c)
                out.colour[at * pixels.channels + c] =
                    static_cast<unsigned char>(weight ? (sums[c] + weight / 2) / weight : 0);
            if (masked) out.alpha[at] = static_cast<unsigned char>((alpha + area / 2) / area);
        }
    }
    return out;
}

HPDF_Image embedLogo(HPDF_Doc document, const LogoPixels& pixels) {
    const auto width = static_cast<HPDF_UINT>(pixels.width);
    const auto height = static_cast<HPDF_UINT>(pixels.height);
    HPDF_Image image = HPDF_LoadRawImageFromMem(
        document, pixels.colour.data(), width, height,
        pixels.channels == 1 ? HPDF_CS_DEVICE_GRAY : HPDF_CS_DEVICE_RGB, 8);
    if (!image || pixels.alpha.empty()) return image;
    HPDF_Image mask = HPDF_LoadRawImageFromMem(document, pixels.alpha.data(), width, height,
                                               HPDF_CS_DEVICE_GRAY, 8);
    if (!mask || HPDF_Image_AddSMask(image, mask) != HPDF_OK) return nullptr;
    return image;
}

std::string logoProblemMessage(const std::string& path, const std::string& problem) {
    return fillIn(translate("The logo %1 cannot be used: %2."), {path, problem});
}
