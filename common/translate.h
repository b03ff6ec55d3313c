#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

// The languages Merivane speaks, as common/languages.def lists them. Automatic follows the
// desktop as gettext reads it.
enum class Language {
    Automatic,
#define MERIVANE_LANGUAGE(name, code, nativeName, qtCatalogue, qtLocale, catalogue) name,
#include "common/languages.def"
#undef MERIVANE_LANGUAGE
};

// One line of common/languages.def.
struct LanguageInfo {
    Language language;
    const char* code;        // Zarn.ini's value, --language's and the help folder's name
    const char* nativeName;  // in the language itself, with the Language menu's "&" mnemonic
    const char* qtCatalogue; // Qt's own dialogs and buttons; "" for none
    const char* qtLocale;    // the locale Qt names months and days after
    const char* catalogue;   // the gettext name of the program's catalogue; "" for English
};

inline constexpr LanguageInfo kLanguageTable[] = {
#define MERIVANE_LANGUAGE(name, code, nativeName, qtCatalogue, qtLocale, catalogue)                \
    {Language::name, code, nativeName, qtCatalogue, qtLocale, catalogue},
#include "common/languages.def"
#undef MERIVANE_LANGUAGE
};

// The line of a language; English's for Automatic.
const LanguageInfo& languageInfo(Language language);

// Marks a text for the catalogue where it is translated later (tables of names, constants).
#define N_(english) english
// The same for a text looked up with a context (translateInContext).
#define NC_(context, english) english

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
// names the locale, and LANGUAGE overrides it unless that locale is C or POSIX: its first entry
// that names a language Merivane has, English when none does ("pt:fr" is French).
Language desktopLanguage();

// Zarn.ini's value for a language: its code, or "" for Automatic.
std::string languageSettingText(Language language);
// The language a Zarn.ini value names; anything it does not know is Automatic.
Language languageFromSettingText(std::string_view text);
// A language's code as users type it: any case, with or without a region ("fr", "FR",
// "fr-CA", "fr_CA", "es-419", "es_MX.UTF-8"); false for a language Merivane does not have.
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

// A short text whose meaning depends on where it stands, told apart in the catalogue by a
// context (pgettext): translateInContext(language, "in running text", "March") gives "mars".
const char* translateInContext(Language language, const char* context, const char* english);
// A text that counts something (ngettext): the catalogue's form for count in the language given,
// else singular for 1 and plural otherwise.
const char* translatePlural(Language language, const char* singular, const char* plural,
                            unsigned long count);

// The text with "%1" to "%9" replaced by the values in order, so a translation may move them.
std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values);
