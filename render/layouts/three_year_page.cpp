#include "render/layouts/layouts.h"

// Work in progress: drawn by the layout's author.
void drawThreeYearPage(GenerationRequest& request) { (void)request; }
