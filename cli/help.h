#pragma once
// The help merivane-cli prints: a summary of every command, or one command's usage alone.
#include <string>

// The summary when command is empty, else that command's help; false for a name that is no
// command.
bool helpText(const std::string& command, std::string& text);
