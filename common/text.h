#pragma once
#include <string>
#include <string_view>
#include <vector>

// The text with the given blank characters removed from both ends.
std::string trimBlanks(std::string_view text, std::string_view blanks = " \t");
// Every piece between separators, empty ones included: "a||b" gives "a", "", "b".
std::vector<std::string> splitText(std::string_view text, char separator);

// The text with a lower-case ASCII first letter made a capital. French and Spanish day names
// are written in lower case within a sentence, as the catalogue keeps them, and capitalised
// where they stand alone: a heading, a table's cell.
std::string capitalFirstLetter(std::string text);
