// The catalogue: filling in values, the languages Zarn.ini and the desktop name, and look-ups
// through the real built catalogues, a missing one and a damaged one.
#include "common/translate.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

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

TEST(Translate, DesktopLanguageFollowsTheLocaleVariables) {
    // LANGUAGE, LC_ALL, LC_MESSAGES, LANG, and the language they name together.
    const struct {
        const char* variables[4];
        Language language;
    } rows[] = {{{"", "", "", "fr_CA.UTF-8"}, Language::French},
                {{"", "es_US.UTF-8", "", "fr_CA"}, Language::Spanish},
                {{"", "", "fr_FR@euro", "es_US"}, Language::French},
                {{"es:fr", "", "", "fr_CA.UTF-8"}, Language::Spanish},
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

TEST(Translate, LooksUpTheBuiltCataloguesAndFallsBackToEnglish) {
    const std::filesystem::path damaged =
        std::filesystem::temp_directory_path() / "merivane-damaged-locale";
    std::filesystem::create_directories(damaged / "fr/LC_MESSAGES");
    std::ofstream(damaged / "fr/LC_MESSAGES/merivane.mo") << "\xde\x12\x04\x95 not a catalogue";
    const struct {
        std::string folder;
        const char* french;
        const char* spanish;
    } rows[] = {{MERIVANE_LOCALE_DIR, "A&nnuler", "&Cancelar"},
                {"/nonexistent", "&Cancel", "&Cancel"},
                {damaged.string(), "&Cancel", "&Cancel"}};
    for (const auto& row : rows) {
        setenv("MERIVANE_LOCALEDIR", row.folder.c_str(), 1);
        startTranslations("");
        setWindowLanguage(Language::French);
        EXPECT_STREQ(translate("&Cancel"), row.french) << row.folder;
        EXPECT_STREQ(translateIn(Language::Spanish, "&Cancel"), row.spanish) << row.folder;
        // The window keeps its language after a look-up in another, which Automatic follows.
        EXPECT_STREQ(translate("&Cancel"), row.french) << row.folder;
        EXPECT_STREQ(translateIn(Language::Automatic, "&Cancel"), row.french) << row.folder;
        EXPECT_STREQ(translate("No such text"), "No such text");
        setWindowLanguage(Language::English);
        EXPECT_STREQ(translate("&Cancel"), "&Cancel");
    }
    std::filesystem::remove_all(damaged);
}

} // namespace
