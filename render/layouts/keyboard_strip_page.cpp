#include "render/layouts/layouts.h"

// Work in progress: drawn by the layout's author.
void drawKeyboardStripPage(GenerationRequest& request) { (void)request; }
