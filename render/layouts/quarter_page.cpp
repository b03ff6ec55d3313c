#include "render/layouts/layouts.h"

// Work in progress: drawn by the layout's author.
void drawQuarterPage(GenerationRequest& request, int firstMonth) { (void)request; (void)firstMonth; }
