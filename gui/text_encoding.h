#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The character encodings rich and plain text arrive in.

// A Windows-1252 byte as a code point; the five unassigned bytes give the replacement character.
char32_t windows1252ToUnicode(unsigned char byte);
void appendUtf8(std::string& text, char32_t codePoint);
// Control characters other than tab and line break would show as boxes or upset the layout.
bool isShownCodePoint(char32_t codePoint);
// Length of the UTF-8 sequence starting at text[position], or 0 when it is not valid UTF-8;
// codePoint receives its value.
std::size_t decodeUtf8(std::string_view text, std::size_t position, char32_t& codePoint);
bool isValidUtf8(std::string_view text);
