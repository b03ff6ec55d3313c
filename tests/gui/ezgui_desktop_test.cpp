// The adapter's windows under a real X server and window manager (Xvfb and openbox; run through
// tests/support/desktop-session.sh): the title-bar buttons each window offers, and a help window
// that stays usable beside a modal dialog.
#include "gui/qt_test_support.h"
#include "support/command_output.h"

#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Long enough for a loaded machine; each wait ends as soon as what it waits for holds, and a
// run outlasts its waits.
constexpr int kLimitMs = 20000;
constexpr int kRunLimitMs = 60000;
// Asking the X server runs a program, so it is asked no more often than this; Qt and the
// window manager work in between.
constexpr int kPollMs = 100;
constexpr int kEventsMs = 20;

// Lets Qt and the window manager work until `done` holds or the limit is reached.
bool waitFor(const std::function<bool()>& done) {
    for (int waited = 0; waited < kLimitMs; waited += kPollMs) {
        if (done()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, kEventsMs);
        usleep((kPollMs - kEventsMs) * 1000);
    }
    return done();
}

std::string windowId(QWidget* window) {
    return std::to_string(static_cast<unsigned long>(window->winId()));
}

// What the window manager lets the user do with the window, as it announces it.
std::string allowedActions(QWidget* window) {
    return commandOutput("xprop -id " + windowId(window) + " _NET_WM_ALLOWED_ACTIONS");
}

bool announced(QWidget* window) {
    return allowedActions(window).find("_NET_WM_ACTION_CLOSE") != std::string::npos;
}

bool allows(QWidget* window, const char* action) {
    return allowedActions(window).find(action) != std::string::npos;
}

QTextBrowser* helpWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* browser = widget->findChild<QTextBrowser*>("helpText");
            browser && widget->isVisible())
            return browser;
    return nullptr;
}

// Windows from bottom to top, as the window manager stacks them.
std::string stackingOrder() {
    return commandOutput("xprop -root _NET_CLIENT_LIST_STACKING");
}

// Where a window stands in the stacking order, bottom first; -1 when it is not there.
int stackPosition(const std::string& order, const std::string& id) {
    const std::size_t hash = order.find('#');
    if (hash == std::string::npos) return -1;
    int position = 0;
    std::string entry;
    for (std::size_t at = hash + 1; at <= order.size(); ++at) {
        const char c = at < order.size() ? order[at] : ',';
        if (c != ',' && c != '\n') {
            if (c != ' ') entry += c;
            continue;
        }
        if (entry == id) return position;
        ++position;
        entry.clear();
    }
    return -1;
}

std::string hexId(QWidget* window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(window->winId()));
    return text;
}

// The Motif window-manager functions the window asks for: the title-bar buttons a window
// manager that honours them shows (openbox honours only what the size allows).
constexpr unsigned kMotifMinimize = 0x8;
constexpr unsigned kMotifMaximize = 0x10;
constexpr unsigned kMotifClose = 0x20;

unsigned motifFunctions(QWidget* window) {
    const std::string hints = commandOutput("xprop -id " + windowId(window) + " _MOTIF_WM_HINTS");
    const std::size_t equals = hints.find('=');
    if (equals == std::string::npos) return ~0u;
    unsigned flags = 0, functions = 0;
    if (std::sscanf(hints.c_str() + equals + 1, " %x, %x", &flags, &functions) != 2) return ~0u;
    return (flags & 1) ? functions : ~0u; // without the functions flag every function is allowed
}

void checkTitleBarButtons(bool& checked) {
    QWidget* main = testgui::formWindow("MAIN");
    QWidget* sizeable = testgui::formWindow("SIZE");
    QWidget* dialog = testgui::formWindow("DLG");
    ASSERT_TRUE(main && sizeable && dialog);
    ASSERT_TRUE(waitFor([&] {
        return announced(main) && announced(sizeable) && announced(dialog);
    })) << allowedActions(main)
        << allowedActions(sizeable) << allowedActions(dialog);
    EXPECT_TRUE(allows(main, "_NET_WM_ACTION_MINIMIZE")) << allowedActions(main);
    EXPECT_FALSE(allows(main, "_NET_WM_ACTION_MAXIMIZE")) << allowedActions(main);
    EXPECT_TRUE(allows(sizeable, "_NET_WM_ACTION_MAXIMIZE")) << allowedActions(sizeable);
    EXPECT_FALSE(allows(dialog, "_NET_WM_ACTION_MAXIMIZE")) << allowedActions(dialog);
    EXPECT_EQ(motifFunctions(main) & (kMotifMinimize | kMotifMaximize | kMotifClose),
              kMotifMinimize | kMotifClose);
    EXPECT_EQ(motifFunctions(sizeable) & (kMotifMinimize | kMotifMaximize | kMotifClose),
              kMotifMinimize | kMotifMaximize | kMotifClose);
    EXPECT_EQ(motifFunctions(dialog) & (kMotifMinimize | kMotifMaximize | kMotifClose),
              kMotifClose);
    checked = true;
}

// A fixed-size main window can be minimised and closed but not maximised; a form that can be
// resized can be maximised too; a dialog can only be closed.
TEST(GuiDesktop, EachWindowOffersTheTitleBarButtonsThatFitIt) {
    bool checked = false;
    testgui::run(
        [&checked] {
            ezForm("MAIN", "", "Main", 0, 0, 30, 10, "C");
            ezForm("SIZE", "", "Sizeable", 0, 0, 30, 10, "Z");
            testgui::later([&checked] {
                checkTitleBarButtons(checked);
                ezUnloadForm("DLG");
            });
            ezForm("DLG", "MAIN", "Dialog", 0, 0, 20, 6, "CM");
            ezUnloadForm("SIZE");
            ezUnloadForm("MAIN");
        },
        {"DLG", "SIZE", "MAIN"}, kRunLimitMs);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(testgui::watchdogFired);
}

void checkHelpBesideDialog(bool& checked) {
    QWidget* dialog = testgui::formWindow("DLG");
    ASSERT_NE(dialog, nullptr);
    // Active for the window manager too, which may still be busy with the help window shown
    // before the dialog.
    ASSERT_TRUE(waitFor([dialog] {
        return QApplication::activeWindow() == dialog &&
               commandOutput("xdotool getactivewindow") == windowId(dialog) + "\n";
    })) << "the dialog never became the active window";
    // The user presses F1 in the dialog: a key from the X server, not one made inside Qt.
    commandOutput("xdotool key F1");
    QTextBrowser* help = nullptr;
    ASSERT_TRUE(waitFor([&help] {
        help = helpWindow();
        return help != nullptr && help->window()->windowTitle() == "Second Topic";
    }));
    ASSERT_NE(help, nullptr);
    const std::string helpId = hexId(help->window());
    const std::string dialogId = hexId(dialog);
    ASSERT_TRUE(waitFor([&] {
        const std::string order = stackingOrder();
        const int dialogAt = stackPosition(order, dialogId);
        return dialogAt >= 0 && stackPosition(order, helpId) > dialogAt;
    })) << "help "
        << helpId << ", dialog " << dialogId << ": " << stackingOrder();
    EXPECT_EQ(help->verticalScrollBar()->value(), 0);
    commandOutput("xdotool mousemove --window " + windowId(help->window()) +
                  " 150 150 click 5 click 5 click 5");
    EXPECT_TRUE(waitFor([help] { return help->verticalScrollBar()->value() > 0; }));
    checked = true;
}

// Help asked for while a modal dialog is up (and help already open before it) comes in front
// of the dialog and answers the user: its text scrolls under the mouse wheel.
TEST(GuiDesktop, HelpStaysUsableInFrontOfAModalDialog) {
    const fs::path folder = fs::temp_directory_path() / ("ezgui-help-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string topic = (folder / "first.html").string();
    const std::string secondTopic = (folder / "second.html").string();
    for (const auto& [path, title] :
         {std::pair{topic, "First Topic"}, {secondTopic, "Second Topic"}}) {
        std::ofstream page(path);
        page << "<html><head><title>" << title << "</title></head><body>";
        for (int line = 1; line <= 300; ++line)
            page << "<p>Line " << line << " of a topic longer than its window.</p>";
        page << "</body></html>";
    }
    bool checked = false;
    testgui::run(
        [&checked, &topic, &secondTopic] {
            ezForm("MAIN", "", "Main", 0, 0, 30, 10, "C");
            ezShowHelpTopic(topic);
            testgui::onEvent = [secondTopic](const std::string& form, int id, int code, int, int&) {
                if (code == kEventLoaded && form == "DLG") ezDefAccel("DLG", "F1,911");
                if (code == kEventClick && id == 911) ezShowHelpTopic(secondTopic);
            };
            testgui::later([&checked] {
                checkHelpBesideDialog(checked);
                ezUnloadForm("DLG");
            });
            ezForm("DLG", "MAIN", "Dialog", 0, 0, 20, 6, "CM");
            if (QTextBrowser* help = helpWindow()) help->window()->close();
            ezUnloadForm("MAIN");
        },
        {"DLG", "MAIN"}, kRunLimitMs);
    fs::remove_all(folder);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(testgui::watchdogFired);
}

} // namespace
