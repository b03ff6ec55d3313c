#pragma once
#include <string>
#include <string_view>
#include <vector>

// The text with the given blank characters removed from both ends.
std::string trimBlanks(std::string_view text, std::string_view blanks = " \t");
// Every piece between separators, empty ones included: "a||b" gives "a", "", "b".
std::vector<std::string> splitText(std::string_view text, char separator);
