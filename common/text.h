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
// The longest credit line of the user's a calendar carries, in characters.
constexpr std::size_t kCreditLimit = 100;

// UTF-8 text as one line of at most maxCharacters characters: control characters (line breaks,
// tabs, C1 codes) and invisible ones (zero-width spaces, direction marks, the byte order mark)
// are dropped, and a malformed byte counts as one character "?".
std::string singleLineText(std::string_view utf8, std::size_t maxCharacters);
// The characters of UTF-8 text; a malformed byte counts as one.
std::size_t characterCount(std::string_view utf8);
// UTF-8 text of more than maxCharacters characters as its start, "…" and its end (a path's
// file name), maxCharacters in all; shorter text as it is.
std::string middleElided(std::string_view utf8, std::size_t maxCharacters);
// UTF-8 text in Windows code page 1252, the encoding of the PDF fonts' WinAnsiEncoding: a
// character the code page lacks becomes its nearest plain letter or punctuation, else "?".
std::string windows1252Text(std::string_view utf8);
