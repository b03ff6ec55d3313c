#include "shell/find_date_dialog.h"

#include "calendar/broadcast.h"
#include "calendar/dates.h"
#include "common/numbers.h"
#include "common/text.h"
#include "common/translate.h"
#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "gui/help.h"
#include "program/paths.h"
#include "program/program.h"
#include "render/generate.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

constexpr int kDateLabel = 100;
constexpr int kDateField = 105;
constexpr int kYearCaption = 110;
constexpr int kYearValue = 115;
constexpr int kMonthCaption = 120;
constexpr int kMonthValue = 125;
constexpr int kMonthDates = 130;
constexpr int kWeekCaption = 135;
constexpr int kWeekValue = 140;
constexpr int kWeekDates = 145;
// Says why there is no answer, or that Copy has copied it.
constexpr int kNoteLine = 150;
constexpr int kCopyButton = 155;
constexpr int kCloseButton = 160;
constexpr int kHelpButton = 165;
constexpr int kAnswerFrame = 170;
constexpr int kValueFont = kDialogBoldFont;

// The caption column and the answers beside it, as laid out for English; a translated caption
// moves the answers right and widens the form.
constexpr double kCaptionLeft = 3.5;
constexpr double kCaptionWidth = 13;
constexpr double kAnswerLeft = 17;
constexpr double kFormWidth = 61;

constexpr const char* kCaptions[] = {N_("Broadcast year:"), N_("Broadcast month:"),
                                     N_("Broadcast week:")};

double extraWidth() {
    double widest = kCaptionWidth;
    for (const char* caption : kCaptions)
        widest = ezFitWidth('L', kDialogFont, translate(caption), widest);
    return widest - kCaptionWidth;
}

// A month's name inside a date: French and Spanish write it in lower case there, while the
// catalogue holds it capitalised as a label shows it.
std::string monthInDate(int month) {
    std::string name = translate(kMonthNames[month]);
    if (windowLanguage() != Language::English && !name.empty())
        name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
}

// "Monday, December 28, 2026" in English whatever the locale (the form the help shows), "lundi
// 28 décembre 2026" in French.
std::string dateShown(DateNumber date) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    // Weekday, day, month and year, in the order the language writes them.
    return fillIn(translate("%1, %3 %2, %4"),
                  {translate(kWeekdayNames[weekdayNumber(date)]), std::to_string(day),
                   monthInDate(month), std::to_string(year)});
}

std::string daysShown(DateNumber first, DateNumber last) {
    return fillIn(translate("%1 to %2"), {dateShown(first), dateShown(last)});
}

// The date shown and its one-line answer; empty while the date is outside the calendar.
std::string answerLine;

void startControl(int font) {
    ezColor(-1, -1);
    ezUseFont(font);
}

// The date field always holds a real date, written YYYY-MM-DD; false for anything else.
bool fieldDate(DateNumber& date) {
    const std::vector<std::string> parts = splitText(ezGetText(kFindDateForm, kDateField), '-');
    if (parts.size() != 3) return false;
    date = dateNumber(leadingInteger(parts[1]), leadingInteger(parts[2]), leadingInteger(parts[0]));
    return true;
}

void showAnswer() {
    DateNumber date = 0;
    int year = 0;
    const bool known = fieldDate(date);
    if (known) broadcastMonthOfDate(date, year);
    if (!known || year < kFirstYear || year > kLastYear) {
        answerLine.clear();
        for (const int value : {kYearValue, kMonthValue, kMonthDates, kWeekValue, kWeekDates})
            ezSetText(kFindDateForm, value, "");
        ezSetText(kFindDateForm, kNoteLine,
                  fillIn(translate("This day is outside the broadcast years %1 to %2 that "
                                   "Merivane knows."),
                         {std::to_string(kFirstYear), std::to_string(kLastYear)}));
        ezDisableC(kFindDateForm, kCopyButton);
        return;
    }
    const BroadcastDay place = broadcastDayOf(date);
    answerLine = broadcastDayLine(date, place, windowLanguage());
    const int weeks = (place.monthEnd - place.monthStart + 1) / 7;
    ezSetText(kFindDateForm, kYearValue, std::to_string(place.year));
    ezSetText(
        kFindDateForm, kMonthValue,
        fillIn(translate("%1 %2, %3 weeks"), {translate(kMonthNames[place.month]),
                                              std::to_string(place.year), std::to_string(weeks)}));
    ezSetText(kFindDateForm, kMonthDates, daysShown(place.monthStart, place.monthEnd));
    ezSetText(kFindDateForm, kWeekValue,
              fillIn(translate("Week %1 (%2)"), {std::to_string(place.week), place.quarterWeek}));
    ezSetText(kFindDateForm, kWeekDates, daysShown(place.weekStart, place.weekEnd));
    ezSetText(kFindDateForm, kNoteLine, "");
    ezEnableC(kFindDateForm, kCopyButton);
}

void dialogLoad() {
    ezSetFormIcon(kFindDateForm, global::programIcon);
    ezSetText(kFindDateForm, kDateField, isoDateText(global::today));
    showAnswer();
    ezSetFocus(kFindDateForm, kDateField);
}

// Escape closes, as it does in every dialog.
const FormEvents kFormEvents = {
    kFindDateForm, kFindDateHelp, kCloseButton, dialogLoad, nullptr, nullptr, nullptr,
};

} // namespace

void ShowFindDateDialog(const std::string& parent) {
    answerLine.clear();
    ezColor(-1, -1);
    ezForm(kFindDateForm, parent, translate("Find a Broadcast Date"), 0, 0,
           kFormWidth + extraWidth(), 17, "CM");
}

void findDateDesign() {
    const double extra = extraWidth();
    const char* dateCaption = translate("Date:");
    const double dateCaptionWidth = ezFitWidth('L', kDialogFont, dateCaption, 5);
    startControl(kDialogFont);
    ezLabel(kDateLabel, 2.5, 1.125, dateCaptionWidth, 1, dateCaption, "L");
    startControl(kValueFont);
    ezText(kDateField, 8 + dateCaptionWidth - 5, 0.875, 15, 1.625, "", "DT");
    // Each answer: its caption, its value in bold and, for the month and week, their days. The
    // answers are read-only boxes in the Tab order, so a screen reader reads each as it is
    // reached and the text can be selected.
    struct Row {
        int caption;
        int value;
        int dates;
        const char* text;
        const char* datesName;
        double row;
    };
    const Row rows[] = {{kYearCaption, kYearValue, 0, kCaptions[0], "", 3.75},
                        {kMonthCaption, kMonthValue, kMonthDates, kCaptions[1],
                         N_("Days of the broadcast month"), 5.5},
                        {kWeekCaption, kWeekValue, kWeekDates, kCaptions[2],
                         N_("Days of the broadcast week"), 9.25}};
    for (const Row& row : rows) {
        startControl(kDialogFont);
        ezLabel(row.caption, kCaptionLeft, row.row + 0.125, kCaptionWidth + extra, 1,
                translate(row.text), "L");
        startControl(kValueFont);
        ezText(row.value, kAnswerLeft + extra, row.row, 41.5, 1.5, "", "RT");
        if (row.dates == 0) continue;
        startControl(kDialogFont);
        ezText(row.dates, kAnswerLeft + extra, row.row + 1.75, 41.5, 1.5, "", "RT");
        ezSetControlName(kFindDateForm, row.dates, translate(row.datesName));
    }
    startControl(kDialogFont);
    ezLabel(kNoteLine, 3.5, 12.75, 55 + extra, 1, "", "L");
    startControl(kDialogFont);
    ezButton(kHelpButton, 2.5, 14.75, 8, 1.5, translate("&Help"), "T");
    // Copy is the form's one action: Return in the date copies its answer.
    startControl(kDialogFont);
    ezButton(kCopyButton, 40.5 + extra, 14.75, 8, 1.5, translate("C&opy"), "TD");
    startControl(kDialogFont);
    ezButton(kCloseButton, 50.5 + extra, 14.75, 8, 1.5, translate("&Close"), "TX");
    startControl(kDialogFont);
    ezFrame(kAnswerFrame, 2, 2.75, 57 + extra, 11.25, translate("Broadcast calendar"), "");
}

void findDateEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    if (answerFormEvent(kFormEvents, controlId, eventCode, cancel)) return;
    switch (controlId) {
    case kDateField:
        if (eventCode == kEventTextChanged) showAnswer();
        return;
    case kCopyButton:
        if (eventCode != kEventClick || answerLine.empty()) return;
        ezSetClipboardText(answerLine);
        // Until the date changes: the clipboard shows nothing of itself.
        ezSetText(kFindDateForm, kNoteLine, translate("Copied to the clipboard."));
        return;
    case kCloseButton:
        if (eventCode == kEventClick) ezUnloadForm(kFindDateForm);
        return;
    case kHelpButton:
        if (eventCode == kEventClick) showHelpContext(kFindDateHelp);
        return;
    default:
        return;
    }
}
