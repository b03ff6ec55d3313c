#include "render/layouts/layouts.h"

// Work in progress: drawn by the layout's author.
void drawYearPage(GenerationRequest& request) { (void)request; }
