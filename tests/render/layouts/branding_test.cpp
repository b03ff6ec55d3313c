// The user's credit line and logo on real documents: which logo files are taken and which are
// refused with their reason, how a typed line is printed, and pages without either unchanged.
#include "layout_pages.h"
#include "render/layouts/layouts.h"
#include "render/seam.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {
namespace fs = std::filesystem;

std::vector<std::string> shownMessages;
void recordMessage(const std::string&, const std::string& mainText, const std::string&) {
    shownMessages.push_back(mainText);
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A PNG's header chunk declaring the size, with a correct checksum, and nothing after it.
std::string hugePngHeader(std::uint32_t width, std::uint32_t height) {
    std::string png = pngPicture(8, 8, PngRgb, 8).substr(0, 33);
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<char>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<char>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    for (int i = 0; i < 4; ++i)
        png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
    return png;
}

// The credit line as the month page draws it: the last text on the footer's baseline.
PdfText creditOf(const PdfPage& page) {
    const std::vector<PdfText> footer = textsOnBaseline(page, 583);
    return footer.empty() ? PdfText{} : footer.back();
}

class Branding : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) / ("branding_" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        saved = global::renderSeam;
        global::renderSeam = {recordMessage, nullptr, nullptr, nullptr};
        shownMessages.clear();
    }
    void TearDown() override {
        global::renderSeam = saved;
        fs::remove_all(folder);
    }
    fs::path folder;
    RenderSeam saved{};
};
} // namespace

// Each file is refused, naming the file and the reason once, and the calendar printed without
// a logo (reason nullptr: the logo is printed); a hostile header is refused before its pixels
// take any memory. The pictures themselves are in logo_pictures_test.cpp.
TEST_F(Branding, LogoFilesAreTakenOrRefusedWithTheirReason) {
    const std::string png = pngPicture(300, 100, PngRgb, 8);
    const std::string jpeg = jpegPicture(300, 100, 3);
    const auto bytes = [](std::string content) {
        return [content](const fs::path& path) { writeText(path, content); };
    };
    const auto linkTo = [](std::string target) {
        return [target](const fs::path& path) { fs::create_symlink(target, path); };
    };
    std::string hugeJpeg = jpeg;
    const std::size_t frame = hugeJpeg.find("\xFF\xC0");
    for (std::size_t i = 5; i <= 8; ++i)
        hugeJpeg[frame + i] = '\xFF';
    const struct {
        const char* name;
        std::function<void(const fs::path&)> make;
        const char* reason;
    } cases[] = {
        {"missing.png", [](const fs::path&) {}, "there is no such file"},
        {"folder.png", [](const fs::path& path) { fs::create_directory(path); }, "it is a folder"},
        {"fifo.png", [](const fs::path& path) { mkfifo(path.c_str(), 0600); }, "it is a pipe"},
        {"device.png", linkTo("/dev/zero"), "it is a device"},
        {"folder-link.png", linkTo("/tmp"), "it is a folder"},
        {"dangling.png", linkTo("/nonexistent/logo.png"), "there is no such file"},
        {"big.png", bytes(png + std::string(11 * 1024 * 1024, '\0')), "larger than 10 MB"},
        {"limit.png", bytes(png + std::string(10 * 1024 * 1024 - png.size(), '\0')), nullptr},
        {"text.png", bytes("This is not a picture.\n"), "not a PNG or JPEG picture"},
        {"huge.png", bytes(hugePngHeader(100000, 100000)), "100000 x 100000 pixels"},
        {"huge.jpg", bytes(hugeJpeg), "65535 x 65535 pixels"},
        {"wide.png", bytes(pngPicture(2001, 1, PngGrey, 1)), "2001 x 1 pixels"},
        {"tall.png", bytes(pngPicture(1, 2000, PngGrey, 1)), nullptr},
        {"rgb.png", bytes(png), nullptr},
        {"logo.jpg", bytes(jpeg), nullptr},
        {"logo-link.png", linkTo("rgb.png"), nullptr},
    };
    for (const auto& logo : cases) {
        const fs::path path = folder / logo.name;
        logo.make(path);
        shownMessages.clear();
        CalendarRequest request = {Month, 2026, 3, false};
        request.logo = path.string();
        const long peakBefore = peakKilobytes();
        const std::vector<PdfPage> pages = renderRequest(request);
        EXPECT_LT(peakKilobytes() - peakBefore, 100 * 1024) << logo.name;
        ASSERT_EQ(pages.size(), 1u) << logo.name;
        EXPECT_EQ(pages[0].images.size(), logo.reason ? 0u : 1u) << logo.name;
        if (!logo.reason) {
            EXPECT_TRUE(shownMessages.empty()) << logo.name << ": " << shownMessages[0];
            continue;
        }
        ASSERT_EQ(shownMessages.size(), 1u) << logo.name;
        const std::size_t named = shownMessages[0].find(path.string());
        ASSERT_NE(named, std::string::npos) << shownMessages[0];
        // Looked for after the name, which may hold the same words.
        EXPECT_NE(shownMessages[0].find(logo.reason, named + path.string().size()),
                  std::string::npos)
            << shownMessages[0];
    }
}

// The typed line as the month page of a five-week month prints it: in code page 1252 (read
// back as UTF-8), right
// edge on the margin, clear of the five-week note; a long one shrinks to 6 points, then is cut.
TEST_F(Branding, CreditLinePrintsAsTypedWithinItsPlace) {
    const std::string tooLong(10000, 'W');
    const struct {
        std::string typed, drawn;
        double size;
    } cases[] = {
        {"WKRP Sales 513-555-0199", "WKRP Sales 513-555-0199", 8},
        {"Caf\u00e9 \u00dcn\u00efcode \u2014 \u0141\u00f3d\u017a \u201cq\u201d \u20ac",
         "Caf\u00e9 \u00dcn\u00efcode \u2014 L\u00f3dz \u201cq\u201d \u20ac", 8},
        {"Line\nbreak\tand\x07 bell\x7F", "Linebreakand bell", 8},
        // Invisible characters go as the control characters do, not as "?".
        {"\uFEFFW\u200BK\u200ER\u202EP\u2066 \u2069FM\u200F", "WKRP FM", 8},
        {"\u6771\u4eac FM \xFF", "?? FM ?", 8},
        {tooLong, "", 6},
    };
    const double noteRight = 72 + standardTextWidth("Helvetica", 8, "* denotes 5-week month");
    const double noteGap = 12; // the footer's room between the note and the credit
    for (const auto& credit : cases) {
        CalendarRequest request = {Month, 2026, 3, false};
        request.credit = credit.typed;
        const std::vector<PdfPage> pages = renderRequest(request);
        ASSERT_EQ(pages.size(), 1u);
        const PdfText credited = creditOf(pages[0]);
        const PdfText* drawn = &credited;
        if (credit.drawn.empty())
            EXPECT_EQ(drawn->text, std::string(drawn->text.size() - 3, 'W') + "\u2026");
        else
            EXPECT_EQ(drawn->text, credit.drawn);
        EXPECT_EQ(drawn->size, credit.size) << credit.drawn;
        EXPECT_NEAR(drawn->x + standardTextWidth("Helvetica", drawn->size, drawn->text), 720, 0.05)
            << credit.drawn;
        EXPECT_GE(drawn->x, noteRight + noteGap - 0.01) << credit.drawn;
    }
    // Wherever blanks fall, a cut line never ends in one before the ellipsis.
    for (std::size_t at = 85; at < 98; ++at) {
        CalendarRequest request = {Month, 2026, 3, false};
        request.credit = std::string(at, 'W') + "   " + std::string(97 - at, 'W');
        const std::string drawn = creditOf(renderRequest(request)[0]).text;
        ASSERT_GT(drawn.size(), 4u);
        EXPECT_NE(drawn[drawn.size() - 4], ' ') << at;
    }
}

// With neither set, or a line of blanks and control characters only, every style's document is
// byte for byte the program's own: the sizes and CRC-32s stored here, of documents looked at
// page by page. A change to the pages or to the program's version (the documents name it)
// changes them too: look at the pages (pdftoppm) before storing new figures.
TEST_F(Branding, PagesWithoutCreditOrLogoAreUnchanged) {
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    const std::map<int, std::string> stored = {{Month, "12887/2517cbc7"},
                                               {Quarter, "7309/5db3f504"},
                                               {Year, "4689/02ce9df0"},
                                               {ThreeYears, "9900/04e67313"},
                                               {KeyboardStrips, "21429/3e8e0713"},
                                               {PlanningCalendar, "4642/6e656ea8"}};
    const auto digest = [](const std::string& bytes) {
        char text[32];
        std::snprintf(text, sizeof text, "%zu/%08lx", bytes.size(),
                      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()),
                            static_cast<uInt>(bytes.size())));
        return std::string(text);
    };
    for (int style = Month; style <= PlanningCalendar; ++style) {
        std::string plain, blank;
        const std::vector<PdfPage> pages = renderRequest({style, 2026, kSelectAll, true}, &plain);
        CalendarRequest request = {style, 2026, kSelectAll, true};
        request.credit = " \t\n\x01 ";
        renderRequest(request, &blank);
        EXPECT_EQ(digest(plain), stored.at(style)) << "style " << style;
        EXPECT_EQ(digest(blank), stored.at(style)) << "style " << style;
        for (const PdfPage& page : pages) {
            EXPECT_TRUE(page.images.empty() && page.imageObjects.empty()) << "style " << style;
            EXPECT_NE(findText(page, kCreditLine), nullptr) << "style " << style;
        }
    }
    unsetenv("SOURCE_DATE_EPOCH");
}

// Twelve month pages share one image object.
TEST_F(Branding, LogoIsEmbeddedOnce) {
    writeText(folder / "logo.png", pngPicture(300, 100, PngRgb, 8));
    CalendarRequest request = {Month, 2026, kSelectAll, false};
    request.logo = (folder / "logo.png").string();
    std::set<int> objects;
    const std::vector<PdfPage> pages = renderRequest(request);
    ASSERT_EQ(pages.size(), 12u);
    for (const PdfPage& page : pages) {
        EXPECT_EQ(page.images.size(), 1u);
        objects.insert(page.imageObjects.begin(), page.imageObjects.end());
    }
    EXPECT_EQ(objects.size(), 1u);
}
