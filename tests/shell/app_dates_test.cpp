// Broadcast dates in the window, driven as a user drives them on a real X server with a window
// manager: the find-a-date form answers as the command line does, and the export form writes the
// same events as merivane-cli ics, through the save dialog, into the documents folder. In French
// the window answers as the command line does in French.
#include "app_steps.h"
#include "support/command_output.h"
#include "support/local_moment.h"

#include "common/translate.h"
#include "program/program.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QDateEdit>
#include <QFileDialog>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kFindTitle = "Find a Broadcast Date";
constexpr const char* kExportTitle = "Export to Calendar Program";
// A window manager on a loaded machine may take a while to activate a new window.
constexpr int kPatientMs = 60000;

// The window's language as Zarn.ini gives it and the command line's --language takes it.
class AppDates : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        scratch = makeAppScratch(true);
        global::currentTime = [] { return localMoment(2026, 11, 4); }; // a Wednesday
        writeText(scratch.settingsFile, std::string("[Display]\nLanguage=") + GetParam() + "\n");
        setenv("MERIVANE_LOCALEDIR", MERIVANE_BUILD_LOCALES, 1);
        // The test finds the controls by their texts in the window's language.
        startTranslations("");
        Language language = Language::English;
        languageFromCode(GetParam(), language);
        setWindowLanguage(language);
    }
    bool english() const { return std::string(GetParam()) == "en"; }
    std::string languageOption() const { return std::string(" --language ") + GetParam(); }
    void TearDown() override {
        global::currentTime = [] { return std::time(nullptr); };
        removeAppScratch(scratch);
    }
    AppScratch scratch;
};

QWidget* findForm() {
    return modalTitled(translate(kFindTitle));
}

// A menu item's text in the window's language, without its key.
std::string menuText(const char* english) {
    const std::string text = translate(english);
    return text.substr(0, text.find('\t'));
}

QDateEdit* dateField() {
    QWidget* form = findForm();
    return form ? form->findChild<QDateEdit*>() : nullptr;
}

// Types the date into the field a part at a time, as a user does who clicks a part and types it.
void typeDate(const std::string& date) {
    QDateEdit* field = dateField();
    field->setFocus();
    for (const auto& [section, from, count] : {std::tuple{QDateTimeEdit::YearSection, 0, 4},
                                               {QDateTimeEdit::MonthSection, 5, 2},
                                               {QDateTimeEdit::DaySection, 8, 2}}) {
        field->setSelectedSection(section);
        QTest::keyClicks(field, QString::fromStdString(date.substr(from, count)));
    }
}

// Keys go to the window the desktop has made active, as a user's keys do.
bool active(QWidget* window) {
    return window != nullptr && window->isActiveWindow();
}

} // namespace

TEST_P(AppDates, FindADateAnswersAsTheCommandLineDoes) {
    // A date, and part of the form's answer; outside the years the program handles the command
    // line refuses the date and Copy copies nothing.
    const std::pair<const char*, const char*> cases[] = {
        {"2026-11-04", "Week 45 (4Q06)"},
        {"2026-12-28", "January 2027, 5 weeks"},
        {"2024-02-29", "Monday, February 26, 2024 to Sunday, March 3, 2024"},
        {"1920-01-01", "Monday, December 29, 1919 to Sunday, January 25, 1920"},
        {"1919-12-28", "outside the broadcast years 1920 to 9999"},
        {"9999-12-27", "outside the broadcast years 1920 to 9999"},
    };
    std::string opened;
    std::vector<std::string> shown, copied;
    std::vector<bool> saidCopied;
    // The date picker's calendar: its week starts on Monday, as the broadcast week does.
    Qt::DayOfWeek firstDay = Qt::Sunday;
    QLocale::Language pickerLanguage = QLocale::AnyLanguage;
    std::string failure =
        runProgram(scratch,
                   {mainWindowShown(),
                    {"menu", [] { return true; },
                     [] { chooseMenuItem(menuText("&Find a Broadcast Date...\tCtrl+D")); }},
                    {"form", [] { return active(findForm()); },
                     [&] {
                         opened = dateField()->text().toStdString();
                         firstDay = dateField()->calendarWidget()->firstDayOfWeek();
                         pickerLanguage = dateField()->calendarWidget()->locale().language();
                         for (const auto& [date, answer] : cases) {
                             QApplication::clipboard()->setText(QStringLiteral("(nothing)"));
                             typeDate(date);
                             shown.push_back(dateField()->text().toStdString() + "\n" +
                                             labelTextsOf(findForm()));
                             click(buttonIn(findForm(), translate("C&opy")));
                             copied.push_back(QApplication::clipboard()->text().toStdString());
                             saidCopied.push_back(
                                 labelTextsOf(findForm())
                                     .find(translate("Copied to the clipboard.")) !=
                                 std::string::npos);
                         }
                         QTest::keyClick(findForm()->windowHandle(), Qt::Key_Escape);
                     }},
                    exitProgram()},
                   kPatientMs);
    ASSERT_EQ(failure, "");
    EXPECT_EQ(opened, "2026-11-04");
    EXPECT_EQ(firstDay, Qt::Monday);
    if (!english()) {
        EXPECT_EQ(pickerLanguage, QLocale::French);
    }
    ASSERT_EQ(shown.size(), std::size(cases));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto [date, answer] = cases[i];
        EXPECT_EQ(shown[i].substr(0, 10), date);
        if (english()) {
            EXPECT_NE(shown[i].find(answer), std::string::npos) << shown[i];
        }
        bool refused = false;
        const std::string line = commandOutput(std::string(MERIVANE_CLI) + " date " + date +
                                                   languageOption() + " 2>/dev/null",
                                               &refused);
        EXPECT_EQ(copied[i] + (refused ? "" : "\n"), refused ? "(nothing)" : line) << date;
        EXPECT_EQ(saidCopied[i], !refused) << date;
    }
}

TEST_P(AppDates, ExportWritesWhatTheCommandLineWritesAndRemembersTheChoice) {
    const fs::path documents = scratch.root / "Documents";
    fs::create_directories(documents);
    const fs::path missing = scratch.root / "gone" / "Broadcast.ics";
    std::string years, yearsAgain, refusal, status;
    bool weeksRemembered = false;
    auto fileDialog = [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        return active(dialog) ? dialog : nullptr;
    };
    // Accepts the save dialog with the name in its name field, typed over when name is given.
    auto save = [fileDialog](const std::string& name) {
        QLineEdit* field = fileDialog()->findChild<QLineEdit*>();
        if (!name.empty()) {
            field->selectAll();
            QTest::keyClicks(field, QString::fromStdString(name));
        }
        QTest::keyClick(field, Qt::Key_Return);
    };
    auto exportForm = [] {
        QWidget* form = modalTitled(translate(kExportTitle));
        return active(form) ? form : nullptr;
    };
    const std::string weeksCaption = translate("Include every &week");
    const std::string exportCaption = translate("&Export...");
    const std::string errorTitle = translate("Export Error");
    // First year and last, as they stand from top to bottom.
    auto yearFields = [exportForm] {
        QList<QLineEdit*> fields = exportForm()->findChildren<QLineEdit*>();
        std::sort(fields.begin(), fields.end(),
                  [](QLineEdit* a, QLineEdit* b) { return a->y() < b->y(); });
        return fields;
    };
    std::string failure = runProgram(
        scratch,
        {mainWindowShown(),
         {"menu", [] { return true; },
          [] { chooseMenuItem(menuText("&Export to Calendar Program...\tCtrl+E")); }},
         {"form", exportForm,
          [&] {
              for (QLineEdit* field : yearFields())
                  years += field->text().toStdString() + " ";
              // A range of one year.
              yearFields().back()->selectAll();
              QTest::keyClicks(yearFields().back(), "2026");
              click(buttonIn(exportForm(), weeksCaption));
              click(buttonIn(exportForm(), exportCaption));
          }},
         {"save dialog", fileDialog, [&] { save(missing.string()); }},
         {"refusal", [&] { return active(modalTitled(errorTitle)); },
          [&] {
              refusal = labelTextsOf(modalTitled(errorTitle));
              click(buttonIn(modalTitled(errorTitle), translate("&OK")));
          }},
         {"again", exportForm, [&] { click(buttonIn(exportForm(), exportCaption)); }},
         {"save dialog again", fileDialog, [&] { save(""); }},
         {"saved", [] { return !QApplication::activeModalWidget() && active(mainWindow()); },
          [&] {
              // The part may show the path without its middle; the bar names it whole.
              status = mainWindow()->findChild<QStatusBar*>()->accessibleName().toStdString();
              QTest::keyClick(mainWindow()->windowHandle(), Qt::Key_E, Qt::ControlModifier);
          }},
         {"by key", exportForm,
          [&] {
              weeksRemembered = buttonIn(exportForm(), weeksCaption)->isChecked();
              for (QLineEdit* field : yearFields())
                  yearsAgain += field->text().toStdString() + " ";
              QTest::keyClick(exportForm()->windowHandle(), Qt::Key_Escape);
          }},
         exitProgram()},
        kPatientMs);
    ASSERT_EQ(failure, "");
    EXPECT_EQ(years, "2026 2027 ");
    EXPECT_EQ(yearsAgain, "2026 2026 ");
    // The proposed name in the window's language, accepted as it stands.
    const fs::path written =
        documents / (std::string(GetParam()) == "fr" ? "Calendrier de radiodiffusion 2026.ics"
                                                     : "Broadcast Calendar 2026.ics");
    EXPECT_NE(refusal.find(missing.string()), std::string::npos) << refusal;
    EXPECT_FALSE(fs::exists(missing.parent_path()));
    EXPECT_NE(status.find(fillIn(translate("Calendar exported to %1"), {written.string()})),
              std::string::npos)
        << status;
    EXPECT_TRUE(weeksRemembered);
    EXPECT_NE(readText(scratch.settingsFile)
                  .find("[Calendar Export]\nFirstYear=2026\nLastYear=2026\nWeeks=1\n"),
              std::string::npos)
        << readText(scratch.settingsFile);
    // The same calendar name and events as the command line's, read back by python3-icalendar.
    const fs::path fromCommandLine = scratch.root / "cli.ics";
    bool differ = false;
    const std::string same = commandOutput(
        std::string(MERIVANE_CLI) + " ics 2026 --weeks" + languageOption() + " --output '" +
            fromCommandLine.string() + "' && " + MERIVANE_PYTHON + " " + MERIVANE_SAME_EVENTS +
            " '" + written.string() + "' '" + fromCommandLine.string() + "'",
        &differ);
    EXPECT_FALSE(differ) << same;
}

INSTANTIATE_TEST_SUITE_P(WindowLanguages, AppDates, ::testing::Values("en", "fr"));
