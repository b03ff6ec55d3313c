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
    std::string version;
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
         "6.0.0.1", "https://h/u/Zarn_6001.exe", "Fixed A|Fixed B"},
        {"three lines", "Zarn\r\nhttps://h/Z.exe\r\n6.0.0.2", true, "6.0.0.2", "https://h/Z.exe",
         ""},
        {"five lines keep no notes", "a\r\nhttps://h/Z.exe\r\nnotes\r\nmore\r\n7.0.0.0", true,
         "7.0.0.0", "https://h/Z.exe", ""},
        {"trailing line break", "a\r\nhttps://h/Z.exe\r\nn\r\n6.0.0.1\r\n", true, "",
         "https://h/Z.exe", ""},
        {"lone line feeds", "a\nhttps://h/Z.exe\nn\n6.0.0.1", false, "", "", ""},
        {"one line", "6.0.0.1", false, "", "", ""},
        {"two lines", "x\r\n6.0.0.1", false, "", "", ""},
        {"empty", "", false, "", "", ""},
        {"binary", binary, false, "", "", ""},
        {"no digits", "a\r\nhttps://h/Z.exe\r\nn\r\nsix", true, "six", "https://h/Z.exe", "n"},
        {"too many digits", "a\r\nb\r\nc\r\n9999999999.9999999999", true, "9999999999.9999999999",
         "b", "c"},
        {"suffix ignored", "a\r\nb\r\nc\r\n6.0.0.3 beta", true, "6.0.0.3 beta", "b", "c"},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.what);
        const VersionFile file = parseVersionFile(c.text);
        EXPECT_EQ(file.valid, c.valid);
        EXPECT_EQ(file.newVersion, c.version);
        EXPECT_EQ(file.installerAddress, c.installer);
        EXPECT_EQ(file.notesLine, c.notes);
    }
}

TEST(VersionFile, ProgramVersionAndMajorSteps) {
    EXPECT_EQ(programVersionText(), "6.0.0.0");
    const std::pair<const char*, bool> versions[] = {
        {"7.0.0.0", true}, {"6.4.0.0", false}, {"6.5.0.0", false},
        {"6.6.0.0", true}, {"5.0.0.0", true},  {"6.0.0.1", false},
        {"", true},        {"6", false},       {"60e9223372036854775807", true},
    };
    for (const auto& [version, major] : versions)
        EXPECT_EQ(isMajorUpdate(version), major) << version;
}

// Version lines against the program's 6.0.0.0 and a stored Ignore value, and the form that
// "Ignore this update" stores.
TEST(VersionFile, VersionLinesComparePartByPart) {
    const struct {
        const char* line;
        bool newer;
        const char* ignore;
        bool ignored;
        const char* stored;
    } cases[] = {
        {"6.0.0.1", true, "6001", true, "6001"},
        {"6.0.0.2", true, "6001", false, "6002"},
        {"6.0.0.0", false, "0", false, "6000"},
        {"6.1", true, "6001", false, "61"},
        {"7.0", true, "6001", false, "70"},
        {"6.0.0.10", true, "7.0.0.0", true, "6.0.0.10"},
        {"7.0.0.0", true, "6.0.0.10", false, "7000"},
        {"6.0.0.10", true, "6.0.0.9", false, "6.0.0.10"},
        {"10.0.0.0", true, "6.0.0.0", false, "10.0.0.0"},
        {"06.00.00.01", true, "6001", true, "06.00.00.01"},
        {"6.0", false, "", false, "60"},
        {"5.99", false, "0", false, "5.99"},
        {"60e9223372036854775807", true, "6001", false, "60.0"},
        {"99999999999999999999999.0", true, "9.9", false, "99999999999999999999999.0"},
        {"6.0.0.3 beta", true, "6003", true, "6003"},
        {"six", false, "0", true, ".0"},
        {".099.", false, "0", false, ".099."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(compareVersions(c.line, programVersionText()) > 0, c.newer);
        EXPECT_EQ(isIgnoredVersion(c.line, c.ignore), c.ignored);
        EXPECT_EQ(ignoreSettingOf(c.line), c.stored);
        EXPECT_TRUE(isIgnoredVersion(c.line, ignoreSettingOf(c.line)));
    }
}

TEST(VersionFile, SiteAddressFromTheSettingsFileEndsWithASlash) {
    char pattern[] = "/tmp/merivane-site-XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern);
    global::settingsPath = (folder / "Zarn.ini").string();
    EXPECT_EQ(updateSiteAddress(), "") << "the build sets no address";
    std::ofstream(global::settingsPath) << "[Update]\nSite = https://127.0.0.1:8443/zarn\n";
    EXPECT_EQ(updateSiteAddress(), "https://127.0.0.1:8443/zarn/");
    // Another scheme is no site: nothing would be fetched from it, nor opened in the browser.
    for (const char* site : {"file:///etc/", "http://example.com/", "javascript:alert(1)"}) {
        std::ofstream(global::settingsPath) << "[Update]\nSite=" << site << "\n";
        EXPECT_EQ(updateSiteAddress(), "") << site;
    }
    std::filesystem::remove_all(folder);
}
