// The running program finds the files shipped with it beside itself (a build tree, a portable
// copy) or in share/merivane beside its bin folder (an installed copy): the About dialog's
// history and the help F1 opens; an installed copy keeps its settings and calendars per user.
#include "shell/app_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct Layout {
    const char* what;
    // Where the shipped files go, relative to the program's folder.
    const char* dataFolder;
    // Where "Zarn.ini" and "PDF/" go, relative to the scratch root.
    const char* settingsFolder;
};

const Layout kLayouts[] = {
    {"portable copy", ".", "program"},
    {"installed copy", "../share/merivane", "data/merivane"},
};

std::string helpShown() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* browser = widget->findChild<QTextBrowser*>("helpText"))
            if (widget->isVisible()) return browser->source().toLocalFile().toStdString();
    return "";
}

std::string historyShown(QWidget* dialog) {
    for (QTextBrowser* box : dialog->findChildren<QTextBrowser*>())
        if (box->isVisible()) return box->toPlainText().toStdString();
    return "";
}

} // namespace

TEST(AboutInProgram, HistoryAndHelpComeFromTheShippedFilesWhereverTheProgramIsInstalled) {
    for (const Layout& layout : kLayouts) {
        const AppScratch scratch = makeAppScratch(true);
        const fs::path data = fs::weakly_canonical(scratch.programFolder / layout.dataFolder);
        const fs::path settings = scratch.root / layout.settingsFolder;
        fs::create_directories(data / "help");
        fs::create_directories(settings);
        writeText(data / "History.rtf",
                  std::string("{\\rtf1\\ansi {\\b History of the ") + layout.what + "}\\par}");
        // The translations' folders come along as they are shipped.
        fs::copy(fs::path(MERIVANE_RESOURCES_DIR) / "help", data / "help",
                 fs::copy_options::recursive);
        writeText(settings / "Zarn.ini", "[Last]\nYear=2026\nStyle=3\n");

        std::string help, history;
        const std::string failure = runProgram(
            scratch, {
                         {"main window", [] { return mainWindow() != nullptr; },
                          [] { click(buttonIn(mainWindow(), "&Generate")); }},
                         {"calendar opened", [&] { return !openedFiles(scratch).empty(); },
                          [&] {
                              QTest::keyClick(mainWindow()->windowHandle(), Qt::Key_F1);
                              help = helpShown();
                              mainWindow()->activateWindow();
                              chooseMenuItem("About...");
                          }},
                         {"about", [] { return modalTitled("About Zarn Generator") != nullptr; },
                          [&] {
                              QWidget* dialog = modalTitled("About Zarn Generator");
                              click(buttonIn(dialog, "&View Program History"));
                              history = historyShown(dialog);
                              click(buttonIn(dialog, "&Close"));
                          }},
                         {"exit", [] { return QApplication::activeModalWidget() == nullptr; },
                          [] { click(buttonIn(mainWindow(), "E&xit")); }},
                     });
        EXPECT_EQ(failure, "") << layout.what;
        // The desktop matches the windows to the installed desktop entry by this name.
        EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "org.merivane.Merivane");
        EXPECT_EQ(history, std::string("History of the ") + layout.what);
        EXPECT_EQ(help, (data / "help" / "main-window.html").string()) << layout.what;
        const std::vector<std::string> opened = openedFiles(scratch);
        ASSERT_EQ(opened.size(), 1u) << layout.what;
        EXPECT_EQ(opened[0], (fs::weakly_canonical(settings) / "PDF" / "001Calendar.PDF").string());
        EXPECT_NE(readText(settings / "Zarn.ini").find("Number=1"), std::string::npos)
            << layout.what;
        const bool besideProgram = settings == scratch.programFolder;
        EXPECT_EQ(fs::exists(scratch.programFolder / "Zarn.ini"), besideProgram) << layout.what;
        EXPECT_EQ(fs::exists(scratch.programFolder / "PDF"), besideProgram) << layout.what;
        removeAppScratch(scratch);
    }
}
