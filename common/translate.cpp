#include "common/translate.h"

#include "common/owned_folder.h"

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <libintl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// glibc's catalogue cache counter: raising it makes gettext look at LANGUAGE again.
extern "C" int _nl_msg_cat_cntr;

namespace {

constexpr const char* kDomain = "merivane";
constexpr const char* kLocaleFolderVariable = "MERIVANE_LOCALEDIR";
// An installed copy's catalogues, relative to its bin folder.
constexpr const char* kInstalledLocaleFolder = MERIVANE_INSTALLED_LOCALEDIR;

// gettext reads the language from the environment, so switching it for one look-up must not
// meet another thread's look-up.
std::mutex languageLock;
Language currentWindowLanguage = Language::English;
// The folder the catalogues are read from, and the languages whose catalogue there is whole.
std::string catalogueFolder;
std::vector<Language> readableCatalogues;

const char* codeOf(Language language) {
    return languageInfo(language).code;
}

// A catalogue larger than this is not one of ours.
constexpr std::uint64_t kMaxCatalogueBytes = 16 * 1024 * 1024;
constexpr std::uint32_t kCatalogueMagic = 0x950412de;
constexpr std::size_t kCatalogueHeaderBytes = 28;

struct CatalogueBytes {
    const unsigned char* data;
    std::uint64_t size;
    bool swapped; // written on a machine of the other byte order
};

std::uint32_t wordAt(const CatalogueBytes& file, std::uint64_t offset) {
    std::uint32_t word = 0;
    std::memcpy(&word, file.data + offset, sizeof word);
    return file.swapped ? __builtin_bswap32(word) : word;
}

// A table of `count` (length, offset) pairs at `at`, each naming a string and its closing NUL
// inside the file.
bool stringTableFits(const CatalogueBytes& file, std::uint64_t at, std::uint64_t count) {
    if (at % 4 != 0 || at > file.size || count > (file.size - at) / 8) return false;
    for (std::uint64_t index = 0; index < count; ++index) {
        const std::uint64_t length = wordAt(file, at + index * 8);
        const std::uint64_t offset = wordAt(file, at + index * 8 + 4);
        if (offset >= file.size || length >= file.size - offset) return false;
        if (file.data[offset + length] != '\0') return false;
    }
    return true;
}

// A compiled gettext catalogue (.mo), all numbers 32-bit words in the writer's byte order:
//    0  magic 0x950412de (read as 0xde120495 when written in the other byte order)
//    4  revision: major in the high 16 bits; 0, or 1 without system-dependent strings
//    8  N, the number of strings
//   12  offset of the original strings' table: N pairs of (length, offset)
//   16  offset of the translations' table: N pairs of (length, offset)
//   20  S, the hash table's size in words
//   24  offset of the hash table: S words, each 0 (empty) or a string's index + 1
//   (revision 1) 28 system-dependent segments, 36 system-dependent strings: counts, 0 here
// Each string ends with a NUL after its length. gettext trusts all of this, so a file cut short
// or with a bad offset makes it read out of bounds, and a hash table with no empty slot makes
// a look-up of a missing text go round for ever.
bool catalogueIsWhole(const CatalogueBytes& file) {
    if (file.size < kCatalogueHeaderBytes) return false;
    const std::uint32_t revision = wordAt(file, 4);
    const std::uint64_t count = wordAt(file, 8);
    const std::uint64_t hashSize = wordAt(file, 20);
    const std::uint64_t hashAt = wordAt(file, 24);
    if (revision >> 16 > 1) return false;
    if (revision >> 16 == 1 && (file.size < 40 || wordAt(file, 28) != 0 || wordAt(file, 36) != 0))
        return false;
    if (!stringTableFits(file, wordAt(file, 12), count) ||
        !stringTableFits(file, wordAt(file, 16), count))
        return false;
    if (hashSize == 0) return true;
    if (hashAt % 4 != 0 || hashAt > file.size || hashSize > (file.size - hashAt) / 4) return false;
    bool anyEmpty = false;
    for (std::uint64_t index = 0; index < hashSize; ++index) {
        const std::uint32_t entry = wordAt(file, hashAt + index * 4);
        if (entry > count) return false;
        anyEmpty = anyEmpty || entry == 0;
    }
    return anyEmpty || hashSize <= 2;
}

// True when path is a regular file (never a link, FIFO or device, which would hang the open or
// the read) of a sane size holding a whole catalogue.
bool isReadableCatalogue(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    std::vector<unsigned char> bytes;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= 4 &&
        static_cast<std::uint64_t>(status.st_size) <= kMaxCatalogueBytes)
        bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    if (bytes.empty() || done != bytes.size()) return false;
    std::uint32_t magic = 0;
    std::memcpy(&magic, bytes.data(), sizeof magic);
    if (magic != kCatalogueMagic && magic != __builtin_bswap32(kCatalogueMagic)) return false;
    return catalogueIsWhole({bytes.data(), bytes.size(), magic != kCatalogueMagic});
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

// gettext ignores LANGUAGE under the C locale, which a session without a locale has.
void useMessagesLocaleLocked() {
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (messages == nullptr || std::strcmp(messages, "C") == 0 ||
        std::strcmp(messages, "POSIX") == 0)
        std::setlocale(LC_MESSAGES, "C.UTF-8");
}

bool catalogueReadableLocked(Language language) {
    for (const Language readable : readableCatalogues)
        if (readable == language) return true;
    return language == Language::English;
}

// Runs a gettext look-up in language's catalogue. gettext takes the language from LANGUAGE,
// which is set for the look-up only and then put back as the caller had it: every process the
// program starts inherits the caller's environment, not the window's language.
template <typename LookUp> const char* inLanguageLocked(Language language, LookUp lookUp) {
    const char* callers = std::getenv("LANGUAGE");
    const std::string callersLanguage = callers != nullptr ? callers : "";
    setenv("LANGUAGE", languageInfo(language).catalogue, 1);
    useMessagesLocaleLocked();
    ++_nl_msg_cat_cntr;
    const char* translated = lookUp();
    if (callers != nullptr)
        setenv("LANGUAGE", callersLanguage.c_str(), 1);
    else
        unsetenv("LANGUAGE");
    return translated;
}

// One text in language's catalogue, or the English when there is none.
const char* lookUpLocked(Language language, const char* english) {
    if (language == Language::English || english[0] == '\0' || !catalogueReadableLocked(language))
        return english;
    return inLanguageLocked(language, [english] { return dgettext(kDomain, english); });
}

} // namespace

std::string cataloguePath(Language language) {
    const std::lock_guard<std::mutex> held(languageLock);
    return catalogueFolder + "/" + languageInfo(language).catalogue + "/LC_MESSAGES/" + kDomain +
           ".mo";
}

bool catalogueReadable(Language language) {
    const std::lock_guard<std::mutex> held(languageLock);
    return catalogueReadableLocked(language);
}

void startTranslations(const std::string& executableFolder) {
    std::string folder = environmentText(kLocaleFolderVariable);
    // An installed copy reads the installed catalogues, any other copy only its own folder's.
    if (folder.empty()) folder = installedFolderFor(executableFolder, kInstalledLocaleFolder);
    if (folder.empty()) folder = executableFolder + "/locale";
    const std::lock_guard<std::mutex> held(languageLock);
    catalogueFolder = folder;
    readableCatalogues.clear();
    for (const LanguageInfo& info : kLanguageTable) {
        if (info.catalogue[0] == '\0') continue;
        const std::string path = folder + "/" + info.catalogue + "/LC_MESSAGES/" + kDomain + ".mo";
        if (isReadableCatalogue(path)) readableCatalogues.push_back(info.language);
    }
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
    // Without its catalogue a language is spoken in English.
    currentWindowLanguage = catalogueReadableLocked(language) ? language : Language::English;
    useMessagesLocaleLocked();
}

Language windowLanguage() {
    return currentWindowLanguage;
}

const char* translate(const char* english) {
    const std::lock_guard<std::mutex> held(languageLock);
    return lookUpLocked(currentWindowLanguage, english);
}

const char* translateIn(Language language, const char* english) {
    if (language == Language::Automatic) language = windowLanguage();
    const std::lock_guard<std::mutex> held(languageLock);
    return lookUpLocked(language, english);
}

const char* translateInContext(Language language, const char* context, const char* english) {
    if (language == Language::Automatic) language = windowLanguage();
    const std::lock_guard<std::mutex> held(languageLock);
    if (language == Language::English || !catalogueReadableLocked(language)) return english;
    // gettext keeps a context and its text as one key, joined by EOT.
    const std::string key = std::string(context) + '\004' + english;
    const char* found =
        inLanguageLocked(language, [&key] { return dgettext(kDomain, key.c_str()); });
    return found == key.c_str() ? english : found;
}

const char* translatePlural(Language language, const char* singular, const char* plural,
                            unsigned long count) {
    if (language == Language::Automatic) language = windowLanguage();
    const std::lock_guard<std::mutex> held(languageLock);
    if (language == Language::English || !catalogueReadableLocked(language))
        return count == 1 ? singular : plural;
    return inLanguageLocked(language,
                            [&] { return dngettext(kDomain, singular, plural, count); });
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
