// The update check against a real nginx over HTTPS on 127.0.0.1: the version-file cases, the
// offer, the download with its progress window and Cancel, and what is recorded for the
// installer at exit.
#include "update_test_support.h"

#include "common/translate.h"
#include "program/program.h"
#include "program/settings.h"
#include "update/download.h"
#include "update/http_client.h"
#include "update/https_server.h"
#include "update/installer_file.h"
#include "update/update_check.h"
#include "update/updates.h"

#include <QDesktopServices>
#include <QProgressBar>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace updatetest;
namespace fs = std::filesystem;

// Stands in for the desktop's web browser.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    std::vector<std::string> opened;
  public slots:
    void open(const QUrl& url) { opened.push_back(url.toString().toStdString()); }
};

namespace {

constexpr const char* kUpToDate = "You Are Up To Date!";
constexpr const char* kOffer = "Update Available";
constexpr const char* kNoAnswer = "Unable to Complete Update Check";
// Slow enough to catch the progress window halfway, fast enough for a quick test.
constexpr int kSlowRate = 96 * 1024;
constexpr std::size_t kInstallerSize = 192 * 1024;

std::string installerBytes() {
    std::string bytes = "#!/bin/sh\nexit 0\n";
    bytes.resize(kInstallerSize, '#');
    return bytes;
}

std::string setting(const std::string& key) {
    return ReadSetting(global::settingsPath, "Update", key, "none");
}

class UpdateCheckTest : public ::testing::Test {
  protected:
    static inline testhttps::HttpsServer server;
    static inline std::string served;

    static void SetUpTestSuite() {
        served = testhttps::makeTemporaryFolder("merivane-site");
        chmod(served.c_str(), 0755);
        fs::create_directories(served + "/updates");
        testhttps::writeFile(served + "/Zarn_6001.exe", installerBytes());
        std::string error;
        ASSERT_TRUE(testhttps::startHttpsServer(server, served,
                                                {testhttps::slowLocation("/slow/", kSlowRate),
                                                 testhttps::noLengthLocation("/nolength/")},
                                                error))
            << error;
        setenv("MERIVANE_EXTRA_CA_FILE", server.caFile.c_str(), 1);
    }
    static void TearDownTestSuite() {
        testhttps::stopHttpsServer(server);
        testhttps::removeFolder(served);
    }

    ScratchProgram program;
    UpdateOffer offer;

    void SetUp() override {
        ASSERT_NE(HttpInitializeA(), 0);
        writeText(program / "Zarn.ini", "[Update]\nSite=" + server.baseUrl + "\n");
        fs::remove(served + "/updates/Zarn_Whats_New.rtf");
        fs::remove(served + "/updates/Zarn_v6.txt");
    }
    void TearDown() override { HttpUninitialize(); }

    void serveVersionFile(const std::string& text) {
        testhttps::writeFile(served + "/updates/Zarn_v6.txt", text);
    }
    std::string versionFile(const std::string& version, const std::string& location = "") {
        return "Zarn Generator\r\n" + server.baseUrl + location +
               "Zarn_6001.exe\r\nFixed A|Fixed B\r\n" + version;
    }

    int check(bool automatic) {
        int result = -1;
        runWithAnswers(
            [&] { result = ::UpdateCheck(kVersionFilePath, automatic, !automatic, offer); });
        return result;
    }
};

// What the offer showed.
struct Offered {
    std::string heading;
    std::string plainNotes;
    std::string richNotes;
};

void answerOffer(const std::string& button, Offered* offered = nullptr) {
    answers[kOffer] = [button, offered](QWidget* window) {
        if (offered) {
            auto* heading = qobject_cast<QLabel*>(testgui::control(kUpdateAvailableForm, 100));
            auto* plain = qobject_cast<QTextEdit*>(testgui::control(kUpdateAvailableForm, 120));
            auto* rich = qobject_cast<QTextBrowser*>(testgui::control(kUpdateAvailableForm, 125));
            offered->heading = heading ? heading->text().toStdString() : "";
            offered->plainNotes =
                plain && plain->isVisible() ? plain->toPlainText().toStdString() : "";
            offered->richNotes = rich ? rich->toPlainText().toStdString() : "";
        }
        press(window, button);
    };
}

} // namespace

TEST_F(UpdateCheckTest, NewerUpdateWithPlainThenRichNotes) {
    serveVersionFile(versionFile("6.0.0.1"));
    Offered offered;
    answerOffer("Maybe Later", &offered);
    EXPECT_EQ(check(true), 0);
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{kOffer})
        << "a missing notes file is no error";
    EXPECT_EQ(offered.heading, "Version 6.0.0.1 of Zarn Generator is available.");
    EXPECT_EQ(offered.plainNotes, "Fixed A\nFixed B");
    EXPECT_FALSE(offer.major);
    EXPECT_TRUE(offer.laterChosen);
    EXPECT_EQ(setting("NewVer"), "none");

    // Longer than the version file's 2000 bytes: the notes arrive whole.
    testhttps::writeFile(served + "/updates/Zarn_Whats_New.rtf",
                         "{\\rtf1 {\\b Rich} notes from the site\\par" + std::string(3000, ' ') +
                             "Last line.\\par}");
    answerOffer("Maybe Later", &offered);
    EXPECT_EQ(check(false), 0);
    EXPECT_EQ(offered.plainNotes, "");
    EXPECT_NE(offered.richNotes.find("Rich notes from the site"), std::string::npos)
        << offered.richNotes;
    EXPECT_NE(offered.richNotes.find("Last line."), std::string::npos);
}

TEST_F(UpdateCheckTest, NothingNewerMeansUpToDateOnlyWhenAsked) {
    const std::pair<std::string, std::string> files[] = {
        {"trailing line break", versionFile("6.0.0.1") + "\r\n"},
        {"same version", versionFile("6.0.0.0")},
    };
    for (const auto& [what, text] : files) {
        SCOPED_TRACE(what);
        serveVersionFile(text);
        EXPECT_EQ(check(true), 0);
        EXPECT_TRUE(seen.empty());
        answers[kUpToDate] = [](QWidget* window) { press(window, "&OK"); };
        EXPECT_EQ(check(false), 0);
        EXPECT_EQ(captionsSeen(), std::vector<std::string>{kUpToDate});
        EXPECT_NE(textsOf(kUpToDate).find(
                      "Version 6.0.0.0 of Zarn Generator is the latest version available."),
                  std::string::npos)
            << textsOf(kUpToDate);
    }
}

TEST_F(UpdateCheckTest, IgnoredVersionSilencesOnlyTheAutomaticCheck) {
    writeText(program / "Zarn.ini", "[Update]\nSite=" + server.baseUrl + "\nIgnore=6001\n");
    serveVersionFile(versionFile("6.0.0.1"));
    EXPECT_EQ(check(true), 0);
    EXPECT_TRUE(seen.empty());
    answerOffer("Maybe Later");
    EXPECT_EQ(check(false), 0);
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{kOffer});
    serveVersionFile(versionFile("6.0.0.2"));
    answerOffer("Maybe Later");
    EXPECT_EQ(check(true), 0);
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{kOffer});
}

TEST_F(UpdateCheckTest, DownloadRecordsAnUpdateButNotAMajorVersion) {
    serveVersionFile(versionFile("6.0.0.1"));
    answerOffer("Download Now");
    EXPECT_EQ(check(false), 1);
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{kOffer});
    EXPECT_EQ(readText(program / "Zarn_6001.exe"), installerBytes());
    EXPECT_TRUE((fs::status(program / "Zarn_6001.exe").permissions() & fs::perms::owner_exec) !=
                fs::perms::none);
    EXPECT_EQ(setting("Install"), "Zarn_6001.exe");
    EXPECT_EQ(setting("InstallSize"), std::to_string(installerBytes().size()));
    EXPECT_EQ(setting("NewVer"), "6.0.0.1");
    EXPECT_EQ(setting("Failed"), "1");
    EXPECT_TRUE(offer.downloadAccepted);

    writeText(program / "Zarn.ini", "[Update]\nSite=" + server.baseUrl + "\n");
    fs::remove(program / "Zarn_6001.exe");
    // The scheme is case-blind: an address in capitals is as secure.
    std::string capitals = versionFile("7.0.0.0", "nolength/");
    serveVersionFile(capitals.replace(capitals.find("https"), 5, "HTTPS"));
    answerOffer("Download Now");
    EXPECT_EQ(check(false), 1);
    EXPECT_TRUE(offer.major);
    EXPECT_EQ(readText(program / "Zarn_6001.exe"), installerBytes()) << "without a length too";
    EXPECT_EQ(setting("Install"), "none");
    EXPECT_EQ(setting("NewVer"), "none");
    EXPECT_EQ(setting("Failed"), "none");
}

TEST_F(UpdateCheckTest, CancelHalfwayLeavesNothingAndTheProgramRuns) {
    serveVersionFile(versionFile("6.0.0.1", "slow/"));
    // Cancel, the frame's close button, and the window going with its owner all stop the
    // transfer; the window stays until the transfer has ended.
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Cancel",
         [] { testgui::click(buttonNamed(testgui::formWindow(kDownloadProgressForm), "Cancel")); }},
        {"close box", [] { testgui::closeFromFrame(kDownloadProgressForm); }},
        {"owner closes", [] { ezUnloadForm(kDownloadProgressForm); }},
    };
    for (const auto& entry : ways) {
        // A named reference, not a structured binding: lambdas may capture it on every compiler.
        const std::function<void()>& stop = entry.second;
        SCOPED_TRACE(entry.first);
        int percentAtCancel = -1;
        std::string caption;
        // Lives for the whole check; each timer runs a copy that refers back to it.
        std::function<void()> poll;
        answers[kOffer] = [&](QWidget* window) {
            press(window, "Download Now");
            poll = [&] {
                auto* bar =
                    qobject_cast<QProgressBar*>(testgui::control(kDownloadProgressForm, 100));
                if (bar == nullptr || bar->value() < 40) {
                    testgui::later(poll, 20);
                    return;
                }
                percentAtCancel = bar->value();
                caption = testgui::formWindow(kDownloadProgressForm)->windowTitle().toStdString();
                stop();
            };
            testgui::later(poll, 20);
        };
        answers["Download Canceled"] = [](QWidget* window) { press(window, "&OK"); };
        EXPECT_EQ(check(false), 0);
        EXPECT_EQ(captionsSeen(), (std::vector<std::string>{kOffer, "Download Canceled"}));
        EXPECT_NE(textsOf("Download Canceled")
                      .find("The download of Zarn Generator has been terminated."),
                  std::string::npos);
        EXPECT_GE(percentAtCancel, 40);
        EXPECT_LT(percentAtCancel, 100);
        // The caption follows the bar after the events of each step have run.
        int captionPercent = -1;
        EXPECT_EQ(std::sscanf(caption.c_str(), "Downloading... %d%% complete", &captionPercent), 1)
            << caption;
        EXPECT_GT(captionPercent, 0);
        EXPECT_LE(captionPercent, percentAtCancel);
        EXPECT_TRUE(offer.downloadCancelled);
        EXPECT_FALSE(offer.downloadAccepted);
        EXPECT_EQ(setting("Install"), "none");
        EXPECT_EQ(fs::directory_iterator(program.folder)->path().filename(), "Zarn.ini")
            << "only the settings file is left";
        EXPECT_EQ(std::distance(fs::directory_iterator(program.folder), fs::directory_iterator()),
                  1);
    }
}

TEST_F(UpdateCheckTest, CancelAsTheBarFillsStillCancels) {
    serveVersionFile(versionFile("6.0.0.1", "slow/"));
    // Lives for the whole check; each timer runs a copy that refers back to it.
    std::function<void()> watch;
    answers[kOffer] = [&watch](QWidget* window) {
        press(window, "Download Now");
        watch = [&watch] {
            auto* bar = qobject_cast<QProgressBar*>(testgui::control(kDownloadProgressForm, 100));
            if (bar == nullptr) {
                testgui::later(watch, 1);
                return;
            }
            // The click arrives with the events the last progress step lets run.
            QObject::connect(bar, &QProgressBar::valueChanged, bar, [](int value) {
                if (value != 100) return;
                QMetaObject::invokeMethod(
                    qApp,
                    [] {
                        testgui::click(
                            buttonNamed(testgui::formWindow(kDownloadProgressForm), "Cancel"));
                    },
                    Qt::QueuedConnection);
            });
        };
        testgui::later(watch, 0);
    };
    answers["Download Canceled"] = [](QWidget* window) { press(window, "&OK"); };
    EXPECT_EQ(check(false), 0);
    EXPECT_EQ(captionsSeen(), (std::vector<std::string>{kOffer, "Download Canceled"}));
    EXPECT_FALSE(fs::exists(program / "Zarn_6001.exe"));
    EXPECT_EQ(setting("Install"), "none");
}

// A missing connection is reported once and ends the check; a server that refuses the
// connection is named as such, and the web site is still offered. So is an HTTP library that
// is missing, cut short, of another build (never called), or found only in the parent
// folder of a copy that is not installed.
TEST_F(UpdateCheckTest, NoConnectionIsToldApartFromARefusingServer) {
    enum class Library { Own, Missing, CutShort, InParentFolder, OtherVersion, OtherSize };
    const char* kMissing = "module (libmerivane_http.so) or a library it needs is missing; "
                           "installing the";
    const struct {
        const char* site;
        std::string text;
        bool missing;
        Library library;
    } cases[] = {
        {"https://no-such-host.invalid/", "No internet connection available.", true, Library::Own},
        {"https://127.0.0.1:1/", "The server refused the connection.", false, Library::Own},
        {"https://127.0.0.1:1/", kMissing, false, Library::Missing},
        {"https://127.0.0.1:1/", kMissing, false, Library::CutShort},
        {"https://127.0.0.1:1/", kMissing, false, Library::InParentFolder},
        {"https://127.0.0.1:1/", kMissing, false, Library::OtherVersion},
        {"https://127.0.0.1:1/", kMissing, false, Library::OtherSize},
    };
    // A portable copy in a folder others may write, where one of them planted an installed
    // copy's folders.
    const fs::path copy = program / "shared";
    const fs::path mark = program / "planted-library-loaded";
    fs::create_directories(copy / "bin");
    fs::create_directories(copy / "share/merivane/help");
    fs::create_directories(copy / "lib/merivane");
    fs::copy_file(MERIVANE_PLANTED_MODULE, copy / "lib/merivane/libmerivane_http.so");
    fs::permissions(copy, fs::perms::all);
    const std::string whole = readText(MERIVANE_HTTP_MODULE);
    fs::create_directories(program / "cut");
    // Its headers whole, its first loaded segment (symbols, relocations) cut short.
    writeText(program / "cut/libmerivane_http.so", whole.substr(0, 3000));
    setenv("MERIVANE_PLANTED_MARK", mark.c_str(), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.library));
        HttpSetTestModuleFolder(
            c.library == Library::Missing        ? program.folder.string()
            : c.library == Library::CutShort     ? (program / "cut").string()
            : c.library == Library::OtherVersion ? MERIVANE_OTHER_BUILDS "/other-version"
            : c.library == Library::OtherSize    ? MERIVANE_OTHER_BUILDS "/other-size"
                                                 : "");
        HttpSetTestExecutableFolder(
            c.library == Library::InParentFolder ? (copy / "bin").string() + "/" : "");
        writeText(program / "Zarn.ini", std::string("[Update]\nSite=") + c.site + "\n");
        answers["Error"] = [](QWidget* window) { press(window, "&OK"); };
        answers[kNoAnswer] = [](QWidget* window) { press(window, "&No, Thanks, I'm Good"); };
        EXPECT_EQ(check(false), 0);
        const std::vector<std::string> captions =
            c.missing ? std::vector<std::string>{"Error"}
                      : std::vector<std::string>{"Error", kNoAnswer};
        EXPECT_EQ(captionsSeen(), captions);
        EXPECT_NE(textsOf("Error").find(c.text), std::string::npos) << textsOf("Error");
        EXPECT_FALSE(fs::exists(mark));
    }
    HttpSetTestModuleFolder("");
    HttpSetTestExecutableFolder("");
}

// Hostile installer names and links: a download never writes through a link, never replaces a
// file it did not make and never writes outside the program's folder; only an earlier download
// of its own is replaced.
TEST_F(UpdateCheckTest, HostileInstallerNamesAndLinksAreRefused) {
    const std::string victim = served + "/victim";
    const struct {
        std::string address;
        std::string planted; // a file of that name in the program's folder, made as `kind`
        std::string kind;
    } cases[] = {
        {"http://127.0.0.1/Zarn_6001.exe", "", ""},
        {"http://127.0.0.1/https://x/Zarn_6001.exe", "", ""},
        {"file:///https://x/Zarn_6001.exe", "", ""},
        {server.baseUrl + "updates/", "", ""},
        {server.baseUrl + "updates/..", "", ""},
        {server.baseUrl + std::string(270, 'Z') + ".exe", "", ""},
        {server.baseUrl + "Zarn.ini", "", ""},
        {server.baseUrl + "update_check_test", "", ""},
        {server.baseUrl + ".merivane-Ab12Cd", "", ""},
        {server.baseUrl + "Zarn_6001.exe", "Zarn_6001.exe", "link"},
        {server.baseUrl + "bin/merivane-cli", "merivane-cli", "file"},
        {server.baseUrl + "libmerivane_proc.so", "libmerivane_proc.so", "file"},
        {server.baseUrl + "Setup.sh", "Setup.sh", "file"},
        {server.baseUrl + "Zarn_6001.exe", "Zarn_6001.exe", "recorded"},
        {server.baseUrl + "ZARN_6001.EXE", "ZARN_6001.EXE", "recorded"}, // whatever the case
        {server.baseUrl + "notes.txt", "notes.txt", "named"}, // Install= names the user's file
        // The record of an earlier download, intact, lets only that very name be replaced.
        {server.baseUrl + "notes.txt", "notes.txt", "beside a download"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address + " over " + c.kind);
        testhttps::writeFile(victim, "precious");
        const fs::path planted = program / c.planted;
        if (c.kind == "link") fs::create_symlink(victim, planted);
        const bool stored = c.kind == "recorded", beside = c.kind == "beside a download",
                   mine = c.kind == "file" || c.kind == "named" || beside;
        if (mine || stored) writeText(planted, "mine");
        if (stored) testhttps::writeFile(served + "/" + c.planted, installerBytes());
        if (c.kind == "named" || beside)
            testhttps::writeFile(served + "/notes.txt", installerBytes());
        writeText(program / "Zarn.ini", "[Update]\nSite=" + server.baseUrl + "\nInstall=" +
                                            (stored || c.kind == "named" ? c.planted : "") + "\n");
        if (beside) {
            writeText(program / "Zarn_6000.exe", "installer");
            ASSERT_TRUE(recordInstaller(global::programFolder, "Zarn_6000.exe"));
        }
        serveVersionFile("Zarn\r\n" + c.address + "\r\nn\r\n6.0.0.1");
        answerOffer("Download Now");
        answers["Update Not Downloaded"] = [](QWidget* window) { press(window, "&OK"); };
        EXPECT_EQ(check(false), stored ? 1 : 0);
        const std::vector<std::string> captions =
            stored ? std::vector<std::string>{kOffer}
                   : std::vector<std::string>{kOffer, "Update Not Downloaded"};
        EXPECT_EQ(captionsSeen(), captions);
        EXPECT_EQ(setting("Failed"), stored ? "1" : "none");
        EXPECT_EQ(readText(victim), "precious");
        EXPECT_EQ(fs::is_symlink(planted), c.kind == "link");
        EXPECT_EQ(readText(planted), stored             ? installerBytes()
                                     : mine             ? "mine"
                                     : c.kind == "link" ? "precious"
                                                        : "");
        EXPECT_EQ(std::distance(fs::directory_iterator(program.folder), fs::directory_iterator()),
                  c.planted.empty() ? 1
                  : beside          ? 3
                                    : 2);
        if (!c.planted.empty()) fs::remove(planted);
        fs::remove(program / "Zarn_6000.exe");
    }
}

TEST_F(UpdateCheckTest, NoAnswerMissingOrMalformedFiles) {
    // No version file at all: the server's 404 is reported, and asked, the web site offered.
    answers["Error"] = [](QWidget* window) { press(window, "&OK"); };
    EXPECT_EQ(check(true), 0);
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{"Error"});
    EXPECT_NE(textsOf("Error").find("The server answered 404 Not Found."), std::string::npos)
        << textsOf("Error");
    UrlCatcher browser;
    QDesktopServices::setUrlHandler("https", &browser, "open");
    answers["Error"] = [](QWidget* window) { press(window, "&OK"); };
    answers[kNoAnswer] = [](QWidget* window) { press(window, "&Visit Web Site"); };
    EXPECT_EQ(check(false), 0);
    EXPECT_EQ(captionsSeen(), (std::vector<std::string>{"Error", kNoAnswer}));
    EXPECT_NE(textsOf(kNoAnswer).find(
                  "You can visit our web site to download the latest version of Zarn Generator."),
              std::string::npos);
    EXPECT_EQ(browser.opened, std::vector<std::string>{server.baseUrl});
    QDesktopServices::unsetUrlHandler("https");

    // An error the client has no text for still reads as something.
    answers["Error"] = [](QWidget* window) { press(window, "&OK"); };
    runWithAnswers([] { ReportHttpError(0x1234); });
    EXPECT_NE(textsOf("Error").find("Undefined error 0x1234."), std::string::npos)
        << textsOf("Error");
    // Translated texts run longer than the English, and are shown whole.
    setenv("MERIVANE_LOCALEDIR", MERIVANE_BUILD_LOCALES, 1);
    startTranslations("");
    for (const Language language : {Language::French, Language::Spanish}) {
        setWindowLanguage(language);
        const std::string caption = translate("Error");
        answers[caption] = [](QWidget* window) { press(window, translate("&OK")); };
        runWithAnswers([] { ReportHttpError(kHttpErrorNoModule); });
        const std::string whole =
            translate("The program's download module (libmerivane_http.so) or a library it "
                      "needs is missing; installing the program again restores it");
        EXPECT_GT(whole.size(), 128u) << "a translation longer than the old buffer";
        EXPECT_NE(textsOf(caption).find(whole + "."), std::string::npos) << textsOf(caption);
    }
    setWindowLanguage(Language::English);

    static const char kBinary[] = "\x7f"
                                  "ELF\x02\x01\0\0\r\nhttps://x/y\r\nz\r\n7.0.0.0";
    // Cut at 2000 bytes, a long notes line would leave no version line to read.
    const std::string malformed[] = {"6.0.0.9", "line one\nline two\n7.0.0.0",
                                     std::string(kBinary, sizeof kBinary - 1),
                                     std::string(5000, '7'),
                                     "Zarn Generator\r\n" + server.baseUrl + "Zarn_6001.exe\r\n" +
                                         std::string(2100, 'A') + "\r\n7.0.0.0"};
    for (const std::string& text : malformed) {
        serveVersionFile(text);
        EXPECT_EQ(check(true), 0);
        EXPECT_TRUE(seen.empty());
        answers[kNoAnswer] = [](QWidget* window) { press(window, "&No, Thanks, I'm Good"); };
        EXPECT_EQ(check(false), 0);
        EXPECT_EQ(captionsSeen(), std::vector<std::string>{kNoAnswer});
    }
}

TEST_F(UpdateCheckTest, WithoutASiteNothingIsAskedAndTheGateHoldsTheNextCheck) {
    writeText(program / "Zarn.ini", "[Update]\nSite=\n");
    answers[kNoAnswer] = [](QWidget* window) { press(window, "&OK"); };
    EXPECT_EQ(check(false), 0);
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{kNoAnswer});
    EXPECT_NE(textsOf(kNoAnswer).find(
                  "Unable to determine if a program update is available at this time."),
              std::string::npos);
    global::preferences.flags = kUpdateAlertFlag;
    global::today = 2461000;
    bool downloaded = true;
    runWithAnswers([&] { downloaded = runDueUpdateCheck(); });
    EXPECT_FALSE(downloaded);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(setting("LastCheck"), "none") << "no site: no check is counted";

    // The gate: not on the day stored, on the day after, which then puts the next off a week.
    writeText(program / "Zarn.ini", "[Update]\nLastCheck=2461000\n");
    EXPECT_FALSE(AutomaticCheckDue());
    global::today = 2461001;
    EXPECT_TRUE(AutomaticCheckDue());
    EXPECT_EQ(setting("LastCheck"), "2461008");
    EXPECT_FALSE(AutomaticCheckDue());

    // The alert preference off: no automatic check even when one is due.
    writeText(program / "Zarn.ini", "[Update]\nSite=" + server.baseUrl + "\n");
    serveVersionFile(versionFile("6.0.0.1"));
    global::preferences.flags = 0;
    runWithAnswers([&] { downloaded = runDueUpdateCheck(); });
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(setting("LastCheck"), "none");
    global::preferences.flags = kUpdateAlertFlag;
    answerOffer("Maybe Later");
    runWithAnswers([&] { downloaded = runDueUpdateCheck(); });
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{kOffer});
    EXPECT_EQ(setting("LastCheck"), "2461008");
}

#include "update_check_test.moc"
