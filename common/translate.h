#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

// The languages Merivane speaks. Automatic follows the desktop as gettext reads it.
enum class Language { Automatic, English, French, Spanish };

// Marks a text for the catalogue where it is translated later (tables of names, constants).
#define N_(english) english

// Finds the catalogues: the installed share/locale of an installed copy whose folders no other
// user can write, else "locale/" beside the program (a portable copy, the build's bin folder);
// MERIVANE_LOCALEDIR, when set, is used instead. Each catalogue is checked to be whole before
// gettext may read it; a language without one is spoken in English. Call before any text is
// translated.
void startTranslations(const std::string& executableFolder);
// False when the language's catalogue is missing or damaged (English always has one).
bool catalogueReadable(Language language);
// The file the language's catalogue is read from, to name it when it cannot be read.
std::string cataloguePath(Language language);

// The language the desktop asks for: the first of LC_ALL, LC_MESSAGES and LANG that is set
// names the locale, and LANGUAGE's first entry overrides it unless that locale is C or POSIX.
Language desktopLanguage();

// Zarn.ini's value for a language: "en", "fr", "es", or "" for Automatic.
std::string languageSettingText(Language language);
// The language a Zarn.ini value names; anything it does not know is Automatic.
Language languageFromSettingText(std::string_view text);
// "en", "fr" or "es" as the command line takes it; false for anything else.
bool languageFromCode(std::string_view code, Language& language);

// The window's language; Automatic is resolved against the desktop, and a language whose
// catalogue cannot be read is English. Takes effect for every text translated afterwards.
// The environment children inherit is never changed.
void setWindowLanguage(Language language);
// The window's language as resolved (never Automatic).
Language windowLanguage();

// A text of the program's own in the window's language; the English itself when the catalogue
// has no translation or cannot be read. The result lives as long as the program.
const char* translate(const char* english);
// The same text in another language (pages may be printed in a language of their own);
// Automatic means the window's language.
const char* translateIn(Language language, const char* english);

// The text with "%1" to "%9" replaced by the values in order, so a translation may move them.
std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values);
