// The catalogue: filling in values, the languages Zarn.ini and the desktop name, and look-ups
// through the real built catalogues, a missing one and a damaged one.
#include "common/translate.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(Translate, FillInPutsEachValueInItsPlace) {
    const struct {
        const char* text;
        std::initializer_list<std::string_view> values;
        const char* filled;
    } rows[] = {{"Week %1 of %2", {"3", "9"}, "Week 3 of 9"},
                {"%2 %1", {"a", "b"}, "b a"},
                {"%1%", {"5"}, "5%"},
                {"%3 and %", {"a"}, "%3 and %"},
                {"%1%1", {"x"}, "xx"},
                {"%9%8", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, "98"}};
    for (const auto& row : rows)
        EXPECT_EQ(fillIn(row.text, row.values), row.filled) << row.text;
}

TEST(Translate, SettingTextsNameOnlyTheThreeLanguages) {
    const std::pair<std::string_view, Language> rows[] = {
        {"en", Language::English},     {"fr", Language::French},
        {"es", Language::Spanish},     {"", Language::Automatic},
        {"FR", Language::Automatic},   {"de", Language::Automatic},
        {"fr\n", Language::Automatic}, {std::string_view("f\0r", 3), Language::Automatic}};
    for (const auto& [text, language] : rows)
        EXPECT_EQ(languageFromSettingText(text), language) << text;
}

// --language takes what users type: any case, with a region.
TEST(Translate, LanguageCodesTakeCaseAndRegion) {
    const std::pair<std::string_view, Language> known[] = {
        {"fr", Language::French},           {"FR", Language::French},
        {"fr-CA", Language::French},        {"fr_CA", Language::French},
        {"Es-419", Language::Spanish},      {"es_MX", Language::Spanish},
        {"es_US.UTF-8", Language::Spanish}, {"EN-us", Language::English}};
    for (const auto& [code, wanted] : known) {
        Language language = Language::Automatic;
        EXPECT_TRUE(languageFromCode(code, language)) << code;
        EXPECT_EQ(language, wanted) << code;
    }
    for (const std::string_view code : {"", "de", "fra", "f", "pt-BR", "-fr", "french"}) {
        Language language = Language::Automatic;
        EXPECT_FALSE(languageFromCode(code, language)) << code;
    }
}

TEST(Translate, DesktopLanguageFollowsTheLocaleVariables) {
    // LANGUAGE, LC_ALL, LC_MESSAGES, LANG, and the language they name together.
    const struct {
        const char* variables[4];
        Language language;
    } rows[] = {{{"", "", "", "fr_CA.UTF-8"}, Language::French},
                {{"", "es_US.UTF-8", "", "fr_CA"}, Language::Spanish},
                {{"", "", "fr_FR@euro", "es_US"}, Language::French},
                {{"es:fr", "", "", "fr_CA.UTF-8"}, Language::Spanish},
                // A list is read until a language Merivane has, as gettext reads it.
                {{"pt:fr", "", "", "en_US.UTF-8"}, Language::French},
                {{"pt_BR:de:es_MX", "", "", "fr_CA.UTF-8"}, Language::Spanish},
                {{"pt:en:fr", "", "", "es_US.UTF-8"}, Language::English},
                {{"pt", "", "", "es_US.UTF-8"}, Language::English},
                {{"fr:es:en", "", "", "es_US.UTF-8"}, Language::French},
                {{"es@euro", "", "", "fr_CA.UTF-8"}, Language::Spanish},
                {{"fr", "", "", "C"}, Language::English},
                {{"es", "", "POSIX", "fr_CA"}, Language::English},
                {{"", "", "", "de_DE.UTF-8"}, Language::English},
                {{"", "", "", ""}, Language::English}};
    const char* names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    for (const auto& row : rows) {
        for (int i = 0; i < 4; ++i)
            setenv(names[i], row.variables[i], 1);
        EXPECT_EQ(desktopLanguage(), row.language) << row.variables[0] << "|" << row.variables[3];
    }
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void putWord(std::string& bytes, std::size_t at, std::uint32_t word) {
    std::memcpy(bytes.data() + at, &word, sizeof word);
}

std::uint32_t wordIn(const std::string& bytes, std::size_t at) {
    std::uint32_t word = 0;
    std::memcpy(&word, bytes.data() + at, sizeof word);
    return word;
}

// The built catalogues, copies in a program's folder, and damaged ones: each is French or
// English, never a crash or a hang. A portable copy never reads its parent folder's.
TEST(Translate, LooksUpTheBuiltCataloguesAndFallsBackToEnglish) {
    char pattern[] = "/tmp/merivane-catalogues-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const std::string catalogue = "fr/LC_MESSAGES/merivane.mo";
    std::ifstream built(fs::path(MERIVANE_LOCALE_DIR) / catalogue, std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(built), {}};
    ASSERT_GT(whole.size(), 100u);
    std::string pastEnd = whole, badHash = whole, tableOutside = whole;
    for (std::uint32_t at = 0; at < wordIn(whole, 8); ++at)
        putWord(pastEnd, wordIn(whole, 16) + at * 8 + 4, 0x40000000);
    for (std::uint32_t at = 0; at < wordIn(whole, 20); ++at)
        putWord(badHash, wordIn(whole, 24) + at * 4, 1);
    putWord(tableOutside, 12, 0xfffffff0);
    writeBytes(root / "cut" / catalogue, whole.substr(0, whole.size() / 2));
    writeBytes(root / "past-end" / catalogue, pastEnd);
    writeBytes(root / "bad-hash" / catalogue, badHash);
    writeBytes(root / "outside" / catalogue, tableOutside);
    writeBytes(root / "short" / catalogue, "\xde\x12\x04\x95 not a catalogue");
    fs::create_directories(root / "fifo/fr/LC_MESSAGES");
    ASSERT_EQ(mkfifo((root / "fifo" / catalogue).c_str(), 0600), 0);
    // A program folder copied whole, and a portable copy whose parent folder, which others may
    // write, holds what an installed copy would read.
    writeBytes(root / "copy/bin/locale" / catalogue, whole);
    writeBytes(root / "shared/share/locale" / catalogue, whole);
    fs::create_directories(root / "shared/share/merivane/help");
    fs::create_directories(root / "shared/bin");
    fs::permissions(root / "shared", fs::perms::all);
    const struct {
        std::string localeFolder; // MERIVANE_LOCALEDIR, when not empty
        std::string executableFolder;
        const char* french;
    } rows[] = {{MERIVANE_LOCALE_DIR, "", "A&nnuler"},
                {"/nonexistent", "", "&Cancel"},
                {(root / "short").string(), "", "&Cancel"},
                {(root / "cut").string(), "", "&Cancel"},
                {(root / "past-end").string(), "", "&Cancel"},
                {(root / "bad-hash").string(), "", "&Cancel"},
                {(root / "outside").string(), "", "&Cancel"},
                {(root / "fifo").string(), "", "&Cancel"},
                {"", (root / "copy/bin").string(), "A&nnuler"},
                {"", (root / "shared/bin").string(), "&Cancel"}};
    // A hang in a look-up ends the run here rather than at the suite's limit.
    alarm(30);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.localeFolder + row.executableFolder);
        if (row.localeFolder.empty())
            unsetenv("MERIVANE_LOCALEDIR");
        else
            setenv("MERIVANE_LOCALEDIR", row.localeFolder.c_str(), 1);
        startTranslations(row.executableFolder);
        const bool french = std::string_view(row.french) != "&Cancel";
        EXPECT_EQ(catalogueReadable(Language::French), french);
        setWindowLanguage(Language::French);
        EXPECT_STREQ(translate("&Cancel"), row.french);
        EXPECT_STREQ(translateIn(Language::French, "&Cancel"), row.french);
        // The window keeps its language after a look-up in another, which Automatic follows.
        translateIn(Language::Spanish, "&Cancel");
        EXPECT_STREQ(translate("&Cancel"), row.french);
        EXPECT_STREQ(translateIn(Language::Automatic, "&Cancel"), row.french);
        EXPECT_STREQ(translate("No such text"), "No such text");
        setWindowLanguage(Language::English);
        EXPECT_STREQ(translate("&Cancel"), "&Cancel");
    }
    alarm(0);
    setenv("MERIVANE_LOCALEDIR", MERIVANE_LOCALE_DIR, 1);
    startTranslations("");
    EXPECT_STREQ(translateIn(Language::Spanish, "&Cancel"), "&Cancelar");
    fs::remove_all(root);
}

} // namespace
