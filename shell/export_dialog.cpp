#include "shell/export_dialog.h"

#include "calendar/ics.h"
#include "common/numbers.h"
#include "common/text.h"
#include "common/translate.h"
#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "gui/help.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "program/program.h"
#include "program/settings.h"
#include "render/generate.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kFirstYearLabel = 100;
constexpr int kFirstYearField = 105;
constexpr int kLastYearLabel = 110;
constexpr int kLastYearField = 115;
constexpr int kWeeksBox = 120;
constexpr int kExplanationLabel = 125;
constexpr int kExportButton = 130;
constexpr int kCancelButton = 135;
constexpr int kHelpButton = 140;
constexpr int kRangeFrame = 145;
constexpr int kYearFont = kLargeBoldFont;

// The last export's choices, in a section of their own in the settings file.
constexpr const char* kExportSection = "Calendar Export";
constexpr const char* kFirstYearKey = "FirstYear";
constexpr const char* kLastYearKey = "LastYear";
constexpr const char* kWeeksKey = "Weeks";

constexpr const char* kTitle = N_("Export to Calendar Program");

// The captions and the year fields beside them, as laid out for English; a translated caption
// moves the fields right and widens the form.
constexpr const char* kFirstYearCaption = N_("First broadcast year:");
constexpr const char* kLastYearCaption = N_("Last broadcast year:");
constexpr const char* kExplanation =
    N_("Each broadcast month becomes an all-day event, and with|weeks each broadcast week too.");
constexpr double kCaptionWidth = 20;
constexpr double kExplanationWidth = 38;
constexpr double kFormWidth = 44;

double extraWidth() {
    const double captions =
        std::max(ezFitWidth('L', kDialogFont, translate(kFirstYearCaption), kCaptionWidth),
                 ezFitWidth('L', kDialogFont, translate(kLastYearCaption), kCaptionWidth)) -
        kCaptionWidth;
    const double explanation =
        ezFitWidth('L', kDialogFont, translate(kExplanation), kExplanationWidth) -
        kExplanationWidth;
    return std::max(captions, explanation);
}

// The file written by the last Export; empty until one succeeds.
std::string writtenPath;
// The country whose public holidays go along (HolidayCountry), as the main window marks them.
int holidayCountry;

void startControl(int font) {
    ezColor(-1, -1);
    ezUseFont(font);
}

bool inRange(int year) {
    return year >= kFirstYear && year <= kLastYear;
}

// The remembered range when the settings hold a sound one, else this year and the next.
void proposeRange(int& firstYear, int& lastYear) {
    int month = 0, day = 0, thisYear = 0;
    calendarDate(global::today, month, day, thisYear);
    firstYear =
        leadingInteger(ReadSetting(global::settingsPath, kExportSection, kFirstYearKey, ""));
    lastYear = leadingInteger(ReadSetting(global::settingsPath, kExportSection, kLastYearKey, ""));
    if (inRange(firstYear) && inRange(lastYear) && firstYear <= lastYear) return;
    firstYear = inRange(thisYear) ? thisYear : kFirstYear;
    lastYear = firstYear < kLastYear ? firstYear + 1 : firstYear;
}

void dialogLoad() {
    ezSetFormIcon(kExportForm, global::programIcon);
    int firstYear = 0, lastYear = 0;
    proposeRange(firstYear, lastYear);
    ezSetText(kExportForm, kFirstYearField, std::to_string(firstYear));
    ezSetText(kExportForm, kLastYearField, std::to_string(lastYear));
    ezSetCheck(kExportForm, kWeeksBox,
               leadingFlag(ReadSetting(global::settingsPath, kExportSection, kWeeksKey, "0")));
    ezSetFocus(kExportForm, kFirstYearField);
}

// The two years as typed, or false after saying what is wrong with them.
bool typedRange(int& firstYear, int& lastYear) {
    firstYear = leadingInteger(ezGetText(kExportForm, kFirstYearField));
    lastYear = leadingInteger(ezGetText(kExportForm, kLastYearField));
    const std::string limits = fillIn(translate("Broadcast years run from %1 to %2.{f6}"),
                                      {std::to_string(kFirstYear), std::to_string(kLastYear)});
    if (!inRange(firstYear) || !inRange(lastYear)) {
        okMessage(translate("Invalid Year"),
                  translate("Please type two years of four digits.{f10}"), limits, kExportForm);
        return false;
    }
    if (lastYear < firstYear) {
        okMessage(translate("Invalid Year"),
                  translate("The last year comes before the first.{f10}"),
                  translate("Please type the earlier year first.{f6}"), kExportForm);
        return false;
    }
    return true;
}

void exportCalendar() {
    int firstYear = 0, lastYear = 0;
    if (!typedRange(firstYear, lastYear)) return;
    const bool weeks = ezGetCheck(kExportForm, kWeeksBox) != 0;
    const std::string name = broadcastIcsName(firstYear, lastYear, windowLanguage()) + ".ics";
    const std::string path =
        ezSaveFileDialog(kExportForm, translate("Save the Calendar As"), ezDocumentsFolder() + name,
                         translate("Calendar files (*.ics)"), "ics");
    if (path.empty()) return;
    std::string error;
    // Thousands of years with their weeks take a second or two.
    ezShowBusy(1);
    // The events' texts follow the window, as the command line's --language makes them.
    const IcsFileResult result = writeBroadcastIcsFile(path, firstYear, lastYear, weeks,
                                                       holidayCountry, error, windowLanguage());
    ezShowBusy(0);
    if (result != IcsFileResult::Written) {
        okMessage(translate("Export Error"), translate("The calendar could not be saved.{f10}"),
                  path + ": " + error + "{f6}", kExportForm);
        return;
    }
    // Unchecked (convenience): the file is saved; only the choices offered next time are lost.
    WriteSettings(global::settingsPath, {{kExportSection, kFirstYearKey, std::to_string(firstYear)},
                                         {kExportSection, kLastYearKey, std::to_string(lastYear)},
                                         {kExportSection, kWeeksKey, weeks ? "1" : "0"}});
    writtenPath = path;
    ezUnloadForm(kExportForm);
}

// Escape cancels, as it does in every dialog.
const FormEvents kFormEvents = {
    kExportForm, kExportHelp, kCancelButton, dialogLoad, nullptr, nullptr, nullptr,
};

} // namespace

std::string ShowExportDialog(const std::string& parent, int holidays) {
    writtenPath.clear();
    holidayCountry = holidays;
    ezColor(-1, -1);
    ezForm(kExportForm, parent, translate(kTitle), 0, 0, kFormWidth + extraWidth(), 13, "CM");
    return writtenPath;
}

void exportDesign() {
    const double extra = extraWidth();
    const double captionWidth =
        std::max(ezFitWidth('L', kDialogFont, translate(kFirstYearCaption), kCaptionWidth),
                 ezFitWidth('L', kDialogFont, translate(kLastYearCaption), kCaptionWidth));
    const double fieldLeft = 24 + captionWidth - kCaptionWidth;
    startControl(kDialogFont);
    ezLabel(kFirstYearLabel, 3.5, 2.0, captionWidth, 1, translate(kFirstYearCaption), "L");
    startControl(kYearFont);
    ezText(kFirstYearField, fieldLeft, 1.875, 7.5, 1.625, "", "CNT[4]");
    startControl(kDialogFont);
    ezLabel(kLastYearLabel, 3.5, 4.0, captionWidth, 1, translate(kLastYearCaption), "L");
    startControl(kYearFont);
    ezText(kLastYearField, fieldLeft, 3.875, 7.5, 1.625, "", "CNT[4]");
    startControl(kDialogFont);
    const char* weeksCaption = translate("Include every &week");
    ezCheckBox(kWeeksBox, 3.5, 5.875, ezFitWidth('C', kDialogFont, weeksCaption, 30), 1,
               weeksCaption, "T");
    startControl(kDialogFont);
    ezLabel(kExplanationLabel, 3.5, 7.5, kExplanationWidth + extra, 2, translate(kExplanation),
            "L");
    startControl(kDialogFont);
    ezButton(kHelpButton, 2.5, 10.75, 8, 1.5, translate("&Help"), "T");
    startControl(kDialogFont);
    // Longer captions widen the buttons to the left of where the English ones end.
    const char* exportCaption = translate("&Export...");
    const char* cancelCaption = translate("&Cancel");
    const double cancelWidth = ezFitWidth('B', kDialogFont, cancelCaption, 8);
    const double exportWidth = ezFitWidth('B', kDialogFont, exportCaption, 9);
    const double cancelLeft = 41.5 + extra - cancelWidth;
    ezButton(kExportButton, cancelLeft - 1 - exportWidth, 10.75, exportWidth, 1.5, exportCaption,
             "TD");
    startControl(kDialogFont);
    ezButton(kCancelButton, cancelLeft, 10.75, cancelWidth, 1.5, cancelCaption, "TX");
    startControl(kDialogFont);
    ezFrame(kRangeFrame, 2, 0.75, 40 + extra, 9.25, translate("Broadcast years"), "");
}

void exportEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    if (answerFormEvent(kFormEvents, controlId, eventCode, cancel)) return;
    if (eventCode != kEventClick) return;
    switch (controlId) {
    case kExportButton:
        exportCalendar();
        return;
    case kCancelButton:
        ezUnloadForm(kExportForm);
        return;
    case kHelpButton:
        showHelpContext(kExportHelp);
        return;
    default:
        return;
    }
}
