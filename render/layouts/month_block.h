#pragma once
#include "calendar/dates.h"
#include "render/request.h"

#include <string>

// Days of even calendar months print bold, so a week crossing a month end shows the change.
HPDF_Font dayFont(const DrawingState& drawing, int calendarMonth);
// The week's number in the table's broadcast year, followed by "/" and its quarter label when
// the request asks for quarter designations.
std::string weekLabel(const GenerationRequest& request, const BroadcastYearTable& table, int month,
                      DateNumber monday);

// offsets[1..7]: distance from the block's left edge to the right edge of each day column.
void drawWeekdayHeading(GenerationRequest& request, int leftX, int y, const int offsets[8],
                        int size);
DateNumber drawWeekRow(DateNumber monday, GenerationRequest& request,
                       const BroadcastYearTable& table, int leftX, int y, const int offsets[8],
                       int size, int labelX);
