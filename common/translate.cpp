#include "common/translate.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <libintl.h>
#include <mutex>
#include <sys/stat.h>
#include <vector>

// glibc's catalogue cache counter: raising it makes gettext look at LANGUAGE again.
extern "C" int _nl_msg_cat_cntr;

namespace {

constexpr const char* kDomain = "merivane";
constexpr const char* kLocaleFolderVariable = "MERIVANE_LOCALEDIR";

// gettext reads the language from the environment, so switching it for one look-up must not
// meet another thread's look-up.
std::mutex languageLock;
Language currentWindowLanguage = Language::English;

const char* codeOf(Language language) {
    return languageInfo(language).code;
}

bool isFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool holdsCatalogues(const std::string& folder) {
    for (const LanguageInfo& info : kLanguageTable)
        if (info.catalogue[0] != '\0' &&
            isFile(folder + "/" + info.catalogue + "/LC_MESSAGES/" + kDomain + ".mo"))
            return true;
    return false;
}

std::string environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// "fr_CA.UTF-8", "fr", "es_US@euro" name their language by the letters before any "_", "-",
// "." or "@".
std::string_view languagePart(std::string_view name) {
    return name.substr(0, name.find_first_of("_-.@"));
}

Language languageOfLocaleName(std::string_view name) {
    Language language = Language::English;
    languageFromCode(name, language);
    return language;
}

// LANGUAGE is a list, "pt:fr": as gettext does, the first entry Merivane has a language for wins.
bool firstKnownLanguage(std::string_view list, Language& language) {
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        if (languageFromCode(list.substr(0, colon), language)) return true;
        if (colon == std::string_view::npos) break;
        list.remove_prefix(colon + 1);
    }
    return false;
}

bool sameLetters(std::string_view typed, std::string_view code) {
    if (typed.size() != code.size()) return false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const char c =
            typed[i] >= 'A' && typed[i] <= 'Z' ? static_cast<char>(typed[i] + 32) : typed[i];
        if (c != code[i]) return false;
    }
    return true;
}

void useLanguageLocked(Language language) {
    setenv("LANGUAGE", codeOf(language), 1);
    // gettext ignores LANGUAGE under the C locale, which a session without a locale has.
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (messages == nullptr || std::strcmp(messages, "C") == 0 ||
        std::strcmp(messages, "POSIX") == 0)
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    ++_nl_msg_cat_cntr;
}

} // namespace

void startTranslations(const std::string& executableFolder) {
    std::string folder = environmentText(kLocaleFolderVariable);
    if (folder.empty()) {
        const std::vector<std::string> candidates = {executableFolder + "/locale",
                                                     executableFolder + "/../share/locale"};
        folder = MERIVANE_INSTALLED_LOCALEDIR;
        for (const std::string& candidate : candidates) {
            if (!holdsCatalogues(candidate)) continue;
            folder = candidate;
            break;
        }
    }
    const std::lock_guard<std::mutex> held(languageLock);
    bindtextdomain(kDomain, folder.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
}

Language desktopLanguage() {
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environmentText(name);
        if (!locale.empty()) break;
    }
    const std::string languages = environmentText("LANGUAGE");
    // As gettext: a list with no language Merivane has leaves the texts in English.
    Language language = Language::English;
    if (!languages.empty() && !locale.empty() && locale != "C" && locale != "POSIX") {
        firstKnownLanguage(languages, language);
        return language;
    }
    return languageOfLocaleName(locale);
}

std::string languageSettingText(Language language) {
    return language == Language::Automatic ? "" : codeOf(language);
}

Language languageFromSettingText(std::string_view text) {
    // Zarn.ini holds a code exactly as languageSettingText wrote it.
    for (const LanguageInfo& info : kLanguageTable)
        if (text == info.code) return info.language;
    return Language::Automatic;
}

bool languageFromCode(std::string_view code, Language& language) {
    const std::string_view letters = languagePart(code);
    for (const LanguageInfo& info : kLanguageTable) {
        if (!sameLetters(letters, info.code)) continue;
        language = info.language;
        return true;
    }
    return false;
}

const LanguageInfo& languageInfo(Language language) {
    for (const LanguageInfo& info : kLanguageTable)
        if (info.language == language) return info;
    return kLanguageTable[0];
}

void setWindowLanguage(Language language) {
    if (language == Language::Automatic) language = desktopLanguage();
    const std::lock_guard<std::mutex> held(languageLock);
    currentWindowLanguage = language;
    useLanguageLocked(language);
}

Language windowLanguage() {
    return currentWindowLanguage;
}

const char* translate(const char* english) {
    const std::lock_guard<std::mutex> held(languageLock);
    if (currentWindowLanguage == Language::English || english[0] == '\0') return english;
    return dgettext(kDomain, english);
}

const char* translateIn(Language language, const char* english) {
    if (language == Language::Automatic) language = windowLanguage();
    if (language == windowLanguage()) return translate(english);
    if (language == Language::English || english[0] == '\0') return english;
    const std::lock_guard<std::mutex> held(languageLock);
    useLanguageLocked(language);
    const char* translated = dgettext(kDomain, english);
    useLanguageLocked(currentWindowLanguage);
    return translated;
}

const char* translateInContext(Language language, const char* context, const char* english) {
    if (language == Language::Automatic) language = windowLanguage();
    if (language == Language::English) return english;
    // gettext keeps a context and its text as one key, joined by EOT.
    const std::string key = std::string(context) + '\004' + english;
    const std::lock_guard<std::mutex> held(languageLock);
    if (language != currentWindowLanguage) useLanguageLocked(language);
    const char* found = dgettext(kDomain, key.c_str());
    if (language != currentWindowLanguage) useLanguageLocked(currentWindowLanguage);
    return found == key.c_str() ? english : found;
}

const char* translatePlural(Language language, const char* singular, const char* plural,
                            unsigned long count) {
    if (language == Language::Automatic) language = windowLanguage();
    if (language == Language::English) return count == 1 ? singular : plural;
    const std::lock_guard<std::mutex> held(languageLock);
    if (language != currentWindowLanguage) useLanguageLocked(language);
    const char* found = dngettext(kDomain, singular, plural, count);
    if (language != currentWindowLanguage) useLanguageLocked(currentWindowLanguage);
    return found;
}

std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char next = at + 1 < text.size() ? text[at + 1] : '\0';
        const std::size_t index = static_cast<std::size_t>(next - '1');
        if (text[at] != '%' || next < '1' || next > '9' || index >= values.size()) {
            filled += text[at];
            continue;
        }
        filled += values.begin()[index];
        ++at;
    }
    return filled;
}
