// Not a test: takes pictures of every window as a user sees them, for looking at and for the
// documentation. "dark" gives the program a dark desktop theme (Fusion with qt6ct's "darker");
// QT_SCALE_FACTOR scales it.
//   app_screenshots OUTPUT_FOLDER [dark]
#include "app_harness.h"
#include "update/update_available_dialog.h"
#include "update/update_state.h"
#include "update/whats_new_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QStyleFactory>
#include <QTest>
#include <QTextBrowser>
#include <QWidget>
#include <cstdio>

namespace {

std::string outputFolder;
constexpr int kSettleLimitMs = 10000;

// A window just shown or changed is drawn and, under a window manager, framed a moment later.
void settle(QWidget* window) {
    QApplication::processEvents();
    const bool framed =
        QTest::qWaitForWindowExposed(window, kSettleLimitMs) &&
        (QGuiApplication::platformName() != "xcb" ||
         QTest::qWaitFor([window] { return window->frameGeometry() != window->geometry(); },
                         kSettleLimitMs));
    if (!framed)
        std::fprintf(stderr, "%s was never shown framed\n", qPrintable(window->windowTitle()));
}

// The whole screen, window frames included, as the window manager draws them.
void saveScreen(const char* name) {
    const std::string path = outputFolder + "/" + name;
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString(path)))
        std::fprintf(stderr, "could not save %s\n", path.c_str());
}

bool helpShown() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->findChild<QTextBrowser*>("helpText") && widget->isVisible()) return true;
    return false;
}

void save(QWidget* window, const char* name) {
    if (!window) return;
    const std::string path = outputFolder + "/" + name;
    if (!window->grab().save(QString::fromStdString(path)))
        std::fprintf(stderr, "could not save %s\n", path.c_str());
}

// With the window frame the desktop draws, where there is one (under a window manager); the
// window alone otherwise.
void saveFramed(QWidget* window, const char* name) {
    if (!window) return;
    settle(window);
    const QRect frame = window->frameGeometry();
    QScreen* screen = window->screen();
    if (frame == window->geometry() || !screen) return save(window, name);
    const std::string path = outputFolder + "/" + name;
    const QPixmap shot = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (!shot.save(QString::fromStdString(path)))
        std::fprintf(stderr, "could not save %s\n", path.c_str());
}

// The dark scheme qt6ct offers, on Fusion, as a user of a dark desktop has it: its colours are
// listed in the order of Qt's colour roles.
void useDarkTheme() {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QSettings scheme("/usr/share/qt6ct/colors/darker.conf", QSettings::IniFormat);
    QPalette dark;
    const std::pair<QPalette::ColorGroup, const char*> groups[] = {
        {QPalette::Active, "ColorScheme/active_colors"},
        {QPalette::Inactive, "ColorScheme/inactive_colors"},
        {QPalette::Disabled, "ColorScheme/disabled_colors"}};
    for (const auto& [group, key] : groups) {
        const QStringList colours = scheme.value(key).toStringList();
        for (int role = 0; role < colours.size() && role < QPalette::NColorRoles; ++role)
            dark.setColor(group, static_cast<QPalette::ColorRole>(role), QColor(colours[role]));
    }
    QApplication::setPalette(dark);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: app_screenshots OUTPUT_FOLDER [dark]\n");
        return 2;
    }
    outputFolder = argv[1];
    const AppScratch scratch = makeAppScratch(true);
    if (argc == 3 && std::string(argv[2]) == "dark") useDarkTheme();
    writeText(scratch.settingsFile, "[Last]\nYear=2026\nStyle=1\n");
    writeText(scratch.programFolder / "History.rtf",
              readText(std::string(MERIVANE_RESOURCES_DIR) + "/History.rtf"));
    writeText(scratch.programFolder / "Release Notes.rtf",
              readText(std::string(MERIVANE_RESOURCES_DIR) + "/Release Notes.rtf"));
    const std::string failure = runProgram(
        scratch,
        {
            {"main window", [] { return mainWindow() != nullptr; },
             [] { save(mainWindow(), "main-window.png"); }},
            {"generate", [] { return true; }, [] { click(buttonIn(mainWindow(), "&Generate")); }},
            {"print range", [] { return modalTitled("Select Month of 2026 to Print") != nullptr; },
             [] {
                 QWidget* dialog = modalTitled("Select Month of 2026 to Print");
                 save(dialog, "print-range.png");
                 click(buttonIn(dialog, "&Cancel"));
             }},
            {"quarter", [] { return modalTitled("Select Month of 2026 to Print") == nullptr; },
             [] {
                 click(buttonIn(mainWindow(), "Quarter"));
                 click(buttonIn(mainWindow(), "&Generate"));
             }},
            {"quarter range", [] { return modalTitled("Print Three Months of 2026") != nullptr; },
             [] {
                 QWidget* dialog = modalTitled("Print Three Months of 2026");
                 click(buttonIn(dialog, "Print All 4 Quarters"));
                 save(dialog, "print-range-quarter.png");
                 click(buttonIn(dialog, "&Cancel"));
             }},
            {"strip", [] { return modalTitled("Print Three Months of 2026") == nullptr; },
             [] {
                 click(buttonIn(mainWindow(), "Keyboard strips"));
                 save(mainWindow(), "main-window-strip.png");
                 chooseMenuItem("&Preferences");
             }},
            {"preferences", [] { return modalTitled("User Preferences") != nullptr; },
             [] {
                 QWidget* dialog = modalTitled("User Preferences");
                 save(dialog, "preferences.png");
                 click(buttonIn(dialog, "Show quarters with week numbers"));
                 save(dialog, "preferences-changed.png");
                 click(buttonIn(dialog, "&Help"));
             }},
            {"preferences with help", [] { return helpShown(); },
             [] {
                 for (QWidget* widget : QApplication::topLevelWidgets())
                     if (widget->findChild<QTextBrowser*>("helpText")) settle(widget);
                 saveScreen("screen-preferences-with-help.png");
                 for (QWidget* widget : QApplication::topLevelWidgets())
                     if (widget->findChild<QTextBrowser*>("helpText")) widget->close();
                 click(buttonIn(modalTitled("User Preferences"), "&Close"));
             }},
            {"help", [] { return modalTitled("User Preferences") == nullptr; },
             [] {
                 click(buttonIn(mainWindow(), "Help"));
                 for (QWidget* widget : QApplication::topLevelWidgets()) {
                     if (!widget->findChild<QTextBrowser*>("helpText") || !widget->isVisible())
                         continue;
                     settle(widget);
                     save(widget, "help.png");
                 }
                 saveScreen("screen-help.png");
             }},
            {"refusal", [] { return true; },
             [] {
                 typeYear("1919");
                 click(buttonIn(mainWindow(), "&Generate"));
             }},
            {"whoa", [] { return modalTitled("Whoa, Brontel!") != nullptr; },
             [] {
                 QWidget* box = modalTitled("Whoa, Brontel!");
                 save(box, "whoa.png");
                 settle(box);
                 saveScreen("screen-whoa.png");
                 click(buttonIn(box, "&OK"));
             }},
            {"about", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { chooseMenuItem("About..."); }},
            {"about pages", [] { return modalTitled("About Zarn Generator") != nullptr; },
             [] {
                 QWidget* dialog = modalTitled("About Zarn Generator");
                 saveFramed(dialog, "about-information.png");
                 click(buttonIn(dialog, "&View Program History"));
                 saveFramed(dialog, "about-history.png");
                 click(buttonIn(dialog, "&Close"));
             }},
            {"find a date", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { chooseMenuItem("&Find a Broadcast Date..."); }},
            {"answer", [] { return modalTitled("Find a Broadcast Date") != nullptr; },
             [] {
                 QWidget* dialog = modalTitled("Find a Broadcast Date");
                 dialog->findChild<QDateEdit*>()->setDate(QDate(2026, 11, 4));
                 saveFramed(dialog, "find-date.png");
                 click(buttonIn(dialog, "&Close"));
             }},
            {"export", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { chooseMenuItem("&Export to Calendar Program..."); }},
            {"export range", [] { return modalTitled("Export to Calendar Program") != nullptr; },
             [] {
                 QWidget* dialog = modalTitled("Export to Calendar Program");
                 click(buttonIn(dialog, "Include every &week"));
                 saveFramed(dialog, "export.png");
                 click(buttonIn(dialog, "&Export..."));
             }},
            // The proposed name, accepted: the status bar tells where the calendar went.
            {"save dialog",
             [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
             [] {
                 QTest::keyClick(QApplication::activeModalWidget()->findChild<QLineEdit*>(),
                                 Qt::Key_Return);
             }},
            {"exported", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { save(mainWindow(), "main-window-exported.png"); }},
            {"update offer", [] { return QApplication::activeModalWidget() == nullptr; },
             [] {
                 UpdateOffer offer;
                 offer.newVersion = "6.0.0.1";
                 offer.description = "This is an important update including bug fixes.";
                 offer.notes = "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue128;}\\cf1 "
                               "{\\b Faster printing}\\par Fixed the year page\\par}";
                 offer.notesAreRichText = true;
                 ShowUpdateAvailableDialog("MF", offer);
             }},
            {"update available", [] { return modalTitled("Update Available") != nullptr; },
             [] {
                 QWidget* dialog = modalTitled("Update Available");
                 saveFramed(dialog, "update-available.png");
                 click(buttonIn(dialog, "Maybe Later"));
             }},
            {"whats new", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { ShowWhatsNewDialog("MF", "6.0.0.1"); }},
            {"update information", [] { return modalTitled("Update Information") != nullptr; },
             [] {
                 QWidget* dialog = modalTitled("Update Information");
                 saveFramed(dialog, "whats-new.png");
                 click(buttonIn(dialog, "&OK"));
             }},
            {"exit", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { click(buttonIn(mainWindow(), "E&xit")); }},
        });
    removeAppScratch(scratch);
    if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
    return failure.empty() ? 0 : 1;
}
