// Document generation through the real settings file, PDF folder and PDF library: numbered
// files, the counter, opening, every style's pages, and what the user sees when saving fails.
#include "program/paths.h"
#include "program/settings.h"
#include "render/generate.h"
#include "render/seam.h"
#include "support/pdf_content.h"
#include "support/test_files.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ShownMessage {
    std::string title;
    std::string mainText;
    std::string detailText;
};

std::vector<ShownMessage> shownMessages;
std::vector<std::string> openedDocuments;
int mainWindowCloses = 0;

void recordMessage(const std::string& title, const std::string& mainText,
                   const std::string& detailText) {
    shownMessages.push_back({title, mainText, detailText});
}
void recordOpen(const std::string& path) {
    openedDocuments.push_back(path);
}
void recordClose() {
    ++mainWindowCloses;
}

std::vector<std::string> folderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool showsText(const std::vector<PdfPage>& pages, const std::string& text) {
    for (const PdfPage& page : pages)
        if (findText(page, text)) return true;
    return false;
}

class Generation : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "generate-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        fs::create_directory(folder / "PDF");
        global::settingsPath = (folder / "Zarn.ini").string();
        global::pdfFolder = (folder / "PDF").string() + "/";
        savedSeam = global::renderSeam;
        global::renderSeam = {recordMessage, recordOpen, recordClose, nullptr};
        output = {global::pdfFolder, NextCalendarNumber, true};
        shownMessages.clear();
        openedDocuments.clear();
        mainWindowCloses = 0;
    }
    void TearDown() override {
        global::renderSeam = savedSeam;
        fs::remove_all(folder);
    }
    std::string counter() const {
        return ReadSetting(global::settingsPath, "PDF", "Number", "(absent)");
    }
    std::string pdfPath(const std::string& name) const { return global::pdfFolder + name; }

    fs::path folder;
    RenderSeam savedSeam{};
    NumberedOutput output;
};

const CalendarRequest kYear2025 = {Year, 2025, 0, false};

TEST_F(Generation, FirstFileIsNumberOneAndTheNextOnesFollowWithoutReplacingIt) {
    EXPECT_EQ(counter(), "(absent)");
    const std::string first = GenerateCalendar(kYear2025, output);
    EXPECT_EQ(first, pdfPath("001Calendar.PDF"));
    EXPECT_EQ(counter(), "1");
    const std::string second = GenerateCalendar({Year, 2026, 0, false}, output);
    EXPECT_EQ(second, pdfPath("002Calendar.PDF"));
    EXPECT_EQ(counter(), "2");

    EXPECT_EQ(folderNames(folder / "PDF"),
              (std::vector<std::string>{"001Calendar.PDF", "002Calendar.PDF"}));
    const auto firstPages = pagesOf(first);
    const auto secondPages = pagesOf(second);
    ASSERT_EQ(firstPages.size(), 1u);
    ASSERT_EQ(secondPages.size(), 1u);
    EXPECT_TRUE(showsText(firstPages, "2025"));
    EXPECT_TRUE(showsText(secondPages, "2026"));
    EXPECT_FALSE(showsText(secondPages, "2025"));
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_EQ(openedDocuments, (std::vector<std::string>{first, second}));
}

TEST_F(Generation, CounterWrapsFrom999ToOneAndReplacesTheOldFileOne) {
    WriteSetting(global::settingsPath, "PDF", "Number", "998");
    EXPECT_EQ(GenerateCalendar(kYear2025, output), pdfPath("999Calendar.PDF"));
    EXPECT_EQ(counter(), "999");
    writeText(pdfPath("001Calendar.PDF"), "an old calendar");
    EXPECT_EQ(GenerateCalendar(kYear2025, output), pdfPath("001Calendar.PDF"));
    EXPECT_EQ(counter(), "1");
    EXPECT_EQ(pagesOf(pdfPath("001Calendar.PDF")).size(), 1u);
    EXPECT_EQ(folderNames(folder / "PDF"),
              (std::vector<std::string>{"001Calendar.PDF", "999Calendar.PDF"}));
}

// A counter edited by hand or damaged must never give a name outside 001 to 999.
TEST_F(Generation, CounterOutsideItsRangeStartsAgainAtOne) {
    for (const char* stored : {"abc", "-5", "0", "1000", "2147483647", "1e300"}) {
        SCOPED_TRACE(stored);
        WriteSetting(global::settingsPath, "PDF", "Number", stored);
        EXPECT_EQ(GenerateCalendar(kYear2025, output), pdfPath("001Calendar.PDF"));
        EXPECT_EQ(counter(), "1");
    }
    WriteSetting(global::settingsPath, "PDF", "Number", "41 files");
    EXPECT_EQ(GenerateCalendar(kYear2025, output), pdfPath("042Calendar.PDF"));
    EXPECT_EQ(counter(), "42");
}

TEST_F(Generation, FileIsOpenedOnlyWhenAPdfViewerIsKnown) {
    output.openWhenSaved = false;
    const std::string path = GenerateCalendar(kYear2025, output);
    EXPECT_EQ(path, pdfPath("001Calendar.PDF"));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(openedDocuments.empty());
}

// A PDF folder that is missing or is a file: one message in plain words, the main window stays,
// and neither a file nor a half-written one remains.
TEST_F(Generation, SaveFailuresAreShownInPlainWordsAndKeepTheMainWindow) {
    struct Case {
        std::string folder;
        const char* mainText;
    };
    writeText(folder / "a-file", "not a folder");
    const Case cases[] = {
        {(folder / "missing").string() + "/",
         "Unable to save the calendar: the folder does not exist.{f11,t4}"},
        {(folder / "a-file").string() + "/",
         "Unable to save the calendar: a part of the path is not a folder.{f11,t4}"},
    };
    int expectedCounter = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        shownMessages.clear();
        output.folder = c.folder;
        EXPECT_EQ(GenerateCalendar(kYear2025, output), "");
        ASSERT_EQ(shownMessages.size(), 1u);
        EXPECT_EQ(shownMessages[0].title, "PDF Error");
        EXPECT_EQ(shownMessages[0].mainText, c.mainText);
        EXPECT_EQ(shownMessages[0].detailText,
                  c.folder + (expectedCounter == 0 ? "001" : "002") + "Calendar.PDF{f6}");
        EXPECT_TRUE(openedDocuments.empty());
        // The counter moves on all the same.
        EXPECT_EQ(counter(), std::to_string(++expectedCounter));
    }
    EXPECT_EQ(mainWindowCloses, 0);
    EXPECT_EQ(folderNames(folder), (std::vector<std::string>{"PDF", "Zarn.ini", "a-file"}));
    EXPECT_TRUE(folderNames(folder / "PDF").empty());
}

TEST_F(Generation, ALongNameIsSavedAndAFolderInTheWayIsRefused) {
    // The longest name a folder takes: no temporary name beside it may need more.
    const fs::path old = folder / "PDF" / (std::string(251, 'c') + ".pdf");
    writeText(old, "the old calendar");
    EXPECT_TRUE(WriteCalendarFile(kYear2025, old.string()));
    EXPECT_EQ(pagesOf(old.string()).size(), 1u);
    EXPECT_TRUE(shownMessages.empty());

    const fs::path busy = folder / "PDF" / "busy.pdf";
    fs::create_directories(busy / "inside");
    EXPECT_FALSE(WriteCalendarFile(kYear2025, busy.string()));
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_EQ(shownMessages[0].title, "PDF Error");
    EXPECT_EQ(shownMessages[0].mainText, "Unable to save the calendar: it is a folder.{f11,t4}");
    EXPECT_NE(shownMessages[0].detailText.find(busy.string()), std::string::npos);
    EXPECT_TRUE(fs::is_directory(busy / "inside"));
    EXPECT_EQ(folderNames(folder / "PDF"),
              (std::vector<std::string>{"busy.pdf", old.filename().string()}));
    EXPECT_EQ(mainWindowCloses, 0);
}

// A link planted under the next numbered name is replaced by the calendar; the file it points
// to is never written.
TEST_F(Generation, ALinkUnderTheNextNameIsNeverWrittenThrough) {
    const fs::path victim = folder / "victim.txt";
    writeText(victim, "precious");
    fs::create_symlink(victim, folder / "PDF" / "001Calendar.PDF");
    EXPECT_EQ(GenerateCalendar(kYear2025, output), pdfPath("001Calendar.PDF"));
    EXPECT_EQ(readText(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(pdfPath("001Calendar.PDF")));
    EXPECT_EQ(pagesOf(pdfPath("001Calendar.PDF")).size(), 1u);
}

// Standard output gets the same document, every byte checked: a device that takes nothing
// fails with the reason in words.
TEST_F(Generation, ADescriptorGetsTheWholeDocumentOrAPlainFailure) {
    const fs::path piped = folder / "piped.pdf";
    const int descriptor = open(piped.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(descriptor, 0);
    EXPECT_TRUE(WriteCalendarToDescriptor({Quarter, 2025, kSelectAll, false}, descriptor,
                                          "standard output"));
    close(descriptor);
    EXPECT_EQ(pagesOf(piped.string()).size(), 4u);
    EXPECT_TRUE(shownMessages.empty());

    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    EXPECT_FALSE(WriteCalendarToDescriptor(kYear2025, full, "standard output"));
    close(full);
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_EQ(shownMessages[0].mainText, "Unable to save the calendar: the disk is full.{f11,t4}");
    EXPECT_EQ(shownMessages[0].detailText, "standard output{f6}");
    EXPECT_EQ(mainWindowCloses, 0);
}

TEST_F(Generation, WrittenFileReplacesAnOldOneWholeAndLeavesNothingElse) {
    const fs::path path = folder / "calendar.pdf";
    writeText(path, "old");
    EXPECT_TRUE(WriteCalendarFile(kYear2025, path.string()));
    EXPECT_EQ(pagesOf(path.string()).size(), 1u);
    EXPECT_EQ(folderNames(folder), (std::vector<std::string>{"PDF", "calendar.pdf"}));
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_TRUE(openedDocuments.empty());
    EXPECT_EQ(counter(), "(absent)");
}

TEST_F(Generation, RequestsThatNameNoCalendarAreRefusedBeforeTheCounterMoves) {
    const CalendarRequest refused[] = {
        {0, 2025, 0, false},      {7, 2025, 0, false},     {Year, 1919, 0, false},
        {Year, 10000, 0, false},  {Month, 2025, 0, false}, {Quarter, 2025, 14, false},
        {Month, 2025, -1, false},
    };
    for (const CalendarRequest& request : refused) {
        SCOPED_TRACE("style " + std::to_string(request.style) + " year " +
                     std::to_string(request.year) + " selection " +
                     std::to_string(request.selection));
        shownMessages.clear();
        EXPECT_EQ(GenerateCalendar(request, output), "");
        EXPECT_EQ(shownMessages.size(), 1u);
        EXPECT_FALSE(WriteCalendarFile(request, (folder / "x.pdf").string()));
    }
    EXPECT_EQ(counter(), "(absent)");
    EXPECT_EQ(folderNames(folder), (std::vector<std::string>{"PDF"}));
    EXPECT_TRUE(folderNames(folder / "PDF").empty());
    EXPECT_EQ(mainWindowCloses, 0);
}

struct StylePages {
    CalendarRequest request;
    std::size_t pages;
    double width;
    double height;
};

TEST_F(Generation, EachStyleGivesItsPagesInOneDocument) {
    const StylePages cases[] = {
        {{Month, 2025, kSelectAll, false}, 12, 792, 612},
        {{Month, 2025, 5, false}, 1, 792, 612},
        {{Quarter, 2025, kSelectAll, false}, 4, 612, 792},
        {{Quarter, 2025, 11, false}, 1, 612, 792},
        {{Year, 2025, 5, false}, 1, 612, 792},
        {{ThreeYears, 2025, 5, false}, 1, 612, 792},
        {{KeyboardStrips, 2025, 5, false}, 1, 1008, 612},
        {{PlanningCalendar, 2025, 5, false}, 1, 612, 792},
    };
    for (const StylePages& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.request.style) + " selection " +
                     std::to_string(c.request.selection));
        const fs::path path = folder / "style.pdf";
        ASSERT_TRUE(WriteCalendarFile(c.request, path.string()));
        const auto pages = pagesOf(path.string());
        ASSERT_EQ(pages.size(), c.pages);
        for (const PdfPage& page : pages) {
            EXPECT_EQ(page.width, c.width);
            EXPECT_EQ(page.height, c.height);
        }
    }
    // Month pages follow the months; the single page is the month asked for.
    ASSERT_TRUE(WriteCalendarFile({Month, 2025, kSelectAll, false}, (folder / "m.pdf").string()));
    const auto months = pagesOf((folder / "m.pdf").string());
    ASSERT_EQ(months.size(), 12u);
    const char* const names[] = {"January",   "February", "March",    "April",
                                 "May",       "June",     "July",     "August",
                                 "September", "October",  "November", "December"};
    for (std::size_t i = 0; i < months.size(); ++i) {
        bool named = false;
        for (const PdfText& t : months[i].texts)
            named = named || t.text.find(names[i]) != std::string::npos;
        EXPECT_TRUE(named) << "page " << i + 1 << " should show " << names[i];
    }
    EXPECT_TRUE(shownMessages.empty());
}

TEST(MessageText, MarkupBecomesPlainLines) {
    EXPECT_EQ(plainMessageText("Error number = 4133 [&H1025]|Detail number = 0 [&H0]{f11,t4}"),
              "Error number = 4133 [&H1025]\nDetail number = 0 [&H0]");
    EXPECT_EQ(plainMessageText("|You can update by hand.{f6}"), "\nYou can update by hand.");
    EXPECT_EQ(plainMessageText("  PDF Error  "), "PDF Error");
    EXPECT_EQ(plainMessageText("{f6}"), "");
    EXPECT_EQ(plainMessageText(""), "");
}

TEST(MessageText, WithoutAGuiMessagesGoToStandardErrorAndNothingOpens) {
    testing::internal::CaptureStderr();
    global::renderSeam.showMessage("PDF Error", "Error number = 4133 [&H1025]|Detail{f11,t4}", "");
    global::renderSeam.openDocument("/nonexistent.pdf");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "PDF Error: Error number = 4133 [&H1025]\nDetail\n");
    EXPECT_EQ(global::renderSeam.closeMainWindow, nullptr);
}

} // namespace
