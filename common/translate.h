#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

// The languages Merivane speaks. Automatic follows the desktop as gettext reads it.
enum class Language { Automatic, English, French, Spanish };

// Marks a text for the catalogue where it is translated later (tables of names, constants).
#define N_(english) english

// Finds the catalogues: "locale/" beside the program (a portable copy or a build tree's bin
// folder has "../share/locale/"), else the installed share/locale. MERIVANE_LOCALEDIR, when
// set, is used instead. Call once, before any text is translated.
void startTranslations(const std::string& executableFolder);

// The language the desktop asks for: the first of LC_ALL, LC_MESSAGES and LANG that is set
// names the locale, and LANGUAGE's first entry overrides it unless that locale is C or POSIX.
Language desktopLanguage();

// Zarn.ini's value for a language: "en", "fr", "es", or "" for Automatic.
std::string languageSettingText(Language language);
// The language a Zarn.ini value names; anything it does not know is Automatic.
Language languageFromSettingText(std::string_view text);
// "en", "fr" or "es" as the command line takes it; false for anything else.
bool languageFromCode(std::string_view code, Language& language);

// The window's language; Automatic is resolved against the desktop. Takes effect for every
// text translated afterwards.
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
