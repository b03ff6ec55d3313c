// Logos of every kind a user may have, made here by ImageMagick and by hand: each picture the
// decoder takes prints as ImageMagick shows it, and each damaged one is refused by
// merivane-cli with the reason and no file written.
#include "layout_pages.h"
#include "support/command_output.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <zlib.h>

namespace {
namespace fs = std::filesystem;

// A colour gradient with a white disc and a green square; the same with transparency: a red
// disc and a half-transparent blue square on nothing; and two colours on nothing, for palettes.
const std::string kOpaque =
    "-size 120x60 gradient:#c03020-#2040c0 -fill white "
    "-draw 'circle 40,30 40,10' -fill '#20a040' -draw 'rectangle 70,10 110,50'";
const std::string kClear = "-size 120x60 xc:none -fill '#c03020' -draw 'circle 40,30 40,8' "
                           "-fill '#2040c080' -draw 'rectangle 64,10 112,50'";
const std::string kTwoColours = "-size 120x60 xc:none -fill '#c03020' -draw 'circle 40,30 40,8' "
                                "+antialias -fill '#2040c0' -draw 'rectangle 64,10 112,50'";
const std::string kBlackWhite = "-size 120x60 xc:white -fill black -draw 'circle 40,30 40,10' "
                                "-draw 'rectangle 70,10 110,50'";

std::string png(int depth, int type) {
    return " -define png:bit-depth=" + std::to_string(depth) +
           " -define png:color-type=" + std::to_string(type) + " ";
}

void put(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

// A PNG chunk: length, type, data and the checksum over type and data.
std::string chunk(const std::string& type, const std::string& data) {
    std::string out(8, '\0');
    put(out, 0, static_cast<std::uint32_t>(data.size()));
    out.replace(4, 4, type);
    out += data + std::string(4, '\0');
    put(out, out.size() - 4,
        crc32(0, reinterpret_cast<const Bytef*>(out.data() + 4),
              static_cast<uInt>(data.size() + 4)));
    return out;
}

// A 2000 x 2000 grey PNG whose 12 KB of data inflate to 100 MB of zeros.
std::string zlibBomb() {
    std::string header(13, '\0');
    put(header, 0, 2000);
    put(header, 4, 2000);
    header[8] = 8;
    std::string zeros(100 * 1024 * 1024, '\0');
    std::string packed(compressBound(zeros.size()), '\0');
    uLongf size = packed.size();
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
              reinterpret_cast<const Bytef*>(zeros.data()), zeros.size(), 9);
    packed.resize(size);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", packed) +
           chunk("IEND", "");
}

// The mean difference of two same-size pictures, 0 (same) to 1, as ImageMagick measures it once
// both are brought to a quarter of their size, so that edges smoothed in different ways count
// for little and wrong colours or shapes for much.
double meanDifference(const fs::path& a, const fs::path& b) {
    const std::string mean = commandOutput("convert '" + a.string() + "' '" + b.string() +
                                           "' -scale 25% -compose difference -composite "
                                           "-format '%[fx:mean]' info:");
    return mean.empty() ? 1.0 : std::strtod(mean.c_str(), nullptr);
}
} // namespace

TEST(LogoPictures, EveryKindPrintsAsItLooksAndDamagedOnesAreRefused) {
    const fs::path folder = fs::path(testing::TempDir()) / ("logos_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    // The arguments end with the output's format, such as "PNG24:", or with nothing.
    const auto made = [&folder](const std::string& name, const std::string& arguments) {
        const fs::path path = folder / name;
        const std::string command = "convert " + arguments + "'" + path.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return readText(path);
    };
    const std::string rgb = made("source.png", kOpaque + " PNG24:");
    const std::string jpeg = made("source.jpg", kOpaque + " -quality 92 ");
    // The picture data's own checksum, after its 4-byte type and its data.
    std::string badCrc = rgb;
    const std::size_t data = rgb.find("IDAT");
    badCrc[data + 4 +
           (static_cast<unsigned char>(rgb[data - 2]) << 8 |
            static_cast<unsigned char>(rgb[data - 1]))] ^= 0x55;
    std::string oddName = rgb;
    oddName.insert(33, chunk("ab1d", "x"));
    std::string gammaZero = rgb;
    gammaZero.insert(33, chunk("gAMA", std::string(4, '\0')));
    const struct {
        const char* name;
        std::string bytes;
        const char* reason; // nullptr: the picture prints
    } cases[] = {
        {"grey1.png", made("g1.png", kBlackWhite + png(1, 0)), nullptr},
        {"grey2.png", made("g2.png", kOpaque + " -colorspace Gray -depth 2" + png(2, 0)), nullptr},
        {"grey4.png", made("g4.png", kOpaque + " -colorspace Gray -depth 4" + png(4, 0)), nullptr},
        {"grey8.png", made("g8.png", kOpaque + " -colorspace Gray" + png(8, 0)), nullptr},
        {"grey16.png",
         made("g16.png",
              kOpaque + " -colorspace Gray -depth 16 -define png:exclude-chunk=all" + png(16, 0)),
         nullptr},
        {"grey-alpha8.png", made("ga8.png", kClear + " -colorspace Gray" + png(8, 4)), nullptr},
        {"grey-alpha16.png", made("ga16.png", kClear + " -colorspace Gray -depth 16" + png(16, 4)),
         nullptr},
        {"rgb8.png", rgb, nullptr},
        {"rgb16.png", made("c16.png", kOpaque + " -depth 16 -define png:exclude-chunk=all PNG48:"),
         nullptr},
        {"rgba8.png", made("ca8.png", kClear + " PNG32:"), nullptr},
        {"rgba16.png", made("ca16.png", kClear + " -depth 16 PNG64:"), nullptr},
        {"palette1.png", pngPicture(30, 15, PngPalette, 1), nullptr},
        {"palette1-trns.png", pngPicture(30, 15, PngPalette, 1, false, true), nullptr},
        {"palette2-trns.png", pngPicture(30, 15, PngPalette, 2, false, true), nullptr},
        {"palette4-trns.png", pngPicture(30, 15, PngPalette, 4, false, true), nullptr},
        {"palette8-trns.png", made("pt8.png", kTwoColours + " PNG8:"), nullptr},
        {"interlaced.png", made("i.png", kOpaque + " -interlace PNG PNG24:"), nullptr},
        {"interlaced-trns.png", pngPicture(30, 15, PngPalette, 4, true, true), nullptr},
        {"gamma-zero.png", gammaZero, nullptr},
        {"baseline.jpg", jpeg, nullptr},
        {"progressive.jpg", made("pr.jpg", kOpaque + " -interlace JPEG -quality 92 "), nullptr},
        {"grey.jpg", made("g.jpg", kOpaque + " -colorspace Gray -quality 92 "), nullptr},
        {"cmyk.jpg", made("cmyk.jpg", kOpaque + " -colorspace CMYK -quality 92 "), nullptr},
        {"fill-bytes.jpg", jpeg.substr(0, 2) + "\xFF\xFF" + jpeg.substr(2), nullptr},
        {"bad-crc.png", badCrc, "checksum"},
        {"cut-idat.png", rgb.substr(0, rgb.find("IDAT") + 200), "cut short"},
        {"odd-chunk.png", oddName, "a part no PNG reader knows"},
        {"zlib-bomb.png", zlibBomb(), nullptr},
        {"cut.jpg", jpeg.substr(0, jpeg.size() * 3 / 5), "cut short"},
    };
    for (const auto& logo : cases) {
        const fs::path path = folder / logo.name, out = folder / "out.pdf";
        writeText(path, logo.bytes);
        // LOGO_TEST_WRAPPER runs the program under a checker such as valgrind; a checker's report
        // (status 99) fails the row.
        const char* wrapper = std::getenv("LOGO_TEST_WRAPPER");
        const std::string cli = "/usr/bin/time -f 'peak %M kB' " +
                                std::string(wrapper ? wrapper : "") + " " + MERIVANE_CLI +
                                " pdf --style month --year 2026 --month 3 --logo '" +
                                path.string() + "' --output '" + out.string() + "' 2>&1";
        bool failed = false;
        const std::string said = commandOutput(cli, &failed);
        const std::size_t peak = said.rfind("peak ");
        ASSERT_NE(peak, std::string::npos) << said;
        EXPECT_LT(std::strtol(said.c_str() + peak + 5, nullptr, 10), 150 * 1024) << logo.name;
        EXPECT_EQ(said.find("status 99"), std::string::npos) << logo.name << ": " << said;
        if (logo.reason) {
            EXPECT_TRUE(failed) << logo.name;
            EXPECT_NE(said.find(logo.reason), std::string::npos) << logo.name << ": " << said;
            EXPECT_FALSE(fs::exists(out)) << logo.name;
            continue;
        }
        ASSERT_FALSE(failed) << logo.name << ": " << said;
        const std::vector<PdfPage> pages = pagesOf(out.string());
        ASSERT_EQ(pages.size(), 1u);
        ASSERT_EQ(pages[0].images.size(), 1u) << logo.name;
        // The logo's box at 4 pixels a point, a pixel in from each side where edges blend.
        const PdfImage& box = pages[0].images[0];
        const int left = static_cast<int>(box.x * 4) + 1, top = static_cast<int>(box.top * 4) + 1;
        const int width = static_cast<int>(box.width * 4) - 2;
        const int height = static_cast<int>(box.height * 4) - 2;
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        const fs::path printed = folder / "printed", shown = folder / "shown.ppm";
        commandOutput("pdftoppm -r 288 -singlefile -x " + std::to_string(left) + " -y " +
                      std::to_string(top) + " -W " + std::to_string(width) + " -H " +
                      std::to_string(height) + " '" + out.string() + "' '" + printed.string() +
                      "'");
        commandOutput("convert '" + path.string() + "' -background white -flatten -resize " + size +
                      "! '" + shown.string() + "' 2>/dev/null");
        EXPECT_LT(meanDifference(printed.string() + ".ppm", shown), 0.025) << logo.name;
        fs::remove(out);
    }
    fs::remove_all(folder);
}
