#include "calendar/broadcast.h"
#include "render/layouts/layouts.h"
#include "render/layouts/month_block.h"
#include "render/primitives.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {
constexpr float kPageWidth = 612.0f;
constexpr float kPageHeight = 792.0f;
constexpr int kCentreX = 306;
// Text anchors: week number (right), month name (left), the seven weekday letters (centred)
// and the BUDGET heading.
constexpr int kAnchors[10] = {51, 60, 146, 163, 180, 197, 214, 231, 248, 315};
// Column rules: week, month, Monday to Sunday, BUDGET, notes.
constexpr int kColumnRules[11] = {36, 58, 137, 154, 171, 188, 205, 222, 239, 256, 319};
constexpr int kTableLeftX = 36;
constexpr int kTableRightX = 576;
constexpr Colour kWhite = {1.0f, 1.0f, 1.0f};
constexpr Colour kNavy = {0.0f, 0.0f, 0.6f};
constexpr float kRuleWidth = 0.6f;
constexpr float kMonthRuleWidth = 1.2f;
constexpr int kTitleY = 49;
constexpr int kHeaderBandHeight = 13;
constexpr int kRowStep = 11;
constexpr int kDayInsetX = 5;
constexpr int kBudgetInsetX = 8;
constexpr int kFooterGap = 26;
constexpr int kFooterStep = 19;
// Holidays are listed in the notes column of their week, shrunk to fit when a week has many.
constexpr int kNotesX = 323;
constexpr int kHolidayNoteSize = 7;
constexpr int kSmallestNoteSize = 6;
// The notes are running text, where French and Spanish abbreviate in lower case with a period.
constexpr const char* kInText = "in running text";
constexpr const char* kWeekdayAbbreviations[8] = {"",
                                                  NC_("in running text", "Mon"),
                                                  NC_("in running text", "Tue"),
                                                  NC_("in running text", "Wed"),
                                                  NC_("in running text", "Thu"),
                                                  NC_("in running text", "Fri"),
                                                  NC_("in running text", "Sat"),
                                                  NC_("in running text", "Sun")};
constexpr int kHeadingSize = 8;
constexpr int kSmallestHeadingSize = 6;
constexpr int kTitleSize = 28;
constexpr int kSmallestTitleSize = 18;
constexpr int kFooterSize = 8;
constexpr int kSmallestFooterSize = 6;

// The widest a header text may be: its column, from the left rule to its anchor.
float headingRoom(int leftRule, int anchorX) {
    return static_cast<float>(anchorX - leftRule);
}

void drawHeaderBand(const GenerationRequest& request, int tableTop) {
    const DrawingState& drawing = request.drawing;
    const Language language = request.calendar.language;
    HPDF_Page page = drawing.page;
    fillRectangle(page, kNavy, tableTop, kTableLeftX, kTableRightX - kTableLeftX, kHeaderBandHeight,
                  0);
    const int y = tableTop - 3;
    setFillColour(page, kWhite);
    const std::string week = translateIn(language, "WK");
    drawText(page, week, kAnchors[0], y, drawing.boldFont,
             fittingSize(drawing.boldFont, kHeadingSize, kSmallestHeadingSize, week,
                         headingRoom(kColumnRules[0], kAnchors[0])),
             AlignRight);
    const std::string month = translateIn(language, "MONTH");
    drawText(page, month, kAnchors[1], y, drawing.boldFont,
             fittingSize(drawing.boldFont, kHeadingSize, kSmallestHeadingSize, month,
                         headingRoom(kAnchors[1], kColumnRules[2])),
             AlignLeft);
    for (int weekday = Monday; weekday <= Sunday; ++weekday)
        drawText(page, weekdayInitial(request, weekday), kAnchors[weekday + 1], y, drawing.boldFont,
                 kHeadingSize, AlignCentre);
    const std::string budget = translateIn(language, "BUDGET");
    const int budgetRight = kAnchors[9] - kBudgetInsetX;
    drawText(page, budget, budgetRight, y, drawing.boldFont,
             fittingSize(drawing.boldFont, kHeadingSize, kSmallestHeadingSize, budget,
                         headingRoom(kColumnRules[9], budgetRight)),
             AlignRight);
    setFillColour(page, kBlack);
}

// "Mon 25"; only "25" where the note is too long for its column with the weekdays.
std::string dayText(DateNumber date, Language language, bool withWeekday) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    const std::string dayNumber = dayOfMonthIn(day, language);
    if (!withWeekday) return dayNumber;
    return fillIn(
        translateIn(language, "%1 %2"),
        {translateInContext(language, kInText, kWeekdayAbbreviations[weekdayNumber(date)]),
         dayNumber});
}

bool sameHoliday(const HolidayMark& a, const HolidayMark& b) {
    return a.lawDay == b.lawDay && std::string(a.name) == b.name;
}

// "Mon 25 Memorial Day", and for several days "Mon 11 ...; Thu 14 ...", several names on one day
// joined by commas. A holiday and the day observed in its place in the same week share one
// entry: "Sat 19 Juneteenth National Independence Day, observed Fri 18".
std::string holidayNote(const std::vector<HolidayMark>& marks, Language language,
                        bool withWeekdays) {
    std::string note;
    DateNumber previousDay = 0;
    for (const HolidayMark& mark : marks) {
        const bool observed = mark.day != mark.lawDay;
        const auto ownDay = [&mark](const HolidayMark& other) {
            return other.day == other.lawDay && sameHoliday(other, mark);
        };
        if (observed && std::any_of(marks.begin(), marks.end(), ownDay)) continue;
        std::string entry = mark.label;
        if (!observed) {
            for (const HolidayMark& other : marks)
                if (other.day != other.lawDay && sameHoliday(other, mark))
                    entry = fillIn(translateIn(language, "%1, observed %2"),
                                   {entry, dayText(other.day, language, withWeekdays)});
        }
        if (mark.day == previousDay) {
            note += ", " + entry;
            continue;
        }
        if (!note.empty()) note += "; ";
        // TRANSLATORS: a holiday in the planner's notes: %1 its day ("Mon 25"), %2 its name.
        note += fillIn(translateInContext(language, "holiday note", "%1 %2"),
                       {dayText(mark.day, language, withWeekdays), entry});
        previousDay = mark.day;
    }
    return note;
}

void drawHolidayNote(const GenerationRequest& request, const std::vector<HolidayMark>& marks,
                     int y) {
    if (marks.empty()) return;
    const DrawingState& drawing = request.drawing;
    const PlannerNote note = plannerNote(drawing.regularFont, marks, request.calendar.language);
    setFillColour(drawing.page, kRed);
    drawText(drawing.page, note.text, kNotesX, y, drawing.regularFont, note.size, AlignLeft);
    setFillColour(drawing.page, kBlack);
}

std::string monthCaption(const GenerationRequest& request, int month, int year) {
    if (weeksInBroadcastMonth(month, year) != 5) return monthName(request, month);
    return "*" + monthName(request, month) + "*";
}
} // namespace

PlannerNote plannerNote(HPDF_Font font, const std::vector<HolidayMark>& marks, Language language) {
    PlannerNote note;
    // The weekdays go first when the smallest size is not enough: the row's week tells them.
    for (const bool withWeekdays : {true, false}) {
        note = {holidayNote(marks, language, withWeekdays), kHolidayNoteSize};
        while (note.size > kSmallestNoteSize &&
               textWidth(font, note.size, note.text) > kPlannerNotesWidth)
            --note.size;
        if (textWidth(font, note.size, note.text) <= kPlannerNotesWidth) break;
    }
    return note;
}

// The broadcast year as one table of weekly rows with an empty budget column to fill in.
void drawPlannerPage(GenerationRequest& request) {
    DrawingState& drawing = request.drawing;
    drawing.page = HPDF_AddPage(drawing.document);
    HPDF_Page page = drawing.page;
    HPDF_Page_SetHeight(page, kPageHeight);
    HPDF_Page_SetWidth(page, kPageWidth);

    const int year = request.calendar.year;
    const DateNumber firstDay = weekdayOnOrBefore(dateNumber(1, 1, year), Monday);
    const DateNumber lastDay = weekdayOnOrBefore(dateNumber(12, 31, year), Sunday);
    int& y = drawing.runningY;
    y = kTitleY;
    const Language language = request.calendar.language;
    const std::string title =
        fillIn(translateIn(language, "BROADCAST CALENDAR %1"), {std::to_string(year)});
    drawText(page, title, kCentreX, y, drawing.boldFont,
             fittingSize(drawing.boldFont, kTitleSize, kSmallestTitleSize, title,
                         kTableRightX - kTableLeftX),
             AlignCentre);
    y += 14;
    drawRule(page, kTableLeftX, kTableRightX, y + 2, kBlack, kRuleWidth);
    y += 26;
    const int tableTop = y;
    drawHeaderBand(request, tableTop);

    y += kRowStep;
    int week = 1;
    int previousMonth = 0;
    for (DateNumber monday = firstDay; monday <= lastDay; monday += 7) {
        drawText(page, std::to_string(week), kAnchors[0], y - 2, drawing.boldFont, 9, AlignRight);
        int monthYear = 0;
        const int month = broadcastMonthOfDate(monday, monthYear);
        if (month != previousMonth) {
            previousMonth = month;
            drawText(page, monthCaption(request, month, monthYear), kAnchors[1], y - 2,
                     drawing.boldFont, 9, AlignLeft);
            // The heavy rule lies over the previous row's bottom rule, so none tops January.
            if (monday > firstDay)
                drawRule(page, kTableLeftX, kTableRightX, y - 10, kBlack, kMonthRuleWidth);
        }
        const std::vector<HolidayMark> holidays = holidayMarks(request, monday, monday + 6);
        for (int weekday = Monday; weekday <= Sunday; ++weekday) {
            const DateNumber date = monday + weekday - 1;
            int dateMonth = 0, day = 0, dateYear = 0;
            calendarDate(date, dateMonth, day, dateYear);
            const HPDF_Font font = dayFont(drawing, dateMonth);
            drawDayNumber(page, day, kAnchors[weekday + 1] + kDayInsetX, y - 2, font, 9,
                          isHoliday(holidays, date));
        }
        drawHolidayNote(request, holidays, y - 2);
        // No rule crosses the month column between weeks, so a month's name spans its weeks.
        drawRule(page, kColumnRules[0], kColumnRules[1], y + 1, kBlack, kRuleWidth);
        drawRule(page, kColumnRules[2], kTableRightX, y + 1, kBlack, kRuleWidth);
        ++week;
        y += kRowStep;
    }
    y -= kRowStep;
    const int tableHeight = y - tableTop + 1;
    drawRule(page, kTableLeftX, kTableRightX, y + 1, kBlack, kRuleWidth);
    // The bottom rule leaves the stroke black at the ordinary width for the column lines.
    for (int rule = 0; rule <= 10; ++rule)
        drawVerticalLine(page, kColumnRules[rule], tableTop, 0, tableHeight);
    drawVerticalLine(page, kTableRightX, tableTop, 0, tableHeight);

    y += kFooterGap;
    const std::string footer[] = {
        translateIn(language,
                    "Broadcast Calendar: Standard Billing Week; Monday thru Sunday \u2014 "
                    "Standard Billing Month; Ending on Last Sunday"),
        translateIn(language, "* Denotes 5-week month")};
    for (const std::string& line : footer) {
        if (&line != footer) y += kFooterStep;
        drawText(page, line, kCentreX, y, drawing.regularFont,
                 fittingSize(drawing.regularFont, kFooterSize, kSmallestFooterSize, line,
                             kTableRightX - kTableLeftX),
                 AlignCentre);
    }
    y += kFooterStep;
    drawCredit(request, kCentreX, y, kFooterSize, AlignCentre,
               static_cast<float>(kTableRightX - kTableLeftX));
    drawLogo(request);
}
