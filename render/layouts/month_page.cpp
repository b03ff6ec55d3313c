#include "render/layouts/layouts.h"

// Work in progress: drawn by the layout's author.
void drawMonthPage(GenerationRequest& request, int month) { (void)request; (void)month; }
