// The main window's preview against what Generate writes: the picture is poppler's drawing of
// the PDF made in memory, checked against pdftoppm's drawing of the saved calendar; and every
// input the pages depend on changes the picture.
#include "app_steps.h"
#include "common/translate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <cstdlib>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

QImage shownPreview() {
    QLabel* picture = previewPicture();
    return picture ? picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

std::string previewName() {
    return previewPicture() ? previewPicture()->accessibleName().toStdString() : "";
}

// pdftoppm's drawing of the first page at exactly the preview's size; null when it failed.
QImage pdftoppmPage(const fs::path& pdf, const QSize& size, const fs::path& folder) {
    const QString out = QString::fromStdString((folder / "reference").string());
    const int status = QProcess::execute("pdftoppm", {"-png", "-singlefile", "-f", "1", "-l", "1",
                                                      "-scale-to-x", QString::number(size.width()),
                                                      "-scale-to-y", QString::number(size.height()),
                                                      QString::fromStdString(pdf.string()), out});
    return status == 0 ? QImage(out + ".png").convertToFormat(QImage::Format_RGB32) : QImage();
}

// How far two pictures of one size differ: the mean of the colour channels' differences and
// the largest one, out of 255.
struct Difference {
    double mean;
    int largest;
};

Difference differenceOf(const QImage& a, const QImage& b) {
    double sum = 0;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int channel : {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))}) {
                sum += channel;
                largest = std::max(largest, channel);
            }
        }
    return {sum / (3.0 * a.width() * a.height()), largest};
}

struct MatchCase {
    const char* name;
    std::string settings; // what Zarn.ini holds besides the year
    const char* range;    // the print range chosen for Generate: every month or quarter
    const char* pages;    // the preview's name ends ", page 1 of <pages>"
};

// The pages in French need the built catalogues.
void useBuiltCatalogues() {
    setenv("MERIVANE_LOCALEDIR", MERIVANE_BUILD_LOCALES, 1);
    startTranslations("");
}

class AppPreview : public ::testing::TestWithParam<MatchCase> {
  protected:
    void SetUp() override {
        useBuiltCatalogues();
        scratch = makeAppScratch(true);
    }
    void TearDown() override { removeAppScratch(scratch); }
    AppScratch scratch;
};

TEST_P(AppPreview, MatchesPdftoppmOfTheCalendarGenerateWrites) {
    const MatchCase& c = GetParam();
    fs::copy_file(MERIVANE_SAMPLE_LOGO, scratch.root / "logo.png");
    std::string settings = c.settings;
    const std::size_t logo = settings.find("LOGO");
    if (logo != std::string::npos) settings.replace(logo, 4, (scratch.root / "logo.png").string());
    writeText(scratch.settingsFile, settings);
    QImage preview;
    std::vector<ScriptStep> steps = {
        {"preview drawn",
         [&] {
             return mainWindow() && !QApplication::activeModalWidget() &&
                    previewName().ends_with(std::string(", page 1 of ") + c.pages);
         },
         [&] {
             preview = shownPreview();
             click(buttonIn(mainWindow(), "&Generate"));
         }}};
    if (c.range)
        steps.push_back({"range", [] { return QApplication::activeModalWidget() != nullptr; },
                         [&] {
                             QWidget* dialog = QApplication::activeModalWidget();
                             click(buttonIn(dialog, c.range));
                             click(buttonIn(dialog, "&OK"));
                         }});
    steps.push_back({"calendar saved", [&] { return openedFiles(scratch).size() == 1; }, [] {}});
    steps.push_back(exitProgram());
    ASSERT_EQ(runProgram(scratch, steps), "");
    ASSERT_FALSE(preview.isNull());
    const QImage reference =
        pdftoppmPage(scratch.pdfFolder / "001Calendar.PDF", preview.size(), scratch.root);
    ASSERT_EQ(reference.size(), preview.size());
    // Both are poppler at one size: smoothing may move a channel a little here and there, but
    // one red holiday date, a logo or another year moves many far, and a blank page all.
    const Difference found = differenceOf(preview, reference);
    EXPECT_LT(found.mean, 0.05) << c.name;
    EXPECT_LE(found.largest, 48) << c.name;
    QImage white(preview.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_GT(differenceOf(preview, white).mean, 10) << c.name;
}

// The year page and the planner stand in the credit and 53-week rows.
INSTANTIATE_TEST_SUITE_P(
    Settings, AppPreview,
    ::testing::Values(
        MatchCase{"Month", "[Last]\nYear=2026\nStyle=1\n", "Print All 12 Months", "12"},
        MatchCase{"Quarter", "[Last]\nYear=2026\nStyle=2\n", "Print All 4 Quarters", "4"},
        MatchCase{"ThreeYears", "[Last]\nYear=2026\nStyle=4\n", nullptr, "1"},
        MatchCase{"KeyboardStrips", "[Last]\nYear=2026\nStyle=5\n", nullptr, "1"},
        MatchCase{"FrenchCanada",
                  "[Last]\nYear=2026\nStyle=1\n[Holidays]\nCountry=ca\n[Display]\n"
                  "PageLanguage=fr\n",
                  "Print All 12 Months", "12"},
        MatchCase{"CreditAndLogo",
                  "[Last]\nYear=2026\nStyle=3\n[Pages]\nCredit=KXYZ Sales (555) 010-0199\n"
                  "Logo=LOGO\n",
                  nullptr, "1"},
        MatchCase{"FiftyThreeWeeks", "[Last]\nYear=2028\nStyle=6\n[Preferences]\nQuarters=1\n",
                  nullptr, "1"}),
    [](const ::testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.name); });

// Each input the pages depend on, changed as a user would; the picture must change with it.
// A year that is none shows why, in words, and no picture.
TEST(AppPreviewInputs, EveryInputChangesThePictureAndABadYearIsExplained) {
    useBuiltCatalogues();
    AppScratch scratch = makeAppScratch(true);
    writeText(scratch.settingsFile, "[Last]\nYear=2026\nStyle=1\n");
    QImage before;
    const auto drawnAnew = [&before] {
        const QImage now = shownPreview();
        return !now.isNull() && now != before;
    };
    // Each input once; a Preferences input is set in the dialog, then saved.
    struct Input {
        const char* name;
        std::function<void()> change;
        std::function<void(QWidget* preferences)> inPreferences = nullptr;
    };
    const auto preferences = [] { chooseMenuItem("&Preferences"); };
    const std::vector<Input> inputs = {
        {"year", [] { typeYear("2027"); }},
        {"holidays", [] { chooseMenuItem("&United States"); }},
        {"quarter weeks", preferences,
         [](QWidget* dialog) { click(buttonIn(dialog, "Show quarters with week numbers")); }},
        {"pages' language", preferences,
         [](QWidget* dialog) { click(buttonIn(dialog, "Fran\u00e7ais")); }},
        {"credit line", preferences,
         [](QWidget* dialog) {
             for (QLineEdit* field : dialog->findChildren<QLineEdit*>())
                 if (field->accessibleName().startsWith("Credit")) field->setText("WKRP");
         }},
        {"style", [] { click(buttonIn(mainWindow(), "Planning calendar")); }},
    };
    std::vector<ScriptStep> steps;
    steps.push_back({"first preview", [] { return !shownPreview().isNull(); },
                     [&] { before = shownPreview(); }});
    for (const Input& input : inputs) {
        steps.push_back({std::string("change the ") + input.name, [] { return true; },
                         [&input] { input.change(); }});
        if (input.inPreferences)
            steps.push_back({std::string("set the ") + input.name,
                             [] { return modalTitled("User Preferences") != nullptr; },
                             [&input] {
                                 QWidget* dialog = modalTitled("User Preferences");
                                 input.inPreferences(dialog);
                                 click(buttonIn(dialog, "&Save"));
                             }});
        steps.push_back({std::string("preview after the ") + input.name, drawnAnew,
                         [&] { before = shownPreview(); }});
    }
    std::string shortYear, earlyYear;
    steps.push_back({"a short year", [] { return true; }, [] { typeYear("19"); }});
    steps.push_back({"its reason", [] { return shownPreview().isNull(); },
                     [&] {
                         shortYear = previewPicture()->text().toStdString();
                         typeYear("1919");
                     }});
    steps.push_back({"an early year's reason",
                     [] { return previewPicture()->text().contains("1920"); },
                     [&] { earlyYear = previewName(); }});
    steps.push_back(exitProgram());
    EXPECT_EQ(runProgram(scratch, steps), "");
    EXPECT_EQ(shortYear, "Type the four digits of a year to see its calendar.");
    EXPECT_EQ(earlyYear, "Radio broadcasting didn't begin until 1920.");
    removeAppScratch(scratch);
}

} // namespace
