// The main window, the print-range dialog and the preferences dialog, driven as a user would on
// the offscreen platform, with real settings files, real PDFs read back and a fake PDF viewer.
#include "app_steps.h"
#include "support/local_moment.h"
#include "support/pdf_content.h"

#include "gui/form_events.h"
#include "program/paths.h"
#include "program/program.h"
#include "program/settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <ctime>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;

namespace {

const std::string kPrintMonthTitle = "Select Month of 2026 to Print";
const std::string kPrintQuarterTitle = "Print Three Months of 2026";

int currentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

bool isChecked(const std::string& text) {
    QAbstractButton* button = buttonIn(mainWindow(), text);
    return button && button->isChecked();
}

bool isEnabled(QWidget* window, const std::string& text) {
    QAbstractButton* button = buttonIn(window, text);
    return button && button->isEnabled();
}

QSize previewSize() {
    QLabel* picture = previewPicture();
    return picture ? picture->pixmap().size() : QSize();
}

// The preview is drawn a moment after the window shows, and after each change.
bool previewDrawn() {
    return previewPicture() && !previewPicture()->pixmap().isNull();
}

std::string previewName() {
    return previewPicture() ? previewPicture()->accessibleName().toStdString() : "";
}

std::string yearText() {
    QLineEdit* field = yearField();
    return field ? field->text().toStdString() : "";
}

bool hasTextContaining(const PdfPage& page, const std::string& part) {
    for (const PdfText& text : page.texts)
        if (text.text.find(part) != std::string::npos) return true;
    return false;
}

ScriptStep waitForOpened(const AppScratch& scratch, std::size_t count) {
    return {"viewer asked to open file " + std::to_string(count),
            [&scratch, count] { return openedFiles(scratch).size() >= count; }, [] {}};
}

class AppWindow : public ::testing::Test {
  protected:
    void SetUp() override { scratch = makeAppScratch(true); }
    void TearDown() override {
        global::currentTime = [] { return std::time(nullptr); };
        removeAppScratch(scratch);
    }
    AppScratch scratch;
};

TEST_F(AppWindow, FirstStartShowsThisYearYearStyleAndDefaultPreferences) {
    std::string year;
    bool yearChecked = false, generateEnabled = false, yearSelected = true;
    QSize preview;
    std::string name;
    std::map<std::string, bool> boxes;
    // Once the window runs, the caret stands after the year.
    const auto caretAfterYear = [] {
        return mainWindow() && yearField()->text().size() == 4 &&
               yearField()->cursorPosition() == 4 && previewDrawn();
    };
    std::string failure = runProgram(
        scratch,
        {{"main window with the caret after the year", caretAfterYear,
          [&] {
              year = yearText();
              yearSelected = yearField()->hasSelectedText();
              yearChecked = isChecked("Year");
              generateEnabled = isEnabled(mainWindow(), "&Generate");
              preview = previewSize();
              name = previewName();
              chooseMenuItem("&Preferences");
          }},
         {"preferences", [] { return modalTitled("User Preferences") != nullptr; },
          [&] {
              QWidget* dialog = modalTitled("User Preferences");
              for (const char* box :
                   {"Remember &previous calendar style", "Enable &intelligent year selection",
                    "Show quarters with week numbers", "Enable pop-up &tool tip help",
                    "Alert me when program is updated"}) {
                  QAbstractButton* button = buttonIn(dialog, box);
                  boxes[box] = button && button->isChecked();
              }
              click(buttonIn(dialog, "&Close"));
          }},
         exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(year, std::to_string(currentYear()));
    EXPECT_FALSE(yearSelected);
    EXPECT_TRUE(yearChecked);
    EXPECT_TRUE(generateEnabled);
    // A letter page standing, fitted into 226 x 172.
    EXPECT_EQ(preview, QSize(133, 172));
    EXPECT_EQ(name, "Preview: Year " + std::to_string(currentYear()) + ", page 1 of 1");
    EXPECT_TRUE(boxes["Remember &previous calendar style"]);
    EXPECT_FALSE(boxes["Enable &intelligent year selection"]);
    EXPECT_FALSE(boxes["Show quarters with week numbers"]);
    EXPECT_TRUE(boxes["Enable pop-up &tool tip help"]);
    EXPECT_TRUE(boxes["Alert me when program is updated"]);
    // Looking around writes nothing.
    EXPECT_FALSE(fs::exists(scratch.settingsFile));
    EXPECT_TRUE(pdfFilesIn(scratch).empty());
}

TEST_F(AppWindow, GenerateNeedsFourDigitsAndRefusesYearsBefore1920) {
    bool enabledAtThree = true, enabledAtFour = false, enabledAfterDelete = true;
    std::string whoaTexts;
    std::string failure =
        runProgram(scratch, {mainWindowShown(),
                             {"type", [] { return true; },
                              [&] {
                                  typeYear("202");
                                  enabledAtThree = isEnabled(mainWindow(), "&Generate");
                                  QTest::keyClicks(yearField(), "7");
                                  enabledAtFour = isEnabled(mainWindow(), "&Generate");
                                  QTest::keyClick(yearField(), Qt::Key_Backspace);
                                  enabledAfterDelete = isEnabled(mainWindow(), "&Generate");
                                  typeYear("1919");
                                  click(buttonIn(mainWindow(), "&Generate"));
                              }},
                             {"refusal", [] { return modalTitled("Whoa, Brontel!") != nullptr; },
                              [&] {
                                  QWidget* box = modalTitled("Whoa, Brontel!");
                                  whoaTexts = labelTextsOf(box);
                                  click(buttonIn(box, "&OK"));
                              }},
                             exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_FALSE(enabledAtThree);
    EXPECT_TRUE(enabledAtFour);
    EXPECT_FALSE(enabledAfterDelete);
    EXPECT_NE(whoaTexts.find("Radio broadcasting didn't begin until 1920."), std::string::npos)
        << whoaTexts;
    EXPECT_NE(whoaTexts.find("Let's keep it real, okay?"), std::string::npos) << whoaTexts;
    EXPECT_TRUE(pdfFilesIn(scratch).empty());
    EXPECT_TRUE(openedFiles(scratch).empty());
    EXPECT_EQ(readText(scratch.settingsFile).find("[Last]"), std::string::npos);
}

TEST_F(AppWindow, Year1920IsTheFirstThatGenerates) {
    std::string failure = runProgram(scratch, {mainWindowShown(),
                                               {"generate", [] { return true; },
                                                [] {
                                                    typeYear("1920");
                                                    click(buttonIn(mainWindow(), "&Generate"));
                                                }},
                                               waitForOpened(scratch, 1),
                                               exitProgram()});
    ASSERT_EQ(failure, "");
    const std::vector<PdfPage> pages = pagesOf(scratch.pdfFolder / "001Calendar.PDF");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(findText(pages[0], "1920"), nullptr);
}

TEST_F(AppWindow, TwoCalendarsInOneRunGetConsecutiveNumbersAndBothStay) {
    const auto generateYear = [] {
        typeYear("2026");
        click(buttonIn(mainWindow(), "Year"));
        click(buttonIn(mainWindow(), "&Generate"));
    };
    std::string failure = runProgram(scratch, {mainWindowShown(),
                                               {"first", [] { return true; }, generateYear},
                                               waitForOpened(scratch, 1),
                                               {"second", [] { return true; }, generateYear},
                                               waitForOpened(scratch, 2),
                                               exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(pdfFilesIn(scratch),
              (std::vector<std::string>{"001Calendar.PDF", "002Calendar.PDF"}));
    EXPECT_EQ(openedFiles(scratch),
              (std::vector<std::string>{(scratch.pdfFolder / "001Calendar.PDF").string(),
                                        (scratch.pdfFolder / "002Calendar.PDF").string()}));
}

TEST_F(AppWindow, TheCloseBoxAndTheExitMenuEndTheProgram) {
    std::string failure = runProgram(
        scratch, {{"close box", [] { return mainWindow(); }, [] { mainWindow()->close(); }}});
    EXPECT_EQ(failure, "");
    failure = runProgram(
        scratch, {{"exit menu", [] { return mainWindow(); }, [] { chooseMenuItem("E&xit"); }}});
    EXPECT_EQ(failure, "");
}

TEST_F(AppWindow, CancellingThePrintRangeGeneratesNothing) {
    writeText(scratch.settingsFile, "[Last]\nYear=2026\nStyle=1\n");
    std::string monthCaption, quarterCaption, monthLabels, quarterLabels;
    std::string failure = runProgram(
        scratch,
        {mainWindowShown(),
         {"month", [] { return true; }, [] { click(buttonIn(mainWindow(), "&Generate")); }},
         {"month range", [] { return modalTitled(kPrintMonthTitle) != nullptr; },
          [&] {
              QWidget* dialog = modalTitled(kPrintMonthTitle);
              monthLabels = labelTextsOf(dialog);
              click(buttonIn(dialog, "May"));
              click(buttonIn(dialog, "&Cancel"));
          }},
         {"quarter", [] { return QApplication::activeModalWidget() == nullptr; },
          [] {
              click(buttonIn(mainWindow(), "Quarter"));
              click(buttonIn(mainWindow(), "&Generate"));
          }},
         {"quarter range", [] { return modalTitled(kPrintQuarterTitle) != nullptr; },
          [&] {
              QWidget* dialog = modalTitled(kPrintQuarterTitle);
              quarterLabels = labelTextsOf(dialog);
              quarterCaption = buttonIn(dialog, "Print 3 Months Starting with") ? "found" : "";
              // The frame's close button counts as Cancel.
              dialog->close();
          }},
         exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_NE(monthLabels.find("Print each month of 2026 on a separate sheet of paper."),
              std::string::npos);
    EXPECT_NE(quarterLabels.find("Print all four quarters of 2026 on separate sheets."),
              std::string::npos);
    EXPECT_EQ(quarterCaption, "found");
    EXPECT_TRUE(pdfFilesIn(scratch).empty());
    EXPECT_TRUE(openedFiles(scratch).empty());
    EXPECT_EQ(readText(scratch.settingsFile), "[Last]\nYear=2026\nStyle=1\n");
}

// A month within the year and one at its end: picked, All, a single month again, OK.
TEST_F(AppWindow, PrintRangeOpensOnJanuaryAndRestoresTheMonthAfterAll) {
    const std::string months[] = {"May", "December"};
    for (std::size_t run = 0; run < std::size(months); ++run) {
        const std::string& month = months[run];
        SCOPED_TRACE(month);
        writeText(scratch.settingsFile, "[Last]\nYear=2026\nStyle=1\n");
        bool januaryAtStart = false, monthsDisabled = false, monthBack = false;
        std::string failure = runProgram(
            scratch,
            {mainWindowShown(),
             {"month", [] { return true; }, [] { click(buttonIn(mainWindow(), "&Generate")); }},
             {"month range", [] { return modalTitled(kPrintMonthTitle) != nullptr; },
              [&] {
                  QWidget* dialog = modalTitled(kPrintMonthTitle);
                  januaryAtStart = buttonIn(dialog, "January")->isChecked() &&
                                   buttonIn(dialog, "Select a Single Month to Print")->isChecked();
                  click(buttonIn(dialog, month));
                  click(buttonIn(dialog, "Print All 12 Months"));
                  monthsDisabled = !buttonIn(dialog, month)->isEnabled();
                  click(buttonIn(dialog, "Select a Single Month to Print"));
                  monthBack =
                      buttonIn(dialog, month)->isEnabled() && buttonIn(dialog, month)->isChecked();
                  click(buttonIn(dialog, "&OK"));
              }},
             waitForOpened(scratch, run + 1),
             exitProgram()});
        ASSERT_EQ(failure, "");
        EXPECT_TRUE(januaryAtStart);
        EXPECT_TRUE(monthsDisabled);
        EXPECT_TRUE(monthBack);
        const std::vector<PdfPage> pages = pagesOf(scratch.pdfFolder / "001Calendar.PDF");
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_TRUE(hasTextContaining(pages[0], month + " 2026"));
    }
}

struct StyleCase {
    const char* name;
    const char* radio;
    const char* range; // the print-range choice, or nullptr for styles without one
    std::size_t pages;
    double width;
    double height;
    const char* firstText; // a text of the first page
    const char* lastText;  // a text of the last page
    QSize preview;
    int style;
};

class AppStyle : public AppWindow, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(AppStyle, GeneratesItsCalendarIntoThePdfFolderAndOpensIt) {
    const StyleCase& c = GetParam();
    QSize preview;
    const std::string title = c.style == 1 ? kPrintMonthTitle : kPrintQuarterTitle;
    std::vector<ScriptStep> steps = {
        mainWindowShown(),
        {"generate", [] { return true; },
         [&] {
             typeYear("2026");
             click(buttonIn(mainWindow(), c.radio));
         }},
        {"preview of the style",
         [&] {
             // Every month or quarter, as Generate can print.
             const std::string pages = c.style == 1 ? "12" : c.style == 2 ? "4" : "1";
             const std::string name = previewName();
             return previewSize() == c.preview && name.ends_with(", page 1 of " + pages);
         },
         [&] {
             preview = previewSize();
             click(buttonIn(mainWindow(), "&Generate"));
         }}};
    if (c.range) {
        steps.push_back({"range", [&] { return modalTitled(title) != nullptr; },
                         [&] {
                             QWidget* dialog = modalTitled(title);
                             click(buttonIn(dialog, c.range));
                             click(buttonIn(dialog, "&OK"));
                         }});
    }
    std::string status;
    steps.push_back(waitForOpened(scratch, 1));
    steps.push_back({"status", [] { return true; },
                     [&status] {
                         status =
                             mainWindow()->findChild<QStatusBar*>()->accessibleName().toStdString();
                     }});
    steps.push_back(exitProgram());
    ASSERT_EQ(runProgram(scratch, steps), "");
    EXPECT_EQ(preview, c.preview);
    const fs::path calendar = scratch.pdfFolder / "001Calendar.PDF";
    // Said also when a reader is asked to open it, which may never show it.
    EXPECT_EQ(status.find("Calendar saved as " + calendar.string()), 0u) << status;
    EXPECT_EQ(pdfFilesIn(scratch), std::vector<std::string>{"001Calendar.PDF"});
    EXPECT_EQ(openedFiles(scratch), std::vector<std::string>{calendar.string()});
    const std::vector<PdfPage> pages = pagesOf(calendar);
    ASSERT_EQ(pages.size(), c.pages);
    EXPECT_EQ(pages[0].width, c.width);
    EXPECT_EQ(pages[0].height, c.height);
    EXPECT_TRUE(hasTextContaining(pages.front(), c.firstText)) << c.firstText;
    EXPECT_TRUE(hasTextContaining(pages.back(), c.lastText)) << c.lastText;
    const std::string settings = readText(scratch.settingsFile);
    EXPECT_NE(settings.find("[Last]\nYear=2026\nStyle=" + std::to_string(c.style) + "\n"),
              std::string::npos)
        << settings;
    EXPECT_NE(settings.find("[PDF]\nNumber=1\n"), std::string::npos) << settings;
}

INSTANTIATE_TEST_SUITE_P(
    EveryStyle, AppStyle,
    ::testing::Values(
        StyleCase{"MonthMay", "Month", "May", 1, 792, 612, "May 2026", "May 2026", QSize(223, 172),
                  1},
        StyleCase{"MonthDecember", "Month", "December", 1, 792, 612, "December 2026",
                  "December 2026", QSize(223, 172), 1},
        StyleCase{"MonthAll", "Month", "Print All 12 Months", 12, 792, 612, "January 2026",
                  "December 2026", QSize(223, 172), 1},
        StyleCase{"QuarterNovember", "Quarter", "November", 1, 612, 792, "November 2026",
                  "January 2027", QSize(133, 172), 2},
        StyleCase{"QuarterAll", "Quarter", "Print All 4 Quarters", 4, 612, 792, "January 2026",
                  "December 2026", QSize(133, 172), 2},
        StyleCase{"Year", "Year", nullptr, 1, 612, 792, "January", "December", QSize(133, 172), 3},
        StyleCase{"ThreeYears", "3 Years", nullptr, 1, 612, 792,
                  "THREE YEAR STANDARD BROADCAST CALENDAR", "2028", QSize(133, 172), 4},
        StyleCase{"KeyboardStrips", "Keyboard strips", nullptr, 1, 1008, 612, "January", "December",
                  QSize(261, 158), 5},
        StyleCase{"PlanningCalendar", "Planning calendar", nullptr, 1, 612, 792,
                  "BROADCAST CALENDAR 2026", "December", QSize(133, 172), 6}),
    [](const ::testing::TestParamInfo<StyleCase>& info) { return std::string(info.param.name); });

TEST_F(AppWindow, LastYearAndStyleComeBackAtTheNextStart) {
    std::string failure = runProgram(scratch, {mainWindowShown(),
                                               {"generate", [] { return true; },
                                                [] {
                                                    typeYear("2031");
                                                    click(buttonIn(mainWindow(), "3 Years"));
                                                    click(buttonIn(mainWindow(), "&Generate"));
                                                }},
                                               waitForOpened(scratch, 1),
                                               exitProgram()});
    ASSERT_EQ(failure, "");
    std::string year;
    bool threeYears = false;
    QSize preview;
    failure = runProgram(scratch, {{"main window", [] { return mainWindow() && previewDrawn(); },
                                    [&] {
                                        year = yearText();
                                        threeYears = isChecked("3 Years");
                                        preview = previewSize();
                                        click(buttonIn(mainWindow(), "E&xit"));
                                    }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(year, "2031");
    EXPECT_TRUE(threeYears);
    EXPECT_EQ(preview, QSize(133, 172));
    // The second start cleared the first run's calendar away.
    EXPECT_TRUE(pdfFilesIn(scratch).empty());
}

// "&None", "&United States", "&Canada": which one is ticked.
std::string holidayTicks() {
    std::string ticks;
    for (const char* item : {"&None", "&United States", "&Canada"}) {
        QAction* action = menuItem(item);
        ticks += !action || !action->isCheckable() ? "?" : action->isChecked() ? "x" : "-";
    }
    return ticks;
}

TEST_F(AppWindow, HolidaysAreARadioGroupKeptInTheirOwnSectionAndMarkTheCalendar) {
    writeText(scratch.settingsFile, "[Holidays]\nCountry=CA\n");
    std::string before, after;
    std::string failure = runProgram(scratch, {{"choose", [] { return mainWindow(); },
                                                [&] {
                                                    before = holidayTicks();
                                                    chooseMenuItem("&United States");
                                                    after = holidayTicks();
                                                    typeYear("2026");
                                                    click(buttonIn(mainWindow(), "&Generate"));
                                                }},
                                               waitForOpened(scratch, 1),
                                               exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(before, "--x");
    EXPECT_EQ(after, "-x-");
    EXPECT_NE(readText(scratch.settingsFile).find("[Holidays]\nCountry=us\n"), std::string::npos);
    const std::vector<PdfPage> pages = pagesOf(scratch.pdfFolder / "001Calendar.PDF");
    ASSERT_EQ(pages.size(), 1u);
    std::size_t redLines = 0;
    for (const PdfLine& line : pages[0].lines)
        redLines += line.stroke.red == 1 && line.stroke.green == 0 ? 1 : 0;
    EXPECT_EQ(redLines, 12u); // the twelve US holidays and observed days of broadcast 2026
}

TEST_F(AppWindow, WithoutRememberStyleTheYearStyleComesUp) {
    writeText(scratch.settingsFile, "[Preferences]\nStyle=0\n[Last]\nYear=1999\nStyle=4\n");
    std::string year;
    bool yearStyle = false;
    std::string failure = runProgram(scratch, {{"main window", [] { return mainWindow(); },
                                                [&] {
                                                    year = yearText();
                                                    yearStyle = isChecked("Year");
                                                    click(buttonIn(mainWindow(), "E&xit"));
                                                }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(year, "1999");
    EXPECT_TRUE(yearStyle);
}

TEST_F(AppWindow, AStyleNumberOutOfRangeInTheSettingsFallsBackToYear) {
    writeText(scratch.settingsFile, "[Last]\nYear=2026\nStyle=9\n");
    bool yearStyle = false;
    QSize preview;
    std::string failure = runProgram(scratch, {{"main window", [] { return previewDrawn(); },
                                                [&] {
                                                    yearStyle = isChecked("Year");
                                                    preview = previewSize();
                                                    click(buttonIn(mainWindow(), "E&xit"));
                                                }}});
    ASSERT_EQ(failure, "");
    EXPECT_TRUE(yearStyle);
    EXPECT_EQ(preview, QSize(133, 172));
}

struct IntelligentYearCase {
    int month;
    const char* expected;
};

class AppIntelligentYear : public AppWindow,
                           public ::testing::WithParamInterface<IntelligentYearCase> {};

TEST_P(AppIntelligentYear, ProposesNextYearFromOctober) {
    writeText(scratch.settingsFile, "[Preferences]\nIntelYear=1\n[Last]\nYear=1999\n");
    static int month;
    month = GetParam().month;
    global::currentTime = [] { return localMoment(2030, month, 15); };
    std::string year;
    std::string failure = runProgram(scratch, {{"main window", [] { return mainWindow(); },
                                                [&] {
                                                    year = yearText();
                                                    click(buttonIn(mainWindow(), "E&xit"));
                                                }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(year, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Months, AppIntelligentYear,
                         ::testing::Values(IntelligentYearCase{1, "2030"},
                                           IntelligentYearCase{9, "2030"},
                                           IntelligentYearCase{10, "2031"},
                                           IntelligentYearCase{12, "2031"}),
                         [](const ::testing::TestParamInfo<IntelligentYearCase>& info) {
                             return "Month" + std::to_string(info.param.month);
                         });

TEST_F(AppWindow, WithoutIntelligentYearALateDateKeepsTheLastYear) {
    writeText(scratch.settingsFile, "[Last]\nYear=2027\n");
    global::currentTime = [] { return localMoment(2030, 11, 1); };
    std::string year;
    std::string failure = runProgram(scratch, {{"main window", [] { return mainWindow(); },
                                                [&] {
                                                    year = yearText();
                                                    click(buttonIn(mainWindow(), "E&xit"));
                                                }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(year, "2027");
}

TEST_F(AppWindow, StyleTooltipsFollowTheTooltipPreference) {
    std::string planner, month, plannerAfterSave;
    std::string failure = runProgram(
        scratch, {mainWindowShown(),
                  {"tooltips on", [] { return true; },
                   [&] {
                       planner = tooltipOf(buttonIn(mainWindow(), "Planning calendar"));
                       month = tooltipOf(buttonIn(mainWindow(), "Month"));
                       chooseMenuItem("&Preferences");
                   }},
                  {"preferences", [] { return modalTitled("User Preferences") != nullptr; },
                   [] {
                       QWidget* dialog = modalTitled("User Preferences");
                       click(buttonIn(dialog, "Enable pop-up &tool tip help"));
                       click(buttonIn(dialog, "&Save"));
                   }},
                  {"tooltips off", [] { return QApplication::activeModalWidget() == nullptr; },
                   [&] {
                       plannerAfterSave = tooltipOf(buttonIn(mainWindow(), "Planning calendar"));
                       click(buttonIn(mainWindow(), "E&xit"));
                   }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(planner, "Hello!");
    EXPECT_EQ(month, "Print a single month from the selected year or a full year, one month per "
                     "page");
    EXPECT_EQ(plannerAfterSave, "");
    EXPECT_NE(readText(scratch.settingsFile).find("ShowTips=0"), std::string::npos);
}

TEST_F(AppWindow, TooltipsOffInTheSettingsShowNone) {
    writeText(scratch.settingsFile, "[Preferences]\nShowTips= 0 \n");
    std::string planner = "unset";
    std::string failure =
        runProgram(scratch, {{"main window", [] { return mainWindow(); },
                              [&] {
                                  planner = tooltipOf(buttonIn(mainWindow(), "Planning calendar"));
                                  click(buttonIn(mainWindow(), "E&xit"));
                              }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(planner, "");
}

TEST_F(AppWindow, PreferencesCloseDropsChangesAndSaveWritesAllFive) {
    bool saveAtOpen = true, saveAfterTwoClicks = false, saveAtReopen = true;
    std::string closeTipBefore, closeTipAfter, boxTipOn, boxTipOff;
    std::string settingsAfterClose = "unread";
    const auto preferencesUp = [] { return modalTitled("User Preferences") != nullptr; };
    const auto noDialog = [] { return QApplication::activeModalWidget() == nullptr; };
    std::string failure =
        runProgram(scratch, {mainWindowShown(),
                             {"open", [] { return true; }, [] { chooseMenuItem("&Preferences"); }},
                             {"change and close", preferencesUp,
                              [&] {
                                  QWidget* dialog = modalTitled("User Preferences");
                                  saveAtOpen = isEnabled(dialog, "&Save");
                                  closeTipBefore = tooltipOf(buttonIn(dialog, "&Close"));
                                  QAbstractButton* quarters =
                                      buttonIn(dialog, "Show quarters with week numbers");
                                  boxTipOn = tooltipOf(quarters);
                                  click(quarters);
                                  click(quarters);
                                  saveAfterTwoClicks = isEnabled(dialog, "&Save");
                                  closeTipAfter = tooltipOf(buttonIn(dialog, "&Close"));
                                  click(buttonIn(dialog, "Enable pop-up &tool tip help"));
                                  boxTipOff = tooltipOf(quarters);
                                  click(buttonIn(dialog, "&Close"));
                              }},
                             {"reopen", noDialog,
                              [&] {
                                  settingsAfterClose = readText(scratch.settingsFile);
                                  chooseMenuItem("&Preferences");
                              }},
                             {"save", preferencesUp,
                              [&] {
                                  QWidget* dialog = modalTitled("User Preferences");
                                  saveAtReopen = isEnabled(dialog, "&Save");
                                  click(buttonIn(dialog, "Show quarters with week numbers"));
                                  click(buttonIn(dialog, "Alert me when program is updated"));
                                  click(buttonIn(dialog, "&Save"));
                              }},
                             {"generate", noDialog,
                              [] {
                                  typeYear("2026");
                                  click(buttonIn(mainWindow(), "Year"));
                                  click(buttonIn(mainWindow(), "&Generate"));
                              }},
                             waitForOpened(scratch, 1),
                             exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_FALSE(saveAtOpen);
    EXPECT_TRUE(saveAfterTwoClicks);
    EXPECT_EQ(closeTipBefore, "Exit Preferences");
    EXPECT_EQ(closeTipAfter, "Exit Preferences without saving your changes");
    EXPECT_EQ(boxTipOn, "Include quarter designation with week numbers");
    EXPECT_EQ(boxTipOff, "");
    EXPECT_EQ(settingsAfterClose, "");
    EXPECT_FALSE(saveAtReopen);
    const std::string settings = readText(scratch.settingsFile);
    EXPECT_NE(settings.find("[Preferences]\nStyle=1\nIntelYear=0\nQuarters=1\nUpdate=0\n"
                            "ShowTips=1\n"),
              std::string::npos)
        << settings;
    // The saved quarter designation reaches the very next calendar.
    const std::vector<PdfPage> pages = pagesOf(scratch.pdfFolder / "001Calendar.PDF");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(hasTextContaining(pages[0], "1Q01"));
}

// The credit field opens at the start of its line; the logo's dialog opens in the current logo's
// folder; a refused logo's message stays on the screen however long its path (16 folders of 249
// letters); a line past 100 characters is not saved but pointed out.
TEST_F(AppWindow, PreferencesShowTheCreditLineAndLogoAsTheUserLeftThem) {
    const fs::path logos = scratch.root / "logos";
    fs::path deep = scratch.root;
    for (char letter = 'a'; letter < 'q'; ++letter)
        deep /= std::string(249, letter);
    fs::create_directories(logos);
    fs::create_directories(deep);
    writeText(deep / "logo.png", "not a picture");
    const std::string credit = "WKRP Sales " + std::string(89, 'x');
    writeText(scratch.settingsFile,
              "[Pages]\nCredit=" + credit + "\nLogo=" + (logos / "old.png").string() + "\n");
    const auto preferences = [] { return modalTitled("User Preferences"); };
    int caret = -1;
    std::string folderShown, tooLong;
    QRect logoBox;
    bool keptOpen = false, clearSaysLogo = false;
    std::string failure = runProgram(
        scratch,
        {mainWindowShown(),
         {"open", [] { return true; }, [] { chooseMenuItem("&Preferences"); }},
         {"browse", preferences,
          [&] {
              for (QLineEdit* field : preferences()->findChildren<QLineEdit*>())
                  if (field->text().startsWith("WKRP")) caret = field->cursorPosition();
              clearSaysLogo = buttonIn(preferences(), "Clea&r Logo") != nullptr;
              click(buttonIn(preferences(), "&Browse..."));
          }},
         {"pick", [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
          [&] {
              auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
              folderShown = dialog->directory().absolutePath().toStdString();
              QLineEdit* name = dialog->findChild<QLineEdit*>();
              name->setText(QString::fromStdString((deep / "logo.png").string()));
              QTest::keyClick(name, Qt::Key_Return);
          }},
         {"refused", [] { return modalTitled("Logo"); },
          [&] {
              logoBox = modalTitled("Logo")->frameGeometry();
              click(buttonIn(modalTitled("Logo"), "&OK"));
          }},
         {"long line", [&] { return preferences() && !modalTitled("Logo"); },
          [&] {
              for (QLineEdit* field : preferences()->findChildren<QLineEdit*>())
                  if (field->text().startsWith("WKRP")) field->setText(QString(150, 'W'));
              click(buttonIn(preferences(), "&Save"));
          }},
         messageRead("Credit Line Too Long", tooLong),
         {"close", [&] { return preferences() && !modalTitled("Credit Line Too Long"); },
          [&] {
              keptOpen = true;
              click(buttonIn(preferences(), "&Close"));
          }},
         exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(caret, 0);
    EXPECT_TRUE(clearSaysLogo);
    EXPECT_EQ(folderShown, logos.string());
    EXPECT_TRUE(QApplication::primaryScreen()->availableGeometry().contains(logoBox))
        << logoBox.width() << "x" << logoBox.height();
    EXPECT_NE(tooLong.find("The credit line has 150 characters"), std::string::npos) << tooLong;
    EXPECT_TRUE(keptOpen);
    EXPECT_EQ(readText(scratch.settingsFile).find("WWW"), std::string::npos);
}

// The credit line, the logo and the calendars' language set in Preferences are what the next
// start prints, in a window that keeps its own language.
TEST_F(AppWindow, PagePreferencesReachTheCalendarsOfTheNextStart) {
    setenv("MERIVANE_LOCALEDIR", MERIVANE_BUILD_LOCALES, 1);
    startTranslations("");
    const fs::path logo = scratch.root / "logo.png";
    fs::copy_file(MERIVANE_SAMPLE_LOGO, logo);
    const auto preferencesUp = [] { return modalTitled("User Preferences") != nullptr; };
    std::string failure = runProgram(
        scratch,
        {mainWindowShown(),
         {"open", [] { return true; }, [] { chooseMenuItem("&Preferences"); }},
         {"set", preferencesUp,
          [] {
              QWidget* dialog = modalTitled("User Preferences");
              QTest::keyClicks(dialog->findChild<QLineEdit*>(), "KZRN 101.5");
              click(buttonIn(dialog, "Fran\u00e7ais"));
              click(buttonIn(dialog, "&Browse..."));
          }},
         {"pick logo", [] { return modalTitled("Choose Your Logo") != nullptr; },
          [&logo] {
              auto* files = qobject_cast<QFileDialog*>(modalTitled("Choose Your Logo"));
              ASSERT_NE(files, nullptr);
              QLineEdit* name = files->findChild<QLineEdit*>("fileNameEdit");
              ASSERT_NE(name, nullptr);
              name->setText(QString::fromStdString(logo.string()));
              QTest::keyClick(name, Qt::Key_Return);
          }},
         {"save", preferencesUp, [] { click(buttonIn(modalTitled("User Preferences"), "&Save")); }},
         exitProgram()});
    ASSERT_EQ(failure, "");
    // A new process starts with nothing in memory.
    global::pageBranding = {};
    global::preferences = {};
    // The window's buttons keep their English names.
    failure = runProgram(scratch, {mainWindowShown(),
                                   {"generate", [] { return true; },
                                    [] {
                                        typeYear("2026");
                                        click(buttonIn(mainWindow(), "Year"));
                                        click(buttonIn(mainWindow(), "&Generate"));
                                    }},
                                   waitForOpened(scratch, 1),
                                   exitProgram()});
    unsetenv("MERIVANE_LOCALEDIR");
    ASSERT_EQ(failure, "");
    const std::vector<PdfPage> pages = pagesOf(scratch.pdfFolder / "001Calendar.PDF");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(hasTextContaining(pages[0], "KZRN 101.5"));
    EXPECT_EQ(pages[0].images.size(), 1u);
    EXPECT_TRUE(hasTextContaining(pages[0], "Janvier"));
    EXPECT_FALSE(hasTextContaining(pages[0], "January"));
}

TEST_F(AppWindow, HelpOpensTheTopicOfEachWindow) {
    std::string mainTopic, linkedTopic, preferencesTopic, rangeTopic, contents;
    const auto helpTitle = [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* browser = widget->findChild<QTextBrowser*>("helpText"))
                if (widget->isVisible()) return browser->documentTitle().toStdString();
        return std::string();
    };
    writeText(scratch.settingsFile, "[Last]\nYear=2026\nStyle=1\n");
    std::string failure = runProgram(
        scratch,
        {mainWindowShown(),
         {"help button", [] { return true; },
          [&] {
              click(buttonIn(mainWindow(), "Help"));
              mainTopic = helpTitle();
              // The topics' links lead to each other inside the compiled-in help.
              for (QWidget* widget : QApplication::topLevelWidgets())
                  if (auto* browser = widget->findChild<QTextBrowser*>("helpText")) {
                      browser->setSource(browser->source().resolved(QUrl("print-range.html")));
                      linkedTopic = helpTitle();
                  }
              chooseMenuItem("&Help Contents");
              contents = helpTitle();
              chooseMenuItem("&Preferences");
          }},
         {"preferences", [] { return modalTitled("User Preferences") != nullptr; },
          [&] {
              QWidget* dialog = modalTitled("User Preferences");
              // The help window took the focus; the user comes back to the dialog first.
              dialog->activateWindow();
              EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
              // Coming back to the dialog makes its help the one F1 opens.
              for (int waited = 0; activeHelpContext() != kPreferencesHelp && waited < 2000;
                   waited += 10)
                  QTest::qWait(10);
              QTest::keyClick(dialog->windowHandle(), Qt::Key_F1);
              preferencesTopic = helpTitle();
              click(buttonIn(dialog, "&Close"));
          }},
         {"range", [] { return QApplication::activeModalWidget() == nullptr; },
          [] { click(buttonIn(mainWindow(), "&Generate")); }},
         {"range help", [] { return modalTitled(kPrintMonthTitle) != nullptr; },
          [&] {
              QWidget* dialog = modalTitled(kPrintMonthTitle);
              click(buttonIn(dialog, "&Help"));
              rangeTopic = helpTitle();
              click(buttonIn(dialog, "&Cancel"));
          }},
         exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(mainTopic, "Printing a calendar");
    EXPECT_EQ(linkedTopic, "Choosing the months to print");
    EXPECT_EQ(contents, "Merivane Help");
    EXPECT_EQ(preferencesTopic, "Preferences");
    EXPECT_EQ(rangeTopic, "Choosing the months to print");
}

} // namespace
