#pragma once
#include "render/generate.h"

// Points the rendering's messages, document opening and main-window closing at the GUI.
void installGuiRenderSeam();

// The main window's numbered output as start-up found it: the PDF folder, the counter of the
// settings file, and whether a PDF viewer opens what is saved.
NumberedOutput numberedCalendarOutput();
