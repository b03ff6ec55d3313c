#pragma once
#include "calendar/dates.h"
#include "render/request.h"

// offsets[1..7]: distance from the block's left edge to the right edge of each day column.
void drawWeekdayHeading(GenerationRequest& request, int leftX, int y, const int offsets[8],
                        int size);
DateNumber drawWeekRow(DateNumber monday, GenerationRequest& request, int leftX, int y,
                       const int offsets[8], int size, int labelX);
