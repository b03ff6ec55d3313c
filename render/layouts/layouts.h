#pragma once
#include "render/request.h"

// One routine per calendar style; each adds its own page or pages to the request's document.
void drawMonthPage(GenerationRequest& request, int month);
void drawQuarterPage(GenerationRequest& request, int firstMonth);
void drawYearPage(GenerationRequest& request);
void drawThreeYearPage(GenerationRequest& request);
void drawKeyboardStripPage(GenerationRequest& request);
void drawPlannerPage(GenerationRequest& request);

// The footer's one-line credit, shared by every layout that has a footer.
extern const char* const kCreditLine;
