#include "render/logo.h"

#include "common/atomic_file.h"
#include "common/translate.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
constexpr std::size_t kInflateChunk = 65536;

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

struct PngHeader {
    std::uint32_t width;
    std::uint32_t height;
    int depth;
    int colourType;
    int interlace;
};

// The samples per pixel of a colour type with the depths it allows; 0 for an unknown type.
int pngChannels(int colourType, int depth) {
    const bool eightOrSixteen = depth == 8 || depth == 16;
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || eightOrSixteen ? 1 : 0;
    case 2:
        return eightOrSixteen ? 3 : 0;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 ? 1 : 0;
    case 4:
        return eightOrSixteen ? 2 : 0;
    case 6:
        return eightOrSixteen ? 4 : 0;
    default:
        return 0;
    }
}

// The image data inflates to exactly one filter byte (0 to 4) and the samples of every row.
bool pngDataComplete(const std::vector<std::string_view>& pieces, const PngHeader& header,
                     int channels, std::string& problem) {
    const std::uint64_t rowBytes =
        (static_cast<std::uint64_t>(header.width) * channels * header.depth + 7) / 8 + 1;
    const std::uint64_t expected = rowBytes * header.height;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        problem = translate("there is not enough memory to check it");
        return false;
    }
    std::vector<unsigned char> out(kInflateChunk);
    std::uint64_t produced = 0;
    int status = Z_OK;
    bool corrupt = false;
    for (std::size_t piece = 0; piece < pieces.size() && status != Z_STREAM_END && !corrupt;
         ++piece) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pieces[piece].data()));
        stream.avail_in = static_cast<uInt>(pieces[piece].size());
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            status = inflate(&stream, Z_NO_FLUSH);
            const std::size_t got = out.size() - stream.avail_out;
            for (std::size_t i = 0; i < got; ++i)
                if ((produced + i) % rowBytes == 0 && out[i] > 4) corrupt = true;
            produced += got;
            if (produced > expected ||
                (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR))
                corrupt = true;
        } while (stream.avail_out == 0 && status == Z_OK && !corrupt);
    }
    inflateEnd(&stream);
    if (corrupt) {
        problem = translate("its picture data is corrupt");
        return false;
    }
    if (status != Z_STREAM_END || produced != expected) {
        problem = translate("its picture data is incomplete");
        return false;
    }
    return true;
}

// PNG: the 8-byte signature, then chunks of a 4-byte big-endian length, a 4-letter type, the
// data and a CRC-32 over type and data. IHDR comes first (13 bytes: width, height, bit depth,
// colour type, compression 0, filter 0, interlace 0 or 1); PLTE (a multiple of 3 bytes, at most
// 256 colours and no more than the bit depth can index) comes before the IDAT chunks, which
// follow one another and hold one zlib stream; IEND ends the file. A critical chunk (upper-case
// first letter) of any other type cannot be read.
bool checkPng(std::string_view data, ImageFacts& facts, std::string& problem) {
    std::size_t at = kPngSignature.size();
    PngHeader header{};
    int channels = 0;
    bool seenHeader = false, seenPalette = false, seenData = false, dataEnded = false;
    std::vector<std::string_view> pieces;
    for (;;) {
        if (data.size() - at < 12) {
            problem = translate("the file is cut short");
            return false;
        }
        const std::uint32_t length = bigEndian32(data, at);
        const std::string_view type = data.substr(at + 4, 4);
        if (length > data.size() - at - 12) {
            problem = translate("the file is cut short");
            return false;
        }
        const std::string_view body = data.substr(at + 8, length);
        const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(type.data()),
                                static_cast<uInt>(4 + length));
        if (crc != bigEndian32(data, at + 8 + length)) {
            problem = translate("it is corrupt (a checksum does not match)");
            return false;
        }
        at += 12 + length;
        if (!seenHeader) {
            if (type != "IHDR" || length != 13) {
                problem = translate("it is corrupt (no image header)");
                return false;
            }
            header = {bigEndian32(body, 0), bigEndian32(body, 4),
                      static_cast<unsigned char>(body[8]), static_cast<unsigned char>(body[9]),
                      static_cast<unsigned char>(body[12])};
            if (!withinSideLimit(header.width, header.height, problem)) return false;
            channels = pngChannels(header.colourType, header.depth);
            if (channels == 0 || body[10] != 0 || body[11] != 0 || header.interlace > 1) {
                problem = translate("it is corrupt (an impossible image header)");
                return false;
            }
            if (header.interlace == 1) {
                problem = translate(
                    "interlaced PNG pictures cannot be printed; save it without interlacing");
                return false;
            }
            seenHeader = true;
            continue;
        }
        if (type == "IEND") break;
        if (type == "IDAT") {
            if (dataEnded) {
                problem = translate("it is corrupt (its picture data is split)");
                return false;
            }
            seenData = true;
            pieces.push_back(body);
            continue;
        }
        if (seenData) dataEnded = true;
        if (type == "PLTE") {
            const std::size_t colours = length / 3;
            if (seenData || seenPalette || length % 3 != 0 || colours < 1 || colours > 256 ||
                header.colourType == 0 || header.colourType == 4 ||
                (header.colourType == 3 && colours > (1u << header.depth))) {
                problem = translate("it is corrupt (a bad palette)");
                return false;
            }
            seenPalette = true;
            continue;
        }
        if (type[0] >= 'A' && type[0] <= 'Z') {
            problem = translate("it holds a part no PNG reader knows");
            return false;
        }
    }
    if (!seenData || (header.colourType == 3 && !seenPalette)) {
        problem =
            seenData ? translate("it is corrupt (no palette)") : translate("it holds no picture");
        return false;
    }
    if (!pngDataComplete(pieces, header, channels, problem)) return false;
    facts = {ImageKind::Png, static_cast<int>(header.width), static_cast<int>(header.height)};
    return true;
}

bool isStartOfFrame(unsigned marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// JPEG: FF D8, then segments, each FF and a marker byte (FF fill bytes may come first); markers
// D0 to D7 and 01 stand alone, every other one is followed by a 2-byte big-endian length that
// counts itself. The frame header SOFn (C0 to CF but C4, C8, CC) holds the sample precision,
// height, width and component count; the entropy-coded data follows the scan header SOS (DA)
// and the file ends with FF D9. Only baseline, extended and progressive Huffman frames (C0, C1,
// C2) of 8-bit grey or colour samples print everywhere.
bool checkJpeg(std::string_view data, ImageFacts& facts, std::string& problem) {
    std::size_t at = 2;
    bool seenFrame = false;
    for (;;) {
        while (at < data.size() && static_cast<unsigned char>(data[at]) == 0xFF &&
               at + 1 < data.size() && static_cast<unsigned char>(data[at + 1]) == 0xFF)
            ++at;
        if (data.size() - at < 2) {
            problem = translate("the file is cut short");
            return false;
        }
        if (static_cast<unsigned char>(data[at]) != 0xFF) {
            problem = translate("it is corrupt (a segment does not start where it should)");
            return false;
        }
        const unsigned marker = static_cast<unsigned char>(data[at + 1]);
        at += 2;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        if (marker == 0xD8 || marker == 0xD9 || marker == 0x00) {
            problem = translate("it is corrupt (it ends before its picture)");
            return false;
        }
        if (data.size() - at < 2 || bigEndian16(data, at) < 2 ||
            bigEndian16(data, at) > data.size() - at) {
            problem = translate("the file is cut short");
            return false;
        }
        const std::string_view body = data.substr(at + 2, bigEndian16(data, at) - 2);
        at += 2 + body.size();
        if (isStartOfFrame(marker)) {
            if (seenFrame || body.size() < 6 ||
                body.size() !=
                    6 + 3 * static_cast<std::size_t>(static_cast<unsigned char>(body[5]))) {
                problem = translate("it is corrupt (a bad frame header)");
                return false;
            }
            const long long height = bigEndian16(body, 1), width = bigEndian16(body, 3);
            if (!withinSideLimit(width, height, problem)) return false;
            if (marker > 0xC2) {
                problem =
                    translate("it is a lossless or arithmetic-coded JPEG, which PDF readers cannot "
                              "all show");
                return false;
            }
            const int components = static_cast<unsigned char>(body[5]);
            if (components == 4) {
                problem =
                    translate("CMYK JPEG pictures print in the wrong colours; save it as RGB");
                return false;
            }
            if (body[0] != 8 || (components != 1 && components != 3)) {
                problem = translate("only 8-bit grey or colour JPEG pictures can be printed");
                return false;
            }
            facts = {ImageKind::Jpeg, static_cast<int>(width), static_cast<int>(height)};
            seenFrame = true;
            continue;
        }
        if (marker == 0xDA) break;
    }
    if (!seenFrame) {
        problem = translate("it is corrupt (no frame header)");
        return false;
    }
    if (static_cast<unsigned char>(data[data.size() - 2]) != 0xFF ||
        static_cast<unsigned char>(data[data.size() - 1]) != 0xD9) {
        problem = translate("the file is cut short");
        return false;
    }
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

} // namespace

bool checkImageData(std::string_view data, ImageFacts& facts, std::string& problem) {
    if (data.substr(0, kPngSignature.size()) == kPngSignature)
        return checkPng(data, facts, problem);
    if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
        static_cast<unsigned char>(data[1]) == 0xD8)
        return checkJpeg(data, facts, problem);
    problem = translate("it is not a PNG or JPEG picture");
    return false;
}

bool readLogoFile(const std::string& path, std::string& bytes, ImageFacts& facts,
                  std::string& problem) {
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
    if (!checkImageData(bytes, facts, problem)) {
        bytes.clear();
        return false;
    }
    return true;
}

std::string logoProblemMessage(const std::string& path, const std::string& problem) {
    return fillIn(translate("The logo %1 cannot be used: %2."), {path, problem});
}
