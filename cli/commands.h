#pragma once
// Commands of merivane-cli beside pdf; each takes main's arguments (argv[1] is the command)
// and returns the exit status.
#include <string>
#include <string_view>

int runWeeksCommand(int argc, char** argv);
int runIcsCommand(int argc, char** argv);
int runDateCommand(int argc, char** argv);

// Appends one iCalendar content line with its CRLF to out, folded as RFC 5545 asks.
void appendContentLine(std::string& out, std::string_view line);
