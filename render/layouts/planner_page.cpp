#include "render/layouts/layouts.h"

// Work in progress: drawn by the layout's author.
void drawPlannerPage(GenerationRequest& request) { (void)request; }
