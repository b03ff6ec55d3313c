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

struct LanguageNames {
    Language language;
    const char* code;
};

constexpr LanguageNames kLanguageNames[] = {
    {Language::English, "en"},
    {Language::French, "fr"},
    {Language::Spanish, "es"},
};

const char* codeOf(Language language) {
    for (const LanguageNames& names : kLanguageNames)
        if (names.language == language) return names.code;
    return "en";
}

bool isFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool holdsCatalogues(const std::string& folder) {
    for (const LanguageNames& names : kLanguageNames)
        if (isFile(folder + "/" + names.code + "/LC_MESSAGES/" + kDomain + ".mo")) return true;
    return false;
}

std::string environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// "fr_CA.UTF-8", "fr", "es_US@euro" name their language by the letters before any "_", "."
// or "@".
Language languageOfLocaleName(std::string_view name) {
    const std::string_view code = name.substr(0, name.find_first_of("_.@"));
    Language language = Language::English;
    if (code == "fr" || code == "es") languageFromCode(code, language);
    return language;
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
    if (!languages.empty() && !locale.empty() && locale != "C" && locale != "POSIX")
        return languageOfLocaleName(languages.substr(0, languages.find(':')));
    return languageOfLocaleName(locale);
}

std::string languageSettingText(Language language) {
    return language == Language::Automatic ? "" : codeOf(language);
}

Language languageFromSettingText(std::string_view text) {
    Language language = Language::Automatic;
    if (!languageFromCode(text, language)) return Language::Automatic;
    return language;
}

bool languageFromCode(std::string_view code, Language& language) {
    for (const LanguageNames& names : kLanguageNames) {
        if (code != names.code) continue;
        language = names.language;
        return true;
    }
    return false;
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
