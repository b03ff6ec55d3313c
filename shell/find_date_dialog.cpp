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
constexpr double kAnswerWidth = 41.5;
// A read-only box's frame and margins beside its text.
constexpr double kAnswerMargin = 1.5;

constexpr const char* kCaptions[] = {N_("Broadcast year:"), N_("Broadcast month:"),
                                     N_("Broadcast week:")};

double extraWidth() {
    double widest = kCaptionWidth;
    for (const char* caption : kCaptions)
        widest = ezFitWidth('L', kDialogFont, translate(caption), widest);
    return widest - kCaptionWidth;
}

// "Monday, December 28, 2026" in English whatever the locale (the form the help shows); other
// languages write the date as their running text does ("lundi 28 décembre 2026").
std::string dateShown(DateNumber date) {
    if (windowLanguage() != Language::English) return longDateIn(date, windowLanguage());
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    return std::string(kWeekdayNames[weekdayNumber(date)]) + ", " + kMonthNames[month] + " " +
           std::to_string(day) + ", " + std::to_string(year);
}

std::string daysShown(DateNumber first, DateNumber last);

// The days of a month or week run below their caption across the frame, as wide as the
// caption and answer columns of the English layout together.
constexpr double kDaysWidth = kAnswerLeft + kAnswerWidth - kCaptionLeft;

// How much wider than the English layout the days must be for the longest of them in the
// window's language to show whole: a Monday and a Sunday with every pair of month names.
double answerExtraWidth() {
    double widest = kDaysWidth;
    for (int first = 1; first <= 12; ++first) {
        const DateNumber monday = weekdayOnOrBefore(dateNumber(first, 28, 2027), Monday);
        for (int last = 1; last <= 12; ++last) {
            const DateNumber sunday = weekdayOnOrBefore(dateNumber(last, 28, 2027), Sunday);
            widest = std::max(widest, ezFitWidth('L', kDialogFont, daysShown(monday, sunday), 0) +
                                          kAnswerMargin);
        }
    }
    return std::max(0.0, widest - kDaysWidth - extraWidth());
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
    // TRANSLATORS: the broadcast month: %1 its name, %2 the year, %3 its weeks (4 or 5).
    const char* monthFormat = translatePlural(windowLanguage(), "%1 %2, %3 week", "%1 %2, %3 weeks",
                                              static_cast<unsigned long>(weeks));
    ezSetText(kFindDateForm, kMonthValue,
              fillIn(monthFormat, {translate(kMonthNames[place.month]), std::to_string(place.year),
                                   std::to_string(weeks)}));
    ezSetText(kFindDateForm, kMonthDates, daysShown(place.monthStart, place.monthEnd));
    ezSetText(
        kFindDateForm, kWeekValue,
        fillIn(translate("Week %1 (%2)"),
               {std::to_string(place.week), quarterLabelIn(place.quarterWeek, windowLanguage())}));
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
           kFormWidth + extraWidth() + answerExtraWidth(), 17, "CM");
}

void findDateDesign() {
    // The answers move right for a longer caption and widen for longer dates.
    const double answerExtra = answerExtraWidth();
    const double shift = extraWidth();
    const double extra = shift + answerExtra;
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
        ezLabel(row.caption, kCaptionLeft, row.row + 0.125, kCaptionWidth + shift, 1,
                translate(row.text), "L");
        startControl(kValueFont);
        ezText(row.value, kAnswerLeft + shift, row.row, kAnswerWidth + answerExtra, 1.5, "", "RT");
        if (row.dates == 0) continue;
        startControl(kDialogFont);
        ezText(row.dates, kCaptionLeft, row.row + 1.75, kDaysWidth + shift + answerExtra, 1.5, "",
               "RT");
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
