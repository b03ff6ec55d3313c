// Start-up: the program folder, the PDF folder and its clean-up, the PDF reader probe, and the
// date text the main window reads today from.
#include "app_steps.h"

#include "gui/app_desktop.h"
#include "program/program.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "support/fake_desktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

struct ShownMessage {
    std::string title;
    std::string texts;
};

// Runs call while answering every message box it shows with OK; returns the boxes seen. A box
// without an OK button is closed after a while, and counts as a failure.
std::vector<ShownMessage> answeringMessages(const std::function<void()>& call) {
    std::vector<ShownMessage> shown;
    int polls = 0;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible()) return;
        QAbstractButton* ok = buttonIn(box, "&OK");
        if (!ok) {
            if (++polls < 500) return;
            ADD_FAILURE() << "a message box without OK: " << box->windowTitle().toStdString();
            box->close();
            return;
        }
        shown.push_back({box->windowTitle().toStdString(), labelTextsOf(box)});
        QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    });
    answerer.start(10);
    call();
    answerer.stop();
    return shown;
}

// Runs body inside the running program, where the message box has its toolkit routing.
void insideProgram(const AppScratch& scratch, const std::function<void()>& body) {
    const std::string failure =
        runProgram(scratch, {{"main window", [] { return mainWindow() != nullptr; },
                              [body] {
                                  body();
                                  click(buttonIn(mainWindow(), "E&xit"));
                              }}});
    EXPECT_EQ(failure, "");
}

class AppStartup : public ::testing::Test {
  protected:
    void SetUp() override { scratch = makeAppScratch(true); }
    void TearDown() override { removeAppScratch(scratch); }
    void checkMakePath();
    static void checkDateTexts();
    AppScratch scratch;
};

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Only what the program itself writes goes: regular files with the numbered calendars' names,
// a probe file and temporary files a crash left behind. Links are never followed.
TEST_F(AppStartup, DeletesTheCalendarsOfEarlierRunsAndNothingElse) {
    fs::create_directories(scratch.pdfFolder / "kept.PDF");
    for (const char* name :
         {"001Calendar.PDF", "999Calendar.PDF", "-x.PDF", ".merivane-Ab12Cd", "report.pdf",
          "Report.PDF", "1234Calendar.PDF", "001calendar.PDF", "01xCalendar.PDF"})
        writeText(scratch.pdfFolder / name, "%PDF-1.4\n");
    writeText(scratch.pdfFolder / "notes.txt", "keep me");
    writeText(scratch.programFolder / ".merivane-Zz9Yy8", "[Last]\nYear=20");
    writeText(scratch.root / "outside.PDF", "%PDF-1.4\n");
    fs::create_symlink(scratch.root / "outside.PDF", scratch.pdfFolder / "link.PDF");
    fs::create_symlink(scratch.root / "outside.PDF", scratch.pdfFolder / "005Calendar.PDF");
    std::vector<std::string> namesWhileRunning;
    std::string failure = runProgram(scratch, {{"main window", [] { return mainWindow(); },
                                                [&] {
                                                    namesWhileRunning = namesIn(scratch.pdfFolder);
                                                    click(buttonIn(mainWindow(), "E&xit"));
                                                }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(namesWhileRunning,
              (std::vector<std::string>{"001calendar.PDF", "005Calendar.PDF", "01xCalendar.PDF",
                                        "1234Calendar.PDF", "Report.PDF", "kept.PDF", "link.PDF",
                                        "notes.txt", "report.pdf"}));
    EXPECT_TRUE(fs::is_symlink(scratch.pdfFolder / "link.PDF"));
    EXPECT_EQ(readText(scratch.root / "outside.PDF"), "%PDF-1.4\n");
    EXPECT_TRUE(fs::is_directory(scratch.pdfFolder / "kept.PDF"));
    EXPECT_EQ(readText(scratch.pdfFolder / "notes.txt"), "keep me");
    EXPECT_FALSE(fs::exists(scratch.programFolder / ".merivane-Zz9Yy8"));
}

// A PDF folder that is a link to the user's documents: their PDFs stay.
TEST_F(AppStartup, APdfFolderLinkedElsewhereLosesOnlyTheCalendars) {
    const fs::path documents = scratch.root / "Documents";
    fs::create_directories(documents);
    for (const char* name : {"Taxes.pdf", "SCAN.PDF", "002Calendar.PDF"})
        writeText(documents / name, "%PDF-1.4\n");
    fs::create_symlink(documents, scratch.pdfFolder);
    std::string failure = runProgram(scratch, {{"main window", [] { return mainWindow(); },
                                                [] { click(buttonIn(mainWindow(), "E&xit")); }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(namesIn(documents), (std::vector<std::string>{"SCAN.PDF", "Taxes.pdf"}));
}

// The probe file is made exclusively: a link under its name is neither written through nor
// removed, and the warning says what failed rather than blame the reader.
TEST_F(AppStartup, TheProbeNeverWritesThroughALink) {
    const fs::path victim = scratch.root / "victim.txt";
    writeText(victim, "precious");
    fs::create_directories(scratch.pdfFolder);
    fs::create_symlink(victim, scratch.pdfFolder / "-x.PDF");
    std::string warning;
    std::string failure = runProgram(
        scratch, {messageRead("PDF Folder Unavailable", warning),
                  {"main window", [] { return mainWindow() && !QApplication::activeModalWidget(); },
                   [] { click(buttonIn(mainWindow(), "E&xit")); }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(readText(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(scratch.pdfFolder / "-x.PDF"));
    EXPECT_NE(warning.find("another file already has the name -x.PDF"), std::string::npos)
        << warning;
}

// A FIFO under the settings name would block every read; it counts as unreadable instead, the
// program starts with defaults and never writes over it.
TEST_F(AppStartup, ASettingsFileThatIsAFifoNeitherBlocksNorIsReplaced) {
    ASSERT_EQ(mkfifo(scratch.settingsFile.c_str(), 0644), 0);
    std::string failure = runProgram(scratch,
                                     {{"main window", [] { return mainWindow(); },
                                       [] {
                                           typeYear("2026");
                                           click(buttonIn(mainWindow(), "&Generate"));
                                       }},
                                      {"saved", [&] { return !openedFiles(scratch).empty(); },
                                       [] { click(buttonIn(mainWindow(), "E&xit")); }}},
                                     10000);
    ASSERT_EQ(failure, "");
    EXPECT_EQ(openedFiles(scratch),
              std::vector<std::string>{(scratch.pdfFolder / "001Calendar.PDF").string()});
    EXPECT_EQ(fs::status(scratch.settingsFile).type(), fs::file_type::fifo);
}

// A settings file past the 4 MB the store takes is said once, at the start, and left alone.
TEST_F(AppStartup, ASettingsFileTooLargeToSaveIsSaidOnceAndKept) {
    writeText(scratch.settingsFile, "[Last]\nYear=2026\n;" + std::string(4 * 1024 * 1024, 'x'));
    const auto before = fs::file_size(scratch.settingsFile);
    std::vector<std::string> titles;
    const auto answer = [&titles](QWidget* box) {
        titles.push_back(box->windowTitle().toStdString());
        click(buttonIn(box, "&OK"));
    };
    std::string failure = runProgram(
        scratch, {{"told", [] { return modalTitled("Settings Cannot Be Saved"); },
                   [&] { answer(modalTitled("Settings Cannot Be Saved")); }},
                  {"generate", [] { return mainWindow() && !QApplication::activeModalWidget(); },
                   [] {
                       typeYear("2026");
                       click(buttonIn(mainWindow(), "&Generate"));
                   }},
                  {"saved", [&] { return !openedFiles(scratch).empty(); },
                   [&] {
                       if (QWidget* box = QApplication::activeModalWidget()) answer(box);
                       click(buttonIn(mainWindow(), "E&xit"));
                   }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(titles, std::vector<std::string>{"Settings Cannot Be Saved"});
    EXPECT_EQ(fs::file_size(scratch.settingsFile), before);
}

TEST_F(AppStartup, MakesThePdfFolderWithoutAMessage) {
    bool sawMessage = false;
    std::string failure = runProgram(scratch, {{"main window", [] { return mainWindow(); },
                                                [&] {
                                                    sawMessage = QApplication::activeModalWidget();
                                                    click(buttonIn(mainWindow(), "E&xit"));
                                                }}});
    ASSERT_EQ(failure, "");
    EXPECT_FALSE(sawMessage);
    EXPECT_TRUE(fs::is_directory(scratch.pdfFolder));
}

// A language chosen whose catalogue cannot be read is said once; the window goes on in English.
TEST_F(AppStartup, ALanguageWithoutItsCatalogueIsSaidOnce) {
    writeText(scratch.settingsFile, "[Display]\nLanguage=fr\n");
    setenv("MERIVANE_LOCALEDIR", (scratch.root / "no-catalogues").c_str(), 1);
    std::string warning;
    bool english = false;
    std::string failure = runProgram(
        scratch, {messageRead("Language Not Available", warning),
                  {"main window", [] { return mainWindow() && !QApplication::activeModalWidget(); },
                   [&] {
                       english = buttonIn(mainWindow(), "&Generate") != nullptr;
                       click(buttonIn(mainWindow(), "E&xit"));
                   }}});
    unsetenv("MERIVANE_LOCALEDIR");
    EXPECT_EQ(failure, "");
    // The box breaks its lines where its width ends, which differs from one desktop to another.
    std::replace(warning.begin(), warning.end(), '\n', ' ');
    EXPECT_NE(warning.find("is shown in English"), std::string::npos) << warning;
    EXPECT_TRUE(english);
}

// The window's language stays inside it: a French window's PDF viewer starts with the caller's
// LANGUAGE.
TEST_F(AppStartup, ThePdfViewerSeesTheCallersLanguage) {
    makeFakeDesktop(scratch.root, "#!/bin/sh\nprintf '%s\\n' \"${LANGUAGE-unset}\" >> '" +
                                      scratch.openedLog.string() + "'\n");
    writeText(scratch.settingsFile, "[Display]\nLanguage=fr\n");
    setenv("MERIVANE_LOCALEDIR", MERIVANE_BUILD_LOCALES, 1);
    setenv("LANGUAGE", "de", 1);
    std::string failure =
        runProgram(scratch, {{"main window", [] { return mainWindow(); },
                              [] {
                                  typeYear("2026");
                                  click(buttonIn(mainWindow(), translate("&Generate")));
                              }},
                             {"opened", [&] { return !openedFiles(scratch).empty(); },
                              [] { click(buttonIn(mainWindow(), translate("E&xit"))); }}});
    unsetenv("LANGUAGE");
    unsetenv("MERIVANE_LOCALEDIR");
    const bool french = windowLanguage() == Language::French;
    setWindowLanguage(Language::English);
    EXPECT_TRUE(french);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(openedFiles(scratch), std::vector<std::string>{"de"});
}

TEST(AppStartupReader, WithoutAPdfReaderWarnsAndGenerateWaitsForAnEdit) {
    const AppScratch scratch = makeAppScratch(false);
    std::string warning;
    bool enabledAfterWarning = true, enabledAfterEdit = false;
    std::string failure = runProgram(
        scratch,
        {messageRead("PDF Reader Required", warning),
         {"after warning", [] { return mainWindow() && !QApplication::activeModalWidget(); },
          [&] {
              enabledAfterWarning = buttonIn(mainWindow(), "&Generate")->isEnabled();
              typeYear("2026");
              enabledAfterEdit = buttonIn(mainWindow(), "&Generate")->isEnabled();
              click(buttonIn(mainWindow(), "&Generate"));
          }},
         {"saved", [&] { return fs::exists(scratch.pdfFolder / "001Calendar.PDF"); },
          [] { click(buttonIn(mainWindow(), "E&xit")); }}});
    EXPECT_EQ(failure, "");
    EXPECT_NE(warning.find("A PDF reader application, such as Adobe Acrobat, is"),
              std::string::npos)
        << warning;
    EXPECT_NE(warning.find("required for use with Merivane 6."), std::string::npos);
    EXPECT_FALSE(enabledAfterWarning);
    EXPECT_TRUE(enabledAfterEdit);
    // Saved, but there is nothing to open it with.
    EXPECT_TRUE(openedFiles(scratch).empty());
    removeAppScratch(scratch);
}

// The reader is the desktop's default for PDF files as its MIME lists name it, read without
// starting a program (PATH leads nowhere): the lists by precedence, an entry that is installed,
// the desktop database as the last resort, and nothing taken from lines that are not entries.
TEST_F(AppStartup, FindsTheDesktopsPdfReaderInItsMimeLists) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> lists;
        std::string reader;
    };
    const std::string pdf = "[Default Applications]\napplication/pdf=";
    const auto padding = [](int entries) {
        std::string names;
        for (int i = 0; i < entries; ++i)
            names += "gone" + std::to_string(i) + ".desktop;";
        return names;
    };
    const Case cases[] = {
        {{}, ""},
        {{{"config/mimeapps.list", pdf + "gone.desktop;b.desktop"}}, "b.desktop"},
        {{{"config/mimeapps.list", pdf + "b.desktop"},
          {"config/test-mimeapps.list", pdf + "a.desktop"}},
         "a.desktop"},
        {{{"data/applications/mimeapps.list", pdf + "b.desktop"},
          {"config-dirs/mimeapps.list", pdf + "a.desktop"}},
         "a.desktop"},
        {{{"config/mimeapps.list", "[Added Associations]\napplication/pdf=a.desktop"},
          {"data-dirs/applications/mimeapps.list", pdf + "b.desktop"}},
         "b.desktop"},
        {{{"config/mimeapps.list", "[Removed Associations]\napplication/pdf=b.desktop"},
          {"data-dirs/applications/mimeinfo.cache",
           "[MIME Cache]\napplication/pdf=b.desktop;kde4-c.desktop"}},
         "kde4-c.desktop"},
        // A removal holds for the added associations of every less important list.
        {{{"config/mimeapps.list", "[Removed Associations]\napplication/pdf=a.desktop"},
          {"data-dirs/applications/mimeapps.list",
           "[Added Associations]\napplication/pdf=a.desktop;b.desktop"}},
         "b.desktop"},
        {{{"config/mimeapps.list",
           "[Added Associations]\n#application/pdf=b.desktop\napplication/pdfx="
           "b.desktop\napplication/pdf = ../b.desktop;\x01b.desktop ; a.desktop"}},
         "a.desktop"},
        // A list padded with thousands of entries is read no further than its first 64.
        {{{"config/mimeapps.list",
           "[Added Associations]\napplication/pdf=" + padding(64) + "a.desktop"}},
         ""},
        {{{"config/mimeapps.list",
           "[Added Associations]\napplication/pdf=" + padding(63) + "a.desktop"}},
         "a.desktop"}};
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (scratch.root / "no-programs").c_str(), 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const fs::path desktop = scratch.root / ("desktop" + std::to_string(i));
        makeFakeDesktop(desktop, "");
        std::vector<std::pair<std::string, std::string>> files = cases[i].lists;
        for (const char* entry : {"data/applications/a.desktop", "data-dirs/applications/b.desktop",
                                  "data-dirs/applications/kde4/c.desktop"})
            files.push_back({entry, "[Desktop Entry]\nType=Application\n"});
        for (const auto& [file, text] : files) {
            fs::create_directories((desktop / file).parent_path());
            writeText(desktop / file, text);
        }
        enterFakeDesktop(desktop);
        setenv("XDG_CURRENT_DESKTOP", "Other:TEST", 1);
        EXPECT_EQ(appDefaultPdfViewer(), cases[i].reader) << "case " << i;
    }
    setenv("PATH", path.c_str(), 1);
}

TEST_F(AppStartup, AProgramFolderThatCannotBeWrittenMovesToTheUsersDataFolder) {
    AppScratch installed = scratch;
    installed.programFolder = scratch.root / "not-there" / "bin";
    const fs::path data = scratch.root / "data" / "merivane";
    installed.pdfFolder = data / "PDF";
    installed.settingsFile = data / "Zarn.ini";
    std::string failure =
        runProgram(installed, {{"main window", [] { return mainWindow(); },
                                [] {
                                    typeYear("2026");
                                    click(buttonIn(mainWindow(), "&Generate"));
                                }},
                               {"opened", [&] { return !openedFiles(scratch).empty(); },
                                [] { click(buttonIn(mainWindow(), "E&xit")); }}});
    ASSERT_EQ(failure, "");
    EXPECT_EQ(openedFiles(scratch),
              std::vector<std::string>{(installed.pdfFolder / "001Calendar.PDF").string()});
    EXPECT_NE(readText(installed.settingsFile).find("Year=2026"), std::string::npos);
    EXPECT_FALSE(fs::exists(installed.programFolder));
}

TEST_F(AppStartup, ProgramFolderIsCanonical) {
    const fs::path real = scratch.root / "real";
    fs::create_directories(real / "sub");
    fs::create_symlink(real, scratch.root / "link");
    EXPECT_EQ(chooseProgramFolder(real.string()), real.string() + "/");
    EXPECT_EQ(chooseProgramFolder((scratch.root / "link").string() + "/"), real.string() + "/");
    EXPECT_EQ(chooseProgramFolder((real / "sub" / "..").string()), real.string() + "/");
    EXPECT_EQ(chooseProgramFolder((scratch.root / "missing").string()),
              (scratch.root / "data" / "merivane").string() + "/");
    // A relative $XDG_DATA_HOME does not count; the default under $HOME serves.
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(chooseProgramFolder((scratch.root / "missing").string()),
              (scratch.root / ".local" / "share" / "merivane").string() + "/");
}

TEST_F(AppStartup, MakePathMakesEveryFolderAndExplainsFailures) {
    insideProgram(scratch, [this] { checkMakePath(); });
}

void AppStartup::checkMakePath() {
    const fs::path nested = scratch.root / "a" / "b" / "c";
    int made = 0;
    std::vector<ShownMessage> shown = answeringMessages([&] { made = MakePath(nested.string()); });
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(fs::is_directory(nested));

    // A last component with a dot is a file name.
    shown = answeringMessages([&] { made = MakePath((scratch.root / "d" / "Zarn.ini").string()); });
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(fs::is_directory(scratch.root / "d"));
    EXPECT_FALSE(fs::exists(scratch.root / "d" / "Zarn.ini"));

    shown = answeringMessages([&] { made = MakePath(nested.string() + "/"); });
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(shown.empty());

    shown = answeringMessages([&] { made = MakePath("/merivane-no-such-top/PDF"); });
    EXPECT_EQ(made, 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Drive Error");
    EXPECT_NE(shown[0].texts.find("The drive letter is not specified or doesn't exist."),
              std::string::npos);

    writeText(scratch.root / "blocker", "a file where a folder should be");
    const fs::path blocker = scratch.root / "blocker";
    shown = answeringMessages([&] { made = MakePath((blocker / "PDF").string()); });
    EXPECT_EQ(made, 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Directory Error 58");
    EXPECT_NE(shown[0].texts.find("Unable to create subdirectory."), std::string::npos);
    EXPECT_NE(shown[0].texts.find("An error 58, (File already exists) has occurred"),
              std::string::npos)
        << shown[0].texts;
    EXPECT_NE(shown[0].texts.find("attempting to create \"" + blocker.string() + "\"."),
              std::string::npos)
        << shown[0].texts;
}

TEST_F(AppStartup, DateTextsGiveDateNumbers) {
    insideProgram(scratch, [] { checkDateTexts(); });
}

void AppStartup::checkDateTexts() {
    std::string mdy = "MDY", ymd = "YMD";
    std::vector<ShownMessage> shown = answeringMessages([&] {
        EXPECT_EQ(Date2JulianDate("12/31/2024", mdy), Date2JulianDate("2024-12-31", ymd));
        EXPECT_EQ(Date2JulianDate("01-01-2000", mdy), 2451545);
    });
    EXPECT_TRUE(shown.empty());
    for (const auto& [text, order] : {std::pair{"2024-0-15", "YMD"}, std::pair{"12-31", "MDY"},
                                      std::pair{"ab-cd-efgh", "MDY"}}) {
        // A structured binding is copied before a lambda takes it: not every compiler lets one
        // be captured.
        const std::string dateText = text;
        std::string orderValue = order;
        DateNumber result = -1;
        shown = answeringMessages([&] { result = Date2JulianDate(dateText, orderValue); });
        EXPECT_EQ(result, 0) << text;
        ASSERT_EQ(shown.size(), 1u) << text;
        EXPECT_EQ(shown[0].title, "Invalid Date");
        EXPECT_NE(shown[0].texts.find("Date values in Date2JulianDate are invalid."),
                  std::string::npos);
    }
    std::string order = "YMD";
    std::string today = "";
    const DateNumber fromEmpty = Date2JulianDate(today, order);
    EXPECT_EQ(order, "MDY");
    std::string mdyAgain = "MDY";
    EXPECT_EQ(fromEmpty, Date2JulianDate(localDateText(), mdyAgain));
}

} // namespace
