// Every window of the program on a real desktop (Xvfb, openbox, the AT-SPI bus; run through
// tests/support/desktop-session.sh): each takes the keyboard when it opens, Tab follows its
// layout, Return and Escape do what its buttons say, and a screen reader finds a role and a name
// for every control. The same walk runs in French, and in a pseudo-translation that shows any
// text which never reached the catalogue.
#include "app_harness.h"
#include "common/translate.h"
#include "support/pdf_content.h"
#include "support/test_files.h"
#include "update/update_available_dialog.h"
#include "update/update_state.h"
#include "update/whats_new_dialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kKeysLimitMs = 20000;
// One walk through every window; three of them fit in the test's own time limit.
constexpr int kWalkLimitMs = 60000;

// Tells of each event of one type that reaches the objects it watches; watching the whole
// application, only those sent to a window (a pop-up a key opened included).
class EventTally : public QObject {
  public:
    EventTally(QEvent::Type type, std::function<void()> seen, bool windowsOnly = false)
        : type(type), seen(std::move(seen)), windowsOnly(windowsOnly) {}
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() == type && (!windowsOnly || receiver->isWindowType())) seen();
        return false;
    }

  private:
    QEvent::Type type;
    std::function<void()> seen;
    bool windowsOnly;
};

// Keys as the X server delivers them to the window that has the input focus; returns once the
// program has handled every one.
void press(const std::string& keys) {
    QStringList arguments = {"key", "--clearmodifiers", "--delay", "60"};
    arguments += QString::fromStdString(keys).split(' ');
    const qsizetype typed = arguments.size() - 4 + QString::fromStdString(keys).count('+');
    QProcess xdotool;
    int presses = 0;
    const auto done = [&] { return xdotool.state() == QProcess::NotRunning && presses >= typed; };
    // A key that the program handles at once may open a window whose step would type while this
    // key is still held down; the X server drops a second press of a key that is down. The
    // steps wait until the keys are typed and handled, also when a dialog the keys opened waits
    // in here.
    holdSteps(true);
    bool held = true;
    const auto release = [&held] {
        if (held) holdSteps(false);
        held = false;
    };
    const auto counted = [&] {
        if (done()) release();
    };
    // A press has done its work when it triggers a shortcut or when its window gets it: the
    // accessibility bridge, one of the application's own filters, holds each key back until the
    // screen readers' registry has seen it.
    const auto seen = [&] {
        ++presses;
        counted();
    };
    EventTally keysGot(QEvent::KeyPress, seen, true), shortcuts(QEvent::Shortcut, seen);
    qApp->installEventFilter(&keysGot);
    qApp->installEventFilter(&shortcuts);
    QObject::connect(&xdotool, &QProcess::finished, counted);
    QObject::connect(&xdotool, &QProcess::errorOccurred, release);
    xdotool.start("xdotool", arguments);
    // The program goes on answering the accessibility bus, which is told of every key.
    const bool handled = QTest::qWaitFor(done, kKeysLimitMs);
    release();
    EXPECT_TRUE(handled) << "the program never handled the keys " << keys << " (" << presses
                         << " of " << typed << " presses)";
}

// What a screen reader says of the control with the keyboard focus.
std::string spokenFocus() {
    QWidget* focus = QApplication::focusWidget();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(focus);
    return accessible ? accessible->text(QAccessible::Name).toStdString() : "(nothing)";
}

// Also every expected line (role, name and spoken states, as the walker prints them) is found;
// marked, every text of the program's own came from the pseudo-translation.
std::string accessibilityFaults(const std::string& title, const std::vector<std::string>& spoken,
                                bool marked) {
    QStringList arguments = {MERIVANE_TREE_WALKER, QString::fromStdString(title)};
    if (marked) arguments.insert(1, "--marked");
    for (const std::string& line : spoken)
        arguments.push_back(QString::fromStdString(line));
    QProcess walker;
    walker.setProcessChannelMode(QProcess::MergedChannels);
    // Debian's own Python, which has the AT-SPI bindings.
    walker.start("/usr/bin/python3", arguments);
    QElapsedTimer clock;
    clock.start();
    // The program answers the walker's questions while it waits.
    while (walker.state() != QProcess::NotRunning && clock.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (walker.state() != QProcess::NotRunning) walker.kill();
    walker.waitForFinished();
    const std::string output = walker.readAll().toStdString();
    return walker.exitCode() == 0 && walker.exitStatus() == QProcess::NormalExit
               ? ""
               : output + " (walker status " + std::to_string(walker.exitCode()) + ")";
}

bool helpShown() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->findChild<QTextBrowser*>("helpText")) return true;
    return false;
}

std::string activeTitle() {
    QWidget* active = QApplication::activeWindow();
    return active ? active->windowTitle().toStdString() : "";
}

// The active window fits the screen's free area (the window manager may place it once more as it
// frames it) and stands in its middle; a message box stands half a title bar above it. The frame
// is asked of the window system: a widget's own idea of it may lag behind while it is framed.
void expectFitsTheScreen(const std::string& title) {
    const QPointer<QWidget> window = QApplication::activeWindow();
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    const auto frame = [&window] {
        return window && window->windowHandle() ? window->windowHandle()->frameGeometry() : QRect();
    };
    // The assertion below says what was awaited.
    (void)QTest::qWaitFor([&] { return !window || area.contains(frame()); }, 3000);
    const auto text = [](const QRect& box) {
        return std::to_string(box.width()) + "x" + std::to_string(box.height()) + "+" +
               std::to_string(box.x()) + "+" + std::to_string(box.y());
    };
    ASSERT_TRUE(area.contains(frame()))
        << title << " leaves the screen: " << text(frame()) << " on " << text(area);
    EXPECT_LE((frame().center() - area.center()).manhattanLength(), 20) << title;
}

// Every label and button of the active window narrower than its text.
std::string clippedTexts() {
    std::string clipped;
    const QWidget* window = QApplication::activeWindow();
    for (QWidget* control : window ? window->findChildren<QWidget*>() : QList<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(control);
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (!control->isVisible() || (!label && !button)) continue;
        if (label && (label->wordWrap() || label->text().isEmpty())) continue;
        const int needed =
            label ? label->minimumSizeHint().width()
            : qobject_cast<QPushButton*>(button)
                ? button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&'))
                : button->sizeHint().width();
        if (needed > control->width())
            clipped += (label ? label->text() : button->text()).toStdString() + " (" +
                       std::to_string(needed) + " > " + std::to_string(control->width()) + ") ";
    }
    return clipped;
}

// The Alt keys that more than one control of the active window answers to: Alt then reaches
// only the first.
std::string sharedMnemonics() {
    std::map<QChar, QStringList> owners;
    const QWidget* window = QApplication::activeWindow();
    for (QWidget* control : window ? window->findChildren<QWidget*>() : QList<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(control);
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (!control->isVisible() || (!button && !(label && label->buddy()))) continue;
        const QString text = QString(button ? button->text() : label->text()).remove("&&");
        const qsizetype mark = text.indexOf('&');
        if (mark >= 0 && mark + 1 < text.size()) owners[text[mark + 1].toLower()] += text;
    }
    std::string shared;
    for (const auto& [key, texts] : owners)
        if (texts.size() > 1) shared += texts.join(" / ").toStdString() + " ";
    return shared;
}

// The tooltips of the active window that hold a word outside the pseudo-translation's marks;
// numbers, dates and paths are never translated.
std::string unmarkedTooltips() {
    static const QRegularExpression marked("⟦[^⟦⟧]*⟧"), unwordly("\\S*[0-9/]\\S*"),
        letter("\\p{L}");
    std::string unmarked;
    const QWidget* window = QApplication::activeWindow();
    for (QWidget* control : window ? window->findChildren<QWidget*>() : QList<QWidget*>()) {
        const std::string tooltip = control->isVisible() ? tooltipOf(control) : "";
        QString rest = QString::fromStdString(tooltip);
        while (rest.contains(marked))
            rest.replace(marked, " ");
        if (rest.remove(unwordly).contains(letter)) unmarked += tooltip + "\n";
    }
    return unmarked;
}

// A control's name as a screen reader says it: its text in the window's language without the
// mnemonic's "&" or a menu item's key.
std::string spoken(const char* english) {
    const std::string text = translate(english);
    std::string name;
    for (std::size_t at = 0; at < text.size() && text[at] != '\t'; ++at) {
        if (text[at] == '&' && at + 1 < text.size()) ++at;
        name += text[at];
    }
    return name;
}

// The key that, with Alt, reaches the control of this text in the window's language.
std::string accessKey(const char* english) {
    const std::string text = translate(english);
    const std::size_t mark = text.find('&');
    if (mark + 1 >= text.size()) return "(no mnemonic)";
    return "alt+" + std::string(1, static_cast<char>(
                                       std::tolower(static_cast<unsigned char>(text[mark + 1]))));
}

// The help window takes its page's title: the page in the walk's language when there is one.
std::string helpPageTitle(const std::string& language) {
    for (const std::string& folder :
         {std::string(MERIVANE_HELP_DIR) + "/" + language, std::string(MERIVANE_HELP_DIR)}) {
        const fs::path page = fs::path(folder) / "main-window.html";
        const std::string html = fs::exists(page) ? readText(page) : "";
        const std::size_t start = html.find("<title>");
        const std::size_t end = html.find("</title>");
        if (start != std::string::npos && end > start)
            return html.substr(start + 7, end - start - 7);
    }
    return "";
}

// The calendar prints the line typed in Preferences and holds the logo picked there.
bool carriesCreditAndLogo(const fs::path& pdf) {
    std::vector<PdfPage> pages;
    std::string error;
    if (!readPdf(pdf.string(), pages, error) || pages.empty()) return false;
    return pages[0].images.size() == 1 && findText(pages[0], "WKRP") != nullptr;
}

// The window's language: the catalogues' folder ("" where the program finds its own), what the
// desktop asks for, and whether the catalogue is the pseudo-translation.
struct WalkLanguage {
    const char* localeFolder;
    const char* desktopLanguage;
    bool marked;
};

struct FormWalk {
    std::string title;
    std::function<void()> open;
    // From the control that has the focus when the window opens, on with Tab, back to it.
    std::vector<std::string> tabOrder;
    std::string keys;                     // pressed then, as xdotool names them
    std::function<bool()> keysDone;       // holds once the keys have done their work
    std::vector<std::string> spoken = {}; // lines the screen reader's tree must hold
    bool fromMainWindow = true;           // false: it goes on in the window the last one left
    bool qtsOwn = false;                  // Qt's own dialog: its texts and looks are not ours
};

// The control that has the focus as painted; empty unless it is a button, whose picture holds
// no caret or selection.
QImage focusedButton() {
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    return button != nullptr ? button->grab().toImage() : QImage();
}

void walkEveryWindow(const WalkLanguage& language) {
    if (*language.localeFolder)
        setenv("MERIVANE_LOCALEDIR", language.localeFolder, 1);
    else
        unsetenv("MERIVANE_LOCALEDIR");
    setenv("LANGUAGE", language.desktopLanguage, 1);
    // gettext reads LANGUAGE only under a locale other than C.
    if (std::string(language.desktopLanguage) != "en") setenv("LANG", "fr_CA.UTF-8", 1);
    // The walk finds the windows by their texts in the language the program will choose.
    startTranslations("");
    setWindowLanguage(Language::Automatic);
    AppScratch scratch = makeAppScratch(true);
    writeText(scratch.settingsFile, "[Last]\nYear=2026\nStyle=3\n[Preferences]\nStyle=1\n");
    const auto pdfCount = [&scratch] { return pdfFilesIn(scratch).size(); };
    std::size_t pdfsBeforeCredit = 0;
    fs::copy_file(MERIVANE_SAMPLE_LOGO, scratch.root / "logo.png");
    const auto settings = [&scratch] { return readText(scratch.settingsFile); };
    const auto gone = [](const std::string& title) {
        return [title] { return activeTitle() != title && modalTitled(title) == nullptr; };
    };
    const std::string monthTitle = fillIn(translate("Select Month of %1 to Print"), {"2026"});
    const std::string aboutTitle = fillIn(translate("About %1"), {"Zarn Generator"});
    UpdateOffer offer;
    const auto updateOffer = [&offer, &language] {
        offer = UpdateOffer{};
        offer.newVersion = "6.0.0.1";
        // The server's own words, which no catalogue holds, pass as translated.
        offer.description = language.marked ? "⟦An update with fixes.⟧" : "An update with fixes.";
        offer.notes = "Faster printing";
        ShowUpdateAvailableDialog("MF", offer);
    };
    const std::vector<std::string> rangeTabs = {spoken("Select a Single Month to Print"),
                                                spoken("January"), spoken("&Help"), spoken("&OK"),
                                                spoken("&Cancel")};
    const std::vector<std::string> preferenceTabs = {spoken("Remember &previous calendar style"),
                                                     spoken("Enable &intelligent year selection"),
                                                     spoken("Show quarters with week numbers"),
                                                     spoken("Enable pop-up &tool tip help"),
                                                     spoken("Alert me when program is updated"),
                                                     spoken("Automatic"),
                                                     spoken("Credit &line:"),
                                                     spoken("Logo:"),
                                                     spoken("&Browse..."),
                                                     spoken("Clea&r Logo"),
                                                     spoken("&Help"),
                                                     spoken("&Close")};
    // "2026-11-04: week 45 ..." as the window's language words it.
    const std::string copiedLine = translate("%1: week %2 (%3) of broadcast year %4, %5 to %6; "
                                             "broadcast %7 %4, %8 to %9");
    const std::size_t week = copiedLine.find("%1") + 2;
    const std::string copiedWeek = copiedLine.substr(week, copiedLine.find("%2") - week);
    // On a scaled screen the preview is drawn at the screen's own pixels: a standing page fills
    // the picture's height twice over.
    const auto previewSharp = [] {
        ASSERT_NE(previewPicture(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([] { return !previewPicture()->pixmap().isNull(); }, 10000))
            << "the preview was never drawn";
        const QPixmap shown = previewPicture()->pixmap();
        const qreal ratio = previewPicture()->devicePixelRatioF();
        EXPECT_EQ(shown.devicePixelRatio(), ratio);
        EXPECT_EQ(shown.height(), qRound(previewPicture()->contentsRect().height() * ratio));
    };
    const std::string previewTitle = translate("Calendar Preview");
    const auto previewPage = [](const std::string& page, const std::string& pages) {
        return fillIn(translate("Page %1 of %2"), {page, pages});
    };
    // The preview window's page, as a screen reader hears it.
    const auto shownPage = [] {
        QWidget* page = QApplication::activeWindow()
                            ? QApplication::activeWindow()->findChild<QWidget*>("previewPage")
                            : nullptr;
        return page ? page->accessibleName().toStdString() + "|" +
                          page->accessibleDescription().toStdString()
                    : "";
    };
    // A line of the screen reader's tree as the walker prints it (Python's quoting).
    const auto line = [](const char* role, const char* english, const char* states) {
        // Python writes a no-break space (French puts one before ":") as an escape.
        const std::string name =
            QString::fromStdString(spoken(english)).replace(QChar(0xa0), "\\xa0").toStdString();
        const char quote =
            name.find('\'') != std::string::npos && name.find('"') == std::string::npos ? '"'
                                                                                        : '\'';
        return std::string(role) + ": " + quote + name + quote + states;
    };
    const std::vector<FormWalk> walks = {
        {"Merivane",
         previewSharp,
         {spoken("Calendar starting year:"),
          fillIn(translate("Preview: %1, page %2 of %3"), {spoken("Year") + " 2026", "1", "1"}),
          spoken("Year"), spoken("Help"), spoken("&Generate"), spoken("E&xit")},
         "Return",
         [&] { return pdfCount() == 1; },
         {line("push button", "&Generate", " default")}},
        {monthTitle,
         [] {
             click(buttonIn(mainWindow(), translate("Month")));
             press("Return");
         },
         rangeTabs,
         "Return",
         [&] { return pdfCount() == 2; },
         {line("push button", "&OK", " default")}},
        {monthTitle, [] { press("Return"); }, rangeTabs, "Escape", gone(monthTitle)},
        // Every page of the calendar, twelve months now, opened with Return on the preview; on
        // its first page there is no page before.
        {previewTitle,
         [] {
             previewPicture()->setFocus();
             press("Return");
         },
         {previewPage("1", "12"), spoken("&Next Page"), spoken("Zoom &Out"), spoken("Zoom &In"),
          spoken("&Fit"), spoken("&Close")},
         "End Prior",
         [&] { return shownPage().starts_with(previewPage("11", "12") + "|"); },
         {line("push button", "&Next Page", ""), line("push button", "&Close", "")}},
        {previewTitle,
         [] {},
         {},
         "ctrl+plus",
         [&] {
             const std::string zoom = translate("Zoom %1%");
             return shownPage().find("|" + zoom.substr(0, zoom.find("%1"))) != std::string::npos;
         },
         {},
         false},
        {previewTitle,
         [] {},
         {},
         "ctrl+0 Home",
         [&] {
             const std::string fit = translate("Fit to window (%1%)");
             return shownPage().starts_with(previewPage("1", "12") + "|" +
                                            fit.substr(0, fit.find("%1")));
         },
         {},
         false},
        {previewTitle, [] {}, {}, "Escape", gone(previewTitle), {}, false},
        // From the Program menu's key, and Page Down, Page Up.
        {previewTitle,
         [] { press("ctrl+r"); },
         {},
         "Next Next Prior",
         [&] { return shownPage().starts_with(previewPage("2", "12") + "|"); }},
        {previewTitle, [] {}, {}, "Escape", gone(previewTitle), {}, false},
        {translate("User Preferences"),
         [] { chooseMenuItem(translate("&Preferences")); },
         preferenceTabs,
         "space Return",
         [&] { return settings().find("IntelYear=") != std::string::npos; },
         {line("push button", "&Save", " default")}},
        // Close by its mnemonic, which a translation moves.
        {translate("User Preferences"), [] { chooseMenuItem(translate("&Preferences")); },
         preferenceTabs, accessKey("&Close"), gone(translate("User Preferences"))},
        // The user's own line and logo, set with the keys alone: the logo is picked by name in
        // the file dialog, which opens in the home folder.
        {translate("User Preferences"),
         [] { chooseMenuItem(translate("&Preferences")); },
         {},
         accessKey("Credit &line:") + " W K R P " + accessKey("&Browse..."),
         [] { return activeTitle() == translate("Choose Your Logo"); }},
        {translate("Choose Your Logo"),
         [] {},
         {},
         "l o g o period p n g Return",
         [] {
             QWidget* preferences = modalTitled(translate("User Preferences"));
             return preferences != nullptr &&
                    labelTextsOf(preferences).find("logo.png") != std::string::npos;
         },
         {},
         false,
         true},
        {translate("User Preferences"),
         [] {},
         {},
         // From the field, Return presses Save, the default.
         accessKey("Credit &line:") + " Return",
         [&] {
             return settings().find("Credit=WKRP") != std::string::npos &&
                    settings().find("logo.png") != std::string::npos &&
                    gone(translate("User Preferences"))();
         },
         {},
         false},
        {"Merivane",
         [&] { pdfsBeforeCredit = pdfCount(); },
         {},
         accessKey("&Generate"),
         [&monthTitle] { return activeTitle() == monthTitle; }},
        {monthTitle,
         [] {},
         {},
         "Return",
         [&] {
             return pdfCount() == pdfsBeforeCredit + 1 &&
                    carriesCreditAndLogo(scratch.pdfFolder / pdfFilesIn(scratch).back());
         },
         {},
         false},
        {aboutTitle,
         [] { chooseMenuItem(translate("About...")); },
         {spoken("&View Program History"), spoken("&Close")},
         "Escape",
         gone(aboutTitle),
         {line("text", "Usage notice", " read only"), line("text", "Thanks", " read only"),
          line("push button", "&Close", " default")}},
        {translate("Update Available"),
         updateOffer,
         {spoken("Download Now"), spoken("Maybe Later"), spoken("Release notes"),
          spoken("Stop reminding me about this update.")},
         "Escape",
         [&offer] { return offer.laterChosen && !offer.downloadAccepted; },
         {line("push button", "Download Now", " default"),
          line("text", "Release notes", " read only")}},
        {translate("Update Information"),
         [] { ShowWhatsNewDialog("MF", "6.0.0.1"); },
         {spoken("&OK")},
         "Return",
         gone(translate("Update Information")),
         {line("text", "Release notes", " read only"), line("push button", "&OK", " default")}},
        {helpPageTitle(language.desktopLanguage),
         [] { press("F1"); },
         {},
         // Escape leaves the find bar that Ctrl+F opened, and the help stays; Ctrl+W closes it.
         "ctrl+f Escape",
         [] { return helpShown() && QApplication::focusWidget()->objectName() == "helpText"; }},
        {translate("Find a Broadcast Date"),
         [] { press("ctrl+d"); },
         // Tab steps through the date's year, month and day before it leaves the field, then
         // through the answers.
         {spoken("Date:"), spoken("Date:"), spoken("Date:"), spoken("Broadcast year:"),
          spoken("Broadcast month:"), spoken("Days of the broadcast month"),
          spoken("Broadcast week:"), spoken("Days of the broadcast week"), spoken("&Help"),
          spoken("C&opy"), spoken("&Close")},
         // Return in the date copies its answer.
         "Return Escape",
         [&] {
             return QApplication::clipboard()->text().contains(
                        QString::fromStdString(copiedWeek)) &&
                    gone(translate("Find a Broadcast Date"))();
         },
         {line("text", "Broadcast week:", " read only"), line("push button", "C&opy", " default")}},
        {translate("Export to Calendar Program"),
         [] { press("ctrl+e"); },
         {spoken("First broadcast year:"), spoken("Last broadcast year:"),
          spoken("Include every &week"), spoken("&Help"), spoken("&Export..."), spoken("&Cancel")},
         "Escape",
         gone(translate("Export to Calendar Program")),
         {line("dialog", "Export to Calendar Program", ""),
          line("push button", "&Export...", " default")}},
        {translate("Whoa, Brontel!"),
         [] {
             typeYear("1919");
             yearField()->setFocus();
             press("Return");
         },
         {spoken("&OK")},
         "Return",
         gone(translate("Whoa, Brontel!")),
         // A message box is announced as an alert.
         {line("alert", "Whoa, Brontel!", "")}},
    };

    std::vector<ScriptStep> steps;
    for (const FormWalk& walk : walks) {
        steps.push_back(
            {"open " + walk.title,
             [&walk] { return !walk.fromMainWindow || activeTitle() == "Merivane" || helpShown(); },
             [&walk] {
                 if (!walk.fromMainWindow) return walk.open();
                 if (helpShown()) press("ctrl+w");
                 EXPECT_TRUE(
                     QTest::qWaitFor([] { return activeTitle() == "Merivane"; }, kKeysLimitMs))
                     << "the main window active again before " << walk.title;
                 walk.open();
             }});
        steps.push_back(
            {"walk " + walk.title, [&walk] { return activeTitle() == walk.title; },
             [&walk, &language] {
                 // The help window's own tree is left out: reading its long
                 // page keeps the accessibility registry of a loaded machine busy
                 // past any sensible wait.
                 if (!walk.tabOrder.empty() || !walk.spoken.empty()) {
                     EXPECT_EQ(accessibilityFaults(walk.title, walk.spoken, language.marked), "")
                         << walk.title;
                 }
                 expectFitsTheScreen(walk.title);
                 if (!walk.qtsOwn) {
                     EXPECT_EQ(clippedTexts(), "") << walk.title;
                     EXPECT_EQ(sharedMnemonics(), "") << walk.title;
                 }
                 if (language.marked && !walk.qtsOwn) {
                     EXPECT_EQ(unmarkedTooltips(), "") << walk.title;
                 }
                 // The focus shows from the start as it does once Tab comes round.
                 const QImage opened = focusedButton();
                 std::vector<std::string> seen = {spokenFocus()};
                 for (std::size_t tab = 0; tab < walk.tabOrder.size(); ++tab) {
                     press("Tab");
                     seen.push_back(spokenFocus());
                 }
                 std::vector<std::string> expected = walk.tabOrder;
                 if (!expected.empty()) expected.push_back(expected.front());
                 if (walk.tabOrder.empty()) seen.clear();
                 EXPECT_EQ(seen, expected) << walk.title;
                 EXPECT_TRUE(focusedButton() == opened) << walk.title;
                 press(walk.keys);
             }});
        steps.push_back({"keys done in " + walk.title, walk.keysDone, [] {}});
    }
    steps.push_back({"exit", [] { return activeTitle() == "Merivane"; },
                     [] { click(buttonIn(mainWindow(), translate("E&xit"))); }});
    EXPECT_EQ(runProgram(scratch, steps, kWalkLimitMs), "");
    removeAppScratch(scratch);
}

TEST(AppDesktop, EveryWindowTakesTheKeyboardAndSpeaksToScreenReaders) {
    walkEveryWindow({"", "en", false});
}

// Longer texts, mnemonics of their own: the same keys work and nothing is cut short.
TEST(AppDesktop, EveryWindowWorksTheSameInFrench) {
    walkEveryWindow({MERIVANE_BUILD_LOCALES, "fr", false});
}

// In the pseudo-translation any text of the program's own that never reached the catalogue
// stands out unmarked.
TEST(AppDesktop, EveryTextShownComesFromTheCatalogue) {
    walkEveryWindow({MERIVANE_PSEUDO_LOCALES, "fr", true});
}

// Asked for help or the version, the program answers without a display; any other start
// without one, or where none can be opened, says what is missing instead of dying in Qt.
TEST(AppDesktop, AnswersWithoutADisplay) {
    struct Case {
        QStringList arguments;
        int status;
        std::string printed;
        std::vector<std::pair<QString, QString>> session;
        bool withoutPlugins = false; // a copy whose Qt finds no platform plugin (its qt.conf)
    };
    const std::string refusal = "a graphical session is needed";
    const fs::path bare = fs::temp_directory_path() / ("merivane-bare-" + std::to_string(getpid()));
    fs::create_directories(bare);
    fs::copy_file(MERIVANE_PROGRAM, bare / "merivane", fs::copy_options::overwrite_existing);
    writeText(bare / "qt.conf", "[Paths]\nPlugins=" + (bare / "no-plugins").string() + "\n");
    const Case cases[] = {
        {{"--help"}, 0, "--version", {}},
        {{"--version"}, 0, "merivane 6.", {}},
        {{}, 1, refusal, {}},
        {{"/update"}, 1, refusal, {}},
        {{}, 1, refusal, {{"WAYLAND_DISPLAY", "merivane-no-compositor"}}},
        {{}, 1, refusal, {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "merivane-none"}}},
        {{}, 1, refusal, {{"DISPLAY", ":merivane-no-server"}}},
        {{}, 1, refusal, {{"QT_QPA_PLATFORM", "merivane-no-such-plugin"}}},
        {{},
         1,
         "install the package qt6-wayland",
         {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}},
         true}};
    for (const Case& test : cases) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        for (const auto& [name, value] : test.session)
            environment.insert(name, value);
        program.setProcessEnvironment(environment);
        program.start(test.withoutPlugins ? QString::fromStdString((bare / "merivane").string())
                                          : QStringLiteral(MERIVANE_PROGRAM),
                      test.arguments);
        ASSERT_TRUE(program.waitForFinished(10000));
        const std::string output =
            (program.readAllStandardOutput() + program.readAllStandardError()).toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << output;
        EXPECT_EQ(program.exitCode(), test.status) << output;
        EXPECT_NE(output.find(test.printed), std::string::npos) << output;
        // The refusal is one line.
        if (test.status != 0) {
            EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
        }
    }
    fs::remove_all(bare);
}

} // namespace
