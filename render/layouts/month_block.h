#pragma once
#include "calendar/dates.h"
#include "calendar/holidays.h"
#include "render/request.h"

#include <string>
#include <vector>

// Days of even calendar months print bold, so a week crossing a month end shows the change.
HPDF_Font dayFont(const DrawingState& drawing, int calendarMonth);
// The week's number in the table's broadcast year, followed by "/" and its quarter label when
// the request asks for quarter designations.
std::string weekLabel(const GenerationRequest& request, const BroadcastYearTable& table, int month,
                      DateNumber monday);

// The holidays the request marks from first to last; none when it names no country.
std::vector<HolidayMark> holidayMarks(const GenerationRequest& request, DateNumber first,
                                      DateNumber last);
bool isHoliday(const std::vector<HolidayMark>& marks, DateNumber day);
// A day's number right-aligned at x. A holiday's stands in red over a red underline, a cue that
// survives a greyscale printer and leaves the weight to tell the months apart.
void drawDayNumber(HPDF_Page page, int day, int x, int y, HPDF_Font font, int size, bool holiday);

// offsets[1..7]: distance from the block's left edge to the right edge of each day column.
void drawWeekdayHeading(GenerationRequest& request, int leftX, int y, const int offsets[8],
                        int size);
DateNumber drawWeekRow(DateNumber monday, GenerationRequest& request,
                       const BroadcastYearTable& table, int leftX, int y, const int offsets[8],
                       int size, int labelX);
