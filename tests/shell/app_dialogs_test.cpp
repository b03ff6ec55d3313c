// The windows as a desktop user expects them: Escape leaves a dialog as Cancel or Close does, a
// year past 9999 from the settings file is refused in the window's own words, and without a PDF
// reader Generate says where the calendar went.
#include "app_steps.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class AppDialogs : public ::testing::Test {
  protected:
    void SetUp() override { scratch = makeAppScratch(true); }
    void TearDown() override { removeAppScratch(scratch); }
    AppScratch scratch;
};

// Escape pressed in a window, arriving through the platform as a user's key does.
void pressEscape(QWidget* window) {
    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
}

} // namespace

// The main window is no dialog: Escape leaves it open.
TEST_F(AppDialogs, EscapeCancelsThePrintRangeAndClosesThePreferencesUnsaved) {
    writeText(scratch.settingsFile, "[Last]\nYear=2026\nStyle=1\n");
    const std::string before = readText(scratch.settingsFile);
    std::string failure = runProgram(
        scratch,
        {mainWindowShown(),
         {"escape", [] { return true; }, [] { pressEscape(mainWindow()); }},
         {"generate", [] { return true; }, [] { click(buttonIn(mainWindow(), "&Generate")); }},
         {"print range", [] { return modalTitled("Select Month of 2026 to Print") != nullptr; },
          [] { pressEscape(modalTitled("Select Month of 2026 to Print")); }},
         {"preferences", [] { return QApplication::activeModalWidget() == nullptr; },
          [] { chooseMenuItem("&Preferences"); }},
         {"change", [] { return modalTitled("User Preferences") != nullptr; },
          [] {
              QWidget* dialog = modalTitled("User Preferences");
              click(buttonIn(dialog, "Show quarters with week numbers"));
              pressEscape(dialog);
          }},
         exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_TRUE(pdfFilesIn(scratch).empty());
    EXPECT_EQ(readText(scratch.settingsFile), before);
}

TEST_F(AppDialogs, AYearPast9999FromTheSettingsIsRefusedAndNothingIsWritten) {
    writeText(scratch.settingsFile, "[Last]\nYear=1e10\nStyle=3\n");
    const std::string before = readText(scratch.settingsFile);
    std::string texts;
    std::string failure = runProgram(
        scratch,
        {mainWindowShown(),
         {"generate", [] { return true; }, [] { click(buttonIn(mainWindow(), "&Generate")); }},
         {"refusal", [] { return modalTitled("Whoa, Brontel!") != nullptr; },
          [&texts] {
              QWidget* box = modalTitled("Whoa, Brontel!");
              texts = labelTextsOf(box);
              click(buttonIn(box, "&OK"));
          }},
         exitProgram()});
    ASSERT_EQ(failure, "");
    EXPECT_NE(texts.find("Calendars go no further than the year 9999."), std::string::npos)
        << texts;
    EXPECT_TRUE(pdfFilesIn(scratch).empty());
    EXPECT_EQ(readText(scratch.settingsFile), before);
}

// The part shows what fits, the start and the file name; its tooltip and the bar's name, which a
// screen reader speaks, hold the whole text.
TEST(AppDialogsWithoutReader, GenerateTellsWhereTheCalendarWasSaved) {
    const AppScratch scratch = makeAppScratch(false);
    std::string statusText, tooltip, spoken;
    QAccessible::Role role = QAccessible::NoRole;
    bool fits = false;
    std::string failure = runProgram(
        scratch, {{"warning", [] { return modalTitled("PDF Reader Required") != nullptr; },
                   [] { click(buttonIn(modalTitled("PDF Reader Required"), "&OK")); }},
                  {"generate", [] { return mainWindow() && !QApplication::activeModalWidget(); },
                   [] {
                       typeYear("2026");
                       click(buttonIn(mainWindow(), "&Generate"));
                   }},
                  {"saved", [&] { return fs::exists(scratch.pdfFolder / "001Calendar.PDF"); },
                   [&] {
                       auto* bar = mainWindow()->findChild<QStatusBar*>();
                       QLabel* part = bar->findChild<QLabel*>();
                       statusText = part->text().toStdString();
                       fits = part->fontMetrics().horizontalAdvance(part->text()) <=
                              part->contentsRect().width();
                       tooltip = part->toolTip().toStdString();
                       role = QAccessible::queryAccessibleInterface(bar)->role();
                       spoken = bar->accessibleName().toStdString();
                   }},
                  exitProgram()});
    EXPECT_EQ(failure, "");
    const std::string saved =
        "Calendar saved as " + (scratch.pdfFolder / "001Calendar.PDF").string();
    EXPECT_EQ(role, QAccessible::StatusBar);
    EXPECT_EQ(tooltip, saved);
    EXPECT_EQ(spoken.find(saved), 0u) << spoken;
    // The folder stays in sight with the file's name.
    EXPECT_TRUE(fits && statusText.ends_with(
                            (scratch.pdfFolder.filename() / "001Calendar.PDF").string()))
        << statusText;
    removeAppScratch(scratch);
}

// The help names every command of the main window's menus, and every link in it leads to a
// page the program carries.
TEST(AppHelpPages, NameEveryMenuCommandAndLinkOnlyToPagesThatExist) {
    const QString folder = QStringLiteral(":/help/");
    QString all;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.html")})) {
        QFile page(folder + name);
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString text = QString::fromUtf8(page.readAll());
        all += text;
        const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)"));
        for (auto match = link.globalMatch(text); match.hasNext();) {
            const QString target = match.next().captured(1);
            EXPECT_TRUE(QFile::exists(folder + target))
                << name.toStdString() << " links to " << target.toStdString();
        }
    }
    for (const char* command :
         {"Preferences", "Find a Broadcast Date", "Export to Calendar Program", "Exit",
          "Help Contents", "Check for Program Update", "About", "Stop reminding me"})
        EXPECT_TRUE(all.contains(QLatin1String(command))) << command;
    EXPECT_FALSE(all.contains(QLatin1String("stays\nunavailable")));
    EXPECT_FALSE(all.contains(QLatin1String("stays unavailable")));
}
