#include "shell/main_window.h"

#include "about/about_dialog.h"
#include "calendar/dates.h"
#include "calendar/holidays.h"
#include "program/version.h"

#include "common/numbers.h"
#include "common/translate.h"
#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "gui/help.h"
#include "gui/pdf_preview.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "program/program.h"
#include "program/settings.h"
#include "render/generate.h"
#include "render/seam.h"
#include "shell/export_dialog.h"
#include "shell/find_date_dialog.h"
#include "shell/preferences_dialog.h"
#include "shell/print_range_dialog.h"
#include "shell/render_wiring.h"
#include "shell/startup.h"
#include "update/updates.h"

#include <cstdio>
#include <iterator>
#include <vector>

namespace {

constexpr int kYearField = 100;
constexpr int kYearLabel = 105;
constexpr int kPreviewPicture = 140;
constexpr int kGenerateButton = 145;
constexpr int kExitButton = 150;
constexpr int kHelpButton = 155;
constexpr int kYearFrame = 160;
constexpr int kStyleFrame = 165;
constexpr int kStatusBar = 175;

constexpr int kProgramMenu = 9000;
constexpr int kPreferencesItem = 9005;
constexpr int kFindDateItem = 9006;
constexpr int kExportItem = 9007;
constexpr int kPreviewItem = 9008;
constexpr int kProgramSeparator = 9010;
constexpr int kExitItem = 9015;
constexpr int kHolidaysMenu = 9020;
// Radio items of the "&Holidays" drop-down, in the order of HolidayCountry.
constexpr int kHolidayItems[3] = {9025, 9030, 9035};
constexpr int kLanguageMenu = 9040;
constexpr int kHelpMenu = 9100;
constexpr int kHelpContentsItem = 9105;
constexpr int kHelpSeparator = 9110;
constexpr int kUpdateItem = 9115;
constexpr int kAboutSeparator = 9120;
constexpr int kAboutItem = 9125;

constexpr int kMenuBar = 0;
constexpr int kProgramDropDown = 1;
constexpr int kHelpDropDown = 2;
constexpr int kHolidaysDropDown = 3;
constexpr int kLanguageDropDown = 4;

// Radio items of the "&Language" drop-down: Automatic (the desktop's language), then one per
// line of kLanguageTable, named in its own language, so only Automatic is translated.
constexpr int kAutomaticLanguageItem = 9045;
constexpr int kFirstLanguageItem = 9050;
constexpr int kLanguageItemStep = 5;
static_assert(kFirstLanguageItem +
                      kLanguageItemStep * static_cast<int>(std::size(kLanguageTable)) <=
                  kHelpMenu,
              "the language items run into the Help menu's");
constexpr const char* kHolidaysSection = "Holidays";
constexpr const char* kHolidaysKey = "Country";

// The year field holds four characters; Generate needs all four.
constexpr int kYearDigits = 4;
// Posted to the year field once the window runs, to put the caret after the year.
constexpr int kCaretToEnd = 1;
constexpr int kStatusBarFont = kDialogBoldFont;
constexpr int kFirstMonthOfLateYear = 10;

constexpr const char* kMakerNotice = N_("Broadcast calendars from the Merivane Project");

struct StyleChoice {
    int radioId;
    const char* label;
    double row;
    double width;
    const char* properties;
    const char* tooltip;
};

// Indexed by CalendarStyle; entry 0 is no style.
const StyleChoice kStyles[] = {
    {0, "", 0, 0, "", ""},
    {110, N_("Month"), 2.375, 8, "GT",
     N_("Print a single month from the selected year or a full year, one month per page")},
    {115, N_("Quarter"), 4.5, 8.75, "T",
     N_("Print a three-month quarter from the selected year or all four quarters on separate "
        "pages")},
    {120, N_("Year"), 6.625, 6.5, "T",
     N_("Print a 12-month calendar of the selected year on a single page")},
    {125, N_("3 Years"), 8.75, 8.25, "T",
     N_("Print a 3-year calendar on a single page starting with the selected year")},
    {130, N_("Keyboard strips"), 10.875, 14.25, "T",
     N_("Print a 12-month strip suitable for positioning above a computer keyboard")},
    {135, N_("Planning calendar"), 13, 15.5, "T", N_("Hello!")},
};

// The preview follows every change from the moment the window shows.
bool previewFollows;
// The last print range chosen; Generate passes it on for the Month and Quarter styles.
int selection;

bool isStyle(int style) {
    return style >= Month && style <= PlanningCalendar;
}

int styleOfRadio(int controlId) {
    for (int style = Month; style <= PlanningCalendar; ++style)
        if (kStyles[style].radioId == controlId) return style;
    return 0;
}

bool tooltipsOn() {
    return (global::preferences.flags & kTooltipsFlag) != 0;
}

// The country remembered in [Holidays] Country; none for a missing or unknown code.
int savedHolidayCountry() {
    const int country = holidayCountryOfCode(
        ReadSetting(global::settingsPath, kHolidaysSection, kHolidaysKey, "none"));
    return country < 0 ? NoHolidays : country;
}

// The ticked item of the "&Holidays" drop-down: what Generate marks in this run, whether or not
// the settings file could keep it.
int chosenHolidayCountry() {
    const int menu = ezGetMenu(kMainForm, kHolidaysDropDown);
    for (int country = NoHolidays; country <= CanadaHolidays; ++country)
        if (ezGetMenuCheck(menu, kHolidayItems[country])) return country;
    return NoHolidays;
}

// What the first page shows, as the preview's name says it: "January 2026", "Year 2026".
std::string previewSubject(int style, int year) {
    const std::string first =
        style == Month ? translate(kMonthNames[1]) : translate(kStyles[style].label);
    return fillIn("%1 %2", {first, std::to_string(year)});
}

// The first page of the calendar Generate would print now, every page of it (all months or
// quarters for those styles), or why there is none while the year is not one.
void showPreview() {
    if (!previewFollows) return;
    const std::string text = ezGetText(kMainForm, kYearField);
    const int year = leadingInteger(text);
    if (text.size() < kYearDigits) {
        ezShowPreviewText(kMainForm, kPreviewPicture,
                          translate("Type the four digits of a year to see its calendar."));
        return;
    }
    if (year < kFirstYear || year > kLastYear) {
        ezShowPreviewText(
            kMainForm, kPreviewPicture,
            plainMessageText(translate("Radio broadcasting didn't begin until 1920.{f10}")));
        return;
    }
    const int style = isStyle(global::preferences.style) ? global::preferences.style : Year;
    const bool quarterWeeks = (global::preferences.flags & kQuarterWeeksFlag) != 0;
    CalendarRequest request{style, year, style < Year ? kSelectAll : 0, quarterWeeks,
                            chosenHolidayCountry()};
    request.credit = global::pageBranding.credit;
    request.logo = global::pageBranding.logo;
    choosePageLanguage(request);
    ezShowPdfPreview(kMainForm, kPreviewPicture, previewSubject(style, year),
                     [request](std::string& pdf) { return BuildCalendarInMemory(request, pdf); });
}

int languageItemId(Language language) {
    for (std::size_t i = 0; i < std::size(kLanguageTable); ++i)
        if (kLanguageTable[i].language == language)
            return kFirstLanguageItem + kLanguageItemStep * static_cast<int>(i);
    return kAutomaticLanguageItem;
}

// The language of a Language menu item; false for any other control.
bool languageOfItem(int itemId, Language& language) {
    if (itemId == kAutomaticLanguageItem) {
        language = Language::Automatic;
        return true;
    }
    for (const LanguageInfo& info : kLanguageTable) {
        if (languageItemId(info.language) != itemId) continue;
        language = info.language;
        return true;
    }
    return false;
}

// The window keeps its texts until the next start; the message says so in the language chosen.
void chooseWindowLanguage(Language language) {
    const Language before = windowLanguage();
    if (!SaveWindowLanguage(language)) {
        okMessage(translate("Language Not Saved"),
                  translate("The language could not be saved in the settings file.{f10}"), "");
        return;
    }
    setWindowLanguage(language);
    okMessage(translate("Language Changed"),
              translate("The window will be shown in the language chosen the next time "
                        "Merivane starts.{f10}"),
              "");
    setWindowLanguage(before);
}

int holidayCountryOfItem(int itemId) {
    for (int country = NoHolidays; country <= CanadaHolidays; ++country)
        if (kHolidayItems[country] == itemId) return country;
    return -1;
}

void designMenus() {
    const int menuBar = ezGetMenu(kMainForm, kMenuBar);
    ezAddMenuItem(menuBar, kHelpMenu, translate("&Help"), "");
    const int programMenu = ezDefSubMenu(kPreferencesItem, translate("&Preferences"), "");
    ezSaveMenu(kMainForm, kProgramDropDown, programMenu);
    ezSetSubMenu(menuBar, kProgramMenu, programMenu);
    ezAddMenuItem(programMenu, kHolidaysMenu, translate("&Holidays"), "");
    const int holidaysMenu = ezDefSubMenu(kHolidayItems[NoHolidays], translate("&None"), "R");
    ezAddMenuItem(holidaysMenu, kHolidayItems[UnitedStatesHolidays], translate("&United States"),
                  "R");
    ezAddMenuItem(holidaysMenu, kHolidayItems[CanadaHolidays], translate("&Canada"), "R");
    ezSaveMenu(kMainForm, kHolidaysDropDown, holidaysMenu);
    ezSetSubMenu(programMenu, kHolidaysMenu, holidaysMenu);
    ezAddMenuItem(programMenu, kLanguageMenu, translate("&Language"), "");
    const int languageMenu = ezDefSubMenu(kAutomaticLanguageItem, translate("&Automatic"), "R");
    for (const LanguageInfo& info : kLanguageTable)
        ezAddMenuItem(languageMenu, languageItemId(info.language), info.nativeName, "R");
    ezSaveMenu(kMainForm, kLanguageDropDown, languageMenu);
    ezSetSubMenu(programMenu, kLanguageMenu, languageMenu);
    ezAddMenuItem(programMenu, kFindDateItem, translate("&Find a Broadcast Date...\tCtrl+D"), "");
    ezAddMenuItem(programMenu, kExportItem, translate("&Export to Calendar Program...\tCtrl+E"),
                  "");
    ezAddMenuItem(programMenu, kPreviewItem, translate("Pre&view All Pages...\tCtrl+R"), "");
    ezAddMenuItem(programMenu, kProgramSeparator, "-", "");
    ezAddMenuItem(programMenu, kExitItem, translate("E&xit"), "");
    const int helpMenu = ezDefSubMenu(kHelpContentsItem, translate("&Help Contents"), "");
    ezSaveMenu(kMainForm, kHelpDropDown, helpMenu);
    ezSetSubMenu(menuBar, kHelpMenu, helpMenu);
    ezAddMenuItem(helpMenu, kHelpSeparator, "-", "");
    ezAddMenuItem(helpMenu, kUpdateItem, translate("Check for Program &Update"), "");
    ezAddMenuItem(helpMenu, kAboutSeparator, "-", "");
    ezAddMenuItem(helpMenu, kAboutItem, translate("About..."), "");
}

void designControls() {
    ezColor(-1, -1);
    ezUseFont(kLargeBoldFont);
    // A longer caption in translation pushes the field right, into the room the frame has left.
    const char* yearCaption = translate("Calendar starting year:");
    const double captionWidth = ezFitWidth('L', kDialogFont, yearCaption, 15.25);
    ezText(kYearField, 19.75 + captionWidth - 15.25, 1.75, 7.5, 1.625, "", "CENST[4]");
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezLabel(kYearLabel, 3.5, 2.0625, captionWidth, 1.125, yearCaption, "L");
    for (int style = Month; style <= PlanningCalendar; ++style) {
        const StyleChoice& choice = kStyles[style];
        ezColor(-1, -1);
        ezUseFont(kDialogFont);
        const char* label = translate(choice.label);
        ezRadio(choice.radioId, 33.75, choice.row,
                ezFitWidth('R', kDialogFont, label, choice.width), 1.25, label, choice.properties);
        ezAddTooltip(kMainForm, choice.radioId);
    }
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezAllowLoadingEvent(2);
    ezPicture(kPreviewPicture, 1.5, 4.75, 28.25, 10.75, "", "CT");
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    // A longer caption widens the button to the left; it ends where the English one does.
    const char* generateCaption = translate("&Generate");
    const double generateWidth = ezFitWidth('B', kDialogFont, generateCaption, 9.5);
    ezButton(kGenerateButton, 40.75 - generateWidth, 16.75, generateWidth, 1.625, generateCaption,
             "TD");
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezButton(kExitButton, 43.25, 16.75, 7.25, 1.625, translate("E&xit"), "T");
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezButton(kHelpButton, 2.5, 16.75, 7.25, 1.625, translate("Help"), "T");
    ezColor(-1, -1);
    ezUseIFont("Segoe UI", 11, "BV");
    ezFrame(kYearFrame, 1.5, 0.625, 28.25, 3.5, translate("Year"), "");
    ezColor(-1, -1);
    ezUseIFont("Segoe UI", 11, "BV");
    ezFrame(kStyleFrame, 31.75, 0.625, 19.75, 15, translate("Calendar Style"), "");
    ezColor(-1, -1);
    ezUseFont(kSmallFont);
    ezAllowLoadingEvent(2);
    ezStatusBar(kStatusBar, "", "");
}

void windowLoad() {
    startNetwork();
    std::string order = "MDY";
    global::today = Date2JulianDate(localDateText(), order);
    ezSetFormIcon(kMainForm, global::programIcon);
    ezSetSBParts(kMainForm, kStatusBar, 2, "70|30");
    ezSetSBText(kMainForm, kStatusBar, 0, std::string("\t") + translate(kMakerNotice));
    ezSetSBText(kMainForm, kStatusBar, 1,
                "\t" + fillIn(translate("Version: %1"), {kProgramVersion}));
    LoadPreferences();
    LoadPageBranding();
    fillMonthLengths();
    const std::string thisYear = localDateText().substr(6);
    const std::string year = (global::preferences.flags & kIntelligentYearFlag)
                                 ? IntelligentYear()
                                 : ReadSetting(global::settingsPath, "Last", "Year", thisYear);
    ezSetText(kMainForm, kYearField, year);
    int style = Year;
    if (global::preferences.flags & kRememberStyleFlag)
        style = leadingInteger(ReadSetting(global::settingsPath, "Last", "Style", "3"));
    // A style number from an edited or damaged file would select no radio and no preview.
    global::preferences.style = isStyle(style) ? style : Year;
    ezSetCheck(kMainForm, kStyles[global::preferences.style].radioId, 1);
    ezMakePreview(kMainForm, kPreviewPicture);
    ezSetMenuCheck(ezGetMenu(kMainForm, kHolidaysDropDown), kHolidayItems[savedHolidayCountry()],
                   1);
    ezSetMenuCheck(ezGetMenu(kMainForm, kLanguageDropDown), languageItemId(ReadWindowLanguage()),
                   1);
}

void windowStart() {
    // The first page is drawn once the window shows, so the page library stays out of start-up.
    previewFollows = true;
    showPreview();
    if (runDueUpdateCheck()) {
        ezUnloadForm(kMainForm);
        return;
    }
    reportInstalledUpdate();
    // A folder that takes no file is not the reader's fault: the message says what failed.
    if (!pdfFolderProblem().empty()) {
        okMessage(translate("PDF Folder Unavailable"),
                  fillIn(translate("Calendars cannot be saved in the PDF folder|%1{f7}"),
                         {global::pdfFolder}),
                  fillIn(translate("A test file could not be written there: %1.{f6}"),
                         {pdfFolderProblem()}));
        ezDisableC(kMainForm, kGenerateButton);
    } else if (!(global::preferences.flags & kReaderFoundFlag)) {
        okMessage(translate("PDF Reader Required"),
                  translate("A PDF reader application, such as Adobe Acrobat, is|required for use "
                            "with Merivane 6.{f7}"),
                  "");
        ezDisableC(kMainForm, kGenerateButton);
    }
    cleanUpInstallers();
    ezPostEvent(kMainForm, kYearField, kCaretToEnd);
}

const FormEvents kFormEvents = {
    kMainForm, kMainWindowHelp, 0, windowLoad, windowStart, nullptr, finishNetworkAndInstall,
};

void menuAction(int itemId) {
    if (const int country = holidayCountryOfItem(itemId); country >= 0) {
        // Unchecked (in memory): the ticked item keeps the choice for this run.
        WriteSetting(global::settingsPath, kHolidaysSection, kHolidaysKey,
                     holidayCountryCode(country));
        showPreview();
        return;
    }
    if (Language language = Language::Automatic; languageOfItem(itemId, language)) {
        chooseWindowLanguage(language);
        return;
    }
    switch (itemId) {
    case kPreferencesItem:
        ShowPreferencesDialog(kMainForm);
        showPreview();
        break;
    case kFindDateItem:
        ShowFindDateDialog(kMainForm);
        break;
    case kExportItem:
        if (const std::string path = ShowExportDialog(kMainForm, chosenHolidayCountry());
            !path.empty())
            ezSetSBText(kMainForm, kStatusBar, 0,
                        "\t" + fillIn(translate("Calendar exported to %1"), {path}));
        break;
    case kPreviewItem:
        ezShowPreviewWindow();
        break;
    case kExitItem:
        ezUnloadForm(kMainForm);
        break;
    case kHelpContentsItem:
        showHelpContents();
        break;
    case kUpdateItem:
        if (checkForUpdateOnDemand()) ezUnloadForm(kMainForm);
        break;
    case kAboutItem:
        ShowAboutDialog(kMainForm);
        break;
    default:
        break;
    }
}

void yearFieldEvents(int eventCode, int value) {
    if (eventCode == kEventPosted && value == kCaretToEnd) {
        ezSetTextSelection(kMainForm, kYearField, kYearDigits, kYearDigits);
        return;
    }
    if (eventCode != kEventTextChanged) return;
    if (ezGetText(kMainForm, kYearField).size() < kYearDigits)
        ezDisableC(kMainForm, kGenerateButton);
    else
        ezEnableC(kMainForm, kGenerateButton);
    showPreview();
}

void styleRadioEvents(int style, int eventCode) {
    if (eventCode == kEventClick) {
        global::preferences.style = style;
        showPreview();
        return;
    }
    if (eventCode == kEventTooltip && tooltipsOn()) ezSetTooltip(translate(kStyles[style].tooltip));
}

void generate() {
    const int year = leadingInteger(ezGetText(kMainForm, kYearField));
    if (year < kFirstYear) {
        okMessage(translate("Whoa, Brontel!"),
                  translate("Radio broadcasting didn't begin until 1920.{f10}"),
                  translate("Let's keep it real, okay?{f6}"));
        return;
    }
    // Four digits is as far as the calendar goes; "1e10" from an edited settings file reads as
    // ten billion.
    if (year > kLastYear) {
        okMessage(translate("Whoa, Brontel!"),
                  fillIn(translate("Calendars go no further than the year %1.{f10}"),
                         {std::to_string(kLastYear)}),
                  translate("Let's keep it real, okay?{f6}"));
        return;
    }
    const int style = global::preferences.style;
    if (style < Year) {
        selection = ShowPrintRangeDialog(kMainForm, year, style);
        if (selection == 0) return;
    }
    const bool quarterWeeks = (global::preferences.flags & kQuarterWeeksFlag) != 0;
    CalendarRequest request{style, year, selection, quarterWeeks, chosenHolidayCountry()};
    request.credit = global::pageBranding.credit;
    request.logo = global::pageBranding.logo;
    choosePageLanguage(request);
    const std::string saved = GenerateCalendar(request, numberedCalendarOutput());
    // Where it is, so it can be opened by hand when no reader opens it (none, or one that does
    // not run on this session).
    if (!saved.empty())
        ezSetSBText(kMainForm, kStatusBar, 0,
                    "\t" + fillIn(translate("Calendar saved as %1"), {saved}));
    // The counter moves on whether or not the save succeeded; one write keeps it with the rest.
    // Unchecked (scratch): each start deletes the numbered calendars, so a repeated number only
    // replaces an earlier calendar of this run, and the year and style are a convenience.
    std::vector<SettingEntry> entries;
    if (const int number = calendarNumberTaken())
        entries.push_back({"PDF", "Number", std::to_string(number)});
    entries.push_back({"Last", "Year", std::to_string(year)});
    entries.push_back({"Last", "Style", std::to_string(style)});
    WriteSettings(global::settingsPath, entries);
}

} // namespace

void CreateMainWindow() {
    ezDefMainMenu(kProgramMenu, translate("&Program"), "");
    ezColor(-1, -1);
    ezForm(kMainForm, "", "Merivane", 0, 0, 53.5, 20.75, "C");
}

void mainWindowDesign() {
    designMenus();
    designControls();
}

void mainWindowEvents(int controlId, int eventCode, int value, int& cancel) {
    if (Language language = Language::Automatic; languageOfItem(controlId, language)) {
        if (eventCode == kEventClick) menuAction(controlId);
        return;
    }
    switch (controlId) {
    case kProgramMenu:
    case kPreferencesItem:
    case kFindDateItem:
    case kExportItem:
    case kPreviewItem:
    case kExitItem:
    case kHolidaysMenu:
    case kLanguageMenu:
    case kHolidayItems[NoHolidays]:
    case kHolidayItems[UnitedStatesHolidays]:
    case kHolidayItems[CanadaHolidays]:
    case kHelpMenu:
    case kHelpContentsItem:
    case kUpdateItem:
    case kAboutItem:
        if (eventCode == kEventClick) menuAction(controlId);
        return;
    case kProgramSeparator:
    case kHelpSeparator:
    case kAboutSeparator:
        return;
    case kYearField:
        yearFieldEvents(eventCode, value);
        return;
    case kGenerateButton:
        if (eventCode == kEventClick) generate();
        return;
    case kPreviewPicture:
        if (eventCode == kEventClick) ezShowPreviewWindow();
        return;
    case kExitButton:
        if (eventCode == kEventClick) ezUnloadForm(kMainForm);
        return;
    case kHelpButton:
        if (eventCode == kEventClick) showHelpContext(kMainWindowHelp);
        return;
    case kStatusBar:
        if (eventCode == kEventLoading) ezUseFont(kStatusBarFont);
        return;
    default:
        break;
    }
    if (const int style = styleOfRadio(controlId)) {
        if (eventCode == kEventTooltip) ezSetTooltip("");
        styleRadioEvents(style, eventCode);
        return;
    }
    answerFormEvent(kFormEvents, controlId, eventCode, cancel);
}

std::string IntelligentYear() {
    int month = 0, day = 0, year = 0;
    calendarDate(global::today, month, day, year);
    if (month >= kFirstMonthOfLateYear) ++year;
    char text[16];
    std::snprintf(text, sizeof text, "%04d", year);
    return text;
}

DateNumber Date2JulianDate(std::string text, std::string& order) {
    if (text.empty()) {
        text = localDateText();
        order = "MDY";
    }
    for (char& c : text)
        if (c == '/') c = '-';
    std::string fields[3];
    std::size_t start = 0;
    for (std::string& field : fields) {
        if (start > text.size()) break;
        std::size_t end = text.find('-', start);
        if (end == std::string::npos) end = text.size();
        field = text.substr(start, end - start);
        start = end + 1;
    }
    int values[3];
    for (int i = 0; i < 3; ++i) {
        values[i] = leadingInteger(fields[i]);
        if (values[i] != 0) continue;
        okMessage(translate("Invalid Date"),
                  translate("Date values in Date2JulianDate are invalid.{f6}"), "");
        return 0;
    }
    if (order == "YMD") return dateNumber(values[1], values[2], values[0]);
    return dateNumber(values[0], values[1], values[2]);
}
