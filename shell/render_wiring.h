#pragma once
#include "render/generate.h"

// Points the rendering's messages, document opening and main-window closing at the GUI.
void installGuiRenderSeam();

// The main window's numbered output as start-up found it: the PDF folder, the number after the
// settings file's counter, and whether a PDF viewer opens what is saved. The counter itself is
// not advanced: the caller writes calendarNumberTaken() with the rest of its settings.
NumberedOutput numberedCalendarOutput();
// The number the generation given the last numberedCalendarOutput() took; 0 when it took none.
int calendarNumberTaken();
// The pages' language as Preferences keeps it.
void choosePageLanguage(CalendarRequest& request);
