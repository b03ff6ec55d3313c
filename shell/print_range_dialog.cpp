#include "shell/print_range_dialog.h"

#include "common/translate.h"
#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "gui/help.h"
#include "program/program.h"
#include "render/request.h"

#include <algorithm>

namespace {

constexpr int kSingleMonthRadio = 100;
constexpr int kAllMonthsRadio = 105;
constexpr int kJanuaryRadio = 110;
constexpr int kDecemberRadio = 165;
constexpr int kExplanationLabel = 170;
constexpr int kOkButton = 175;
constexpr int kCancelButton = 180;
constexpr int kHelpButton = 185;
constexpr int kSingleMonthFrame = 190;
constexpr int kAllMonthsFrame = 195;
constexpr int kCancelled = 0;

struct MonthRadio {
    const char* name;
    double column;
    double row;
    double width;
};

// Four columns of three months; the radio of month n has ID 105 + 5n.
const MonthRadio kMonthRadios[12] = {
    {N_("January"), 4.5, 2.625, 7.75},  {N_("February"), 4.5, 4, 8},
    {N_("March"), 4.5, 5.375, 6.75},    {N_("April"), 15.375, 2.625, 5.5},
    {N_("May"), 15.375, 4, 5.5},        {N_("June"), 15.375, 5.375, 5.75},
    {N_("July"), 24, 2.625, 6},         {N_("August"), 24, 4, 7.25},
    {N_("September"), 24, 5.375, 9.75}, {N_("October"), 35.125, 2.625, 7.75},
    {N_("November"), 35.25, 4, 10},     {N_("December"), 35.25, 5.375, 8.75},
};

// The captions the Quarter style puts in place of the Month style's, and what "all" prints.
constexpr const char* kSingleMonthCaption = N_("Select a Single Month to Print");
constexpr const char* kQuarterStartCaption = N_("Print 3 Months Starting with");
constexpr const char* kAllMonthsCaption = N_("Print All 12 Months");
constexpr const char* kAllQuartersCaption = N_("Print All 4 Quarters");
constexpr const char* kAllMonthsExplanation =
    N_("Print each month of %1 on a separate sheet of paper.");
constexpr const char* kAllQuartersExplanation =
    N_("Print all four quarters of %1 on separate sheets.");

// Wide enough for whichever of the two captions the style shows, in the window's language.
double radioWidth(const char* caption, const char* otherCaption, double englishWidth) {
    return std::max(ezFitWidth('R', kDialogFont, translate(caption), englishWidth),
                    ezFitWidth('R', kDialogFont, translate(otherCaption), englishWidth));
}

// What the dialog offers: the year and style Generate was given.
int offeredYear;
int offeredStyle;
// 0 cancelled, 1 to 12 a month, 13 all.
int selection;
// OK was pressed; any other way out of the dialog is a cancel.
bool confirmed;

int monthRadioId(int month) {
    return kJanuaryRadio + 5 * (month - 1);
}

bool isMonthRadio(int controlId) {
    return controlId >= kJanuaryRadio && controlId <= kDecemberRadio &&
           (controlId - kJanuaryRadio) % 5 == 0;
}

void startControl(bool anchored) {
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezUseAutoSize(anchored ? "CT" : "");
}

void setMonthRadiosEnabled(bool enabled) {
    for (int month = 1; month <= 12; ++month) {
        if (enabled)
            ezEnableC(kPrintRangeForm, monthRadioId(month));
        else
            ezDisableC(kPrintRangeForm, monthRadioId(month));
    }
}

int checkedMonth() {
    for (int month = 1; month <= 12; ++month)
        if (ezGetCheck(kPrintRangeForm, monthRadioId(month))) return month;
    return 1;
}

void dialogLoad() {
    const std::string year = std::to_string(offeredYear);
    if (offeredStyle == Quarter) {
        ezSetText(kPrintRangeForm, 0, fillIn(translate("Print Three Months of %1"), {year}));
        ezSetText(kPrintRangeForm, kSingleMonthRadio, translate(kQuarterStartCaption));
        ezSetText(kPrintRangeForm, kAllMonthsRadio, translate(kAllQuartersCaption));
        ezSetText(kPrintRangeForm, kExplanationLabel,
                  fillIn(translate(kAllQuartersExplanation), {year}));
    } else {
        ezSetText(kPrintRangeForm, 0, fillIn(translate("Select Month of %1 to Print"), {year}));
        ezSetText(kPrintRangeForm, kExplanationLabel,
                  fillIn(translate(kAllMonthsExplanation), {year}));
    }
    ezSetCheck(kPrintRangeForm, kSingleMonthRadio, 1);
    ezSetCheck(kPrintRangeForm, kJanuaryRadio, 1);
    selection = 1;
}

void dialogUnload() {
    if (!confirmed) selection = kCancelled;
}

// Escape cancels, as it does in every dialog.
const FormEvents kFormEvents = {
    kPrintRangeForm, kPrintRangeHelp, kCancelButton, dialogLoad, nullptr, nullptr, dialogUnload,
};

// The explanation under "all months" takes the width of its longer form in the window's language.
double explanationWidth() {
    const std::string months = fillIn(translate(kAllMonthsExplanation), {"0000"});
    const std::string quarters = fillIn(translate(kAllQuartersExplanation), {"0000"});
    return std::max(ezFitWidth('L', kDialogFont, months, 36.75),
                    ezFitWidth('L', kDialogFont, quarters, 36.75));
}

// How much wider than the English layout the frames must be to hold the explanation.
double frameExtraWidth() {
    return std::max(0.0, explanationWidth() - 36.75);
}

} // namespace

int ShowPrintRangeDialog(const std::string& parent, int year, int style) {
    offeredYear = year;
    offeredStyle = style;
    selection = kCancelled;
    confirmed = false;
    ezColor(-1, -1);
    ezForm(kPrintRangeForm, parent, "", 0, 0, 48.75 + frameExtraWidth(), 14.125, "_CMR");
    return selection;
}

void printRangeDesign() {
    startControl(true);
    ezRadio(kSingleMonthRadio, 3.75, 1.125,
            radioWidth(kSingleMonthCaption, kQuarterStartCaption, 22.25), 1,
            translate(kSingleMonthCaption), "GT");
    startControl(true);
    ezRadio(kAllMonthsRadio, 3.75, 8.25, radioWidth(kAllMonthsCaption, kAllQuartersCaption, 15), 1,
            translate(kAllMonthsCaption), "T");
    for (int month = 1; month <= 12; ++month) {
        const MonthRadio& radio = kMonthRadios[month - 1];
        startControl(true);
        const char* name = translate(radio.name);
        ezRadio(monthRadioId(month), radio.column, radio.row,
                ezFitWidth('R', kDialogFont, name, radio.width), 1, name, month == 1 ? "GT" : "T");
    }
    startControl(false);
    const std::string widest = fillIn(translate(kAllMonthsExplanation), {"0000"});
    const double extra = frameExtraWidth();
    ezLabel(kExplanationLabel, 6.5, 9.625, explanationWidth(), 1, widest, "L");
    startControl(true);
    // Longer captions widen the buttons to the left of where the English ones end.
    const char* okCaption = translate("&OK");
    const char* cancelCaption = translate("&Cancel");
    const double okWidth = ezFitWidth('B', kDialogFont, okCaption, 8);
    const double cancelWidth = ezFitWidth('B', kDialogFont, cancelCaption, 8);
    ezButton(kOkButton, 34.5 + extra - okWidth, 12, okWidth, 1.375, okCaption, "TD");
    startControl(true);
    ezButton(kCancelButton, 45.25 + extra - cancelWidth, 12, cancelWidth, 1.375, cancelCaption,
             "TX");
    startControl(true);
    ezButton(kHelpButton, 3.25, 12, 8, 1.375, translate("&Help"), "T");
    startControl(true);
    ezFrame(kSingleMonthFrame, 2.25, 1.125, 44 + extra, 6, "", "");
    startControl(true);
    ezFrame(kAllMonthsFrame, 2.25, 8.25, 44 + extra, 3.125, "", "");
}

void printRangeEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    if (answerFormEvent(kFormEvents, controlId, eventCode, cancel)) return;
    if (eventCode != kEventClick) return;
    if (isMonthRadio(controlId)) {
        selection = (controlId - 105) / 5;
        return;
    }
    switch (controlId) {
    case kSingleMonthRadio:
        setMonthRadiosEnabled(true);
        selection = checkedMonth();
        break;
    case kAllMonthsRadio:
        setMonthRadiosEnabled(false);
        selection = kSelectAll;
        break;
    case kOkButton:
        confirmed = true;
        ezUnloadForm(kPrintRangeForm);
        break;
    case kCancelButton:
        selection = kCancelled;
        ezUnloadForm(kPrintRangeForm);
        break;
    case kHelpButton:
        showHelpContext(kPrintRangeHelp);
        break;
    default:
        break;
    }
}
