#pragma once
#include "calendar/dates.h"

#include <string>

// The main window, form "MF": the year, the six styles with their previews, and Generate.

// Creates the main window with its menu bar; returns at once.
void CreateMainWindow();
void mainWindowDesign();
void mainWindowEvents(int controlId, int eventCode, int value, int& cancel);

// The year to propose: next year from October on, else this year; four digits.
std::string IntelligentYear();

// The date number of a date text "M-D-Y" (order "MDY") or "Y-M-D" (order "YMD"); "/" may stand
// for "-". An empty text is today, and order becomes "MDY". 0 after a message when a field
// reads as 0.
DateNumber Date2JulianDate(std::string text, std::string& order);
