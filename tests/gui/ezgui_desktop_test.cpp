// The adapter's windows under a real X server and window manager (Xvfb and openbox, started by
// the test): the title-bar buttons each window offers, and a help window that stays usable
// beside a modal dialog.
#include "gui/qt_test_support.h"
#include "support/command_output.h"

#include <QScrollBar>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

pid_t serverPid = 0;
pid_t windowManagerPid = 0;

// The X server and the window manager end with the test process, however it ends, and never
// hold its output open: a test runner waiting for the output to close would wait forever.
pid_t spawnProgram(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) return 0;
    if (pid > 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
    const int quiet = open("/dev/null", O_RDWR);
    for (int stream = 0; stream <= 2; ++stream)
        dup2(quiet, stream);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Lets Qt and the window manager work until `done` holds or the time is up.
bool waitFor(const std::function<bool()>& done, int limitMs = 5000) {
    for (int waited = 0; waited < limitMs; waited += 100) {
        if (done()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        usleep(80000);
    }
    return done();
}

// A display number of our own: tried from one that depends on this process, the first whose
// server is ours, that is, still running once the display's socket exists (a server started on
// a display that is taken ends at once).
std::string startServer() {
    const int first = 200 + static_cast<int>(getpid() % 500);
    for (int number = first; number < first + 20; ++number) {
        const std::string display = std::to_string(number);
        const std::string socket = "/tmp/.X11-unix/X" + display;
        if (access(socket.c_str(), F_OK) == 0) continue;
        serverPid = spawnProgram(
            {"Xvfb", ":" + display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        if (serverPid == 0) return {};
        for (int waited = 0; waited < 100 && access(socket.c_str(), F_OK) != 0; ++waited) {
            if (waitpid(serverPid, nullptr, WNOHANG) != 0) break;
            usleep(50000);
        }
        usleep(200000);
        if (waitpid(serverPid, nullptr, WNOHANG) == 0 && access(socket.c_str(), F_OK) == 0)
            return display;
        kill(serverPid, SIGTERM);
        waitpid(serverPid, nullptr, 0);
        serverPid = 0;
    }
    return {};
}

// A display of its own with openbox managing it; the application connects to it when the first
// test makes it.
class DesktopEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        const std::string number = startServer();
        ASSERT_FALSE(number.empty()) << "Xvfb could not be started";
        setenv("DISPLAY", (":" + number).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        // A loaded machine may take a while; a window manager that gave up is started again.
        for (int tries = 0; tries < 200; ++tries) {
            if (windowManagerPid == 0 || waitpid(windowManagerPid, nullptr, WNOHANG) != 0)
                windowManagerPid = spawnProgram({"openbox", "--sm-disable"});
            ASSERT_NE(windowManagerPid, 0) << "openbox could not be started";
            if (commandOutput("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null")
                    .find("window id") != std::string::npos)
                return;
            usleep(100000);
        }
        FAIL() << "openbox did not take the display";
    }
    void TearDown() override {
        for (pid_t pid : {windowManagerPid, serverPid}) {
            if (pid == 0) continue;
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

testing::Environment* const desktop = testing::AddGlobalTestEnvironment(new DesktopEnvironment);

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
    ASSERT_TRUE(
        waitFor([&] { return announced(main) && announced(sizeable) && announced(dialog); }, 20000))
        << allowedActions(main) << allowedActions(sizeable) << allowedActions(dialog);
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
        {"DLG", "SIZE", "MAIN"});
    EXPECT_TRUE(checked);
    EXPECT_FALSE(testgui::watchdogFired);
}

void checkHelpBesideDialog(bool& checked) {
    QWidget* dialog = testgui::formWindow("DLG");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(waitFor([dialog] { return QApplication::activeWindow() == dialog; }));
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
        {"DLG", "MAIN"});
    fs::remove_all(folder);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(testgui::watchdogFired);
}

} // namespace
