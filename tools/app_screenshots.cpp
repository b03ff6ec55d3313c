// Not a test: takes pictures of every window as a user sees them, for looking at and for the
// documentation. "dark" gives the program a dark desktop theme (Fusion with qt6ct's "darker");
// QT_SCALE_FACTOR scales it. Controls are found by their texts in the window's language, so
// the same walk takes the pictures of a translated window (LANG, MERIVANE_LOCALEDIR).
//   app_screenshots OUTPUT_FOLDER [dark]
#include "common/translate.h"
#include "shell/app_harness.h"
#include "update/update_available_dialog.h"
#include "update/update_state.h"
#include "update/whats_new_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QStyleFactory>
#include <QTest>
#include <QTextBrowser>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace {

std::string outputFolder;

// A menu item's text as the menu shows it, without its key.
std::string menuText(const char* english) {
    const std::string text = translate(english);
    return text.substr(0, text.find('\t'));
}
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

QWidget* previewWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->objectName() == "previewWindow") return window;
    return nullptr;
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
            {"main window and its preview",
             [] { return mainWindow() != nullptr && !previewPicture()->pixmap().isNull(); },
             [] {
                 save(mainWindow(), "main-window.png");
                 chooseMenuItem(menuText("Pre&view All Pages...\tCtrl+R"));
             }},
            {"preview window",
             [] {
                 QWidget* window = previewWindow();
                 return window && window->windowHandle() && window->windowHandle()->isExposed();
             },
             [] {
                 save(previewWindow(), "preview-window.png");
                 previewWindow()->close();
             }},
            {"generate", [] { return true; },
             [] { click(buttonIn(mainWindow(), translate("&Generate"))); }},
            {"print range",
             [] {
                 return modalTitled(fillIn(translate("Select Month of %1 to Print"), {"2026"})) !=
                        nullptr;
             },
             [] {
                 QWidget* dialog =
                     modalTitled(fillIn(translate("Select Month of %1 to Print"), {"2026"}));
                 save(dialog, "print-range.png");
                 click(buttonIn(dialog, translate("&Cancel")));
             }},
            {"quarter",
             [] {
                 return modalTitled(fillIn(translate("Select Month of %1 to Print"), {"2026"})) ==
                        nullptr;
             },
             [] {
                 click(buttonIn(mainWindow(), translate("Quarter")));
                 click(buttonIn(mainWindow(), translate("&Generate")));
             }},
            {"quarter range",
             [] {
                 return modalTitled(fillIn(translate("Print Three Months of %1"), {"2026"})) !=
                        nullptr;
             },
             [] {
                 QWidget* dialog =
                     modalTitled(fillIn(translate("Print Three Months of %1"), {"2026"}));
                 click(buttonIn(dialog, translate("Print All 4 Quarters")));
                 save(dialog, "print-range-quarter.png");
                 click(buttonIn(dialog, translate("&Cancel")));
             }},
            {"strip",
             [] {
                 return modalTitled(fillIn(translate("Print Three Months of %1"), {"2026"})) ==
                        nullptr;
             },
             [] {
                 click(buttonIn(mainWindow(), translate("Keyboard strips")));
                 save(mainWindow(), "main-window-strip.png");
                 chooseMenuItem(translate("&Preferences"));
             }},
            {"preferences", [] { return modalTitled(translate("User Preferences")) != nullptr; },
             [] {
                 QWidget* dialog = modalTitled(translate("User Preferences"));
                 save(dialog, "preferences.png");
                 click(buttonIn(dialog, translate("Show quarters with week numbers")));
                 save(dialog, "preferences-changed.png");
                 click(buttonIn(dialog, translate("&Help")));
             }},
            {"preferences with help", [] { return helpShown(); },
             [] {
                 for (QWidget* widget : QApplication::topLevelWidgets())
                     if (widget->findChild<QTextBrowser*>("helpText")) settle(widget);
                 saveScreen("screen-preferences-with-help.png");
                 for (QWidget* widget : QApplication::topLevelWidgets())
                     if (widget->findChild<QTextBrowser*>("helpText")) widget->close();
                 click(buttonIn(modalTitled(translate("User Preferences")), translate("&Close")));
             }},
            {"help", [] { return modalTitled(translate("User Preferences")) == nullptr; },
             [] {
                 click(buttonIn(mainWindow(), translate("Help")));
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
                 click(buttonIn(mainWindow(), translate("&Generate")));
             }},
            {"whoa", [] { return modalTitled(translate("Whoa, Brontel!")) != nullptr; },
             [] {
                 QWidget* box = modalTitled(translate("Whoa, Brontel!"));
                 save(box, "whoa.png");
                 settle(box);
                 saveScreen("screen-whoa.png");
                 click(buttonIn(box, translate("&OK")));
             }},
            {"about", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { chooseMenuItem(translate("About...")); }},
            {"about pages",
             [] {
                 return modalTitled(fillIn(translate("About %1"), {"Zarn Generator"})) != nullptr;
             },
             [] {
                 QWidget* dialog = modalTitled(fillIn(translate("About %1"), {"Zarn Generator"}));
                 saveFramed(dialog, "about-information.png");
                 click(buttonIn(dialog, translate("&View Program History")));
                 saveFramed(dialog, "about-history.png");
                 click(buttonIn(dialog, translate("&Close")));
             }},
            {"find a date", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { chooseMenuItem(menuText("&Find a Broadcast Date...\tCtrl+D")); }},
            {"answer", [] { return modalTitled(translate("Find a Broadcast Date")) != nullptr; },
             [] {
                 QWidget* dialog = modalTitled(translate("Find a Broadcast Date"));
                 dialog->findChild<QDateEdit*>()->setDate(QDate(2026, 11, 4));
                 saveFramed(dialog, "find-date.png");
                 click(buttonIn(dialog, translate("&Close")));
             }},
            {"export", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { chooseMenuItem(menuText("&Export to Calendar Program...\tCtrl+E")); }},
            {"export range",
             [] { return modalTitled(translate("Export to Calendar Program")) != nullptr; },
             [] {
                 QWidget* dialog = modalTitled(translate("Export to Calendar Program"));
                 click(buttonIn(dialog, translate("Include every &week")));
                 saveFramed(dialog, "export.png");
                 click(buttonIn(dialog, translate("&Export...")));
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
            {"update available",
             [] { return modalTitled(translate("Update Available")) != nullptr; },
             [] {
                 QWidget* dialog = modalTitled(translate("Update Available"));
                 saveFramed(dialog, "update-available.png");
                 click(buttonIn(dialog, translate("Maybe Later")));
             }},
            {"whats new", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { ShowWhatsNewDialog("MF", "6.0.0.1"); }},
            {"update information",
             [] { return modalTitled(translate("Update Information")) != nullptr; },
             [] {
                 QWidget* dialog = modalTitled(translate("Update Information"));
                 saveFramed(dialog, "whats-new.png");
                 click(buttonIn(dialog, translate("&OK")));
             }},
            {"exit", [] { return QApplication::activeModalWidget() == nullptr; },
             [] { click(buttonIn(mainWindow(), translate("E&xit"))); }},
        });
    removeAppScratch(scratch);
    if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
    return failure.empty() ? 0 : 1;
}
