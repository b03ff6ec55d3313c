#pragma once
// Commands of merivane-cli beside pdf; each takes main's arguments (argv[1] is the command)
// and returns the exit status.

int runWeeksCommand(int argc, char** argv);
int runIcsCommand(int argc, char** argv);
int runDateCommand(int argc, char** argv);
int runDaysCommand(int argc, char** argv);
