// The version file as it comes from the network, the version numbers and the site address.
#include "program/paths.h"
#include "update/update_state.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct VersionCase {
    const char* what;
    std::string text;
    bool valid;
    std::int64_t number;
    std::string installer;
    std::string notes;
};

} // namespace

TEST(VersionFile, WellFormedAndMalformedFilesAreReadSafely) {
    static const char kElf[] = "\x7f"
                               "ELF\x02\x01\x01\0\0\0\r\nhttps://h/Z.exe\r\n6.0.0.9";
    const std::string binary(kElf, sizeof kElf - 1);
    const VersionCase cases[] = {
        {"four lines", "Zarn\r\nhttps://h/u/Zarn_6001.exe\r\nFixed A|Fixed B\r\n6.0.0.1", true,
         6001, "https://h/u/Zarn_6001.exe", "Fixed A|Fixed B"},
        {"three lines", "Zarn\r\nhttps://h/Z.exe\r\n6.0.0.2", true, 6002, "https://h/Z.exe", ""},
        {"five lines keep no notes", "a\r\nhttps://h/Z.exe\r\nnotes\r\nmore\r\n7.0.0.0", true, 7000,
         "https://h/Z.exe", ""},
        {"trailing line break", "a\r\nhttps://h/Z.exe\r\nn\r\n6.0.0.1\r\n", true, 0,
         "https://h/Z.exe", ""},
        {"lone line feeds", "a\nhttps://h/Z.exe\nn\n6.0.0.1", false, 0, "", ""},
        {"one line", "6.0.0.1", false, 0, "", ""},
        {"two lines", "x\r\n6.0.0.1", false, 0, "", ""},
        {"empty", "", false, 0, "", ""},
        {"binary", binary, false, 0, "", ""},
        {"no digits", "a\r\nhttps://h/Z.exe\r\nn\r\nsix", true, 0, "https://h/Z.exe", "n"},
        {"too many digits", "a\r\nb\r\nc\r\n9999999999.9999999999", true, 0, "b", "c"},
        {"suffix ignored", "a\r\nb\r\nc\r\n6.0.0.3 beta", true, 6003, "b", "c"},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.what);
        const VersionFile file = parseVersionFile(c.text);
        EXPECT_EQ(file.valid, c.valid);
        EXPECT_EQ(file.versionNumber, c.number);
        EXPECT_EQ(file.installerAddress, c.installer);
        EXPECT_EQ(file.notesLine, c.notes);
    }
}

TEST(VersionFile, ProgramVersionAndMajorSteps) {
    EXPECT_EQ(programVersionNumber(), 6000);
    EXPECT_EQ(programVersionText(), "6.0.0.0");
    const std::pair<const char*, bool> versions[] = {
        {"7.0.0.0", true}, {"6.4.0.0", false}, {"6.5.0.0", false}, {"6.6.0.0", true},
        {"5.0.0.0", true}, {"6.0.0.1", false}, {"", true},         {"6", false},
    };
    for (const auto& [version, major] : versions)
        EXPECT_EQ(isMajorUpdate(version), major) << version;
}

TEST(VersionFile, SiteAddressFromTheSettingsFileEndsWithASlash) {
    char pattern[] = "/tmp/merivane-site-XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern);
    global::settingsPath = (folder / "Zarn.ini").string();
    EXPECT_EQ(updateSiteAddress(), "") << "the build sets no address";
    std::ofstream(global::settingsPath) << "[Update]\nSite = https://127.0.0.1:8443/zarn\n";
    EXPECT_EQ(updateSiteAddress(), "https://127.0.0.1:8443/zarn/");
    std::filesystem::remove_all(folder);
}
